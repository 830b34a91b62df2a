#include "patch/patch_builder_base.h"

#include <fmt/xchar.h>

namespace patch {

template <class A>
PatchBuilderBase<A>::PatchBuilderBase(std::wstring outputFileMask)
    : mask_(std::move(outputFileMask)), log_(L"PatchBuilderBase") {}

template <class A>
std::wstring PatchBuilderBase<A>::nextTempFileName() {
  return fmt::format(L"{}VM-VSS-TEMP-{}.vss", mask_, counter_++);
}

template <class A>
HRESULT PatchBuilderBase<A>::downloadItem(const ItemPtr& item, const std::wstring& fileName) {
  // Replace whatever is there, and fetch without comparing: the local file
  // is never the version wanted.
  constexpr LONG kFlags = ssapi::VSSFLAG_REPREPLACE | ssapi::VSSFLAG_CMPFAIL | ssapi::VSSFLAG_RECURSNO;
  std::wstring local = fileName;
  HRESULT hr = item ? item->Get(&local, kFlags) : E_POINTER;
  if (FAILED(hr)) log_.error(L"Failed to download item to " + fileName, hr);
  return hr;
}

template <class A>
HRESULT PatchBuilderBase<A>::getNextFile(const ItemPtr& item, std::wstring* fileName) {
  HRESULT hr = E_FAIL;
  for (int attempt = 1; attempt <= kDownloadAttempts; ++attempt) {
    *fileName = nextTempFileName();
    hr = downloadItem(item, *fileName);
    if (SUCCEEDED(hr)) return hr;
  }
  fileName->clear();
  return hr;
}

template class PatchBuilderBase<ssapi::Automation60>;
template class PatchBuilderBase<ssapi::Automation2005>;

}  // namespace patch

#include "patch/clean_patch_builder.h"

#include "navigation/versioned_item.h"
#include "platform/file_system.h"

namespace patch {

template <class A>
CleanPatchBuilder<A>::CleanPatchBuilder(output::OutputChannels& channels, std::wstring outputFileMask,
                                        util::JavaTime /*from*/, util::JavaTime to)
    : patchBase_(std::move(outputFileMask)),
      patchFile_(channels),
      log_(L"CleanPatchBuilder"),
      to_(to),
      channels_(channels) {}

template <class A>
HRESULT CleanPatchBuilder<A>::run(Database& database, const std::wstring& path) {
  // Relative specs must not depend on whatever project was current before.
  database.put_CurrentProject(L"$/");
  const std::wstring directory = patchBase_.nextTempFileName();

  navigation::ItemPtr<A> found;
  HRESULT hr = database.get_VSSItem(path, VARIANT_FALSE, found.put());
  if (SUCCEEDED(hr) && !found) hr = E_FAIL;
  if (FAILED(hr)) {
    log_.error(L"Failed to find root", hr);
    return hr;
  }
  navigation::ItemPtr<A> item;
  hr = navigation::getVersionedItemToTime<A>(found, to_, &item);
  if (hr == ssapi::ESS_VS_VERS_NOT_FOUND) {
    // Not there yet at that time: the project as it stood then is nothing,
    // which the receiver gets by removing everything.
    log_.info(found, L"Item did not exist at that time");
    patchFile_.deleteDir(L"");
    return S_OK;
  }
  if (FAILED(hr)) {
    log_.error(L"Failed to cast root item to version", hr);
    return hr;
  }
  log_.info(item, L"Item found");

  item->put_LocalSpec(directory);
  // A directory left by an earlier run with the same mask is refused too: its
  // old content would end up in this patch.
  if (!platform::createDirectory(directory)) {
    log_.error(L"Failed to create directory at " + directory);
    return E_FAIL;
  }

  constexpr LONG kFlags = ssapi::VSSFLAG_USERROYES | ssapi::VSSFLAG_TIMEUPD | ssapi::VSSFLAG_REPREPLACE |
                          ssapi::VSSFLAG_CMPFAIL | ssapi::VSSFLAG_RECURSYES | ssapi::VSSFLAG_FORCEDIRNO |
                          ssapi::VSSFLAG_CHKEXCLUSIVENO;
  std::wstring local = directory;
  hr = item->Get(&local, kFlags);
  if (FAILED(hr)) {
    log_.error(item, L"Failed to Get all tree:", hr);
    return hr;
  }
  log_.info(L"Actual checked out path was " + local);
  log_.info(L"Files downloaded");

  patchFile_.deleteDir(L"");
  std::wstring rootSpec;
  if (FAILED(item->get_Spec(&rootSpec))) rootSpec = path;
  // The root's spec "$/" already ends with the separator.
  return LocalTreeWalker(patchFile_, lister_).walk(rootSpec.ends_with(L'/') ? rootSpec : rootSpec + L"/", local);
}

template class CleanPatchBuilder<ssapi::Automation60>;
template class CleanPatchBuilder<ssapi::Automation2005>;

}  // namespace patch

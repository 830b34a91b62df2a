#include "native/status.h"

#include <fmt/xchar.h>

#include "ssapi/ssapi.h"

namespace ssapi::native {

Status failure(HRESULT code, std::wstring description) { return Status{code, std::move(description)}; }

Status corruptAt(std::wstring_view file, std::uint64_t offset, std::wstring_view what) {
  return failure(ESS_CORRUPT, fmt::format(L"File \"{}\" may be corrupt: {} at offset 0x{:x}", file, what, offset));
}

Status corrupt(std::wstring_view file, std::wstring_view what) {
  return failure(ESS_CORRUPT, fmt::format(L"File \"{}\" may be corrupt: {}", file, what));
}

}  // namespace ssapi::native

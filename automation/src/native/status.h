// The outcome of reading one part of a SourceSafe database from its files.
// A failure carries an automation status and a description that names the
// file and, where one is known, the offset in it, so that a damaged
// database can be located and repaired with SourceSafe's own tools.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/hresult.h"

namespace ssapi::native {

struct [[nodiscard]] Status {
  HRESULT code = S_OK;
  std::wstring description;

  bool ok() const { return SUCCEEDED(code); }
};

inline Status success() { return Status{}; }
Status failure(HRESULT code, std::wstring description);

// ESS_CORRUPT: "File \"<file>\" may be corrupt: <what> at offset 0x<offset>".
Status corruptAt(std::wstring_view file, std::uint64_t offset, std::wstring_view what);
// ESS_CORRUPT without an offset, for faults of a file as a whole.
Status corrupt(std::wstring_view file, std::wstring_view what);

}  // namespace ssapi::native

// Names read from a database's files end up as path components: in the specs
// of history and patch documents, and as the names of the files and folders
// a get writes. A name that could climb out of its folder or is no single
// file name is not something SourceSafe writes; in its files it is damage,
// refused as the text form refuses it when it loads.
#pragma once

#include <cstdint>
#include <string_view>

#include "native/status.h"

namespace ssapi::native {

// Fails with ESS_CORRUPT at `offset` of `file` for a name that cannot be an
// item name: one the text form refuses (empty, "." or "..", a "/", "\",
// NUL or other control character, a leading "$") or one holding ":",
// which no Windows file name holds.
Status checkItemName(std::wstring_view name, std::wstring_view file, std::uint64_t offset);

// A spec kept in a record (where a project moved, where a file was shared
// from): empty, or "$" followed by item names, each checked as above.
Status checkStoredSpec(std::wstring_view spec, std::wstring_view file, std::uint64_t offset);

}  // namespace ssapi::native

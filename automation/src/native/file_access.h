// Reading a database's files: only ever opened for reading, whole, and
// looked up without regard to letter case, as on the Windows share the
// database came from.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "native/status.h"

namespace ssapi::native {

// The whole file, opened read-only. Only a regular file is read (a pipe
// planted in a database would block the reader forever), and at most
// `maxSize` bytes. Fails with ESS_FILE_NOTFOUND, ESS_FILE_ACCESSDENIED or
// ESS_CORRUPT (too large, not a file, read error).
Status readFileBytes(const std::filesystem::path& path, std::size_t maxSize, std::string* bytes);

// The entry of `folder` named `name`, letter case ignored (ASCII): the name
// as given, then in lower and in upper case, then a listing of the folder.
// Fails with ESS_FILE_NOTFOUND.
Status findEntry(const std::filesystem::path& folder, std::string_view name, std::filesystem::path* found);

// A path for messages.
std::wstring displayPath(const std::filesystem::path& path);

}  // namespace ssapi::native

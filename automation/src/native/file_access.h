// Reading a database's files: only ever opened for reading, whole, and
// looked up without regard to letter case, as on the Windows share the
// database came from.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "native/status.h"
#include "platform/regular_file.h"

namespace ssapi::native {

// Bound of the small files read whole: srcsafe.ini and the user lists. A
// database's settings and users fit in a few kilobytes; anything beyond a
// few megabytes is not such a file.
constexpr std::size_t kMaxSettingsFileSize = std::size_t{4} << 20;

// The whole file, through platform::readRegularFile: only a regular file of
// at most `maxSize` bytes that did not change while it was read. Fails with
// ESS_FILE_NOTFOUND, ESS_FILE_ACCESSDENIED or ESS_CORRUPT (not a regular
// file, too large, changed while read, read error), the description naming
// the file.
Status readFileBytes(const std::filesystem::path& path, std::size_t maxSize, std::string* bytes);

// The status of a failed read of `path`, as readFileBytes gives it.
Status readFailure(const std::filesystem::path& path, const platform::FileReadStatus& read, std::size_t maxSize);

// The entry of `folder` named `name`, letter case ignored (ASCII): the name
// as given, then in lower and in upper case, then a listing of the folder.
// Fails with ESS_FILE_NOTFOUND.
Status findEntry(const std::filesystem::path& folder, std::string_view name, std::filesystem::path* found);

// A path for messages.
std::wstring displayPath(const std::filesystem::path& path);

}  // namespace ssapi::native

// What a folder holds, to tell whether a run wrote anything where it must
// not: every entry below it with its type, size and modification time.
#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace testsupport {

using FolderSnapshot = std::map<std::string, std::string>;

// Entries below `folder` (relative paths), leaving out `excluded` and
// everything below it. Links are listed, not followed.
FolderSnapshot snapshotFolder(const std::filesystem::path& folder, const std::filesystem::path& excluded = {});

}  // namespace testsupport

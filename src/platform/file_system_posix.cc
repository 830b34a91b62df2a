#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cwctype>
#include <limits>

#include "platform/regular_file.h"
#include "platform/text_encoding.h"

namespace platform {
namespace {

DWORD attributesOf(const struct stat& info) {
  DWORD attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if ((info.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

bool lessAsNtfs(const DirectoryEntry& a, const DirectoryEntry& b) {
  const auto upper = [](wchar_t c) { return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c))); };
  const auto aEnd = a.name.end();
  const auto bEnd = b.name.end();
  auto [ia, ib] = std::mismatch(a.name.begin(), aEnd, b.name.begin(), bEnd,
                                [&](wchar_t x, wchar_t y) { return upper(x) == upper(y); });
  if (ia == aEnd || ib == bEnd) {
    if (ia != aEnd || ib != bEnd) return ia == aEnd;
    return a.name < b.name;
  }
  return upper(*ia) < upper(*ib);
}

}  // namespace

std::string nativePath(const std::wstring& path) {
  std::wstring slashed = path;
  std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
  return wideToUtf8(slashed);
}

DWORD getFileAttributes(const std::wstring& path) {
  struct stat info {};
  if (path.empty() || stat(nativePath(path).c_str(), &info) != 0) return INVALID_FILE_ATTRIBUTES;
  return attributesOf(info);
}

bool canOpenExistingForReading(const std::wstring& path) {
  if (path.empty()) return false;
  RegularFile file;
  return RegularFile::open(nativePath(path), std::numeric_limits<std::uint64_t>::max(), &file).ok();
}

bool createDirectory(const std::wstring& path) {
  return !path.empty() && mkdir(nativePath(path).c_str(), 0777) == 0;
}

bool listDirectory(const std::wstring& path, std::vector<DirectoryEntry>* entries) {
  const std::string native = nativePath(path);
  DIR* dir = opendir(native.c_str());
  if (!dir) return false;
  std::vector<DirectoryEntry> found;
  std::vector<DirectoryEntry> dots;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    struct stat info {};
    DWORD attributes = fstatat(dirfd(dir), name.c_str(), &info, 0) == 0 ? attributesOf(info) : FILE_ATTRIBUTE_ARCHIVE;
    DirectoryEntry item{utf8ToWide(name), attributes};
    (name == "." || name == ".." ? dots : found).push_back(std::move(item));
  }
  closedir(dir);
  std::sort(dots.begin(), dots.end(), [](const auto& a, const auto& b) { return a.name.size() < b.name.size(); });
  std::sort(found.begin(), found.end(), lessAsNtfs);
  dots.insert(dots.end(), found.begin(), found.end());
  *entries = std::move(dots);
  return true;
}

}  // namespace platform

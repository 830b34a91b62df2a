#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/text_encoding.h"

namespace platform {
namespace {

DWORD attributesOf(const struct stat& info) {
  DWORD attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if ((info.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

}  // namespace

std::filesystem::path nativePath(const std::wstring& path) {
  std::wstring slashed = path;
  std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
  return wideToUtf8(slashed);
}

std::filesystem::path pathFromWide(const std::wstring& text) { return wideToUtf8(text); }

std::filesystem::path pathFromUtf8(const std::string& bytes) { return bytes; }

std::wstring wideFromPath(const std::filesystem::path& path) { return utf8ToWide(path.string()); }

DWORD getFileAttributes(const std::wstring& path) {
  struct stat info {};
  if (path.empty() || stat(nativePath(path).c_str(), &info) != 0) return INVALID_FILE_ATTRIBUTES;
  return attributesOf(info);
}

bool createDirectory(const std::wstring& path) {
  return !path.empty() && mkdir(nativePath(path).c_str(), 0777) == 0;
}

bool listDirectory(const std::wstring& path, std::vector<DirectoryEntry>* entries) {
  const std::filesystem::path native = nativePath(path);
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
  *entries = inEnumerationOrder(std::move(dots), std::move(found));
  return true;
}

}  // namespace platform

#include "platform/file_system.h"

#include <utility>

#include "platform/text_encoding.h"

#include <windows.h>

namespace platform {

std::filesystem::path nativePath(const std::wstring& path) { return std::filesystem::path(path); }

std::filesystem::path pathFromWide(const std::wstring& text) { return std::filesystem::path(text); }

std::filesystem::path pathFromUtf8(const std::string& bytes) { return std::filesystem::path(utf8ToWide(bytes)); }

std::wstring wideFromPath(const std::filesystem::path& path) { return path.native(); }

DWORD getFileAttributes(const std::wstring& path) {
  if (path.empty()) return INVALID_FILE_ATTRIBUTES;
  return GetFileAttributesW(path.c_str());
}

bool createDirectory(const std::wstring& path) { return !path.empty() && CreateDirectoryW(path.c_str(), nullptr); }

bool listDirectory(const std::wstring& path, std::vector<DirectoryEntry>* entries) {
  std::wstring pattern = path;
  if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW data{};
  HANDLE search = FindFirstFileW(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  std::vector<DirectoryEntry> found;
  std::vector<DirectoryEntry> dots;
  do {
    std::wstring name = data.cFileName;
    const bool dot = name == L"." || name == L"..";
    (dot ? dots : found).push_back({std::move(name), data.dwFileAttributes});
  } while (FindNextFileW(search, &data));
  const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(search);
  if (!complete) return false;
  // NTFS gives this order already; other file systems (FAT, shares) need not.
  *entries = inEnumerationOrder(std::move(dots), std::move(found));
  return true;
}

}  // namespace platform

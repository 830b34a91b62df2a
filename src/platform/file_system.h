// The file services the program uses, the stand-ins for GetFileAttributesW,
// CreateFileW/CloseHandle, CreateDirectoryW and FindFirstFileW/FindNextFileW.
// As on Windows, "\" and "/" both separate the parts of a path.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/hresult.h"

namespace platform {

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// What joins the names of a local path the program builds: "/" on POSIX
// systems, "\\" on Windows.
constexpr wchar_t kPathSeparator = static_cast<wchar_t>(std::filesystem::path::preferred_separator);

// The path as the local file system spells it ("\\" becomes "/" on POSIX
// systems).
std::filesystem::path nativePath(const std::wstring& path);

// Wide text that names a file, as a path, and back, with no character lost
// on any system (a path built from narrow text would pass through the ANSI
// code page on Windows).
std::filesystem::path pathFromWide(const std::wstring& text);
// The same for UTF-8 bytes; on POSIX systems the bytes are the path as they are.
std::filesystem::path pathFromUtf8(const std::string& bytes);
std::wstring wideFromPath(const std::filesystem::path& path);

// A directory has FILE_ATTRIBUTE_DIRECTORY, anything else
// FILE_ATTRIBUTE_ARCHIVE; either also has FILE_ATTRIBUTE_READONLY when its
// owner may not write it. INVALID_FILE_ATTRIBUTES when the path cannot be
// looked at.
DWORD getFileAttributes(const std::wstring& path);

// Opens an existing file for reading and closes it again at once: whether
// the file could be read. Only a regular file can (a directory, a FIFO or a
// device cannot), and looking never blocks.
bool canOpenExistingForReading(const std::wstring& path);

// Creates one directory; fails when the path exists already (also as a
// directory) or its parent is missing.
bool createDirectory(const std::wstring& path);

struct DirectoryEntry {
  std::wstring name;
  DWORD attributes = 0;
};

// The entries of a directory, as an enumeration of "dir\*" lists them: "."
// and ".." first, then every other name in the order NTFS would give
// (letter case ignored, then by code). Fails when the directory cannot be
// read.
bool listDirectory(const std::wstring& path, std::vector<DirectoryEntry>* entries);

// "." and ".." (shorter first), then the other names in NTFS order: what
// listDirectory returns whatever order the file system gave them in.
std::vector<DirectoryEntry> inEnumerationOrder(std::vector<DirectoryEntry> dots, std::vector<DirectoryEntry> names);

}  // namespace platform

// The file services the program uses, the stand-ins for GetFileAttributesW,
// CreateFileW/CloseHandle, CreateDirectoryW and FindFirstFileW/FindNextFileW.
// As on Windows, "\" and "/" both separate the parts of a path.
#pragma once

#include <string>
#include <vector>

#include "platform/hresult.h"

namespace platform {

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// The path as the local file system spells it.
std::string nativePath(const std::wstring& path);

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

}  // namespace platform

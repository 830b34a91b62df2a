#include "platform/regular_file.h"

#include <algorithm>
#include <cstring>

#include <fmt/xchar.h>

#include "platform/file_system.h"
#include "platform/text_encoding.h"

namespace platform {

namespace {

FileReadStatus readAll(RegularFile& file, std::string* bytes) {
  std::string content;
  // One more byte than the size, so that a file that grew is noticed.
  content.resize(static_cast<std::size_t>(file.size()) + 1);
  std::size_t filled = 0;
  while (true) {
    if (filled == content.size()) {
      content.resize(static_cast<std::size_t>(std::min<std::uint64_t>(content.size() * 2, file.maxSize() + 1)));
    }
    std::size_t got = 0;
    if (FileReadStatus status = file.read(content.data() + filled, content.size() - filled, &got); !status.ok()) {
      return status;
    }
    if (got == 0) break;
    filled += got;
  }
  if (FileReadStatus status = file.checkUnchanged(); !status.ok()) return status;
  content.resize(filled);
  *bytes = std::move(content);
  return {};
}

}  // namespace

FileReadStatus readRegularFile(const std::filesystem::path& path, std::uint64_t maxSize, std::string* bytes) {
  RegularFile file;
  if (FileReadStatus status = RegularFile::open(path, maxSize, &file); !status.ok()) return status;
  return readAll(file, bytes);
}

FileReadStatus readRegularFileBelow(const std::filesystem::path& folder, const std::filesystem::path& relative,
                                    std::uint64_t maxSize, std::string* bytes) {
  RegularFile file;
  if (FileReadStatus status = RegularFile::openBelow(folder, relative, maxSize, &file); !status.ok()) return status;
  return readAll(file, bytes);
}

std::wstring describeFileRead(const std::filesystem::path& path, const FileReadStatus& status, std::uint64_t maxSize) {
  std::wstring name = wideFromPath(path);
  switch (status.error) {
    case FileReadError::kNone: return L"";
    case FileReadError::kNotFound: return fmt::format(L"File \"{}\" not found", name);
    case FileReadError::kAccessDenied: return fmt::format(L"Access to file \"{}\" denied", name);
    case FileReadError::kNotRegularFile: return fmt::format(L"File \"{}\" is not a regular file", name);
    case FileReadError::kTooLarge: return fmt::format(L"File \"{}\" has more than {} bytes", name, maxSize);
    case FileReadError::kChangedWhileRead: return fmt::format(L"File \"{}\" changed while it was read", name);
    case FileReadError::kReadFailed: break;
  }
  return fmt::format(L"File \"{}\" cannot be read: {}", name, utf8ToWide(std::strerror(status.systemError)));
}

}  // namespace platform

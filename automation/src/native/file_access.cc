#include "native/file_access.h"

#include <fcntl.h>
#include <fmt/xchar.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/text_encoding.h"
#include "ssapi/ssapi.h"

namespace ssapi::native {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

Status openFailure(const std::filesystem::path& path, int error) {
  if (error == ENOENT || error == ENOTDIR) {
    return failure(ESS_FILE_NOTFOUND, fmt::format(L"File \"{}\" not found", displayPath(path)));
  }
  if (error == EACCES || error == EPERM) {
    return failure(ESS_FILE_ACCESSDENIED, fmt::format(L"Access to file \"{}\" denied", displayPath(path)));
  }
  return corrupt(displayPath(path), platform::utf8ToWide(std::strerror(error)));
}

std::string lowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string upperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

bool entryExists(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::symlink_status(path, error).type() != std::filesystem::file_type::not_found && !error;
}

}  // namespace

std::wstring displayPath(const std::filesystem::path& path) { return platform::utf8ToWide(path.string()); }

Status readFileBytes(const std::filesystem::path& path, std::size_t maxSize, std::string* bytes) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.get() < 0) return openFailure(path, errno);
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return openFailure(path, errno);
  if (!S_ISREG(info.st_mode)) return corrupt(displayPath(path), L"not a regular file");
  if (static_cast<std::uint64_t>(info.st_size) > maxSize) {
    return corrupt(displayPath(path), fmt::format(L"the file has more than 0x{:x} bytes", maxSize));
  }
  std::string content;
  content.resize(static_cast<std::size_t>(info.st_size));
  std::size_t filled = 0;
  // The file may grow or shrink while SourceSafe writes it; read what is
  // there now, the checks of its structure catch a half-written file.
  while (true) {
    if (filled == content.size()) {
      if (content.size() >= maxSize) {
        char probe;
        ssize_t extra = ::read(fd.get(), &probe, 1);
        if (extra > 0) return corrupt(displayPath(path), fmt::format(L"the file has more than 0x{:x} bytes", maxSize));
        if (extra < 0 && errno == EINTR) continue;
        break;
      }
      content.resize(std::min(maxSize, std::max<std::size_t>(content.size() * 2, 4096)));
    }
    ssize_t got = ::read(fd.get(), content.data() + filled, content.size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      return corrupt(displayPath(path), platform::utf8ToWide(std::strerror(errno)));
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  content.resize(filled);
  *bytes = std::move(content);
  return success();
}

Status findEntry(const std::filesystem::path& folder, std::string_view name, std::filesystem::path* found) {
  for (const std::string& spelling : {std::string(name), lowerAscii(name), upperAscii(name)}) {
    std::filesystem::path candidate = folder / spelling;
    if (entryExists(candidate)) {
      *found = candidate;
      return success();
    }
  }
  std::string wanted = lowerAscii(name);
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (lowerAscii(it->path().filename().string()) == wanted) {
      *found = it->path();
      return success();
    }
  }
  return failure(ESS_FILE_NOTFOUND, fmt::format(L"File \"{}\" not found", displayPath(folder / std::string(name))));
}

}  // namespace ssapi::native

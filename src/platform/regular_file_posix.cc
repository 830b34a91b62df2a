#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iterator>
#include <utility>

namespace platform {
namespace {

FileReadStatus failed(FileReadError error, int systemError = 0) { return {error, systemError}; }

FileReadStatus openFailure(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG: return failed(FileReadError::kNotFound, error);
    case EACCES:
    case EPERM: return failed(FileReadError::kAccessDenied, error);
    // O_NOFOLLOW met a symbolic link.
    case ELOOP: return failed(FileReadError::kNotRegularFile, error);
    default: return failed(FileReadError::kReadFailed, error);
  }
}

bool holdsNul(const std::filesystem::path& path) { return path.native().find('\0') != std::string::npos; }

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  void reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

}  // namespace

RegularFile::~RegularFile() {
  if (fd_ >= 0) ::close(fd_);
}

RegularFile::RegularFile(RegularFile&& other) noexcept { *this = std::move(other); }

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    maxSize_ = other.maxSize_;
    size_ = other.size_;
    consumed_ = other.consumed_;
    modifiedSeconds_ = other.modifiedSeconds_;
    modifiedNanoseconds_ = other.modifiedNanoseconds_;
  }
  return *this;
}

namespace {

// Takes over `fd` when it is a regular file within the bound.
FileReadStatus adopt(Descriptor& fd, std::uint64_t maxSize, int* out, std::uint64_t* size, std::int64_t* seconds,
                     std::int64_t* nanoseconds) {
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return failed(FileReadError::kReadFailed, errno);
  if (!S_ISREG(info.st_mode)) return failed(FileReadError::kNotRegularFile);
  if (static_cast<std::uint64_t>(info.st_size) > maxSize) return failed(FileReadError::kTooLarge);
  *size = static_cast<std::uint64_t>(info.st_size);
  *seconds = info.st_mtim.tv_sec;
  *nanoseconds = info.st_mtim.tv_nsec;
  *out = fd.release();
  return {};
}

}  // namespace

FileReadStatus RegularFile::open(const std::filesystem::path& path, std::uint64_t maxSize, RegularFile* file) {
  if (path.empty() || holdsNul(path)) return failed(FileReadError::kNotFound);
  Descriptor fd(::open(path.c_str(), kReadFlags));
  if (fd.get() < 0) return openFailure(errno);
  RegularFile opened;
  opened.maxSize_ = maxSize;
  FileReadStatus status =
      adopt(fd, maxSize, &opened.fd_, &opened.size_, &opened.modifiedSeconds_, &opened.modifiedNanoseconds_);
  if (status.ok()) *file = std::move(opened);
  return status;
}

FileReadStatus RegularFile::openBelow(const std::filesystem::path& folder, const std::filesystem::path& relative,
                                      std::uint64_t maxSize, RegularFile* file) {
  if (folder.empty() || holdsNul(folder) || holdsNul(relative) || relative.empty() || relative.is_absolute()) {
    return failed(FileReadError::kNotFound);
  }
  Descriptor at(::open(folder.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY));
  if (at.get() < 0) return openFailure(errno);
  std::filesystem::path::iterator part = relative.begin();
  std::filesystem::path::iterator last = std::prev(relative.end());
  for (; part != relative.end(); ++part) {
    const std::string& name = part->native();
    if (name.empty() || name == "." || name == "..") return failed(FileReadError::kNotFound);
    bool isLast = part == last;
    int flags = isLast ? kReadFlags | O_NOFOLLOW : O_RDONLY | O_CLOEXEC | O_DIRECTORY | O_NOFOLLOW;
    int next = ::openat(at.get(), name.c_str(), flags);
    if (next < 0) {
      int error = errno;
      // O_DIRECTORY | O_NOFOLLOW on a link to a folder may say ENOTDIR.
      struct stat info {};
      if (::fstatat(at.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode)) {
        return failed(FileReadError::kNotRegularFile, error);
      }
      return openFailure(error);
    }
    at.reset(next);
  }
  RegularFile opened;
  opened.maxSize_ = maxSize;
  FileReadStatus status =
      adopt(at, maxSize, &opened.fd_, &opened.size_, &opened.modifiedSeconds_, &opened.modifiedNanoseconds_);
  if (status.ok()) *file = std::move(opened);
  return status;
}

FileReadStatus RegularFile::read(char* buffer, std::size_t capacity, std::size_t* got) {
  *got = 0;
  if (fd_ < 0) return failed(FileReadError::kReadFailed, EBADF);
  while (true) {
    ssize_t n = ::read(fd_, buffer, capacity);
    if (n < 0) {
      if (errno == EINTR) continue;
      return failed(FileReadError::kReadFailed, errno);
    }
    consumed_ += static_cast<std::uint64_t>(n);
    if (consumed_ > maxSize_) return failed(FileReadError::kTooLarge);
    *got = static_cast<std::size_t>(n);
    return {};
  }
}

FileReadStatus RegularFile::checkUnchanged() const {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) return failed(FileReadError::kReadFailed, errno);
  if (static_cast<std::uint64_t>(info.st_size) != size_ || consumed_ != size_ ||
      info.st_mtim.tv_sec != modifiedSeconds_ || info.st_mtim.tv_nsec != modifiedNanoseconds_) {
    return failed(FileReadError::kChangedWhileRead);
  }
  return {};
}

}  // namespace platform

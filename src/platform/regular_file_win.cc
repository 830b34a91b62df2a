#include "platform/regular_file.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <climits>
#include <iterator>
#include <utility>

#include <windows.h>

namespace platform {
namespace {

FileReadStatus failed(FileReadError error, int systemError = 0) { return {error, systemError}; }

// The C library's error numbers, so that the reason reads as on other systems.
FileReadStatus openFailure(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_FILENAME_EXCED_RANGE: return failed(FileReadError::kNotFound, ENOENT);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return failed(FileReadError::kAccessDenied, EACCES);
    default: return failed(FileReadError::kReadFailed, EIO);
  }
}

bool holdsNul(const std::filesystem::path& path) { return path.native().find(L'\0') != std::wstring::npos; }

std::int64_t ticksOf(const FILETIME& time) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

struct HandleInfo {
  bool regular = false;
  bool reparsePoint = false;
  std::uint64_t size = 0;
  std::int64_t modifiedTicks = 0;  // 100 ns since 1601
};

// False when the system cannot say; a pipe, a console or a device is no
// regular file.
bool describe(HANDLE handle, HandleInfo* out) {
  *out = HandleInfo{};
  if (GetFileType(handle) != FILE_TYPE_DISK) return true;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return false;
  out->regular = (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
  out->reparsePoint = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  out->size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  out->modifiedTicks = ticksOf(info.ftLastWriteTime);
  return true;
}

// Opens for reading only, letting others read, write and delete meanwhile
// as SourceSafe itself does. Folders open too (FILE_FLAG_BACKUP_SEMANTICS),
// so that they are told apart from missing files.
HANDLE openForReading(const std::wstring& path, DWORD extraFlags) {
  return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS | extraFlags, nullptr);
}

// Takes over the handle when it is a regular file within the bound; it is
// closed otherwise.
FileReadStatus adopt(HANDLE handle, bool refuseReparsePoint, std::uint64_t maxSize, int* out, std::uint64_t* size,
                     std::int64_t* seconds, std::int64_t* nanoseconds) {
  HandleInfo info;
  FileReadStatus status;
  if (!describe(handle, &info)) {
    status = failed(FileReadError::kReadFailed, EIO);
  } else if (!info.regular || (refuseReparsePoint && info.reparsePoint)) {
    status = failed(FileReadError::kNotRegularFile);
  } else if (info.size > maxSize) {
    status = failed(FileReadError::kTooLarge);
  }
  if (!status.ok()) {
    CloseHandle(handle);
    return status;
  }
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    return failed(FileReadError::kReadFailed, EMFILE);
  }
  *size = info.size;
  *seconds = info.modifiedTicks / 10000000;
  *nanoseconds = info.modifiedTicks % 10000000 * 100;
  *out = fd;
  return {};
}

}  // namespace

RegularFile::~RegularFile() {
  if (fd_ >= 0) _close(fd_);
}

RegularFile::RegularFile(RegularFile&& other) noexcept { *this = std::move(other); }

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) _close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    maxSize_ = other.maxSize_;
    size_ = other.size_;
    consumed_ = other.consumed_;
    modifiedSeconds_ = other.modifiedSeconds_;
    modifiedNanoseconds_ = other.modifiedNanoseconds_;
  }
  return *this;
}

FileReadStatus RegularFile::open(const std::filesystem::path& path, std::uint64_t maxSize, RegularFile* file) {
  if (path.empty() || holdsNul(path)) return failed(FileReadError::kNotFound);
  HANDLE handle = openForReading(path.native(), 0);
  if (handle == INVALID_HANDLE_VALUE) return openFailure(GetLastError());
  RegularFile opened;
  opened.maxSize_ = maxSize;
  FileReadStatus status = adopt(handle, false, maxSize, &opened.fd_, &opened.size_, &opened.modifiedSeconds_,
                                &opened.modifiedNanoseconds_);
  if (status.ok()) *file = std::move(opened);
  return status;
}

FileReadStatus RegularFile::openBelow(const std::filesystem::path& folder, const std::filesystem::path& relative,
                                      std::uint64_t maxSize, RegularFile* file) {
  if (folder.empty() || holdsNul(folder) || holdsNul(relative) || relative.empty() || relative.is_absolute() ||
      relative.has_root_name()) {
    return failed(FileReadError::kNotFound);
  }
  // Every folder on the way must be a plain folder: a junction or a link
  // could lead out of `folder`.
  std::filesystem::path at = folder;
  const auto last = std::prev(relative.end());
  for (auto part = relative.begin(); part != relative.end(); ++part) {
    const std::wstring& name = part->native();
    if (name.empty() || name == L"." || name == L"..") return failed(FileReadError::kNotFound);
    at /= *part;
    if (part == last) break;
    const DWORD attributes = GetFileAttributesW(at.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return openFailure(GetLastError());
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return failed(FileReadError::kNotRegularFile);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return failed(FileReadError::kNotFound, ENOTDIR);
  }
  HANDLE handle = openForReading(at.native(), FILE_FLAG_OPEN_REPARSE_POINT);
  if (handle == INVALID_HANDLE_VALUE) return openFailure(GetLastError());
  RegularFile opened;
  opened.maxSize_ = maxSize;
  FileReadStatus status = adopt(handle, true, maxSize, &opened.fd_, &opened.size_, &opened.modifiedSeconds_,
                                &opened.modifiedNanoseconds_);
  if (status.ok()) *file = std::move(opened);
  return status;
}

FileReadStatus RegularFile::read(char* buffer, std::size_t capacity, std::size_t* got) {
  *got = 0;
  if (fd_ < 0) return failed(FileReadError::kReadFailed, EBADF);
  const unsigned chunk = capacity > INT_MAX ? INT_MAX : static_cast<unsigned>(capacity);
  int n = _read(fd_, buffer, chunk);
  if (n < 0) return failed(FileReadError::kReadFailed, errno);
  consumed_ += static_cast<std::uint64_t>(n);
  if (consumed_ > maxSize_) return failed(FileReadError::kTooLarge);
  *got = static_cast<std::size_t>(n);
  return {};
}

FileReadStatus RegularFile::checkUnchanged() const {
  HandleInfo info;
  if (!describe(reinterpret_cast<HANDLE>(_get_osfhandle(fd_)), &info)) return failed(FileReadError::kReadFailed, EIO);
  if (info.size != size_ || consumed_ != size_ || info.modifiedTicks / 10000000 != modifiedSeconds_ ||
      info.modifiedTicks % 10000000 * 100 != modifiedNanoseconds_) {
    return failed(FileReadError::kChangedWhileRead);
  }
  return {};
}

}  // namespace platform

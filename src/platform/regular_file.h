// Reading a file that someone else put there: a database's files, an ini
// file named on the command line. Such a path may name a FIFO (opening it
// would wait for a writer for ever), a device such as /dev/zero (reading it
// never ends), a directory, or a file far too large to hold in memory. Every
// read goes through here: the file is opened without blocking, looked at
// with fstat, and read only when it is a regular file within a size bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace platform {

enum class FileReadError {
  kNone,
  kNotFound,          // missing, or the path holds a NUL character
  kAccessDenied,
  kNotRegularFile,    // directory, FIFO, device, socket; below a folder also a symbolic link
  kTooLarge,          // more bytes than the caller allows
  kChangedWhileRead,  // its size or modification time moved during the read
  kReadFailed,        // any other error of the system
};

struct FileReadStatus {
  FileReadError error = FileReadError::kNone;
  int systemError = 0;  // errno where the system reported one

  bool ok() const { return error == FileReadError::kNone; }
};

// An open regular file, read piece by piece.
class RegularFile {
 public:
  RegularFile() = default;
  ~RegularFile();
  RegularFile(RegularFile&& other) noexcept;
  RegularFile& operator=(RegularFile&& other) noexcept;
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;

  // Opens `path` for reading; fails unless it is a regular file (symbolic
  // links are followed) of at most `maxSize` bytes.
  static FileReadStatus open(const std::filesystem::path& path, std::uint64_t maxSize, RegularFile* file);
  // Opens `relative` (no "..", not absolute) inside `folder` without
  // following a symbolic link anywhere below `folder`, so that what is read
  // is inside it.
  static FileReadStatus openBelow(const std::filesystem::path& folder, const std::filesystem::path& relative,
                                  std::uint64_t maxSize, RegularFile* file);

  // The size when it was opened, and the bound it was opened with.
  std::uint64_t size() const { return size_; }
  std::uint64_t maxSize() const { return maxSize_; }
  // Up to `capacity` bytes into `buffer`; *got is 0 at the end. Fails with
  // kTooLarge once more than the bound was read (the file grew).
  FileReadStatus read(char* buffer, std::size_t capacity, std::size_t* got);
  // Fails with kChangedWhileRead when the file's size or modification time
  // differs from when it was opened, or the bytes read so far are not its size.
  FileReadStatus checkUnchanged() const;

 private:
  int fd_ = -1;
  std::uint64_t maxSize_ = 0;
  std::uint64_t size_ = 0;
  std::uint64_t consumed_ = 0;
  std::int64_t modifiedSeconds_ = 0;
  std::int64_t modifiedNanoseconds_ = 0;
};

// The whole file, as RegularFile::open and its checks allow it, and
// unchanged while it was read.
FileReadStatus readRegularFile(const std::filesystem::path& path, std::uint64_t maxSize, std::string* bytes);
FileReadStatus readRegularFileBelow(const std::filesystem::path& folder, const std::filesystem::path& relative,
                                    std::uint64_t maxSize, std::string* bytes);

// What went wrong, as a sentence naming the file: "File \"/x\" is not a
// regular file", "File \"/x\" not found", ...
std::wstring describeFileRead(const std::filesystem::path& path, const FileReadStatus& status, std::uint64_t maxSize);

}  // namespace platform

// A file the program writes a result into, created or truncated and written
// through the C library's buffer. The runtime's own calls are easy to
// ignore; this keeps the first failure instead: a file that could not be
// created, a write that took fewer bytes than it was given (disk full,
// /dev/full, a file size limit), a flush or a close that failed. A run
// whose output is cut off must not pass for a success.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace platform {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates or truncates the file; false when that failed (error() says why).
  bool open(const std::string& path);
  bool isOpen() const { return file_ != nullptr; }
  const std::string& path() const { return path_; }

  // Each does nothing without an open file, and nothing more after a failure.
  void write(std::string_view bytes);
  void flush();
  void close();

  // Whether opening, a write, a flush or the close failed, and the system's
  // error number of the first failure.
  bool failed() const { return error_ != 0; }
  int error() const { return error_; }

 private:
  void fail(int error);

  std::string path_;
  std::FILE* file_ = nullptr;
  std::uint64_t written_ = 0;
  int error_ = 0;
};

// Creates or truncates the file named by a UTF-8 path, for writing bytes as
// they are (binary mode); null with errno set when that fails.
std::FILE* openForWriting(const std::string& path);

// For tests: writes to files whose path ends with `pathSuffix` fail with
// `error` once `afterBytes` bytes went into the file, from files opened
// after this call on.
void injectWriteFailure(const std::string& pathSuffix, std::uint64_t afterBytes, int error);
void clearInjectedWriteFailures();

}  // namespace platform

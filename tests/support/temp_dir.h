// A scratch folder for one test, removed when the test ends (also when an
// assertion failed).
#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

class TempDir {
 public:
  TempDir();
  // In memory where the system offers a folder for it (/dev/shm): for tests
  // that make and remove thousands of files, which a disk makes slow.
  static TempDir inMemory();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  explicit TempDir(const std::filesystem::path& base);
  std::filesystem::path path_;
};

// Whole file as bytes; empty when it cannot be read.
std::string readFileBytes(const std::filesystem::path& path);
// A UTF-16LE file decoded to a wide string.
std::wstring readUtf16File(const std::filesystem::path& path);
void writeFileBytes(const std::filesystem::path& path, const std::string& bytes);
// Rewrites a file as an in-place writer does: truncated, then written in
// pieces of `piece` bytes, each reaching the file at once, with a yield of
// the thread between them (a concurrent reader may see any stage).
void rewriteInPlace(const std::filesystem::path& path, const std::string& bytes, std::size_t piece);

}  // namespace testsupport

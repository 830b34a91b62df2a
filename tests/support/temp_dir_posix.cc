#include "support/temp_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace testsupport {

TempDir::TempDir() : TempDir(std::filesystem::temp_directory_path()) {}

TempDir::TempDir(const std::filesystem::path& base) {
  std::string pattern = (base / "quillgate-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir TempDir::inMemory() {
  std::error_code error;
  const std::filesystem::path shared = "/dev/shm";
  if (std::filesystem::is_directory(shared, error) && access(shared.c_str(), W_OK) == 0) return TempDir(shared);
  return TempDir();
}

}  // namespace testsupport

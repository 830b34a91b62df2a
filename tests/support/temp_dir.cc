#include "support/temp_dir.h"

#include <cstdlib>
#include <unistd.h>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/text_encoding.h"

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

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string readFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::wstring readUtf16File(const std::filesystem::path& path) { return platform::utf16leToWide(readFileBytes(path)); }

void writeFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace testsupport

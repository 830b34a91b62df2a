#include "support/temp_dir.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "platform/file_system.h"
#include "platform/output_file.h"
#include "platform/text_encoding.h"

namespace testsupport {

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

void rewriteInPlace(const std::filesystem::path& path, const std::string& bytes, std::size_t piece) {
  std::FILE* file = platform::openForWriting(platform::wideToUtf8(platform::wideFromPath(path)));
  if (!file) return;
  std::setvbuf(file, nullptr, _IONBF, 0);
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    const std::size_t n = std::min(piece, bytes.size() - at);
    if (std::fwrite(bytes.data() + at, 1, n, file) != n) break;
    std::this_thread::yield();
  }
  std::fclose(file);
}

}  // namespace testsupport

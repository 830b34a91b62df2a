#include "support/temp_dir.h"

#include <random>
#include <stdexcept>

#include <windows.h>

namespace testsupport {

TempDir::TempDir() : TempDir(std::filesystem::temp_directory_path()) {}

TempDir::TempDir(const std::filesystem::path& base) {
  std::random_device seed;
  std::mt19937 random(seed() ^ GetCurrentProcessId());
  static constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::wstring name = L"quillgate-test-";
    for (int i = 0; i < 6; ++i) name += kLetters[random() % 36];
    std::filesystem::path candidate = base / name;
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw std::runtime_error("cannot create a scratch folder");
}

// Windows has no memory-backed folder for everyone.
TempDir TempDir::inMemory() { return TempDir(); }

}  // namespace testsupport

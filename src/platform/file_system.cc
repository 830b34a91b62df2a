#include "platform/file_system.h"

#include <algorithm>
#include <cwctype>
#include <limits>

#include "platform/regular_file.h"

namespace platform {
namespace {

bool lessAsNtfs(const DirectoryEntry& a, const DirectoryEntry& b) {
  const auto upper = [](wchar_t c) { return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c))); };
  const auto aEnd = a.name.end();
  const auto bEnd = b.name.end();
  auto [ia, ib] = std::mismatch(a.name.begin(), aEnd, b.name.begin(), bEnd,
                                [&](wchar_t x, wchar_t y) { return upper(x) == upper(y); });
  if (ia == aEnd || ib == bEnd) {
    if (ia != aEnd || ib != bEnd) return ia == aEnd;
    return a.name < b.name;
  }
  return upper(*ia) < upper(*ib);
}

}  // namespace

bool canOpenExistingForReading(const std::wstring& path) {
  if (path.empty()) return false;
  RegularFile file;
  return RegularFile::open(nativePath(path), std::numeric_limits<std::uint64_t>::max(), &file).ok();
}

std::vector<DirectoryEntry> inEnumerationOrder(std::vector<DirectoryEntry> dots, std::vector<DirectoryEntry> names) {
  std::sort(dots.begin(), dots.end(), [](const auto& a, const auto& b) { return a.name.size() < b.name.size(); });
  std::sort(names.begin(), names.end(), lessAsNtfs);
  dots.insert(dots.end(), names.begin(), names.end());
  return dots;
}

}  // namespace platform

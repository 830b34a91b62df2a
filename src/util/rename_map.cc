#include "util/rename_map.h"

#include "util/path_under.h"

namespace util {

void RenameMap::addRename(const std::wstring& prefix, const std::wstring& replacement) {
  renames_.insert(renames_.begin(), {prefix, replacement});
}

std::wstring RenameMap::mapPath(const std::wstring& path) const {
  std::wstring current = path;
  for (const auto& [prefix, replacement] : renames_) {
    if (isPathUnder(current, prefix)) current = replacement + current.substr(prefix.size());
  }
  if (logging::isDebugEnabled()) log_.debug(L"Mapped: " + path + L" -> " + current);
  return current;
}

bool RenameMap::isRenamed(const std::wstring& path) const {
  for (const auto& [prefix, replacement] : renames_) {
    if (isPathUnder(path, prefix) || isPathUnder(path, replacement)) return true;
  }
  return false;
}

}  // namespace util

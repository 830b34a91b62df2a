// The renames and moves met in a change log, newest first, through which
// specs of the past are mapped to the names they had later.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "log/logger.h"

namespace util {

class RenameMap {
 public:
  RenameMap() : log_(L"RenameMap") {}

  // Puts the pair in front of all others; no check for duplicates or cycles.
  void addRename(const std::wstring& prefix, const std::wstring& replacement);
  // The path through every pair, newest first; a pair that applies feeds its
  // result to the next one, so renames chain.
  std::wstring mapPath(const std::wstring& path) const;
  // Whether the path equals or lies inside a prefix or a replacement.
  bool isRenamed(const std::wstring& path) const;

  const std::vector<std::pair<std::wstring, std::wstring>>& renames() const { return renames_; }

 private:
  // Newest first.
  std::vector<std::pair<std::wstring, std::wstring>> renames_;
  logging::Logger log_;
};

}  // namespace util

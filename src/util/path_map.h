// A patch builder's record of the specs it has written: touched in any way,
// deleted, or covered by the add of a whole folder.
#pragma once

#include <string>

#include "log/logger.h"
#include "util/path_set.h"

namespace util {

class PathMap {
 public:
  PathMap() : log_(L"PathMap") {}

  void markTouched(const std::wstring& spec);
  // Deleted counts as touched as well.
  void markDeleted(const std::wstring& spec);
  void markCovered(const std::wstring& spec) { covered_.insert(spec); }

  // Touched exactly, or inside a covered folder.
  bool isTouched(const std::wstring& spec) const { return touched_.contains(spec) || covered_.containsPathOf(spec); }
  bool isUnderDeleted(const std::wstring& spec) const { return deleted_.containsPathOf(spec); }
  bool isTouchedOrDeleted(const std::wstring& spec) const { return isTouched(spec) || isUnderDeleted(spec); }

  // Forgets deleted and touched specs; covered folders stay covered.
  void clear();

 private:
  PathSet deleted_;
  PathSet covered_;
  PathSet touched_;
  logging::Logger log_;
};

}  // namespace util

#include "util/path_map.h"

namespace util {

void PathMap::markTouched(const std::wstring& spec) {
  touched_.insert(spec);
  log_.debug(L"Touched " + spec);
}

void PathMap::markDeleted(const std::wstring& spec) {
  deleted_.insert(spec);
  log_.debug(L"Deleted " + spec);
  markTouched(spec);
}

void PathMap::clear() {
  deleted_.clear();
  touched_.clear();
}

}  // namespace util

#include "util/path_set.h"

namespace util {

bool PathSet::containsPathOf(const std::wstring& spec) const {
  // The search starts behind the "$/" of the root.
  size_t start = 2;
  while (start < spec.size()) {
    const size_t slash = spec.find(L'/', start);
    std::wstring candidate;
    if (slash == std::wstring::npos) {
      candidate = spec;
      start = spec.size();
    } else {
      candidate = spec.substr(0, slash);
      start = slash + 1;
    }
    if (contains(candidate)) return true;
  }
  return false;
}

}  // namespace util

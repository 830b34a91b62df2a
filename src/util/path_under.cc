#include "util/path_under.h"

namespace util {
namespace {

void trimTrailingSlashes(std::wstring& text) {
  while (!text.empty() && text.back() == L'/') text.pop_back();
}

}  // namespace

bool isPathUnder(std::wstring path, std::wstring base) {
  if (path.size() < base.size()) return false;
  trimTrailingSlashes(path);
  trimTrailingSlashes(base);
  size_t i = 0;
  while (i < path.size() && i < base.size() && path[i] == base[i]) ++i;
  if (i < base.size()) return false;
  return i == path.size() || path[i] == L'/';
}

}  // namespace util

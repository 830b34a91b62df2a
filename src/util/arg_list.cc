#include "util/arg_list.h"

namespace util {

std::wstring ArgList::next() {
  if (remaining_ <= 0) return L"";
  --remaining_;
  return *cursor_++;
}

std::wstring ArgList::peek(int i) const {
  if (i < 1 || i > remaining_) return L"";
  return cursor_[i - 1];
}

std::wstring ArgList::joinQuoted() const {
  std::wstring joined;
  for (ArgList rest = copy(); rest.has(1);) joined += L"\"" + rest.next() + L"\" ";
  return joined;
}

}  // namespace util

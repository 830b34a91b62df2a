#include "util/path_tokenizer.h"

namespace util {
namespace {

bool isSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

}  // namespace

std::wstring PathTokenizer::next() {
  while (cursor_ < text_.size() && isSeparator(text_[cursor_])) ++cursor_;
  const size_t start = cursor_;
  while (cursor_ < text_.size() && !isSeparator(text_[cursor_])) ++cursor_;
  std::wstring token = text_.substr(start, cursor_ - start);
  if (!rootEmitted_ && token == L"$") {
    rootEmitted_ = true;
    return L"$/";
  }
  return token;
}

std::wstring PathTokenizer::peek() const {
  PathTokenizer copy = *this;
  return copy.next();
}

}  // namespace util

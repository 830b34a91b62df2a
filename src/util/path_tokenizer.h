// Splits a SourceSafe spec such as "$/A/B/C" into its components, root
// first: "$/", "A", "B", "C", then empty tokens. "/" and "\" both separate,
// runs of them count as one.
#pragma once

#include <string>

namespace util {

class PathTokenizer {
 public:
  explicit PathTokenizer(std::wstring spec) : text_(std::move(spec)) {}

  // True while the cursor is not at the end. Separators are not skipped
  // first, so a trailing separator still counts as more.
  bool hasMore() const { return cursor_ < text_.size(); }
  // The next component; "$" becomes "$/" the first time only. Empty at the end.
  std::wstring next();
  // What next() would return, without moving.
  std::wstring peek() const;
  // The text from the cursor on, separators included.
  std::wstring rest() const { return text_.substr(cursor_); }

 private:
  std::wstring text_;
  size_t cursor_ = 0;
  bool rootEmitted_ = false;
};

}  // namespace util

// The command-line arguments not yet taken, with a cursor. Every stage takes
// its own arguments from the front and hands the rest on.
#pragma once

#include <string>

namespace util {

class ArgList {
 public:
  // Over argc strings starting at argv; they must outlive the list.
  ArgList(int argc, const std::wstring* argv) : remaining_(argc), cursor_(argv) {}

  // Whether at least n arguments remain.
  bool has(int n) const { return remaining_ >= n; }
  int remaining() const { return remaining_; }
  // Takes the argument at the cursor; empty once the list is exhausted.
  std::wstring next();
  // The i-th remaining argument, 1 being the one at the cursor; empty when
  // there is no such argument.
  std::wstring peek(int i) const;
  // A list that goes on from here independently of this one.
  ArgList copy() const { return *this; }
  // Every remaining argument as "arg" followed by a blank; the list itself
  // does not move.
  std::wstring joinQuoted() const;

 private:
  int remaining_;
  const std::wstring* cursor_;
};

}  // namespace util

// An ordered set of SourceSafe specs that also answers whether a spec or one
// of its ancestors is in it.
#pragma once

#include <set>
#include <string>

namespace util {

class PathSet {
 public:
  void insert(const std::wstring& spec) { specs_.insert(spec); }
  bool contains(const std::wstring& spec) const { return specs_.count(spec) != 0; }
  // Looks up the spec's ancestors below the root and the spec itself without
  // a trailing "/": for "$/A/B/C" the candidates $/A, $/A/B and $/A/B/C. A
  // spec of two characters or fewer, and an entry "$/", never match.
  bool containsPathOf(const std::wstring& spec) const;
  void clear() { specs_.clear(); }
  bool empty() const { return specs_.empty(); }
  size_t size() const { return specs_.size(); }

 private:
  // Plain code-unit order, as wcscmp orders.
  std::set<std::wstring> specs_;
};

}  // namespace util

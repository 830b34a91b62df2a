// An independent reading of a text-form database's journal: every change
// replayed into a small tree of its own (entries with names, deleted and
// pinned flags, shared files, versions as content names), so that tests can
// say what a project held at any time and which paths each change touched,
// without asking the automation library. The rules follow what SourceSafe
// users see: a path is live when neither its entry nor a project above it is
// deleted; a pinned entry shows its pinned version.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace reference {

// Live folders and files (with their content) of a project, by path inside
// it ("a/b.txt"; the project itself is not listed).
struct Tree {
  bool exists = false;      // the project was in the tree, and live, then
  std::wstring spec;        // its spec then
  std::set<std::wstring> folders;
  std::map<std::wstring, std::string> files;

  friend bool operator==(const Tree& a, const Tree& b) {
    return a.exists == b.exists && a.folders == b.folders && a.files == b.files;
  }
};

std::string describe(const Tree& tree);

// A path one change touched, as it was named at that moment.
struct Touch {
  std::int64_t millis = 0;  // the change's time as the program reports it
  std::wstring spec;        // full spec
  bool removed = false;     // the path went away (else it appeared or got new content)

  friend auto operator<=>(const Touch&, const Touch&) = default;
};

class Replay {
 public:
  // Reads <data>/journal.txt and the contents it names.
  explicit Replay(const std::filesystem::path& dataFolder);
  ~Replay();
  Replay(const Replay&) = delete;
  Replay& operator=(const Replay&) = delete;

  // The times of all changes as the program reports them, in journal order,
  // and their kinds ("check-in", "rename", ...).
  const std::vector<std::int64_t>& changeMillis() const { return millis_; }
  std::vector<std::wstring> changeKinds() const;
  // Specs of the live projects at the end of the journal.
  std::vector<std::wstring> projectsNow() const;

  // The project named by `projectNow` at the end of the journal, as it stood
  // after every change reported at or before `millis`.
  Tree treeAt(const std::wstring& projectNow, std::int64_t millis) const;

  // Every path that a change reported within [from, to] touched inside the
  // project (the project where it stood at that moment), while live.
  std::vector<Touch> touchedIn(const std::wstring& projectNow, std::int64_t from, std::int64_t to) const;

 private:
  struct State;
  struct Line {
    std::int64_t second = 0;
    std::wstring kind;
    std::wstring spec;
    std::wstring argument;
  };

  std::vector<Line> lines_;
  std::vector<std::int64_t> millis_;
  std::map<std::wstring, std::string> contents_;
};

// The time the program reports for a change stored at a UTC second: the
// instant as an OLE date, read back to milliseconds by truncation (often one
// short of the whole second).
std::int64_t reportedMillis(std::int64_t utcSecond);

}  // namespace reference

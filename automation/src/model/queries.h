// Read-only questions to the model: where a spec leads, what a project held
// at one of its versions, which version of an item stood at a point of the
// database's history, and the content of a version.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/database.h"

namespace ssapi::model {

// Sequence number later than every revision: "now".
constexpr std::uint64_t kNow = std::numeric_limits<std::uint64_t>::max();

enum class Want : std::uint8_t {
  kLive,          // only a live entry
  kDeleted,       // only a deleted entry
  kDeletedFirst,  // a deleted entry, else a live one
};

struct Located {
  ItemId item = kNoItem;
  EntryRef entry;  // none for the root
  bool deleted = false;  // the last entry's flag, or a deleted project's on the way
  StrId name = kNoText;  // the stored name of the last component
};

enum class LocateError : std::uint8_t { kNone, kSyntax, kNotFound };

// Follows a spec through the current tree; names compare without regard to
// case. Projects on the way must be live unless throughDeleted, which lets a
// deleted project serve when no live one has the name. The last component is
// chosen as `last` says.
std::optional<Located> locate(const Database& db, std::wstring_view spec, Want last, bool throughDeleted,
                              LocateError* error = nullptr);

// The current spec of a project ("$/" for the root); nullopt when the project
// is no longer attached to the tree (destroyed, archived, or below such one).
std::optional<std::wstring> projectSpec(const Database& db, ItemId project);

// The state of an entry at a project version; null when the entry did not
// exist yet or is no longer present at that version.
const EntryState* stateAt(const Item& project, std::int32_t slot, std::int32_t version);

struct Child {
  std::int32_t slot = -1;
  const EntryState* state = nullptr;
};
// The entries of a project at a version (its last version for the current
// state), sorted by name as SourceSafe keeps them, deleted ones only when
// asked.
std::vector<Child> childrenAt(const Database& db, ItemId project, std::int32_t version, bool includeDeleted);

// The latest version of an item whose revision is not later than the
// sequence number seq; 0 when there is none.
std::int32_t versionAtSeq(const Database& db, ItemId item, std::uint64_t seq);
// The latest version of an item made at or before the second; 0 when there
// is none. Of an item whose times run backwards somewhere, the highest
// version number made by then.
std::int32_t versionAtTime(const Database& db, ItemId item, std::int64_t time);

// A point of the database's history that items can be seen at: now, just
// after one change (every revision of a sequence number up to it), or the
// end of a second (every change made in it or before it, so that changes of
// one second are never split).
struct Moment {
  enum class Kind : std::uint8_t { kNow, kAfterChange, kEndOfSecond };
  Kind kind = Kind::kNow;
  std::uint64_t seq = 0;
  std::int64_t time = 0;

  static Moment now() { return {}; }
  static Moment afterChange(std::uint64_t seq) { return {Kind::kAfterChange, seq, 0}; }
  static Moment endOfSecond(std::int64_t time) { return {Kind::kEndOfSecond, 0, time}; }
  bool isNow() const { return kind == Kind::kNow; }
};

// The version of an item at the moment; 0 when it had none yet.
std::int32_t versionAt(const Database& db, ItemId item, const Moment& moment);

// The content of a file version.
const std::string& contentAt(const Database& db, ItemId file, std::int32_t version);

// The version an entry shows now: the pinned one, else the item's last.
std::int32_t currentVersion(const Database& db, const EntryState& state);

}  // namespace ssapi::model

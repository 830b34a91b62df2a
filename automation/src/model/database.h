// The database model, shaped like SourceSafe keeps a database: every physical
// item (project or file) has one record of numbered revisions; a project's
// revisions describe what happened to its entries, and its children at any
// version are derived from that record. Nothing here knows a file format:
// the text-form loader fills the model through the operations, the reader of
// SourceSafe's own files through the raw mutators below, one item at a time
// and only when the item is first looked at (see ItemLoader).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/names.h"
#include "platform/hresult.h"

namespace ssapi::model {

using ItemId = std::int32_t;
using StrId = std::uint32_t;
using ContentId = std::uint32_t;
constexpr ItemId kNoItem = -1;
constexpr StrId kNoText = 0;        // the empty string
constexpr ContentId kEmptyContent = 0;
// A content the loader rebuilds when it is first asked for (see ItemLoader).
constexpr ContentId kPendingContent = 0xFFFFFFFFu;

enum class ItemType : std::uint8_t { kProject = 0, kFile = 1 };

enum class Action : std::uint8_t {
  // In the item's own record.
  kCreate,    // version 1 of a project or file (name = its name then)
  kCheckIn,   // text = spec of the project the check-in was made through
  kLabel,     // label, labelComment
  kBranched,  // first own version of a branched file; number = branch point
  kRollback,  // number = the version whose content came back
  // In a project's record, about one entry (slot) and its item (child).
  kAdd,
  kDelete,
  kRecover,
  kDestroy,
  kPurge,
  kRename,       // name = new name, text = old name
  kMoveTo,       // the project left; text = its new spec
  kMoveFrom,     // the project entered; text = its former spec
  kShare,        // text = spec the file was shared from
  kPin,          // number = pinned version
  kUnpin,        // number = the version that was pinned
  kBranchEntry,  // child = the new physical item, other = the one shared before
  kArchive,
  kRestore,
  // In a file's own record: versions up to `number` were archived away.
  kArchiveVersions,
};

// One numbered version of a physical item.
struct Revision {
  std::int64_t time = 0;   // seconds since 1970, see Database::timeBase
  std::uint64_t seq = 0;   // global creation order; orders equal times
  StrId user = kNoText;
  StrId comment = kNoText;
  StrId label = kNoText;
  StrId labelComment = kNoText;
  StrId name = kNoText;
  StrId text = kNoText;
  ItemId child = kNoItem;
  ItemId other = kNoItem;
  std::int32_t slot = -1;
  std::int32_t number = 0;
  ContentId content = kEmptyContent;  // files: the content at this version
  Action action = Action::kCreate;
};

// The state of one project entry from a project version on.
struct EntryState {
  std::int32_t since = 0;  // project version from which this state holds
  StrId name = kNoText;
  ItemId item = kNoItem;
  std::int32_t pinned = 0;  // 0: not pinned
  bool deleted = false;
  bool present = true;   // false once destroyed, purged, archived or moved away
  bool archived = false;
};

// A place in a project that holds an item, with its changes in version order.
struct Entry {
  std::vector<EntryState> states;
  EntryState now;  // states.back(), kept beside the list: lookups read it all the time
  const EntryState& current() const { return now; }
};

struct EntryRef {
  ItemId project = kNoItem;
  std::int32_t slot = -1;
  friend bool operator==(const EntryRef&, const EntryRef&) = default;
};

struct Item {
  ItemType type = ItemType::kFile;
  bool loaded = true;  // false for an item whose records a loader reads on first use
  StrId physical = kNoText;  // SourceSafe-style physical name, "BAAAAAAA"
  bool binary = false;
  bool timesInOrder = true;  // own revision times never decrease
  std::int32_t firstVersion = 1;  // > 1 for a branch: older versions are the source's
  std::int32_t branchPoint = 0;
  ItemId branchSource = kNoItem;
  std::vector<Revision> revisions;  // revisions[i] is version firstVersion + i

  // Projects.
  std::vector<Entry> entries;
  // Every entry ever made, by the nameKey of every name it has had (entries
  // of other names may share a key); see Database::forEachNamed.
  std::unordered_map<std::uint64_t, std::vector<std::int32_t>> byName;
  EntryRef home;  // the entry that holds this project now (none for the root or when detached)
  // The latest version of this project that gave an entry another name: from
  // it on, every entry has its present name, and the entries listed in the
  // order of their present names are listed as SourceSafe orders them.
  std::int32_t lastRenameVersion = 0;
  // That order (slots), made on first use; listing a project is frequent.
  mutable std::vector<std::int32_t> presentNameOrder;
  mutable bool presentNameOrderKnown = false;

  // Files: present entries that hold this file, in the order they were made.
  std::vector<EntryRef> links;
  // Every entry that has ever held this item, projects and files alike, so
  // that where it stood at any moment can be found; never shrinks.
  std::vector<EntryRef> everHeld;

  bool isProject() const { return type == ItemType::kProject; }
  std::int32_t lastVersion() const { return firstVersion + static_cast<std::int32_t>(revisions.size()) - 1; }
};

// How stored seconds are to be read.
enum class TimeBase : std::uint8_t {
  kUtc,          // seconds since 1970-01-01 UTC
  kWriterLocal,  // the wall clock of whoever made the change, as SourceSafe's own files keep it
};

struct User {
  std::wstring name;
  std::string salt;          // hex
  std::string passwordHash;  // hex SHA-256 of "<salt>:<password>" in UTF-8
};

// Interned strings; id 0 is the empty string.
class StringPool {
 public:
  StringPool();
  StringPool(const StringPool& other);
  StringPool& operator=(const StringPool& other);
  StrId intern(std::wstring_view text);
  const std::wstring& get(StrId id) const { return strings_[id]; }

 private:
  void reindex();
  std::deque<std::wstring> strings_;
  std::unordered_map<std::wstring_view, StrId> index_;
};

// Why an item or a content could not be read; the automation objects answer
// with it when asked about that item.
struct LoadFailure {
  HRESULT code = S_OK;
  std::wstring description;
};

class Database;

// Fills items in on first use. An item handed out by newStub() has its type
// and physical name only; the first look at it through Database::item()
// makes the loader read its records. A content made by pendingContent() is
// rebuilt on first use the same way. A loader records what it cannot read
// with Database::recordFailure() and leaves a well-formed item behind.
class ItemLoader {
 public:
  virtual ~ItemLoader() = default;
  virtual void load(Database& db, ItemId id) = 0;
  virtual void loadContent(const Database& db, ItemId file, std::int32_t version, std::string* bytes,
                           LoadFailure* failure) = 0;
};

class Database {
 public:
  Database();

  TimeBase timeBase = TimeBase::kUtc;

  // Items. References to items stay valid while items are added.
  ItemId root() const { return root_; }
  const Item& item(ItemId id) const {
    const Item& it = items_[static_cast<std::size_t>(id)];
    if (!it.loaded) const_cast<Database*>(this)->materialize(id);
    return it;
  }
  // The item as far as it is known, without loading it: type and physical
  // name are always there.
  const Item& peek(ItemId id) const { return items_[static_cast<std::size_t>(id)]; }
  Item& mutableItem(ItemId id) { return items_[static_cast<std::size_t>(id)]; }
  std::size_t itemCount() const { return items_.size(); }
  ItemId newItem(ItemType type);
  void setRoot(ItemId id) { root_ = id; }

  // Lazily loaded items.
  void setLoader(std::shared_ptr<ItemLoader> loader) { loader_ = std::move(loader); }
  ItemId newStub(ItemType type, std::wstring_view physical);
  void recordFailure(ItemId id, LoadFailure failure);
  // What went wrong reading the item; null when it was read well.
  const LoadFailure* failure(ItemId id) const;

  // The revision of a version, following a branch to its source; null when
  // the version does not exist.
  const Revision* revision(ItemId id, std::int32_t version) const;
  // The item whose own record holds that version (the branch source for old
  // versions of a branch).
  ItemId owner(ItemId id, std::int32_t version) const;
  // Starts one change: every revision appended until the next call shares
  // its sequence number, so the records one change leaves in several items
  // (a project's "Added" and the new file's "Created") are one moment.
  void beginChange() { changeSeq_ = nextSeq_++; }
  // Appends a revision to the item's own record, stamping the sequence number
  // of the change begun last.
  const Revision& appendRevision(ItemId id, Revision revision);
  // Appends a revision that brings its own sequence number: a loader that
  // reads items one at a time orders revisions by their times.
  const Revision& appendLoadedRevision(ItemId id, Revision revision);
  std::uint64_t revisionCount() const { return revisionCount_; }

  // Entries of projects.
  // Calls f(slot, state) for each entry of the project that has, or had when
  // it was last present, the name (any letter case).
  template <class F>
  void forEachNamed(ItemId project, std::wstring_view name, F&& f) const {
    const Item& p = item(project);
    auto found = p.byName.find(nameKey(name));
    if (found == p.byName.end()) return;
    for (std::int32_t slot : found->second) {
      const EntryState& state = p.entries[static_cast<std::size_t>(slot)].current();
      if (sameName(text(state.name), name)) f(slot, state);
    }
  }
  // Calls f(slot) for each entry of the project that has had the name at
  // some version (and maybe others of the same key): the caller looks at
  // the entry's state at the version it wants.
  template <class F>
  void forEachEverNamed(ItemId project, std::wstring_view name, F&& f) const {
    const Item& p = item(project);
    auto found = p.byName.find(nameKey(name));
    if (found == p.byName.end()) return;
    for (std::int32_t slot : found->second) f(slot);
  }
  std::int32_t addEntry(ItemId project, const EntryState& state);
  // A new state of the entry from the project's latest version on; keeps the
  // name index, the links and the project homes up to date.
  void changeEntry(ItemId project, std::int32_t slot, const EntryState& state);

  // Strings, contents, users.
  StrId intern(std::wstring_view text) { return strings_.intern(text); }
  const std::wstring& text(StrId id) const { return strings_.get(id); }
  ContentId addContent(std::string bytes);
  // The content of a version of a file; null when the version does not exist.
  // Pending contents are rebuilt here, once.
  const std::string* versionContent(ItemId file, std::int32_t version) const;
  // Why a version's content could not be rebuilt; null when it could.
  const LoadFailure* versionContentFailure(ItemId file, std::int32_t version) const;
  const std::string& content(ContentId id) const { return contents_[id]; }
  std::size_t contentCount() const { return contents_.size(); }

  std::vector<User> users;
  const User* findUser(std::wstring_view name) const;

 private:
  void index(ItemId project, std::int32_t slot, StrId name);
  void attach(ItemId project, std::int32_t slot, ItemId item);
  void detach(ItemId project, std::int32_t slot, ItemId item);
  void materialize(ItemId id);

  static std::uint64_t versionKey(ItemId owner, std::int32_t version) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(owner)) << 32) | static_cast<std::uint32_t>(version);
  }

  std::deque<Item> items_;
  ItemId root_ = kNoItem;
  std::uint64_t nextSeq_ = 1;
  std::uint64_t changeSeq_ = 0;
  std::uint64_t revisionCount_ = 0;
  StringPool strings_;
  std::deque<std::string> contents_;  // a deque: references handed out stay valid
  std::unordered_map<std::uint64_t, ContentId> rebuilt_;  // by versionKey
  std::unordered_map<std::uint64_t, LoadFailure> contentFailures_;
  std::unordered_map<ItemId, LoadFailure> failures_;
  std::shared_ptr<ItemLoader> loader_;
  std::uint32_t nextPhysical_ = 0;
};

}  // namespace ssapi::model

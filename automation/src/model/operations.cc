#include "model/operations.h"

#include <algorithm>
#include <array>
#include <utility>

#include "model/names.h"
#include "model/queries.h"
#include "ssapi/ssapi.h"

namespace ssapi::model {
namespace {

constexpr std::array<std::pair<ChangeKind, const wchar_t*>, 17> kKeywords = {{
    {ChangeKind::kCreateProject, L"create-project"},
    {ChangeKind::kAddFile, L"add-file"},
    {ChangeKind::kCheckIn, L"check-in"},
    {ChangeKind::kRename, L"rename"},
    {ChangeKind::kMove, L"move"},
    {ChangeKind::kShare, L"share"},
    {ChangeKind::kBranch, L"branch"},
    {ChangeKind::kPin, L"pin"},
    {ChangeKind::kUnpin, L"unpin"},
    {ChangeKind::kDelete, L"delete"},
    {ChangeKind::kRecover, L"recover"},
    {ChangeKind::kDestroy, L"destroy"},
    {ChangeKind::kPurge, L"purge"},
    {ChangeKind::kLabel, L"label"},
    {ChangeKind::kArchive, L"archive"},
    {ChangeKind::kRestore, L"restore"},
    {ChangeKind::kRollback, L"rollback"},
}};

Status impossible(HRESULT code, std::wstring reason) { return {code, std::move(reason)}; }
Status impossible(std::wstring reason) { return {E_FAIL, std::move(reason)}; }

std::wstring quoted(std::wstring_view text) { return L"\"" + std::wstring(text) + L"\""; }

// One change being applied: the database, the change, and what every
// revision of it shares.
class Applier {
 public:
  Applier(Database& db, const Change& change) : db_(db), change_(change) {}

  Status run() {
    db_.beginChange();
    const User* user = db_.findUser(change_.user);
    if (!user) return impossible(ESS_UM_USER_NOT_FOUND, L"unknown user " + quoted(change_.user));
    user_ = db_.intern(user->name);
    comment_ = db_.intern(change_.comment);
    if (db_.root() == kNoItem && change_.kind != ChangeKind::kCreateProject) {
      return impossible(L"the database has no root project yet");
    }
    switch (change_.kind) {
      case ChangeKind::kCreateProject: return create(ItemType::kProject);
      case ChangeKind::kAddFile: return create(ItemType::kFile);
      case ChangeKind::kCheckIn: return checkIn();
      case ChangeKind::kRename: return rename();
      case ChangeKind::kMove: return move();
      case ChangeKind::kShare: return share();
      case ChangeKind::kBranch: return branch();
      case ChangeKind::kPin: return pin();
      case ChangeKind::kUnpin: return unpin();
      case ChangeKind::kDelete: return setDeleted(Action::kDelete);
      case ChangeKind::kRecover: return setDeleted(Action::kRecover);
      case ChangeKind::kDestroy: return remove(Action::kDestroy);
      case ChangeKind::kPurge: return remove(Action::kPurge);
      case ChangeKind::kArchive: return remove(Action::kArchive);
      case ChangeKind::kLabel: return label();
      case ChangeKind::kRestore: return restore();
      case ChangeKind::kRollback: return rollback();
    }
    return impossible(L"unknown change");
  }

 private:
  Revision base() const {
    Revision r;
    r.time = change_.time;
    r.user = user_;
    r.comment = comment_;
    return r;
  }

  // The item a spec names in the current tree, or why there is none.
  Status find(std::wstring_view spec, Want want, Located* at) {
    LocateError error = LocateError::kNone;
    auto found = locate(db_, spec, want, false, &error);
    if (found) {
      *at = std::move(*found);
      return {};
    }
    if (error == LocateError::kSyntax) return impossible(ESS_SSPEC_SYNTAX, quoted(spec) + L" is not a SourceSafe spec");
    if (want == Want::kLive && locate(db_, spec, Want::kDeleted, false)) {
      return impossible(ESS_VS_NOT_FOUND, std::wstring(spec) + L" is deleted");
    }
    if (want == Want::kDeleted && locate(db_, spec, Want::kLive, false)) {
      return impossible(ESS_VS_NOT_FOUND, std::wstring(spec) + L" is not deleted");
    }
    return impossible(ESS_VS_NOT_FOUND, L"there is no " + std::wstring(spec));
  }

  Status findProject(std::wstring_view spec, Located* at) {
    Status status = find(spec, Want::kLive, at);
    if (!status.ok()) return status;
    if (!db_.item(at->item).isProject()) return impossible(ESS_VS_WANT_PRJ, std::wstring(spec) + L" is not a project");
    return {};
  }

  Status findFile(std::wstring_view spec, Located* at) {
    Status status = find(spec, Want::kLive, at);
    if (!status.ok()) return status;
    if (db_.item(at->item).isProject()) return impossible(ESS_VS_WANT_FILE, std::wstring(spec) + L" is not a file");
    return {};
  }

  static Status notRoot(const Located& at) {
    if (at.entry.project == kNoItem) return impossible(L"the root project cannot be changed that way");
    return {};
  }

  std::wstring specOf(ItemId project) const { return projectSpec(db_, project).value_or(L"$/"); }

  // A live entry of the project with that name, other than `except`.
  bool liveNamed(ItemId project, std::wstring_view name, std::int32_t except = -1) const {
    bool clash = false;
    db_.forEachNamed(project, name, [&](std::int32_t slot, const EntryState& state) {
      if (slot != except && state.present && !state.deleted) clash = true;
    });
    return clash;
  }

  Status nameClash(ItemId project, std::wstring_view name, std::int32_t except = -1) const {
    if (liveNamed(project, name, except)) {
      return impossible(L"an item named " + std::wstring(name) + L" already exists in " + specOf(project));
    }
    return {};
  }

  // Appends a record about one entry to a project; answers the project's new version.
  std::int32_t record(ItemId project, Action action, std::int32_t slot, ItemId child, StrId name, StrId text = kNoText,
                      std::int32_t number = 0) {
    Revision r = base();
    r.action = action;
    r.slot = slot;
    r.child = child;
    r.name = name;
    r.text = text;
    r.number = number;
    db_.appendRevision(project, r);
    return db_.item(project).lastVersion();
  }

  const EntryState& entryOf(const Located& at) const {
    return db_.item(at.entry.project).entries[static_cast<std::size_t>(at.entry.slot)].current();
  }

  void change(const Located& at, std::int32_t since, EntryState state) {
    state.since = since;
    db_.changeEntry(at.entry.project, at.entry.slot, state);
  }

  Status create(ItemType type) {
    auto components = splitSpec(change_.spec);
    if (!components) return impossible(ESS_SSPEC_SYNTAX, quoted(change_.spec) + L" is not a SourceSafe spec");
    if (components->empty()) {
      if (type != ItemType::kProject) return impossible(L"the root is a project");
      if (db_.root() != kNoItem) return impossible(L"the root project exists already");
      ItemId root = db_.newItem(ItemType::kProject);
      Revision r = base();
      r.action = Action::kCreate;
      db_.appendRevision(root, r);
      db_.setRoot(root);
      return {};
    }
    const std::wstring& name = components->back();
    if (auto problem = nameProblem(name)) return impossible(*problem);
    Located parent;
    Status status = findProject(parentSpec(joinSpec(*components)), &parent);
    if (!status.ok()) return status;
    if (status = nameClash(parent.item, name); !status.ok()) return status;

    ItemId child = db_.newItem(type);
    StrId nameId = db_.intern(name);
    Revision r = base();
    r.action = Action::kCreate;
    r.name = nameId;
    if (type == ItemType::kFile) {
      r.content = change_.content;
      db_.mutableItem(child).binary = db_.content(change_.content).find('\0') != std::string::npos;
    }
    db_.appendRevision(child, r);
    auto slot = static_cast<std::int32_t>(db_.item(parent.item).entries.size());
    std::int32_t since = record(parent.item, Action::kAdd, slot, child, nameId);
    EntryState state;
    state.since = since;
    state.name = nameId;
    state.item = child;
    db_.addEntry(parent.item, state);
    return {};
  }

  Status checkIn() {
    Located at;
    Status status = findFile(change_.spec, &at);
    if (!status.ok()) return status;
    if (entryOf(at).pinned > 0) return impossible(change_.spec + L" is pinned");
    Revision r = base();
    r.action = Action::kCheckIn;
    r.text = db_.intern(specOf(at.entry.project));
    r.content = change_.content;
    db_.appendRevision(at.item, r);
    return {};
  }

  Status rename() {
    Located at;
    Status status = find(change_.spec, Want::kLive, &at);
    if (!status.ok() || !(status = notRoot(at)).ok()) return status;
    const std::wstring& newName = change_.argument;
    if (auto problem = nameProblem(newName)) return impossible(*problem);
    if (db_.text(entryOf(at).name) == newName) return impossible(change_.spec + L" is already named " + newName);
    // A file is renamed in every project that holds it, deleted entries included.
    std::vector<EntryRef> places;
    if (db_.item(at.item).isProject()) {
      places.push_back(at.entry);
    } else {
      places = db_.item(at.item).links;
    }
    for (const EntryRef& place : places) {
      if (status = nameClash(place.project, newName, place.slot); !status.ok()) return status;
    }
    StrId newId = db_.intern(newName);
    for (const EntryRef& place : places) {
      EntryState state = db_.item(place.project).entries[static_cast<std::size_t>(place.slot)].current();
      state.since = record(place.project, Action::kRename, place.slot, state.item, newId, state.name);
      state.name = newId;
      db_.changeEntry(place.project, place.slot, state);
    }
    return {};
  }

  Status move() {
    Located at;
    Status status = findProject(change_.spec, &at);
    if (!status.ok() || !(status = notRoot(at)).ok()) return status;
    Located target;
    if (status = findProject(change_.argument, &target); !status.ok()) return status;
    if (target.item == at.entry.project) return impossible(change_.spec + L" is in " + change_.argument + L" already");
    for (ItemId up = target.item; up != kNoItem; up = db_.item(up).home.project) {
      if (up == at.item) return impossible(L"a project cannot move below itself");
    }
    EntryState state = entryOf(at);
    const std::wstring& name = db_.text(state.name);
    if (status = nameClash(target.item, name); !status.ok()) return status;
    std::wstring oldSpec = childSpec(specOf(at.entry.project), name);
    std::wstring newSpec = childSpec(specOf(target.item), name);

    EntryState gone = state;
    gone.present = false;
    change(at, record(at.entry.project, Action::kMoveTo, at.entry.slot, at.item, state.name, db_.intern(newSpec)), gone);
    auto slot = static_cast<std::int32_t>(db_.item(target.item).entries.size());
    EntryState arrived = state;
    arrived.since = record(target.item, Action::kMoveFrom, slot, at.item, state.name, db_.intern(oldSpec));
    db_.addEntry(target.item, arrived);
    return {};
  }

  Status share() {
    Located at;
    Status status = findFile(change_.spec, &at);
    if (!status.ok()) return status;
    Located target;
    if (status = findProject(change_.argument, &target); !status.ok()) return status;
    if (target.item == at.entry.project) {
      return impossible(L"cannot share " + change_.spec + L" into its own project " + change_.argument);
    }
    for (const EntryRef& link : db_.item(at.item).links) {
      if (link.project == target.item) return impossible(change_.spec + L" is shared into " + change_.argument + L" already");
    }
    EntryState state = entryOf(at);
    if (status = nameClash(target.item, db_.text(state.name)); !status.ok()) return status;
    std::wstring sharedSpec = childSpec(specOf(at.entry.project), db_.text(state.name));
    auto slot = static_cast<std::int32_t>(db_.item(target.item).entries.size());
    EntryState added;
    added.name = state.name;
    added.item = at.item;
    added.since = record(target.item, Action::kShare, slot, at.item, state.name, db_.intern(sharedSpec));
    db_.addEntry(target.item, added);
    return {};
  }

  Status branch() {
    Located at;
    Status status = findFile(change_.spec, &at);
    if (!status.ok()) return status;
    if (db_.item(at.item).links.size() < 2) return impossible(change_.spec + L" is not shared");
    EntryState state = entryOf(at);
    const Item& source = db_.item(at.item);
    std::int32_t point = state.pinned > 0 ? state.pinned : source.lastVersion();
    bool binary = source.binary;
    ContentId content = db_.revision(at.item, point)->content;

    ItemId branched = db_.newItem(ItemType::kFile);
    Item& b = db_.mutableItem(branched);
    b.binary = binary;
    b.firstVersion = point + 1;
    b.branchPoint = point;
    b.branchSource = at.item;
    Revision r = base();
    r.action = Action::kBranched;
    r.name = state.name;
    r.number = point;
    r.content = content;
    db_.appendRevision(branched, r);

    Revision entryRecord = base();
    entryRecord.action = Action::kBranchEntry;
    entryRecord.slot = at.entry.slot;
    entryRecord.child = branched;
    entryRecord.other = at.item;
    entryRecord.name = state.name;
    db_.appendRevision(at.entry.project, entryRecord);
    EntryState now = state;
    now.item = branched;
    now.pinned = 0;
    change(at, db_.item(at.entry.project).lastVersion(), now);
    return {};
  }

  Status pin() {
    Located at;
    Status status = findFile(change_.spec, &at);
    if (!status.ok()) return status;
    EntryState state = entryOf(at);
    if (state.pinned > 0) return impossible(change_.spec + L" is pinned already");
    if (change_.version < 1 || change_.version > db_.item(at.item).lastVersion()) {
      return impossible(ESS_VS_VERS_NOT_FOUND, change_.spec + L" has no version " + std::to_wstring(change_.version));
    }
    state.pinned = change_.version;
    change(at, record(at.entry.project, Action::kPin, at.entry.slot, at.item, state.name, kNoText, change_.version),
           state);
    return {};
  }

  Status unpin() {
    Located at;
    Status status = findFile(change_.spec, &at);
    if (!status.ok()) return status;
    EntryState state = entryOf(at);
    if (state.pinned == 0) return impossible(change_.spec + L" is not pinned");
    std::int32_t was = state.pinned;
    state.pinned = 0;
    change(at, record(at.entry.project, Action::kUnpin, at.entry.slot, at.item, state.name, kNoText, was), state);
    return {};
  }

  Status setDeleted(Action action) {
    bool deleting = action == Action::kDelete;
    Located at;
    Status status = find(change_.spec, deleting ? Want::kLive : Want::kDeleted, &at);
    if (!status.ok() || !(status = notRoot(at)).ok()) return status;
    EntryState state = entryOf(at);
    if (!deleting) {
      if (status = nameClash(at.entry.project, db_.text(state.name), at.entry.slot); !status.ok()) return status;
    }
    state.deleted = deleting;
    change(at, record(at.entry.project, action, at.entry.slot, at.item, state.name), state);
    return {};
  }

  Status remove(Action action) {
    Located at;
    Status status = find(change_.spec, action == Action::kPurge ? Want::kDeleted : Want::kLive, &at);
    if (!status.ok() || !(status = notRoot(at)).ok()) return status;
    EntryState state = entryOf(at);
    state.present = false;
    state.archived = action == Action::kArchive;
    change(at, record(at.entry.project, action, at.entry.slot, at.item, state.name), state);
    return {};
  }

  Status label() {
    Located at;
    Status status = find(change_.spec, Want::kLive, &at);
    if (!status.ok()) return status;
    if (change_.argument.empty()) return impossible(L"the label is empty");
    const Item& it = db_.item(at.item);
    Revision r = base();
    r.action = Action::kLabel;
    r.label = db_.intern(change_.argument);
    r.labelComment = db_.intern(change_.labelComment);
    if (!it.isProject()) r.content = it.revisions.back().content;
    db_.appendRevision(at.item, r);
    return {};
  }

  Status restore() {
    auto components = splitSpec(change_.spec);
    if (!components) return impossible(ESS_SSPEC_SYNTAX, quoted(change_.spec) + L" is not a SourceSafe spec");
    if (components->empty()) return impossible(L"the root project cannot be changed that way");
    Located parent;
    Status status = findProject(parentSpec(joinSpec(*components)), &parent);
    if (!status.ok()) return status;
    const Item& p = db_.item(parent.item);
    std::int32_t slot = -1;
    db_.forEachNamed(parent.item, components->back(), [&](std::int32_t candidate, const EntryState& state) {
      if (state.archived) slot = std::max(slot, candidate);
    });
    if (slot < 0) return impossible(ESS_VS_NOT_FOUND, L"nothing named " + components->back() + L" was archived from " + specOf(parent.item));
    EntryState state = p.entries[static_cast<std::size_t>(slot)].current();
    if (db_.item(state.item).isProject() && db_.item(state.item).home.project != kNoItem) {
      return impossible(change_.spec + L" is in the database already");
    }
    if (status = nameClash(parent.item, db_.text(state.name)); !status.ok()) return status;
    state.present = true;
    state.archived = false;
    state.deleted = false;
    state.since = record(parent.item, Action::kRestore, slot, state.item, state.name);
    db_.changeEntry(parent.item, slot, state);
    return {};
  }

  Status rollback() {
    Located at;
    Status status = findFile(change_.spec, &at);
    if (!status.ok()) return status;
    if (entryOf(at).pinned > 0) return impossible(change_.spec + L" is pinned");
    std::int32_t last = db_.item(at.item).lastVersion();
    if (change_.version < 1 || change_.version >= last) {
      return impossible(ESS_VS_VERS_NOT_FOUND,
                        change_.spec + L" cannot roll back to version " + std::to_wstring(change_.version));
    }
    Revision r = base();
    r.action = Action::kRollback;
    r.number = change_.version;
    r.content = db_.revision(at.item, change_.version)->content;
    db_.appendRevision(at.item, r);
    return {};
  }

  Database& db_;
  const Change& change_;
  StrId user_ = kNoText;
  StrId comment_ = kNoText;
};

}  // namespace

const wchar_t* changeKeyword(ChangeKind kind) {
  for (const auto& [k, word] : kKeywords)
    if (k == kind) return word;
  return L"?";
}

bool changeFromKeyword(std::wstring_view keyword, ChangeKind* kind) {
  for (const auto& [k, word] : kKeywords) {
    if (keyword == word) {
      *kind = k;
      return true;
    }
  }
  return false;
}

Status apply(Database& db, const Change& change) { return Applier(db, change).run(); }

std::wstring describeChange(const Change& change) {
  std::wstring text = changeKeyword(change.kind);
  text += L' ';
  text += change.spec;
  switch (change.kind) {
    case ChangeKind::kRename: text += L" to " + change.argument; break;
    case ChangeKind::kMove:
    case ChangeKind::kShare: text += L" into " + change.argument; break;
    case ChangeKind::kPin:
    case ChangeKind::kRollback: text += L" to version " + std::to_wstring(change.version); break;
    case ChangeKind::kLabel: text += L" '" + change.argument + L"'"; break;
    default: break;
  }
  return text;
}

}  // namespace ssapi::model

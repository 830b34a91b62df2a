#include "native/model_loader.h"

#include <algorithm>
#include <exception>
#include <new>
#include <unordered_set>
#include <vector>

#include <fmt/xchar.h>

#include "model/names.h"
#include "native/ascii_text.h"
#include "native/name_check.h"
#include "native/physical_name.h"
#include "ssapi/ssapi.h"

namespace ssapi::native {
namespace {

using model::Action;
using model::EntryState;
using model::ItemId;
using model::ItemType;

// Revisions of items read one at a time cannot be numbered in the order they
// were made across the database; their times order them instead. All
// revisions of one second count as made together, and an item's own
// revisions never go back in that order even when its clock did.
std::uint64_t orderOf(std::uint32_t time, std::uint64_t previous) {
  std::uint64_t seq = (std::uint64_t{time} << 20) | 0xFFFFF;
  return std::max(seq, previous);
}

model::LoadFailure asFailure(const Status& status) { return {status.code, status.description}; }

model::LoadFailure unexpectedAction(const ItemFile& item, const HistoryRecord& record, std::wstring_view kind) {
  Status status = corruptAt(item.path, record.offset,
                            fmt::format(L"the action {} does not belong in the record of a {}",
                                        actionCodeName(record.action), kind));
  return asFailure(status);
}

ItemType typeOfProjectAction(ActionCode code) {
  switch (code) {
    case ActionCode::kAddProject:
    case ActionCode::kDeleteProject:
    case ActionCode::kRecoverProject:
    case ActionCode::kDestroyProject:
    case ActionCode::kRenameProject:
    case ActionCode::kMoveFrom:
    case ActionCode::kMoveTo:
    case ActionCode::kArchiveProject:
    case ActionCode::kRestoreProject: return ItemType::kProject;
    default: return ItemType::kFile;
  }
}

// The entries of one project while its records are replayed.
class ProjectReplay {
 public:
  ProjectReplay(model::Database& db, ItemId project) : db_(db), project_(project) {}

  // The entry that holds the physical item now, or -1.
  std::int32_t slotOf(const std::string& physical) const {
    auto found = slots_.find(physical);
    return found == slots_.end() ? -1 : found->second;
  }

  std::int32_t add(const std::string& physical, EntryState state) {
    std::int32_t slot = db_.addEntry(project_, state);
    slots_[physical] = slot;
    return slot;
  }

  // The entry of a record whose earlier records were not kept (archived
  // versions, repairs): it starts at this record.
  std::int32_t existing(const std::string& physical, ItemId child, model::StrId name, std::int32_t version) {
    std::int32_t slot = slotOf(physical);
    if (slot >= 0) return slot;
    EntryState state;
    state.since = version;
    state.name = name;
    state.item = child;
    return add(physical, state);
  }

  const EntryState& now(std::int32_t slot) const {
    return db_.item(project_).entries[static_cast<std::size_t>(slot)].current();
  }

  void change(std::int32_t slot, EntryState state, std::int32_t version) {
    state.since = version;
    db_.changeEntry(project_, slot, state);
  }

  void moveSlot(const std::string& from, const std::string& to, std::int32_t slot) {
    slots_.erase(from);
    slots_[to] = slot;
  }

 private:
  model::Database& db_;
  ItemId project_;
  std::unordered_map<std::string, std::int32_t> slots_;
};

}  // namespace

model::ItemId ModelLoader::attachRoot(model::Database& db) {
  ItemId root = stubFor(db, std::string(kRootPhysical), ItemType::kProject);
  db.setRoot(root);
  return root;
}

model::ItemId ModelLoader::stubFor(model::Database& db, const std::string& physical, ItemType type) {
  std::string key = upperAscii(physical);
  auto found = byPhysical_.find(key);
  if (found != byPhysical_.end()) return found->second;
  ItemId id = db.newStub(type, std::wstring(key.begin(), key.end()));
  byPhysical_.emplace(std::move(key), id);
  return id;
}

std::wstring ModelLoader::nameOf(const VssName& name) const {
  std::wstring text;
  if (files_->resolveName(name, &text).ok()) return text;
  // A names.dat that lost the long name still leaves the short one.
  return files_->decode(name.shortName);
}

model::Revision ModelLoader::common(model::Database& db, const HistoryRecord& record, std::uint64_t* seq) const {
  model::Revision r;
  r.time = record.time;
  *seq = orderOf(record.time, *seq);
  r.seq = *seq;
  r.user = db.intern(files_->decode(record.user));
  r.comment = db.intern(files_->decode(record.comment));
  r.label = db.intern(files_->decode(record.label));
  r.labelComment = db.intern(files_->decode(record.labelComment));
  return r;
}

// Parents are loaded from within a load; a damaged database could chain
// them deeper than the stack allows.
constexpr int kMaxLoadDepth = 512;

// No exception leaves the library: an item whose load threw is damaged,
// like one whose files could not be read.
void ModelLoader::load(model::Database& db, ItemId id) {
  try {
    loadItem(db, id);
  } catch (const std::bad_alloc&) {
    db.recordFailure(id, {E_OUTOFMEMORY, L"Not enough memory to read the item"});
  } catch (const std::exception& thrown) {
    db.recordFailure(id, {E_FAIL, fmt::format(L"Reading the item failed: {}", files_->decode(thrown.what()))});
  }
}

void ModelLoader::loadItem(model::Database& db, ItemId id) {
  const model::Item& stub = db.peek(id);
  if (depth_ >= kMaxLoadDepth) {
    db.recordFailure(id, {ESS_CORRUPT, L"The database's projects are nested too deeply to be read"});
    return;
  }
  struct Depth {
    int& depth;
    explicit Depth(int& d) : depth(d) { ++depth; }
    ~Depth() { --depth; }
  } depth(depth_);
  const std::wstring& wide = db.text(stub.physical);
  std::string physical(wide.begin(), wide.end());
  auto item = std::make_shared<ItemFile>();
  std::vector<ProjectEntry> entries;
  std::wstring dataFile;
  Status read = stub.isProject() ? files_->readProject(physical, item.get(), &entries, &dataFile)
                                 : files_->readItem(physical, item.get());
  if (!read.ok()) {
    db.recordFailure(id, asFailure(read));
    return;
  }
  if (item->header.isProject() != stub.isProject()) {
    db.recordFailure(id, asFailure(corrupt(item->path, stub.isProject() ? L"a project was expected, the item is a file"
                                                                        : L"a file was expected, the item is a project")));
    return;
  }
  std::string key = upperAscii(physical);
  ItemIdentity identity = identityOf(*item, id == db.root() ? std::wstring() : nameOf(item->header.name));
  if (auto pending = claims_.find(key); pending != claims_.end()) {
    std::vector<EntryClaim> claims = std::move(pending->second);
    claims_.erase(pending);
    for (const EntryClaim& claim : claims) {
      if (Status status = checkIdentity(identity, claim); !status.ok()) {
        db.recordFailure(id, asFailure(status));
        return;
      }
    }
  }
  identities_.emplace(key, std::move(identity));
  if (stub.isProject()) {
    loadProject(db, id, *item, entries, dataFile);
  } else {
    loadFile(db, id, *item);
    fileItems_.emplace(id, std::move(item));
  }
}

void ModelLoader::claim(model::Database& db, ItemId project, const std::string& physical,
                        EntryClaim claim) {
  if (auto known = identities_.find(physical); known != identities_.end()) {
    if (Status status = checkEntry(known->second, claim); !status.ok()) db.recordFailure(project, asFailure(status));
    return;
  }
  claims_[physical].push_back(std::move(claim));
}

void ModelLoader::loadProject(model::Database& db, ItemId id, const ItemFile& item,
                              const std::vector<ProjectEntry>& entries, const std::wstring& dataFile) {
  db.mutableItem(id).firstVersion = item.header.firstVersion;
  ProjectReplay replay(db, id);
  std::uint64_t seq = 0;
  bool isRoot = id == db.root();
  for (const HistoryRecord& record : item.history) {
    model::Revision r = common(db, record, &seq);
    std::int32_t version = record.version;
    ItemType type = typeOfProjectAction(record.action);
    std::string physical = upperAscii(record.physical);
    std::wstring nameText = nameOf(record.name);
    model::StrId name = db.intern(nameText);
    r.name = name;
    ItemId child = physical.empty() ? model::kNoItem : stubFor(db, physical, type);
    r.child = child;

    // A record the project cannot take keeps its version and fails the project.
    auto refuseFor = [&](Status status) {
      db.recordFailure(id, asFailure(status));
      r.action = Action::kLabel;
      r.name = model::kNoText;
      r.child = model::kNoItem;
      db.appendLoadedRevision(id, r);
    };
    auto refuse = [&](std::wstring_view why) { refuseFor(corruptAt(item.path, record.offset, why)); };

    // Every name and spec of a record that reaches the model is checked
    // first: the root's creation and labels carry none.
    bool named = record.action != ActionCode::kLabel && !(isRoot && record.action == ActionCode::kCreateProject);
    if (named) {
      Status checked = checkItemName(nameText, item.path, record.offset);
      if (checked.ok() && (record.action == ActionCode::kRenameProject || record.action == ActionCode::kRenameFile)) {
        checked = checkItemName(nameOf(record.oldName), item.path, record.offset);
      }
      if (checked.ok() && !record.spec.empty()) {
        checked = checkStoredSpec(files_->decode(record.spec), item.path, record.offset);
      }
      if (!checked.ok()) {
        refuseFor(checked);
        continue;
      }
    }

    // Appends the record about an entry and gives the entry its new state.
    auto entryChange = [&](Action action, std::int32_t slot, EntryState state) {
      r.action = action;
      r.slot = slot;
      db.appendLoadedRevision(id, r);
      replay.change(slot, state, version);
    };

    switch (record.action) {
      case ActionCode::kCreateProject:
        r.action = Action::kCreate;
        r.child = model::kNoItem;
        if (isRoot) r.name = model::kNoText;
        db.appendLoadedRevision(id, r);
        break;
      case ActionCode::kLabel:
        r.action = Action::kLabel;
        r.child = model::kNoItem;
        db.appendLoadedRevision(id, r);
        break;
      case ActionCode::kAddProject:
      case ActionCode::kAddFile:
      case ActionCode::kMoveFrom:
      case ActionCode::kShareFile: {
        if (child == model::kNoItem) {
          refuse(L"the record names no item");
          break;
        }
        if (record.action == ActionCode::kShareFile && record.shareKind != ShareKind::kShare) {
          std::int32_t slot = replay.existing(physical, child, name, version);
          EntryState state = replay.now(slot);
          if (record.shareKind == ShareKind::kPin) {
            r.number = record.pinnedVersion;
            state.pinned = record.pinnedVersion;
            entryChange(Action::kPin, slot, state);
          } else {
            r.number = record.unpinnedVersion;
            state.pinned = 0;
            entryChange(Action::kUnpin, slot, state);
          }
          break;
        }
        if (record.action == ActionCode::kMoveFrom) {
          r.action = Action::kMoveFrom;
          r.text = db.intern(files_->decode(record.spec));
        } else if (record.action == ActionCode::kShareFile) {
          r.action = Action::kShare;
          r.text = db.intern(model::childSpec(files_->decode(record.spec), db.text(name)));
        } else {
          r.action = Action::kAdd;
        }
        r.slot = static_cast<std::int32_t>(db.item(id).entries.size());
        db.appendLoadedRevision(id, r);
        EntryState state;
        state.since = version;
        state.name = name;
        state.item = child;
        if (record.action == ActionCode::kShareFile && record.pinnedVersion > 0) state.pinned = record.pinnedVersion;
        replay.add(physical, state);
        break;
      }
      case ActionCode::kDeleteProject:
      case ActionCode::kDeleteFile:
      case ActionCode::kRecoverProject:
      case ActionCode::kRecoverFile:
      case ActionCode::kDestroyProject:
      case ActionCode::kDestroyFile:
      case ActionCode::kRenameProject:
      case ActionCode::kRenameFile:
      case ActionCode::kMoveTo:
      case ActionCode::kArchiveFile:
      case ActionCode::kArchiveProject:
      case ActionCode::kRestoreFile:
      case ActionCode::kRestoreProject: {
        if (child == model::kNoItem) {
          refuse(L"the record names no item");
          break;
        }
        model::StrId before = name;
        if (record.action == ActionCode::kRenameProject || record.action == ActionCode::kRenameFile) {
          before = db.intern(nameOf(record.oldName));
        }
        std::int32_t slot = replay.existing(physical, child, before, version);
        EntryState state = replay.now(slot);
        switch (record.action) {
          case ActionCode::kDeleteProject:
          case ActionCode::kDeleteFile:
            state.deleted = true;
            entryChange(Action::kDelete, slot, state);
            break;
          case ActionCode::kRecoverProject:
          case ActionCode::kRecoverFile:
            state.deleted = false;
            entryChange(Action::kRecover, slot, state);
            break;
          case ActionCode::kDestroyProject:
          case ActionCode::kDestroyFile:
            state.present = false;
            entryChange(record.wasDeleted ? Action::kPurge : Action::kDestroy, slot, state);
            break;
          case ActionCode::kRenameProject:
          case ActionCode::kRenameFile:
            r.text = before;
            state.name = name;
            entryChange(Action::kRename, slot, state);
            break;
          case ActionCode::kMoveTo:
            r.text = db.intern(files_->decode(record.spec));
            state.present = false;
            entryChange(Action::kMoveTo, slot, state);
            break;
          case ActionCode::kArchiveFile:
          case ActionCode::kArchiveProject:
            state.present = false;
            state.archived = true;
            entryChange(Action::kArchive, slot, state);
            break;
          default:  // restores
            state.present = true;
            state.archived = false;
            state.deleted = false;
            entryChange(Action::kRestore, slot, state);
            break;
        }
        break;
      }
      case ActionCode::kBranchFile: {
        std::string source = upperAscii(record.branchSource);
        if (child == model::kNoItem || source.empty()) {
          refuse(L"the branch record names no file");
          break;
        }
        ItemId from = stubFor(db, source, ItemType::kFile);
        std::int32_t slot = replay.existing(source, from, name, version);
        EntryState state = replay.now(slot);
        state.item = child;
        state.pinned = 0;
        r.other = from;
        entryChange(Action::kBranchEntry, slot, state);
        replay.moveSlot(source, physical, slot);
        break;
      }
      default:  // a file's action in a project's record
        refuse(fmt::format(L"the action {} does not belong in the record of a project", actionCodeName(record.action)));
        break;
    }
  }

  // The data file lists the children as they are; where the replay ended
  // elsewhere, the data file wins from the latest version on.
  std::int32_t last = db.item(id).lastVersion();
  std::unordered_set<std::int32_t> listed;
  std::string self = upperAscii(item.physical);
  for (const ProjectEntry& entry : entries) {
    std::string physical = upperAscii(entry.physical);
    std::wstring nameText = nameOf(entry.name);
    if (Status status = checkItemName(nameText, dataFile, entry.offset); !status.ok()) {
      db.recordFailure(id, asFailure(status));
      continue;
    }
    ItemType type = entry.kind == ItemKind::kProject ? ItemType::kProject : ItemType::kFile;
    ItemId child = stubFor(db, physical, type);
    claim(db, id, physical, EntryClaim{self, dataFile, entry.offset, entry.kind, nameText});
    model::StrId name = db.intern(nameText);
    std::int32_t slot = replay.slotOf(physical);
    if (slot >= 0 && !replay.now(slot).present) slot = -1;
    if (slot < 0) {
      EntryState state;
      state.since = last;
      state.name = name;
      state.item = child;
      state.deleted = entry.deleted();
      state.pinned = entry.pinnedVersion;
      slot = replay.add(physical, state);
    } else {
      EntryState state = replay.now(slot);
      if (state.name != name || state.deleted != entry.deleted() || state.pinned != entry.pinnedVersion) {
        state.name = name;
        state.deleted = entry.deleted();
        state.pinned = entry.pinnedVersion;
        replay.change(slot, state, last);
      }
    }
    listed.insert(slot);
  }
  const auto& all = db.item(id).entries;
  for (std::size_t slot = 0; slot < all.size(); ++slot) {
    auto s = static_cast<std::int32_t>(slot);
    if (!all[slot].current().present || listed.count(s)) continue;
    EntryState state = all[slot].current();
    state.present = false;
    replay.change(s, state, last);
  }

  // A project reached from below (a file's parents) learns its place in the
  // tree from its parent's entries.
  if (!isRoot && !item.header.project.parentPhysical.empty()) {
    (void)db.item(stubFor(db, item.header.project.parentPhysical, ItemType::kProject));
  }
}

void ModelLoader::loadFile(model::Database& db, ItemId id, const ItemFile& item) {
  {
    model::Item& it = db.mutableItem(id);
    it.binary = item.header.file.binary();
    it.firstVersion = item.header.firstVersion;
    if (item.header.firstVersion > 1 && !item.header.file.branchSource.empty()) {
      it.branchPoint = item.header.firstVersion - 1;
    }
  }
  if (item.header.firstVersion > 1 && !item.header.file.branchSource.empty()) {
    ItemId source = stubFor(db, item.header.file.branchSource, ItemType::kFile);
    db.mutableItem(id).branchSource = source;
  }
  std::uint64_t seq = 0;
  for (const HistoryRecord& record : item.history) {
    model::Revision r = common(db, record, &seq);
    r.content = model::kPendingContent;
    // A name or spec that cannot be one fails the file; its version stays.
    auto checked = [&](Status status) {
      if (status.ok()) return true;
      db.recordFailure(id, asFailure(status));
      r.action = Action::kLabel;
      return false;
    };
    switch (record.action) {
      case ActionCode::kCreateFile: {
        std::wstring name = nameOf(record.name);
        if (!checked(checkItemName(name, item.path, record.offset))) break;
        r.action = Action::kCreate;
        r.name = db.intern(name);
        break;
      }
      case ActionCode::kCheckIn: {
        std::wstring spec = files_->decode(record.spec);
        if (!checked(checkStoredSpec(spec, item.path, record.offset))) break;
        r.action = Action::kCheckIn;
        r.text = db.intern(spec);
        break;
      }
      case ActionCode::kLabel: r.action = Action::kLabel; break;
      case ActionCode::kCreateBranch: {
        std::wstring name = nameOf(record.name);
        if (!checked(checkItemName(name, item.path, record.offset))) break;
        r.action = Action::kBranched;
        r.name = db.intern(name);
        r.number = record.version - 1;
        break;
      }
      case ActionCode::kArchiveVersions: {
        std::wstring name = nameOf(item.header.name);
        if (!checked(checkItemName(name, item.path, record.offset))) break;
        r.action = Action::kArchiveVersions;
        r.name = db.intern(name);
        r.number = record.archivedVersion;
        break;
      }
      default:
        db.recordFailure(id, unexpectedAction(item, record, L"file"));
        r.action = Action::kLabel;
        break;
    }
    db.appendLoadedRevision(id, r);
  }

  // Every project holding the file, so that its links are complete; they
  // keep the order in which the entries were made.
  for (const std::string& parent : item.parents) {
    if (!parent.empty()) (void)db.item(stubFor(db, parent, ItemType::kProject));
  }
  auto madeAt = [&](const model::EntryRef& link) {
    const model::Item& project = db.item(link.project);
    std::int32_t since = project.entries[static_cast<std::size_t>(link.slot)].states.front().since;
    const model::Revision* r = db.revision(link.project, since);
    return r ? r->seq : 0;
  };
  auto madeFirst = [&](const model::EntryRef& a, const model::EntryRef& b) { return madeAt(a) < madeAt(b); };
  model::Item& file = db.mutableItem(id);
  std::stable_sort(file.links.begin(), file.links.end(), madeFirst);
  std::stable_sort(file.everHeld.begin(), file.everHeld.end(), madeFirst);
}

void ModelLoader::loadContent(const model::Database& db, ItemId file, std::int32_t version, std::string* bytes,
                              model::LoadFailure* failure) {
  try {
    loadVersionContent(db, file, version, bytes, failure);
  } catch (const std::bad_alloc&) {
    *failure = {E_OUTOFMEMORY, L"Not enough memory to rebuild the version"};
  } catch (const std::exception& thrown) {
    *failure = {E_FAIL, fmt::format(L"Rebuilding the version failed: {}", files_->decode(thrown.what()))};
  }
}

void ModelLoader::loadVersionContent(const model::Database&, ItemId file, std::int32_t version, std::string* bytes,
                                     model::LoadFailure* failure) {
  auto found = fileItems_.find(file);
  if (found == fileItems_.end()) {
    *failure = {E_FAIL, L"The file's records were not read"};
    return;
  }
  if (Status status = files_->contentAt(*found->second, version, bytes); !status.ok()) *failure = asFailure(status);
}

}  // namespace ssapi::native

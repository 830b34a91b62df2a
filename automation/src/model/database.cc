#include "model/database.h"

#include <algorithm>

#include "model/names.h"

namespace ssapi::model {
namespace {

// SourceSafe counts physical names with the first letter turning fastest:
// AAAAAAAA, BAAAAAAA, ..., ZAAAAAAA, ABAAAAAA.
std::wstring physicalName(std::uint32_t n) {
  std::wstring name(8, L'A');
  for (int i = 0; i < 8; ++i) {
    name[i] = static_cast<wchar_t>(L'A' + n % 26);
    n /= 26;
  }
  return name;
}

}  // namespace

StringPool::StringPool() { strings_.emplace_back(); index_.emplace(std::wstring_view(strings_.front()), 0); }

StringPool::StringPool(const StringPool& other) : strings_(other.strings_) { reindex(); }

StringPool& StringPool::operator=(const StringPool& other) {
  if (this != &other) {
    strings_ = other.strings_;
    reindex();
  }
  return *this;
}

// The index points into the deque's strings, which a copy does not share.
void StringPool::reindex() {
  index_.clear();
  index_.reserve(strings_.size());
  for (std::size_t i = 0; i < strings_.size(); ++i) index_.emplace(std::wstring_view(strings_[i]), static_cast<StrId>(i));
}

StrId StringPool::intern(std::wstring_view text) {
  auto found = index_.find(text);
  if (found != index_.end()) return found->second;
  auto id = static_cast<StrId>(strings_.size());
  strings_.emplace_back(text);
  index_.emplace(std::wstring_view(strings_.back()), id);
  return id;
}

Database::Database() { contents_.emplace_back(); }

ItemId Database::newItem(ItemType type) {
  Item item;
  item.type = type;
  item.physical = intern(physicalName(nextPhysical_++));
  items_.push_back(std::move(item));
  return static_cast<ItemId>(items_.size() - 1);
}

ItemId Database::newStub(ItemType type, std::wstring_view physical) {
  Item item;
  item.type = type;
  item.loaded = false;
  item.physical = intern(physical);
  items_.push_back(std::move(item));
  return static_cast<ItemId>(items_.size() - 1);
}

// Marks the item loaded before the loader runs: loading one item looks at
// others (parents, branch sources), and a damaged database may lead back to
// the item being loaded.
void Database::materialize(ItemId id) {
  Item& it = items_[static_cast<std::size_t>(id)];
  it.loaded = true;
  if (loader_) loader_->load(*this, id);
  if (it.revisions.empty()) {
    // Whatever the loader could not read, the item keeps one version, as
    // every item of SourceSafe has at least its creation.
    if (!failures_.count(id)) failures_[id] = {E_FAIL, L"The item could not be read"};
    Revision created;
    created.action = Action::kCreate;
    appendLoadedRevision(id, created);
  }
}

void Database::recordFailure(ItemId id, LoadFailure failure) { failures_.emplace(id, std::move(failure)); }

const LoadFailure* Database::failure(ItemId id) const {
  (void)item(id);
  auto found = failures_.find(id);
  return found == failures_.end() ? nullptr : &found->second;
}

const Revision* Database::revision(ItemId id, std::int32_t version) const {
  ItemId holder = owner(id, version);
  if (holder == kNoItem) return nullptr;
  const Item& it = item(holder);
  return &it.revisions[static_cast<std::size_t>(version - it.firstVersion)];
}

ItemId Database::owner(ItemId id, std::int32_t version) const {
  while (id != kNoItem) {
    const Item& it = item(id);
    if (version > it.lastVersion() || version < 1) return kNoItem;
    if (version >= it.firstVersion) return id;
    if (version > it.branchPoint) return kNoItem;
    id = it.branchSource;
  }
  return kNoItem;
}

const Revision& Database::appendRevision(ItemId id, Revision revision) {
  Item& it = mutableItem(id);
  if (changeSeq_ == 0) beginChange();
  revision.seq = changeSeq_;
  ++revisionCount_;
  if (!it.revisions.empty() && revision.time < it.revisions.back().time) it.timesInOrder = false;
  it.revisions.push_back(revision);
  return it.revisions.back();
}

const Revision& Database::appendLoadedRevision(ItemId id, Revision revision) {
  Item& it = mutableItem(id);
  ++revisionCount_;
  if (!it.revisions.empty() && revision.time < it.revisions.back().time) it.timesInOrder = false;
  it.revisions.push_back(revision);
  return it.revisions.back();
}

std::int32_t Database::addEntry(ItemId project, const EntryState& state) {
  Item& p = mutableItem(project);
  p.entries.emplace_back();
  auto slot = static_cast<std::int32_t>(p.entries.size() - 1);
  p.entries.back().states.push_back(state);
  p.entries.back().now = state;
  p.presentNameOrderKnown = false;
  index(project, slot, state.name);
  if (state.present) attach(project, slot, state.item);
  return slot;
}

void Database::changeEntry(ItemId project, std::int32_t slot, const EntryState& state) {
  Entry& entry = mutableItem(project).entries[static_cast<std::size_t>(slot)];
  EntryState before = entry.now;
  if (entry.states.back().since == state.since) {
    entry.states.back() = state;
  } else {
    entry.states.push_back(state);
  }
  entry.now = state;
  // The entry stays under its old names too: it held them at older versions.
  if (before.name != state.name) {
    index(project, slot, state.name);
    Item& p = mutableItem(project);
    p.lastRenameVersion = std::max(p.lastRenameVersion, state.since);
    p.presentNameOrderKnown = false;
  }
  // Links keep the order in which they were made, so a rename leaves them be.
  bool sameHolder = before.present && state.present && before.item == state.item;
  if (before.present && !sameHolder) detach(project, slot, before.item);
  if (state.present && !sameHolder) attach(project, slot, state.item);
}

void Database::index(ItemId project, std::int32_t slot, StrId name) {
  std::vector<std::int32_t>& slots = mutableItem(project).byName[nameKey(text(name))];
  if (std::find(slots.begin(), slots.end(), slot) == slots.end()) slots.push_back(slot);
}

void Database::attach(ItemId project, std::int32_t slot, ItemId item) {
  Item& child = mutableItem(item);
  if (std::find(child.everHeld.begin(), child.everHeld.end(), EntryRef{project, slot}) == child.everHeld.end()) {
    child.everHeld.push_back({project, slot});
  }
  if (child.isProject()) {
    // A project has one home. A loader that reads projects in any order may
    // meet the entry a project left after the one it went to; the entry it
    // left then does not take it back.
    if (child.home.project == kNoItem) child.home = {project, slot};
  } else {
    child.links.push_back({project, slot});
  }
}

void Database::detach(ItemId project, std::int32_t slot, ItemId item) {
  Item& child = mutableItem(item);
  if (child.isProject()) {
    if (child.home == EntryRef{project, slot}) child.home = {};
  } else {
    std::erase(child.links, EntryRef{project, slot});
  }
}

ContentId Database::addContent(std::string bytes) {
  if (bytes.empty()) return kEmptyContent;
  contents_.push_back(std::move(bytes));
  return static_cast<ContentId>(contents_.size() - 1);
}

const std::string* Database::versionContent(ItemId file, std::int32_t version) const {
  ItemId holder = owner(file, version);
  if (holder == kNoItem) return nullptr;
  const Revision* r = revision(holder, version);
  if (r->content != kPendingContent) return &contents_[r->content];
  std::uint64_t key = versionKey(holder, version);
  auto found = rebuilt_.find(key);
  if (found != rebuilt_.end()) return &contents_[found->second];
  auto* self = const_cast<Database*>(this);
  std::string bytes;
  LoadFailure problem;
  if (loader_) {
    loader_->loadContent(*this, holder, version, &bytes, &problem);
  } else {
    problem = {E_FAIL, L"The content cannot be read"};
  }
  if (FAILED(problem.code)) {
    self->contentFailures_.emplace(key, std::move(problem));
    bytes.clear();
  }
  self->contents_.push_back(std::move(bytes));
  auto id = static_cast<ContentId>(contents_.size() - 1);
  self->rebuilt_.emplace(key, id);
  return &contents_[id];
}

const LoadFailure* Database::versionContentFailure(ItemId file, std::int32_t version) const {
  ItemId holder = owner(file, version);
  if (holder == kNoItem) return nullptr;
  (void)versionContent(holder, version);
  auto found = contentFailures_.find(versionKey(holder, version));
  return found == contentFailures_.end() ? nullptr : &found->second;
}

const User* Database::findUser(std::wstring_view name) const {
  for (const User& user : users)
    if (sameName(user.name, name)) return &user;
  return nullptr;
}

}  // namespace ssapi::model

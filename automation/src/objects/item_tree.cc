#include "objects/item_tree.h"

#include <algorithm>

#include "model/names.h"
#include "ssapi/ssapi.h"

namespace ssapi::objects {

namespace {

// Deeper than any real tree; a damaged database may link a project below
// itself, and the walk up must end all the same.
constexpr int kMaxDepth = 512;

// An item SourceSafe destroyed or archived away has lost its files; the
// project's older versions, which still held it, leave it out, as nothing
// of it can be read any more.
bool gone(const model::Database& db, const model::EntryState& now) {
  if (now.present) return false;
  const model::LoadFailure* failure = db.failure(now.item);
  return failure && failure->code == ESS_FILE_NOTFOUND;
}

const model::EntryState& currentState(const model::Database& db, const model::EntryRef& entry) {
  return db.item(entry.project).entries[static_cast<std::size_t>(entry.slot)].current();
}

std::optional<Whereabouts> locateAt(const model::Database& db, model::ItemId item, model::EntryRef preferred,
                                    const model::Moment& moment, int depth);

// The entry's state at the moment when it held the item then, with the path
// of the project holding it.
std::optional<Whereabouts> heldBy(const model::Database& db, model::ItemId item, model::EntryRef entry,
                                  const model::Moment& moment, int depth) {
  if (entry.project == model::kNoItem) return std::nullopt;
  std::int32_t projectVersion = model::versionAt(db, entry.project, moment);
  if (projectVersion == 0) return std::nullopt;
  const model::EntryState* state = model::stateAt(db.item(entry.project), entry.slot, projectVersion);
  if (!state || state->item != item) return std::nullopt;
  auto parent = locateAt(db, entry.project, db.item(entry.project).home, moment, depth + 1);
  if (!parent) return std::nullopt;
  return Whereabouts{entry, state, model::childSpec(parent->spec, db.text(state->name)),
                     parent->deleted || state->deleted};
}

std::optional<Whereabouts> locateAt(const model::Database& db, model::ItemId item, model::EntryRef preferred,
                                    const model::Moment& moment, int depth) {
  if (item == db.root()) return Whereabouts{{}, nullptr, L"$/", false};
  if (depth > kMaxDepth) return std::nullopt;
  if (auto found = heldBy(db, item, preferred, moment, depth)) return found;
  for (const model::EntryRef& entry : db.item(item).everHeld) {
    if (entry == preferred) continue;
    if (auto found = heldBy(db, item, entry, moment, depth)) return found;
  }
  return std::nullopt;
}

// Whether the item, standing nowhere at the moment, was taken out of the
// tree then: an entry held it and was archived, destroyed or moved away, or
// the project holding it was itself taken out. Without such evidence (a
// project gone with its record of the item) where it stood cannot be told,
// and it is not taken for removed.
bool removedAt(const model::Database& db, model::ItemId item, const model::Moment& moment, int depth) {
  if (item == db.root() || depth > kMaxDepth) return false;
  for (const model::EntryRef& entry : db.item(item).everHeld) {
    if (entry.project == model::kNoItem) continue;
    const std::int32_t version = model::versionAt(db, entry.project, moment);
    if (version == 0) continue;
    const auto& states = db.item(entry.project).entries[static_cast<std::size_t>(entry.slot)].states;
    auto after = std::upper_bound(states.begin(), states.end(), version,
                                  [](std::int32_t v, const model::EntryState& st) { return v < st.since; });
    if (after == states.begin() || (after - 1)->item != item) continue;
    if (!(after - 1)->present || removedAt(db, entry.project, moment, depth + 1)) return true;
  }
  return false;
}

}  // namespace

std::optional<Whereabouts> whereabouts(const model::Database& db, model::ItemId item, model::EntryRef preferred,
                                       const model::Moment& moment) {
  return locateAt(db, item, preferred, moment, 0);
}

ItemRef refAt(const model::Database& db, const ItemRef& from, std::int32_t version, const model::Moment& moment) {
  ItemRef ref = from;
  ref.version = version;
  ref.moment = moment;
  if (auto where = whereabouts(db, from.item, from.entry, moment)) {
    ref.entry = where->entry;
    ref.spec = std::move(where->spec);
    ref.deleted = where->deleted;
    ref.name = where->state ? db.text(where->state->name) : L"";
  } else if (removedAt(db, from.item, moment, 0)) {
    // It stood in no project at that moment (archived or destroyed with a
    // project above it): nothing of it was live then, though a file shared
    // into it may still have written its changes there.
    ref.deleted = true;
  }
  return ref;
}

bool pinHolds(const model::Database& db, const model::EntryState& state) {
  return state.pinned <= 0 || db.revision(state.item, state.pinned) != nullptr;
}

HRESULT pinFailure(const std::wstring& projectSpec, const std::wstring& name, std::int32_t pinned) {
  return fail(ESS_CORRUPT, L"Project \"" + projectSpec + L"\" may be corrupt: it pins \"" + name + L"\" to version " +
                               std::to_wstring(pinned) + L", which the file does not have");
}

namespace {

// The child an entry of the project holds at the project's version, reached
// by a walk that came down through `above`.
HRESULT childRef(const model::Database& db, const ItemRef& project, const std::shared_ptr<const ProjectsAbove>& above,
                 std::int32_t slot, const model::EntryState& state, ItemRef* out) {
  ItemRef ref;
  ref.item = state.item;
  ref.moment = project.moment;
  ref.version = state.pinned > 0 ? state.pinned : std::max(1, model::versionAt(db, state.item, project.moment));
  ref.entry = {project.item, slot};
  ref.deleted = state.deleted || project.deleted;
  ref.name = db.text(state.name);
  ref.spec = model::childSpec(project.spec, ref.name);
  if (!pinHolds(db, state)) return pinFailure(project.spec, ref.name, state.pinned);
  if (db.peek(state.item).isProject()) {
    int depth = 0;
    for (const ProjectsAbove* at = above.get(); at; at = at->next.get()) {
      if (at->project == state.item) {
        return fail(ESS_CORRUPT, L"Project \"" + project.spec + L"\" may be corrupt: it holds \"" + ref.name +
                                     L"\", which holds it");
      }
      ++depth;
    }
    if (depth > kMaxDepth) {
      return fail(ESS_CORRUPT, L"Project \"" + project.spec + L"\" may be corrupt: it lies deeper than " +
                                   std::to_wstring(kMaxDepth) + L" projects");
    }
  }
  ref.above = above;
  *out = std::move(ref);
  return S_OK;
}

std::shared_ptr<const ProjectsAbove> walkedThrough(const ItemRef& project) {
  return std::make_shared<const ProjectsAbove>(ProjectsAbove{project.item, project.above});
}

}  // namespace

HRESULT childRefs(const model::Database& db, const ItemRef& project, bool includeDeleted,
                  std::vector<ItemRef>* children) {
  children->clear();
  const auto above = walkedThrough(project);
  const model::Item& holder = db.item(project.item);
  for (const model::Child& child : model::childrenAt(db, project.item, project.version, true)) {
    if ((child.state->deleted || project.deleted) && !includeDeleted) continue;
    if (gone(db, holder.entries[static_cast<std::size_t>(child.slot)].current())) continue;
    ItemRef ref;
    if (HRESULT hr = childRef(db, project, above, child.slot, *child.state, &ref); FAILED(hr)) return hr;
    children->push_back(std::move(ref));
  }
  return S_OK;
}

HRESULT namedChildRef(const model::Database& db, const ItemRef& project, const std::wstring& name, bool deleted,
                      ItemRef* found) {
  const model::Item& holder = db.item(project.item);
  // History texts name subprojects as "$name"; no item name holds a "$", so
  // such a name can only mean the subproject.
  const bool projectName = name.size() > 1 && name[0] == L'$';
  // The first in the listing's order: by name without regard to case, then
  // by entry.
  std::int32_t best = -1;
  std::wstring bestKey;
  const model::EntryState* bestState = nullptr;
  auto consider = [&](const std::wstring& wanted, bool projectsOnly) {
    db.forEachEverNamed(project.item, wanted, [&](std::int32_t slot) {
      const model::EntryState* state = model::stateAt(holder, slot, project.version);
      if (!state || !model::sameName(db.text(state->name), wanted)) return;
      if ((state->deleted || project.deleted) != deleted) return;
      if (projectsOnly && !db.peek(state->item).isProject()) return;
      if (gone(db, holder.entries[static_cast<std::size_t>(slot)].current())) return;
      std::wstring key = model::foldName(db.text(state->name));
      if (best >= 0 && std::tie(key, slot) >= std::tie(bestKey, best)) return;
      best = slot;
      bestKey = std::move(key);
      bestState = state;
    });
  };
  consider(name, false);
  if (projectName) consider(name.substr(1), true);
  if (best < 0) return fail(ESS_VS_CHILD_NOT_FOUND, L"Subproject or file not found");
  return childRef(db, project, walkedThrough(project), best, *bestState, found);
}

bool parentRef(const model::Database& db, const ItemRef& item, ItemRef* parent) {
  if (item.entry.project == model::kNoItem) return false;
  ItemRef ref;
  ref.item = item.entry.project;
  ref.moment = item.moment;
  ref.version = std::max(1, model::versionAt(db, ref.item, item.moment));
  ref.spec = model::parentSpec(item.spec);
  ref.name = model::lastComponent(ref.spec);
  if (auto where = whereabouts(db, ref.item, db.item(ref.item).home, item.moment)) {
    ref.entry = where->entry;
    ref.deleted = where->deleted;
  } else if (db.item(ref.item).home.project != model::kNoItem) {
    ref.entry = db.item(ref.item).home;
    ref.deleted = currentState(db, ref.entry).deleted;
  }
  *parent = std::move(ref);
  return true;
}

std::vector<ItemRef> linkRefs(const model::Database& db, const ItemRef& item) {
  const model::Item& it = db.item(item.item);
  if (it.isProject()) return {item};
  std::vector<ItemRef> refs;
  std::int32_t version = std::max(1, model::versionAt(db, item.item, item.moment));
  for (const model::EntryRef& entry : it.everHeld) {
    auto where = heldBy(db, item.item, entry, item.moment, 0);
    if (!where) continue;  // not held there then, or below a project no longer in the tree
    if (!pinHolds(db, *where->state)) continue;  // a damaged entry: listing its project fails
    ItemRef ref;
    ref.item = item.item;
    ref.moment = item.moment;
    ref.version = where->state->pinned > 0 ? where->state->pinned : version;
    ref.entry = entry;
    ref.deleted = where->deleted;
    ref.name = db.text(where->state->name);
    ref.spec = std::move(where->spec);
    refs.push_back(std::move(ref));
  }
  return refs;
}

namespace {

// `project` is found[at] (or the top project, at -1); the refs found get
// no spec, which below deep projects would take more memory than the
// database: BelowItem::parent leads to it.
void collectBelow(const model::Database& db, const ItemRef& project, std::int32_t at, bool files,
                  std::vector<bool>* seen, std::vector<BelowItem>* found, int depth) {
  if (depth > kMaxDepth) return;
  const model::Item& holder = db.item(project.item);
  for (std::size_t slot = 0; slot < holder.entries.size(); ++slot) {
    const model::Entry& entry = holder.entries[slot];
    if (entry.states.front().since > project.version) break;  // entries are made in version order
    if (gone(db, entry.current())) continue;
    // Every item this entry held while present (a branch puts a new one in).
    for (const model::EntryState& state : entry.states) {
      if (state.since > project.version) break;
      if (!state.present) continue;
      // Loading an item may add items to the database: the marks grow with it.
      auto index = static_cast<std::size_t>(state.item);
      if (index >= seen->size()) seen->resize(db.itemCount(), false);
      if ((*seen)[index]) continue;
      (*seen)[index] = true;
      const model::Item& it = db.item(state.item);
      ItemRef ref;
      ref.item = state.item;
      ref.moment = project.moment;
      ref.version = std::max(1, model::versionAt(db, state.item, project.moment));
      ref.entry = {project.item, static_cast<std::int32_t>(slot)};
      ref.deleted = state.deleted || project.deleted;
      ref.name = db.text(state.name);
      if (it.isProject()) {
        found->push_back({ref, at});
        collectBelow(db, ref, static_cast<std::int32_t>(found->size() - 1), files, seen, found, depth + 1);
      } else if (files) {
        found->push_back({std::move(ref), at});
      }
    }
  }
}

}  // namespace

std::vector<BelowItem> everBelow(const model::Database& db, const ItemRef& project, bool files) {
  std::vector<bool> seen(db.itemCount(), false);
  seen[static_cast<std::size_t>(project.item)] = true;
  std::vector<BelowItem> found;
  collectBelow(db, project, -1, files, &seen, &found, 0);
  return found;
}

}  // namespace ssapi::objects

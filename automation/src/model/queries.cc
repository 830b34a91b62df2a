#include "model/queries.h"

#include <algorithm>

#include "model/names.h"

namespace ssapi::model {
namespace {

// Among the present entries of a project with a name: a live one, or a
// deleted one, as wanted.
std::int32_t findEntry(const Database& db, ItemId project, std::wstring_view name, Want want) {
  std::int32_t live = -1;
  std::int32_t deleted = -1;
  db.forEachNamed(project, name, [&](std::int32_t slot, const EntryState& state) {
    if (!state.present) return;
    if (state.deleted) {
      if (deleted < 0) deleted = slot;
    } else if (live < 0) {
      live = slot;
    }
  });
  switch (want) {
    case Want::kLive: return live;
    case Want::kDeleted: return deleted;
    case Want::kDeletedFirst: return deleted >= 0 ? deleted : live;
  }
  return -1;
}

}  // namespace

std::optional<Located> locate(const Database& db, std::wstring_view spec, Want last, bool throughDeleted,
                              LocateError* error) {
  auto fail = [&](LocateError e) -> std::optional<Located> {
    if (error) *error = e;
    return std::nullopt;
  };
  auto components = splitSpec(spec);
  if (!components) return fail(LocateError::kSyntax);
  if (db.root() == kNoItem) return fail(LocateError::kNotFound);
  Located at;
  at.item = db.root();
  for (std::size_t i = 0; i < components->size(); ++i) {
    const Item& project = db.item(at.item);
    if (!project.isProject()) return fail(LocateError::kNotFound);
    const std::wstring& name = (*components)[i];
    bool isLast = i + 1 == components->size();
    std::int32_t slot = -1;
    if (isLast) {
      slot = findEntry(db, at.item, name, last);
    } else {
      slot = findEntry(db, at.item, name, Want::kLive);
      if (slot < 0 && throughDeleted) slot = findEntry(db, at.item, name, Want::kDeleted);
    }
    if (slot < 0) return fail(LocateError::kNotFound);
    const EntryState& state = project.entries[static_cast<std::size_t>(slot)].current();
    if (!isLast && !db.item(state.item).isProject()) return fail(LocateError::kNotFound);
    at.entry = {at.item, slot};
    // A deleted project's content counts as deleted with it.
    at.deleted = at.deleted || state.deleted;
    at.item = state.item;
    at.name = state.name;
  }
  if (error) *error = LocateError::kNone;
  return at;
}

std::optional<std::wstring> projectSpec(const Database& db, ItemId project) {
  std::vector<const std::wstring*> names;
  ItemId at = project;
  while (at != db.root()) {
    const Item& it = db.item(at);
    if (it.home.project == kNoItem) return std::nullopt;
    const Item& parent = db.item(it.home.project);
    names.push_back(&db.text(parent.entries[static_cast<std::size_t>(it.home.slot)].current().name));
    at = it.home.project;
  }
  std::wstring spec = L"$/";
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    if (spec.size() > 2) spec += L'/';
    spec += **name;
  }
  return spec;
}

const EntryState* stateAt(const Item& project, std::int32_t slot, std::int32_t version) {
  const Entry& entry = project.entries[static_cast<std::size_t>(slot)];
  auto after = std::upper_bound(entry.states.begin(), entry.states.end(), version,
                                [](std::int32_t v, const EntryState& s) { return v < s.since; });
  if (after == entry.states.begin()) return nullptr;
  const EntryState& state = *(after - 1);
  return state.present ? &state : nullptr;
}

namespace {

// Slots in the order of the names they have, without regard to case, then
// of the slots.
template <class NameOf>
std::vector<std::int32_t> orderByName(const Database& db, std::vector<std::int32_t> slots, NameOf&& nameOf) {
  std::vector<std::pair<std::wstring, std::int32_t>> keys;
  keys.reserve(slots.size());
  for (std::int32_t slot : slots) keys.emplace_back(foldName(db.text(nameOf(slot))), slot);
  std::sort(keys.begin(), keys.end());
  for (std::size_t i = 0; i < keys.size(); ++i) slots[i] = keys[i].second;
  return slots;
}

}  // namespace

std::vector<Child> childrenAt(const Database& db, ItemId project, std::int32_t version, bool includeDeleted) {
  const Item& p = db.item(project);
  std::vector<Child> children;
  auto take = [&](std::int32_t slot) {
    const EntryState* state = stateAt(p, slot, version);
    if (state && (includeDeleted || !state->deleted)) children.push_back({slot, state});
  };
  if (version >= p.lastRenameVersion) {
    // No entry had another name then than now: the order of the present
    // names is the order then.
    if (!p.presentNameOrderKnown) {
      std::vector<std::int32_t> all(p.entries.size());
      for (std::size_t slot = 0; slot < all.size(); ++slot) all[slot] = static_cast<std::int32_t>(slot);
      p.presentNameOrder = orderByName(db, std::move(all), [&](std::int32_t slot) {
        return p.entries[static_cast<std::size_t>(slot)].current().name;
      });
      p.presentNameOrderKnown = true;
    }
    for (std::int32_t slot : p.presentNameOrder) {
      if (p.entries[static_cast<std::size_t>(slot)].states.front().since <= version) take(slot);
    }
    return children;
  }
  // Entries are made in version order, so the ones made after the version end the scan.
  for (std::size_t slot = 0; slot < p.entries.size(); ++slot) {
    if (p.entries[slot].states.front().since > version) break;
    take(static_cast<std::int32_t>(slot));
  }
  std::vector<std::int32_t> slots;
  slots.reserve(children.size());
  std::vector<const EntryState*> stateOf(p.entries.size(), nullptr);
  for (const Child& child : children) {
    slots.push_back(child.slot);
    stateOf[static_cast<std::size_t>(child.slot)] = child.state;
  }
  slots = orderByName(db, std::move(slots), [&](std::int32_t slot) { return stateOf[static_cast<std::size_t>(slot)]->name; });
  for (std::size_t i = 0; i < slots.size(); ++i) children[i] = {slots[i], stateOf[static_cast<std::size_t>(slots[i])]};
  return children;
}

std::int32_t versionAtSeq(const Database& db, ItemId item, std::uint64_t seq) {
  std::int32_t limit = db.item(item).lastVersion();
  while (item != kNoItem) {
    const Item& it = db.item(item);
    // Own revisions up to the limit, in sequence order.
    auto end = it.revisions.begin() + std::max(0, std::min(limit, it.lastVersion()) - it.firstVersion + 1);
    auto after = std::upper_bound(it.revisions.begin(), end, seq,
                                  [](std::uint64_t s, const Revision& r) { return s < r.seq; });
    if (after != it.revisions.begin()) {
      return it.firstVersion + static_cast<std::int32_t>(after - it.revisions.begin()) - 1;
    }
    limit = it.branchPoint;
    item = it.branchSource;
  }
  return 0;
}

std::int32_t versionAtTime(const Database& db, ItemId item, std::int64_t time) {
  std::int32_t limit = db.item(item).lastVersion();
  while (item != kNoItem) {
    const Item& it = db.item(item);
    auto end = it.revisions.begin() + std::max(0, std::min(limit, it.lastVersion()) - it.firstVersion + 1);
    if (it.timesInOrder) {
      auto after = std::upper_bound(it.revisions.begin(), end, time,
                                    [](std::int64_t t, const Revision& r) { return t < r.time; });
      if (after != it.revisions.begin()) {
        return it.firstVersion + static_cast<std::int32_t>(after - it.revisions.begin()) - 1;
      }
    } else {
      for (auto r = end; r != it.revisions.begin();) {
        --r;
        if (r->time <= time) return it.firstVersion + static_cast<std::int32_t>(r - it.revisions.begin());
      }
    }
    limit = it.branchPoint;
    item = it.branchSource;
  }
  return 0;
}

std::int32_t versionAt(const Database& db, ItemId item, const Moment& moment) {
  switch (moment.kind) {
    case Moment::Kind::kNow: return db.item(item).lastVersion();
    case Moment::Kind::kAfterChange: return versionAtSeq(db, item, moment.seq);
    case Moment::Kind::kEndOfSecond: return versionAtTime(db, item, moment.time);
  }
  return 0;
}

const std::string& contentAt(const Database& db, ItemId file, std::int32_t version) {
  const std::string* bytes = db.versionContent(file, version);
  return bytes ? *bytes : db.content(kEmptyContent);
}

std::int32_t currentVersion(const Database& db, const EntryState& state) {
  return state.pinned > 0 ? state.pinned : db.item(state.item).lastVersion();
}

}  // namespace ssapi::model

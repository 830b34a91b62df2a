#include "objects/item_tree.h"

#include "model/names.h"
#include "model/queries.h"
#include "ssapi/ssapi.h"

namespace ssapi::objects {

namespace {

// An item SourceSafe destroyed or archived away has lost its files; the
// project's older versions, which still held it, leave it out, as nothing
// of it can be read any more.
bool gone(const model::Database& db, const model::EntryState& now) {
  if (now.present) return false;
  const model::LoadFailure* failure = db.failure(now.item);
  return failure && failure->code == ESS_FILE_NOTFOUND;
}

}  // namespace

std::uint64_t cutOf(const model::Database& db, const ItemRef& item) {
  if (item.current) return model::kNow;
  // A project's newest version stands until its next change: the changes
  // below it since then belong to it, as a get of that version shows them.
  if (item.version == db.item(item.item).lastVersion()) return model::kNow;
  const model::Revision* revision = db.revision(item.item, item.version);
  return revision ? revision->seq : model::kNow;
}

std::vector<ItemRef> childRefs(const model::Database& db, const ItemRef& project, std::int32_t version,
                               std::uint64_t cut, bool includeDeleted) {
  std::vector<ItemRef> refs;
  const model::Item& holder = db.item(project.item);
  for (const model::Child& child : model::childrenAt(db, project.item, version, includeDeleted)) {
    const model::EntryState& state = *child.state;
    if (gone(db, holder.entries[static_cast<std::size_t>(child.slot)].current())) continue;
    ItemRef ref;
    ref.item = state.item;
    ref.current = project.current;
    if (state.pinned > 0) {
      ref.version = state.pinned;
    } else if (cut == model::kNow) {
      ref.version = db.item(state.item).lastVersion();
    } else {
      ref.version = model::versionAtSeq(db, state.item, cut);
      if (ref.version == 0) ref.version = 1;
    }
    ref.entry = {project.item, child.slot};
    ref.deleted = state.deleted;
    ref.name = db.text(state.name);
    ref.spec = model::childSpec(project.spec, ref.name);
    refs.push_back(std::move(ref));
  }
  return refs;
}

std::vector<ItemRef> childRefs(const model::Database& db, const ItemRef& project, bool includeDeleted) {
  std::int32_t version = project.current ? db.item(project.item).lastVersion() : project.version;
  return childRefs(db, project, version, cutOf(db, project), includeDeleted);
}

bool parentRef(const model::Database& db, const ItemRef& item, ItemRef* parent) {
  if (item.entry.project == model::kNoItem) return false;
  ItemRef ref;
  ref.item = item.entry.project;
  const model::Item& p = db.item(ref.item);
  ref.version = p.lastVersion();
  ref.spec = model::parentSpec(item.spec);
  ref.name = model::lastComponent(ref.spec);
  if (p.home.project != model::kNoItem) {
    ref.entry = p.home;
    ref.deleted = db.item(p.home.project).entries[static_cast<std::size_t>(p.home.slot)].current().deleted;
  }
  *parent = std::move(ref);
  return true;
}

std::vector<ItemRef> linkRefs(const model::Database& db, const ItemRef& item) {
  const model::Item& it = db.item(item.item);
  if (it.isProject()) return {item};
  std::vector<ItemRef> refs;
  for (const model::EntryRef& link : it.links) {
    auto projectSpec = model::projectSpec(db, link.project);
    if (!projectSpec) continue;  // below a destroyed or archived project
    const model::EntryState& state = db.item(link.project).entries[static_cast<std::size_t>(link.slot)].current();
    ItemRef ref;
    ref.item = item.item;
    ref.version = model::currentVersion(db, state);
    ref.entry = link;
    ref.deleted = state.deleted;
    ref.name = db.text(state.name);
    ref.spec = model::childSpec(*projectSpec, ref.name);
    refs.push_back(std::move(ref));
  }
  return refs;
}

}  // namespace ssapi::objects

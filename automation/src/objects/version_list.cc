#include "objects/version_list.h"

#include <algorithm>
#include <limits>

#include "model/names.h"
#include "model/queries.h"
#include "objects/item_tree.h"
#include "ssapi/ssapi.h"

namespace ssapi::objects {
namespace {

// True when the versions 1..max of an item, counted downwards, run newest first.
bool inTimeOrder(const model::Database& db, model::ItemId id, std::int32_t max) {
  std::int64_t later = std::numeric_limits<std::int64_t>::max();
  for (model::ItemId at = id; at != model::kNoItem;) {
    const model::Item& it = db.item(at);
    std::int32_t top = std::min(max, it.lastVersion());
    if (top >= it.firstVersion) {
      if (!it.timesInOrder) return false;
      const model::Revision& newest = it.revisions[static_cast<std::size_t>(top - it.firstVersion)];
      if (newest.time > later) return false;
      later = it.revisions.front().time;
    }
    max = it.branchPoint;
    at = it.branchSource;
  }
  return true;
}

}  // namespace

HRESULT versionSources(const model::Database& db, const ItemRef& item, long flags,
                       std::vector<VersionSource>* sources) {
  sources->clear();
  sources->push_back({item, model::versionAt(db, item.item, item.moment)});
  if ((flags & VSSFLAG_RECURSYES) && db.item(item.item).isProject()) {
    for (BelowItem& below : everBelow(db, item, (flags & VSSFLAG_HISTIGNOREFILES) == 0)) {
      // The list would leave out what the damaged item's records hold; a
      // caller could not tell it from a list that is whole.
      if (const model::LoadFailure* damage = db.failure(below.ref.item)) {
        return fail(damage->code, damage->description);
      }
      std::int32_t last = model::versionAt(db, below.ref.item, item.moment);
      // Sources are the found items shifted by the item itself, first.
      sources->push_back({std::move(below.ref), last, below.parent + 1});
    }
  }
  return S_OK;
}

ItemRef pathOf(const std::vector<VersionSource>& sources, std::size_t index) {
  ItemRef path = sources[index].path;
  if (index == 0) return path;
  std::vector<const std::wstring*> names;
  std::size_t at = index;
  for (; at != 0; at = static_cast<std::size_t>(sources[at].parent)) names.push_back(&sources[at].path.name);
  std::wstring spec = sources[0].path.spec;
  for (auto name = names.rbegin(); name != names.rend(); ++name) spec = model::childSpec(spec, **name);
  path.spec = std::move(spec);
  return path;
}

VersionMerger::VersionMerger(std::shared_ptr<const model::Database> db,
                             std::shared_ptr<const std::vector<VersionSource>> sources)
    : db_(std::move(db)), sources_(std::move(sources)) {
  reset();
}

void VersionMerger::reset() {
  heap_ = {};
  cursors_.assign(sources_->size(), Cursor{});
  for (std::size_t i = 0; i < sources_->size(); ++i) {
    const VersionSource& source = (*sources_)[i];
    Cursor& cursor = cursors_[i];
    if (inTimeOrder(*db_, source.path.item, source.maxVersion)) {
      cursor.version = source.maxVersion;
    } else {
      for (std::int32_t v = source.maxVersion; v >= 1; --v)
        if (db_->revision(source.path.item, v)) cursor.order.push_back(v);
      std::stable_sort(cursor.order.begin(), cursor.order.end(), [&](std::int32_t a, std::int32_t b) {
        const model::Revision* ra = db_->revision(source.path.item, a);
        const model::Revision* rb = db_->revision(source.path.item, b);
        if (ra->time != rb->time) return ra->time > rb->time;
        return ra->seq > rb->seq;
      });
      cursor.version = cursor.order.empty() ? 0 : cursor.order.front();
    }
    push(i);
  }
}

void VersionMerger::push(std::size_t source) {
  const Cursor& cursor = cursors_[source];
  if (cursor.version <= 0) return;
  const model::Revision* r = db_->revision((*sources_)[source].path.item, cursor.version);
  if (!r) return;
  heap_.push({r->time, r->seq, source, cursor.version});
}

const VersionPoint* VersionMerger::peek() const {
  if (heap_.empty()) return nullptr;
  peeked_ = {heap_.top().source, heap_.top().version};
  return &peeked_;
}

bool VersionMerger::next(VersionPoint* point) {
  if (heap_.empty()) return false;
  Head head = heap_.top();
  heap_.pop();
  *point = {head.source, head.version};
  Cursor& cursor = cursors_[head.source];
  if (cursor.order.empty()) {
    --cursor.version;
  } else {
    ++cursor.position;
    cursor.version = cursor.position < cursor.order.size() ? cursor.order[cursor.position] : 0;
  }
  push(head.source);
  return true;
}

}  // namespace ssapi::objects

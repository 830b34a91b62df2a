// Items reached from other items, all at the moment the first one stands
// at: the children of a project, its parent, the links of a file, and where
// an item stood at some moment of the database's history.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/database.h"
#include "model/queries.h"
#include "objects/session.h"

namespace ssapi::objects {

// Where an item stood at a moment: the entry that held it then, its spec
// through the projects that held them then (names as they were), and
// whether that entry or a project above it was deleted then.
struct Whereabouts {
  model::EntryRef entry;                      // none for the root
  const model::EntryState* state = nullptr;  // the entry's state then; null for the root
  std::wstring spec;
  bool deleted = false;
};

// The entry `preferred` when it held the item at the moment, else the first
// other entry that did; nullopt when none did (the item was not in the tree
// then, or the nesting is deeper than any database has).
std::optional<Whereabouts> whereabouts(const model::Database& db, model::ItemId item, model::EntryRef preferred,
                                       const model::Moment& moment);

// The item of `from` at a version and a moment, named as it was named then
// (through the entry `from` was reached by when that entry held it). An item
// that no entry readable now held then keeps the path of `from`; asked for
// as of a time, it counts as deleted then (one of its versions keeps the
// flag of `from`: SourceSafe's files may not tell where it stood).
ItemRef refAt(const model::Database& db, const ItemRef& from, std::int32_t version, const model::Moment& moment);

// The children of a project item at its version, each at the item's moment
// (a pinned entry at its pinned version), in SourceSafe's entry order.
// Fails with ESS_CORRUPT when the project lists itself or a project the walk
// came down through, or the walk is deeper than any database nests.
HRESULT childRefs(const model::Database& db, const ItemRef& project, bool includeDeleted,
                  std::vector<ItemRef>* children);

// A pin names a version of the file; one the file does not have is damage,
// which listing the project fails on (pinFailure) rather than hand out an
// item at a version that is not there.
bool pinHolds(const model::Database& db, const model::EntryState& state);
HRESULT pinFailure(const std::wstring& projectSpec, const std::wstring& name, std::int32_t pinned);

// The child of that name (any letter case; "$name" also names a subproject)
// at the project's version whose deleted flag is `deleted`: the first such
// child childRefs would list. Looked up by name, not by listing them all.
HRESULT namedChildRef(const model::Database& db, const ItemRef& project, const std::wstring& name, bool deleted,
                      ItemRef* found);

// The containing project at the item's moment; false for the root.
bool parentRef(const model::Database& db, const ItemRef& item, ItemRef* parent);

// Every project entry that held the same physical file at the item's moment,
// the item's own one included; a project has only itself.
std::vector<ItemRef> linkRefs(const model::Database& db, const ItemRef& item);

// An item found below a project, without its spec: the spec is that of the
// project it was found in (`parent`, an index into the same list, or -1 for
// the project asked about) joined with its name.
struct BelowItem {
  ItemRef ref;
  std::int32_t parent = -1;
};

// The physical items below a project that were ever in it up to the
// project's version, each once, in tree order (a project before what it
// holds), each reached through the first entry that held it. Items whose
// files are gone are left out.
std::vector<BelowItem> everBelow(const model::Database& db, const ItemRef& project, bool files);

}  // namespace ssapi::objects

// Items reached from other items: the children of a project as it stood at
// the version an item object stands for, its parent, and its links.
#pragma once

#include <cstdint>
#include <vector>

#include "model/database.h"
#include "objects/session.h"

namespace ssapi::objects {

// The point of the database's history an item object stands for: now for a
// current item, else the moment of its version's revision.
std::uint64_t cutOf(const model::Database& db, const ItemRef& item);

// The children of a project item at `version` of the project, each as it stood
// at `cut` (a pinned entry at its pinned version), in SourceSafe's entry order.
std::vector<ItemRef> childRefs(const model::Database& db, const ItemRef& project, std::int32_t version,
                               std::uint64_t cut, bool includeDeleted);
// The same for the version and moment the project item stands for.
std::vector<ItemRef> childRefs(const model::Database& db, const ItemRef& project, bool includeDeleted);

// The containing project as it is now; false for the root.
bool parentRef(const model::Database& db, const ItemRef& item, ItemRef* parent);

// Every project entry that holds the same physical file, the item's own one
// included; a project has only itself.
std::vector<ItemRef> linkRefs(const model::Database& db, const ItemRef& item);

}  // namespace ssapi::objects

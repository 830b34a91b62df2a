// Whether an item file is the item a project entry points at. A project
// entry names its child by physical name only; an item file that was
// swapped with another, or copied over it, would otherwise have its
// versions counted as the other item's. SourceSafe's files say enough to
// tell: the child's header holds its type and latest name, a project's
// header its parent project, and a file's parent links every project that
// holds it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "native/item_file.h"
#include "native/status.h"

namespace ssapi::native {

// What an item file says about itself.
struct ItemIdentity {
  std::wstring path;  // of the item file, for messages
  ItemKind kind = ItemKind::kFile;
  std::wstring name;                 // the header's name, resolved
  std::string parentPhysical;        // projects: the parent project, upper case
  std::vector<std::string> parents;  // files: projects holding it, upper case
};

// What a project's entry says about its child.
struct EntryClaim {
  std::string project;    // physical name of the project, upper case
  std::wstring dataFile;  // the project's data file, for messages
  std::uint32_t offset = 0;
  ItemKind kind = ItemKind::kFile;
  std::wstring name;
};

ItemIdentity identityOf(const ItemFile& item, std::wstring name);

// Fails with ESS_CORRUPT naming the item file when the type differs, when
// a project names another parent or another name (letter case ignored), or
// when a file's parent links leave out the project. A file that more than
// one project holds may carry another name in each, so only a file held by
// one project is held to its name.
Status checkIdentity(const ItemIdentity& item, const EntryClaim& claim);

// The same check, failing with ESS_CORRUPT naming the project's data file:
// for an item whose file agreed with the project that held it first, the
// entry is what is wrong (a project listing itself or a project above it).
Status checkEntry(const ItemIdentity& item, const EntryClaim& claim);

}  // namespace ssapi::native

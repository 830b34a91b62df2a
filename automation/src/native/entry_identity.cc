#include "native/entry_identity.h"

#include <fmt/xchar.h>

#include <algorithm>

#include "model/names.h"
#include "native/ascii_text.h"

namespace ssapi::native {
namespace {

const wchar_t* kindWord(ItemKind kind) { return kind == ItemKind::kProject ? L"project" : L"file"; }

std::wstring wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

}  // namespace

ItemIdentity identityOf(const ItemFile& item, std::wstring name) {
  ItemIdentity identity;
  identity.path = item.path;
  identity.kind = item.header.kind;
  identity.name = std::move(name);
  if (item.header.isProject()) {
    identity.parentPhysical = upperAscii(item.header.project.parentPhysical);
  } else {
    for (const std::string& parent : item.parents) identity.parents.push_back(upperAscii(parent));
  }
  return identity;
}

namespace {

// Why the item file is not the item the entry points at; empty when it is.
std::wstring identityMismatch(const ItemIdentity& item, const EntryClaim& claim) {
  if (item.kind != claim.kind) {
    return fmt::format(L"it is a {} where a {} is listed", kindWord(item.kind), kindWord(claim.kind));
  }
  bool held = item.kind == ItemKind::kProject
                  ? item.parentPhysical == claim.project
                  : std::find(item.parents.begin(), item.parents.end(), claim.project) != item.parents.end();
  if (!held) return fmt::format(L"it does not name {} among the projects holding it", wide(claim.project));
  bool nameBinds = item.kind == ItemKind::kProject || item.parents.size() <= 1;
  if (nameBinds && !model::sameName(item.name, claim.name)) {
    return fmt::format(L"its header names it \"{}\" where \"{}\" is listed", item.name, claim.name);
  }
  return {};
}

}  // namespace

Status checkIdentity(const ItemIdentity& item, const EntryClaim& claim) {
  const std::wstring why = identityMismatch(item, claim);
  if (why.empty()) return success();
  return corrupt(item.path,
                 fmt::format(L"{}, but the entry at offset 0x{:x} of \"{}\" points at it", why, claim.offset, claim.dataFile));
}

Status checkEntry(const ItemIdentity& item, const EntryClaim& claim) {
  const std::wstring why = identityMismatch(item, claim);
  if (why.empty()) return success();
  return corruptAt(claim.dataFile, claim.offset, fmt::format(L"the entry points at \"{}\", but {}", item.path, why));
}

}  // namespace ssapi::native

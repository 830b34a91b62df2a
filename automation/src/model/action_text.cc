#include "model/action_text.h"

namespace ssapi::model {
namespace {

// SourceSafe writes project names with a leading "$" in its texts.
std::wstring childName(const Database& db, ItemId child, StrId name) {
  // The type is known without reading the child's own records.
  std::wstring text = child != kNoItem && db.peek(child).isProject() ? L"$" : L"";
  text += db.text(name);
  return text;
}

}  // namespace

std::wstring actionText(const Database& db, ItemId owner, const Revision& r) {
  const std::wstring& text = db.text(r.text);
  switch (r.action) {
    case Action::kCreate:
      if (!db.item(owner).isProject()) return L"Created " + db.text(r.name);
      if (owner == db.root() && r.name == kNoText) return L"Created $/";
      return L"Created $" + db.text(r.name);
    case Action::kCheckIn: return L"Checked in " + text;
    case Action::kLabel: return L"Labeled '" + db.text(r.label) + L"'";
    case Action::kBranched: return L"Branched at version " + std::to_wstring(r.number);
    case Action::kRollback: return L"Rollback to version " + std::to_wstring(r.number);
    case Action::kAdd: return L"Added " + childName(db, r.child, r.name);
    case Action::kDelete: return L"Deleted " + childName(db, r.child, r.name);
    case Action::kRecover: return L"Recovered " + childName(db, r.child, r.name);
    case Action::kDestroy: return L"Destroyed " + childName(db, r.child, r.name);
    case Action::kPurge: return L"Purged " + childName(db, r.child, r.name);
    case Action::kRename: return L"Renamed " + childName(db, r.child, r.text) + L" to " + childName(db, r.child, r.name);
    case Action::kMoveTo: return L"Moved " + childName(db, r.child, r.name) + L" to " + text;
    case Action::kMoveFrom: return L"Moved " + childName(db, r.child, r.name) + L" from " + text;
    case Action::kShare: return L"Shared " + text;
    case Action::kPin: return L"Pinned " + childName(db, r.child, r.name) + L" to version " + std::to_wstring(r.number);
    case Action::kUnpin: return L"Unpinned " + childName(db, r.child, r.name);
    case Action::kBranchEntry: return L"Branched " + childName(db, r.child, r.name);
    case Action::kArchive: return L"Archived " + childName(db, r.child, r.name);
    case Action::kRestore: return L"Restored " + childName(db, r.child, r.name);
    case Action::kArchiveVersions: return L"Archived versions of " + db.text(r.name);
  }
  return L"";
}

}  // namespace ssapi::model

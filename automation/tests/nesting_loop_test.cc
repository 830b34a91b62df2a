// A damaged database may list a project inside itself: a walk down through
// the children must stop there with a failure, not go round for ever.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "model/database.h"
#include "objects/item_tree.h"
#include "platform/error_info.h"
#include "platform/text_encoding.h"
#include "ssapi/ssapi.h"

namespace {

using namespace ssapi::model;
using ssapi::objects::childRefs;
using ssapi::objects::ItemRef;

// $/a/b/c, projects only, each made by one change.
struct Tree {
  Tree() {
    ids[L"root"] = project(kNoItem, L"");
    db.setRoot(ids[L"root"]);
    ids[L"a"] = project(ids[L"root"], L"a");
    ids[L"b"] = project(ids[L"a"], L"b");
    ids[L"c"] = project(ids[L"b"], L"c");
  }

  ItemId project(ItemId parent, const wchar_t* name) {
    ItemId id = db.newItem(ItemType::kProject);
    append(id, Action::kCreate);
    if (parent != kNoItem) link(parent, name, id);
    return id;
  }

  void link(ItemId parent, const wchar_t* name, ItemId child) {
    append(parent, Action::kAdd);
    EntryState state;
    state.since = db.item(parent).lastVersion();
    state.name = db.intern(name);
    state.item = child;
    db.addEntry(parent, state);
  }

  void append(ItemId id, Action action) {
    db.beginChange();
    Revision r;
    r.time = 1000 + static_cast<std::int64_t>(db.revisionCount());
    r.action = action;
    db.appendRevision(id, r);
  }

  // Down from the root by names, each level listed as a walk lists it; the
  // status of the last listing.
  HRESULT walk(const std::vector<std::wstring>& names) {
    ItemRef at;
    at.item = ids[L"root"];
    at.version = db.item(at.item).lastVersion();
    at.spec = L"$/";
    std::vector<ItemRef> children;
    HRESULT hr = childRefs(db, at, false, &children);
    for (const std::wstring& name : names) {
      if (FAILED(hr)) return hr;
      auto next = std::find_if(children.begin(), children.end(), [&](const ItemRef& r) { return r.name == name; });
      if (next == children.end()) return E_INVALIDARG;
      at = *next;
      hr = childRefs(db, at, false, &children);
    }
    return hr;
  }

  Database db;
  std::map<std::wstring, ItemId> ids;
};

TEST(NestingLoopTest, AProjectHoldingOneAboveItOrItselfFailsItsListing) {
  struct Row {
    const wchar_t* holder;
    const wchar_t* held;
    std::vector<std::wstring> path;  // down to the holder
  } rows[] = {
      {L"c", L"a", {L"a", L"b", L"c"}},
      {L"c", L"root", {L"a", L"b", L"c"}},
      {L"b", L"b", {L"a", L"b"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(platform::wideToUtf8(row.holder) + " holds " + platform::wideToUtf8(row.held));
    Tree tree;
    EXPECT_EQ(tree.walk(row.path), S_OK);
    tree.link(tree.ids[row.holder], L"loop", tree.ids[row.held]);
    EXPECT_EQ(tree.walk(row.path), ssapi::ESS_CORRUPT);
    auto info = platform::takeErrorInfo();
    ASSERT_TRUE(info);
    std::wstring spec = L"$";
    for (const std::wstring& name : row.path) spec += L"/" + name;
    EXPECT_EQ(info->description, L"Project \"" + spec + L"\" may be corrupt: it holds \"loop\", which holds it");
  }
}

// The same project listed in two places is no loop: each walk goes down once.
TEST(NestingLoopTest, AProjectInTwoPlacesIsNoLoop) {
  Tree tree;
  tree.link(tree.ids[L"a"], L"again", tree.ids[L"c"]);
  EXPECT_EQ(tree.walk({L"a", L"again"}), S_OK);
  EXPECT_EQ(tree.walk({L"a", L"b", L"c"}), S_OK);
}

}  // namespace

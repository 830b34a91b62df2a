// Items and contents filled in by a loader on first use: what is loaded
// when, what a failed load leaves behind, and that references handed out
// before a load stay valid.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/database.h"
#include "model/queries.h"

namespace {

using namespace ssapi::model;

// A database of a root project holding stub children; each child's load is
// scripted by the test.
class ScriptedLoader final : public ItemLoader {
 public:
  struct Script {
    bool fail = false;
    int versions = 1;
    std::vector<std::wstring> children;  // projects only: stubs added as entries
  };
  std::map<ItemId, Script> scripts;
  std::vector<ItemId> loads;
  std::vector<std::pair<ItemId, std::int32_t>> contentLoads;

  void load(Database& db, ItemId id) override {
    loads.push_back(id);
    const Script& script = scripts[id];
    if (script.fail) {
      db.recordFailure(id, {E_FAIL, L"item " + std::to_wstring(id) + L" is damaged"});
      return;
    }
    for (int v = 1; v <= script.versions; ++v) {
      Revision r;
      r.time = 1000 + v;
      r.seq = static_cast<std::uint64_t>(r.time);
      r.action = v == 1 ? Action::kCreate : Action::kCheckIn;
      r.content = kPendingContent;
      db.appendLoadedRevision(id, r);
    }
    for (const std::wstring& name : script.children) {
      ItemId child = db.newStub(ItemType::kFile, L"X" + name);
      EntryState state;
      state.since = 1;
      state.name = db.intern(name);
      state.item = child;
      db.addEntry(id, state);
    }
  }

  void loadContent(const Database&, ItemId file, std::int32_t version, std::string* bytes,
                   LoadFailure* failure) override {
    contentLoads.emplace_back(file, version);
    if (version == 2) {
      *failure = {E_FAIL, L"version 2 lost its delta"};
      return;
    }
    *bytes = "content of " + std::to_string(file) + "@" + std::to_string(version);
  }
};

class LazyModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    loader_ = std::make_shared<ScriptedLoader>();
    root_ = db_.newStub(ItemType::kProject, L"AAAAAAAA");
    db_.setRoot(root_);
    loader_->scripts[root_].children = {L"a.txt", L"b.txt", L"c.txt"};
    db_.setLoader(loader_);
  }

  ItemId child(std::size_t slot) const { return db_.peek(root_).entries[slot].current().item; }

  Database db_;
  std::shared_ptr<ScriptedLoader> loader_;
  ItemId root_ = kNoItem;
};

TEST_F(LazyModelTest, ItemsLoadOnFirstLookOnlyAndOnce) {
  EXPECT_TRUE(loader_->loads.empty());
  EXPECT_EQ(db_.peek(root_).type, ItemType::kProject);  // a peek reads nothing
  EXPECT_TRUE(loader_->loads.empty());

  auto children = childrenAt(db_, root_, db_.item(root_).lastVersion(), false);
  ASSERT_EQ(children.size(), 3u);
  EXPECT_EQ(loader_->loads, std::vector<ItemId>{root_});  // the children's records are not read yet

  loader_->scripts[child(1)].versions = 3;
  EXPECT_EQ(db_.item(child(1)).lastVersion(), 3);
  EXPECT_EQ(db_.item(child(1)).lastVersion(), 3);
  EXPECT_EQ(loader_->loads, (std::vector<ItemId>{root_, child(1)}));
}

TEST_F(LazyModelTest, ReferencesStayValidWhileLaterLoadsAddItems) {
  const Item& root = db_.item(root_);
  const std::wstring& name = db_.text(root.entries[0].current().name);
  for (int i = 0; i < 200; ++i) {
    db_.newStub(ItemType::kFile, L"FILLER" + std::to_wstring(i));
  }
  EXPECT_EQ(&root, &db_.item(root_));
  EXPECT_EQ(name, L"a.txt");
  EXPECT_EQ(root.entries.size(), 3u);
}

TEST_F(LazyModelTest, AFailedLoadLeavesOneVersionAndItsReason) {
  loader_->scripts[root_];  // the root loads well
  (void)db_.item(root_);
  ItemId broken = child(2);
  loader_->scripts[broken].fail = true;
  EXPECT_EQ(db_.item(broken).lastVersion(), 1);  // every item has at least its creation
  const LoadFailure* failure = db_.failure(broken);
  ASSERT_NE(failure, nullptr);
  EXPECT_EQ(failure->code, E_FAIL);
  EXPECT_EQ(failure->description, L"item " + std::to_wstring(broken) + L" is damaged");
  EXPECT_EQ(db_.failure(child(0)), nullptr);
}

TEST_F(LazyModelTest, AnItemLeftEmptyWithoutAReasonStillFails) {
  (void)db_.item(root_);
  ItemId empty = child(0);
  loader_->scripts[empty].versions = 0;
  EXPECT_EQ(db_.item(empty).lastVersion(), 1);
  ASSERT_NE(db_.failure(empty), nullptr);
}

TEST_F(LazyModelTest, ContentsAreRebuiltOnFirstUseOnceAndFailuresAreKept) {
  (void)db_.item(root_);
  ItemId file = child(0);
  loader_->scripts[file].versions = 3;
  EXPECT_TRUE(loader_->contentLoads.empty());
  EXPECT_EQ(contentAt(db_, file, 3), "content of " + std::to_string(file) + "@3");
  EXPECT_EQ(contentAt(db_, file, 3), "content of " + std::to_string(file) + "@3");
  EXPECT_EQ(loader_->contentLoads.size(), 1u);
  EXPECT_EQ(db_.versionContentFailure(file, 3), nullptr);

  EXPECT_EQ(contentAt(db_, file, 2), "");
  const LoadFailure* failure = db_.versionContentFailure(file, 2);
  ASSERT_NE(failure, nullptr);
  EXPECT_EQ(failure->description, L"version 2 lost its delta");
  EXPECT_EQ(loader_->contentLoads.size(), 2u);

  EXPECT_EQ(db_.versionContent(file, 4), nullptr);  // no such version
}

// A project's home is the first entry that holds it: an entry it left,
// met later by a loader that reads projects in any order, does not take it
// back.
TEST(LazyModelHomes, AnEntryTheProjectLeftDoesNotTakeItBack) {
  Database db;
  ItemId from = db.newItem(ItemType::kProject);
  ItemId to = db.newItem(ItemType::kProject);
  ItemId moved = db.newItem(ItemType::kProject);
  for (ItemId p : {from, to}) {
    Revision r;
    db.appendRevision(p, r);
  }
  EntryState there;
  there.since = 1;
  there.name = db.intern(L"m");
  there.item = moved;
  std::int32_t arrived = db.addEntry(to, there);  // the receiving project was read first
  std::int32_t left = db.addEntry(from, there);   // then the one it left
  EXPECT_EQ(db.item(moved).home, (EntryRef{to, arrived}));
  EntryState gone = there;
  gone.present = false;
  gone.since = 2;
  db.changeEntry(from, left, gone);
  EXPECT_EQ(db.item(moved).home, (EntryRef{to, arrived}));
}

}  // namespace

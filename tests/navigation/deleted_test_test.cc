#include "navigation/deleted_test.h"

#include <gtest/gtest.h>

#include "navigation_test_support.h"

namespace {

using navigation::DeletedTest;
using navigation::GetItemIterator;
using navigation::ItemPtr;
using navigation::VSSItemIterator;
using navtest::Capture;
using navtest::itemLine;
using navtest::kInjected;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::int64_t kBase = 1000000000;

util::JavaTime at(std::int64_t offsetSeconds) { return util::JavaTime::fromMillis((kBase + offsetSeconds) * 1000); }

// $/p: dup.txt added at +10, deleted at +20 and added anew at +30; old.txt
// added at +10 and deleted at +20; live.txt added at +10.
template <class A>
class DeletedTestTest : public ::testing::Test {
 protected:
  DeletedTestTest() {
    builder_.at(kBase).createProject(L"$/p");
    builder_.at(kBase + 10).addFile(L"$/p/dup.txt", "1").addFile(L"$/p/old.txt", "o").addFile(L"$/p/live.txt", "l");
    builder_.at(kBase + 20).remove(L"$/p/dup.txt").remove(L"$/p/old.txt");
    builder_.at(kBase + 30).addFile(L"$/p/dup.txt", "2");
    database_ = navtest::openDatabase<A>(builder_);
    live_ = navtest::itemAt<A>(database_, L"$/p/live.txt");
    ItemPtr<A> project = navtest::itemAt<A>(database_, L"$/p");
    VSSItemIterator<A> children;
    EXPECT_EQ(GetItemIterator<A>(project, VARIANT_TRUE, children), S_OK);
    for (const ItemPtr<A>& child : children.items()) {
      if (!navtest::deletedFlagOf<A>(child)) continue;
      std::wstring name;
      child->get_Name(&name);
      (name == L"dup.txt" ? deletedDup_ : deletedOld_) = child;
    }
    EXPECT_TRUE(deletedDup_ && deletedOld_);
  }

  ssapi::DatabaseBuilder builder_;
  ComPtr<typename A::Database> database_;
  ItemPtr<A> live_;
  ItemPtr<A> deletedDup_;
  ItemPtr<A> deletedOld_;
  DeletedTest<A> test_;
};
TYPED_TEST_SUITE(DeletedTestTest, navtest::Generations, navtest::GenerationName);

TYPED_TEST(DeletedTestTest, DeletedItemWithALiveNamesakeAtTheTimeIsLive) {
  struct Row {
    const char* name;
    ItemPtr<TypeParam> item;
    util::JavaTime time;
    bool expected;
  };
  const Row rows[] = {
      {"live item", this->live_, util::FAR_FUTURE, false},
      {"deleted, namesake added later, asked now", this->deletedDup_, util::FAR_FUTURE, false},
      {"deleted, namesake added later, asked before it", this->deletedDup_, at(25), true},
      {"deleted without namesake", this->deletedOld_, util::FAR_FUTURE, true},
      {"deleted later, asked before the deletion", this->deletedOld_, at(15), false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    bool deleted = !row.expected;
    EXPECT_EQ(this->test_.getIsDeleted(row.item, row.time, &deleted), S_OK);
    EXPECT_EQ(deleted, row.expected);
  }
}

TYPED_TEST(DeletedTestTest, LiveItemNeedsNoLookup) {
  Capture capture(logging::kDebug);
  this->builder_.faults().fail(L"get_Parent", L"$/p/live.txt").forever();
  bool deleted = true;
  EXPECT_EQ(this->test_.getIsDeleted(this->live_, util::FAR_FUTURE, &deleted), S_OK);
  EXPECT_FALSE(deleted);
  EXPECT_THAT(capture.lines(), IsEmpty());
}

TYPED_TEST(DeletedTestTest, LookupThatFindsNothingLogsUnderHistory2) {
  Capture capture;
  bool deleted = false;
  ASSERT_EQ(this->test_.getIsDeleted(this->deletedOld_, util::FAR_FUTURE, &deleted), S_OK);
  ASSERT_TRUE(deleted);
  std::vector<std::wstring> lines = capture.lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 1], L"History2 Error - Nothing was found for old.txt");
  if constexpr (TypeParam::kIs2005) {
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].rfind(L"History2 Error - Failed to get_Child, Error: 0x8004d696", 0), 0u);
  } else {
    EXPECT_EQ(lines.size(), 2u);
  }
}

TYPED_TEST(DeletedTestTest, BlankNameStopsTheSearchAndCountsAsLive) {
  Capture capture;
  this->builder_.faults().handOutNothing(L"get_Name", L"$/p/old.txt");
  bool deleted = true;
  EXPECT_EQ(this->test_.getIsDeleted(this->deletedOld_, util::FAR_FUTURE, &deleted), S_OK);
  EXPECT_FALSE(deleted);
  EXPECT_THAT(capture.lines(), ElementsAre(L"History2 Error - getChild: Length is zero"));
}

TYPED_TEST(DeletedTestTest, UnreadableNameOrParentFailsAnsweringLive) {
  struct Row {
    const char* name;
    const wchar_t* operation;
  };
  const Row rows[] = {{"name", L"get_Name"}, {"parent", L"get_Parent"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Capture capture;
    this->builder_.faults().clear();
    this->builder_.faults().fail(row.operation, L"$/p/old.txt", E_ACCESSDENIED);
    bool deleted = true;
    EXPECT_EQ(this->test_.getIsDeleted(this->deletedOld_, util::FAR_FUTURE, &deleted), E_ACCESSDENIED);
    EXPECT_FALSE(deleted);
    EXPECT_THAT(capture.lines(), IsEmpty());
  }
}

TYPED_TEST(DeletedTestTest, UnreadableSpecFailsAnsweringLive) {
  Capture capture;
  this->builder_.faults().fail(L"get_Spec", L"$/p/old.txt", E_ACCESSDENIED).withoutErrorInfo().times(2);
  bool deleted = true;
  EXPECT_EQ(this->test_.getIsDeleted(this->deletedOld_, util::FAR_FUTURE, &deleted), E_ACCESSDENIED);
  EXPECT_FALSE(deleted);
  EXPECT_THAT(capture.lines(),
              ElementsAre(L"VSSVersionIterator Error - Failed to get_Spec, Error: 0x80070005 (-2147024891)"));
}

// A request's replacement of the own-flag test reaches the time-aware one.
template <class A>
class ScriptedOwnFlag : public DeletedTest<A> {
 public:
  using DeletedTest<A>::getIsDeleted;
  HRESULT getIsDeleted(const ItemPtr<A>& item, bool* deleted) override {
    ++calls;
    if (FAILED(status)) return status;
    if (answer < 0) return DeletedTest<A>::getIsDeleted(item, deleted);
    *deleted = answer != 0;
    return status;
  }
  int answer = -1;  // -1: the item's own flag
  HRESULT status = S_OK;
  int calls = 0;
};

TYPED_TEST(DeletedTestTest, OwnFlagIsAskedThroughTheObject) {
  ScriptedOwnFlag<TypeParam> test;
  bool deleted = true;

  test.answer = 0;  // the request says live: no lookup at all
  EXPECT_EQ(test.getIsDeleted(this->deletedOld_, util::FAR_FUTURE, &deleted), S_OK);
  EXPECT_FALSE(deleted);

  test.answer = 1;  // the request says deleted, but the parent lists it
  EXPECT_EQ(test.getIsDeleted(this->live_, util::FAR_FUTURE, &deleted), S_OK);
  EXPECT_FALSE(deleted);

  test.answer = -1;
  EXPECT_EQ(test.getIsDeleted(this->deletedOld_, util::FAR_FUTURE, &deleted), S_OK);
  EXPECT_TRUE(deleted);
  EXPECT_EQ(test.calls, 3);
}

TYPED_TEST(DeletedTestTest, FailingOwnFlagIsReported) {
  Capture capture;
  ScriptedOwnFlag<TypeParam> test;
  test.status = E_ACCESSDENIED;
  bool deleted = false;
  EXPECT_EQ(test.getIsDeleted(this->live_, util::FAR_FUTURE, &deleted), E_ACCESSDENIED);
  EXPECT_THAT(capture.lines(),
              ElementsAre(itemLine<TypeParam>(L"History2 Error - ", this->live_),
                          L"History2 Error - Failed to getIsDeleted(), Error: 0x80070005 (-2147024891)"));
}

TYPED_TEST(DeletedTestTest, UnreadableOwnFlagCountsAsDeletedThenTheParentDecides) {
  Capture capture;
  this->builder_.faults().fail(L"get_Deleted", L"$/p/live.txt");
  bool deleted = true;
  EXPECT_EQ(this->test_.getIsDeleted(this->live_, util::FAR_FUTURE, &deleted), S_OK);
  EXPECT_FALSE(deleted);
  EXPECT_THAT(capture.lines(), ElementsAre(itemLine<TypeParam>(L"History2 Error - ", this->live_),
                                           L"History2 Error - Failed to call get_Deleted, " + kInjected));
}

TYPED_TEST(DeletedTestTest, LoggerNameComesFromTheOwner) {
  Capture capture;
  DeletedTest<TypeParam> test(L"SmartPatchBuilder2");
  this->builder_.faults().fail(L"get_Deleted", L"$/p/live.txt");
  bool deleted = false;
  test.getIsDeleted(this->live_, &deleted);
  EXPECT_TRUE(deleted);
  EXPECT_EQ(capture.lines().back(), L"SmartPatchBuilder2 Error - Failed to call get_Deleted, " + kInjected);
}

}  // namespace

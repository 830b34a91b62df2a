#include "navigation/versioned_item.h"

#include <gtest/gtest.h>

#include "navigation_test_support.h"

namespace {

using navigation::getVersionedItemToTime;
using navigation::ItemPtr;
using navtest::Capture;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::int64_t kBase = 1000000000;

util::JavaTime at(std::int64_t offsetSeconds) { return util::JavaTime::fromMillis((kBase + offsetSeconds) * 1000); }

// $/p/a.txt has versions at kBase+10, +20 and +30.
template <class A>
class VersionedItemTest : public ::testing::Test {
 protected:
  VersionedItemTest() {
    builder_.at(kBase).createProject(L"$/p");
    builder_.at(kBase + 10).addFile(L"$/p/a.txt", "1");
    builder_.at(kBase + 20).checkIn(L"$/p/a.txt", "2");
    builder_.at(kBase + 30).checkIn(L"$/p/a.txt", "3");
    database_ = navtest::openDatabase<A>(builder_);
    file_ = navtest::itemAt<A>(database_, L"$/p/a.txt");
  }

  ssapi::DatabaseBuilder builder_;
  ComPtr<typename A::Database> database_;
  ItemPtr<A> file_;
};
TYPED_TEST_SUITE(VersionedItemTest, navtest::Generations, navtest::GenerationName);

TYPED_TEST(VersionedItemTest, NewestVersionNotLaterThanTheTime) {
  struct Row {
    const char* name;
    util::JavaTime time;
    LONG expected;
  };
  const Row rows[] = {
      {"between 2 and 3", at(25), 2},
      {"after the last", at(31), 3},
      {"far future", util::FAR_FUTURE, 3},
      {"just after the first", at(11), 1},
  };
  Capture capture;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ItemPtr<TypeParam> versioned;
    ASSERT_EQ(getVersionedItemToTime<TypeParam>(this->file_, row.time, &versioned), S_OK);
    EXPECT_EQ(navtest::versionOf<TypeParam>(versioned), row.expected);
    EXPECT_EQ(navtest::specOf<TypeParam>(versioned), L"$/p/a.txt");
  }
  EXPECT_THAT(capture.lines(), IsEmpty());
}

TYPED_TEST(VersionedItemTest, VersionExactlyAtTheTimeIsChosen) {
  navigation::VSSVersionIterator<TypeParam> all;
  ASSERT_EQ(navigation::GetVersionIterator<TypeParam>(this->file_, util::EPOCH, all, 1), S_OK);
  ASSERT_EQ(all.records().size(), 3u);
  const util::JavaTime second = all.records()[1].time;
  ItemPtr<TypeParam> versioned;
  ASSERT_EQ(getVersionedItemToTime<TypeParam>(this->file_, second, &versioned), S_OK);
  EXPECT_EQ(navtest::versionOf<TypeParam>(versioned), 2);
  // One millisecond earlier it is the first version.
  ASSERT_EQ(getVersionedItemToTime<TypeParam>(this->file_, util::JavaTime::fromMillis(second.millis() - 1), &versioned),
            S_OK);
  EXPECT_EQ(navtest::versionOf<TypeParam>(versioned), 1);
}

// Before its first version the item did not exist: nothing stands in for it.
TYPED_TEST(VersionedItemTest, BeforeEveryVersionNothingIsHandedOut) {
  Capture capture;
  ItemPtr<TypeParam> versioned = this->file_;
  EXPECT_EQ(getVersionedItemToTime<TypeParam>(this->file_, at(5), &versioned), ssapi::ESS_VS_VERS_NOT_FOUND);
  EXPECT_EQ(versioned.get(), this->file_.get());
  EXPECT_THAT(capture.lines(),
              ElementsAre(L"VSSUtil Error - Failed to find versioned item to time " + std::to_wstring((kBase + 5) * 1000)));
}

TYPED_TEST(VersionedItemTest, AFailedLookupIsPassedOn) {
  Capture capture;
  this->builder_.faults().fail(L"get_Version", L"$/p/a.txt");
  ItemPtr<TypeParam> versioned;
  EXPECT_EQ(getVersionedItemToTime<TypeParam>(this->file_, at(25), &versioned), E_FAIL);
  EXPECT_FALSE(versioned);
  EXPECT_THAT(capture.lines(), ElementsAre(L"VSSUtil Error - Failed to find versioned item to time " +
                                           std::to_wstring((kBase + 25) * 1000)));
}

// Everything reached from the item stands at the same time: its parent shows
// the children of then.
TYPED_TEST(VersionedItemTest, WhatIsReachedFromTheItemStandsAtTheSameTime) {
  this->builder_.at(kBase + 40).addFile(L"$/p/b.txt", "b");
  auto database = navtest::openDatabase<TypeParam>(this->builder_);
  auto file = navtest::itemAt<TypeParam>(database, L"$/p/a.txt");
  ItemPtr<TypeParam> versioned;
  ASSERT_EQ(getVersionedItemToTime<TypeParam>(file, at(25), &versioned), S_OK);
  ItemPtr<TypeParam> parent;
  ASSERT_EQ(versioned->get_Parent(parent.put()), S_OK);
  ComPtr<typename TypeParam::Items> children;
  ASSERT_EQ(parent->get_Items(VARIANT_FALSE, children.put()), S_OK);
  LONG count = 0;
  ASSERT_EQ(children->get_Count(&count), S_OK);
  EXPECT_EQ(count, 1);
}

TYPED_TEST(VersionedItemTest, NullItemFailsWithoutHandingOut) {
  Capture capture;
  ItemPtr<TypeParam> versioned = this->file_;
  EXPECT_EQ(getVersionedItemToTime<TypeParam>(ItemPtr<TypeParam>(), at(25), &versioned), E_POINTER);
  EXPECT_EQ(versioned.get(), this->file_.get());
}

}  // namespace

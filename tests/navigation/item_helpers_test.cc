#include "navigation/item_helpers.h"

#include <gtest/gtest.h>

#include "navigation_test_support.h"

namespace {

using navigation::ItemLogger;
using navigation::ItemPtr;
using navtest::Capture;
using navtest::kInjected;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

template <class A>
class ItemHelpersTest : public ::testing::Test {
 protected:
  ItemHelpersTest() {
    builder_.createProject(L"$/p").addFile(L"$/p/a.txt", "1").checkIn(L"$/p/a.txt", "2").checkIn(L"$/p/a.txt", "3");
    builder_.addFile(L"$/p/gone.txt", "x").remove(L"$/p/gone.txt");
    database_ = navtest::openDatabase<A>(builder_);
    project_ = navtest::itemAt<A>(database_, L"$/p");
    file_ = navtest::itemAt<A>(database_, L"$/p/a.txt");
  }

  ssapi::DatabaseBuilder builder_;
  ComPtr<typename A::Database> database_;
  ItemPtr<A> project_;
  ItemPtr<A> file_;
};
TYPED_TEST_SUITE(ItemHelpersTest, navtest::Generations, navtest::GenerationName);

TYPED_TEST(ItemHelpersTest, TypeQuestions) {
  Capture capture;
  EXPECT_TRUE(navigation::isFile<TypeParam>(this->file_));
  EXPECT_FALSE(navigation::isFile<TypeParam>(this->project_));
  EXPECT_TRUE(navigation::isProject<TypeParam>(this->project_));
  EXPECT_FALSE(navigation::isProject<TypeParam>(this->file_));
  EXPECT_THAT(capture.lines(), IsEmpty());
}

TYPED_TEST(ItemHelpersTest, UnreadableTypeCountsAsFileAndAsNoProject) {
  Capture capture;
  this->builder_.faults().fail(L"get_Type", L"$/p").times(2);
  EXPECT_TRUE(navigation::isFile<TypeParam>(this->project_));
  EXPECT_FALSE(navigation::isProject<TypeParam>(this->project_));
  EXPECT_THAT(capture.lines(), ElementsAre(navtest::itemLine<TypeParam>(L"VSSVersionIterator Error - ", this->project_),
                                           L"VSSVersionIterator Error - Failed to get_Type, " + kInjected));
}

TYPED_TEST(ItemHelpersTest, GetSpecEmptiesItsOutStringOnFailure) {
  Capture capture;
  std::wstring spec = L"old";
  EXPECT_EQ(navigation::getSpec<TypeParam>(this->file_, &spec), S_OK);
  EXPECT_EQ(spec, L"$/p/a.txt");

  this->builder_.faults().fail(L"get_Spec", L"$/p/a.txt", ssapi::ESS_CORRUPT).times(2);
  spec = L"old";
  EXPECT_EQ(navigation::getSpec<TypeParam>(this->file_, &spec), ssapi::ESS_CORRUPT);
  EXPECT_EQ(spec, L"");
  // The item line is missing: the second read of the spec fails as well.
  EXPECT_THAT(capture.lines(),
              ElementsAre(L"VSSVersionIterator Error - Failed to get_Spec, Error: 0x8004d698 (-2147166568): "
                          L"Injected fault. Source:SourceSafe"));
}

TYPED_TEST(ItemHelpersTest, GetDeletedAnswersTrueWhenTheFlagCannotBeRead) {
  Capture capture;
  ItemLogger<TypeParam> log(L"History2");
  bool deleted = true;
  EXPECT_EQ(navigation::getDeleted<TypeParam>(log, this->file_, &deleted), S_OK);
  EXPECT_FALSE(deleted);

  // The deleted child, as the project lists it.
  ComPtr<typename TypeParam::Items> children;
  ASSERT_EQ(this->project_->get_Items(VARIANT_TRUE, children.put()), S_OK);
  LONG count = 0;
  children->get_Count(&count);
  ItemPtr<TypeParam> gone;
  for (LONG i = 1; i <= count; ++i) {
    ItemPtr<TypeParam> child;
    children->get_Item(Variant(i), child.put());
    std::wstring name;
    child->get_Name(&name);
    if (name == L"gone.txt") gone = child;
  }
  ASSERT_TRUE(gone);
  deleted = false;
  EXPECT_EQ(navigation::getDeleted<TypeParam>(log, gone, &deleted), S_OK);
  EXPECT_TRUE(deleted);
  EXPECT_THAT(capture.lines(), IsEmpty());

  this->builder_.faults().fail(L"get_Deleted", L"$/p/a.txt");
  deleted = false;
  EXPECT_EQ(navigation::getDeleted<TypeParam>(log, this->file_, &deleted), S_OK);
  EXPECT_TRUE(deleted);
  EXPECT_THAT(capture.lines(),
              ElementsAre(L"History2 Error - $/p/a.txt[3]", L"History2 Error - Failed to call get_Deleted, " + kInjected));
}

// The previous-version lookup exists for 6.0 only.
class PrevVersionTest : public ::testing::Test {
 protected:
  using A = ssapi::Automation60;
  PrevVersionTest() {
    builder_.createProject(L"$/p").addFile(L"$/p/a.txt", "1").checkIn(L"$/p/a.txt", "2").checkIn(L"$/p/a.txt", "3");
    database_ = navtest::openDatabase<A>(builder_);
    file_ = navtest::itemAt<A>(database_, L"$/p/a.txt");
  }
  ItemPtr<A> atVersion(LONG number) {
    ItemPtr<A> item;
    EXPECT_EQ(file_->get_Version(Variant(number), item.put()), S_OK);
    return item;
  }

  ssapi::DatabaseBuilder builder_;
  ComPtr<A::Database> database_;
  ItemPtr<A> file_;
};

TEST_F(PrevVersionTest, HandsOutTheVersionBefore) {
  Capture capture;
  ItemPtr<A> previous;
  ASSERT_EQ(navigation::getPrevVersion<A>(file_, &previous), S_OK);
  EXPECT_EQ(navtest::versionOf<A>(previous), 2);
  ItemPtr<A> first;
  ASSERT_EQ(navigation::getPrevVersion<A>(previous, &first), S_OK);
  EXPECT_EQ(navtest::versionOf<A>(first), 1);
  EXPECT_THAT(capture.lines(), IsEmpty());
}

TEST_F(PrevVersionTest, VersionOneHasNoPreviousAndLogsNothing) {
  Capture capture(logging::kDebug);
  ItemPtr<A> first = atVersion(1);
  ItemPtr<A> previous;
  EXPECT_EQ(navigation::getPrevVersion<A>(first, &previous), E_FAIL);
  EXPECT_FALSE(previous);
  EXPECT_THAT(capture.lines(), IsEmpty());
}

TEST_F(PrevVersionTest, FailingLookupIsOredWithEFail) {
  Capture capture;
  builder_.faults().fail(L"get_Version", L"$/p/a.txt", ssapi::ESS_VS_VERS_NOT_FOUND).withoutErrorInfo();
  ItemPtr<A> previous;
  EXPECT_EQ(navigation::getPrevVersion<A>(file_, &previous),
            static_cast<HRESULT>(static_cast<std::uint32_t>(ssapi::ESS_VS_VERS_NOT_FOUND) | 0x80004005u));
  EXPECT_FALSE(previous);
  EXPECT_THAT(capture.lines(), ElementsAre(L"VSSUtil Error - $/p/a.txt[3]",
                                           L"VSSUtil Error - Failed to get_Version for 2, Error: 0x8004d689 (-2147166583)"));
}

TEST_F(PrevVersionTest, LookupHandingOutNothingFails) {
  Capture capture;
  builder_.faults().handOutNothing(L"get_Version", L"$/p/a.txt");
  ItemPtr<A> previous;
  EXPECT_EQ(navigation::getPrevVersion<A>(file_, &previous), E_FAIL);
  EXPECT_THAT(capture.lines(),
              ElementsAre(L"VSSUtil Error - $/p/a.txt[3]", L"VSSUtil Error - Failed to get_Version for 2, Error: 0x0 (0)"));
}

TEST_F(PrevVersionTest, UnreadableNumberIsReported) {
  Capture capture;
  // One failing read: the lookup's own. The item line reads the number again.
  builder_.faults().fail(L"get_VersionNumber", L"$/p/a.txt").withoutErrorInfo();
  ItemPtr<A> previous;
  EXPECT_EQ(navigation::getPrevVersion<A>(file_, &previous), E_FAIL);
  EXPECT_THAT(capture.lines(), ElementsAre(L"VSSUtil Error - $/p/a.txt[3]",
                                           L"VSSUtil Error - Failed to get_VersionNumer, Error: 0x80004005 (-2147467259)"));
}

TEST_F(PrevVersionTest, WrongNumberFailsAndIsLoggedOnlyWithDebug) {
  for (int threshold : {logging::kError, logging::kDebug}) {
    SCOPED_TRACE(threshold);
    Capture capture(threshold);
    // The item handed out for version 2 first claims to be version 0.
    builder_.faults().handOutNothing(L"get_VersionNumber", L"$/p/a.txt").onVersion(2);
    ItemPtr<A> previous;
    EXPECT_EQ(navigation::getPrevVersion<A>(file_, &previous), E_FAIL);
    EXPECT_FALSE(previous);
    if (threshold == logging::kError)
      EXPECT_THAT(capture.lines(), IsEmpty());
    else
      EXPECT_THAT(capture.lines(), ElementsAre(L"VSSUtil Error - $/p/a.txt[2]",
                                               L"VSSUtil Error - Wrong version number 0 but expected 3-1"));
    builder_.faults().clear();
  }
}

}  // namespace

#include "navigation/child_lookup.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "navigation_test_support.h"

namespace {

using navigation::FindChildFromList;
using navigation::FindNamedChild;
using navigation::GetItemIterator;
using navigation::ItemLogger;
using navigation::ItemPtr;
using navigation::VSSItemIterator;
using navtest::Capture;
using navtest::itemLine;
using navtest::kInjected;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// $/p holds readme.txt, Ärger.txt, dup.txt (a live one and a deleted one of
// that name) and old.txt (deleted only).
template <class A>
class ChildLookupTest : public ::testing::Test {
 protected:
  ChildLookupTest() {
    builder_.createProject(L"$/p").addFile(L"$/p/readme.txt", "r").addFile(L"$/p/\u00C4rger.txt", "u");
    builder_.addFile(L"$/p/dup.txt", "old").checkIn(L"$/p/dup.txt", "old 2").remove(L"$/p/dup.txt");
    builder_.addFile(L"$/p/dup.txt", "new");
    builder_.addFile(L"$/p/old.txt", "o").remove(L"$/p/old.txt");
    database_ = navtest::openDatabase<A>(builder_);
    project_ = navtest::itemAt<A>(database_, L"$/p");
  }

  VSSItemIterator<A> children(VARIANT_BOOL includeDeleted) {
    VSSItemIterator<A> iterator;
    EXPECT_EQ(GetItemIterator<A>(project_, includeDeleted, iterator), S_OK);
    return iterator;
  }
  std::wstring projectLine(const std::wstring& prefix) { return itemLine<A>(prefix, project_); }

  ssapi::DatabaseBuilder builder_;
  ComPtr<typename A::Database> database_;
  ItemPtr<A> project_;
  ItemLogger<A> versionCastLog_{L"VersionCast"};
  ItemLogger<A> historyLog_{L"History2"};
};
TYPED_TEST_SUITE(ChildLookupTest, navtest::Generations, navtest::GenerationName);

TYPED_TEST(ChildLookupTest, FindNamedChildIgnoresLetterCase) {
  struct Row {
    const wchar_t* asked;
    const wchar_t* found;  // null: not found
  };
  const Row rows[] = {
      {L"readme.txt", L"$/p/readme.txt"},  {L"README.TXT", L"$/p/readme.txt"},
      {L"Readme.Txt", L"$/p/readme.txt"},  {L"\u00E4RGER.TXT", L"$/p/\u00C4rger.txt"},
      {L"\u00C4rger.txt", L"$/p/\u00C4rger.txt"}, {L"readme", nullptr},
      {L"readme.txt ", nullptr},           {L"", nullptr},
  };
  Capture capture(logging::kDebug);
  for (const Row& row : rows) {
    SCOPED_TRACE(platform::wideToUtf8(row.asked));
    VSSItemIterator<TypeParam> list = this->children(VARIANT_FALSE);
    ItemPtr<TypeParam> child = this->project_;  // untouched unless found
    HRESULT hr = FindNamedChild<TypeParam>(row.asked, list, &child);
    if (row.found) {
      EXPECT_EQ(hr, S_OK);
      EXPECT_EQ(navtest::specOf<TypeParam>(child), row.found);
    } else {
      EXPECT_EQ(hr, E_FAIL);
      EXPECT_EQ(child.get(), this->project_.get());
    }
  }
  EXPECT_THAT(capture.lines(), IsEmpty());
}

TYPED_TEST(ChildLookupTest, FindNamedChildPassesOverUnreadableEntriesSilently) {
  Capture capture(logging::kDebug);
  this->builder_.faults().handOutNothing(L"get_Item", L"").fromCall(1);
  VSSItemIterator<TypeParam> list = this->children(VARIANT_FALSE);
  this->builder_.faults().fail(L"get_Name", L"$/p/readme.txt").forever();
  ItemPtr<TypeParam> child;
  EXPECT_EQ(FindNamedChild<TypeParam>(L"README.txt", list, &child), E_FAIL);
  list = this->children(VARIANT_FALSE);
  EXPECT_EQ(FindNamedChild<TypeParam>(L"OLD.txt", list, &child), E_FAIL);
  list = this->children(VARIANT_FALSE);
  EXPECT_EQ(FindNamedChild<TypeParam>(L"DUP.txt", list, &child), S_OK);
  EXPECT_FALSE(navtest::deletedFlagOf<TypeParam>(child));
  EXPECT_THAT(capture.lines(), IsEmpty());
}

TYPED_TEST(ChildLookupTest, FindChildFromListLiveOrDeleted) {
  Capture capture;
  ItemPtr<TypeParam> child;
  ASSERT_EQ(FindChildFromList<TypeParam>(this->versionCastLog_, this->project_, L"DUP.TXT", VARIANT_FALSE, &child), S_OK);
  EXPECT_FALSE(navtest::deletedFlagOf<TypeParam>(child));
  EXPECT_EQ(navtest::versionOf<TypeParam>(child), 1);

  ASSERT_EQ(FindChildFromList<TypeParam>(this->versionCastLog_, this->project_, L"old.txt", VARIANT_TRUE, &child), S_OK);
  EXPECT_TRUE(navtest::deletedFlagOf<TypeParam>(child));
  EXPECT_EQ(navtest::specOf<TypeParam>(child), L"$/p/old.txt");
  EXPECT_THAT(capture.lines(), IsEmpty());

  ItemPtr<TypeParam> untouched = this->project_;
  EXPECT_EQ(FindChildFromList<TypeParam>(this->versionCastLog_, this->project_, L"old.txt", VARIANT_FALSE, &untouched),
            E_FAIL);
  EXPECT_EQ(untouched.get(), this->project_.get());
  EXPECT_THAT(capture.lines(), ElementsAre(this->projectLine(L"VersionCast Error - "),
                                           L"VersionCast Error - Failed to FindNamedChild"));
}

TYPED_TEST(ChildLookupTest, FindChildFromListReportsAFailedListing) {
  Capture capture;
  const std::wstring projectLine = this->projectLine(L"VersionCast Error - ");
  this->builder_.faults().fail(L"get_Items", L"$/p", E_ACCESSDENIED).withoutErrorInfo();
  ItemPtr<TypeParam> child;
  EXPECT_EQ(FindChildFromList<TypeParam>(this->versionCastLog_, this->project_, L"dup.txt", VARIANT_FALSE, &child),
            E_ACCESSDENIED);
  EXPECT_FALSE(child);
  EXPECT_THAT(capture.lines(),
              ElementsAre(itemLine<TypeParam>(L"VSSItemIterator Error - ", this->project_),
                          L"VSSItemIterator Error - Failed to enumerate children items, Error: 0x80070005 (-2147024891)",
                          projectLine, L"VersionCast Error - Failed to GetItemIterator"));
}

TYPED_TEST(ChildLookupTest, GetChildRefusesBlankNames) {
  const wchar_t* names[] = {L"", L"   ", L"\t \r\n"};
  for (const wchar_t* name : names) {
    SCOPED_TRACE(platform::wideToUtf8(name));
    Capture capture;
    bool incomplete = false;
    ItemPtr<TypeParam> child = this->project_;
    EXPECT_EQ(navigation::getChild<TypeParam>(this->historyLog_, this->project_, name, VARIANT_FALSE, &incomplete, &child),
              E_FAIL);
    EXPECT_TRUE(incomplete);
    EXPECT_FALSE(child);
    EXPECT_THAT(capture.lines(), ElementsAre(L"History2 Error - getChild: Length is zero"));
  }
}

TYPED_TEST(ChildLookupTest, GetChildListingComparesExactly) {
  Capture capture(logging::kDebug);
  if constexpr (TypeParam::kIs2005) {
    // Keep the library's own lookup out of the way to reach the listing.
    this->builder_.faults().fail(L"get_Child", L"$/p").forever();
  }
  bool incomplete = false;
  ItemPtr<TypeParam> child = this->project_;
  EXPECT_EQ(navigation::getChild<TypeParam>(this->historyLog_, this->project_, L"Readme.txt", VARIANT_FALSE, &incomplete,
                                           &child),
            E_FAIL);
  EXPECT_FALSE(incomplete);
  EXPECT_FALSE(child);

  std::vector<std::wstring> expected;
  if constexpr (TypeParam::kIs2005) {
    expected.push_back(this->projectLine(L"History2 Error - "));
    expected.push_back(L"History2 Error - Failed to get_Child, " + kInjected);
  }
  expected.push_back(this->projectLine(L"History2 Debug - "));
  expected.push_back(L"History2 Debug - Failed to getChild(VSS, name=Readme.txt deleted=FALSE");
  expected.push_back(this->projectLine(L"History2 Error - "));
  expected.push_back(L"History2 Error - Nothing was found for Readme.txt");
  EXPECT_EQ(capture.lines(), expected);

  // The exact name is found by the listing: the search was complete.
  ASSERT_EQ(navigation::getChild<TypeParam>(this->historyLog_, this->project_, L"readme.txt", VARIANT_TRUE, &incomplete,
                                           &child),
            S_OK);
  EXPECT_FALSE(incomplete);
  EXPECT_EQ(navtest::specOf<TypeParam>(child), L"$/p/readme.txt");
}

TYPED_TEST(ChildLookupTest, GetChildListsOnlyLiveChildren) {
  if constexpr (TypeParam::kIs2005) this->builder_.faults().fail(L"get_Child", L"$/p").forever();
  Capture capture;
  bool incomplete = true;
  ItemPtr<TypeParam> child;
  EXPECT_EQ(navigation::getChild<TypeParam>(this->historyLog_, this->project_, L"old.txt", VARIANT_TRUE, &incomplete,
                                           &child),
            E_FAIL);
  EXPECT_FALSE(incomplete);
  EXPECT_FALSE(child);
  EXPECT_EQ(capture.lines().back(), L"History2 Error - Nothing was found for old.txt");
}

TYPED_TEST(ChildLookupTest, GetChildDebugLineNamesTheFlag) {
  if constexpr (TypeParam::kIs2005) this->builder_.faults().fail(L"get_Child", L"$/p").forever();
  Capture capture(logging::kDebug);
  bool incomplete = true;
  ItemPtr<TypeParam> child;
  navigation::getChild<TypeParam>(this->historyLog_, this->project_, L"none", VARIANT_TRUE, &incomplete, &child);
  const std::vector<std::wstring> lines = capture.lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), L"History2 Debug - Failed to getChild(VSS, name=none deleted=True"),
            lines.end());
}

TYPED_TEST(ChildLookupTest, GetChildLogsUnreadableEntriesAndGoesOn) {
  if constexpr (TypeParam::kIs2005) this->builder_.faults().fail(L"get_Child", L"$/p").withoutErrorInfo().forever();
  this->builder_.faults().handOutNothing(L"get_Item", L"").fromCall(1);
  // Entry 2 is readme.txt (children come sorted by name): its name fails.
  this->builder_.faults().fail(L"get_Name", L"$/p/readme.txt");
  Capture capture;
  bool incomplete = true;
  ItemPtr<TypeParam> child;
  ASSERT_EQ(navigation::getChild<TypeParam>(this->historyLog_, this->project_, L"\u00C4rger.txt", VARIANT_FALSE,
                                           &incomplete, &child),
            S_OK);
  EXPECT_FALSE(incomplete);
  EXPECT_EQ(navtest::specOf<TypeParam>(child), L"$/p/\u00C4rger.txt");
  std::vector<std::wstring> lines = capture.lines();
  if constexpr (TypeParam::kIs2005) lines.erase(lines.begin(), lines.begin() + 2);
  EXPECT_THAT(lines, ElementsAre(L"History2 Error - Failed to Next on VSSItemIterator",
                                 itemLine<TypeParam>(L"History2 Error - ", navtest::itemAt<TypeParam>(this->database_, L"$/p/readme.txt")),
                                 L"History2 Error - Failed to get name of item, " + kInjected));
}

TYPED_TEST(ChildLookupTest, GetChildReportsAFailedListing) {
  if constexpr (TypeParam::kIs2005) this->builder_.faults().fail(L"get_Child", L"$/p").forever();
  this->builder_.faults().fail(L"get_Items", L"$/p", E_ACCESSDENIED);
  Capture capture;
  bool incomplete = false;
  ItemPtr<TypeParam> child = this->project_;
  EXPECT_EQ(navigation::getChild<TypeParam>(this->historyLog_, this->project_, L"readme.txt", VARIANT_FALSE, &incomplete,
                                           &child),
            E_ACCESSDENIED);
  EXPECT_TRUE(incomplete);
  EXPECT_FALSE(child);
  EXPECT_EQ(capture.lines().back(), L"History2 Error - Failed to GetItemIterator");
}

// The 2005 library answers by name itself, without regard to letter case,
// and its answer is taken as it is.
class GetChild2005Test : public ChildLookupTest<ssapi::Automation2005> {};

TEST_F(GetChild2005Test, LibraryLookupComesFirst) {
  Capture capture;
  bool incomplete = false;
  ItemPtr<ssapi::Automation2005> child;
  ASSERT_EQ(navigation::getChild<ssapi::Automation2005>(historyLog_, project_, L"Readme.txt", VARIANT_FALSE, &incomplete,
                                                        &child),
            S_OK);
  EXPECT_TRUE(incomplete);
  EXPECT_EQ(navtest::specOf<ssapi::Automation2005>(child), L"$/p/readme.txt");

  ASSERT_EQ(navigation::getChild<ssapi::Automation2005>(historyLog_, project_, L"old.txt", VARIANT_TRUE, &incomplete,
                                                        &child),
            S_OK);
  EXPECT_TRUE(navtest::deletedFlagOf<ssapi::Automation2005>(child));
  EXPECT_THAT(capture.lines(), IsEmpty());

  // A success without a child is still a success.
  builder_.faults().handOutNothing(L"get_Child", L"$/p");
  child = project_;
  EXPECT_EQ(navigation::getChild<ssapi::Automation2005>(historyLog_, project_, L"readme.txt", VARIANT_FALSE, &incomplete,
                                                        &child),
            S_OK);
  EXPECT_FALSE(child);
}

class FindChild2005Test : public ChildLookupTest<ssapi::Automation2005> {
 protected:
  using A = ssapi::Automation2005;
};

TEST_F(FindChild2005Test, LiveChildFirstWithoutRegardToCase) {
  Capture capture(logging::kDebug);
  ItemPtr<A> child;
  ASSERT_EQ(navigation::FindChild2005<A>(versionCastLog_, project_, L"DUP.txt", &child), S_OK);
  EXPECT_FALSE(navtest::deletedFlagOf<A>(child));
  EXPECT_EQ(navtest::versionOf<A>(child), 1);
  EXPECT_THAT(capture.lines(), IsEmpty());
}

TEST_F(FindChild2005Test, DeletedChildWhenNoLiveOne) {
  Capture capture(logging::kDebug);
  ItemPtr<A> child;
  ASSERT_EQ(navigation::FindChild2005<A>(versionCastLog_, project_, L"old.txt", &child), S_OK);
  EXPECT_TRUE(navtest::deletedFlagOf<A>(child));
  const std::vector<std::wstring> lines = capture.lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], projectLine(L"VersionCast Warn - "));
  EXPECT_EQ(lines[1].rfind(L"VersionCast Warn - FindChild2005::Failed get_Child (VARIANT_FALSE), Error: 0x8004d696", 0), 0u)
      << platform::wideToUtf8(lines[1]);
}

TEST_F(FindChild2005Test, NeitherLiveNorDeleted) {
  Capture capture(logging::kDebug);
  builder_.faults().fail(L"get_Child", L"$/p", ssapi::ESS_VS_CHILD_NOT_FOUND).times(2);
  ItemPtr<A> child = project_;
  EXPECT_EQ(navigation::FindChild2005<A>(versionCastLog_, project_, L"readme.txt", &child), ssapi::ESS_VS_CHILD_NOT_FOUND);
  EXPECT_EQ(child.get(), project_.get());
  const std::wstring text = L"Error: 0x8004d696 (-2147166570): Injected fault. Source:SourceSafe";
  EXPECT_THAT(capture.lines(),
              ElementsAre(projectLine(L"VersionCast Warn - "),
                          L"VersionCast Warn - FindChild2005::Failed get_Child (VARIANT_FALSE), " + text,
                          projectLine(L"VersionCast Warn - "),
                          L"VersionCast Warn - FindChild2005::Failed get_Child (VARIANT_TRUE), " + text));
}

TEST_F(FindChild2005Test, NullFromTheSecondCallIsASuccessWithoutChild) {
  Capture capture;  // Warn lines need Info: none at the Error threshold.
  builder_.faults().fail(L"get_Child", L"$/p");
  builder_.faults().handOutNothing(L"get_Child", L"$/p").fromCall(2);
  ItemPtr<A> child = project_;
  EXPECT_EQ(navigation::FindChild2005<A>(versionCastLog_, project_, L"readme.txt", &child), S_OK);
  EXPECT_FALSE(child);
  EXPECT_THAT(capture.lines(), IsEmpty());
}

TEST_F(FindChild2005Test, NullFromTheFirstCallAsksForDeletedOnes) {
  Capture capture(logging::kInfo);
  builder_.faults().handOutNothing(L"get_Child", L"$/p");
  ItemPtr<A> child;
  ASSERT_EQ(navigation::FindChild2005<A>(versionCastLog_, project_, L"old.txt", &child), S_OK);
  EXPECT_TRUE(navtest::deletedFlagOf<A>(child));
  EXPECT_THAT(capture.lines(), ElementsAre(projectLine(L"VersionCast Warn - "),
                                           L"VersionCast Warn - FindChild2005::Failed get_Child (VARIANT_FALSE), Error: 0x0 (0)"));
}

}  // namespace

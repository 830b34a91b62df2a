#include "navigation/version_cast.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "navigation_test_support.h"

namespace {

using navigation::ItemPtr;
using navigation::VersionCast;
using navtest::Capture;
using navtest::itemLine;
using navtest::kInjected;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::int64_t kBase = 1000000000;

util::JavaTime at(std::int64_t offsetSeconds) { return util::JavaTime::fromMillis((kBase + offsetSeconds) * 1000); }

// Records every project passed on the way down; can be told to fail.
template <class A>
class RecordingCast : public VersionCast<A> {
 public:
  HRESULT OnTimedChildFound(const ItemPtr<A>& timedParent) override {
    passed.push_back(navtest::specOf<A>(timedParent) + L"[" + std::to_wstring(navtest::versionOf<A>(timedParent)) + L"]");
    return status;
  }
  std::vector<std::wstring> passed;
  HRESULT status = S_OK;
};

// $/a/b/x.txt, $/a/d/e.txt; in $/p: dup.txt with two versions (+10, +20),
// deleted at +30 and added anew (one version) at +40; old.txt with two
// versions, deleted at +30; late.txt added at +50.
template <class A>
class VersionCastTest : public ::testing::Test {
 protected:
  VersionCastTest() {
    builder_.at(kBase).createProject(L"$/a").createProject(L"$/a/b").createProject(L"$/a/d").createProject(L"$/p");
    builder_.addFile(L"$/a/b/x.txt", "x").addFile(L"$/a/d/e.txt", "e");
    builder_.at(kBase + 10).addFile(L"$/p/dup.txt", "1").addFile(L"$/p/old.txt", "1");
    builder_.at(kBase + 20).checkIn(L"$/p/dup.txt", "2").checkIn(L"$/p/old.txt", "2");
    builder_.at(kBase + 30).remove(L"$/p/dup.txt").remove(L"$/p/old.txt");
    builder_.at(kBase + 40).addFile(L"$/p/dup.txt", "new");
    builder_.at(kBase + 50).addFile(L"$/p/late.txt", "late");
    database_ = navtest::openDatabase<A>(builder_);
  }

  HRESULT castPath(const std::wstring& path, const util::JavaTime& time, ItemPtr<A>* out) {
    return cast_.CastPathToVersion(*database_, path, time, out);
  }

  ssapi::DatabaseBuilder builder_;
  ComPtr<typename A::Database> database_;
  RecordingCast<A> cast_;
};
TYPED_TEST_SUITE(VersionCastTest, navtest::Generations, navtest::GenerationName);

TYPED_TEST(VersionCastTest, FollowsAPathThroughEveryProject) {
  Capture capture;
  ItemPtr<TypeParam> item;
  ASSERT_EQ(this->castPath(L"$/a/d/e.txt", util::FAR_FUTURE, &item), S_OK);
  EXPECT_EQ(navtest::specOf<TypeParam>(item), L"$/a/d/e.txt");
  EXPECT_EQ(navtest::versionOf<TypeParam>(item), 1);
  ASSERT_EQ(this->cast_.passed.size(), 3u);
  EXPECT_EQ(this->cast_.passed[0].rfind(L"$/[", 0), 0u);
  EXPECT_EQ(this->cast_.passed[1].rfind(L"$/a[", 0), 0u);
  EXPECT_EQ(this->cast_.passed[2].rfind(L"$/a/d[", 0), 0u);
  EXPECT_THAT(capture.lines(), IsEmpty());
  EXPECT_EQ(capture.errorFile(), L"");
}

TYPED_TEST(VersionCastTest, RootAloneIsTheRootAsItStood) {
  ItemPtr<TypeParam> item;
  ASSERT_EQ(this->castPath(L"$/", util::FAR_FUTURE, &item), S_OK);
  EXPECT_EQ(navtest::specOf<TypeParam>(item), L"$/");
  EXPECT_TRUE(this->cast_.passed.empty());
  // Before the root's first version there was nothing to find.
  EXPECT_EQ(this->castPath(L"$", util::EPOCH, &item), ssapi::ESS_VS_VERS_NOT_FOUND);
}

TYPED_TEST(VersionCastTest, LiveItemWinsOverADeletedNamesake) {
  struct Row {
    const char* name;
    std::wstring path;
    util::JavaTime time;
    LONG version;
    bool oldFile;  // the file that was deleted (two versions), not the new one
  };
  const Row rows[] = {
      {"re-added, asked now", L"$/p/dup.txt", util::FAR_FUTURE, 1, false},
      {"re-added, asked before deletion", L"$/p/dup.txt", at(25), 2, true},
      {"deleted only, asked now", L"$/p/old.txt", util::FAR_FUTURE, 2, true},
      {"deleted only, asked at its first version", L"$/p/old.txt", at(15), 1, true},
      {"other letter case", L"$/P/DUP.TXT", util::FAR_FUTURE, 1, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ItemPtr<TypeParam> item;
    ASSERT_EQ(this->castPath(row.path, row.time, &item), S_OK);
    EXPECT_EQ(navtest::versionOf<TypeParam>(item), row.version);
    // Which file was found: the deleted one has two versions, the new one one.
    ItemPtr<TypeParam> latest;
    ASSERT_EQ(item->get_Version(Variant(LONG{2}), latest.put()) == S_OK, row.oldFile);
  }
}

TYPED_TEST(VersionCastTest, MissingComponentRecordsMessage109) {
  struct Row {
    const char* name;
    std::wstring path;
    util::JavaTime time;
    std::wstring parentSpec;
    std::wstring component;
  };
  const Row rows[] = {
      {"never existed", L"$/p/none.txt", util::FAR_FUTURE, L"$/p", L"none.txt"},
      {"not yet added", L"$/p/late.txt", at(45), L"$/p", L"late.txt"},
      {"missing project on the way", L"$/q/x.txt", util::FAR_FUTURE, L"$/", L"q"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Capture capture;
    ItemPtr<TypeParam> item;
    EXPECT_EQ(this->castPath(row.path, row.time, &item), E_FAIL);
    EXPECT_FALSE(item);
    EXPECT_EQ(capture.errorFile(), L"Path was not found in the SourceSafe.\r\n");
    const std::vector<std::wstring> lines = capture.lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2].rfind(L"VersionCast Error - " + row.parentSpec + L"[", 0), 0u)
        << platform::wideToUtf8(lines[lines.size() - 2]);
    EXPECT_EQ(lines.back(), L"VersionCast Error - Failed to find " + row.component + L" in children");
    // With Debug off, only Error lines are written.
    for (const std::wstring& line : lines)
      EXPECT_NE(line.find(L" Error - "), std::wstring::npos) << platform::wideToUtf8(line);
  }
}

TYPED_TEST(VersionCastTest, UnreachableRootRecordsMessage101) {
  struct Row {
    const char* name;
    bool nothing;
    HRESULT expected;
    std::wstring line;
  };
  const Row rows[] = {
      {"fails", false, ssapi::ESS_VS_NOT_FOUND, L"VersionCast Error - Error 0x8004d68f (-2147166577)"},
      {"hands out nothing", true, E_FAIL, L"VersionCast Error - Error 0x0 (0)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Capture capture;
    this->builder_.faults().clear();
    if (row.nothing)
      this->builder_.faults().handOutNothing(L"get_VSSItem", L"$/");
    else
      this->builder_.faults().fail(L"get_VSSItem", L"$/", ssapi::ESS_VS_NOT_FOUND);
    ItemPtr<TypeParam> item;
    EXPECT_EQ(this->castPath(L"$/a/d/e.txt", util::FAR_FUTURE, &item), row.expected | E_FAIL);
    EXPECT_FALSE(item);
    EXPECT_EQ(capture.errorFile(), L"Unable to find root item\r\n");
    EXPECT_THAT(capture.lines(), ElementsAre(row.line));
  }
}

TYPED_TEST(VersionCastTest, CastToVersionClimbsToTheCommonProject) {
  struct Row {
    const char* name;
    std::wstring target;
    std::wstring climbedTo;
    std::wstring rest;
  };
  const Row rows[] = {
      {"sibling project", L"$/a/d/e.txt", L"$/a", L"/d/e.txt"},
      // Components compare exactly: "A" is not "a", so the climb goes to the root.
      {"other letter case", L"$/A/d/e.txt", L"$/", L"/A/d/e.txt"},
      {"same file", L"$/a/b/x.txt", L"$/a/b/x.txt", L""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Capture capture(logging::kDebug);
    ItemPtr<TypeParam> start = navtest::itemAt<TypeParam>(this->database_, L"$/a/b/x.txt");
    ItemPtr<TypeParam> item;
    ASSERT_EQ(this->cast_.CastToVersion(start, row.target, util::FAR_FUTURE, &item), S_OK);
    EXPECT_EQ(navtest::specOf<TypeParam>(item).size(), row.target.size());
    const std::vector<std::wstring> lines = capture.lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind(L"VersionCast Debug - " + row.climbedTo + L"[", 0), 0u) << platform::wideToUtf8(lines[0]);
    EXPECT_EQ(lines[1], L"VersionCast Debug - Loop for path: " + row.rest);
  }
}

TYPED_TEST(VersionCastTest, WalkWritesOneDebugLinePairPerComponent) {
  Capture capture(logging::kDebug);
  ItemPtr<TypeParam> item;
  ASSERT_EQ(this->castPath(L"$/a/d", util::FAR_FUTURE, &item), S_OK);
  const std::vector<std::wstring> lines = capture.lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].rfind(L"VersionCast Debug - $/[", 0), 0u);
  EXPECT_EQ(lines[1], L"VersionCast Debug -  -> a");
  EXPECT_EQ(lines[2].rfind(L"VersionCast Debug - $/a[", 0), 0u);
  EXPECT_EQ(lines[3], L"VersionCast Debug -  -> d");
}

TYPED_TEST(VersionCastTest, FailingParentStopsTheClimb) {
  Capture capture;
  this->builder_.faults().fail(L"get_Parent", L"$/a/b");
  ItemPtr<TypeParam> start = navtest::itemAt<TypeParam>(this->database_, L"$/a/b/x.txt");
  ItemPtr<TypeParam> b = navtest::itemAt<TypeParam>(this->database_, L"$/a/b");
  ItemPtr<TypeParam> item;
  EXPECT_EQ(this->cast_.CastToVersion(start, L"$/a/d/e.txt", util::FAR_FUTURE, &item), E_FAIL);
  EXPECT_FALSE(item);
  EXPECT_THAT(capture.lines(), ElementsAre(itemLine<TypeParam>(L"VersionCast Error - ", b),
                                           L"VersionCast Error - Failed to get_Parent, " + kInjected,
                                           L"VersionCast Error - Failed to get_Parent, Error: 0x80004005 (-2147467259)"));
  EXPECT_EQ(capture.errorFile(), L"");
}

TYPED_TEST(VersionCastTest, MoveToParentNullsTheItemOnFailure) {
  ItemPtr<TypeParam> item = navtest::itemAt<TypeParam>(this->database_, L"$/a/b");
  ASSERT_EQ(this->cast_.moveToParent(item), S_OK);
  EXPECT_EQ(navtest::specOf<TypeParam>(item), L"$/a");
  this->builder_.faults().fail(L"get_Parent", L"$/a");
  Capture capture;
  EXPECT_EQ(this->cast_.moveToParent(item), E_FAIL);
  EXPECT_FALSE(item);
}

TYPED_TEST(VersionCastTest, FailingHookStopsTheWalk) {
  Capture capture(logging::kInfo);
  this->cast_.status = E_ACCESSDENIED;
  ItemPtr<TypeParam> item;
  EXPECT_EQ(this->castPath(L"$/a", util::FAR_FUTURE, &item), E_FAIL);
  const std::vector<std::wstring> lines = capture.lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], L"VersionCast Warn - OnTimedChildFound failed, Error: 0x80070005 (-2147024891)");
  EXPECT_EQ(lines[3], L"VersionCast Error - Failed to find a in children");
  EXPECT_EQ(capture.errorFile(), L"Path was not found in the SourceSafe.\r\n");
}

TYPED_TEST(VersionCastTest, ListingFallbacksAreLogged) {
  Capture capture(logging::kDebug);
  ItemPtr<TypeParam> item;
  ASSERT_EQ(this->castPath(L"$/p/old.txt", util::FAR_FUTURE, &item), S_OK);
  std::vector<std::wstring> messages;
  for (const std::wstring& line : capture.lines())
    if (line.find(L"Failed") != std::wstring::npos) messages.push_back(line);
  if constexpr (TypeParam::kIs2005) {
    // The library's lookup finds the deleted file on its second call.
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind(L"VersionCast Warn - FindChild2005::Failed get_Child (VARIANT_FALSE)", 0), 0u);
  } else {
    EXPECT_THAT(messages, ElementsAre(L"VersionCast Error - Failed to FindNamedChild",
                                      L"VersionCast Debug - Failed to FindChildFromList VARIANT_FALSE"));
  }
}

// Only the 2005 lookup can succeed without a child.
class VersionCast2005Test : public VersionCastTest<ssapi::Automation2005> {};

TEST_F(VersionCast2005Test, SuccessWithoutChildIsChildNotFound) {
  Capture capture;
  builder_.faults().fail(L"get_Child", L"$/p");
  builder_.faults().handOutNothing(L"get_Child", L"$/p").fromCall(2);
  ItemPtr<ssapi::Automation2005> item;
  EXPECT_EQ(castPath(L"$/p/dup.txt", util::FAR_FUTURE, &item), E_FAIL);
  EXPECT_FALSE(item);
  const std::vector<std::wstring> lines = capture.lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind(L"VersionCast Error - $/p[", 0), 0u);
  EXPECT_EQ(lines[1], L"VersionCast Error - Child was not found.");
  EXPECT_EQ(capture.errorFile(), L"Path was not found in the SourceSafe.\r\n");
}

TEST_F(VersionCast2005Test, FailedLibraryLookupFallsBackToTheListing) {
  Capture capture(logging::kDebug);
  builder_.faults().fail(L"get_Child", L"$/p").times(2);
  ItemPtr<ssapi::Automation2005> item;
  ASSERT_EQ(castPath(L"$/p/DUP.txt", util::FAR_FUTURE, &item), S_OK);
  EXPECT_EQ(navtest::versionOf<ssapi::Automation2005>(item), 1);
  const std::vector<std::wstring> lines = capture.lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), L"VersionCast Debug - Failed to FindChild2005"), lines.end());
}

}  // namespace

// The decoding of action texts: which operation each keyword reaches inside
// and after the window, and the parsing of rename and move texts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "history_test_support.h"

namespace {

using histtest::Capture;
using histtest::narrow;
using histtest::RecordingLoader;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// $/p at version 3: created, a.txt added, "q to r" added.
template <class A>
class DecodingTest : public ::testing::Test {
 protected:
  DecodingTest() {
    builder_.at(1000000000).createProject(L"$/p");
    builder_.addFile(L"$/p/a.txt", "a");
    builder_.addFile(L"$/p/q to r", "q");
    database_ = histtest::openDatabase<A>(builder_);
    project_ = histtest::itemAt<A>(database_, L"$/p");
    version_ = histtest::newestVersion<A>(project_);
  }

  ssapi::DatabaseBuilder builder_;
  ComPtr<typename A::Database> database_;
  histtest::ItemPtr<A> project_;
  histtest::VersionPtr<A> version_;
};
TYPED_TEST_SUITE(DecodingTest, histtest::Generations, histtest::GenerationName);

TYPED_TEST(DecodingTest, KeywordsReachTheirOperations) {
  struct Row {
    const wchar_t* action;
    bool fromFuture;
    HRESULT status;
    std::vector<std::wstring> calls;
  } rows[] = {
      {L"Added a.txt", false, S_OK, {L"onAdded $/p[3] 'a.txt'"}},
      {L"Recovered   $sub ", false, S_OK, {L"onAdded $/p[3] '$sub'"}},
      {L"Added a.txt", true, S_OK, {}},
      {L"Recovered $sub", true, S_OK, {}},
      {L"Labeled 'L1'", false, S_OK, {}},
      {L"Labeled 'L1'", true, S_OK, {}},
      {L"Purged x.txt", false, S_OK, {}},
      {L"Purged x.txt", true, S_OK, {}},
      {L"Checked in $/p", false, S_OK, {L"onCheckedIn $/p[3]"}},
      {L"Checkedout", false, S_OK, {L"onCheckedIn $/p[3]"}},  // no blank needed after a keyword
      {L"Checked in $/p", true, S_OK, {}},
      {L"Created $p", false, S_OK, {L"added $/p[3]"}},
      {L"Branched at version 2", false, S_OK, {L"added $/p[3]"}},
      {L"Branched a.txt", false, S_OK, {L"added $/p[3]"}},
      {L"Created $p", true, E_FAIL, {}},
      {L"Branched at version 2", true, E_FAIL, {}},
      {L"Shared  $/lib/x.txt", false, S_OK, {L"onShared $/p[3] '$/lib/x.txt'"}},
      {L"Shared $/lib/x.txt", true, S_OK, {}},
      {L"Restored $old", false, S_OK, {L"tree $/p[3]"}},
      {L"Restored $old", true, E_FAIL, {}},
      {L"Destroyed $sub", false, S_OK, {L"onDestroyed $/p[3] '$sub'"}},
      {L"Destroyedx.txt", false, S_OK, {L"onDestroyed $/p[3] 'x.txt'"}},
      {L"Destroyed $sub", true, S_OK, {}},
      {L"Deleted a.txt", false, S_OK, {L"onDeleted $/p[3] 'a.txt'"}},
      {L"Deleted a.txt", true, S_OK, {}},
      {L"checked in $/p", false, E_FAIL, {}},
      {L"Pinned a.txt to version 1", false, E_FAIL, {}},
      {L"Archived $old", false, E_FAIL, {}},
      {L"Moved $x from $/y", false, E_FAIL, {}},  // a move text without " to " names nothing
      {L"", false, E_FAIL, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(narrow(std::wstring(row.action) + (row.fromFuture ? L" (future)" : L"")));
    Capture capture;
    RecordingLoader<TypeParam> loader;
    loader.interceptHandlers = true;
    EXPECT_EQ(loader.decode(this->version_, this->project_, row.action, row.fromFuture), row.status);
    EXPECT_EQ(loader.calls, row.calls);
    EXPECT_THAT(loader.renames().renames(), IsEmpty());
  }
}

TYPED_TEST(DecodingTest, AnUnexpectedActionIsLoggedWithItsFutureFlag) {
  struct Row {
    const wchar_t* action;
    bool fromFuture;
    const wchar_t* line;
  } rows[] = {
      {L"checked in $/p", false, L"History2 Error - Unexpected action checked in $/p fromFuture = FALSE"},
      {L"Created $p", true, L"History2 Error - Unexpected action Created $p fromFuture = TRUE"},
      {L"Rollback to version 2", true, L"History2 Error - Unexpected action Rollback to version 2 fromFuture = TRUE"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(narrow(row.action));
    Capture capture;
    RecordingLoader<TypeParam> loader;
    loader.interceptHandlers = true;
    EXPECT_EQ(loader.decode(this->version_, this->project_, row.action, row.fromFuture), E_FAIL);
    EXPECT_THAT(capture.lines(), ElementsAre(row.line));
  }
}

// "Renamed p to q to r": the first split whose right-hand name is a child of
// the project wins.
TYPED_TEST(DecodingTest, RenameTriesEachSplitUntilTheNewNameIsAChild) {
  ssapi::DatabaseBuilder builder;
  builder.at(1000000000).createProject(L"$/p");
  builder.addFile(L"$/p/p to q", "x");
  builder.rename(L"$/p/p to q", L"r");
  auto database = histtest::openDatabase<TypeParam>(builder);
  auto project = histtest::itemAt<TypeParam>(database, L"$/p");

  Capture capture(logging::kDebug);
  RecordingLoader<TypeParam> loader;
  EXPECT_EQ(loader.decode(this->version_, project, L"Renamed p to q to r", false), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"rename $/p/p to q -> $/p/r[1]"));
  // Inside the window the older spec maps forward to the newer one.
  EXPECT_EQ(loader.renames().mapPath(L"$/p/p to q/x"), L"$/p/r/x");
  const std::vector<std::wstring> lines = capture.lines();
  EXPECT_THAT(lines, Contains(L"History2 Debug - Parsed: p <to> q to r"));
  EXPECT_THAT(lines, Contains(L"History2 Error - Nothing was found for q to r"));
  EXPECT_THAT(lines, Contains(L"History2 Error - Failed to get toItem for path q to r, Error: 0x80004005 (-2147467259)"));
  EXPECT_THAT(lines, Contains(L"History2 Debug - Parsed: p to q <to> r"));
  EXPECT_THAT(lines, Contains(L"History2 Debug - Renamed from $/p/r[=item] to $/p/p to q"));
}

TYPED_TEST(DecodingTest, RenameTakesTheFirstSplitWhenItsNewNameExists) {
  Capture capture;
  RecordingLoader<TypeParam> loader;
  EXPECT_EQ(loader.decode(this->version_, this->project_, L"Renamed p to q to r", false), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"rename $/p/p -> $/p/q to r[1]"));
  // Without Debug the failed attempts are not logged; nothing failed here anyway.
  EXPECT_THAT(capture.lines(), IsEmpty());
}

TYPED_TEST(DecodingTest, RenameWithADollarOnOneSideOnlyIsNoSplit) {
  Capture capture(logging::kDebug);
  RecordingLoader<TypeParam> loader;
  EXPECT_EQ(loader.decode(this->version_, this->project_, L"Renamed $/x to y", false), E_FAIL);
  EXPECT_THAT(loader.calls, IsEmpty());
  EXPECT_THAT(capture.lines(), ElementsAre(L"History2 Debug - Parsed: $/x <to> y"));
}

TYPED_TEST(DecodingTest, RenameWithoutAChildOfThatNameFails) {
  Capture capture;
  RecordingLoader<TypeParam> loader;
  EXPECT_EQ(loader.decode(this->version_, this->project_, L"Renamed a.txt to gone.txt", false), E_FAIL);
  EXPECT_THAT(loader.calls, IsEmpty());
  EXPECT_THAT(loader.renames().renames(), IsEmpty());
}

TYPED_TEST(DecodingTest, ProjectRenameKeepsTheDollarOffBothNames) {
  ssapi::DatabaseBuilder builder;
  builder.at(1000000000).createProject(L"$/p");
  builder.createProject(L"$/p/sub");
  builder.rename(L"$/p/sub", L"sub2");
  auto database = histtest::openDatabase<TypeParam>(builder);
  auto project = histtest::itemAt<TypeParam>(database, L"$/p");

  Capture capture;
  RecordingLoader<TypeParam> loader;
  EXPECT_EQ(loader.decode(this->version_, project, L"Renamed $sub to $sub2", false), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"rename $/p/sub -> $/p/sub2[1]"));
}

// After the window a rename calls no visitor; with the base isInFuture it
// maps the newer spec back to the older one.
TYPED_TEST(DecodingTest, RenameAfterTheWindowOnlyRecordsTheNamesBackwards) {
  Capture capture;
  RecordingLoader<TypeParam> loader(util::EPOCH, util::JavaTime::fromMillis(500));
  EXPECT_EQ(loader.decode(this->version_, this->project_, L"Renamed p to q to r", true), S_OK);
  EXPECT_THAT(loader.calls, IsEmpty());
  EXPECT_EQ(loader.renames().mapPath(L"$/p/q to r"), L"$/p/p");
}

TYPED_TEST(DecodingTest, RenameAfterTheUpperBoundButNotMarkedFutureStillVisits) {
  // The visitor depends on the entry's flag, the direction of the pair on
  // isInFuture of the entry's time.
  Capture capture;
  RecordingLoader<TypeParam> loader(util::EPOCH, util::JavaTime::fromMillis(500));
  EXPECT_EQ(loader.decode(this->version_, this->project_, L"Renamed p to q to r", false), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"rename $/p/p -> $/p/q to r[1]"));
  EXPECT_EQ(loader.renames().mapPath(L"$/p/q to r"), L"$/p/p");
}

// Moves need the open database, so they are read through a whole walk.
template <class A>
class MoveTest : public ::testing::Test {
 protected:
  MoveTest() {
    builder_.at(1000000000).createProject(L"$/p");
    builder_.createProject(L"$/p/mv");
    builder_.createProject(L"$/other");
    builder_.at(1000000100).move(L"$/p/mv", L"$/other");
    database_ = histtest::openDatabase<A>(builder_);
  }

  ssapi::DatabaseBuilder builder_;
  ComPtr<typename A::Database> database_;
};
TYPED_TEST_SUITE(MoveTest, histtest::Generations, histtest::GenerationName);

TYPED_TEST(MoveTest, MoveInsideTheWindowVisitsButRecordsNoPair) {
  Capture capture(logging::kDebug);
  RecordingLoader<TypeParam> loader;
  loader.interceptHandlers = true;
  ASSERT_EQ(loader.run(this->database_.get(), L"$/p"), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"start $/p[3]", L"rename $/p/mv -> $/other/mv[1]", L"onAdded $/p[2] '$mv'",
                                        L"added $/p[1]", L"finish $/p[3]"));
  EXPECT_THAT(loader.renames().renames(), IsEmpty());
  EXPECT_THAT(capture.lines(), Contains(L"History2 Debug - Moved from $/other/mv[=item] to $/p/mv"));
}

TYPED_TEST(MoveTest, MoveAfterTheWindowRecordsNewerToOlderAndVisitsNothing) {
  Capture capture;
  RecordingLoader<TypeParam> loader(util::EPOCH, util::JavaTime::fromMillis(1000000050LL * 1000));
  loader.interceptHandlers = true;
  ASSERT_EQ(loader.run(this->database_.get(), L"$/p"), S_OK);
  EXPECT_THAT(loader.calls,
              ElementsAre(L"start $/p[3]", L"onAdded $/p[2] '$mv'", L"added $/p[1]", L"finish $/p[2]"));
  EXPECT_EQ(loader.renames().mapPath(L"$/other/mv"), L"$/p/mv");
}

TYPED_TEST(MoveTest, MoveToASpecThatDoesNotExistFails) {
  auto project = histtest::itemAt<TypeParam>(this->database_, L"$/p");
  auto version = histtest::newestVersion<TypeParam>(project);
  Capture capture(logging::kDebug);
  RecordingLoader<TypeParam> loader;
  HRESULT status = S_OK;
  // Decoded while the walk holds the database.
  loader.duringStart = [&] { status = loader.decode(version, project, L"Moved $mv to $/nowhere/mv", false); };
  ASSERT_EQ(loader.run(this->database_.get(), L"$/p"), S_OK);
  EXPECT_EQ(status, E_FAIL);
  EXPECT_THAT(capture.lines(),
              Contains(L"History2 Error - Failed to get_VSSItem from $/nowhere/mv, "
                       L"Error: 0x8004d68f (-2147166577): File or project not found. Source:SourceSafe"));
}

}  // namespace

// The decoding of action texts: which operation each keyword reaches, which
// entries concern the requested project at all, and the parsing of rename
// and move texts.
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

  HRESULT decode(RecordingLoader<A>& loader, const std::wstring& action, bool fromFuture = false,
                 const std::wstring& requested = L"$/") {
    return loader.decodeInWalk(database_.get(), requested, version_, project_, action, fromFuture);
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
      // A new child's own first version reports it.
      {L"Added a.txt", false, S_OK, {}},
      {L"Recovered   $sub ", false, S_OK, {L"onAdded $/p[3] '$sub'"}},
      {L"Added a.txt", true, S_OK, {}},
      {L"Recovered $sub", true, S_OK, {}},
      {L"Labeled 'L1'", false, S_OK, {}},
      {L"Labeled 'L1'", true, S_OK, {}},
      {L"Purged x.txt", false, S_OK, {}},
      {L"Purged x.txt", true, S_OK, {}},
      {L"Checked in $/p", false, S_OK, {L"onCheckedIn $/p[3]"}},
      {L"Checkedout", false, S_OK, {L"onCheckedIn $/p[3]"}},  // no blank needed after a keyword
      {L"Rollback to version 2", false, S_OK, {L"onCheckedIn $/p[3]"}},
      {L"Checked in $/p", true, S_OK, {}},
      {L"Created $p", false, S_OK, {L"added $/p[3]"}},
      // A project's record of a branch: the new file's own version reports it.
      {L"Branched a.txt", false, S_OK, {}},
      {L"Created $p", true, E_FAIL, {}},
      {L"Shared  $/lib/x.txt", false, S_OK, {L"onShared $/p[3] '$/lib/x.txt'"}},
      {L"Shared $/lib/x.txt", true, S_OK, {}},
      {L"Restored $old", false, E_FAIL, {}},  // no child named old
      {L"Restored a.txt", false, S_OK, {L"tree $/p/a.txt[1]"}},
      {L"Restored $old", true, E_FAIL, {}},
      {L"Destroyed $sub", false, S_OK, {L"onDestroyed $/p[3] '$sub'"}},
      {L"Destroyedx.txt", false, S_OK, {L"onDestroyed $/p[3] 'x.txt'"}},
      {L"Destroyed $sub", true, S_OK, {}},
      {L"Deleted a.txt", false, S_OK, {L"onDeleted $/p[3] 'a.txt'"}},
      {L"Deleted a.txt", true, S_OK, {}},
      {L"Pinned a.txt to version 1", false, S_OK, {L"changed $/p/a.txt[1]"}},
      {L"Unpinned a.txt", false, S_OK, {L"changed $/p/a.txt[1]"}},
      {L"Archived $old", false, S_OK, {L"removeEx $/p/old folder"}},
      {L"Archived a.txt", false, S_OK, {L"removeEx $/p/a.txt file"}},
      {L"Archived versions of a.txt", false, S_OK, {}},
      {L"checked in $/p", false, E_FAIL, {}},
      {L"Moved $x from $/y", false, E_FAIL, {}},  // the other side does not end in the moved name
      {L"", false, E_FAIL, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(narrow(std::wstring(row.action) + (row.fromFuture ? L" (future)" : L"")));
    Capture capture;
    RecordingLoader<TypeParam> loader;
    loader.interceptHandlers = true;
    EXPECT_EQ(this->decode(loader, row.action, row.fromFuture), row.status);
    EXPECT_EQ(loader.decoded, row.calls);
  }
}

// A project's records concern the request only while the project lay inside
// the requested one, live.
TYPED_TEST(DecodingTest, EntriesOfAProjectOutsideTheRequestedOneAreLeftAlone) {
  this->builder_.createProject(L"$/other");
  this->database_ = histtest::openDatabase<TypeParam>(this->builder_);
  for (const wchar_t* action : {L"Deleted a.txt", L"Created $p", L"Checked in $/p", L"Renamed a.txt to b.txt"}) {
    SCOPED_TRACE(narrow(action));
    Capture capture;
    RecordingLoader<TypeParam> loader;
    loader.interceptHandlers = true;
    EXPECT_EQ(this->decode(loader, action, false, L"$/other"), S_OK);
    EXPECT_THAT(loader.decoded, IsEmpty());
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
    EXPECT_EQ(this->decode(loader, row.action, row.fromFuture), E_FAIL);
    EXPECT_THAT(capture.lines(), Contains(row.line));
  }
}

// "Renamed p to q to r": the first split whose right-hand name is a child of
// the project wins; the old path is the project's spec then plus the name.
TYPED_TEST(DecodingTest, RenameTriesEachSplitUntilTheNewNameIsAChild) {
  ssapi::DatabaseBuilder builder;
  builder.at(1000000000).createProject(L"$/p");
  builder.addFile(L"$/p/p to q", "x");
  builder.rename(L"$/p/p to q", L"r");
  auto database = histtest::openDatabase<TypeParam>(builder);
  auto project = histtest::itemAt<TypeParam>(database, L"$/p");

  Capture capture(logging::kDebug);
  RecordingLoader<TypeParam> loader;
  EXPECT_EQ(loader.decodeInWalk(database.get(), L"$/", this->version_, project, L"Renamed p to q to r", false), S_OK);
  EXPECT_THAT(loader.decoded, ElementsAre(L"rename $/p/p to q -> $/p/r[1]"));
  const std::vector<std::wstring> lines = capture.lines();
  EXPECT_THAT(lines, Contains(L"History2 Debug - Parsed: p <to> q to r"));
  EXPECT_THAT(lines, Contains(L"History2 Error - Failed to get toItem for path q to r"));
  EXPECT_THAT(lines, Contains(L"History2 Debug - Parsed: p to q <to> r"));
  EXPECT_THAT(lines, Contains(L"History2 Debug - Renamed from $/p/r[=item] to $/p/p to q"));
}

TYPED_TEST(DecodingTest, RenameTakesTheFirstSplitWhenItsNewNameExists) {
  Capture capture;
  RecordingLoader<TypeParam> loader;
  EXPECT_EQ(this->decode(loader, L"Renamed p to q to r"), S_OK);
  EXPECT_THAT(loader.decoded, ElementsAre(L"rename $/p/p -> $/p/q to r[1]"));
}

TYPED_TEST(DecodingTest, RenameWithADollarOnOneSideOnlyIsNoSplit) {
  Capture capture(logging::kDebug);
  RecordingLoader<TypeParam> loader;
  EXPECT_EQ(this->decode(loader, L"Renamed $/x to y"), E_FAIL);
  EXPECT_THAT(loader.decoded, IsEmpty());
  EXPECT_THAT(capture.lines(), Contains(L"History2 Debug - Parsed: $/x <to> y"));
}

TYPED_TEST(DecodingTest, RenameWithoutAChildOfThatNameFails) {
  Capture capture;
  RecordingLoader<TypeParam> loader;
  EXPECT_EQ(this->decode(loader, L"Renamed a.txt to gone.txt"), E_FAIL);
  EXPECT_THAT(loader.decoded, IsEmpty());
}

// Renaming a file renames its deleted places too; no live path changed there.
TYPED_TEST(DecodingTest, RenameOfADeletedPlaceVisitsNothing) {
  ssapi::DatabaseBuilder builder;
  builder.at(1000000000).createProject(L"$/p").createProject(L"$/q");
  builder.addFile(L"$/p/a.txt", "a").share(L"$/p/a.txt", L"$/q").remove(L"$/q/a.txt");
  builder.rename(L"$/p/a.txt", L"b.txt");
  auto database = histtest::openDatabase<TypeParam>(builder);
  auto q = histtest::itemAt<TypeParam>(database, L"$/q");
  auto entry = histtest::newestVersion<TypeParam>(q);
  ComPtr<typename TypeParam::Item> then;
  ASSERT_EQ(entry->get_VSSItem(then.put()), S_OK);

  Capture capture;
  RecordingLoader<TypeParam> loader;
  EXPECT_EQ(loader.decodeInWalk(database.get(), L"$/", entry, then, L"Renamed a.txt to b.txt", false), S_OK);
  EXPECT_THAT(loader.decoded, IsEmpty());
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
  EXPECT_EQ(loader.decodeInWalk(database.get(), L"$/", this->version_, project, L"Renamed $sub to $sub2", false), S_OK);
  EXPECT_THAT(loader.decoded, ElementsAre(L"rename $/p/sub -> $/p/sub2[1]"));
}

// A move is two entries: the project left reports a removal, the project
// entered an arrival with everything in it; each only inside the request.
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

TYPED_TEST(MoveTest, TheProjectLeftSeesARemoval) {
  Capture capture(logging::kDebug);
  RecordingLoader<TypeParam> loader;
  loader.interceptHandlers = true;
  ASSERT_EQ(loader.run(this->database_.get(), L"$/p"), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"start $/p[3]", L"removeEx $/p/mv folder", L"added $/p/mv[1]",
                                        L"added $/p[1]", L"finish $/p[3]"));
  EXPECT_THAT(capture.lines(), Contains(L"History2 Debug - Moved from $/other/mv[=item] to $/p/mv"));
}

TYPED_TEST(MoveTest, TheProjectEnteredSeesAnArrival) {
  Capture capture;
  RecordingLoader<TypeParam> loader;
  loader.interceptHandlers = true;
  ASSERT_EQ(loader.run(this->database_.get(), L"$/other"), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"start $/other[2]", L"tree $/other/mv[1]", L"added $/other[1]",
                                        L"finish $/other[2]"));
}

TYPED_TEST(MoveTest, BeforeTheMoveTheProjectIsWhereItWas) {
  Capture capture;
  RecordingLoader<TypeParam> loader(util::EPOCH, util::JavaTime::fromMillis(1000000050LL * 1000));
  loader.interceptHandlers = true;
  ASSERT_EQ(loader.run(this->database_.get(), L"$/p"), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"start $/p[3]", L"added $/p/mv[1]", L"added $/p[1]", L"finish $/p[2]"));
}

}  // namespace

// The 2005 changed-file detection: project entries about a child are
// resolved through the child's name, with coarser reports when that fails.
#include "history/history2_vss2005.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "history_test_support.h"

namespace {

using A = ssapi::Automation2005;
using histtest::Capture;
using histtest::narrow;
using histtest::RecordingLoader;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::wstring> linesOf(const std::vector<std::wstring>& lines, const std::wstring& logger) {
  std::vector<std::wstring> kept;
  for (const std::wstring& line : lines)
    if (line.rfind(logger + L" ", 0) == 0) kept.push_back(line);
  return kept;
}

// $/p: v1 created, v2 a.txt (checked in twice since), v3 $sub, v4 d.txt,
// v5 d.txt deleted, v6 g.txt, v7 g.txt deleted, v8 g.txt purged.
class Vss2005DetectionTest : public ::testing::Test {
 protected:
  Vss2005DetectionTest() {
    builder_.at(1000000000).createProject(L"$/p");
    builder_.addFile(L"$/p/a.txt", "a");
    builder_.createProject(L"$/p/sub");
    builder_.addFile(L"$/p/d.txt", "d");
    builder_.remove(L"$/p/d.txt");
    builder_.addFile(L"$/p/g.txt", "g");
    builder_.remove(L"$/p/g.txt");
    builder_.purge(L"$/p/g.txt");
    builder_.checkIn(L"$/p/a.txt", "a2");
    builder_.checkIn(L"$/p/a.txt", "a3");
    database_ = histtest::openDatabase<A>(builder_);
    project_ = histtest::itemAt<A>(database_, L"$/p");
    version_ = histtest::newestVersion<A>(project_);
  }

  histtest::ItemPtr<A> projectAt(LONG version) { return histtest::versionOf<A>(project_, version); }

  ssapi::DatabaseBuilder builder_;
  ComPtr<A::Database> database_;
  histtest::ItemPtr<A> project_;
  histtest::VersionPtr<A> version_;
};

TEST_F(Vss2005DetectionTest, TheNamedChildIsVisited) {
  struct Row {
    LONG version;
    const wchar_t* action;
    std::vector<std::wstring> calls;
  } rows[] = {
      // The child as it arrived: its version 1, whatever it is now.
      {2, L"Added a.txt", {L"added $/p/a.txt[1]"}},
      {4, L"Added d.txt", {L"added $/p/d.txt[1]"}},
      {5, L"Deleted d.txt", {L"remove $/p/d.txt[1]"}},
      {7, L"Deleted g.txt", {L"remove $/p/g.txt[1]"}},
      // Only the name of a destroyed child is at hand; it is always a folder.
      {8, L"Destroyed $gone", {L"removeEx $/p/gone folder"}},
      {8, L"Destroyed gone.txt", {L"removeEx $/p/gone.txt folder"}},
      {8, L"Destroyed $$x", {L"removeEx $/p/$x folder"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(narrow(row.action) + " at version " + std::to_string(row.version));
    Capture capture;
    RecordingLoader<A> loader;
    EXPECT_EQ(loader.decode(version_, projectAt(row.version), row.action, false), S_OK);
    EXPECT_EQ(loader.calls, row.calls);
    EXPECT_THAT(capture.lines(), IsEmpty());
  }
}

// A name the lookup does not know reports every direct child of the
// project as added; nothing below them.
TEST_F(Vss2005DetectionTest, AnAddedNameThatIsNotFoundReportsAllDirectChildren) {
  builder_.addFile(L"$/p/sub/deep.txt", "x");
  auto database = histtest::openDatabase<A>(builder_);
  auto project = histtest::itemAt<A>(database, L"$/p");
  Capture capture(logging::kInfo);
  RecordingLoader<A> loader;
  EXPECT_EQ(loader.decode(version_, project, L"Added $gone", false), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"added $/p/a.txt[3]", L"added $/p/sub[2]"));
  EXPECT_THAT(linesOf(capture.lines(), L"History2Vss2005"),
              ElementsAre(L"History2Vss2005 Error - onHistoryAdded: Failed to get_Child(VARIANT_FALSE) item of name "
                          L"$gone, Error: 0x80004005 (-2147467259)",
                          L"History2Vss2005 Info - onHistoryAdded: Get All files report all items as added"));
}

// Project names carry a "$" in the texts; the lookup finds the project by it.
TEST_F(Vss2005DetectionTest, AnAddedProjectIsFoundByItsDollarName) {
  builder_.addFile(L"$/p/sub/deep.txt", "x");
  auto database = histtest::openDatabase<A>(builder_);
  auto project = histtest::itemAt<A>(database, L"$/p");
  Capture capture(logging::kInfo);
  RecordingLoader<A> loader;
  EXPECT_EQ(loader.decode(version_, project, L"Added $sub", false), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"added $/p/sub[1]"));
  EXPECT_THAT(linesOf(capture.lines(), L"History2Vss2005"), IsEmpty());
}

TEST_F(Vss2005DetectionTest, AnAddedChildThatCountsAsDeletedIsNotVisited) {
  Capture capture(logging::kInfo);
  RecordingLoader<A> loader;
  loader.deletedSpecs = {L"$/p/a.txt"};
  EXPECT_EQ(loader.decode(version_, projectAt(2), L"Added a.txt", false), S_OK);
  EXPECT_THAT(loader.calls, IsEmpty());
  EXPECT_THAT(capture.lines(),
              ElementsAre(L"History2Vss2005 Info - $/p/a.txt[1]",
                          L"History2Vss2005 Info - onHistoryAdded: Item will be deleted in future. Nothing to checkout"));
}

TEST_F(Vss2005DetectionTest, AnAddedChildWithoutAFirstVersionIsVisitedAsItIs) {
  const histtest::ItemPtr<A> project = projectAt(2);
  builder_.faults().fail(L"get_Version", L"$/p/a.txt");
  Capture capture;
  RecordingLoader<A> loader;
  EXPECT_EQ(loader.decode(version_, project, L"Added a.txt", false), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"added $/p/a.txt[1]"));
  EXPECT_THAT(capture.lines(), ElementsAre(L"History2Vss2005 Error - $/p/a.txt[1]",
                                           L"History2Vss2005 Error - onHistoryAdded: Failed to get_Version, " +
                                               histtest::kInjected));
}

TEST_F(Vss2005DetectionTest, ADeletedChildThatIsNotFoundIsRemovedByName) {
  Capture capture;
  RecordingLoader<A> loader;
  EXPECT_EQ(loader.decode(version_, projectAt(8), L"Deleted $old", false), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"removeEx $/p/old folder"));
  EXPECT_THAT(linesOf(capture.lines(), L"History2Vss2005"),
              ElementsAre(L"History2Vss2005 Error - $/p[8]",
                          L"History2Vss2005 Error - onHistoryDeleted: Failed to get_Child(VARIANT_TRUE), try deleting "
                          L"by name, Error: 0x80004005 (-2147467259)"));
}

TEST_F(Vss2005DetectionTest, AFailedChildrenListFailsTheEntry) {
  const histtest::ItemPtr<A> project = projectAt(3);
  builder_.faults().fail(L"get_Items", L"$/p").forever();
  builder_.faults().fail(L"get_Child", L"$/p").forever();
  Capture capture;
  RecordingLoader<A> loader;
  EXPECT_EQ(loader.decode(version_, project, L"Added $sub", false), E_FAIL);
  EXPECT_THAT(loader.calls, IsEmpty());
  EXPECT_THAT(capture.lines(), Contains(L"History2Vss2005 Error - getAllItemsUnder::Failed, Error: 0x80004005 (-2147467259)"));
}

}  // namespace

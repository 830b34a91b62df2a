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
  enum Handler { kAdded, kDeleted, kDestroyed };
  struct Row {
    LONG version;
    Handler handler;
    const wchar_t* name;
    std::vector<std::wstring> calls;
  } rows[] = {
      // The child as it stood at the project's version.
      {2, kAdded, L"a.txt", {L"added $/p/a.txt[1]"}},
      {4, kAdded, L"d.txt", {L"added $/p/d.txt[1]"}},
      {5, kDeleted, L"d.txt", {L"remove $/p/d.txt[1]"}},
      {7, kDeleted, L"g.txt", {L"remove $/p/g.txt[1]"}},
      // Only the name of a destroyed child is at hand; its "$" tells a project.
      {8, kDestroyed, L"$gone", {L"removeEx $/p/gone folder"}},
      {8, kDestroyed, L"gone.txt", {L"removeEx $/p/gone.txt file"}},
      {8, kDestroyed, L"$$x", {L"removeEx $/p/$x folder"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(narrow(row.name) + " at version " + std::to_string(row.version));
    Capture capture;
    RecordingLoader<A> loader;
    const histtest::ItemPtr<A> project = projectAt(row.version);
    HRESULT status = row.handler == kAdded     ? loader.childAdded(project, row.name)
                     : row.handler == kDeleted ? loader.childDeleted(project, row.name)
                                               : loader.childDestroyed(project, row.name);
    EXPECT_EQ(status, S_OK);
    EXPECT_EQ(loader.calls, row.calls);
    EXPECT_THAT(capture.lines(), IsEmpty());
  }
}

// A child destroyed directly under the root is "$/name", never "$//name".
TEST_F(Vss2005DetectionTest, AChildDestroyedUnderTheRootIsNamedFromTheRoot) {
  Capture capture;
  RecordingLoader<A> loader;
  EXPECT_EQ(loader.childDestroyed(histtest::itemAt<A>(database_, L"$/"), L"x.txt"), S_OK);
  EXPECT_EQ(loader.childDestroyed(histtest::itemAt<A>(database_, L"$/"), L"$old"), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"removeEx $/x.txt file", L"removeEx $/old folder"));
}

// A recovered child comes back with the version it had, not its first one.
TEST_F(Vss2005DetectionTest, ARecoveredChildIsVisitedAtTheVersionItCameBackWith) {
  builder_.addFile(L"$/p/c.txt", "1").checkIn(L"$/p/c.txt", "2").checkIn(L"$/p/c.txt", "3");
  builder_.remove(L"$/p/c.txt").recover(L"$/p/c.txt").checkIn(L"$/p/c.txt", "4");
  auto database = histtest::openDatabase<A>(builder_);
  auto project = histtest::itemAt<A>(database, L"$/p");
  Capture capture;
  RecordingLoader<A> loader;
  EXPECT_EQ(loader.childAdded(histtest::versionOf<A>(project, 11), L"c.txt"), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"added $/p/c.txt[3]"));
}

// A name the lookup does not know reports every direct child of the
// project as added; nothing below them.
TEST_F(Vss2005DetectionTest, AnAddedNameThatIsNotFoundReportsAllDirectChildren) {
  builder_.addFile(L"$/p/sub/deep.txt", "x");
  auto database = histtest::openDatabase<A>(builder_);
  auto project = histtest::itemAt<A>(database, L"$/p");
  Capture capture(logging::kInfo);
  RecordingLoader<A> loader;
  EXPECT_EQ(loader.childAdded(project, L"$gone"), S_OK);
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
  EXPECT_EQ(loader.childAdded(project, L"$sub"), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"added $/p/sub[2]"));
  EXPECT_THAT(linesOf(capture.lines(), L"History2Vss2005"), IsEmpty());
}

TEST_F(Vss2005DetectionTest, AnAddedChildThatCountsAsDeletedIsNotVisited) {
  Capture capture(logging::kInfo);
  RecordingLoader<A> loader;
  loader.deletedSpecs = {L"$/p/a.txt"};
  EXPECT_EQ(loader.childAdded(projectAt(2), L"a.txt"), S_OK);
  EXPECT_THAT(loader.calls, IsEmpty());
  EXPECT_THAT(capture.lines(),
              ElementsAre(L"History2Vss2005 Info - $/p/a.txt[1]",
                          L"History2Vss2005 Info - onHistoryAdded: Item will be deleted in future. Nothing to checkout"));
}

TEST_F(Vss2005DetectionTest, ADeletedChildThatIsNotFoundIsRemovedByName) {
  Capture capture;
  RecordingLoader<A> loader;
  EXPECT_EQ(loader.childDeleted(projectAt(8), L"$old"), S_OK);
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
  EXPECT_EQ(loader.childAdded(project, L"$sub"), E_FAIL);
  EXPECT_THAT(loader.calls, IsEmpty());
  EXPECT_THAT(capture.lines(), Contains(L"History2Vss2005 Error - getAllItemsUnder::Failed, Error: 0x80004005 (-2147467259)"));
}

}  // namespace

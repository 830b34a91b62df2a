// The 6.0 changed-file detection: project entries about a child are turned
// into visits by comparing the project's children with those of its previous
// version.
#include "history/histroy2_vss6.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "history_test_support.h"

namespace {

using A = ssapi::Automation60;
using histtest::Capture;
using histtest::narrow;
using histtest::RecordingLoader;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// $/p: v1 created, v2 a.txt, v3 B.txt, v4 $sub (with x.txt in it), v5 sub
// deleted, v6 sub recovered, v7 a.txt deleted, v8 B.txt destroyed.
class Vss6DetectionTest : public ::testing::Test {
 protected:
  Vss6DetectionTest() {
    builder_.at(1000000000).createProject(L"$/p");
    builder_.addFile(L"$/p/a.txt", "a");
    builder_.addFile(L"$/p/B.txt", "b");
    builder_.createProject(L"$/p/sub");
    builder_.addFile(L"$/p/sub/x.txt", "x");
    builder_.remove(L"$/p/sub");
    builder_.recover(L"$/p/sub");
    builder_.remove(L"$/p/a.txt");
    builder_.destroy(L"$/p/B.txt");
    database_ = histtest::openDatabase<A>(builder_);
    project_ = histtest::itemAt<A>(database_, L"$/p");
    version_ = histtest::newestVersion<A>(project_);
  }

  histtest::ItemPtr<A> projectAt(LONG version) { return histtest::versionOf<A>(project_, version); }

  // The entry's handler, by the keyword of its action text.
  static HRESULT handle(RecordingLoader<A>& loader, const histtest::ItemPtr<A>& project, const std::wstring& action) {
    if (action.starts_with(L"Deleted")) return loader.childDeleted(project, action);
    if (action.starts_with(L"Destroyed")) return loader.childDestroyed(project, action);
    return loader.childAdded(project, action);
  }

  ssapi::DatabaseBuilder builder_;
  ComPtr<A::Database> database_;
  histtest::ItemPtr<A> project_;
  histtest::VersionPtr<A> version_;
};

// The name in the entry plays no part: only the two children lists do.
TEST_F(Vss6DetectionTest, EachEntryReportsTheDifferenceToThePreviousVersion) {
  struct Row {
    LONG version;
    const wchar_t* action;
    std::vector<std::wstring> calls;
  } rows[] = {
      {2, L"Added a.txt", {L"added $/p/a.txt[1]"}},
      {2, L"Added some other name", {L"added $/p/a.txt[1]"}},
      // A new project without history of its own comes as a tree.
      {4, L"Added $sub", {L"tree $/p/sub[1]"}},
      // The removed child as the entry left it: deleted, at its version then.
      {5, L"Deleted $sub", {L"remove $/p/sub[2]"}},
      // A project that comes back with older versions is one node.
      {6, L"Recovered $sub", {L"added $/p/sub[2]"}},
      {7, L"Deleted a.txt", {L"remove $/p/a.txt[1]"}},
      // A child no longer there at all is removed by its path and type.
      {8, L"Destroyed B.txt", {L"removeEx $/p/B.txt file"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(narrow(row.action) + " at version " + std::to_string(row.version));
    Capture capture;
    RecordingLoader<A> loader;
    EXPECT_EQ(handle(loader, projectAt(row.version), row.action), S_OK);
    EXPECT_EQ(loader.calls, row.calls);
    EXPECT_THAT(capture.lines(), IsEmpty());
  }
}

// Without a usable previous list every current child counts as added, in
// the order of their specs compared code unit by code unit ("B" before "a").
TEST_F(Vss6DetectionTest, WithoutAPreviousListEveryChildIsAdded) {
  struct Row {
    const char* name;
    const wchar_t* operation;
    std::vector<std::wstring> lines;
  } rows[] = {
      {"previous version unreadable", L"get_Version",
       {L"Histroy2Vss6 Error - $/p[3]", L"Histroy2Vss6 Error - Failed to getPrevVersion, Error: 0x80004005 (-2147467259)"}},
      {"previous children unreadable", L"get_Items",
       {L"Histroy2Vss6 Error - Failed to get VSSItemIterator, Error: 0x80004005 (-2147467259)",
        L"Histroy2Vss6 Error - $/p[3]",
        L"Histroy2Vss6 Error - Failed to loadChildren for previous version item. Return all items as added, "
        L"Error: 0x80004005 (-2147467259)"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const histtest::ItemPtr<A> project = projectAt(3);
    builder_.faults().clear();
    // The first get_Items is the listing of version 3 itself.
    builder_.faults().fail(row.operation, L"$/p").fromCall(row.operation == std::wstring(L"get_Items") ? 2 : 1);
    Capture capture;
    RecordingLoader<A> loader;
    EXPECT_EQ(handle(loader, project, L"Added B.txt"), S_OK);
    EXPECT_THAT(loader.calls, ElementsAre(L"added $/p/B.txt[1]", L"added $/p/a.txt[1]"));
    std::vector<std::wstring> lines = capture.lines();
    std::erase_if(lines, [](const std::wstring& line) { return line.rfind(L"Histroy2Vss6 ", 0) != 0; });
    EXPECT_EQ(lines, row.lines);
  }
}

TEST_F(Vss6DetectionTest, AnUnchangedListReportsTheWholeProject) {
  Capture capture(logging::kInfo);
  RecordingLoader<A> loader;
  // The request decides that the new child counts as deleted: asked through
  // the object, that hides it from the comparison.
  loader.deletedSpecs = {L"$/p/B.txt"};
  EXPECT_EQ(handle(loader, projectAt(3), L"Added B.txt"), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"tree $/p[3]"));
  EXPECT_THAT(capture.lines(), ElementsAre(L"Histroy2Vss6 Info - Failed to get changed files as proposed in "
                                           L"http://support.microsoft.com/kb/248078, report all items as added"));
}

TEST_F(Vss6DetectionTest, AFailedListingFailsTheEntry) {
  const histtest::ItemPtr<A> project = projectAt(3);
  builder_.faults().fail(L"get_Items", L"$/p");
  Capture capture;
  RecordingLoader<A> loader;
  EXPECT_EQ(handle(loader, project, L"Added B.txt"), E_FAIL);
  EXPECT_THAT(loader.calls, IsEmpty());
  std::vector<std::wstring> lines = capture.lines();
  std::erase_if(lines, [](const std::wstring& line) { return line.rfind(L"Histroy2Vss6 ", 0) != 0; });
  // The listing logged the fault's description first.
  EXPECT_THAT(lines, ElementsAre(L"Histroy2Vss6 Error - Failed to get VSSItemIterator, Error: 0x80004005 (-2147467259)",
                                 L"Histroy2Vss6 Error - $/p[3]",
                                 L"Histroy2Vss6 Error - Failed to loadChildren, Error: 0x80004005 (-2147467259)",
                                 L"Histroy2Vss6 Error - Failed to compare childern items, Error: 0x80004005 (-2147467259)"));
}

TEST_F(Vss6DetectionTest, TheComparisonIsTracedAtDebug) {
  Capture capture(logging::kDebug);
  RecordingLoader<A> loader;
  EXPECT_EQ(handle(loader, projectAt(4), L"Added $sub"), S_OK);
  std::vector<std::wstring> lines = capture.lines();
  std::erase_if(lines, [](const std::wstring& line) { return line.rfind(L"Histroy2Vss6 ", 0) != 0; });
  EXPECT_THAT(lines, ElementsAre(L"Histroy2Vss6 Debug - loadChildren for item: $/p[4]",
                                 L"Histroy2Vss6 Debug - Found 3 items",
                                 L"Histroy2Vss6 Debug - loadChildren for item: $/p[3]",
                                 L"Histroy2Vss6 Debug - Found 2 items", L"Histroy2Vss6 Debug - $/p[4]",
                                 L"Histroy2Vss6 Debug - Items added 1, deleted 0",
                                 L"Histroy2Vss6 Debug - Found new node: $/p/sub Resolved: $/p/sub"));
}

}  // namespace

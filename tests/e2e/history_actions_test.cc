// The history command on one kind of change at a time, through the built
// binary, for both automation generations. Every database starts with
// $/proj holding a.txt; the change under test happens at T0+100 and the
// window starts at T0+50, so only that change is in it.
#include <gtest/gtest.h>

#include "e2e/history/history_e2e.h"

namespace {

using historye2e::Generation;
using historye2e::historyDocument;
using historye2e::HistoryRun;
using historye2e::Item;

constexpr std::int64_t kT0 = 1000000000;  // 2001-09-09 01:46:40 UTC
constexpr std::int64_t kChange = kT0 + 100;
const std::wstring kFrom = L"09.09.2001 1:47:30";  // T0+50

class HistoryActionTest : public ::testing::TestWithParam<Generation> {
 protected:
  HistoryActionTest() {
    db_.at(kT0).createProject(L"$/proj");
    db_.addFile(L"$/proj/a.txt", "a");
  }

  bool is2005() const { return GetParam() == Generation::kVss2005; }

  // Runs "history $/proj <T0+50>" and checks the whole document, the empty
  // error file and the exit code.
  void expectHistory(const std::vector<Item>& items, const std::string& path = "$/proj") {
    HistoryRun run = historye2e::runHistory(dir_, db_, GetParam(), {path, historye2e::millisArg(kT0 + 50)});
    EXPECT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_TRUE(testsupport::utf16FileEquals(run.xmlPath, historyDocument(kFrom, historye2e::kFarFuture, items)));
    EXPECT_EQ(run.errors, L"");
    EXPECT_TRUE(historye2e::parsesAsXml(run.xmlPath));
    log_ = run.log;
  }

  testsupport::TempDir dir_;
  ssapi::DatabaseBuilder db_;
  std::wstring log_;
};

INSTANTIATE_TEST_SUITE_P(BothGenerations, HistoryActionTest,
                         ::testing::Values(Generation::kVss60, Generation::kVss2005), historye2e::GenerationName());

// One change, one item per path it touched.
TEST_P(HistoryActionTest, CheckIn) {
  db_.at(kChange).withComment(L"fix").checkIn(L"$/proj/a.txt", "a2");
  expectHistory({{L"File", kChange, 2, L"$/proj/a.txt", L"Changed", L"fix"}});
}

// The project's "Added" entry and the file's "Created" are one change.
TEST_P(HistoryActionTest, AddFile) {
  db_.at(kChange).withComment(L"new").addFile(L"$/proj/b.txt", "b");
  expectHistory({{L"File", kChange, 1, L"$/proj/b.txt", L"Added", L"new"}});
}

TEST_P(HistoryActionTest, CreateProject) {
  db_.at(kChange).createProject(L"$/proj/sub");
  expectHistory({{L"Dir", kChange, 1, L"$/proj/sub", L"Added"}});
}

TEST_P(HistoryActionTest, RenameFile) {
  db_.at(kChange).rename(L"$/proj/a.txt", L"b.txt");
  expectHistory({{L"File", kChange, 2, L"$/proj/a.txt", L"Deleted"}, {L"File", kChange, 1, L"$/proj/b.txt", L"Added"}});
}

// A file shared into a project that was archived away: its rename reaches
// only the place that was live.
TEST_P(HistoryActionTest, RenameOfAFileSharedIntoAnArchivedProject) {
  db_.createProject(L"$/proj/s");
  db_.share(L"$/proj/a.txt", L"$/proj/s");
  db_.archive(L"$/proj/s");
  db_.at(kChange).rename(L"$/proj/a.txt", L"b.txt");
  expectHistory({{L"File", kChange, 2, L"$/proj/a.txt", L"Deleted"}, {L"File", kChange, 1, L"$/proj/b.txt", L"Added"}});
}

// The project above the requested one archived in the second of a change
// inside it, after the change, restored later, and the requested project
// moved away twice: the change was made inside it all the same.
TEST_P(HistoryActionTest, ACheckInJustBeforeTheProjectAboveWasArchived) {
  db_.createProject(L"$/proj/sub").addFile(L"$/proj/sub/x.txt", "x").createProject(L"$/other").createProject(L"$/third");
  db_.at(kChange).checkIn(L"$/proj/sub/x.txt", "x2");
  db_.at(kChange).archive(L"$/proj");
  db_.at(kChange + 10).restore(L"$/proj");
  db_.at(kChange + 20).move(L"$/proj/sub", L"$/other");
  db_.at(kChange + 40).move(L"$/other/sub", L"$/third");
  HistoryRun run = historye2e::runHistory(dir_, db_, GetParam(),
                                          {"$/third/sub", historye2e::millisArg(kT0 + 50), historye2e::millisArg(kT0 + 130)});
  EXPECT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_TRUE(testsupport::utf16FileEquals(
      run.xmlPath, historyDocument(kFrom, L"09.09.2001 1:48:50", {{L"File", kChange, 2, L"$/proj/sub/x.txt", L"Changed"}})));
}

// Made and archived in one second, restored later under a project since
// renamed: the project's creation is in its history, under the names of
// then, although it stood at neither end of that second.
TEST_P(HistoryActionTest, AProjectArchivedInTheSecondItWasMade) {
  db_.at(kChange).createProject(L"$/proj/new");
  db_.at(kChange).archive(L"$/proj/new");
  db_.at(kChange + 10).restore(L"$/proj/new");
  db_.at(kChange + 20).rename(L"$/proj", L"proj2");
  expectHistory({{L"Dir", kChange, 1, L"$/proj/new", L"Added"}}, "$/proj2/new");
}

TEST_P(HistoryActionTest, RenameProject) {
  db_.createProject(L"$/proj/sub");
  db_.at(kChange).rename(L"$/proj/sub", L"sub2");
  expectHistory({{L"Dir", kChange, 2, L"$/proj/sub", L"Deleted"}, {L"Dir", kChange, 1, L"$/proj/sub2", L"Added"}});
}

// A project moved out of the requested one is a removal there, nothing else.
TEST_P(HistoryActionTest, MoveProjectOut) {
  db_.createProject(L"$/proj/mv");
  db_.createProject(L"$/other");
  db_.at(kChange).move(L"$/proj/mv", L"$/other");
  expectHistory({{L"Dir", kChange, 4, L"$/proj/mv", L"Deleted"}});
}

TEST_P(HistoryActionTest, MoveProjectIn) {
  db_.createProject(L"$/other");
  db_.createProject(L"$/other/mv");
  db_.at(kChange).move(L"$/other/mv", L"$/proj");
  expectHistory({{L"Dir", kChange, 1, L"$/proj/mv", L"Added"}});
  EXPECT_EQ(log_, L"");
}

TEST_P(HistoryActionTest, Share) {
  db_.createProject(L"$/lib");
  db_.addFile(L"$/lib/s.txt", "s");
  db_.at(kChange).share(L"$/lib/s.txt", L"$/proj");
  expectHistory({{L"File", kChange, 1, L"$/proj/s.txt", L"Added"}});
}

// The project's "Branched" entry and the new file's first version are one
// change; the path now holds a file of its own.
TEST_P(HistoryActionTest, Branch) {
  db_.createProject(L"$/lib");
  db_.addFile(L"$/lib/s.txt", "s");
  db_.share(L"$/lib/s.txt", L"$/proj");
  db_.at(kChange).branch(L"$/proj/s.txt");
  expectHistory({{L"File", kChange, 2, L"$/proj/s.txt", L"Added"}});
}

// What a place shows changes with a pin, an unpin and a rollback.
TEST_P(HistoryActionTest, PinUnpinAndRollback) {
  db_.checkIn(L"$/proj/a.txt", "a2");
  db_.at(kChange).pin(L"$/proj/a.txt", 1);
  db_.at(kChange + 1).unpin(L"$/proj/a.txt");
  db_.at(kChange + 2).rollback(L"$/proj/a.txt", 1);
  expectHistory({{L"File", kChange + 2, 3, L"$/proj/a.txt", L"Changed"},
                 {L"File", kChange + 1, 2, L"$/proj/a.txt", L"Changed"},
                 {L"File", kChange, 1, L"$/proj/a.txt", L"Changed"}});
}

TEST_P(HistoryActionTest, Delete) {
  db_.at(kChange).remove(L"$/proj/a.txt");
  expectHistory({{L"File", kChange, 2, L"$/proj/a.txt", L"Deleted"}});
}

// The version the file came back with, not its first.
TEST_P(HistoryActionTest, Recover) {
  db_.checkIn(L"$/proj/a.txt", "a2");
  db_.remove(L"$/proj/a.txt");
  db_.at(kChange).recover(L"$/proj/a.txt");
  expectHistory({{L"File", kChange, 2, L"$/proj/a.txt", L"Added"}});
}

// Only the name of a destroyed child is left; its "$" would tell a project.
TEST_P(HistoryActionTest, Destroy) {
  db_.at(kChange).destroy(L"$/proj/a.txt");
  expectHistory({{L"File", kChange, 3, L"$/proj/a.txt", L"Deleted"}});
}

// Directly under the root the path is "$/name".
TEST_P(HistoryActionTest, DestroyUnderTheRoot) {
  db_.addFile(L"$/x.txt", "x");
  db_.at(kChange).destroy(L"$/x.txt");
  expectHistory({{L"File", kChange, 4, L"$/x.txt", L"Deleted"}}, "$/");
}

TEST_P(HistoryActionTest, ArchiveAndRestore) {
  db_.at(kChange).archive(L"$/proj/a.txt");
  db_.at(kChange + 1).restore(L"$/proj/a.txt");
  expectHistory({{L"File", kChange + 1, 1, L"$/proj/a.txt", L"Added"},
                 {L"File", kChange, 3, L"$/proj/a.txt", L"Deleted"}});
}

TEST_P(HistoryActionTest, LabelListsNothing) {
  db_.at(kChange).label(L"$/proj", L"L1", L"release");
  expectHistory({});
  EXPECT_EQ(log_, L"");
}

TEST_P(HistoryActionTest, PurgeListsNothing) {
  db_.remove(L"$/proj/a.txt");
  db_.at(kChange).purge(L"$/proj/a.txt");
  expectHistory({});
  EXPECT_EQ(log_, L"");
}

}  // namespace

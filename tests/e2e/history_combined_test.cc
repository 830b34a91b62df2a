// The history command on databases where changes interact: renames after the
// window, deletions of folders whose files changed earlier, shares, an empty
// window, and texts XML cannot carry as they are.
#include <gtest/gtest.h>

#include "e2e/history/history_e2e.h"

namespace {

using historye2e::Generation;
using historye2e::historyDocument;
using historye2e::HistoryRun;
using historye2e::Item;

constexpr std::int64_t kT0 = 1000000000;  // 2001-09-09 01:46:40 UTC

class HistoryCombinedTest : public ::testing::TestWithParam<Generation> {
 protected:
  HistoryRun run(const std::vector<std::string>& args) {
    HistoryRun result = historye2e::runHistory(dir_, db_, GetParam(), args);
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    EXPECT_EQ(result.errors, L"");
    EXPECT_TRUE(historye2e::parsesAsXml(result.xmlPath));
    return result;
  }

  testsupport::TempDir dir_;
  ssapi::DatabaseBuilder db_;
};

INSTANTIATE_TEST_SUITE_P(BothGenerations, HistoryCombinedTest,
                         ::testing::Values(Generation::kVss60, Generation::kVss2005), historye2e::GenerationName());

// The rename after the window lists nothing, but the older check-in shows the
// name the file had then.
TEST_P(HistoryCombinedTest, AFileRenamedAfterTheWindowKeepsItsOldName) {
  db_.at(kT0).createProject(L"$/proj");
  db_.addFile(L"$/proj/a.txt", "a");
  db_.at(kT0 + 100).withComment(L"in window").checkIn(L"$/proj/a.txt", "a2");
  db_.at(kT0 + 300).rename(L"$/proj/a.txt", L"b.txt");
  HistoryRun result = run({"$/proj", historye2e::millisArg(kT0 + 50), historye2e::millisArg(kT0 + 200)});
  EXPECT_TRUE(testsupport::utf16FileEquals(
      result.xmlPath, historyDocument(L"09.09.2001 1:47:30", L"09.09.2001 1:50:00",
                                      {{L"File", kT0 + 100, 2, L"$/proj/a.txt", L"Changed", L"in window"}})));
}

// Later changes come first; the file inside the deleted folder is still in
// the change log. Both generations find the folder as the deletion left it
// (at its version 2, so the deletion is version 3).
TEST_P(HistoryCombinedTest, AFolderDeletedAfterAFileInsideItChanged) {
  db_.at(kT0).createProject(L"$/proj");
  db_.createProject(L"$/proj/sub");
  db_.addFile(L"$/proj/sub/f.txt", "f");
  db_.at(kT0 + 100).by(L"Ann").withComment(L"last fix").checkIn(L"$/proj/sub/f.txt", "f2");
  db_.at(kT0 + 200).by(L"Bob").withComment(L"cleanup").remove(L"$/proj/sub");
  HistoryRun result = run({"$/proj", historye2e::millisArg(kT0 + 50)});
  const Item deleted{L"Dir", kT0 + 200, 3, L"$/proj/sub", L"Deleted", L"cleanup", L"Bob"};
  EXPECT_TRUE(testsupport::utf16FileEquals(
      result.xmlPath, historyDocument(L"09.09.2001 1:47:30", historye2e::kFarFuture,
                                      {deleted,
                                       {L"File", kT0 + 100, 2, L"$/proj/sub/f.txt", L"Changed", L"last fix", L"Ann"}})));
}

// A file shared in and then changed through its other place: the share is
// an addition, the check-in a change of the copy inside the project.
TEST_P(HistoryCombinedTest, AFileSharedIntoTheProject) {
  db_.at(kT0).createProject(L"$/lib");
  db_.addFile(L"$/lib/s.txt", "s");
  db_.createProject(L"$/proj");
  db_.at(kT0 + 100).withComment(L"use lib").share(L"$/lib/s.txt", L"$/proj");
  db_.at(kT0 + 200).withComment(L"lib fix").checkIn(L"$/lib/s.txt", "s2");
  HistoryRun result = run({"$/proj", historye2e::millisArg(kT0 + 50)});
  EXPECT_TRUE(testsupport::utf16FileEquals(
      result.xmlPath, historyDocument(L"09.09.2001 1:47:30", historye2e::kFarFuture,
                                      {{L"File", kT0 + 200, 2, L"$/proj/s.txt", L"Changed", L"lib fix"},
                                       {L"File", kT0 + 100, 1, L"$/proj/s.txt", L"Added", L"use lib"}})));
}

TEST_P(HistoryCombinedTest, AWindowWithoutChanges) {
  db_.at(kT0).createProject(L"$/proj");
  db_.addFile(L"$/proj/a.txt", "a");
  db_.at(kT0 + 300).checkIn(L"$/proj/a.txt", "a2");
  HistoryRun result = run({"$/proj", historye2e::millisArg(kT0 + 100), historye2e::millisArg(kT0 + 200)});
  EXPECT_TRUE(testsupport::utf16FileEquals(
      result.xmlPath, historye2e::kDeclaration + L"<history from=\"09.09.2001 1:48:20\" to=\"09.09.2001 1:50:00\">"
                                                 L"\r\n\r\n</history>\r\n"));
}

// Without time arguments the window is the whole history, from 01.01.1970 to
// the far future.
TEST_P(HistoryCombinedTest, TheWholeHistoryWithoutTimeArguments) {
  db_.at(kT0).createProject(L"$/proj");
  db_.at(kT0 + 10).withComment(L"first").addFile(L"$/proj/a.txt", "a");
  HistoryRun result = run({"$/proj"});
  EXPECT_TRUE(testsupport::utf16FileEquals(
      result.xmlPath, historyDocument(L"01.01.1970", historye2e::kFarFuture,
                                      {{L"File", kT0 + 10, 1, L"$/proj/a.txt", L"Added", L"first"},
                                       {L"Dir", kT0, 1, L"$/proj", L"Added"}})));
}

// A vertical tab and "]]>" in a comment, "&" and "<" in a user name: the
// document stays readable for an XML parser.
TEST_P(HistoryCombinedTest, TextsXmlCannotCarryAsTheyAre) {
  db_.at(kT0).createProject(L"$/proj");
  db_.addFile(L"$/proj/a.txt", "a");
  db_.at(kT0 + 100).by(L"R&D<1>").withComment(L"tab\there, vt\vthere, end ]]> too").checkIn(L"$/proj/a.txt", "a2");
  HistoryRun result = run({"$/proj", historye2e::millisArg(kT0 + 50)});
  const Item item{L"File", kT0 + 100, 2, L"$/proj/a.txt", L"Changed", L"tab\there, vt\uFFFDthere, end ] ] > too",
                  L"R&D<1>"};
  EXPECT_TRUE(testsupport::utf16FileEquals(
      result.xmlPath, historyDocument(L"09.09.2001 1:47:30", historye2e::kFarFuture, {item})));
}

}  // namespace

// The history command when something cannot be read: the project, the change
// log as a whole (a failure the CI server must see), or single versions (which
// are skipped). Faults reach the binary through the fault file.
#include <gtest/gtest.h>

#include "e2e/history/history_e2e.h"

namespace {

using historye2e::Generation;
using historye2e::historyDocument;
using historye2e::HistoryRun;
using historye2e::Item;

constexpr std::int64_t kT0 = 1000000000;  // 2001-09-09 01:46:40 UTC
const std::wstring kFrom = L"09.09.2001 1:47:30";  // T0+50
const std::wstring kInjected = L"Error: 0x80004005 (-2147467259): Injected fault. Source:SourceSafe";

class HistoryFailureTest : public ::testing::TestWithParam<Generation> {
 protected:
  // $/proj/a.txt checked in at T0+100 (version 2) and T0+200 (version 3).
  HistoryFailureTest() {
    db_.at(kT0).createProject(L"$/proj");
    db_.addFile(L"$/proj/a.txt", "a");
    db_.at(kT0 + 100).withComment(L"two").checkIn(L"$/proj/a.txt", "a2");
    db_.at(kT0 + 200).withComment(L"three").checkIn(L"$/proj/a.txt", "a3");
  }

  HistoryRun run(const std::string& path, const std::string& faults = "", bool log = false) {
    historye2e::RunSettings settings;
    settings.faults = faults;
    settings.log = log;
    HistoryRun result = historye2e::runHistory(dir_, db_, GetParam(), {path, historye2e::millisArg(kT0 + 50)}, settings);
    EXPECT_TRUE(historye2e::parsesAsXml(result.xmlPath));
    return result;
  }

  testsupport::TempDir dir_;
  ssapi::DatabaseBuilder db_;
};

INSTANTIATE_TEST_SUITE_P(BothGenerations, HistoryFailureTest,
                         ::testing::Values(Generation::kVss60, Generation::kVss2005), historye2e::GenerationName());

TEST_P(HistoryFailureTest, AMissingProject) {
  HistoryRun result = historye2e::runHistory(dir_, db_, GetParam(), {"$/nope"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.errors, L"Unable to find root item\r\nFailed to get history\r\n");
  // Nothing was started, so the document is the declaration alone.
  EXPECT_TRUE(testsupport::utf16FileEquals(result.xmlPath, historye2e::kDeclaration));
}

// The document is still closed, but the run fails: an empty history would
// tell the CI server that nothing changed.
TEST_P(HistoryFailureTest, AChangeLogWithoutEnumerator) {
  HistoryRun result = run("$/proj", "_NewEnum $/proj\n");
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.errors, L"Failed to get history\r\n");
  EXPECT_TRUE(testsupport::utf16FileEquals(result.xmlPath, historyDocument(kFrom, historye2e::kFarFuture, {})));
  EXPECT_EQ(result.log, L"History2 Error - Failed to _NewEnum, " + kInjected +
                            L"\nHistory2 Error - do Iterate failed, Error: 0x80004005 (-2147467259)\n");
}

TEST_P(HistoryFailureTest, AChangeLogThatCannotBeListed) {
  HistoryRun result = run("$/proj", "get_Versions $/proj\n");
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.errors, L"Failed to get history\r\n");
  EXPECT_TRUE(testsupport::utf16FileEquals(result.xmlPath, historyDocument(kFrom, historye2e::kFarFuture, {})));
  EXPECT_EQ(result.log, L"History2 Error - FAILED get_Versions(VSSFLAG_RECURSYES, &versions), " + kInjected +
                            L"\nHistory2 Error - do Iterate failed, Error: 0x80004005 (-2147467259)\n");
}

// A version whose action cannot be read is skipped; the walk goes on and the
// run succeeds.
TEST_P(HistoryFailureTest, AVersionWithoutAction) {
  HistoryRun result = run("$/proj", "get_Action $/proj/a.txt version=2 times=forever\n", true);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.errors, L"");
  EXPECT_TRUE(testsupport::utf16FileEquals(
      result.xmlPath, historyDocument(kFrom, historye2e::kFarFuture,
                                      {{L"File", kT0 + 200, 3, L"$/proj/a.txt", L"Changed", L"three"}})));
  EXPECT_NE(result.log.find(L"History2 Error - Failed to get Action form VSSVersion. Unable to build patch, " +
                            kInjected + L"\nHistory2 Info - Error has been swollowed due to the option\n"),
            std::wstring::npos)
      << testsupport::printable(result.log);
}

TEST_P(HistoryFailureTest, AVersionWithoutItem) {
  HistoryRun result = run("$/proj", "get_VSSItem $/proj/a.txt version=3 times=forever\n");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(testsupport::utf16FileEquals(
      result.xmlPath, historyDocument(kFrom, historye2e::kFarFuture,
                                      {{L"File", kT0 + 100, 2, L"$/proj/a.txt", L"Changed", L"two"}})));
  EXPECT_NE(result.log.find(L"History2 Error - Failed to get VSSItem from VSSVersion. Action:Checked in $/proj, "
                            L"Time:9/9/2001 1:50:00 AM. Unable to build patch., " +
                            kInjected + L"\n"),
            std::wstring::npos)
      << testsupport::printable(result.log);
}

}  // namespace

#include "app/run_outcome.h"

#include <cerrno>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "log/logger.h"
#include "platform/hresult.h"
#include "platform/output_file.h"
#include "platform/text_encoding.h"
#include "support/log_lines.h"
#include "support/temp_dir.h"

namespace app {
namespace {

std::wstring wide(const std::filesystem::path& path) { return platform::utf8ToWide(path.string()); }

// The three files of a run in a scratch folder, one of them failing after
// `afterBytes` bytes when named.
class RunFiles {
 public:
  explicit RunFiles(const std::string& failing = "", std::uint64_t afterBytes = 0) {
    if (!failing.empty()) platform::injectWriteFailure((dir_ / failing).string(), afterBytes, ENOSPC);
    channels_.openXml(path("out.xml"));
    channels_.openError(path("err.txt"));
    channels_.openLog(path("log.txt"));
    channels_.writeXml(L"<history from=\"0\" to=\"1\">\r\n");
    logging::writeLine(logging::kError, L"Test", L"started");
  }
  ~RunFiles() {
    channels_.closeAll();
    platform::clearInjectedWriteFailures();
  }
  output::OutputChannels& channels() { return channels_; }
  std::wstring path(const char* name) const { return wide(dir_ / name); }
  std::wstring errorText() {
    channels_.closeAll();
    return testsupport::readUtf16File(dir_ / "err.txt");
  }
  std::wstring logText() {
    channels_.closeAll();
    return testsupport::logWithoutStamps(dir_ / "log.txt");
  }

 private:
  testsupport::TempDir dir_;
  output::OutputChannels channels_;
};

TEST(RunOutcomeTest, FilesWrittenWholeLeaveTheCodeAsItIs) {
  RunFiles run;
  for (int code : {0, -1, static_cast<int>(E_FAIL)}) EXPECT_EQ(settleOutput(run.channels(), code), code);
  EXPECT_EQ(closeOutput(run.channels(), 0), 0);
  EXPECT_EQ(run.errorText(), L"");
}

TEST(RunOutcomeTest, AFileNotWrittenWholeFailsTheRunAndIsReportedWhereverPossible) {
  struct Row {
    const char* file;
    int code;
    int expected;
    bool inErrorFile;
    bool inLog;
  };
  const Row rows[] = {
      {"out.xml", 0, -1, true, true},
      {"out.xml", static_cast<int>(E_FAIL), static_cast<int>(E_FAIL), true, true},
      {"err.txt", 0, -1, false, true},
      {"log.txt", 0, -1, true, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file);
    RunFiles run(row.file, 10);
    run.channels().writeErrorLine(L"Failed to get history");
    testing::internal::CaptureStderr();
    EXPECT_EQ(settleOutput(run.channels(), row.code), row.expected);
    const std::wstring message = L"Cannot write \"" + run.path(row.file) + L"\": No space left on device";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "quillgate: " + platform::wideToUtf8(message) + "\n");
    EXPECT_EQ(run.errorText().find(message) != std::wstring::npos, row.inErrorFile);
    // The log that failed is cut off in the middle of a line: not read.
    if (row.inLog) {
      EXPECT_NE(run.logText().find(L"[T] ssEx Error - " + message + L"\r\n"), std::wstring::npos);
    }
  }
}

TEST(RunOutcomeTest, WhatARunThrowsFailsItWithAReport) {
  struct Row {
    const char* name;
    std::function<int()> body;
    const wchar_t* message;
  };
  const Row rows[] = {
      {"out of memory", []() -> int { throw std::bad_alloc(); }, L"Out of memory: the command could not be completed"},
      {"anything else", []() -> int { throw std::runtime_error("boom"); }, L"The command failed unexpectedly: boom"},
      {"not even an exception", []() -> int { throw 42; }, L"The command failed unexpectedly"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RunFiles run;
    testing::internal::CaptureStderr();
    EXPECT_EQ(runGuarded(run.channels(), row.body), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "quillgate: " + platform::wideToUtf8(row.message) + "\n");
    EXPECT_EQ(run.errorText(), std::wstring(row.message) + L"\r\n");
    EXPECT_EQ(run.logText(), L"[T] Test Error - started\r\n[T] ssEx Error - " + std::wstring(row.message) + L"\r\n");
  }
  RunFiles run;
  EXPECT_EQ(runGuarded(run.channels(), [] { return 7; }), 7);
}

}  // namespace
}  // namespace app

#include "util/usage.h"

#include <gtest/gtest.h>

#include "log_capture.h"

namespace util {
namespace {

TEST(UsageTest, PrintsTheUsageAndLogsAtInfo) {
  LogCapture capture;
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(printUsage(), -1);
  const std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(capture.text(), L"ssEx Info - Command line parameters error.\r\n");
  EXPECT_EQ(out.rfind("Usage:\r\nquillgate.exe [/log|/logf <log file>] <output xml file> ", 0), 0u);
  EXPECT_NE(out.find("       <path> - VSS path of item, like, starting from $\\ \r\n"), std::string::npos);
  EXPECT_TRUE(out.ends_with("  connections - checks connection to some VSS path\r\n       \r\n       \r\n"));
  // 36 lines, each ending in CR LF.
  size_t lines = 0;
  for (size_t pos = 0; (pos = out.find("\r\n", pos)) != std::string::npos; pos += 2) ++lines;
  EXPECT_EQ(lines, 36u);
}

}  // namespace
}  // namespace util

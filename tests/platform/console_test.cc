#include "platform/console.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(ConsoleTest, PrintsUtf8) {
  ::testing::internal::CaptureStdout();
  printConsole(L"Logger output file: gr\u00fc\u00df.xml.logs.txt\r\n");
  printConsole(L"\U0001F600");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "Logger output file: gr\xc3\xbc\xc3\x9f.xml.logs.txt\r\n\xf0\x9f\x98\x80");
}

}  // namespace
}  // namespace platform

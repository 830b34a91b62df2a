#include "util/com_error.h"

#include <gtest/gtest.h>

#include "platform/error_info.h"

namespace {

TEST(ComErrorTest, CodeAlone) {
  platform::clearErrorInfo();
  EXPECT_EQ(formatComError(E_FAIL), L"Error: 0x80004005 (-2147467259)");
  EXPECT_EQ(formatComError(S_FALSE), L"Error: 0x1 (1)");
  EXPECT_EQ(formatComError(0), L"Error: 0x0 (0)");
}

TEST(ComErrorTest, EnumeratorCodeGetsItsText) {
  platform::clearErrorInfo();
  EXPECT_EQ(formatComError(makeHresult(0x8004D75Cu)),
            L"Error: 0x8004d75c (-2147166372)There is another VSS item enumerator opened");
}

TEST(ComErrorTest, ErrorInformationIsConsumedByTheFirstCall) {
  platform::setErrorInfo(L"File or project not found", L"SourceSafe");
  EXPECT_EQ(formatComError(makeHresult(0x8004D68Fu)),
            L"Error: 0x8004d68f (-2147166577): File or project not found. Source:SourceSafe");
  EXPECT_EQ(formatComError(makeHresult(0x8004D68Fu)), L"Error: 0x8004d68f (-2147166577)");
}

TEST(ComErrorTest, EnumeratorTextComesAfterTheErrorInformation) {
  platform::setErrorInfo(L"busy", L"");
  EXPECT_EQ(formatComError(makeHresult(0x8004D75Cu)),
            L"Error: 0x8004d75c (-2147166372): busy. Source:There is another VSS item enumerator opened");
}

TEST(ComErrorTest, WithStatus) {
  platform::clearErrorInfo();
  EXPECT_EQ(withStatus(L"Failed to get item", E_FAIL), L"Failed to get item, Error: 0x80004005 (-2147467259)");
}

}  // namespace

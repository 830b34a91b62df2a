#include "app/self_tests.h"

#include <gtest/gtest.h>

#include "channels_fixture.h"
#include "support/scoped_time_zone.h"
#include "support/utf16_compare.h"

namespace app {
namespace {

using SelfTestsTest = ChannelsTest;

TEST_F(SelfTestsTest, RenameManagerPassesAndWritesNothing) {
  EXPECT_EQ(testRenameManager(channels_), 0);
  EXPECT_EQ(errorText(), L"");
  EXPECT_EQ(xmlBody(), L"");
}

TEST_F(SelfTestsTest, TheCasesAreTheDocumentedOnes) {
  ASSERT_EQ(firstGroupCases().size(), 3u);
  ASSERT_EQ(labeledCases().size(), 2u);
  ASSERT_EQ(pathSetCases().size(), 7u);
  EXPECT_EQ(labeledCases()[0].label, L"test_02");
  EXPECT_EQ(labeledCases()[1].label, L"test_03");
  EXPECT_EQ(pathSetEntry(), L"$/A/B/C");
}

TEST_F(SelfTestsTest, FirstGroupFailureWritesItsTextThenTheResult) {
  // A map without the second pair makes the second case fail.
  const std::vector<RenamePair> pairs = {firstGroupPairs()[0]};
  EXPECT_FALSE(runFirstGroup(pairs, firstGroupCases(), channels_));
  EXPECT_TRUE(testsupport::wideTextEquals(errorText(), L"$/C/bbbb != T|$/cC/cccc|\n\r\n$/C/cccc\n\n\r\n"));
}

TEST_F(SelfTestsTest, LabeledFailureIsOneLine) {
  LabeledCase broken = labeledCases()[0];
  broken.expected = L"Z/wrong";
  EXPECT_FALSE(runLabeledCase(broken, channels_));
  EXPECT_TRUE(runLabeledCase(labeledCases()[1], channels_));
  EXPECT_TRUE(testsupport::wideTextEquals(errorText(), L"test_02: Z/Xx/Yy/f != Z/wrong\r\n\r\n"));
}

TEST_F(SelfTestsTest, PathSetFailureSaysShouldBeTrueEvenForNegativeCases) {
  // With the entry $/A/B the "Not contains $/A/B/Cc..." cases are found.
  EXPECT_FALSE(runPathSetGroup(L"$/A/B", pathSetCases(), channels_));
  EXPECT_TRUE(testsupport::wideTextEquals(errorText(),
                                          L"Not contains $/A/B/Cc: should be true \r\n\r\n"
                                          L"Not contains $/A/B/Cc/: should be true \r\n\r\n"
                                          L"Not contains $/A/B/Cc/ddd: should be true \r\n\r\n"));
}

TEST_F(SelfTestsTest, PathTokenizerWritesEveryComponent) {
  testPathTokenizer(L"$/A/B/C", channels_);
  testPathTokenizer(L"x\\\\y/", channels_);
  testPathTokenizer(L"", channels_);
  EXPECT_TRUE(testsupport::wideTextEquals(xmlBody(), L"$/\r\nA\r\nB\r\nC\r\nx\r\ny\r\n"));
}

TEST_F(SelfTestsTest, JavaDateInUtc) {
  QUILLGATE_IN_TIME_ZONE(zone, "UTC");
  testJavaDate(L"0", channels_);
  testJavaDate(L" 1796547903000 ", channels_);
  // The joined date of 09:05:03 truncates to one millisecond short; nothing corrects that.
  EXPECT_TRUE(testsupport::wideTextEquals(xmlBody(), L"0\r\n0\r\n 1796547903000 \r\n1796547902999\r\n"));
}

TEST_F(SelfTestsTest, JavaDateThreeHoursEast) {
  QUILLGATE_IN_TIME_ZONE(zone, "Etc/GMT-3");
  testJavaDate(L"0", channels_);
  testJavaDate(L"abc", channels_);
  EXPECT_TRUE(testsupport::wideTextEquals(xmlBody(), L"0\r\n-10800000\r\nabc\r\n-10800000\r\n"));
}

TEST_F(SelfTestsTest, JavaDateInBerlinOnTheDayOfTheSpringChange) {
  QUILLGATE_IN_TIME_ZONE(zone, "Europe/Berlin");
  // 03:00 UTC read as 03:00 local, which is daylight time already.
  testJavaDate(L"1711854000000", channels_);
  // 01:30 UTC read as 01:30 local, still standard time.
  testJavaDate(L"1711848600000", channels_);
  EXPECT_TRUE(testsupport::wideTextEquals(xmlBody(), L"1711854000000\r\n1711846799999\r\n"
                                                     L"1711848600000\r\n1711845000000\r\n"));
}

}  // namespace
}  // namespace app

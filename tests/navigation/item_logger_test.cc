#include "navigation/item_logger.h"

#include <gtest/gtest.h>

#include "navigation_test_support.h"

namespace {

using navigation::ItemLogger;
using navigation::ItemPtr;
using navtest::Capture;
using ::testing::ElementsAre;

template <class A>
class ItemLoggerTest : public ::testing::Test {
 protected:
  ItemLoggerTest() {
    builder_.createProject(L"$/p").addFile(L"$/p/a.txt", "1").checkIn(L"$/p/a.txt", "2");
    database_ = navtest::openDatabase<A>(builder_);
    file_ = navtest::itemAt<A>(database_, L"$/p/a.txt");
  }

  ssapi::DatabaseBuilder builder_;
  ComPtr<typename A::Database> database_;
  ItemPtr<A> file_;
  ItemLogger<A> log_{L"Probe"};
};
TYPED_TEST_SUITE(ItemLoggerTest, navtest::Generations, navtest::GenerationName);

TYPED_TEST(ItemLoggerTest, DescribesTheItemOnALineOfItsOwn) {
  Capture capture;
  this->log_.error(this->file_, L"Something failed", E_FAIL);
  this->log_.error(this->file_, L"No status");
  EXPECT_THAT(capture.lines(), ElementsAre(L"Probe Error - $/p/a.txt[2]",
                                           L"Probe Error - Something failed, Error: 0x80004005 (-2147467259)",
                                           L"Probe Error - $/p/a.txt[2]", L"Probe Error - No status"));
}

TYPED_TEST(ItemLoggerTest, FallsBackToTheBareSpecOrToNoItemLine) {
  Capture capture;
  this->builder_.faults().fail(L"get_VersionNumber", L"$/p/a.txt");
  this->log_.error(this->file_, L"one");
  this->builder_.faults().fail(L"get_Spec", L"$/p/a.txt");
  this->log_.error(this->file_, L"two");
  this->log_.error(ItemPtr<TypeParam>(), L"three");
  EXPECT_THAT(capture.lines(),
              ElementsAre(L"Probe Error - $/p/a.txt", L"Probe Error - one", L"Probe Error - two", L"Probe Error - three"));
}

TYPED_TEST(ItemLoggerTest, StatusTextKeepsTheErrorInformationOfTheReportedFailure) {
  Capture capture;
  // Describing the item fails too and records its own error information;
  // the line must still show the one that belongs to the reported status.
  this->builder_.faults().fail(L"get_VersionNumber", L"$/p/a.txt").withDescription(L"describing");
  platform::setErrorInfo(L"the real failure", L"Probe");
  this->log_.error(this->file_, L"Failed", E_FAIL);
  EXPECT_THAT(capture.lines(),
              ElementsAre(L"Probe Error - $/p/a.txt",
                          L"Probe Error - Failed, Error: 0x80004005 (-2147467259): the real failure. Source:Probe"));
  EXPECT_FALSE(platform::takeErrorInfo().has_value());
}

TYPED_TEST(ItemLoggerTest, LevelsFollowTheThreshold) {
  struct Row {
    const char* name;
    int threshold;
    std::vector<std::wstring> expected;
  };
  const Row rows[] = {
      {"error only", logging::kError, {L"Probe Error - $/p/a.txt[2]", L"Probe Error - e"}},
      // Warn lines go with Info: at threshold Warn they are not written.
      {"warn", logging::kWarn, {L"Probe Error - $/p/a.txt[2]", L"Probe Error - e"}},
      {"info",
       logging::kInfo,
       {L"Probe Info - $/p/a.txt[2]", L"Probe Info - i", L"Probe Warn - $/p/a.txt[2]", L"Probe Warn - w",
        L"Probe Error - $/p/a.txt[2]", L"Probe Error - e"}},
      {"debug",
       logging::kDebug,
       {L"Probe Debug - $/p/a.txt[2]", L"Probe Debug - d", L"Probe Info - $/p/a.txt[2]", L"Probe Info - i",
        L"Probe Warn - $/p/a.txt[2]", L"Probe Warn - w", L"Probe Error - $/p/a.txt[2]", L"Probe Error - e"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Capture capture(row.threshold);
    this->log_.debug(this->file_, L"d");
    this->log_.info(this->file_, L"i");
    this->log_.warn(this->file_, L"w");
    this->log_.error(this->file_, L"e");
    EXPECT_EQ(capture.lines(), row.expected);
  }
}

TYPED_TEST(ItemLoggerTest, SuppressedLinesDoNotReadTheItem) {
  Capture capture(logging::kError);
  // A read of the spec would consume this one-shot fault.
  this->builder_.faults().fail(L"get_Spec", L"$/p/a.txt");
  this->log_.debug(this->file_, L"d");
  this->log_.warn(this->file_, L"w");
  std::wstring spec;
  EXPECT_TRUE(FAILED(this->file_->get_Spec(&spec)));
}

}  // namespace

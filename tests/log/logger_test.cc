#include "log/logger.h"

#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/text_encoding.h"

namespace logging {
namespace {

// Records every write separately, and where flushes happened.
class RecordingSink : public LogSink {
 public:
  void write(const std::wstring& text) override { pieces.push_back(text); }
  void flush() override { pieces.push_back(L"<flush>"); }
  std::wstring joined() const {
    std::wstring all;
    for (const auto& p : pieces)
      if (p != L"<flush>") all += p;
    return all;
  }
  std::vector<std::wstring> pieces;
};

class LoggerTest : public ::testing::Test {
 protected:
  void SetUp() override { setDestination(&sink_); }
  void TearDown() override {
    setDestination(nullptr);
    setThreshold(kError);
  }
  RecordingSink sink_;
};

TEST_F(LoggerTest, LineIsWrittenInPiecesAndFlushed) {
  setThreshold(kDebug);
  Logger(L"ssEx").info(L"Exited with code: 0");
  ASSERT_EQ(sink_.pieces.size(), 8u);
  EXPECT_TRUE(std::regex_match(platform::wideToUtf8(sink_.pieces[0]),
                               std::regex(R"(\[\d\d\.\d\d\.\d{4} \d{1,2}:\d\d:\d\d\] )")))
      << platform::wideToUtf8(sink_.pieces[0]);
  EXPECT_EQ(sink_.pieces[1], L"ssEx");
  EXPECT_EQ(sink_.pieces[2], L" ");
  EXPECT_EQ(sink_.pieces[3], L"Info");
  EXPECT_EQ(sink_.pieces[4], L" - ");
  EXPECT_EQ(sink_.pieces[5], L"Exited with code: 0");
  EXPECT_EQ(sink_.pieces[6], L"\r\n");
  EXPECT_EQ(sink_.pieces[7], L"<flush>");
}

TEST_F(LoggerTest, HourHasNoLeadingZero) {
  setThreshold(kDebug);
  Logger(L"x").debug(L"m");
  const std::string stamp = platform::wideToUtf8(sink_.pieces[0]);
  EXPECT_FALSE(std::regex_search(stamp, std::regex(R"( 0\d:)"))) << stamp;
}

TEST_F(LoggerTest, LevelWords) {
  setThreshold(kDebug);
  Logger log(L"PathMap");
  log.debug(L"a");
  log.info(L"b");
  log.warn(L"c");
  log.error(L"d");
  const std::string all = platform::wideToUtf8(sink_.joined());
  const std::regex lines(R"((\[[^\]]+\] PathMap (Debug - a|Info - b|Warn - c|Error - d)\r\n){4})");
  EXPECT_TRUE(std::regex_match(all, lines)) << all;
  EXPECT_NE(all.find("Debug - a\r\n"), std::string::npos);
  EXPECT_NE(all.find("Info - b\r\n"), std::string::npos);
  EXPECT_NE(all.find("Warn - c\r\n"), std::string::npos);
  EXPECT_NE(all.find("Error - d\r\n"), std::string::npos);
}

TEST_F(LoggerTest, ThresholdFourKeepsOnlyErrors) {
  setThreshold(kError);
  Logger log(L"ssEx");
  log.debug(L"a");
  log.info(L"b");
  log.warn(L"c");
  EXPECT_TRUE(sink_.pieces.empty());
  log.error(L"d");
  EXPECT_EQ(sink_.pieces[5], L"d");
  EXPECT_FALSE(isDebugEnabled());
  EXPECT_FALSE(isInfoEnabled());
  EXPECT_TRUE(isEnabled(kError));
}

TEST_F(LoggerTest, ThresholdOneKeepsEverything) {
  setThreshold(kDebug);
  EXPECT_TRUE(isDebugEnabled());
  EXPECT_TRUE(isInfoEnabled());
  EXPECT_TRUE(isEnabled(kWarn));
}

TEST_F(LoggerTest, NothingWithoutDestination) {
  setThreshold(kDebug);
  setDestination(nullptr);
  Logger(L"ssEx").error(L"lost");
  EXPECT_TRUE(sink_.pieces.empty());
}

TEST_F(LoggerTest, MessageIsWrittenUnchanged) {
  setThreshold(kDebug);
  Logger log(L"ssEx");
  log.error(L"first\r\nsecond");
  log.error(L"");
  EXPECT_EQ(sink_.pieces[5], L"first\r\nsecond");
  ASSERT_EQ(sink_.pieces.size(), 16u);
  EXPECT_EQ(sink_.pieces[13], L"");
  EXPECT_EQ(sink_.pieces[14], L"\r\n");
}

}  // namespace
}  // namespace logging

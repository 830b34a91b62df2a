#include "util/parse_number.h"

#include <gtest/gtest.h>

namespace util {
namespace {

TEST(ParseNumberTest, LongHas32Bits) {
  struct Row {
    const wchar_t* text;
    std::int32_t expected;
  };
  const Row rows[] = {
      {L"12", 12},
      {L"  -7 versions", -7},
      {L"2147483647", 2147483647},
      {L"2147483648", 2147483647},
      {L"-2147483648", -2147483647 - 1},
      {L"-2147483649", -2147483647 - 1},
      {L"99999999999999999999999", 2147483647},
      {L"v3", 0},
      {L"", 0},
  };
  for (const auto& row : rows) EXPECT_EQ(parseLong(row.text), row.expected) << "text: " << row.text;
}

TEST(ParseNumberTest, Int64) {
  EXPECT_EQ(parseInt64(L"000123"), 123);
  EXPECT_EQ(parseInt64(L"-0"), 0);
  EXPECT_EQ(parseInt64(L"\u00a012"), 0);  // only the runtime's own blanks are skipped
}

}  // namespace
}  // namespace util

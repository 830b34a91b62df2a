#include "util/text_compare.h"

#include <gtest/gtest.h>

namespace util {
namespace {

TEST(TextCompareTest, IgnoresCaseOfAsciiLettersOnly) {
  EXPECT_TRUE(equalsIgnoreCase(L"[*://TESTMODE]", L"[*://TestMode]"));
  EXPECT_TRUE(equalsIgnoreCase(L"SS_Path", L"ss_path"));
  EXPECT_TRUE(equalsIgnoreCase(L"", L""));
  EXPECT_FALSE(equalsIgnoreCase(L"ss_path", L"ss_pat"));
  EXPECT_FALSE(equalsIgnoreCase(L"ss_path", L"ss-path"));
  // Other characters compare by code: no lower-casing of umlauts.
  EXPECT_FALSE(equalsIgnoreCase(L"\u00c4", L"\u00e4"));
  // '[' and '{' are 0x20 apart like letters, but are no letters.
  EXPECT_FALSE(equalsIgnoreCase(L"[", L"{"));
}

}  // namespace
}  // namespace util

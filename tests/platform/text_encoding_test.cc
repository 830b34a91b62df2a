#include "platform/text_encoding.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(TextEncodingTest, Utf8ToWide) {
  struct Row {
    const char* name;
    std::string bytes;
    std::wstring expected;
  };
  const Row rows[] = {
      {"ascii", "$/proj", L"$/proj"},
      {"two bytes", "gr\xc3\xbc\xc3\x9f", L"gr\u00fc\u00df"},
      {"three bytes", "\xe2\x82\xac", L"\u20ac"},
      {"four bytes", "\xf0\x9f\x98\x80", L"\U0001F600"},
      {"stray byte", "a\xff" "b", L"a\uFFFDb"},
      {"truncated sequence", "a\xe2\x82", L"a\uFFFD\uFFFD"},
      {"overlong slash", "\xc0\xaf", L"\uFFFD\uFFFD"},
      {"encoded surrogate", "\xed\xa0\x80", L"\uFFFD\uFFFD\uFFFD"},
      {"empty", "", L""},
  };
  for (const auto& row : rows) EXPECT_EQ(utf8ToWide(row.bytes), row.expected) << row.name;
}

TEST(TextEncodingTest, WideToUtf8) {
  EXPECT_EQ(wideToUtf8(L"gr\u00fc\u00df \U0001F600"), "gr\xc3\xbc\xc3\x9f \xf0\x9f\x98\x80");
  EXPECT_EQ(wideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xef\xbf\xbd");
}

TEST(TextEncodingTest, Utf16leHasNoByteOrderMarkAndUsesSurrogatePairs) {
  EXPECT_EQ(wideToUtf16le(L"<?"), std::string("<\0?\0", 4));
  EXPECT_EQ(wideToUtf16le(L"\u20ac"), std::string("\xac\x20", 2));
  EXPECT_EQ(wideToUtf16le(L"\U0001F600"), std::string("\x3d\xd8\x00\xde", 4));
  EXPECT_EQ(utf16leToWide(std::string("\x3d\xd8\x00\xde", 4)), L"\U0001F600");
  EXPECT_EQ(utf16leToWide(wideToUtf16le(L"a\r\nb\u00fc")), L"a\r\nb\u00fc");
}

}  // namespace
}  // namespace platform

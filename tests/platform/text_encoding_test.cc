#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// The UTF-8 and UTF-16LE forms of one character, written out by hand.
std::string utf8Of(char32_t c) {
  if (c < 0x80) return std::string(1, static_cast<char>(c));
  if (c < 0x800) return {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
  if (c < 0x10000) {
    return {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
            static_cast<char>(0x80 | (c & 0x3F))};
  }
  return {static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
          static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
}

std::string utf16leOf(char32_t c) {
  auto unit = [](unsigned u) { return std::string{static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)}; };
  if (c < 0x10000) return unit(c);
  return unit(0xD800 + ((c - 0x10000) >> 10)) + unit(0xDC00 + ((c - 0x10000) & 0x3FF));
}

// Characters from every range, alone and between others: UTF-8 to wide text
// to UTF-16LE and back again agree with the forms written out by hand,
// whether wide text holds UTF-32 (Linux) or UTF-16 (Windows).
TEST(TextEncodingTest, EveryKindOfCharacterSurvivesEveryConversion) {
  std::vector<char32_t> characters = {0x1, 0x41, 0x7F, 0x80, 0xFC, 0x7FF, 0x800, 0x4E2D, 0xD7FF, 0xE000, 0xFFFD, 0xFFFF};
  for (char32_t c = 0x10000; c <= 0x10FFFF; c += 0x3FF1) characters.push_back(c);
  characters.push_back(0x10FFFF);
  for (char32_t c : characters) {
    const std::string utf8 = "<" + utf8Of(c) + ">";
    const std::string utf16 = utf16leOf('<') + utf16leOf(c) + utf16leOf('>');
    const std::wstring wide = utf8ToWide(utf8);
    EXPECT_EQ(wideToUtf8(wide), utf8) << std::hex << static_cast<unsigned>(c);
    EXPECT_EQ(wideToUtf16le(wide), utf16) << std::hex << static_cast<unsigned>(c);
    EXPECT_EQ(utf16leToWide(utf16), wide) << std::hex << static_cast<unsigned>(c);
    EXPECT_EQ(wide.size(), (c >= 0x10000 && sizeof(wchar_t) == 2) ? 4u : 3u) << std::hex << static_cast<unsigned>(c);
  }
}

}  // namespace
}  // namespace platform

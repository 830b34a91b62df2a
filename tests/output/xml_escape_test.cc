#include "output/xml_escape.h"

#include <gtest/gtest.h>

#include "support/utf16_compare.h"

namespace output {
namespace {

TEST(XmlEscapeTest, Attribute) {
  const std::pair<const wchar_t*, const wchar_t*> rows[] = {
      {L"x&y<z>", L"x&amp;y&lt;z&gt;"},
      {L"\"", L"&quot;"},
      {L"&amp;", L"&amp;amp;"},
      {L"it's\ta\r\nb", L"it's\ta\r\nb"},
      {L"<\"&\">", L"&lt;&quot;&amp;&quot;&gt;"},
      {L"", L""},
  };
  for (const auto& [input, expected] : rows) {
    EXPECT_TRUE(testsupport::wideTextEquals(escapeAttribute(input), expected)) << testsupport::printable(input);
  }
}

TEST(XmlEscapeTest, CData) {
  const std::pair<const wchar_t*, const wchar_t*> rows[] = {
      {L"x]]>y", L"x] ] >y"},
      {L"]]]>", L"]] ] >"},
      {L"]]>]]>", L"] ] >] ] >"},
      {L"a&<b>\"", L"a&<b>\""},
      {L"]] >", L"]] >"},
  };
  for (const auto& [input, expected] : rows) {
    EXPECT_TRUE(testsupport::wideTextEquals(escapeCData(input), expected)) << testsupport::printable(input);
  }
}

TEST(XmlEscapeTest, CharactersXmlCannotCarryAreReplaced) {
  const std::wstring withControls = std::wstring(L"a") + wchar_t(0x01) + L"b" + wchar_t(0xFFFE) + wchar_t(0xD800);
  EXPECT_EQ(escapeAttribute(withControls), L"a\uFFFDb\uFFFD\uFFFD");
  EXPECT_EQ(escapeCData(withControls), L"a\uFFFDb\uFFFD\uFFFD");
  EXPECT_EQ(escapeCData(L"\U0001F600\t"), L"\U0001F600\t");
}

// Where wide text is UTF-16 (Windows) a character beyond U+FFFF is a pair
// of surrogates: the pair stays, either half alone does not.
TEST(XmlEscapeTest, SurrogatesStayOnlyInPairs) {
  const wchar_t high = static_cast<wchar_t>(0xD83D);
  const wchar_t low = static_cast<wchar_t>(0xDE00);
  struct Row {
    std::wstring input;
    std::wstring expected;
  };
  const Row rows[] = {
      {L"x\U0001F600y\U00010000\U0010FFFD", L"x\U0001F600y\U00010000\U0010FFFD"},
      {std::wstring{high, L'x'}, L"\uFFFDx"},
      {std::wstring{L'x', low}, L"x\uFFFD"},
      {std::wstring{low, high}, L"\uFFFD\uFFFD"},
      {std::wstring{high}, L"\uFFFD"},
      // Two halves in a row are a pair only where wide text is UTF-16.
      {std::wstring{high, high, low}, sizeof(wchar_t) == 2 ? L"\uFFFD\U0001F600" : L"\uFFFD\uFFFD\uFFFD"},
  };
  for (const Row& row : rows) {
    EXPECT_TRUE(testsupport::wideTextEquals(escapeAttribute(row.input), row.expected)) << testsupport::printable(row.input);
    EXPECT_TRUE(testsupport::wideTextEquals(escapeCData(row.input), row.expected)) << testsupport::printable(row.input);
  }
}

}  // namespace
}  // namespace output

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

}  // namespace
}  // namespace output

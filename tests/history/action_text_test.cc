#include "history/action_text.h"

#include <gtest/gtest.h>

#include "platform/text_encoding.h"

namespace history {
namespace {

std::string narrow(const std::wstring& text) { return platform::wideToUtf8(text); }

TEST(StripKeywordTest, MatchesExactlyAndShortensOnlyOnAMatch) {
  struct Row {
    const wchar_t* text;
    const wchar_t* keyword;
    bool matches;
    const wchar_t* after;
  } rows[] = {
      {L"Checked in $/proj", L"Checked", true, L"in $/proj"},
      {L"Checkedin", L"Checked", true, L"in"},           // no blank needed after the keyword
      {L"Added  a.txt \t", L"Added", true, L"a.txt"},    // trimmed at both ends
      {L"Added", L"Added", true, L""},
      {L"checked in $/proj", L"Checked", false, L"checked in $/proj"},  // letter case counts
      {L" Added a.txt", L"Added", false, L" Added a.txt"},              // nothing skipped in front
      {L"Add", L"Added", false, L"Add"},
      {L"", L"Added", false, L""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(narrow(std::wstring(row.text) + L" / " + row.keyword));
    std::wstring text = row.text;
    EXPECT_EQ(beginsWithKeyword(text, row.keyword), row.matches);
    EXPECT_EQ(text, row.text);
    EXPECT_EQ(stripKeyword(text, row.keyword), row.matches);
    EXPECT_EQ(text, row.after);
  }
}

TEST(TrimBlankTest, RemovesWhiteSpaceAtBothEndsOnly) {
  EXPECT_EQ(trimBlank(L" \t\r\n\v\fa b\t "), L"a b");
  EXPECT_EQ(trimBlank(L"   "), L"");
  EXPECT_EQ(trimBlank(L""), L"");
  EXPECT_EQ(trimBlank(L"x"), L"x");
}

TEST(DropTest, FrontLeadingAndTrailing) {
  EXPECT_EQ(dropFront(L"Renamed a to b", 8), L"a to b");
  EXPECT_EQ(dropFront(L"Renamed", 8), L"");
  EXPECT_EQ(dropFront(L"Renamed ", 8), L"");
  EXPECT_EQ(dropLeading(L"$$sub$", L'$'), L"sub$");
  EXPECT_EQ(dropLeading(L"$$", L'$'), L"");
  EXPECT_EQ(dropTrailing(L"$/a//", L'/'), L"$/a");
  EXPECT_EQ(dropTrailing(L"$/", L'/'), L"$");
}

TEST(SplitsAtToTest, EveryOccurrenceLeftToRight) {
  struct Row {
    const wchar_t* text;
    std::vector<std::pair<std::wstring, std::wstring>> splits;
  } rows[] = {
      {L"a.txt to b.txt", {{L"a.txt", L"b.txt"}}},
      {L"p to q to r", {{L"p", L"q to r"}, {L"p to q", L"r"}}},
      {L"$/x to y", {{L"$/x", L"y"}}},
      {L"  a   to  b  ", {{L"a", L"b"}}},  // names trimmed, blanks around " to " kept out
      {L"a to to b", {{L"a", L"to b"}}},    // the next search starts after the previous " to "
      {L"a to ", {{L"a", L""}}},
      {L"tomato", {}},
      {L"a\tto b", {}},  // only a blank counts around "to"
      {L"", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(narrow(row.text));
    std::vector<std::pair<std::wstring, std::wstring>> got;
    for (const NameSplit& split : splitsAtTo(row.text)) got.emplace_back(split.fromName, split.toName);
    EXPECT_EQ(got, row.splits);
  }
}

}  // namespace
}  // namespace history

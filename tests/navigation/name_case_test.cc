#include "navigation/name_case.h"

#include <gtest/gtest.h>

#include <clocale>

#include "platform/text_encoding.h"

namespace {

TEST(NameCaseTest, LowersAsciiAndOtherLetters) {
  struct Row {
    const wchar_t* input;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {L"Readme.TXT", L"readme.txt"},
      {L"$/Web/Index.HTML", L"$/web/index.html"},
      {L"already lower 123_-.", L"already lower 123_-."},
      {L"\u00C4RGER.txt", L"\u00E4rger.txt"},              // Latin-1 umlaut
      {L"\u041F\u0420\u0418\u0412\u0415\u0422", L"\u043F\u0440\u0438\u0432\u0435\u0442"},  // Cyrillic
      {L"\u03A3\u0391\u03A3", L"\u03C3\u03B1\u03C3"},      // Greek
      {L"\u00DF", L"\u00DF"},                              // no single-letter lower form to change
      {L"", L""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(platform::wideToUtf8(row.input));
    EXPECT_EQ(navigation::lowerCaseName(row.input), row.expected);
  }
}

TEST(NameCaseTest, AsciiLettersMatchWhateverTheLocale) {
  // Under a Turkish locale towlower('I') is a dotless i; ASCII names must
  // still match.
  const char* before = std::setlocale(LC_CTYPE, nullptr);
  std::string saved = before ? before : "C";
  if (std::setlocale(LC_CTYPE, "tr_TR.UTF-8")) {
    EXPECT_EQ(navigation::lowerCaseName(L"INDEX"), L"index");
    std::setlocale(LC_CTYPE, saved.c_str());
  }
  EXPECT_TRUE(navigation::sameNameIgnoringCase(L"INDEX.html", L"index.HTML"));
  EXPECT_FALSE(navigation::sameNameIgnoringCase(L"index.htm", L"index.html"));
  EXPECT_TRUE(navigation::sameNameIgnoringCase(L"\u00C4", L"\u00E4"));
}

}  // namespace

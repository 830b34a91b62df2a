#include "app/command_line_log.h"

#include <vector>

#include <gtest/gtest.h>

namespace app {
namespace {

std::wstring masked(std::vector<std::wstring> args) {
  args.insert(args.begin(), L"quillgate");
  return maskedCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLineLogTest, PasswordIsMasked) {
  struct Row {
    const char* name;
    std::vector<std::wstring> args;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {"prefixed password",
       {L"/log", L"o.xml", L"e.txt", L"ini", L"/login:bob", L"/pwd:secret", L"history", L"$/p"},
       LR"("quillgate" "/log" "o.xml" "e.txt" "ini" "/login:bob" "/pwd:*****" "history" "$/p" )"},
      {"password without prefix",
       {L"/log", L"o.xml", L"e.txt", L"ini", L"bob", L"secret", L"history", L"$/p"},
       LR"("quillgate" "/log" "o.xml" "e.txt" "ini" "bob" "*****" "history" "$/p" )"},
      {"after the 6.0 switch",
       {L"/log", L"o.xml", L"e.txt", L"/version-v6", L"ini", L"bob", L"secret", L"connection", L"$/"},
       LR"("quillgate" "/log" "o.xml" "e.txt" "/version-v6" "ini" "bob" "*****" "connection" "$/" )"},
      {"after the 2005 switch",
       {L"/log", L"o.xml", L"e.txt", L"/version-v2005", L"ini", L"bob", L"pw", L"connection", L"$/"},
       LR"("quillgate" "/log" "o.xml" "e.txt" "/version-v2005" "ini" "bob" "*****" "connection" "$/" )"},
      {"with a log file",
       {L"/logf", L"l.txt", L"o.xml", L"e.txt", L"ini", L"/login:", L"/pwd:", L"history", L"$/p"},
       LR"("quillgate" "/logf" "l.txt" "o.xml" "e.txt" "ini" "/login:" "/pwd:*****" "history" "$/p" )"},
      {"switch is case-sensitive, so it is the ini path",
       {L"/log", L"o.xml", L"e.txt", L"/VERSION-V6", L"ini", L"secret", L"history"},
       LR"("quillgate" "/log" "o.xml" "e.txt" "/VERSION-V6" "ini" "*****" "history" )"},
      {"prefixed password out of place",
       {L"/log", L"o.xml", L"e.txt", L"ini", L"/pwd:secret", L"history", L"$/p"},
       LR"("quillgate" "/log" "o.xml" "e.txt" "ini" "/pwd:*****" "*****" "$/p" )"},
      {"prefix later in the argument is no prefix",
       {L"/log", L"o.xml", L"e.txt", L"ini", L"bob", L"x/pwd:y", L"history"},
       LR"("quillgate" "/log" "o.xml" "e.txt" "ini" "bob" "*****" "history" )"},
      {"too few arguments to hold a password",
       {L"/log", L"o.xml", L"e.txt", L"ini", L"bob"},
       LR"("quillgate" "/log" "o.xml" "e.txt" "ini" "bob" )"},
      {"self-test keeps its place holders",
       {L"/log", L"o.xml", L"e.txt", L"[*://TestMode]", L"x", L"y", L"test_java_date", L"0"},
       LR"("quillgate" "/log" "o.xml" "e.txt" "[*://TestMode]" "x" "y" "test_java_date" "0" )"},
      {"diagnostic word",
       {L"/log", L"o.xml", L"e.txt", L"debug_time", L"1", L"2", L"3"},
       LR"("quillgate" "/log" "o.xml" "e.txt" "debug_time" "1" "2" "3" )"},
  };
  for (const auto& row : rows) EXPECT_EQ(masked(row.args), row.expected) << row.name;
}

}  // namespace
}  // namespace app

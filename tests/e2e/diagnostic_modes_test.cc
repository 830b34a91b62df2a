// The self-tests and the diagnostic words, run through the built binary.
#include <regex>

#include "frontend_fixture.h"
#include "platform/text_encoding.h"

namespace e2e {
namespace {

using testsupport::logWithoutStamps;
using testsupport::utf16FileEquals;

class DiagnosticModesTest : public FrontendTest {
 protected:
  std::wstring xmlBody() {
    const std::wstring all = testsupport::readUtf16File(file("out.xml"));
    EXPECT_EQ(all.substr(0, 22), kDeclaration);
    return all.size() < 22 ? L"" : all.substr(22);
  }
  std::wstring log() { return logWithoutStamps(file("out.xml.logs.txt")); }
};

TEST_F(DiagnosticModesTest, RenameManagerPassesWithEmptyErrorFile) {
  for (const char* marker : {"[*://TestMode]", "[*://TESTMODE]", "[*:\\\\TestMode]"}) {
    SCOPED_TRACE(marker);
    const auto result = run({"/log", "out.xml", "err.txt", marker, "x", "y", "test_remane_manager"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.stdoutText, "Loggers set to debug mode\r\nLogger output file: out.xml.logs.txt\r\n");
    EXPECT_EQ(testsupport::readFileBytes(file("err.txt")), "");
    EXPECT_TRUE(utf16FileEquals(file("out.xml"), kDeclaration));
    // Its result is returned at once: no exit line.
    const std::wstring text = log();
    EXPECT_EQ(text.find(L"Exited with code"), std::wstring::npos) << testsupport::printable(text);
    EXPECT_NE(text.find(L"[T] RenameMap Debug - Mapped: $/cC/bbbb -> $/C/bbbb\r\n"), std::wstring::npos);
  }
}

TEST_F(DiagnosticModesTest, TestNamesIgnoreCase) {
  const auto result = run({"out.xml", "err.txt", "[*://testmode]", "x", "y", "TEST_Path_Tokenizer", "$/A/B/C"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(testsupport::wideTextEquals(xmlBody(), L"$/\r\nA\r\nB\r\nC\r\n"));
}

TEST_F(DiagnosticModesTest, PathTokenizer) {
  const auto result = run({"/log", "out.xml", "err.txt", "[*://TestMode]", "x", "y", "test_path_tokenizer",
                           "$\\A\\\\B/"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(testsupport::wideTextEquals(xmlBody(), L"$/\r\nA\r\nB\r\n"));
  const std::wstring text = log();
  EXPECT_TRUE(text.ends_with(L"[T] ssEx Info - Exited with code: 0\r\n")) << testsupport::printable(text);
}

TEST_F(DiagnosticModesTest, JavaDateInSeveralZones) {
  struct Row {
    const char* zone;
    const char* millis;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {"UTC", "0", L"0\r\n0\r\n"},
      {"Etc/GMT-3", "0", L"0\r\n-10800000\r\n"},
      // 05:00 UTC as a joined date lies a hair short of the hour: truncated, not rounded.
      {"America/New_York", "0", L"0\r\n17999999\r\n"},
      {"Europe/Berlin", "0", L"0\r\n-3600000\r\n"},
      // 03:00 UTC on the day of the spring change read as local 03:00 CEST.
      {"Europe/Berlin", "1711854000000", L"1711854000000\r\n1711846799999\r\n"},
      // 02:30 UTC on the day of the autumn change: local 02:30 happens twice.
      {"Europe/Berlin", "1729996200000", L"1729996200000\r\n1729989000000\r\n"},
      {"Europe/Berlin", "", L"\r\n-3600000\r\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.zone) + " " + row.millis);
    const auto result = run({"out.xml", "err.txt", "[*://TestMode]", "x", "y", "test_java_date", row.millis},
                            row.zone);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(testsupport::wideTextEquals(xmlBody(), row.expected));
    EXPECT_EQ(testsupport::readFileBytes(file("err.txt")), "");
  }
}

TEST_F(DiagnosticModesTest, UnknownTestDoesNothing) {
  const auto result = run({"/log", "out.xml", "err.txt", "[*://TestMode]", "x", "y", "test_nothing", "1"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(utf16FileEquals(file("out.xml"), kDeclaration));
  EXPECT_TRUE(log().ends_with(L"[T] ssEx Info - Exited with code: 0\r\n"));
}

TEST_F(DiagnosticModesTest, SsDate) {
  struct Row {
    const char* zone;
    std::vector<std::string> args;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {"UTC", {"ss_date", "0"}, L"1/1/1970;12:00:00a"},
      {"UTC", {"SS_DATE"}, L"1/1/1970;12:00:00a"},
      {"UTC", {"ss_date", "1796587503000"}, L"12/6/2026;8:05:03p"},
      {"Europe/Berlin", {"ss_date", "0"}, L"1/1/1970;1:00:00a"},
      {"Europe/Berlin", {"ss_date", "1711846800000"}, L"3/31/2024;3:00:00a"},
      {"Europe/Berlin", {"ss_date", "4611686018427387904"}, L"Invalid DateTime"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.zone) + " " + row.args.back());
    std::vector<std::string> args = {"/log", "out.xml", "err.txt"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const auto result = run(args, row.zone);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(testsupport::wideTextEquals(xmlBody(), row.expected));
    EXPECT_EQ(log().find(L"Exited with code"), std::wstring::npos);
  }
}

TEST_F(DiagnosticModesTest, DebugTimeInUtc) {
  const auto result = run({"out.xml", "err.txt", "debug_time", "1000"});
  EXPECT_EQ(result.exitCode, 0);
  const std::wstring body = xmlBody();
  const std::wstring consolePart = L"\r\n\r\nJava time from console:\r\n";
  const size_t split = body.find(consolePart);
  ASSERT_NE(split, std::wstring::npos) << testsupport::printable(body);
  const std::string now = platform::wideToUtf8(body.substr(0, split));
  const std::string stamp = R"(\d\d\.\d\d\.\d{4} \d{1,2}:\d\d:\d\d)";
  const std::regex nowPattern("Current Time is: (" + stamp + ")\r\nDATE = \\d{5}\\.\\d{6}\r\nJavaTime = \\d+ \r\n"
                              "GetTimeZoneInformation = 0,\r\nBias = 0,\r\nDayBias = 0,\r\nStandardBias = 0\r\n"
                              "SystemTime = (" + stamp + ")\r\n->LocalTime = (" + stamp + "), CODE=TRUE\r\n"
                              "->SystemTime = (" + stamp + "), CODE=TRUE\r\n");
  std::smatch match;
  ASSERT_TRUE(std::regex_match(now, match, nowPattern)) << now;
  // In UTC every form of the current time is the same.
  EXPECT_EQ(match[1], match[2]);
  EXPECT_EQ(match[1], match[3]);
  EXPECT_EQ(match[1], match[4]);
  EXPECT_TRUE(testsupport::wideTextEquals(body.substr(split),
                                          consolePart +
                                              L"JavaTime = 1000 \r\n"
                                              L"GetTimeZoneInformation = 0,\r\nBias = 0,\r\nDayBias = 0,\r\n"
                                              L"StandardBias = 0\r\n"
                                              L"SystemTime = 01.01.1970 0:00:01\r\n"
                                              L"->LocalTime = 01.01.1970 0:00:01, CODE=TRUE\r\n"
                                              L"->SystemTime = 01.01.1970 0:00:01, CODE=TRUE\r\n"));
}

TEST_F(DiagnosticModesTest, DebugTimeWithoutArgumentDumpsJavatimeZeroInBerlin) {
  const auto result = run({"out.xml", "err.txt", "Debug_Time"}, "Europe/Berlin");
  EXPECT_EQ(result.exitCode, 0);
  const std::wstring body = xmlBody();
  const size_t split = body.find(L"\r\n\r\nJava time from console:\r\n");
  ASSERT_NE(split, std::wstring::npos);
  const std::string tail = platform::wideToUtf8(body.substr(split));
  EXPECT_TRUE(std::regex_match(tail, std::regex("\r\n\r\nJava time from console:\r\n"
                                                "JavaTime = 0 \r\n"
                                                "GetTimeZoneInformation = [12],\r\nBias = -60,\r\nDayBias = -60,\r\n"
                                                "StandardBias = 0\r\n"
                                                "SystemTime = 01.01.1970 0:00:00\r\n"
                                                "->LocalTime = 01.01.1970 1:00:00, CODE=TRUE\r\n"
                                                "->SystemTime = 31.12.1969 23:00:00, CODE=TRUE\r\n")))
      << tail;
}

TEST_F(DiagnosticModesTest, SsPathShowsWhereTheAutomationLibraryLives) {
  const auto result = run({"/log", "out.xml", "err.txt", "SS_Path", "ignored"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(testsupport::readFileBytes(file("err.txt")), "");
  const std::wstring path = xmlBody();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.find(L'\0'), std::wstring::npos);
  EXPECT_EQ(path.find(L'\n'), std::wstring::npos);
  EXPECT_TRUE(std::filesystem::is_regular_file(platform::wideToUtf8(path))) << platform::wideToUtf8(path);
  EXPECT_EQ(log().find(L"Exited with code"), std::wstring::npos);
}

}  // namespace
}  // namespace e2e

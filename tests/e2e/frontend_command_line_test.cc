// The command line of the entry: usage errors, log switches, the three
// output files, console texts, exit codes.
#include <regex>

#include "frontend_fixture.h"
#include "platform/text_encoding.h"

namespace e2e {
namespace {

using testsupport::expectedUsageText;
using testsupport::logWithoutStamps;
using testsupport::utf16FileEquals;

class FrontendCommandLineTest : public FrontendTest {};

TEST_F(FrontendCommandLineTest, UsageErrorsBeforeTheOutputFilesCreateNothing) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    std::string consoleBeforeUsage;
  };
  const Row rows[] = {
      {"no arguments", {}, ""},
      {"/logf alone", {"/logf"}, "Unable to configure logs. Exit."},
      {"/logf with two arguments", {"/logf", "a", "b"},
       "Loggers set to debug mode\r\nUnable to find redirection files. Exit."},
      {"one output file", {"out.xml"}, "Unable to find redirection files. Exit."},
      {"/log and one output file", {"/log", "out.xml"},
       "Loggers set to debug mode\r\nUnable to find redirection files. Exit."},
      // Switches are case-sensitive: these are output file names.
      {"/LOG alone", {"/LOG"}, "Unable to find redirection files. Exit."},
      {"/Logf alone", {"/Logf"}, "Unable to find redirection files. Exit."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const auto result = run(row.args);
    EXPECT_EQ(result.exitCode, 255);
    EXPECT_EQ(result.stdoutText, row.consoleBeforeUsage + expectedUsageText());
    EXPECT_EQ(files(), Names{});
  }
}

TEST_F(FrontendCommandLineTest, OnlyTheTwoOutputFiles) {
  const auto result = run({"out.xml", "err.txt"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.stdoutText, "Logger output file: out.xml.logs.txt\r\n" + expectedUsageText());
  EXPECT_EQ(files(), (Names{"err.txt", "out.xml", "out.xml.logs.txt"}));
  EXPECT_TRUE(utf16FileEquals(file("out.xml"), kDeclaration));
  EXPECT_EQ(testsupport::readFileBytes(file("err.txt")), "");
  // Without a log switch only Error lines are written.
  EXPECT_EQ(testsupport::readFileBytes(file("out.xml.logs.txt")), "");
}

TEST_F(FrontendCommandLineTest, OnlyTheTwoOutputFilesWithDebugLog) {
  const auto result = run({"/log", "out.xml", "err.txt"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.stdoutText,
            "Loggers set to debug mode\r\nLogger output file: out.xml.logs.txt\r\n" + expectedUsageText());
  EXPECT_TRUE(testsupport::wideTextEquals(logWithoutStamps(file("out.xml.logs.txt")),
                                          L"[T] ssEx Debug - \"" QUILLGATE_BINARY_W L"\" \"/log\" \"out.xml\" "
                                          L"\"err.txt\" \r\n"
                                          L"[T] ssEx Info - Command line parameters error.\r\n"));
}

TEST_F(FrontendCommandLineTest, LogfNamesTheLogFile) {
  const auto result = run({"/logf", "my.log", "out.xml", "err.txt", "[*://TestMode]", "x", "y",
                           "test_path_tokenizer", "$/A"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.stdoutText, "Loggers set to debug mode\r\nLogger output file: my.log\r\n");
  EXPECT_EQ(files(), (Names{"err.txt", "my.log", "out.xml"}));
  EXPECT_TRUE(testsupport::wideTextEquals(
      logWithoutStamps(file("my.log")),
      L"[T] ssEx Debug - \"" QUILLGATE_BINARY_W
      L"\" \"/logf\" \"my.log\" \"out.xml\" \"err.txt\" \"[*://TestMode]\" \"x\" \"y\" \"test_path_tokenizer\" "
      L"\"$/A\" \r\n"
      L"[T] ssEx Info - Exited with code: 0\r\n"));
}

TEST_F(FrontendCommandLineTest, EmptyLogfNameFallsBackToTheXmlName) {
  const auto result = run({"/logf", "", "out.xml", "err.txt", "ss_date", "0"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.stdoutText, "Loggers set to debug mode\r\nLogger output file: out.xml.logs.txt\r\n");
  EXPECT_EQ(files(), (Names{"err.txt", "out.xml", "out.xml.logs.txt"}));
}

TEST_F(FrontendCommandLineTest, ExistingFilesAreTruncated) {
  for (const char* name : {"out.xml", "err.txt", "out.xml.logs.txt"})
    testsupport::writeFileBytes(file(name), std::string(5000, 'x'));
  const auto result = run({"out.xml", "err.txt", "[*://TestMode]", "x", "y", "test_remane_manager"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(utf16FileEquals(file("out.xml"), kDeclaration));
  EXPECT_EQ(testsupport::readFileBytes(file("err.txt")), "");
  EXPECT_EQ(testsupport::readFileBytes(file("out.xml.logs.txt")), "");
}

// A result that cannot be written is no success: the run says which file
// failed wherever it still can (here the error file) and exits with -1.
TEST_F(FrontendCommandLineTest, OutputFileThatCannotBeCreatedFailsTheRun) {
  testsupport::RunOptions options;
  options.workingDirectory = dir_.path();
  const auto result = testsupport::runQuillgate({"missing/out.xml", "err.txt", "ss_date", "0"}, options);
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.stdoutText, "Logger output file: missing/out.xml.logs.txt\r\n");
  EXPECT_EQ(result.stderrText,
            "quillgate: Cannot write \"missing/out.xml\": No such file or directory\n"
            "quillgate: Cannot write \"missing/out.xml.logs.txt\": No such file or directory\n");
  EXPECT_EQ(files(), Names{"err.txt"});
  EXPECT_TRUE(testsupport::utf16FileEquals(file("err.txt"),
                                           L"Cannot write \"missing/out.xml\": No such file or directory\r\n"
                                           L"Cannot write \"missing/out.xml.logs.txt\": No such file or directory\r\n"));
}

TEST_F(FrontendCommandLineTest, PasswordNeverReachesTheLog) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    const wchar_t* loggedArgs;
  };
  const Row rows[] = {
      {"prefixed",
       {"/log", "out.xml", "err.txt", "missing.ini", "/login:admin", "/pwd:s3cret", "history", "$/p"},
       L"\"/log\" \"out.xml\" \"err.txt\" \"missing.ini\" \"/login:admin\" \"/pwd:*****\" \"history\" \"$/p\" "},
      {"without prefix, after the generation switch",
       {"/log", "out.xml", "err.txt", "/version-v2005", "missing.ini", "admin", "s3cret", "connection", "$/"},
       L"\"/log\" \"out.xml\" \"err.txt\" \"/version-v2005\" \"missing.ini\" \"admin\" \"*****\" \"connection\" "
       L"\"$/\" "},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const auto result = run(row.args);
    const std::wstring log = logWithoutStamps(file("out.xml.logs.txt"));
    EXPECT_EQ(log.find(L"s3cret"), std::wstring::npos);
    const std::wstring firstLine = std::wstring(L"[T] ssEx Debug - \"") + QUILLGATE_BINARY_W + L"\" " +
                                   row.loggedArgs + L"\r\n";
    EXPECT_TRUE(testsupport::wideTextEquals(log.substr(0, firstLine.size()), firstLine));
    // Whatever the SourceSafe layer decides, the last line names the code
    // in full and the process status shows its low 8 bits.
    std::wsmatch match;
    ASSERT_TRUE(std::regex_search(log, match, std::wregex(LR"(\[T\] ssEx Info - Exited with code: (-?\d+)\r\n$)")))
        << testsupport::printable(log);
    const long code = std::stol(match[1].str());
    EXPECT_NE(code, 0);
    EXPECT_EQ(result.exitCode, static_cast<int>(static_cast<unsigned long>(code) & 0xFF));
  }
}

TEST_F(FrontendCommandLineTest, ArgumentsAreUtf8) {
  // Also outside every ANSI code page that has the u with diaeresis.
  const std::string name = "ausgabe-\xc3\xbc\xe4\xb8\xad.xml";
  const auto result = run({name, "err.txt", "[*://TestMode]", "x", "y", "test_path_tokenizer",
                           "$/Gr\xc3\xbc\xc3\x9f" "e/\xe6\x97\xa5\xe6\x9c\xac/\xf0\x9f\x98\x80/bad\xff" "byte"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.stdoutText, "Logger output file: " + name + ".logs.txt\r\n");
  EXPECT_EQ(files(), (Names{name, name + ".logs.txt", "err.txt"}));
  // The emoji goes into the file as a surrogate pair; the stray byte as U+FFFD.
  EXPECT_TRUE(utf16FileEquals(file(name), std::wstring(kDeclaration) +
                                              L"$/\r\nGr\u00fc\u00dfe\r\n\u65e5\u672c\r\n\U0001F600\r\n"
                                              L"bad\uFFFDbyte\r\n"));
}

TEST_F(FrontendCommandLineTest, DiagnosticWordsCountOnlyRightAfterTheOutputFiles) {
  const auto result = run({"/log", "out.xml", "err.txt", "missing.ini", "ss_path", "x", "y", "z"});
  EXPECT_NE(result.exitCode, 0);
  // ss_path would have written a path and would have ended without the exit line.
  EXPECT_TRUE(utf16FileEquals(file("out.xml"), kDeclaration));
  const std::wstring log = logWithoutStamps(file("out.xml.logs.txt"));
  EXPECT_NE(log.find(L"ssEx Info - Exited with code: "), std::wstring::npos) << testsupport::printable(log);
}

}  // namespace
}  // namespace e2e

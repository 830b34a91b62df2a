// The connection command and everything a normal run does before a command
// runs: generation choice, srcsafe.ini checks, login.

#include "frontend_fixture.h"
#include "ssapi/builder.h"
#include "support/special_files.h"

namespace e2e {
namespace {

using testsupport::utf16FileEquals;

class ConnectionTest : public FrontendTest {
 protected:
  void SetUp() override {
    ssapi::DatabaseBuilder db;
    db.addUser(L"Carol", L"secret").createProject(L"$/proj").addFile(L"$/proj/a.txt", "one");
    db.writeTo(dir_ / "db");
    ini_ = (dir_ / "db" / "srcsafe.ini").string();
  }

  testsupport::RunResult connect(std::vector<std::string> tail, std::vector<std::string> head = {}) {
    std::vector<std::string> args = {"out.xml", "err.txt"};
    args.insert(args.end(), head.begin(), head.end());
    args.insert(args.end(), tail.begin(), tail.end());
    return run(args);
  }

  std::string ini_;
};

TEST_F(ConnectionTest, RootOfAReachableDatabaseSucceedsWithOnlyTheDeclaration) {
  for (const char* generation : {"/version-v6", "/version-v2005"}) {
    SCOPED_TRACE(generation);
    auto result = connect({ini_, "/login:Admin", "/pwd:", "connection", "$/"}, {generation});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(utf16FileEquals(file("out.xml"), kDeclaration));
    EXPECT_TRUE(utf16FileEquals(file("err.txt"), L""));
  }
}

TEST_F(ConnectionTest, BothGenerationsInstalledPrefersTheNewerOne) {
  auto result = connect({ini_, "/login:Admin", "/pwd:", "CONNECTION", "$/proj/a.txt"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.stdoutText, "Logger output file: out.xml.logs.txt\r\nUsing VSS 2005 Automation\r\n");
  auto forced = connect({ini_, "/login:Admin", "/pwd:", "connection", "$/proj"}, {"/version-v6"});
  EXPECT_EQ(forced.exitCode, 0);
  EXPECT_EQ(forced.stdoutText, "Logger output file: out.xml.logs.txt\r\nUsing VSS 6.0 Automation\r\n");
}

TEST_F(ConnectionTest, UnknownPathWritesMessage108) {
  auto result = connect({ini_, "/login:Admin", "/pwd:", "connection", "$/nothing"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_TRUE(utf16FileEquals(file("err.txt"), L"Connection Test Failed. Unable to fetch module item.\r\n"));
  EXPECT_NE(result.stdoutText.find("Usage:\r\n"), std::string::npos);
}

TEST_F(ConnectionTest, MissingOrDirectoryIniIsReportedWithExitCodeFive) {
  for (std::string ini : {(dir_ / "missing.ini").string(), (dir_ / "db").string()}) {
    SCOPED_TRACE(ini);
    auto result = connect({ini, "/login:Admin", "/pwd:", "connection", "$/"});
    EXPECT_EQ(result.exitCode, 5);  // 0x80004005 seen through the 8-bit process status
    EXPECT_TRUE(utf16FileEquals(file("err.txt"), std::wstring(L"Path to srcSafe.ini file does not exist.\r\n") +
                                                      L"Please check path and access rights.\r\n"));
    EXPECT_EQ(result.stdoutText.find("Usage:"), std::string::npos);
    EXPECT_EQ(testsupport::logWithoutStamps(file("out.xml.logs.txt")),
              L"[T] ssCommandLine Error - Please check path and access rights.\r\n");
  }
}

TEST_F(ConnectionTest, IniThatCannotBeOpenedWritesMessage112) {
  // A directory that is not writable passes the attribute test (it is not
  // only a directory) and then cannot be opened as a file.
  std::filesystem::create_directory(dir_ / "locked.ini");
  QUILLGATE_PLANT_OR_SKIP(testsupport::makeReadOnly(dir_ / "locked.ini"));
  auto result = connect({(dir_ / "locked.ini").string(), "/login:Admin", "/pwd:", "connection", "$/"});
  EXPECT_EQ(result.exitCode, 5);
  EXPECT_TRUE(utf16FileEquals(file("err.txt"), std::wstring(L"Failed to access srcSafe.ini file.\r\n") +
                                                    L"Failed to read srcSafe.ini file. Please check file is "
                                                    L"accessible.\r\n"));
}

TEST_F(ConnectionTest, WrongPasswordAndUnknownUserAreRefused) {
  struct Case {
    std::vector<std::string> login;
    std::wstring firstErrorLine;
  };
  for (const Case& c : {Case{{"/login:Carol", "/pwd:wrong"}, L"Error: 0x8004d6c9 (-2147166519)"},
                        Case{{"/login:Nobody", "/pwd:"}, L"Error: 0x8004d6c2 (-2147166526)"}}) {
    SCOPED_TRACE(c.login[0]);
    auto result = connect({ini_, c.login[0], c.login[1], "connection", "$/"});
    EXPECT_EQ(result.exitCode, 255);
    std::wstring errors = testsupport::readUtf16File(file("err.txt"));
    EXPECT_EQ(errors.substr(0, c.firstErrorLine.size()), c.firstErrorLine) << testsupport::printable(errors);
    const std::wstring last = L"\r\nUnable to log in to SourceSafe. Please check login and password.\r\n";
    ASSERT_GE(errors.size(), last.size());
    EXPECT_EQ(errors.substr(errors.size() - last.size()), last);
    EXPECT_EQ(std::count(errors.begin(), errors.end(), L'\n'), 2);
  }
}

TEST_F(ConnectionTest, LoginPrefixesAreOptional) {
  auto result = connect({ini_, "Carol", "secret", "connection", "$/"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(utf16FileEquals(file("err.txt"), L""));
}

TEST_F(ConnectionTest, FourArgumentsAfterTheSwitchAreAUsageError) {
  auto result = connect({ini_, "/login:Admin", "/pwd:", "connection"}, {"/version-v2005"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_TRUE(utf16FileEquals(file("err.txt"), L""));
  EXPECT_NE(result.stdoutText.find("Usage:\r\n"), std::string::npos);
}

TEST_F(ConnectionTest, UnknownCommandPrintsTheUsageOnce) {
  auto result = connect({ini_, "/login:Admin", "/pwd:", "connections", "$/"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_TRUE(utf16FileEquals(file("err.txt"), L""));
  const std::string& out = result.stdoutText;
  size_t first = out.find("Usage:\r\n");
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(out.find("Usage:\r\n", first + 1), std::string::npos);
}

TEST_F(ConnectionTest, DebugLogShowsTheGenerationTheCommandAndTheExitCode) {
  auto logged = run({"/log", "out.xml", "err.txt", ini_, "/login:Admin", "/pwd:", "connection", "$/"});
  EXPECT_EQ(logged.exitCode, 0);
  std::wstring log = testsupport::logWithoutStamps(file("out.xml.logs.txt"));
  EXPECT_NE(log.find(L"ssEx Debug - Use VSS 2005 SSAPI\r\n"), std::wstring::npos) << testsupport::printable(log);
  EXPECT_NE(log.find(L"ssCommandLine Info - Current command: connection\r\n"), std::wstring::npos);
  EXPECT_NE(log.find(L"ssEx Info - Exited with code: 0\r\n"), std::wstring::npos);
}

}  // namespace
}  // namespace e2e

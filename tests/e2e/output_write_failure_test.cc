// Output that cannot be written is no success: a result file in a folder
// that is not there, a folder where the file should be, /dev/full, a disk
// that fills up part-way (a file size limit), an extracted file that cannot
// be written. Each run fails with -1 and says which file on standard error
// and wherever else it still can.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/text_encoding.h"
#include "ssapi/builder.h"
#include "support/run_binary.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFailed = 255;
// The far-future javatime: a file as it is now.
constexpr const char* kFarFuture = "4611686018427387904";

struct Outcome {
  int exitCode = -1;
  std::string stderrText;
  std::wstring errors;
  std::wstring log;
};

class OutputWriteFailureTest : public ::testing::Test {
 protected:
  OutputWriteFailureTest() {
    ssapi::DatabaseBuilder db;
    db.createProject(L"$/p");
    for (int i = 0; i < 20; ++i) {
      std::wstring file = L"$/p/file" + std::to_wstring(i) + L".txt";
      db.addFile(file, "first " + std::to_string(i)).checkIn(file, "second " + std::to_string(i));
    }
    db.writeTo(dir_ / "db");
  }

  // Runs with the given XML, error and log files (paths as given, relative
  // ones in the scratch folder) and the command after the login.
  Outcome run(const std::string& xml, const std::string& err, const std::string& log,
              const std::vector<std::string>& command, std::uint64_t fileSizeLimit = 0) {
    std::vector<std::string> args = {"/logf", log, xml, err, (dir_ / "db" / "srcsafe.ini").string(), "/login:Admin",
                                     "/pwd:"};
    args.insert(args.end(), command.begin(), command.end());
    testsupport::RunOptions options;
    options.workingDirectory = dir_.path();
    options.setEnvironment = {{"TZ", "UTC"}};
    options.fileSizeLimit = fileSizeLimit;
    options.timeout = std::chrono::seconds(30);
    testsupport::RunResult result = testsupport::runQuillgate(args, options);
    Outcome outcome;
    outcome.exitCode = result.exitCode;
    outcome.stderrText = result.stderrText;
    if (fs::is_regular_file(dir_ / err)) outcome.errors = testsupport::readUtf16File(dir_ / err);
    if (fs::is_regular_file(dir_ / log)) outcome.log = testsupport::readUtf16File(dir_ / log);
    return outcome;
  }

  testsupport::TempDir dir_;
};

const std::vector<std::string> kHistory = {"history", "$/p"};

TEST_F(OutputWriteFailureTest, AResultFileThatCannotBeWrittenFailsTheRun) {
  fs::create_directory(dir_ / "folder");
  struct Row {
    const char* name;
    std::string xml, err, log;
    std::vector<std::string> command;
    std::string failedFile;
    const char* reason;
    bool inErrorFile;
    bool inLog;
  };
  const Row rows[] = {
      {"XmlPathIsAFolder", "folder", "err.txt", "log.txt", kHistory, "folder", "Is a directory", true, true},
      {"XmlOnDevFull", "/dev/full", "err.txt", "log.txt", kHistory, "/dev/full", "No space left on device", true,
       true},
      // Only what was written can fail: a failing command writes its messages.
      {"ErrorFileOnDevFull", "out.xml", "/dev/full", "log.txt", {"history", "$/missing"}, "/dev/full",
       "No space left on device", false, true},
      {"LogOnDevFull", "out.xml", "err.txt", "/dev/full", kHistory, "/dev/full", "No space left on device", true,
       false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove(dir_ / "err.txt");
    fs::remove(dir_ / "log.txt");
    Outcome outcome = run(row.xml, row.err, row.log, row.command);
    EXPECT_EQ(outcome.exitCode, kFailed);
    const std::string message = "Cannot write \"" + row.failedFile + "\": " + row.reason;
    EXPECT_NE(outcome.stderrText.find("quillgate: " + message + "\n"), std::string::npos) << outcome.stderrText;
    EXPECT_EQ(outcome.errors.find(platform::utf8ToWide(message) + L"\r\n") != std::wstring::npos, row.inErrorFile)
        << platform::wideToUtf8(outcome.errors);
    EXPECT_EQ(outcome.log.find(L"ssEx Error - " + platform::utf8ToWide(message) + L"\r\n") != std::wstring::npos,
              row.inLog)
        << platform::wideToUtf8(outcome.log);
  }
}

// A disk that fills up while the document is written: the file is cut off,
// and the run says so instead of passing the cut document on.
TEST_F(OutputWriteFailureTest, ADiskThatFillsUpPartWayFailsTheRun) {
  Outcome whole = run("out.xml", "err.txt", "log.txt", kHistory);
  ASSERT_EQ(whole.exitCode, 0) << whole.stderrText;
  const std::uintmax_t size = fs::file_size(dir_ / "out.xml");
  ASSERT_GT(size, 1000u);
  Outcome cut = run("out.xml", "err.txt", "log.txt", kHistory, size / 2);
  EXPECT_EQ(cut.exitCode, kFailed);
  EXPECT_EQ(fs::file_size(dir_ / "out.xml"), size / 2);
  // The debug log fills up as well.
  EXPECT_EQ(cut.stderrText.rfind("quillgate: Cannot write \"out.xml\": File too large\n", 0), 0u) << cut.stderrText;
  EXPECT_EQ(cut.errors.rfind(L"Cannot write \"out.xml\": File too large\r\n", 0), 0u);
}

// Files the commands extract: the get output and a patch's files.
TEST_F(OutputWriteFailureTest, AnExtractedFileThatCannotBeWrittenFailsTheCommand) {
  struct Row {
    const char* name;
    std::vector<std::string> command;
    const wchar_t* message;
  };
  const Row rows[] = {
      {"GetIntoAMissingFolder", {"get", "$/p/file1.txt", "missing/got.txt", kFarFuture}, L"Get operation failed\r\n"},
      {"GetOntoDevFull", {"get", "$/p/file1.txt", "/dev/full", kFarFuture}, L"Get operation failed\r\n"},
      {"GetOntoAFolder", {"get", "$/p/file1.txt", "folder", kFarFuture}, L"Get operation failed\r\n"},
      {"Patch3IntoAMissingFolder", {"patch3", "$/p", "missing/x"}, nullptr},
      {"PatchIntoAMissingFolder", {"patch", "$/p", "missing/x"}, nullptr},
  };
  fs::create_directory(dir_ / "folder");
  // Where it can be written, it is.
  Outcome fine = run("out.xml", "err.txt", "log.txt", {"get", "$/p/file1.txt", "got.txt", kFarFuture});
  ASSERT_EQ(fine.exitCode, 0) << platform::wideToUtf8(fine.errors);
  EXPECT_EQ(testsupport::readFileBytes(dir_ / "got.txt"), "second 1");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Outcome outcome = run("out.xml", "err.txt", "log.txt", row.command);
    EXPECT_EQ(outcome.exitCode, kFailed) << platform::wideToUtf8(outcome.errors);
    if (row.message) {
      EXPECT_NE(outcome.errors.find(row.message), std::wstring::npos) << platform::wideToUtf8(outcome.errors);
    }
    EXPECT_FALSE(fs::exists(dir_ / "missing"));
  }
}

}  // namespace

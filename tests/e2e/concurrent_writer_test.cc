// SourceSafe rewrites its item and data files in place while the CI server
// runs us. Gets run while a thread of the test rewrites every file of a
// copy of a real database (truncated, then written back piece by piece):
// each run either delivers exactly the file the quiet database delivers, or
// fails; none delivers something else.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/text_encoding.h"
#include "support/real_databases.h"
#include "support/run_binary.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// The far-future javatime: a file as it is now.
constexpr const char* kFarFuture = "4611686018427387904";

// Rewrites a file with the bytes it holds, as an in-place writer does.
void rewriteInPlace(const fs::path& file, const std::string& bytes) { testsupport::rewriteInPlace(file, bytes, 509); }

class ConcurrentWriterTest : public ::testing::Test {
 protected:
  testsupport::RunResult get(const std::string& spec) {
    std::vector<std::string> args = {"out.xml", "err.txt", (dir_ / "db" / "srcsafe.ini").string(), "/login:Guest",
                                     "/pwd:", "get", spec, "got.bin", kFarFuture};
    testsupport::RunOptions options;
    options.workingDirectory = dir_.path();
    options.setEnvironment = {{"TZ", "UTC"}, {"SSAPI_CODEPAGE", "950"}};
    options.timeout = std::chrono::seconds(20);
    std::error_code ignored;
    fs::remove(dir_ / "got.bin", ignored);
    return testsupport::runQuillgate(args, options);
  }
  std::string got() const { return testsupport::readFileBytes(dir_ / "got.bin"); }

  testsupport::TempDir dir_;
};

TEST_F(ConcurrentWriterTest, EveryGetWhileFilesAreRewrittenDeliversTheRightFileOrFails) {
  SKIP_WITHOUT_DATABASES();
  fs::copy(testsupport::realDatabasesFolder() / "alex632-mylvss", dir_ / "db", fs::copy_options::recursive);

  // The files, from a patch of the quiet database, and what a get gives for each.
  testsupport::RunOptions options;
  options.workingDirectory = dir_.path();
  options.setEnvironment = {{"TZ", "UTC"}, {"SSAPI_CODEPAGE", "950"}};
  ASSERT_EQ(testsupport::runQuillgate({"out.xml", "err.txt", (dir_ / "db" / "srcsafe.ini").string(), "/login:Guest",
                                       "/pwd:", "patch3", "$/", "m-"},
                                      options)
                .exitCode,
            0);
  const std::wstring patch = testsupport::readUtf16File(dir_ / "out.xml");
  static const std::wregex added(L"<add spec=\"([^\"]*)\"");
  std::vector<std::pair<std::string, std::string>> expected;
  for (std::wsregex_iterator it(patch.begin(), patch.end(), added), end; it != end && expected.size() < 8; ++it) {
    std::string spec = platform::wideToUtf8((*it)[1].str());
    ASSERT_EQ(get(spec).exitCode, 0) << spec;
    expected.emplace_back(spec, got());
  }
  ASSERT_FALSE(expected.empty());

  std::vector<std::pair<fs::path, std::string>> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir_ / "db" / "data")) {
    if (entry.is_regular_file()) files.emplace_back(entry.path(), testsupport::readFileBytes(entry.path()));
  }
  std::atomic<bool> writing{true};
  std::thread writer([&] {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (std::chrono::steady_clock::now() < until) {
      for (const auto& [file, bytes] : files) rewriteInPlace(file, bytes);
    }
    writing = false;
  });
  int delivered = 0;
  int failed = 0;
  for (std::size_t i = 0; writing; ++i) {
    const auto& [spec, content] = expected[i % expected.size()];
    testsupport::RunResult run = get(spec);
    EXPECT_FALSE(run.timedOut);
    if (run.exitCode == 0) {
      ++delivered;
      EXPECT_EQ(got(), content) << spec;
    } else {
      ++failed;
      EXPECT_EQ(run.exitCode, 255) << run.stderrText;
      EXPECT_NE(testsupport::readUtf16File(dir_ / "err.txt").find(L"Get operation failed"), std::wstring::npos);
    }
  }
  writer.join();
  EXPECT_GT(delivered + failed, 0);
  std::printf("gets while writing: %d delivered, %d failed\n", delivered, failed);
}

}  // namespace

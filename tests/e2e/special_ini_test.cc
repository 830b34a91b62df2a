// A srcsafe.ini that is no regular file: the check before the database is
// opened refuses it at once (opening a FIFO for reading would wait for a
// writer, a device would be read for ever) with message 112.
#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "support/run_binary.h"
#include "support/special_files.h"
#include "support/temp_dir.h"
#include "support/utf16_compare.h"

namespace {

namespace fs = std::filesystem;

TEST(SpecialIniTest, AnIniThatIsNoRegularFileCannotBeRead) {
  struct Row {
    const char* name;
    std::function<std::string(const fs::path&)> plant;
  };
  const Row rows[] = {
      {"fifo", [](const fs::path& ini) { return testsupport::makeFifo(ini); }},
      {"link to /dev/zero", [](const fs::path& ini) { return testsupport::makeSymlink("/dev/zero", ini); }},
      {"link to /dev/urandom", [](const fs::path& ini) { return testsupport::makeSymlink("/dev/urandom", ini); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    testsupport::TempDir dir;
    QUILLGATE_PLANT_OR_SKIP(row.plant(dir / "srcsafe.ini"));
    testsupport::RunOptions options;
    options.workingDirectory = dir.path();
    options.timeout = std::chrono::seconds(20);
    testsupport::RunResult result = testsupport::runQuillgate(
        {"out.xml", "err.txt", (dir / "srcsafe.ini").string(), "/login:Admin", "/pwd:", "connection", "$/"}, options);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 5);  // 0x80004005
    EXPECT_TRUE(testsupport::utf16FileEquals(
        dir / "err.txt",
        L"Failed to access srcSafe.ini file.\r\nFailed to read srcSafe.ini file. Please check file is accessible.\r\n"));
  }
}

}  // namespace

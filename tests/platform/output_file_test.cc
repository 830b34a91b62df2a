#include "platform/output_file.h"


#include <cerrno>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/special_files.h"
#include "support/temp_dir.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// Where a result goes, and how writing 100 bytes there ends.
struct Target {
  const char* name;
  std::string (*path)(const fs::path& dir);
  bool opens;
  int error;               // of the first failure, 0 for none
  std::size_t bytesKept;  // what the file holds afterwards (regular files only)
};

const Target kTargets[] = {
    {"RegularFile", [](const fs::path& d) { return (d / "out.xml").string(); }, true, 0, 100},
    {"MissingFolder", [](const fs::path& d) { return (d / "missing" / "out.xml").string(); }, false, ENOENT, 0},
    {"PathIsAFolder", [](const fs::path& d) { return d.string(); }, false, EISDIR, 0},
    // Accepted at open and at write (buffered); the flush fails.
    {"DevFull", [](const fs::path&) { return std::string("/dev/full"); }, true, ENOSPC, 0},
    // Injected below: the disk fills up after 40 bytes.
    {"DiskFullPartWay", [](const fs::path& d) { return (d / "cut.xml").string(); }, true, ENOSPC, 40},
};

void PrintTo(const Target& row, std::ostream* out) { *out << row.name; }

class OutputFileTest : public ::testing::TestWithParam<Target> {
 protected:
  void SetUp() override { injectWriteFailure((fs::path("/") / "cut.xml").string(), 40, ENOSPC); }
  void TearDown() override { clearInjectedWriteFailures(); }
  testsupport::TempDir dir_;
};

TEST_P(OutputFileTest, KeepsTheFirstFailureOfOpenWriteFlushOrClose) {
  const Target& row = GetParam();
  const std::string path = row.path(dir_.path());
  OutputFile file;
  EXPECT_EQ(file.open(path), row.opens);
  for (int i = 0; i < 10; ++i) file.write("0123456789");
  file.flush();
  file.close();
  EXPECT_EQ(file.failed(), row.error != 0);
  EXPECT_EQ(file.error(), row.error);
  if (row.opens && fs::is_regular_file(path)) {
    EXPECT_EQ(fs::file_size(path), row.bytesKept);
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, OutputFileTest, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<Target>& info) { return std::string(info.param.name); });

TEST(OutputFileAccessTest, AReadOnlyFolderTakesNoFile) {
  testsupport::TempDir dir;
  QUILLGATE_PLANT_OR_SKIP(testsupport::makeUnwritableFolder(dir.path()));
  OutputFile file;
  EXPECT_FALSE(file.open((dir / "out.xml").string()));
  EXPECT_EQ(file.error(), EACCES);
}

TEST(OutputFileAccessTest, ReopeningStartsAfresh) {
  testsupport::TempDir dir;
  OutputFile file;
  EXPECT_FALSE(file.open((dir / "missing" / "x").string()));
  EXPECT_TRUE(file.open((dir / "x").string()));
  EXPECT_FALSE(file.failed());
}

}  // namespace
}  // namespace platform

#include "platform/regular_file.h"

#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "platform/text_encoding.h"
#include "support/special_files.h"
#include "support/temp_dir.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kBound = 64;

std::string write(const fs::path& file, const std::string& bytes) {
  testsupport::writeFileBytes(file, bytes);
  return "";
}

// Each row plants something at dir/target (the folder holds a regular file
// "real.txt" and a folder "sub" with "inner.txt") and reads it both ways.
// Planting returns why this system cannot hold the thing, or nothing.
struct Planted {
  const char* name;
  std::function<std::string(const fs::path& dir)> plant;
  FileReadError whole;  // readRegularFile(dir/target)
  FileReadError below;  // readRegularFileBelow(dir, target)
};

const Planted kPlanted[] = {
    {"RegularFile", [](const fs::path& d) { return write(d / "target", "bytes"); }, FileReadError::kNone,
     FileReadError::kNone},
    {"EmptyFile", [](const fs::path& d) { return write(d / "target", ""); }, FileReadError::kNone,
     FileReadError::kNone},
    {"FileAtTheBound", [](const fs::path& d) { return write(d / "target", std::string(kBound, 'x')); },
     FileReadError::kNone, FileReadError::kNone},
    {"FileBeyondTheBound", [](const fs::path& d) { return write(d / "target", std::string(kBound + 1, 'x')); },
     FileReadError::kTooLarge, FileReadError::kTooLarge},
    {"Missing", [](const fs::path&) { return std::string(); }, FileReadError::kNotFound, FileReadError::kNotFound},
    {"Directory", [](const fs::path& d) { return fs::create_directory(d / "target") ? "" : "mkdir failed"; },
     FileReadError::kNotRegularFile, FileReadError::kNotRegularFile},
    // Opening a FIFO for reading would wait for a writer for ever.
    {"Fifo", [](const fs::path& d) { return testsupport::makeFifo(d / "target"); }, FileReadError::kNotRegularFile,
     FileReadError::kNotRegularFile},
    // Reading these never ends.
    {"LinkToDevZero", [](const fs::path& d) { return testsupport::makeSymlink("/dev/zero", d / "target"); },
     FileReadError::kNotRegularFile, FileReadError::kNotRegularFile},
    {"LinkToDevUrandom", [](const fs::path& d) { return testsupport::makeSymlink("/dev/urandom", d / "target"); },
     FileReadError::kNotRegularFile, FileReadError::kNotRegularFile},
    // A link is followed by a plain read, never below a folder.
    {"LinkToARegularFile", [](const fs::path& d) { return testsupport::makeSymlink(d / "real.txt", d / "target"); },
     FileReadError::kNone, FileReadError::kNotRegularFile},
    {"LinkToAFolder", [](const fs::path& d) { return testsupport::makeSymlink(d / "sub", d / "target"); },
     FileReadError::kNotRegularFile, FileReadError::kNotRegularFile},
};

void PrintTo(const Planted& row, std::ostream* out) { *out << row.name; }

class PlantedFileTest : public ::testing::TestWithParam<Planted> {
 protected:
  void SetUp() override {
    testsupport::writeFileBytes(dir_ / "real.txt", "real");
    fs::create_directory(dir_ / "sub");
    testsupport::writeFileBytes(dir_ / "sub" / "inner.txt", "inner");
  }
  testsupport::TempDir dir_;
};

TEST_P(PlantedFileTest, IsReadOnlyWhenItIsARegularFileWithinTheBound) {
  const Planted& row = GetParam();
  QUILLGATE_PLANT_OR_SKIP(row.plant(dir_.path()));
  std::string bytes = "left alone";
  FileReadStatus whole = readRegularFile(dir_ / "target", kBound, &bytes);
  EXPECT_EQ(whole.error, row.whole);
  if (whole.ok()) {
    EXPECT_EQ(bytes, testsupport::readFileBytes(dir_ / "target"));
  } else {
    EXPECT_EQ(bytes, "left alone");
  }
  std::string below = "left alone";
  EXPECT_EQ(readRegularFileBelow(dir_.path(), "target", kBound, &below).error, row.below);
  if (row.below == FileReadError::kNone) {
    EXPECT_EQ(below, bytes);
  }
}

INSTANTIATE_TEST_SUITE_P(Files, PlantedFileTest, ::testing::ValuesIn(kPlanted),
                         [](const ::testing::TestParamInfo<Planted>& info) { return std::string(info.param.name); });

TEST(RegularFileBelowTest, FollowsNoLinkOnTheWayAndNeverLeavesTheFolder) {
  testsupport::TempDir dir;
  testsupport::TempDir outside;
  fs::create_directories(dir / "data" / "contents" / "ab");
  testsupport::writeFileBytes(dir / "data" / "contents" / "ab" / "abcd", "inside");
  testsupport::writeFileBytes(outside / "secret", "outside");
  std::string bytes;
  EXPECT_TRUE(readRegularFileBelow(dir / "data", "contents/ab/abcd", kBound, &bytes).ok());
  EXPECT_EQ(bytes, "inside");
  EXPECT_EQ(readRegularFileBelow(dir / "data", "contents/../../data/contents/ab/abcd", kBound, &bytes).error,
            FileReadError::kNotFound);
  EXPECT_EQ(readRegularFileBelow(dir / "data", outside / "secret", kBound, &bytes).error, FileReadError::kNotFound);
  EXPECT_EQ(bytes, "inside");
  QUILLGATE_PLANT_OR_SKIP(testsupport::makeSymlink(outside.path(), dir / "data" / "linked"));
  EXPECT_EQ(readRegularFileBelow(dir / "data", "linked/secret", kBound, &bytes).error, FileReadError::kNotRegularFile);
  // The folder itself may be reached through a link.
  QUILLGATE_PLANT_OR_SKIP(testsupport::makeSymlink(dir / "data", outside / "data-link"));
  EXPECT_TRUE(readRegularFileBelow(outside / "data-link", "contents/ab/abcd", kBound, &bytes).ok());
}

TEST(RegularFileTest, APathHoldingANulIsNoFile) {
  testsupport::TempDir dir;
  testsupport::writeFileBytes(dir / "data", "bytes");
  std::string withNul = (dir / "data").string() + std::string(1, '\0') + "junk";
  std::string bytes;
  EXPECT_EQ(readRegularFile(withNul, kBound, &bytes).error, FileReadError::kNotFound);
  EXPECT_EQ(readRegularFileBelow(dir.path(), std::string("data") + '\0' + "x", kBound, &bytes).error,
            FileReadError::kNotFound);
}

TEST(RegularFileTest, NoticesAFileThatChangedWhileItWasRead) {
  testsupport::TempDir dir;
  testsupport::writeFileBytes(dir / "f", "0123456789");
  RegularFile file;
  ASSERT_TRUE(RegularFile::open(dir / "f", kBound, &file).ok());
  char buffer[4];
  std::size_t got = 0;
  ASSERT_TRUE(file.read(buffer, sizeof buffer, &got).ok());
  EXPECT_EQ(got, 4u);
  // Not read to its end yet.
  EXPECT_EQ(file.checkUnchanged().error, FileReadError::kChangedWhileRead);
  while (got > 0) ASSERT_TRUE(file.read(buffer, sizeof buffer, &got).ok());
  EXPECT_TRUE(file.checkUnchanged().ok());
  testsupport::writeFileBytes(dir / "f", "0123456789abc");
  EXPECT_EQ(file.checkUnchanged().error, FileReadError::kChangedWhileRead);
}

TEST(RegularFileTest, AccessDeniedIsToldApart) {
  testsupport::TempDir dir;
  testsupport::writeFileBytes(dir / "locked", "x");
  QUILLGATE_PLANT_OR_SKIP(testsupport::makeUnreadable(dir / "locked"));
  std::string bytes;
  EXPECT_EQ(readRegularFile(dir / "locked", kBound, &bytes).error, FileReadError::kAccessDenied);
}

TEST(RegularFileTest, DescriptionsNameTheFile) {
  const fs::path path = "/db/data/users.txt";
  struct Row {
    FileReadStatus status;
    const wchar_t* text;
  };
  const Row rows[] = {
      {{FileReadError::kNotFound, ENOENT}, L"File \"/db/data/users.txt\" not found"},
      {{FileReadError::kAccessDenied, EACCES}, L"Access to file \"/db/data/users.txt\" denied"},
      {{FileReadError::kNotRegularFile, 0}, L"File \"/db/data/users.txt\" is not a regular file"},
      {{FileReadError::kTooLarge, 0}, L"File \"/db/data/users.txt\" has more than 64 bytes"},
      {{FileReadError::kChangedWhileRead, 0}, L"File \"/db/data/users.txt\" changed while it was read"},
      {{FileReadError::kReadFailed, EIO}, L"File \"/db/data/users.txt\" cannot be read: Input/output error"},
  };
  for (const Row& row : rows) EXPECT_EQ(describeFileRead(path, row.status, kBound), row.text);
}

}  // namespace
}  // namespace platform

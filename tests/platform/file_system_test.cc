#include "platform/file_system.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/text_encoding.h"
#include "support/special_files.h"
#include "support/temp_dir.h"

namespace platform {
namespace {

std::wstring wide(const std::filesystem::path& path) { return wideFromPath(path); }

class FileSystemTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir_;
};

TEST_F(FileSystemTest, AttributesTellDirectoriesFilesAndReadOnly) {
  testsupport::writeFileBytes(dir_ / "file.txt", "x");
  testsupport::writeFileBytes(dir_ / "locked.txt", "x");
  std::filesystem::create_directory(dir_ / "sub");
  std::filesystem::create_directory(dir_ / "lockedsub");
  ASSERT_EQ(testsupport::makeReadOnly(dir_ / "locked.txt"), "");
  ASSERT_EQ(testsupport::makeReadOnly(dir_ / "lockedsub"), "");

  EXPECT_EQ(getFileAttributes(wide(dir_ / "file.txt")), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(getFileAttributes(wide(dir_ / "locked.txt")), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(getFileAttributes(wide(dir_ / "sub")), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(getFileAttributes(wide(dir_ / "lockedsub")), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(getFileAttributes(wide(dir_ / "missing")), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(getFileAttributes(L""), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileSystemTest, BackslashSeparatesLikeSlash) {
  std::filesystem::create_directory(dir_ / "sub");
  testsupport::writeFileBytes(dir_ / "sub" / "f.ini", "x");
  const std::wstring path = wide(dir_.path()) + L"\\sub\\f.ini";
  EXPECT_EQ(getFileAttributes(path), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_TRUE(canOpenExistingForReading(path));
}

TEST_F(FileSystemTest, NonAsciiNames) {
  testsupport::writeFileBytes(pathFromWide(wide(dir_.path()) + L"/gr\u00fc\u00df.txt"), "x");
  EXPECT_EQ(getFileAttributes(wide(dir_.path()) + L"/gr\u00fc\u00df.txt"), FILE_ATTRIBUTE_ARCHIVE);
}

TEST_F(FileSystemTest, OpenForReadingNeedsAnExistingFile) {
  testsupport::writeFileBytes(dir_ / "srcsafe.ini", "x");
  std::filesystem::create_directory(dir_ / "sub");
  EXPECT_TRUE(canOpenExistingForReading(wide(dir_ / "srcsafe.ini")));
  EXPECT_FALSE(canOpenExistingForReading(wide(dir_ / "sub")));
  EXPECT_FALSE(canOpenExistingForReading(wide(dir_ / "missing.ini")));
  EXPECT_FALSE(canOpenExistingForReading(L""));
  // Nothing was created by looking.
  EXPECT_FALSE(std::filesystem::exists(dir_ / "missing.ini"));
}

TEST_F(FileSystemTest, OpenForReadingRefusesFifosAndDevices) {
  // Opening a FIFO for reading would wait for a writer; a device never ends.
  QUILLGATE_PLANT_OR_SKIP(testsupport::makeFifo(dir_ / "fifo.ini"));
  QUILLGATE_PLANT_OR_SKIP(testsupport::makeSymlink("/dev/zero", dir_ / "zero.ini"));
  EXPECT_FALSE(canOpenExistingForReading(wide(dir_ / "fifo.ini")));
  EXPECT_FALSE(canOpenExistingForReading(wide(dir_ / "zero.ini")));
}

TEST_F(FileSystemTest, CreateDirectoryFailsWhenThePathExists) {
  EXPECT_TRUE(createDirectory(wide(dir_ / "new")));
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "new"));
  EXPECT_FALSE(createDirectory(wide(dir_ / "new")));
  testsupport::writeFileBytes(dir_ / "file", "x");
  EXPECT_FALSE(createDirectory(wide(dir_ / "file")));
  EXPECT_FALSE(createDirectory(wide(dir_ / "missing" / "child")));
  EXPECT_FALSE(createDirectory(L""));
}

TEST_F(FileSystemTest, ListsDotsFirstThenNamesInNtfsOrder) {
  for (const char* name : {"b.txt", "A.txt", "c", "B2", "a.TXT"}) testsupport::writeFileBytes(dir_ / name, "x");
  std::filesystem::create_directory(dir_ / "Sub");
  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(listDirectory(wide(dir_.path()), &entries));
  std::vector<std::wstring> names;
  for (const auto& e : entries) names.push_back(e.name);
  // Where names ignore letter case (Windows), a.TXT was written into A.txt.
  std::vector<std::wstring> expected = {L".", L"..", L"A.txt", L"a.TXT", L"b.txt", L"B2", L"c", L"Sub"};
  if (testsupport::namesIgnoreCase(dir_.path())) expected.erase(expected.begin() + 3);
  EXPECT_EQ(names, expected);
  EXPECT_EQ(entries[0].attributes & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(entries[2].attributes, FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(entries.back().attributes, FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(FileSystemTest, ListingAMissingDirectoryFails) {
  std::vector<DirectoryEntry> entries;
  EXPECT_FALSE(listDirectory(wide(dir_ / "missing"), &entries));
  testsupport::writeFileBytes(dir_ / "file", "x");
  EXPECT_FALSE(listDirectory(wide(dir_ / "file"), &entries));
}

}  // namespace
}  // namespace platform

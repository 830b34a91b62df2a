#include "native/database_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>

#include "file_builder.h"
#include "native/crc.h"
#include "native/file_access.h"
#include "ssapi/ssapi.h"
#include "support/special_files.h"
#include "status_assertions.h"
#include "support/local_path.h"
#include "support/temp_dir.h"

namespace ssapi::native {
namespace {

using nativetest::copyOp;
using nativetest::entryRecord;
using nativetest::failsWith;
using nativetest::historyBody;
using nativetest::insertOp;
using nativetest::isOk;
using nativetest::ItemFileBuilder;
using nativetest::put16;
using nativetest::put32;
using nativetest::putName;
using nativetest::putText;
using nativetest::stopOp;
using testsupport::writeFileBytes;

// A file item whose versions are given newest first as deltas; the
// content is the latest version's.
std::string fileItem(std::uint16_t firstVersion, std::string_view branchSource, const std::string& content,
                     const std::vector<std::string>& deltasOldestFirst, char extension = 'A') {
  ItemFileBuilder builder(ItemFileBuilder::kFile, firstVersion);
  putText(builder.header, 0x2E, extension == 'A' ? ".A" : ".B", 2);
  putText(builder.header, 0x52, branchSource, 10);
  put32(builder.header, 0x70, crc32(content));
  builder.addParent("AAAAAAAA");
  builder.addHistory(historyBody(branchSource.empty() ? 16 : 19));
  for (const std::string& delta : deltasOldestFirst) {
    std::uint32_t fd = builder.add("FD", delta);
    std::string checkIn = historyBody(17);
    put32(checkIn, 0x58, fd);
    builder.addHistory(checkIn);
  }
  return builder.build();
}

class DatabaseFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::filesystem::path data = dir_.path() / "data";
    for (const char* folder : {"A", "b", "c", "e", "f", "g", "h"}) std::filesystem::create_directories(data / folder);
    writeFileBytes(dir_ / "srcsafe.ini", "Data_Path = data\r\n");

    std::vector<std::uint32_t> nameOffsets;
    writeFileBytes(data / "names.dat",
                   nativetest::namesFile({{{1, "LONGNA~1.TXT"}, {2, "long name.txt"}}}, &nameOffsets));

    // The root, in upper-case files, with a stale data file of the other extension.
    ItemFileBuilder root(ItemFileBuilder::kProject);
    putText(root.header, 0x2E, ".b", 2);
    put16(root.header, 0x160, 2);  // entries
    root.addHistory(historyBody(1), "root");
    std::string add = historyBody(3);
    putName(add, 0x58, "long_name.txt", false, nameOffsets[0]);
    putText(add, 0x80, "BAAAAAAA", 10);
    root.addHistory(add);
    writeFileBytes(data / "A" / "AAAAAAAA", root.build());
    writeFileBytes(data / "A" / "AAAAAAAA.B", entryRecord(2, "long_name.txt", "BAAAAAAA", 0, 0, nameOffsets[0]) +
                                                  entryRecord(2, "branch.c", "CAAAAAAA"));
    writeFileBytes(data / "A" / "aaaaaaaa.a", "stale");

    // BAAAAAAA: v1 "v1\r\n", v2 "v2\r\n".
    writeFileBytes(data / "b" / "baaaaaaa", fileItem(1, "", "v2\r\n", {insertOp("v1") + copyOp(2, 2) + stopOp()}));
    writeFileBytes(data / "b" / "baaaaaaa.a", "v2\r\n");
    // CAAAAAAA: branched from BAAAAAAA at its version 2; v3 "v2\r\n", v4 "branch\r\n".
    writeFileBytes(data / "c" / "caaaaaaa",
                   fileItem(3, "BAAAAAAA", "branch\r\n", {insertOp("v2") + copyOp(6, 2) + stopOp()}, 'B'));
    writeFileBytes(data / "c" / "caaaaaaa.b", "branch\r\n");
    // EAAAAAAA: the data file does not match the checksum in the header.
    writeFileBytes(data / "e" / "eaaaaaaa", fileItem(1, "", "expected", {}));
    writeFileBytes(data / "e" / "eaaaaaaa.a", "something else");
    // FAAAAAAA: names itself as its branch source.
    writeFileBytes(data / "f" / "faaaaaaa", fileItem(2, "FAAAAAAA", "x", {}));
    writeFileBytes(data / "f" / "faaaaaaa.a", "x");
    // GAAAAAAA: its branch source was destroyed.
    writeFileBytes(data / "g" / "gaaaaaaa", fileItem(2, "ZAAAAAAA", "x", {}));
    writeFileBytes(data / "g" / "gaaaaaaa.a", "x");
    // HAAAAAAA: not a file at all, but a pipe that nobody writes (a folder
    // where the file system holds no pipes).
    if (!testsupport::makeFifo(data / "h" / "haaaaaaa").empty()) {
      testsupport::takePlantingFailure();
      std::filesystem::create_directory(data / "h" / "haaaaaaa");
    }

    std::string umlaut = "J\xfcrgen";
    std::wstring password = upperCaseText(L"geheim");
    writeFileBytes(
        data / "um.dat",
        nativetest::usersFile(
            {{"Admin", kEmptyPasswordHash}, {umlaut, passwordHash(std::string(password.begin(), password.end()))}}, 2));
    open();
  }

  void open() {
    ReaderOptions options;
    options.codePage = "1252";
    ASSERT_TRUE(isOk(DatabaseFiles::open(dir_ / "srcsafe.ini", options, &files_)));
  }

  std::map<std::int32_t, std::string> versions(std::string_view physical, std::int32_t oldest = 1) {
    ItemFile item;
    EXPECT_TRUE(isOk(files_->readItem(physical, &item)));
    std::map<std::int32_t, std::string> seen;
    EXPECT_TRUE(isOk(files_->walkVersions(item, oldest, [&](std::int32_t v, const std::string& content) {
      seen[v] = content;
      return true;
    })));
    return seen;
  }

  testsupport::TempDir dir_;
  std::unique_ptr<DatabaseFiles> files_;
};

TEST_F(DatabaseFilesTest, FindsFilesWhateverTheirLetterCase) {
  ItemFile root;
  ASSERT_TRUE(isOk(files_->readItem("aaaaaaaa", &root)));
  EXPECT_EQ(root.physical, "AAAAAAAA");
  EXPECT_EQ(root.history[0].comment, "root");
  // The header names .B: the stale .a beside it is not read.
  std::vector<ProjectEntry> entries;
  ASSERT_TRUE(isOk(files_->readProjectEntries(root, &entries)));
  ASSERT_EQ(entries.size(), 2u);
  std::wstring name;
  ASSERT_TRUE(isOk(files_->resolveName(entries[0].name, &name)));
  EXPECT_EQ(name, L"long name.txt");
  ASSERT_TRUE(isOk(files_->resolveName(entries[1].name, &name)));
  EXPECT_EQ(name, L"branch.c");
}

TEST_F(DatabaseFilesTest, ReadsOnlyWhatIsAskedFor) {
  EXPECT_EQ(files_->filesRead(), 1u);
  ItemFile root;
  ASSERT_TRUE(isOk(files_->readItem("AAAAAAAA", &root)));
  EXPECT_EQ(files_->filesRead(), 2u);
  std::vector<ProjectEntry> entries;
  ASSERT_TRUE(isOk(files_->readProjectEntries(root, &entries)));
  EXPECT_EQ(files_->filesRead(), 3u);
  std::wstring name;
  ASSERT_TRUE(isOk(files_->resolveName(entries[1].name, &name)));  // a short name: names.dat not needed
  EXPECT_EQ(files_->filesRead(), 3u);
  ASSERT_TRUE(isOk(files_->resolveName(entries[0].name, &name)));
  ASSERT_TRUE(isOk(files_->resolveName(entries[0].name, &name)));
  EXPECT_EQ(files_->filesRead(), 4u);  // names.dat, once
}

TEST_F(DatabaseFilesTest, RebuildsVersionsAcrossABranch) {
  std::map<std::int32_t, std::string> plain = {{2, "v2\r\n"}, {1, "v1\r\n"}};
  EXPECT_EQ(versions("BAAAAAAA"), plain);
  std::map<std::int32_t, std::string> branched = {{4, "branch\r\n"}, {3, "v2\r\n"}, {2, "v2\r\n"}, {1, "v1\r\n"}};
  EXPECT_EQ(versions("CAAAAAAA"), branched);
  EXPECT_EQ(versions("CAAAAAAA", 3).size(), 2u);
  ItemFile branch;
  ASSERT_TRUE(isOk(files_->readItem("CAAAAAAA", &branch)));
  std::string content;
  ASSERT_TRUE(isOk(files_->contentAt(branch, 1, &content)));
  EXPECT_EQ(content, "v1\r\n");
  EXPECT_TRUE(failsWith(files_->contentAt(branch, 5, &content), ESS_VS_VERS_NOT_FOUND, L"has no version 5"));
  EXPECT_TRUE(failsWith(files_->contentAt(branch, 0, &content), ESS_VS_VERS_NOT_FOUND, L"has no version 0"));
}

TEST_F(DatabaseFilesTest, FailsCleanlyOnMissingOrDamagedFiles) {
  auto notFound = [](const wchar_t* path) { return testsupport::localPath(path + std::wstring(L"\" not found")); };
  ItemFile item;
  EXPECT_TRUE(failsWith(files_->readItem("DAAAAAAA", &item), ESS_FILE_NOTFOUND, notFound(L"data/d/daaaaaaa")));
  EXPECT_TRUE(failsWith(files_->readItem("BBAAAAAA", &item), ESS_FILE_NOTFOUND, notFound(L"data/b/bbaaaaaa")));
  EXPECT_TRUE(failsWith(files_->readItem("../../et", &item), ESS_CORRUPT, L"is not a physical item name"));
  EXPECT_TRUE(failsWith(files_->readItem("HAAAAAAA", &item), ESS_CORRUPT, L"not a regular file"));

  ASSERT_TRUE(isOk(files_->readItem("EAAAAAAA", &item)));
  std::string content;
  EXPECT_TRUE(failsWith(files_->readCurrentContent(item, &content), ESS_CORRUPT, L"its data file's checksum 0x"));

  auto walk = [&](std::string_view physical) {
    ItemFile file;
    EXPECT_TRUE(isOk(files_->readItem(physical, &file)));
    return files_->walkVersions(file, 1, [](std::int32_t, const std::string&) { return true; });
  };
  EXPECT_TRUE(failsWith(walk("FAAAAAAA"), ESS_CORRUPT, L"its branch source FAAAAAAA has no version 1"));
  EXPECT_TRUE(failsWith(walk("GAAAAAAA"), ESS_FILE_NOTFOUND, notFound(L"data/z/zaaaaaaa")));

  std::filesystem::remove(dir_ / "data" / "b" / "baaaaaaa.a");
  ASSERT_TRUE(isOk(files_->readItem("BAAAAAAA", &item)));
  EXPECT_TRUE(failsWith(files_->readCurrentContent(item, &content), ESS_FILE_NOTFOUND, L"baaaaaaa.a\" not found"));
}

// A file that does not hold together may have been read while SourceSafe
// wrote it: it is read again, a bounded number of times, before it counts
// as damaged. A file that is missing is not.
TEST_F(DatabaseFilesTest, ReadsAFileThatDoesNotHoldTogetherAgainBeforeGivingUp) {
  for (int attempts : {1, 3}) {
    SCOPED_TRACE(testing::Message() << attempts << " attempts");
    ReaderOptions options;
    options.codePage = "1252";
    options.readAttempts = attempts;
    options.retryPause = std::chrono::milliseconds(0);
    ASSERT_TRUE(isOk(DatabaseFiles::open(dir_ / "srcsafe.ini", options, &files_)));
    auto reads = [&](const std::function<Status()>& step) {
      std::size_t before = files_->filesRead();
      (void)step();
      return files_->filesRead() - before;
    };
    ItemFile item;
    ASSERT_TRUE(isOk(files_->readItem("EAAAAAAA", &item)));
    std::string content;
    EXPECT_EQ(reads([&] { return files_->readCurrentContent(item, &content); }), static_cast<std::size_t>(attempts));
    EXPECT_EQ(reads([&] { return files_->readItem("DAAAAAAA", &item); }), 0u);
    // The root's data file loses an entry: item file and data file are read again together.
    const std::filesystem::path rootData = dir_ / "data" / "A" / "AAAAAAAA.B";
    const std::string whole = testsupport::readFileBytes(rootData);
    std::filesystem::resize_file(rootData, 64);
    std::vector<ProjectEntry> entries;
    EXPECT_EQ(reads([&] { return files_->readProject("AAAAAAAA", &item, &entries); }),
              static_cast<std::size_t>(2 * attempts));
    EXPECT_TRUE(failsWith(files_->readProject("AAAAAAAA", &item, &entries), ESS_CORRUPT,
                          L"AAAAAAAA.B\" may be corrupt: it holds 1 entries (0 live subprojects), its project's header "
                          L"counts 2 (0)"));
    writeFileBytes(rootData, whole);
  }
}

// srcsafe.ini and um.dat are small files: a few megabytes at most.
TEST_F(DatabaseFilesTest, RefusesSettingsAndUserFilesBeyondAFewMegabytes) {
  writeFileBytes(dir_ / "data" / "um.dat", std::string(kMaxSettingsFileSize + 1, '\0'));
  std::vector<UserRecord> users;
  EXPECT_TRUE(failsWith(files_->readUsers(&users), ESS_CORRUPT, L"um.dat\" has more than 4194304 bytes"));
  writeFileBytes(dir_ / "srcsafe.ini", "Data_Path = data\r\n" + std::string(kMaxSettingsFileSize, ';'));
  EXPECT_TRUE(failsWith(DatabaseFiles::open(dir_ / "srcsafe.ini", ReaderOptions{}, &files_), ESS_CORRUPT,
                        L"srcsafe.ini\" has more than 4194304 bytes"));
  std::filesystem::remove(dir_ / "srcsafe.ini");
  QUILLGATE_PLANT_OR_SKIP(testsupport::makeFifo(dir_ / "srcsafe.ini"));
  EXPECT_TRUE(failsWith(DatabaseFiles::open(dir_ / "srcsafe.ini", ReaderOptions{}, &files_), ESS_CORRUPT,
                        L"srcsafe.ini\" is not a regular file"));
}

TEST_F(DatabaseFilesTest, ChecksLogins) {
  EXPECT_TRUE(isOk(files_->checkLogin(L"Admin", L"")));
  EXPECT_TRUE(isOk(files_->checkLogin(L"ADMIN", L"")));
  EXPECT_TRUE(isOk(files_->checkLogin(L"J\u00fcrgen", L"geheim")));
  EXPECT_TRUE(isOk(files_->checkLogin(L"J\u00dcRGEN", L"GeHeim")));
  EXPECT_TRUE(failsWith(files_->checkLogin(L"J\u00fcrgen", L""), ESS_UM_BAD_PASSWORD, L"Invalid password"));
  EXPECT_TRUE(failsWith(files_->checkLogin(L"Admin", L"\u82b1"), ESS_UM_BAD_PASSWORD, L"Invalid password"));
  EXPECT_TRUE(failsWith(files_->checkLogin(L"Guest", L""), ESS_UM_USER_NOT_FOUND, L"User \"Guest\" not found"));
}

TEST_F(DatabaseFilesTest, WorksOnAReadOnlyDatabaseAndChangesNothing) {
  std::filesystem::remove(dir_ / "data" / "h" / "haaaaaaa");
  auto snapshot = [&] {
    std::map<std::string, std::pair<std::uintmax_t, std::filesystem::file_time_type>> state;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.path())) {
      state[entry.path().string()] = {entry.is_regular_file() ? entry.file_size() : 0, entry.last_write_time()};
    }
    return state;
  };
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.path())) {
    std::filesystem::permissions(
        entry.path(), entry.is_directory() ? std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec
                                           : std::filesystem::perms::owner_read);
  }
  auto before = snapshot();
  open();
  std::vector<std::string> physicals;
  ASSERT_TRUE(isOk(files_->listItemFiles(&physicals)));
  EXPECT_EQ(physicals,
            (std::vector<std::string>{"AAAAAAAA", "BAAAAAAA", "CAAAAAAA", "EAAAAAAA", "FAAAAAAA", "GAAAAAAA"}));
  EXPECT_EQ(versions("CAAAAAAA").size(), 4u);
  EXPECT_TRUE(isOk(files_->checkLogin(L"Admin", L"")));
  EXPECT_EQ(snapshot(), before);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.path())) {
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
  }
}

TEST(DatabaseFilesOpenTest, FailsWithoutIniOrDataFolder) {
  testsupport::TempDir dir;
  std::unique_ptr<DatabaseFiles> files;
  ReaderOptions options;
  options.codePage = "1252";
  EXPECT_TRUE(failsWith(DatabaseFiles::open(dir / "srcsafe.ini", options, &files), ESS_FILE_NOTFOUND,
                        L"srcsafe.ini\" not found"));
  writeFileBytes(dir / "srcsafe.ini", "Data_Path = \\\\server\\vss\\data\r\n");
  EXPECT_TRUE(failsWith(DatabaseFiles::open(dir / "srcsafe.ini", options, &files), ESS_DATABASE_NOT_FOUND,
                        L"The SourceSafe database path \\\\server\\vss\\data does not exist. Please select another database."));
  std::filesystem::create_directory(dir / "data");
  ASSERT_TRUE(isOk(DatabaseFiles::open(dir / "srcsafe.ini", options, &files)));
  EXPECT_TRUE(files->dataFolder().fellBack);
  options.codePage = "no-such-code-page";
  EXPECT_TRUE(failsWith(DatabaseFiles::open(dir / "srcsafe.ini", options, &files), E_INVALIDARG, L"no-such-code-page"));
}

}  // namespace
}  // namespace ssapi::native

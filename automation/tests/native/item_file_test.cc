#include "native/item_file.h"

#include <fmt/xchar.h>
#include <gtest/gtest.h>

#include <functional>

#include "file_builder.h"
#include "ssapi/ssapi.h"
#include "status_assertions.h"

namespace ssapi::native {
namespace {

using nativetest::failsWith;
using nativetest::historyBody;
using nativetest::isOk;
using nativetest::ItemFileBuilder;
using nativetest::put16;
using nativetest::put32;
using nativetest::putName;
using nativetest::putText;
using nativetest::refreshCrc;

constexpr std::uint32_t kHeaderRecord = 0x34;
constexpr std::uint32_t kHeaderBody = 0x3C;

// A project with a creation, an added file and a label.
std::string projectFile() {
  ItemFileBuilder builder(ItemFileBuilder::kProject);
  putName(builder.header, 0x04, "Proj", true);
  putText(builder.header, 0x50, "$/", 260);
  putText(builder.header, 0x154, "aaaaaaaa", 12);  // SourceSafe once wrote it in lower case
  put16(builder.header, 0x160, 1);
  std::string create = historyBody(1);
  putName(create, 0x58, "Proj", true);
  putText(create, 0x80, "BAAAAAAA", 10);
  builder.addHistory(create, "first");
  std::string add = historyBody(3);
  putName(add, 0x58, "a.txt");
  putText(add, 0x80, "CAAAAAAA", 10);
  builder.addHistory(add);
  std::string label = historyBody(0);
  putText(label, 0x2C, "v1", 32);
  builder.addHistory(label, {}, "label text");
  return builder.build();
}

TEST(ItemFileTest, ReadsAProject) {
  ItemFile item;
  ASSERT_TRUE(isOk(parseItemFile(projectFile(), L"data/b/baaaaaaa", &item)));
  const ItemHeader& header = item.header;
  EXPECT_TRUE(header.isProject());
  EXPECT_EQ(header.firstVersion, 1);
  EXPECT_EQ(header.lastVersion, 3);
  EXPECT_EQ(header.name.shortName, "Proj");
  EXPECT_EQ(header.dataExtension, 'A');
  EXPECT_EQ(header.project.parentSpec, "$/");
  EXPECT_EQ(header.project.parentPhysical, "AAAAAAAA");
  EXPECT_EQ(header.project.totalItems, 1);
  EXPECT_EQ(header.eofOffset, item.bytes.size());
  ASSERT_EQ(item.history.size(), 3u);
  EXPECT_EQ(item.history[0].action, ActionCode::kCreateProject);
  EXPECT_EQ(item.history[0].comment, "first");
  EXPECT_EQ(item.history[1].physical, "CAAAAAAA");
  EXPECT_EQ(item.history[2].label, "v1");
  EXPECT_EQ(item.history[2].labelComment, "label text");
  EXPECT_EQ(item.record(2), &item.history[1]);
  EXPECT_EQ(item.record(0), nullptr);
  EXPECT_EQ(item.record(4), nullptr);
}

TEST(ItemFileTest, ReadsAFileWithItsLinks) {
  ItemFileBuilder builder(ItemFileBuilder::kFile);
  put16(builder.header, 0x50, kFileBinary | kFileShared);
  put32(builder.header, 0x70, 0x12345678);
  put16(builder.header, 0x98, 1);
  builder.addParent("BAAAAAAA");
  builder.addParent("");  // blanked when a branch broke the link
  std::string create = historyBody(16);
  putName(create, 0x58, "a.bin");
  putText(create, 0x80, "CAAAAAAA", 10);
  builder.addHistory(create, "added");
  builder.addParent("DAAAAAAA");
  std::string branch(0x10, '\0');
  putText(branch, 4, "EAAAAAAA", 12);
  std::uint32_t branchOffset = builder.add("BF", branch);
  put32(builder.header, 0x5C, branchOffset);
  ItemFile item;
  ASSERT_TRUE(isOk(parseItemFile(builder.build(), L"f", &item)));
  EXPECT_FALSE(item.header.isProject());
  EXPECT_TRUE(item.header.file.binary());
  EXPECT_TRUE(item.header.file.shared());
  EXPECT_FALSE(item.header.file.checkedOut());
  EXPECT_EQ(item.header.file.dataCrc, 0x12345678u);
  EXPECT_EQ(item.header.file.contentKind, 1);
  EXPECT_EQ(item.parents, (std::vector<std::string>{"DAAAAAAA", "BAAAAAAA"}));
  EXPECT_EQ(item.branches, (std::vector<std::string>{"EAAAAAAA"}));
  ASSERT_EQ(item.history.size(), 1u);
  EXPECT_EQ(item.history[0].comment, "added");
}

TEST(ItemFileTest, ExtensionIsTakenInEitherCase) {
  for (const char* ext : {".a", ".A", ".b", ".B"}) {
    SCOPED_TRACE(ext);
    std::string file = projectFile();
    putText(file, kHeaderBody + 0x2E, ext, 2);
    refreshCrc(file, kHeaderRecord);
    ItemFile item;
    ASSERT_TRUE(isOk(parseItemFile(file, L"f", &item)));
    EXPECT_EQ(item.header.dataExtension, (ext[1] == 'a' || ext[1] == 'A') ? 'A' : 'B');
  }
}

TEST(ItemFileTest, BytesAfterTheEndOfDataAreIgnored) {
  std::string file = projectFile() + "leftover garbage from an older, longer file";
  ItemFile item;
  EXPECT_TRUE(isOk(parseItemFile(file, L"f", &item)));
}

// Each row damages a good project file in one way.
TEST(ItemFileTest, RefusesDamagedFiles) {
  struct Row {
    const char* name;
    std::function<void(std::string&)> damage;
    std::wstring message;
  };
  const std::string good = projectFile();
  const std::uint32_t lastRecord = [&] {
    ItemFile item;
    EXPECT_TRUE(isOk(parseItemFile(good, L"f", &item)));
    return item.header.lastRecordOffset;
  }();
  auto header16 = [](std::size_t offset, std::uint16_t value) {
    return [=](std::string& f) {
      put16(f, kHeaderBody + offset, value);
      refreshCrc(f, kHeaderRecord);
    };
  };
  auto header32 = [](std::size_t offset, std::uint32_t value) {
    return [=](std::string& f) {
      put32(f, kHeaderBody + offset, value);
      refreshCrc(f, kHeaderRecord);
    };
  };
  const Row rows[] = {
      {"shorter than the file header", [](std::string& f) { f.resize(0x20); }, L"too few for its header"},
      {"no signature", [](std::string& f) { f[0] = 's'; }, L"no SourceSafe signature at offset 0x0"},
      {"unknown item type", [](std::string& f) { put16(f, 0x20, 3); }, L"unknown item type 3 at offset 0x20"},
      {"format version 5", [](std::string& f) { put16(f, 0x22, 5); }, L"unknown format version 5"},
      {"item header cut off", [](std::string& f) { f.resize(0x100); }, L"\"DH\" record of 0x164 bytes runs past"},
      {"item header damaged", [](std::string& f) { f[0x50] ^= 1; }, L"bad checksum of the \"DH\" record"},
      {"header type differs", header16(0x00, 2), L"item header's type 2 differs from the file's 1"},
      {"extension not A or B",
       [](std::string& f) {
         putText(f, kHeaderBody + 0x2E, ".C", 2);
         refreshCrc(f, kHeaderRecord);
       },
       L"extension \".C\" is neither"},
      {"first version 0", header16(0x2C, 0), L"versions 0 to 3 make no sense"},
      {"last version before the first", header16(0x02, 0), L"versions 1 to 0 make no sense"},
      {"truncated file", [](std::string& f) { f.resize(f.size() - 10); }, L"the data ends at 0x"},
      {"end inside the header", header32(0x38, 0x100), L"inside the header"},
      {"more versions than records", header16(0x02, 9), L"holds version 3 where version 9 was expected"},
      {"more versions than could fit", header16(0x02, 0xFFFF), L"counts 65535 versions, more than the file can hold"},
      {"last record offset past the end", header32(0x34, 0x10000), L"header of the \"EL\" record runs past the end"},
      {"last record offset at a comment", header32(0x34, 0x1A0 + 8 + 0x194), L"expected a \"EL\" record, found \"MC\""},
      {"history record damaged", [=](std::string& f) { f[lastRecord + 8 + 0x20] ^= 0x55; },
       L"bad checksum of the \"EL\" record"},
      {"chain pointing forward",
       [=](std::string& f) {
         put32(f, lastRecord + 8, lastRecord);
         refreshCrc(f, lastRecord);
       },
       fmt::format(L"points at 0x{:x} for the version before", lastRecord)},
      {"first record not where the header says", header32(0x30, 0x1A4), L"is not where the item header says"},
      {"unknown action code",
       [=](std::string& f) {
         put16(f, lastRecord + 8 + 4, 40);
         refreshCrc(f, lastRecord);
       },
       L"unknown action code 40"},
      {"lower-case parent not a name",
       [](std::string& f) {
         putText(f, kHeaderBody + 0x154, "a/b", 12);
         refreshCrc(f, kHeaderRecord);
       },
       L"parent project's name is not a physical name"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::string file = good;
    row.damage(file);
    ItemFile item;
    EXPECT_TRUE(failsWith(parseItemFile(file, L"data/b/baaaaaaa", &item), ESS_CORRUPT, row.message));
    EXPECT_TRUE(failsWith(parseItemFile(file, L"data/b/baaaaaaa", &item), ESS_CORRUPT, L"\"data/b/baaaaaaa\""));
  }
}

TEST(ItemFileTest, RefusesDamagedParentLinks) {
  struct Row {
    const char* name;
    std::string physical;
    bool forward;
    std::wstring message;
  };
  const Row rows[] = {
      {"not a name", "BA/AAAAA", false, L"\"PF\" record holds no physical name"},
      {"pointing forward", "BAAAAAAA", true, L"\"PF\" record points forward"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ItemFileBuilder builder(ItemFileBuilder::kFile);
    std::uint32_t parent = builder.addParent(row.physical);
    std::string create = historyBody(16);
    builder.addHistory(create);
    std::string file = builder.build();
    if (row.forward) {
      put32(file, parent + 8, parent + 0x20);
      refreshCrc(file, parent);
    }
    ItemFile item;
    EXPECT_TRUE(failsWith(parseItemFile(file, L"f", &item), ESS_CORRUPT, row.message));
  }
}

TEST(ItemFileTest, BranchedFileStartsAtItsBranchVersion) {
  ItemFileBuilder builder(ItemFileBuilder::kFile, 5);
  putText(builder.header, 0x52, "BAAAAAAA", 10);
  builder.addParent("DAAAAAAA");
  std::string branch = historyBody(19);
  putName(branch, 0x58, "x.c");
  putText(branch, 0x80, "CAAAAAAA", 10);
  putText(branch, 0x8A, "BAAAAAAA", 10);
  builder.addHistory(branch);
  builder.addHistory(historyBody(17));
  ItemFile item;
  ASSERT_TRUE(isOk(parseItemFile(builder.build(), L"f", &item)));
  EXPECT_EQ(item.header.firstVersion, 5);
  EXPECT_EQ(item.header.lastVersion, 6);
  EXPECT_EQ(item.header.file.branchSource, "BAAAAAAA");
  EXPECT_EQ(item.record(5)->action, ActionCode::kCreateBranch);
  EXPECT_EQ(item.record(4), nullptr);
}

}  // namespace
}  // namespace ssapi::native

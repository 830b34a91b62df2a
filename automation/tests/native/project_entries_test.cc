#include "native/project_entries.h"

#include <gtest/gtest.h>

#include "file_builder.h"
#include "ssapi/ssapi.h"
#include "status_assertions.h"

namespace ssapi::native {
namespace {

using nativetest::entryRecord;
using nativetest::failsWith;
using nativetest::isOk;

TEST(ProjectEntriesTest, ReadsEveryEntryDeletedOnesIncluded) {
  std::string file = entryRecord(2, "a.txt", "CAAAAAAA", kEntryShared | 0x200, 3) + entryRecord(1, "Sub", "baaaaaaa") +
                     entryRecord(2, "a.txt", "DAAAAAAA", kEntryDeleted | kEntryBinary, 0, 0x58);
  std::vector<ProjectEntry> entries;
  ASSERT_TRUE(isOk(parseProjectEntries(file, L"f", &entries)));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].kind, ItemKind::kFile);
  EXPECT_EQ(entries[0].name.shortName, "a.txt");
  EXPECT_EQ(entries[0].pinnedVersion, 3);
  EXPECT_TRUE(entries[0].shared());
  EXPECT_FALSE(entries[0].deleted());
  EXPECT_EQ(entries[0].contentKind(), 2);
  EXPECT_EQ(entries[1].kind, ItemKind::kProject);
  EXPECT_TRUE(entries[1].name.isProject());
  EXPECT_EQ(entries[1].physical, "BAAAAAAA");
  EXPECT_EQ(entries[1].offset, 0x40u);
  EXPECT_TRUE(entries[2].deleted());
  EXPECT_TRUE(entries[2].binary());
  EXPECT_EQ(entries[2].name.namesOffset, 0x58u);
}

TEST(ProjectEntriesTest, EmptyProjectHasNoEntries) {
  std::vector<ProjectEntry> entries(1);
  ASSERT_TRUE(isOk(parseProjectEntries("", L"f", &entries)));
  EXPECT_TRUE(entries.empty());
}

TEST(ProjectEntriesTest, RefusesDamagedEntries) {
  const std::string good = entryRecord(2, "a.txt", "CAAAAAAA");
  struct Row {
    const char* name;
    std::string file;
    std::wstring message;
  };
  std::string badCrc = good + good;
  badCrc[0x40 + 12] ^= 1;
  std::string shortBody = nativetest::record("JP", std::string(0x30, '\0'));
  const Row rows[] = {
      {"cut off", good + good.substr(0, 20), L"runs past the end of the data (0x54) at offset 0x40"},
      {"bad checksum", badCrc, L"bad checksum of the \"JP\" record (stored"},
      {"not an entry", good + nativetest::record("EL", "x"), L"expected a \"JP\" record, found \"EL\" at offset 0x40"},
      {"too short", shortBody, L"project entry of 0x30 bytes is too short"},
      {"unknown type", entryRecord(3, "a", "CAAAAAAA"), L"unknown type 3"},
      {"no physical name", entryRecord(2, "a", ""), L"holds no physical name"},
      {"a path for a physical name", entryRecord(2, "a", "../../x"), L"holds no physical name"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<ProjectEntry> entries;
    EXPECT_TRUE(failsWith(parseProjectEntries(row.file, L"data/a/aaaaaaaa.a", &entries), ESS_CORRUPT, row.message));
  }
}

// The header's counts against the entries: every entry, deleted ones
// included, and the live subprojects only.
TEST(ProjectEntriesTest, EntriesMustAgreeWithTheHeadersCounts) {
  std::vector<ProjectEntry> entries;
  ASSERT_TRUE(isOk(parseProjectEntries(entryRecord(2, "a.txt", "CAAAAAAA") + entryRecord(1, "Sub", "BAAAAAAA") +
                                           entryRecord(1, "Gone", "DAAAAAAA", kEntryDeleted),
                                       L"f", &entries)));
  struct Row {
    std::uint16_t total;
    std::uint16_t subprojects;
    bool agrees;
  };
  const Row rows[] = {{3, 1, true}, {2, 1, false}, {4, 1, false}, {3, 2, false}, {3, 0, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.total << " entries, " << row.subprojects << " subprojects");
    ProjectHeader header;
    header.totalItems = row.total;
    header.subprojects = row.subprojects;
    Status status = checkEntryCounts(header, entries, L"/db/data/b/baaaaaaa.a");
    if (row.agrees) {
      EXPECT_TRUE(isOk(status));
    } else {
      EXPECT_TRUE(failsWith(status, ESS_CORRUPT, L"File \"/db/data/b/baaaaaaa.a\" may be corrupt: it holds 3 entries"));
    }
  }
}

}  // namespace
}  // namespace ssapi::native

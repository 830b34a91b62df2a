#include "util/rename_map.h"

#include <gtest/gtest.h>

#include "log_capture.h"

namespace util {
namespace {

struct Row {
  const char* name;
  std::vector<std::pair<std::wstring, std::wstring>> pairs;  // in the order added
  std::wstring input;
  std::wstring expected;
};

TEST(RenameMapTest, MapsThroughEveryPairNewestFirst) {
  const std::vector<std::pair<std::wstring, std::wstring>> first = {{L"$/cC", L"$/C"}, {L"$/cC/cccc", L"$/cC/bbbb"}};
  const Row rows[] = {
      {"case-sensitive prefix, chaining", first, L"$/cC/bbbb", L"$/C/bbbb"},
      {"same map, renamed file", first, L"$/cC/cccc", L"$/C/bbbb"},
      {"same map, deep path", first, L"$/cC/a/b/c/d", L"$/C/a/b/c/d"},
      {"test_02", {{L"Z/Xx/Y", L"Z/Xx/Yy"}, {L"Z/X", L"Z/Xx"}}, L"Z/X/Y/f", L"Z/Xx/Yy/f"},
      // The older pair does not apply: Z/Xx/Yy/f is not under Z/X.
      {"test_03", {{L"Z/X", L"Z/Xx"}, {L"Z/X/Y", L"Z/Xx/Yy"}}, L"Z/X/Y/f", L"Z/Xx/Yy/f"},
      {"other case is no match", first, L"$/cc/x", L"$/cc/x"},
      {"sibling with longer name", first, L"$/cCx", L"$/cCx"},
      {"empty map", {}, L"$/a", L"$/a"},
      {"prefix with trailing slash", {{L"$/a/", L"$/b/"}}, L"$/a/f", L"$/b/f"},
  };
  for (const auto& row : rows) {
    RenameMap map;
    for (const auto& [prefix, replacement] : row.pairs) map.addRename(prefix, replacement);
    EXPECT_EQ(map.mapPath(row.input), row.expected) << row.name;
  }
}

TEST(RenameMapTest, NewestPairComesFirst) {
  RenameMap map;
  map.addRename(L"$/a", L"$/b");
  map.addRename(L"$/b", L"$/c");
  ASSERT_EQ(map.renames().size(), 2u);
  EXPECT_EQ(map.renames()[0].first, L"$/b");
  // $/a -> $/b only: the pair $/b -> $/c was looked at before.
  EXPECT_EQ(map.mapPath(L"$/a/f"), L"$/b/f");
  EXPECT_EQ(map.mapPath(L"$/b/f"), L"$/c/f");
}

TEST(RenameMapTest, IsRenamedLooksAtPrefixesAndReplacements) {
  RenameMap map;
  map.addRename(L"$/old", L"$/new");
  EXPECT_TRUE(map.isRenamed(L"$/old"));
  EXPECT_TRUE(map.isRenamed(L"$/old/f"));
  EXPECT_TRUE(map.isRenamed(L"$/new/f"));
  EXPECT_FALSE(map.isRenamed(L"$/older"));
  EXPECT_FALSE(map.isRenamed(L"$/"));
  EXPECT_FALSE(RenameMap().isRenamed(L"$/old"));
}

TEST(RenameMapTest, LogsEveryMappingAtDebug) {
  LogCapture capture;
  RenameMap map;
  map.addRename(L"$/a", L"$/b");
  map.mapPath(L"$/a/f");
  map.mapPath(L"$/x");
  EXPECT_EQ(capture.text(), L"RenameMap Debug - Mapped: $/a/f -> $/b/f\r\nRenameMap Debug - Mapped: $/x -> $/x\r\n");
}

}  // namespace
}  // namespace util

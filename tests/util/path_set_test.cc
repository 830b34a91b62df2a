#include "util/path_set.h"

#include <gtest/gtest.h>

namespace util {
namespace {

TEST(PathSetTest, ContainsPathOfLooksAtAncestorsAndSelf) {
  PathSet set;
  set.insert(L"$/A/B/C");
  struct Row {
    const wchar_t* label;
    const wchar_t* spec;
    bool expected;
  };
  const Row rows[] = {
      {L"Contains $/A/B/C", L"$/A/B/C", true},
      {L"Contains $/A/B/C/E", L"$/A/B/C/E", true},
      {L"Contains $/A/B/C/eee/rr/rssssr", L"$/A/B/C/eee/rr/rssssr", true},
      {L"Contains $/A/B/C/", L"$/A/B/C/", true},
      {L"Not contains $/A/B/Cc", L"$/A/B/Cc", false},
      {L"Not contains $/A/B/Cc/", L"$/A/B/Cc/", false},
      {L"Not contains $/A/B/Cc/ddd", L"$/A/B/Cc/ddd", false},
      {L"parent", L"$/A/B", false},
      {L"other case", L"$/a/b/c/d", false},
  };
  for (const auto& row : rows) EXPECT_EQ(set.containsPathOf(row.spec), row.expected) << row.label;
}

TEST(PathSetTest, RootAndShortSpecsAreNeverFound) {
  PathSet set;
  set.insert(L"$/");
  set.insert(L"$");
  set.insert(L"ab");
  EXPECT_FALSE(set.containsPathOf(L"$/"));
  EXPECT_FALSE(set.containsPathOf(L"$/A"));
  EXPECT_FALSE(set.containsPathOf(L"ab"));
  EXPECT_TRUE(set.contains(L"$/"));
}

TEST(PathSetTest, TrailingSlashEntryIsNeverACandidate) {
  PathSet set;
  set.insert(L"$/A/");
  EXPECT_FALSE(set.containsPathOf(L"$/A/"));
  EXPECT_FALSE(set.containsPathOf(L"$/A/x"));
}

TEST(PathSetTest, ExactMembershipAndClear) {
  PathSet set;
  set.insert(L"$/A");
  set.insert(L"$/A");
  EXPECT_EQ(set.size(), 1u);
  EXPECT_TRUE(set.contains(L"$/A"));
  EXPECT_FALSE(set.contains(L"$/A/B"));
  EXPECT_TRUE(set.containsPathOf(L"$/A/B"));
  set.clear();
  EXPECT_TRUE(set.empty());
  EXPECT_FALSE(set.containsPathOf(L"$/A/B"));
}

}  // namespace
}  // namespace util

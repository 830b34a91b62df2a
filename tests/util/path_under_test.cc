#include "util/path_under.h"

#include <gtest/gtest.h>

namespace util {
namespace {

TEST(PathUnderTest, Cases) {
  struct Row {
    const wchar_t* path;
    const wchar_t* base;
    bool expected;
  };
  const Row rows[] = {
      {L"$/A/B", L"$/A/B", true},
      {L"$/A/B/c.txt", L"$/A/B", true},
      {L"$/A/B/", L"$/A/B", true},
      // The length test comes before the trimming.
      {L"$/A/B", L"$/A/B/", false},
      {L"$/A/Bc", L"$/A/B", false},
      {L"$/a/b", L"$/A", false},
      {L"$/A", L"$/A/B", false},
      {L"$/A//", L"$/A/", true},
      {L"$/A/B", L"$/", true},
      {L"$/A/B", L"$", true},
      {L"", L"", true},
      {L"$/A", L"", false},
      {L"/A", L"", true},
      {L"Z/Xx/Yy/f", L"Z/X", false},
      {L"Z/X/Y/f", L"Z/X", true},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(isPathUnder(row.path, row.base), row.expected) << "path " << row.path << " base " << row.base;
  }
}

}  // namespace
}  // namespace util

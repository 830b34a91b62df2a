#include "util/path_map.h"

#include <gtest/gtest.h>

#include "log_capture.h"

namespace util {
namespace {

TEST(PathMapTest, TouchedDeletedCovered) {
  PathMap map;
  map.markTouched(L"$/p/a.txt");
  map.markDeleted(L"$/p/gone");
  map.markCovered(L"$/p/added");

  EXPECT_TRUE(map.isTouched(L"$/p/a.txt"));
  EXPECT_FALSE(map.isTouched(L"$/p/a.txt/x"));  // touched is exact
  EXPECT_TRUE(map.isTouched(L"$/p/gone"));      // deleted counts as touched
  EXPECT_FALSE(map.isTouched(L"$/p/gone/x"));
  EXPECT_TRUE(map.isTouched(L"$/p/added"));
  EXPECT_TRUE(map.isTouched(L"$/p/added/deep/f"));
  EXPECT_FALSE(map.isTouched(L"$/p/addedx"));

  EXPECT_TRUE(map.isUnderDeleted(L"$/p/gone"));
  EXPECT_TRUE(map.isUnderDeleted(L"$/p/gone/x"));
  EXPECT_FALSE(map.isUnderDeleted(L"$/p/a.txt"));

  EXPECT_TRUE(map.isTouchedOrDeleted(L"$/p/gone/x"));
  EXPECT_TRUE(map.isTouchedOrDeleted(L"$/p/added/f"));
  EXPECT_FALSE(map.isTouchedOrDeleted(L"$/p/other"));
}

TEST(PathMapTest, ClearKeepsCoveredFolders) {
  PathMap map;
  map.markDeleted(L"$/p/gone");
  map.markTouched(L"$/p/a");
  map.markCovered(L"$/p/added");
  map.clear();
  EXPECT_FALSE(map.isTouched(L"$/p/gone"));
  EXPECT_FALSE(map.isUnderDeleted(L"$/p/gone"));
  EXPECT_FALSE(map.isTouched(L"$/p/a"));
  EXPECT_TRUE(map.isTouched(L"$/p/added/f"));
}

TEST(PathMapTest, LogsMarks) {
  LogCapture capture;
  PathMap map;
  map.markTouched(L"$/a");
  map.markDeleted(L"$/b");
  map.markCovered(L"$/c");
  EXPECT_EQ(capture.text(),
            L"PathMap Debug - Touched $/a\r\n"
            L"PathMap Debug - Deleted $/b\r\n"
            L"PathMap Debug - Touched $/b\r\n");
}

}  // namespace
}  // namespace util

#include "native/delta.h"

#include <gtest/gtest.h>

#include "file_builder.h"
#include "ssapi/ssapi.h"
#include "status_assertions.h"

namespace ssapi::native {
namespace {

using nativetest::copyOp;
using nativetest::failsWith;
using nativetest::insertOp;
using nativetest::isOk;
using nativetest::stopOp;

Status apply(const std::string& delta, std::string_view newer, std::string* older,
             std::size_t maxSize = kMaxContentSize) {
  return applyReverseDelta(delta, newer, maxSize, L"data/b/baaaaaaa", 0x400, older);
}

TEST(DeltaTest, RebuildsTheOlderVersion) {
  struct Row {
    const char* name;
    std::string delta;
    std::string older;
  };
  const std::string newer = "Hello, brave new world\r\n";
  const Row rows[] = {
      {"copy and insert", copyOp(0, 7) + insertOp("old") + copyOp(16, 8) + stopOp(), "Hello, old world\r\n"},
      // Copies need not go forwards through the newer version.
      {"copies in any order", copyOp(17, 5) + copyOp(0, 5) + stopOp(), "worldHello"},
      {"the same range twice", copyOp(0, 5) + copyOp(0, 5) + stopOp(), "HelloHello"},
      {"a lone stop is an empty version", stopOp(), ""},
      {"no stop: the record's end ends it", insertOp("abc") + copyOp(0, 1), "abcH"},
      {"empty delta", "", ""},
      {"bytes after the stop are not read", insertOp("x") + stopOp() + "\x07garbage", "x"},
      {"empty copy at the very end", copyOp(24, 0) + stopOp(), ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::string older = "previous";
    ASSERT_TRUE(isOk(apply(row.delta, newer, &older)));
    EXPECT_EQ(older, row.older);
  }
}

TEST(DeltaTest, RefusesDamagedDeltas) {
  struct Row {
    const char* name;
    std::string delta;
    std::wstring message;
  };
  const Row rows[] = {
      {"operation cut off", insertOp("ab") + std::string(11, '\0'),
       L"cut off by the end of its record at offset 0x416"},
      {"insert past the record", insertOp("abcdef").substr(0, 15),
       L"insert of 0x6 bytes runs past the end of its record at offset 0x408"},
      {"copy past the newer version", copyOp(3, 8) + stopOp(),
       L"copies 0x8 bytes from 0x3 of a version of 0xa bytes at offset 0x408"},
      {"copy starting past the newer version", copyOp(11, 0) + stopOp(), L"copies 0x0 bytes from 0xb"},
      {"copy with a wrapping range", copyOp(5, 0xFFFFFFFF) + stopOp(), L"copies 0xffffffff bytes"},
      {"unknown command", insertOp("a") + std::string("\x03\x00", 2) + std::string(10, '\0'),
       L"unknown delta operation 3 at offset 0x415"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::string older = "unchanged";
    EXPECT_TRUE(failsWith(apply(row.delta, "0123456789", &older), ESS_CORRUPT, row.message));
    EXPECT_EQ(older, "unchanged");
  }
}

TEST(DeltaTest, NeverBuildsMoreThanTheLimit) {
  std::string delta;
  for (int i = 0; i < 100; ++i) delta += copyOp(0, 10);
  std::string older;
  EXPECT_TRUE(isOk(apply(delta, "0123456789", &older, 1000)));
  EXPECT_EQ(older.size(), 1000u);
  EXPECT_TRUE(failsWith(apply(delta + insertOp("x"), "0123456789", &older, 1000), ESS_CORRUPT,
                        L"makes a version larger than 0x3e8 bytes"));
}

}  // namespace
}  // namespace ssapi::native

#include "native/crc.h"

#include <gtest/gtest.h>

#include <string>

namespace ssapi::native {
namespace {

TEST(CrcTest, MatchesSourceSafesVariantNotZlibs) {
  struct Row {
    std::string body;
    std::uint32_t crc32;
    std::uint16_t stored;
  };
  const Row rows[] = {
      {"123456789", 0x2DFD2D88u, 0x0075},
      {"abc", 0xCA6598D0u, 0x52B5},
      {std::string(16, '\0'), 0, 0},
      {"", 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.body);
    EXPECT_EQ(crc32(row.body), row.crc32);
    EXPECT_EQ(recordCrc(row.body), row.stored);
  }
  EXPECT_NE(crc32("123456789"), 0xCBF43926u);  // zlib's value
}

TEST(CrcTest, ContinuesOverPieces) { EXPECT_EQ(updateCrc32(crc32("1234"), "56789"), crc32("123456789")); }

}  // namespace
}  // namespace ssapi::native

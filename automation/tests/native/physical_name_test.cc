#include "native/physical_name.h"

#include <gtest/gtest.h>

namespace ssapi::native {
namespace {

TEST(PhysicalNameTest, NumbersAreBase26LeastSignificantFirst) {
  struct Row {
    const char* name;
    std::uint32_t number;
  };
  const Row rows[] = {{"AAAAAAAA", 0}, {"BAAAAAAA", 1}, {"TBAAAAAA", 45}, {"ZZAAAAAA", 675}, {"abaaaaaa", 26}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(physicalNumber(row.name), row.number);
  }
  EXPECT_EQ(physicalNameOf(45), "TBAAAAAA");
  EXPECT_EQ(physicalNameOf(physicalNumber("QWERTYUI")), "QWERTYUI");
}

TEST(PhysicalNameTest, FieldsHoldEightLettersOrNothing) {
  struct Row {
    std::string field;
    std::optional<std::string> name;
  };
  const Row rows[] = {
      {std::string("abcdaaaa\0\x7fx", 11), "ABCDAAAA"},  // padding after the NUL is junk
      {std::string(10, '\0'), ""},
      {"ABCDAAA", std::nullopt},
      {"ABCDAAAAA", std::nullopt},
      {"..\\..\\ab", std::nullopt},
      {"ABC AAAA", std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.field);
    EXPECT_EQ(readPhysicalName(row.field, 0, 10), row.name);
  }
  EXPECT_TRUE(isPhysicalName("abcdEFGH"));
  EXPECT_FALSE(isPhysicalName("abcdEFG1"));
}

}  // namespace
}  // namespace ssapi::native

#include "native/users_file.h"

#include <gtest/gtest.h>

#include "file_builder.h"
#include "ssapi/ssapi.h"
#include "status_assertions.h"

namespace ssapi::native {
namespace {

using nativetest::failsWith;
using nativetest::isOk;

TEST(UsersFileTest, PasswordHashMatchesKnownValues) {
  struct Row {
    const char* password;  // as typed
    std::uint16_t hash;
  };
  // Published examples, and users of the real databases whose password is
  // their own name (any spelling matches, as the password is upper-cased).
  const Row rows[] = {
      {"", 0x6E90}, {"adad", 0x6DAF}, {"Password", 0x6A10}, {"Hhc", 0x6EDB}, {"dhaval", 0x6D27},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.password);
    std::wstring typed(row.password, row.password + std::strlen(row.password));
    std::wstring upper = upperCaseText(typed);
    EXPECT_EQ(passwordHash(std::string(upper.begin(), upper.end())), row.hash);
  }
  EXPECT_EQ(kEmptyPasswordHash, 0x6E90);
}

TEST(UsersFileTest, OnlyTheFirstFifteenBytesCount) {
  EXPECT_EQ(passwordHash("ABCDEFGHIJKLMNO"), passwordHash("ABCDEFGHIJKLMNOPQRST"));
  EXPECT_NE(passwordHash("ABCDEFGHIJKLMN"), passwordHash("ABCDEFGHIJKLMNO"));
}

TEST(UsersFileTest, BytesAboveAsciiAreSignExtended) {
  // 0xC4 sign-extends to 0xFFFFFFC4; XOR 0x96 = 0xFFFFFF52. Position 1.
  std::uint32_t expected = 0xFFFFFF52u;
  const char filler[] = "BrianDavidHarry";
  for (int i = 1; i < 15; ++i)
    expected += static_cast<std::uint32_t>(i + 1) * (static_cast<std::uint8_t>(filler[i - 1]) ^ 0x96u);
  EXPECT_EQ(passwordHash("\xC4"), static_cast<std::uint16_t>(expected & 0xFFFF));
}

TEST(UsersFileTest, UpperCasesLikeWindows) {
  EXPECT_EQ(upperCaseText(L"abz\u00e9\u00ff\u0161\u03b1\u0430\u0451\u4e2d\u00f7"),
            L"ABZ\u00c9\u0178\u0160\u0391\u0410\u0401\u4e2d\u00f7");
}

TEST(UsersFileTest, ReadsOnlyTheCountedUsers) {
  // A deleted user leaves a stale copy behind the counted records.
  std::string file = nativetest::usersFile({{"Admin", 0x6E90}, {"Guest", 0x6E90}, {"Guest", 0x1234}}, 2);
  std::vector<UserRecord> users;
  ASSERT_TRUE(isOk(parseUsersFile(file, L"um.dat", &users)));
  ASSERT_EQ(users.size(), 2u);
  EXPECT_EQ(users[0].name, "Admin");
  EXPECT_EQ(users[1].passwordHash, 0x6E90);
  EXPECT_FALSE(users[1].readOnly());
}

TEST(UsersFileTest, RefusesDamage) {
  const std::string good = nativetest::usersFile({{"Admin", 0x6E90}}, 1);
  struct Row {
    const char* name;
    std::string file;
    std::wstring message;
  };
  std::string badCrc = good;
  badCrc[0x7C + 8] ^= 1;
  std::string noSignature = good;
  noSignature[0] = 'X';
  const Row rows[] = {
      {"header only", good.substr(0, 0x20), L"too few for its header"},
      {"no signature", noSignature, L"no user-file signature"},
      {"more users counted than present", nativetest::usersFile({{"Admin", 0x6E90}}, 2),
       L"header of the \"UU\" record runs past the end"},
      {"user record damaged", badCrc, L"bad checksum of the \"UU\" record (stored"},
      {"user record cut", good.substr(0, good.size() - 1), L"\"UU\" record of 0x38 bytes runs past the end"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<UserRecord> users;
    EXPECT_TRUE(failsWith(parseUsersFile(row.file, L"data/um.dat", &users), ESS_CORRUPT, row.message));
  }
}

}  // namespace
}  // namespace ssapi::native

#include "platform/system_registry.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/com_registry.h"
#include "platform/text_encoding.h"
#include "support/registry.h"
#include "support/special_files.h"

namespace platform {
namespace {

constexpr const wchar_t* kSubKey = L"Software\\quillgate-test\\InprocServer32";
constexpr const wchar_t* kKey = L"HKEY_CURRENT_USER\\Software\\quillgate-test\\InprocServer32";

class SystemRegistryTest : public ::testing::Test {
 protected:
  void TearDown() override {
    testsupport::removeUserRegistryKey(kSubKey);
    testsupport::removeUserRegistryKey(L"Software\\quillgate-test");
    removeRegistryValue(kKey);
  }
};

// What a library in this process installed answers before the system.
TEST_F(SystemRegistryTest, ValuesInstalledInTheProcessAnswerFirst) {
  setRegistryValue(kKey, L"ours");
  EXPECT_EQ(readRegistryValue(kKey), L"ours");
  removeRegistryValue(kKey);
  EXPECT_EQ(readRegistryValue(kKey), std::nullopt);
}

TEST_F(SystemRegistryTest, KeysThatNameNoRootKeyAreNothing) {
  EXPECT_EQ(readSystemRegistryValue(L""), std::nullopt);
  EXPECT_EQ(readSystemRegistryValue(L"HKEY_NOWHERE\\Software"), std::nullopt);
  EXPECT_EQ(readSystemRegistryValue(L"HKEY_CURRENT_USER\\Software\\quillgate-test\\missing"), std::nullopt);
}

// A string value (plain or expandable, not expanded) with its terminating
// zero reads; any other type, or a string without its zero, does not.
TEST_F(SystemRegistryTest, ReadsTheDefaultStringValueOfAKey) {
  const std::string path = wideToUtf16le(L"C:\\Program Files\\VSS\\win32\\ssapi.dll");
  const std::string zero(2, '\0');
  struct Row {
    const char* name;
    unsigned long type;
    std::string bytes;
    std::optional<std::wstring> expected;
  };
  const Row rows[] = {
      {"REG_SZ", 1, path + zero, L"C:\\Program Files\\VSS\\win32\\ssapi.dll"},
      {"REG_EXPAND_SZ", 2, wideToUtf16le(L"%SystemRoot%\\ssapi.dll") + zero, L"%SystemRoot%\\ssapi.dll"},
      {"empty REG_SZ", 1, zero, L""},
      {"REG_SZ without its zero", 1, path, std::nullopt},
      {"REG_DWORD", 4, std::string(4, '\x01'), std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    QUILLGATE_PLANT_OR_SKIP(testsupport::writeUserRegistryValue(kSubKey, row.type, row.bytes));
    EXPECT_EQ(readSystemRegistryValue(kKey), row.expected);
    EXPECT_EQ(readRegistryValue(kKey), row.expected);
  }
}

}  // namespace
}  // namespace platform

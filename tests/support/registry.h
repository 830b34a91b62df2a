// Values a test puts into the system's registry under HKEY_CURRENT_USER,
// where there is a registry (Windows). Each returns an empty text when it
// did, else why it cannot here, for GTEST_SKIP.
#pragma once

#include <string>

namespace testsupport {

// The default value of HKEY_CURRENT_USER\<subKey>, of the registry type
// `type` (1 REG_SZ, 2 REG_EXPAND_SZ, 4 REG_DWORD, ...), holding `bytes` as
// they are.
std::string writeUserRegistryValue(const std::wstring& subKey, unsigned long type, const std::string& bytes);
void removeUserRegistryKey(const std::wstring& subKey);

}  // namespace testsupport

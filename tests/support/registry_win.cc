#include "support/registry.h"

#include <windows.h>

namespace testsupport {

std::string writeUserRegistryValue(const std::wstring& subKey, unsigned long type, const std::string& bytes) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return "cannot create the key";
  }
  const LONG result = RegSetValueExW(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                     static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? "" : "cannot set the value";
}

void removeUserRegistryKey(const std::wstring& subKey) { RegDeleteKeyW(HKEY_CURRENT_USER, subKey.c_str()); }

}  // namespace testsupport

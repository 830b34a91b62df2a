#include "platform/system_registry.h"

#include <vector>

#include <windows.h>

namespace platform {
namespace {

struct RootKey {
  const wchar_t* name;
  HKEY key;
};

// A buffer of 65535 characters, the terminating zero included.
constexpr DWORD kValueCharacters = 65535;

}  // namespace

std::optional<std::wstring> readSystemRegistryValue(const std::wstring& key) {
  static const RootKey kRoots[] = {{L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                                   {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                                   {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                                   {L"HKEY_USERS", HKEY_USERS}};
  const std::size_t separator = key.find(L'\\');
  const std::wstring rootName = key.substr(0, separator);
  const std::wstring subKey = separator == std::wstring::npos ? L"" : key.substr(separator + 1);
  HKEY root = nullptr;
  for (const RootKey& candidate : kRoots)
    if (rootName == candidate.name) root = candidate.key;
  if (!root) return std::nullopt;
  // Read access only: writing under HKEY_CLASSES_ROOT needs an
  // administrator, and the value is only looked at.
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return std::nullopt;
  std::vector<wchar_t> buffer(kValueCharacters);
  DWORD type = 0;
  DWORD bytes = kValueCharacters * sizeof(wchar_t);
  const LONG result =
      RegQueryValueExW(opened, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
  RegCloseKey(opened);
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
  const DWORD characters = bytes / sizeof(wchar_t);
  if (characters == 0 || buffer[characters - 1] != L'\0') return std::nullopt;
  return std::wstring(buffer.data(), characters - 1);
}

}  // namespace platform

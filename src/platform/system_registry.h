// The operating system's own registry, read only. Key paths start with the
// name of a root key ("HKEY_CLASSES_ROOT\\CLSID\\{...}\\InprocServer32").
#pragma once

#include <optional>
#include <string>

namespace platform {

// The key's default (unnamed) value when it is a string (REG_SZ or
// REG_EXPAND_SZ, not expanded) of at most 65534 characters ending with its
// terminating zero; nothing otherwise, and nothing on a system without a
// registry.
std::optional<std::wstring> readSystemRegistryValue(const std::wstring& key);

}  // namespace platform

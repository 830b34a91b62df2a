#include "platform/system_registry.h"

namespace platform {

std::optional<std::wstring> readSystemRegistryValue(const std::wstring&) { return std::nullopt; }

}  // namespace platform

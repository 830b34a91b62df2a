#include "sourcesafe/automation_library_path.h"

#include "platform/com_registry.h"

namespace sourcesafe {

// The Windows registry read allows 65535 characters, the terminating zero
// included.
constexpr size_t kMaxValueLength = 65534;

HRESULT findAutomationLibraryPath(std::wstring* path) {
  auto value = platform::readRegistryValue(kAutomationLibraryKey);
  if (!value || value->size() > kMaxValueLength) {
    path->clear();
    return E_FAIL;
  }
  *path = *value;
  return S_OK;
}

}  // namespace sourcesafe

#include "platform/ole.h"

namespace platform {

bool setThreadLocale(LCID) { return true; }

HRESULT oleInitialize() { return S_OK; }

void oleUninitialize() {}

}  // namespace platform

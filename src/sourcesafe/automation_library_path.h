// Where the SourceSafe automation library lives, as the class registry says.
#pragma once

#include <string>

#include "platform/hresult.h"

namespace sourcesafe {

// The registry key whose default value names the library file.
inline constexpr const wchar_t* kAutomationLibraryKey =
    L"HKEY_CLASSES_ROOT\\CLSID\\{783CD4E4-9D54-11CF-B8EE-00608CC9A71F}\\InprocServer32";

// S_OK and the path; E_FAIL and an empty path when the value is missing.
// The path carries no terminating zero.
HRESULT findAutomationLibraryPath(std::wstring* path);

}  // namespace sourcesafe

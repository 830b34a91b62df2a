// Installing our automation library into the process's class registry, the
// stand-in for registering ssapi.dll on Windows.
#pragma once

namespace ssapi {

// Registers the database class under the ProgID "SourceSafe" (it answers the
// database interfaces of both generations) and records the library's location
// under HKEY_CLASSES_ROOT\CLSID\{783CD4E4-9D54-11CF-B8EE-00608CC9A71F}\InprocServer32.
void installLibrary();
void uninstallLibrary();

}  // namespace ssapi

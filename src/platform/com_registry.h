// Stand-in for the COM class registry and the registry values the program
// reads. On Windows, classes are found through HKEY_CLASSES_ROOT; here a
// library "installs" itself by registering a factory at start-up, so tests
// can install nothing, one generation, or a fake.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/com.h"

namespace platform {

// Creates an object of a registered class and asks it for an interface.
using ClassFactory = std::function<HRESULT(REFIID iid, void** object)>;

void registerComClass(const std::wstring& progId, const CLSID& clsid, ClassFactory factory);
void unregisterComClass(const CLSID& clsid);

// Registry values: HKEY_CLASSES_ROOT-style key paths to default string
// values. What a library in this process installed answers first; other
// keys are read from the system's registry, where there is one.
void setRegistryValue(const std::wstring& key, const std::wstring& value);
void removeRegistryValue(const std::wstring& key);
std::optional<std::wstring> readRegistryValue(const std::wstring& key);

}  // namespace platform

// The two COM calls of the automation probe, with their Windows signatures.
HRESULT CLSIDFromProgID(const wchar_t* progId, CLSID* clsid);
constexpr DWORD CLSCTX_ALL = 7;
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);

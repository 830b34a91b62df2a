#include "platform/com_registry.h"

#include <map>
#include <vector>

#include "platform/system_registry.h"

namespace platform {
namespace {

struct RegisteredClass {
  std::wstring progId;
  CLSID clsid;
  ClassFactory factory;
};

std::vector<RegisteredClass>& classes() {
  static std::vector<RegisteredClass> registered;
  return registered;
}

std::map<std::wstring, std::wstring>& values() {
  static std::map<std::wstring, std::wstring> stored;
  return stored;
}

}  // namespace

void registerComClass(const std::wstring& progId, const CLSID& clsid, ClassFactory factory) {
  unregisterComClass(clsid);
  classes().push_back({progId, clsid, std::move(factory)});
}

void unregisterComClass(const CLSID& clsid) {
  auto& all = classes();
  std::erase_if(all, [&](const RegisteredClass& c) { return c.clsid == clsid; });
}

void setRegistryValue(const std::wstring& key, const std::wstring& value) { values()[key] = value; }

void removeRegistryValue(const std::wstring& key) { values().erase(key); }

std::optional<std::wstring> readRegistryValue(const std::wstring& key) {
  auto it = values().find(key);
  if (it == values().end()) return readSystemRegistryValue(key);
  return it->second;
}

}  // namespace platform

HRESULT CLSIDFromProgID(const wchar_t* progId, CLSID* clsid) {
  if (!progId || !clsid) return E_INVALIDARG;
  for (const auto& c : platform::classes()) {
    if (c.progId == progId) {
      *clsid = c.clsid;
      return S_OK;
    }
  }
  return CO_E_CLASSSTRING;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD /*context*/, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return E_NOINTERFACE;  // aggregation is not supported
  for (const auto& c : platform::classes()) {
    if (c.clsid == clsid) return c.factory(iid, object);
  }
  return REGDB_E_CLASSNOTREG;
}

#include "ssapi/library.h"

#include "objects/objects.h"
#include "platform/com_registry.h"
#include "library_location.h"

namespace ssapi {
namespace {

constexpr const wchar_t* kServerKey = L"HKEY_CLASSES_ROOT\\CLSID\\{783CD4E4-9D54-11CF-B8EE-00608CC9A71F}\\InprocServer32";

template <class G>
HRESULT create(void** object) {
  auto* database = new objects::DatabaseObject<G>();
  database->AddRef();
  *object = static_cast<IVSSDatabaseT<G>*>(database);
  return S_OK;
}

// The class answers the database interface of either generation; a caller
// that asks for no particular one gets the newer generation.
HRESULT createDatabase(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IVSSDatabaseT<Vss60>::iid()) return create<Vss60>(object);
  if (iid == IVSSDatabaseT<Vss2005>::iid() || iid == IID_IUnknown || iid == IID_IDispatch) return create<Vss2005>(object);
  return E_NOINTERFACE;
}

}  // namespace

void installLibrary() {
  platform::registerComClass(kProgId, CLSID_VSSDatabase, createDatabase);
  platform::setRegistryValue(kServerKey, libraryLocation(reinterpret_cast<const void*>(&createDatabase)));
}

void uninstallLibrary() {
  platform::unregisterComClass(CLSID_VSSDatabase);
  platform::removeRegistryValue(kServerKey);
}

}  // namespace ssapi

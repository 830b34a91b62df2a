#include "history/history2_vss2005.h"

#include "navigation/name_case.h"

namespace history {

History2Vss2005::History2Vss2005(output::OutputChannels& channels, util::JavaTime from, util::JavaTime to)
    : History2<A>(channels, from, to), log_(L"History2Vss2005") {}

History2Vss2005::~History2Vss2005() = default;

HRESULT History2Vss2005::onHistoryAdded(const Item& item, const Version&, const util::JavaTime& time,
                                        const std::wstring& name) {
  bool searchIncomplete = true;
  Item child;
  HRESULT hr = getChild(item, name, VARIANT_FALSE, &searchIncomplete, &child);
  if (FAILED(hr) || !child) {
    log_.error(L"onHistoryAdded: Failed to get_Child(VARIANT_FALSE) item of name " + name, hr);
    log_.info(L"onHistoryAdded: Get All files report all items as added");
    return getAllItemsUnder(item, time);
  }

  bool deleted = false;
  hr = getIsDeleted(child, &deleted);
  if (FAILED(hr) || deleted) {
    log_.info(child, L"onHistoryAdded: Item will be deleted in future. Nothing to checkout");
    return S_OK;
  }
  // The child stands at the entry's moment: the version it came back with.
  return visitHistoryNodeAdded(false, time, child);
}

HRESULT History2Vss2005::onHistoryDeleted(const Item& item, const Version& version, const util::JavaTime& time,
                                          const std::wstring& name, bool fromFuture) {
  bool searchIncomplete = true;
  Item child;
  HRESULT hr = getChild(item, name, VARIANT_TRUE, &searchIncomplete, &child);
  if (FAILED(hr) || !child) {
    log_.error(item, L"onHistoryDeleted: Failed to get_Child(VARIANT_TRUE), try deleting by name", hr);
    return onHistoryDestroyed(item, version, time, name, fromFuture);
  }
  return visitHistoryNodeRemove(time, child, fromFuture);
}

// Only the name of a destroyed child is left; SourceSafe marks a project's
// name with a leading "$", which tells it from a file.
HRESULT History2Vss2005::onHistoryDestroyed(const Item& item, const Version&, const util::JavaTime& time,
                                            const std::wstring& name, bool fromFuture) {
  const bool isFolder = !name.empty() && name[0] == L'$';
  const std::wstring childName = isFolder ? name.substr(1) : name;
  std::wstring spec;
  HRESULT hr = navigation::getSpec<A>(item, &spec);
  if (FAILED(hr)) return hr;
  return visitHistoryNodeRemoveEx(time, isFolder, navigation::childSpec(spec, childName), fromFuture);
}

HRESULT History2Vss2005::getAllItemsUnder(const Item& item, const util::JavaTime& time) {
  navigation::VSSItemIterator<A> children;
  HRESULT hr = navigation::GetItemIterator<A>(item, VARIANT_FALSE, children);
  if (FAILED(hr)) {
    log_.error(item, L"getAllItemsUnder::Failed", hr);
    return hr;
  }
  while (children.hasNext()) {
    Item child;
    hr = children.next(&child);
    if (FAILED(hr) || !child) {
      log_.warn(item, L"", FAILED(hr) ? hr : E_POINTER);
      continue;
    }
    visitHistoryNodeAdded(false, time, child);
  }
  return S_OK;
}

}  // namespace history

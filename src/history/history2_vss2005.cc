#include "history/history2_vss2005.h"

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

  // The child as it arrived, not as it is today.
  Item first;
  hr = child->get_Version(Variant(L"1"), first.put());
  if (SUCCEEDED(hr) && first) {
    child = std::move(first);
  } else {
    log_.error(child, L"onHistoryAdded: Failed to get_Version", hr);
  }
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

// Only the name of a destroyed child is left, and it cannot tell a file from
// a project, so the path is reported as a folder.
HRESULT History2Vss2005::onHistoryDestroyed(const Item& item, const Version&, const util::JavaTime& time,
                                            const std::wstring& name, bool fromFuture) {
  const std::wstring childName = !name.empty() && name[0] == L'$' ? name.substr(1) : name;
  std::wstring spec;
  HRESULT hr = navigation::getSpec<A>(item, &spec);
  if (FAILED(hr)) return hr;
  return visitHistoryNodeRemoveEx(time, true, spec + L"/" + childName, fromFuture);
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

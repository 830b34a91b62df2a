#include "history/history2.h"

#include <fmt/xchar.h>

#include "history/action_text.h"
#include "navigation/versioned_item.h"

namespace history {

template <class A>
History2<A>::History2(output::OutputChannels& channels, util::JavaTime from, util::JavaTime to)
    : from_(from), to_(to), channels_(channels) {}

template <class A>
History2<A>::~History2() = default;

// The database is held only while the request runs.
template <class A>
HRESULT History2<A>::run(Database* database, const std::wstring& path) {
  database_ = ComPtr<Database>(database);
  const HRESULT hr = walkProject(path);
  database_ = nullptr;
  return hr;
}

template <class A>
HRESULT History2<A>::walkProject(const std::wstring& path) {
  Item item;
  HRESULT hr = database_ ? database_->get_VSSItem(path, VARIANT_FALSE, item.put()) : E_POINTER;
  if (FAILED(hr) || !item) {
    channels_.writeErrorMessage(output::kUnableToFindRootItem);
    return hr | E_FAIL;
  }
  hr = database_->put_CurrentProject(path);
  if (FAILED(hr)) {
    log().error(L"PutCurrentProject failed", hr);
    return hr;
  }
  root_ = item;
  hr = navigation::getSpec<A>(root_, &rootSpec_);
  if (FAILED(hr)) return hr;
  hr = OnStart(item);
  if (FAILED(hr)) {
    log().error(L"On Start failed", hr);
    return hr;
  }

  const HRESULT walk = doIterate(item);
  if (FAILED(walk)) log().error(L"do Iterate failed", walk);

  // The document is closed even when the change log could not be read.
  hr = OnFinish(item);
  if (FAILED(hr)) {
    log().error(L"OnFinish failed", hr);
    return hr;
  }
  // A change log that could not be read must not look like a window without
  // changes: the CI server would take the empty document for "nothing
  // changed" and never learn of the changes it missed.
  return FAILED(walk) ? walk : hr;
}

template <class A>
HRESULT History2<A>::doIterate(Item& item) {
  Item timed;
  HRESULT hr = navigation::getVersionedItemToTime<A>(item, to_, &timed);
  if (FAILED(hr)) {
    log().error(item, L"Failed to move to version " + to_.toMillisText(), hr);
  } else {
    item = std::move(timed);
  }

  std::vector<ChangeEntry<A>> changes;
  hr = loadChanges(item, &changes);
  if (FAILED(hr)) return hr;
  log().info(fmt::format(L"Total changes loaded: {}", changes.size()));

  for (const ChangeEntry<A>& change : changes) {
    traceEntry(change.version, change.fromFuture);

    std::wstring action;
    hr = change.version->get_Action(&action);
    if (FAILED(hr)) {
      log().error(L"Failed to get Action form VSSVersion. Unable to build patch", hr);
      log().info(L"Error has been swollowed due to the option");
      continue;
    }
    Item versionItem;
    hr = change.version->get_VSSItem(versionItem.put());
    if (FAILED(hr) || !versionItem) {
      log().error(fmt::format(L"Failed to get VSSItem from VSSVersion. Action:{}, Time:{}. Unable to build patch.",
                              action, change.time.toLocaleText()),
                  hr);
      log().info(L"Error has been swollowed due to the option");
      continue;
    }
    hr = getItemFromParentAndActionAndCall(change.version, versionItem, action, change.time, change.fromFuture);
    if (FAILED(hr)) log().error(versionItem, L"Failed to call getItemFromParentAndActionAndCall", hr);
  }
  return S_OK;
}

template <class A>
HRESULT History2<A>::loadChanges(const Item& item, std::vector<ChangeEntry<A>>* changes) {
  ComPtr<typename A::Versions> versions;
  HRESULT hr = item ? item->get_Versions(ssapi::VSSFLAG_RECURSYES, versions.put()) : E_POINTER;
  if (FAILED(hr)) {
    log().error(L"FAILED get_Versions(VSSFLAG_RECURSYES, &versions)", hr);
    return E_FAIL;
  }
  if (!versions) {
    log().error(L"FAILED get_Versions(VSSFLAG_RECURSYES, &versions)");
    return E_FAIL;
  }
  log().debug(L"Done get_Versions(VSSFLAG_RECURSYES, &versions)");

  // An enumerator that cannot be had (or that is no enumerator) leaves the
  // change log unread; that is a failure of the walk, not an empty window.
  ComPtr<IUnknown> unknown;
  hr = versions->_NewEnum(unknown.put());
  if (SUCCEEDED(hr) && !unknown) hr = E_FAIL;
  ComPtr<IEnumVARIANT> enumerator;
  if (SUCCEEDED(hr)) {
    hr = unknown.queryInterface(&enumerator);
    if (SUCCEEDED(hr) && !enumerator) hr = E_FAIL;
  }
  if (FAILED(hr)) {
    log().error(L"Failed to _NewEnum", hr);
    return hr;
  }

  for (;;) {
    VARIANT element;
    ULONG fetched = 0;
    if (enumerator->Next(1, &element, &fetched) != S_OK) break;
    if (!element.punkVal) {
      log().error(L"var.punkVal == NULL");
      continue;
    }
    Version version;
    if (FAILED(element.punkVal->QueryInterface(A::Version::iid(), reinterpret_cast<void**>(version.put()))) ||
        !version) {
      log().error(L"!version");
      continue;
    }
    element.clear();

    DATE date = 0;
    hr = version->get_Date(&date);
    if (FAILED(hr)) {
      log().error(L"Failed to get_Date from version", hr);
      continue;
    }
    const util::JavaTime time = util::JavaTime::fromLocalDate(date);
    if (time.isLess(from_)) {
      log().info(L"All other changes are in the past. Changes loaded from VSS");
      break;
    }
    changes->push_back({std::move(version), time, time.isGreater(to_)});
  }
  return S_OK;
}

template <class A>
HRESULT History2<A>::OnStart(const Item&) {
  return S_OK;
}

template <class A>
HRESULT History2<A>::OnFinish(const Item&) {
  return S_OK;
}

template <class A>
HRESULT History2<A>::visitHistoryNodeAddedFromShare(const Item& link, const util::JavaTime& time) {
  Item timed;
  HRESULT hr = navigation::getVersionedItemToTime<A>(link, time, &timed);
  if (FAILED(hr)) {
    log().error(link, L"Failed to get timed item for link", hr);
    return hr;
  }
  return visitHistoryNodeAdded(false, time, timed);
}

template <class A>
bool History2<A>::isInFuture(const util::JavaTime& time) {
  return time.isGreater(to_);
}

template <class A>
HRESULT History2<A>::onHistoryCheckedIn(const Item& item, const Version&, const util::JavaTime& time) {
  navigation::VSSItemIterator<A> links;
  HRESULT hr = navigation::GetLinksIterator<A>(rootSpec_, item, links);
  if (FAILED(hr)) {
    log().error(item, L"Failed to get Shared items", hr);
  } else {
    while (links.hasNext()) {
      Item link;
      hr = links.next(&link);
      if (FAILED(hr)) {
        log().error(item, L"Failed to iterate Shared items", hr);
        continue;
      }
      Item timed;
      hr = navigation::getVersionedItemToTime<A>(link, time, &timed);
      if (FAILED(hr)) {
        log().error(link, L"Failed to get to older version", hr);
        continue;
      }
      hr = visitHistoryNodeAdded(true, time, timed);
      if (FAILED(hr)) log().error(timed, L"Failed to visitHistoryNodeAdded on shared build", hr);
    }
  }
  return visitHistoryNodeAdded(true, time, item);
}

template <class A>
HRESULT History2<A>::onHistoryShared(const Item& item, const Version&, const util::JavaTime& time,
                                     const std::wstring& name) {
  const std::wstring sharedSpec = trimBlank(name);
  std::wstring itemSpec;
  HRESULT hr = navigation::getSpec<A>(item, &itemSpec);
  if (FAILED(hr)) return hr;

  // The shared item as it stood then, found from the project of the request.
  navigation::VersionCast<A> cast;
  Item target;
  hr = cast.CastToVersion(root_, sharedSpec, time, &target);
  if (FAILED(hr)) {
    log().error(item, L"Failed to process Shared to " + sharedSpec, hr);
    return hr;
  }
  navigation::VSSItemIterator<A> links;
  hr = navigation::GetLinksIterator<A>(rootSpec_, target, links);
  if (FAILED(hr)) {
    log().error(target, L"Failed to create Links iterator", hr);
    return hr;
  }
  while (links.hasNext()) {
    Item link;
    hr = links.next(&link);
    if (FAILED(hr)) {
      log().error(target, L"Failed to get next link from iterator", hr);
      continue;
    }
    std::wstring linkSpec;
    hr = navigation::getSpec<A>(link, &linkSpec);
    if (FAILED(hr)) return hr;
    // Only the copies inside the project that received the share.
    if (linkSpec.compare(0, itemSpec.size(), itemSpec) != 0) continue;
    hr = visitHistoryNodeAddedFromShare(link, time);
    if (FAILED(hr)) log().error(link, L"Failed to visitHistoryNodeAdded for Shared item", hr);
  }
  return S_OK;
}

template class History2<ssapi::Automation60>;
template class History2<ssapi::Automation2005>;

}  // namespace history

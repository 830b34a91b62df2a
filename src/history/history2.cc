#include "history/history2.h"

#include <fmt/xchar.h>

#include "history/action_text.h"
#include "navigation/name_case.h"
#include "platform/error_info.h"
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
  if (hr == ssapi::ESS_VS_VERS_NOT_FOUND) {
    // The project did not exist yet at the upper bound: nothing happened to
    // it in the window.
    log().info(L"Total changes loaded: 0");
    return S_OK;
  }
  if (FAILED(hr)) {
    log().error(item, L"Failed to move to version " + to_.toMillisText(), hr);
  } else {
    item = std::move(timed);
    rootAtTo_ = item;
  }

  // Counted first and then read again as they are visited, so that only one
  // version object is held at a time: the log names the count before the
  // entries, and a whole log's version objects would take more memory than
  // the database itself.
  std::size_t count = 0;
  hr = loadChanges(item, false, [&](ChangeEntry<A>&&) { ++count; });
  if (FAILED(hr)) return hr;
  log().info(fmt::format(L"Total changes loaded: {}", count));
  hr = loadChanges(item, true, [&](ChangeEntry<A>&& change) { visitChange(change); });
  if (FAILED(hr)) return hr;
  return S_OK;
}

template <class A>
void History2<A>::visitChange(const ChangeEntry<A>& change) {
  traceEntry(change.version, change.fromFuture);

  std::wstring action;
  HRESULT hr = change.version->get_Action(&action);
  if (FAILED(hr)) {
    log().error(L"Failed to get Action form VSSVersion. Unable to build patch", hr);
    log().info(L"Error has been swollowed due to the option");
    return;
  }
  Item versionItem;
  hr = change.version->get_VSSItem(versionItem.put());
  if (FAILED(hr) || !versionItem) {
    log().error(fmt::format(L"Failed to get VSSItem from VSSVersion. Action:{}, Time:{}. Unable to build patch.",
                            action, change.time.toLocaleText()),
                hr);
    log().info(L"Error has been swollowed due to the option");
    return;
  }
  hr = getItemFromParentAndActionAndCall(change.version, versionItem, action, change.time, change.fromFuture);
  if (FAILED(hr)) log().error(versionItem, L"Failed to call getItemFromParentAndActionAndCall", hr);
}

template <class A>
HRESULT History2<A>::loadChanges(const Item& item, bool again, const std::function<void(ChangeEntry<A>&&)>& take) {
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
  if (!again) log().debug(L"Done get_Versions(VSSFLAG_RECURSYES, &versions)");

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
      if (!again) log().error(L"var.punkVal == NULL");
      continue;
    }
    Version version;
    if (FAILED(element.punkVal->QueryInterface(A::Version::iid(), reinterpret_cast<void**>(version.put()))) ||
        !version) {
      if (!again) log().error(L"!version");
      continue;
    }
    element.clear();

    DATE date = 0;
    hr = version->get_Date(&date);
    if (FAILED(hr)) {
      if (!again) log().error(L"Failed to get_Date from version", hr);
      continue;
    }
    const util::JavaTime time = util::JavaTime::fromLocalDate(date);
    if (time.isLess(from_)) {
      if (!again) log().info(L"All other changes are in the past. Changes loaded from VSS");
      break;
    }
    take({std::move(version), time, time.isGreater(to_)});
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

// The link stands at the moment of the share already.
template <class A>
HRESULT History2<A>::visitHistoryNodeAddedFromShare(const Item& link, const util::JavaTime& time) {
  return visitHistoryNodeAdded(false, time, link);
}

template <class A>
const std::wstring& History2<A>::rootSpecAt(const util::JavaTime& time) {
  if (rootSpecCached_ && rootSpecTime_ == time) return rootSpecThen_;
  rootSpecCached_ = true;
  rootSpecTime_ = time;
  rootSpecThen_ = rootSpec_;
  Item then;
  if (SUCCEEDED(navigation::getVersionedItemToTime<A>(root_, time, &then))) {
    std::wstring spec;
    if (SUCCEEDED(navigation::getSpec<A>(then, &spec))) rootSpecThen_ = std::move(spec);
  }
  // A failed lookup here explains nothing the caller goes on to report.
  platform::clearErrorInfo();
  return rootSpecThen_;
}

// A time after every change a database holds: items as of it stand as they
// stand today.
constexpr util::JavaTime kLongAfterAnyChange = util::JavaTime::fromMillis(4102444800000);  // 2100-01-01

// Half a second before the entry's second: the state before every change of it.
static util::JavaTime beforeSecondOf(const util::JavaTime& time) {
  const std::int64_t second = (time.millis() + 1) / 1000;
  return util::JavaTime::fromMillis(second * 1000 - 500);
}

// The requested project is known here only by its spec at the end of the
// entry's second, and the item by its spec at the entry's own moment. When
// the project or a project above it was renamed, moved or archived within
// that second after the entry, the two disagree: then the projects above the
// item, taken at the end of that second or else just before it, tell whether
// one of them is the project. Two live items never share a spec at one time,
// so that comparison is one of identity.
template <class A>
bool History2<A>::isInsideRoot(const Item& item, const util::JavaTime& time) {
  std::wstring spec;
  if (FAILED(navigation::getSpec<A>(item, &spec))) return false;
  const std::wstring& rootThen = rootSpecAt(time);
  if (navigation::isInsideProject(spec, rootThen)) return true;
  bool inside = projectAboveIsRoot(item, time, rootThen);
  if (!inside) {
    const util::JavaTime before = beforeSecondOf(time);
    Item rootBefore;
    std::wstring rootSpecBefore;
    inside = SUCCEEDED(navigation::getVersionedItemToTime<A>(root_, before, &rootBefore)) &&
             SUCCEEDED(navigation::getSpec<A>(rootBefore, &rootSpecBefore)) &&
             projectAboveIsRoot(item, before, rootSpecBefore);
  }
  // Made and archived (or moved away) within one second, the project stood
  // nowhere at either end of it; as it stands today, it is found by the
  // path it was asked for.
  if (!inside) inside = projectAboveIsRoot(item, kLongAfterAnyChange, rootSpec_);
  platform::clearErrorInfo();
  return inside;
}

template <class A>
bool History2<A>::projectAboveIsRoot(const Item& item, const util::JavaTime& at, const std::wstring& rootSpecThen) {
  Item above = item;
  for (int depth = 0; above && depth < 512; ++depth) {
    Item then;
    std::wstring thenSpec;
    bool deleted = true;
    // A project standing nowhere keeps the last spec it had; only a live one
    // is the one project of its spec.
    if (navigation::isProject<A>(above) && SUCCEEDED(navigation::getVersionedItemToTime<A>(above, at, &then)) &&
        SUCCEEDED(then->get_Spec(&thenSpec)) && navigation::sameNameIgnoringCase(thenSpec, rootSpecThen) &&
        SUCCEEDED(navigation::getDeleted<A>(log(), then, &deleted)) && !deleted) {
      return true;
    }
    Item parent;
    if (FAILED(above->get_Parent(parent.put()))) break;
    above = std::move(parent);
  }
  return false;
}

template <class A>
bool History2<A>::wasLive(const Item& project, const util::JavaTime& time) {
  bool deleted = false;
  this->getIsDeleted(project, &deleted);
  if (!deleted) return true;
  Item before;
  if (FAILED(navigation::getVersionedItemToTime<A>(project, beforeSecondOf(time), &before))) {
    platform::clearErrorInfo();
    return false;
  }
  this->getIsDeleted(before, &deleted);
  return !deleted;
}

template <class A>
typename History2<A>::Item History2<A>::namedChild(const Item& project, const std::wstring& name,
                                                   bool includeDeleted) {
  if constexpr (A::kIs2005) {
    // Asked by name, without listing every child of a project that may
    // hold thousands, for each entry.
    auto ask = [&](VARIANT_BOOL deleted) {
      Item found;
      if (FAILED(project->get_Child(name, deleted, found.put()))) found = nullptr;
      platform::clearErrorInfo();
      return found;
    };
    Item live = ask(VARIANT_FALSE);
    if (!includeDeleted) return live;
    auto exact = [&](const Item& child) {
      std::wstring childName;
      return child && SUCCEEDED(child->get_Name(&childName)) && childName == name;
    };
    if (exact(live)) return live;
    Item deleted = ask(VARIANT_TRUE);
    if (exact(deleted) || !live) return deleted;
    return live;
  }
  navigation::VSSItemIterator<A> children;
  if (FAILED(navigation::GetItemIterator<A>(project, includeDeleted ? VARIANT_TRUE : VARIANT_FALSE, children))) {
    return nullptr;
  }
  // Exact spelling before any other; among those, a live child before a
  // deleted namesake.
  Item best;
  int bestRank = 0;
  for (const Item& child : children.items()) {
    std::wstring childName;
    if (!child || FAILED(child->get_Name(&childName))) continue;
    int rank = childName == name ? 2 : navigation::sameNameIgnoringCase(childName, name) ? 1 : 0;
    if (rank == 0) continue;
    bool deleted = false;
    navigation::getDeleted<A>(log(), child, &deleted);
    rank = rank * 2 + (deleted ? 0 : 1);
    if (rank > bestRank) {
      best = child;
      bestRank = rank;
    }
  }
  return best;
}

template <class A>
HRESULT History2<A>::visitArrival(const Item& item, const util::JavaTime& time) {
  if (navigation::isProject<A>(item)) return visitHistoryNodeAdded(false, time, item);
  return visitPlacesOf(item, false, time);
}

template <class A>
HRESULT History2<A>::visitPlacesOf(const Item& item, bool changed, const util::JavaTime& time) {
  LONG number = 0;
  HRESULT hr = item->get_VersionNumber(&number);
  navigation::VSSItemIterator<A> links;
  if (SUCCEEDED(hr)) hr = navigation::GetLinksIterator<A>(L"$/", item, links);
  if (FAILED(hr)) {
    log().error(item, L"Failed to get Shared items", hr);
    return isInsideRoot(item, time) ? visitHistoryNodeAdded(changed, time, item) : S_OK;
  }
  while (links.hasNext()) {
    Item link;
    hr = links.next(&link);
    if (FAILED(hr) || !link) {
      log().error(item, L"Failed to iterate Shared items", FAILED(hr) ? hr : E_POINTER);
      continue;
    }
    // A place pinned to another version shows none of the new content.
    LONG shown = 0;
    if (FAILED(link->get_VersionNumber(&shown)) || shown != number || !isInsideRoot(link, time)) continue;
    hr = visitHistoryNodeAdded(changed, time, link);
    if (FAILED(hr)) log().error(link, L"Failed to visitHistoryNodeAdded on shared build", hr);
  }
  return S_OK;
}

template <class A>
HRESULT History2<A>::onHistoryCheckedIn(const Item& item, const Version&, const util::JavaTime& time) {
  return visitPlacesOf(item, true, time);
}

// "Shared $/lib/x.h": the copy keeps the name it had where it came from.
template <class A>
HRESULT History2<A>::onHistoryShared(const Item& item, const Version&, const util::JavaTime& time,
                                     const std::wstring& name) {
  const std::wstring sharedSpec = trimBlank(name);
  const std::size_t slash = sharedSpec.find_last_of(L"/\\");
  const std::wstring childName = slash == std::wstring::npos ? sharedSpec : sharedSpec.substr(slash + 1);
  Item copy = namedChild(item, childName, false);
  if (!copy) {
    log().error(item, L"Failed to process Shared to " + sharedSpec);
    return E_FAIL;
  }
  return visitHistoryNodeAddedFromShare(copy, time);
}

// The new file's own first version ("Created") is the same change and
// reports the file where it was added. SourceSafe's own files keep times to
// the second and date that version on its own: it may come a second before
// the project's record of the addition (the file stood nowhere yet), or in
// the second in which the file was deleted again (it stood nowhere live).
// Then this record reports it.
template <class A>
HRESULT History2<A>::onChildAdded(const Item& item, const util::JavaTime& time, const std::wstring& name) {
  if (!name.empty() && name[0] == L'$') return S_OK;
  Item child = namedChild(item, name, false);
  Item first;
  if (!child || FAILED(child->get_Version(Variant(1L), first.put())) || !first) {
    platform::clearErrorInfo();
    return S_OK;
  }
  navigation::VSSItemIterator<A> places;
  if (FAILED(navigation::GetLinksIterator<A>(L"$/", first, places))) return S_OK;
  for (const Item& place : places.items()) {
    bool deleted = true;
    if (place) navigation::getDeleted<A>(log(), place, &deleted);
    if (!deleted) return S_OK;
  }
  return visitHistoryNodeAdded(false, time, child);
}

template <class A>
HRESULT History2<A>::onHistoryRestored(const Item& item, const util::JavaTime& time, const std::wstring& name) {
  Item restored = namedChild(item, dropLeading(name, L'$'), false);
  if (!restored) {
    log().error(item, L"Failed to find restored item " + name);
    return E_FAIL;
  }
  return visitHistoryNodeAddedTree(time, restored);
}

// "Pinned a.txt to version 2", "Unpinned a.txt": the place now shows another
// version of the file.
template <class A>
HRESULT History2<A>::onHistoryPinned(const Item& item, const util::JavaTime& time, const std::wstring& name) {
  std::wstring childName = name;
  const std::size_t to = childName.rfind(L" to version ");
  if (to != std::wstring::npos) childName.erase(to);
  Item place = namedChild(item, dropLeading(trimBlank(childName), L'$'), true);
  if (!place) {
    log().error(item, L"Failed to find pinned item " + name);
    return E_FAIL;
  }
  return visitHistoryNodeAdded(true, time, place);
}

// The archived item left the project; its name tells a project ("$sub") from
// a file.
template <class A>
HRESULT History2<A>::onHistoryArchived(const util::JavaTime& time, const Item& item, const std::wstring& name,
                                       bool fromFuture) {
  std::wstring spec;
  HRESULT hr = navigation::getSpec<A>(item, &spec);
  if (FAILED(hr)) return hr;
  const bool isFolder = !name.empty() && name[0] == L'$';
  return visitHistoryNodeRemoveEx(time, isFolder, navigation::childSpec(spec, dropLeading(name, L'$')), fromFuture);
}

template class History2<ssapi::Automation60>;
template class History2<ssapi::Automation2005>;

}  // namespace history

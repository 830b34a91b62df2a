#include "history/histroy2_vss6.h"

#include <vector>

#include <fmt/xchar.h>

#include "navigation/name_case.h"

namespace history {

Histroy2Vss6::Histroy2Vss6(output::OutputChannels& channels, util::JavaTime from, util::JavaTime to)
    : History2<A>(channels, from, to), log_(L"Histroy2Vss6") {}

Histroy2Vss6::~Histroy2Vss6() = default;

HRESULT Histroy2Vss6::onHistoryAdded(const Item& item, const Version&, const util::JavaTime& time,
                                     const std::wstring&) {
  return reportChildChanges(item, time, false);
}

HRESULT Histroy2Vss6::onHistoryDeleted(const Item& item, const Version&, const util::JavaTime& time,
                                       const std::wstring&, bool fromFuture) {
  return reportChildChanges(item, time, fromFuture);
}

HRESULT Histroy2Vss6::onHistoryDestroyed(const Item& item, const Version&, const util::JavaTime& time,
                                         const std::wstring&, bool fromFuture) {
  return reportChildChanges(item, time, fromFuture);
}

HRESULT Histroy2Vss6::reportChildChanges(const Item& item, const util::JavaTime& time, bool fromFuture) {
  ChildMap added;
  ChildMap removed;
  HRESULT hr = diffChildren(item, &added, &removed);
  if (FAILED(hr)) {
    log_.error(L"Failed to compare childern items", hr);
    return hr;
  }

  // In spec order, as SourceSafe's own tools list them.
  std::map<std::wstring, const Child*> addedBySpec;
  for (const auto& entry : added) addedBySpec[entry.second.spec] = &entry.second;
  for (const auto& [spec, child] : addedBySpec) {
    if (logging::isDebugEnabled()) log_.debug(L"Found new node: " + spec + L" Resolved: " + spec);
    LONG number = 0;
    hr = child->item->get_VersionNumber(&number);
    if (FAILED(hr)) log_.error(child->item, L"Failed to get_VersionNumber", hr);
    // A project with no history of its own yet arrived with everything in
    // it; one with older versions (moved, shared or brought back) is one node.
    if (navigation::isProject<A>(child->item) && (FAILED(hr) || number <= 1)) {
      visitHistoryNodeAddedTree(time, child->item);
    } else {
      visitHistoryNodeAdded(false, time, child->item);
    }
  }
  std::map<std::wstring, const Child*> removedBySpec;
  for (const auto& entry : removed) removedBySpec[entry.second.spec] = &entry.second;
  for (const auto& [spec, child] : removedBySpec) {
    if (logging::isDebugEnabled()) log_.debug(L"Found removed node: " + spec + L" Resolved: " + spec);
    reportRemoved(item, *child, time, fromFuture);
  }

  if (added.empty() && removed.empty()) {
    log_.info(
        L"Failed to get changed files as proposed in http://support.microsoft.com/kb/248078, report all items as "
        L"added");
    visitHistoryNodeAddedTree(time, item);
  }
  return S_OK;
}

void Histroy2Vss6::reportRemoved(const Item& project, const Child& before, const util::JavaTime& time,
                                 bool fromFuture) {
  std::wstring name;
  if (FAILED(before.item->get_Name(&name))) name = before.spec.substr(before.spec.find_last_of(L'/') + 1);
  // Deleted: the entry is still there, with the version it was deleted at.
  Item deleted = namedChild(project, name, true);
  bool isDeleted = false;
  if (deleted) navigation::getDeleted<A>(log_, deleted, &isDeleted);
  if (deleted && isDeleted) {
    visitHistoryNodeRemove(time, deleted, fromFuture);
    return;
  }
  std::wstring spec;
  if (FAILED(navigation::getSpec<A>(project, &spec))) return;
  visitHistoryNodeRemoveEx(time, navigation::isProject<A>(before.item), navigation::childSpec(spec, name), fromFuture);
}

HRESULT Histroy2Vss6::diffChildren(const Item& item, ChildMap* added, ChildMap* removed) {
  added->clear();
  removed->clear();
  HRESULT hr = loadChildren(item, added);
  if (FAILED(hr)) {
    log_.error(item, L"Failed to loadChildren", hr);
    added->clear();
    return hr;
  }

  // Without an older version to compare with, everything there is counts as
  // new.
  Item previous;
  hr = navigation::getPrevVersion<A>(item, &previous);
  if (FAILED(hr) || !previous) {
    if (FAILED(hr)) {
      log_.error(item, L"Failed to getPrevVersion", hr);
    } else {
      log_.error(item, L"Failed to getPrevVersion");
    }
    removed->clear();
    return S_OK;
  }
  hr = loadChildren(previous, removed);
  if (FAILED(hr)) {
    log_.error(item, L"Failed to loadChildren for previous version item. Return all items as added", hr);
    removed->clear();
    return S_OK;
  }

  std::vector<std::wstring> before;
  before.reserve(removed->size());
  for (const auto& entry : *removed) before.push_back(entry.first);
  for (const std::wstring& name : before) {
    if (added->erase(name) > 0) removed->erase(name);
  }
  if (logging::isDebugEnabled())
    log_.debug(item, fmt::format(L"Items added {}, deleted {}", added->size(), removed->size()));
  return S_OK;
}

HRESULT Histroy2Vss6::loadChildren(const Item& item, ChildMap* children) {
  if (logging::isDebugEnabled()) {
    std::wstring spec;
    LONG number = 0;
    item->get_Spec(&spec);
    item->get_VersionNumber(&number);
    log_.debug(fmt::format(L"loadChildren for item: {}[{}]", spec, number));
  }
  navigation::VSSItemIterator<A> iterator;
  HRESULT hr = navigation::GetItemIterator<A>(item, VARIANT_FALSE, iterator);
  if (FAILED(hr)) {
    log_.error(L"Failed to get VSSItemIterator", hr);
    return hr;
  }
  while (iterator.hasNext()) {
    Item child;
    hr = iterator.next(&child);
    if (FAILED(hr) || !child) {
      log_.error(L"Failed to get next item from VSSItemIterator");
      continue;
    }
    std::wstring spec;
    std::wstring name;
    if (FAILED(navigation::getSpec<A>(child, &spec)) || FAILED(child->get_Name(&name))) continue;
    // Asked through the object, so a request that judges deletion its own
    // way is heard here too.
    bool deleted = false;
    if (SUCCEEDED(getIsDeleted(child, &deleted)) && deleted) continue;
    (*children)[navigation::lowerCaseName(name)] = {spec, child};
  }
  if (logging::isDebugEnabled()) log_.debug(fmt::format(L"Found {} items", children->size()));
  return S_OK;
}

}  // namespace history

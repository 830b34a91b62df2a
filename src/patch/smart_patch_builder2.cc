#include "patch/smart_patch_builder2.h"

#include "history/history_xml.h"
#include "navigation/item_helpers.h"
#include "navigation/item_iterator.h"
#include "navigation/versioned_item.h"

namespace patch {

template <class A>
SmartPatchBuilder2<A>::SmartPatchBuilder2(output::OutputChannels& channels, std::wstring outputFileMask,
                                          util::JavaTime from, util::JavaTime to)
    : Base(channels, from, to),
      patchBase_(std::move(outputFileMask)),
      patchFile_(channels),
      log_(L"SmartPatchBuilder2") {}

template <class A>
SmartPatchBuilder2<A>::~SmartPatchBuilder2() = default;

template <class A>
HRESULT SmartPatchBuilder2<A>::run(Database* database, const std::wstring& path) {
  HRESULT hr = Base::run(database, path);
  if (SUCCEEDED(hr) && downloadFailed_) {
    log_.error(L"Files that could not be downloaded are missing from the patch");
    return E_FAIL;
  }
  return hr;
}

template <class A>
HRESULT SmartPatchBuilder2<A>::OnStart(const Item& item) {
  pathMap_.clear();
  this->channels().writeXml(history::historyOpening(this->from(), this->to()));
  return Base::OnStart(item);
}

template <class A>
HRESULT SmartPatchBuilder2<A>::OnFinish(const Item& item) {
  Base::OnFinish(item);
  pathMap_.clear();
  this->channels().writeXml(history::historyClosing());
  return S_OK;
}

template <class A>
HRESULT SmartPatchBuilder2<A>::getItemFromParentAndActionAndCall(const Version& version, const Item& item,
                                                                 std::wstring action, const util::JavaTime& time,
                                                                 bool fromFuture) {
  entryTime_ = time;
  navigation::VSSItemIterator<A> links;
  HRESULT hr = navigation::GetLinksIterator<A>(this->rootSpec(), item, links);
  if (FAILED(hr)) {
    log_.error(item, L"Failed to get links", hr);
  } else {
    bool everyLinkDeleted = true;
    while (everyLinkDeleted && links.hasNext()) {
      Item link;
      hr = links.next(&link);
      if (SUCCEEDED(hr) && !link) hr = E_POINTER;
      if (FAILED(hr)) {
        log_.error(item, L"", hr);
        continue;
      }
      everyLinkDeleted = alreadyDeleted(link);
    }
    if (everyLinkDeleted && alreadyDeleted(item)) {
      log_.info(item, L"Item has allready been changed or deleted");
      return S_OK;
    }
  }
  return Base::getItemFromParentAndActionAndCall(version, item, std::move(action), time, fromFuture);
}

template <class A>
bool SmartPatchBuilder2<A>::alreadyDeleted(const Item& item) {
  std::wstring spec;
  HRESULT hr = item ? item->get_Spec(&spec) : E_POINTER;
  if (FAILED(hr)) {
    log_.error(item, L"Spec", hr);
    return false;
  }
  bool deleted = false;
  if (FAILED(getIsDeleted(item, &deleted)) || deleted) return true;
  if (pathMap_.isUnderDeleted(mappedSpec(spec))) {
    log_.info(item, L"Item has allready been deleted");
    return true;
  }
  return false;
}

template <class A>
HRESULT SmartPatchBuilder2<A>::getIsDeleted(const Item& item, bool* deleted) {
  if (inDeletedTest_) return Base::getIsDeleted(item, deleted);
  inDeletedTest_ = true;
  HRESULT hr = isDeletedAtEntryTime(item, deleted);
  inDeletedTest_ = false;
  return hr;
}

template <class A>
HRESULT SmartPatchBuilder2<A>::isDeletedAtEntryTime(const Item& item, bool* deleted) {
  return this->getIsDeleted(item, entryTime_, deleted);
}

template <class A>
HRESULT SmartPatchBuilder2<A>::visitHistoryNodeAdded(bool /*changed*/, const util::JavaTime& /*time*/,
                                                     const Item& item) {
  std::wstring spec;
  HRESULT hr = navigation::getSpec<A>(item, &spec);
  if (FAILED(hr)) return hr;
  const std::wstring mapped = mappedSpec(spec);
  if (pathMap_.isTouchedOrDeleted(mapped)) {
    log_.debug(L"visitHistoryNodeAdded: Item was deleted or changed");
    return S_OK;
  }

  bool deleted = false;
  hr = getIsDeleted(item, &deleted);
  if (SUCCEEDED(hr) && deleted) {
    log_.debug(item, L"Item is deleted. Skipping");
    return S_OK;
  }
  if (FAILED(hr)) log_.error(item, L"getIsDeleted failed", hr);

  // Only the folder itself: its content arrives through entries of its own.
  if (navigation::isProject<A>(item)) {
    patchFile_.writeDir(mapped);
    return hr;
  }

  std::wstring file;
  hr = patchBase_.getNextFile(item, &file);
  if (FAILED(hr)) {
    downloadFailed_ = true;
    return hr;
  }
  pathMap_.markTouched(mapped);
  patchFile_.writeFile(mapped, file);
  return hr;
}

template <class A>
HRESULT SmartPatchBuilder2<A>::visitHistoryNodeAddedTree(const util::JavaTime& /*time*/, const Item& item) {
  return addFolderContents(item);
}

template <class A>
HRESULT SmartPatchBuilder2<A>::addFolderContents(const Item& item) {
  std::wstring spec;
  HRESULT hr = navigation::getSpec<A>(item, &spec);
  if (FAILED(hr)) return hr;
  const std::wstring mapped = mappedSpec(spec);
  if (pathMap_.isTouchedOrDeleted(mapped)) {
    log_.debug(L"Item was deleted or changed " + spec);
    return S_OK;
  }
  patchFile_.writeDir(mapped);

  navigation::VSSItemIterator<A> children;
  hr = navigation::GetItemIterator<A>(item, VARIANT_FALSE, children);
  if (FAILED(hr)) {
    log_.error(L"Failed to create ItemIterator for " + spec, hr);
    return hr;
  }

  HRESULT result = S_OK;
  while (children.hasNext()) {
    Item child;
    hr = children.next(&child);
    if (FAILED(hr) || !child) {
      log_.error(L"Failed to get item from enumerator");
      continue;
    }
    if (navigation::isProject<A>(child)) {
      result = addFolderContents(child);
      continue;
    }
    std::wstring childSpec;
    if (FAILED(child->get_Spec(&childSpec))) continue;
    const std::wstring mappedChild = mappedSpec(childSpec);
    if (pathMap_.isTouchedOrDeleted(mappedChild)) {
      log_.debug(childSpec + L" File was changed or deleted");
      continue;
    }
    std::wstring file;
    result = patchBase_.getNextFile(child, &file);
    if (FAILED(result)) {
      // The folder is marked covered below all the same, so no older entry
      // can bring this file back.
      downloadFailed_ = true;
      continue;
    }
    patchFile_.writeFile(mappedChild, file);
    pathMap_.markTouched(mappedChild);
  }
  pathMap_.markCovered(mapped);
  return result;
}

template <class A>
HRESULT SmartPatchBuilder2<A>::visitHistoryNodeRemove(const util::JavaTime& time, const Item& item, bool fromFuture) {
  std::wstring spec;
  HRESULT hr = navigation::getSpec<A>(item, &spec);
  if (FAILED(hr)) return hr;
  return visitHistoryNodeRemoveEx(time, navigation::isProject<A>(item), spec, fromFuture);
}

template <class A>
HRESULT SmartPatchBuilder2<A>::visitHistoryNodeRemoveEx(const util::JavaTime& /*time*/, bool isFolder,
                                                        const std::wstring& spec, bool fromFuture) {
  const std::wstring mapped = mappedSpec(spec);
  if (pathMap_.isTouched(mapped)) {
    log_.debug(L"visitHistoryNodeRemoveEx: Item is contained in paths");
    return S_OK;
  }
  if (!this->renames().isRenamed(spec)) {
    if (isFolder)
      pathMap_.markDeleted(mapped);
    else
      pathMap_.markTouched(mapped);
  }
  if (!fromFuture) {
    if (isFolder)
      patchFile_.deleteDir(mapped);
    else
      patchFile_.deleteFile(mapped);
  }
  return S_OK;
}

template <class A>
HRESULT SmartPatchBuilder2<A>::visitHistoryNodeRename(const util::JavaTime& time, const std::wstring& oldPath,
                                                      const Item& item, bool fromFuture) {
  // oldPath comes mapped already; mapping it once more lets a later rename
  // of the same item (met earlier in the walk) decide.
  if (pathMap_.isTouched(mappedSpec(oldPath))) {
    log_.debug(L"visitHistoryNodeRename: Item is contained in paths");
    return S_OK;
  }
  const bool isFolder = navigation::isProject<A>(item);
  if (!this->renames().isRenamed(oldPath)) {
    if (isFolder)
      pathMap_.markDeleted(oldPath);
    else
      pathMap_.markTouched(oldPath);
  }
  if (isFolder) {
    std::wstring spec;
    HRESULT hr = navigation::getSpec<A>(item, &spec);
    if (FAILED(hr)) return hr;
  }
  if (fromFuture) return S_OK;

  if (isFolder) {
    patchFile_.deleteDir(oldPath);
    return addFolderContents(item);
  }
  patchFile_.deleteFile(oldPath);
  return visitHistoryNodeAdded(false, time, item);
}

template <class A>
HRESULT SmartPatchBuilder2<A>::visitHistoryNodeAddedFromShare(const Item& link, const util::JavaTime& time) {
  Item timed;
  HRESULT hr = navigation::getVersionedItemToTime<A>(link, time, &timed);
  if (FAILED(hr)) {
    log_.error(link, L"Failed to get timed item for link", hr);
    return hr;
  }
  bool deleted = false;
  hr = getIsDeleted(timed, &deleted);
  if (FAILED(hr)) {
    log_.error(timed, L"visitHistoryNodeAddedFromShare::Failed to getIsDeleted", hr);
  } else if (deleted) {
    log_.debug(timed, L"Item is deleted. Nothing to do with share");
    return S_OK;
  }
  return visitHistoryNodeAdded(false, time, timed);
}

template class SmartPatchBuilder2<ssapi::Automation60>;
template class SmartPatchBuilder2<ssapi::Automation2005>;

}  // namespace patch

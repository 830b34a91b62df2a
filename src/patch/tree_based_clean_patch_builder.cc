#include "patch/tree_based_clean_patch_builder.h"

#include "navigation/item_iterator.h"
#include "navigation/versioned_item.h"

namespace patch {

template <class A>
TreeBasedCleanPatchBuilder<A>::TreeBasedCleanPatchBuilder(output::OutputChannels& channels,
                                                          std::wstring outputFileMask, util::JavaTime /*from*/,
                                                          util::JavaTime to)
    : patchBase_(std::move(outputFileMask)),
      patchFile_(channels),
      log_(L"TreeBasedCleanPatchBuilder"),
      to_(to),
      channels_(channels) {}

template <class A>
HRESULT TreeBasedCleanPatchBuilder<A>::run(Database& database, const std::wstring& path) {
  ItemPtr found;
  HRESULT hr = database.get_VSSItem(path, VARIANT_FALSE, found.put());
  if (SUCCEEDED(hr) && !found) hr = E_FAIL;
  if (FAILED(hr)) {
    log_.error(L"Failed to find root", hr);
    return hr;
  }
  ItemPtr item;
  hr = navigation::getVersionedItemToTime<A>(found, to_, &item);
  if (hr == ssapi::ESS_VS_VERS_NOT_FOUND) {
    // Not there yet at that time: the project as it stood then is nothing.
    log_.info(found, L"Item did not exist at that time");
    return S_OK;
  }
  if (FAILED(hr)) {
    log_.error(L"Failed to cast root item to version", hr);
    return hr;
  }
  log_.info(item, L"Item found");
  bool deleted = false;
  navigation::getDeleted<A>(log_, item, &deleted);
  if (deleted) {
    log_.info(item, L"Item was deleted at that time");
    return S_OK;
  }

  // A folder or file that cannot be read would be missing from the patch,
  // and the receiver would take what is left for the whole project.
  FileList files;
  hr = collectFiles(item, files);
  if (FAILED(hr)) {
    log_.error(item, L"Failed to enumerate items", hr);
    return hr;
  }
  log_.info(item, L"Files collected");

  hr = downloadFiles(files);
  if (FAILED(hr)) log_.error(item, L"Failed to checkout files", hr);
  return hr;
}

template <class A>
bool TreeBasedCleanPatchBuilder<A>::isFolder(const ItemPtr& item) {
  int type = ssapi::VSSITEM_PROJECT;
  HRESULT hr = item ? item->get_Type(&type) : E_POINTER;
  if (FAILED(hr)) {
    log_.error(item, L"isFolder:: item get_Type failed", hr);
    return true;
  }
  return type == ssapi::VSSITEM_PROJECT;
}

template <class A>
HRESULT TreeBasedCleanPatchBuilder<A>::collectFiles(const ItemPtr& item, FileList& list) {
  if (!isFolder(item)) {
    list.push_back(item);
    return S_OK;
  }
  std::wstring spec;
  navigation::getSpec<A>(item, &spec);
  patchFile_.writeDir(spec);

  navigation::VSSItemIterator<A> children;
  HRESULT hr = navigation::GetItemIterator<A>(item, VARIANT_FALSE, children);
  if (FAILED(hr)) {
    log_.error(item, L"Failed to getItemIterator", hr);
    return hr;
  }
  while (children.hasNext()) {
    ItemPtr child;
    hr = children.next(&child);
    if (SUCCEEDED(hr) && !child) hr = E_POINTER;
    if (FAILED(hr)) {
      log_.error(item, L"Failed to it.Next(..)", hr);
      return hr;
    }
    hr = collectFiles(child, list);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

template <class A>
HRESULT TreeBasedCleanPatchBuilder<A>::downloadFiles(const FileList& list) {
  bool anyFailed = false;
  for (const ItemPtr& item : list) {
    std::wstring fileName;
    HRESULT hr = patchBase_.getNextFile(item, &fileName);
    if (FAILED(hr)) {
      anyFailed = true;
      log_.error(item, L"Failed to getNextFile", hr);
      continue;
    }
    std::wstring spec;
    hr = navigation::getSpec<A>(item, &spec);
    if (FAILED(hr)) {
      anyFailed = true;
      log_.error(item, L"Spec", hr);
      continue;
    }
    pathMap_.markTouched(spec);
    patchFile_.writeFile(spec, fileName);
  }
  return anyFailed ? E_FAIL : S_OK;
}

template class TreeBasedCleanPatchBuilder<ssapi::Automation60>;
template class TreeBasedCleanPatchBuilder<ssapi::Automation2005>;

}  // namespace patch

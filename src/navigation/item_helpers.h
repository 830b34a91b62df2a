// Small questions every request asks about an item: its type, its spec, its
// previous version (6.0) and its own deleted flag.
#pragma once

#include <string>

#include <fmt/xchar.h>

#include "navigation/loggers.h"

namespace navigation {

// An item whose type cannot be read counts as a file: callers then treat it
// as a leaf and do not try to list its children.
template <class A>
bool isFile(const ItemPtr<A>& item) {
  int type = ssapi::VSSITEM_PROJECT;
  HRESULT hr = item ? item->get_Type(&type) : E_POINTER;
  if (FAILED(hr)) {
    versionIteratorLog<A>().error(item, L"Failed to get_Type", hr);
    return true;
  }
  return type != ssapi::VSSITEM_PROJECT;
}

// The counterpart of isFile: an item whose type cannot be read is no project.
template <class A>
bool isProject(const ItemPtr<A>& item) {
  int type = ssapi::VSSITEM_FILE;
  if (!item || FAILED(item->get_Type(&type))) return false;
  return type == ssapi::VSSITEM_PROJECT;
}

template <class A>
HRESULT getSpec(const ItemPtr<A>& item, std::wstring* spec) {
  HRESULT hr = item ? item->get_Spec(spec) : E_POINTER;
  if (FAILED(hr)) {
    versionIteratorLog<A>().error(item, L"Failed to get_Spec", hr);
    spec->clear();
  }
  return hr;
}

// The version just before the one the item stands for: for a project, the
// project as it stood before the change its version records.
template <class A>
HRESULT getPrevVersion(const ItemPtr<A>& item, ItemPtr<A>* previous) {
  const ItemLogger<A>& log = utilLog<A>();
  LONG number = 0;
  HRESULT hr = item ? item->get_VersionNumber(&number) : E_POINTER;
  if (FAILED(hr)) {
    log.error(item, L"Failed to get_VersionNumer", hr);
    return hr;
  }
  if (number == 1) return E_FAIL;

  std::wstring wanted = fmt::format(L"{}", number - 1);
  ItemPtr<A> candidate;
  hr = item->get_Version(Variant(wanted), candidate.put());
  if (FAILED(hr) || !candidate) {
    log.error(item, L"Failed to get_Version for " + wanted, hr);
    return hr | E_FAIL;
  }
  LONG found = 0;
  hr = candidate->get_VersionNumber(&found);
  if (FAILED(hr)) {
    log.error(item, L"Failed to get_VersionNumber", hr);
    return hr;
  }
  if (number != found + 1) {
    if (logging::isDebugEnabled())
      log.error(candidate, fmt::format(L"Wrong version number {} but expected {}-1", found, number));
    return E_FAIL;
  }
  *previous = std::move(candidate);
  return S_OK;
}

// The item's own deleted flag. An unreadable flag counts as deleted, so that
// callers skip what they cannot judge; the answer is always given.
template <class A>
HRESULT getDeleted(const ItemLogger<A>& log, const ItemPtr<A>& item, bool* deleted) {
  VARIANT_BOOL flag = VARIANT_FALSE;
  HRESULT hr = item ? item->get_Deleted(&flag) : E_POINTER;
  if (FAILED(hr)) log.error(item, L"Failed to call get_Deleted", hr);
  *deleted = FAILED(hr) || flag == VARIANT_TRUE;
  return S_OK;
}

}  // namespace navigation

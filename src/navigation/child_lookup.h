// Finding a child of a project by name. The lookups log under the category of
// the object that asks (a VersionCast or a change-log loader), so the logger
// is an argument.
#pragma once

#include <string>

#include <fmt/xchar.h>

#include "navigation/item_iterator.h"
#include "navigation/name_case.h"

namespace navigation {

// The first entry of the list whose name matches without regard to letter
// case (see lowerCaseName). Entries that cannot be read are passed over
// silently: one broken child must not hide its siblings.
template <class A>
HRESULT FindNamedChild(const std::wstring& name, VSSItemIterator<A>& children, ItemPtr<A>* child) {
  const std::wstring wanted = lowerCaseName(name);
  while (children.hasNext()) {
    ItemPtr<A> candidate;
    if (FAILED(children.next(&candidate)) || !candidate) continue;
    std::wstring candidateName;
    if (FAILED(candidate->get_Name(&candidateName))) continue;
    if (lowerCaseName(std::move(candidateName)) == wanted) {
      *child = std::move(candidate);
      return S_OK;
    }
  }
  return E_FAIL;
}

template <class A>
HRESULT FindChildFromList(const ItemLogger<A>& log, const ItemPtr<A>& parent, const std::wstring& name,
                          VARIANT_BOOL includeDeleted, ItemPtr<A>* child) {
  VSSItemIterator<A> children;
  HRESULT hr = GetItemIterator<A>(parent, includeDeleted, children);
  if (FAILED(hr)) {
    log.error(parent, L"Failed to GetItemIterator");
    return hr;
  }
  hr = FindNamedChild<A>(name, children, child);
  if (FAILED(hr)) {
    log.error(parent, L"Failed to FindNamedChild");
    return hr;
  }
  return S_OK;
}

// The live child if there is one, otherwise what the deleted children offer.
// A successful second call may hand out no child; callers check for null.
template <class A>
  requires(A::kIs2005)
HRESULT FindChild2005(const ItemLogger<A>& log, const ItemPtr<A>& parent, const std::wstring& name,
                      ItemPtr<A>* child) {
  ItemPtr<A> found;
  HRESULT hr = parent ? parent->get_Child(name, VARIANT_FALSE, found.put()) : E_POINTER;
  if (SUCCEEDED(hr) && found) {
    *child = std::move(found);
    return hr;
  }
  log.warn(parent, L"FindChild2005::Failed get_Child (VARIANT_FALSE)", hr);
  hr = parent ? parent->get_Child(name, VARIANT_TRUE, found.put()) : E_POINTER;
  if (FAILED(hr)) {
    log.warn(parent, L"FindChild2005::Failed get_Child (VARIANT_TRUE)", hr);
    return hr;
  }
  *child = std::move(found);
  return hr;
}

// The child with exactly that name (letter case counts in the listing step).
// searchIncomplete tells a search that could not look at every child (and so
// proves nothing by failing) from one that looked and found nothing. The 2005
// library is asked directly first; its answer is taken as it is.
template <class A>
HRESULT getChild(const ItemLogger<A>& log, const ItemPtr<A>& parent, const std::wstring& name,
                 VARIANT_BOOL includeDeleted, bool* searchIncomplete, ItemPtr<A>* child) {
  *searchIncomplete = true;
  if (name.find_first_not_of(L" \t\r\n\v\f") == std::wstring::npos) {
    *child = nullptr;
    log.error(L"getChild: Length is zero");
    return E_FAIL;
  }

  if constexpr (A::kIs2005) {
    ItemPtr<A> direct;
    HRESULT hr = parent ? parent->get_Child(name, includeDeleted, direct.put()) : E_POINTER;
    if (SUCCEEDED(hr)) {
      *child = std::move(direct);
      return hr;
    }
    log.error(parent, L"Failed to get_Child", hr);
  }

  // Only live children are listed, whatever was asked: a deleted namesake
  // must not answer for the live one.
  VSSItemIterator<A> children;
  HRESULT hr = GetItemIterator<A>(parent, VARIANT_FALSE, children);
  if (FAILED(hr)) {
    log.error(parent, L"Failed to GetItemIterator");
    *child = nullptr;
    return hr;
  }
  while (children.hasNext()) {
    ItemPtr<A> candidate;
    if (FAILED(children.next(&candidate)) || !candidate) {
      log.error(L"Failed to Next on VSSItemIterator");
      continue;
    }
    std::wstring candidateName;
    hr = candidate->get_Name(&candidateName);
    if (FAILED(hr)) {
      log.error(candidate, L"Failed to get name of item", hr);
      continue;
    }
    if (candidateName == name) {
      *searchIncomplete = false;
      *child = std::move(candidate);
      return S_OK;
    }
  }

  *child = nullptr;
  if (logging::isDebugEnabled())
    log.debug(parent, fmt::format(L"Failed to getChild(VSS, name={} deleted={}", name,
                                  includeDeleted == VARIANT_TRUE ? L"True" : L"FALSE"));
  log.error(parent, L"Nothing was found for " + name);
  *searchIncomplete = false;
  return E_FAIL;
}

}  // namespace navigation

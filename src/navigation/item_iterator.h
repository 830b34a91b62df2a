// Children and links of an item, read completely into a list the program
// owns.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "navigation/item_helpers.h"
#include "navigation/loggers.h"
#include "navigation/name_case.h"

namespace navigation {

template <class A>
class VSSItemIterator {
 public:
  // False until a fill succeeded, so a failed fill reads as empty.
  bool hasNext() const { return opened_ && cursor_ < items_.size(); }
  // Hands out a further reference to the item under the cursor (which may be
  // null: the collection handed out nothing for it) and advances.
  HRESULT next(ItemPtr<A>* out) {
    *out = items_[cursor_++];
    return S_OK;
  }

  bool isOpened() const { return opened_; }
  const std::vector<ItemPtr<A>>& items() const { return items_; }

  void clear() {
    items_.clear();
    cursor_ = 0;
    opened_ = false;
  }
  void append(ItemPtr<A> item) { items_.push_back(std::move(item)); }
  template <class Predicate>
  void removeIf(Predicate predicate) {
    std::erase_if(items_, predicate);
  }
  void open() {
    cursor_ = 0;
    opened_ = true;
  }

 private:
  std::vector<ItemPtr<A>> items_;
  std::size_t cursor_ = 0;
  bool opened_ = false;
};

namespace detail {

// Copies the collection; an entry the collection cannot hand out is logged
// and left out, the others are kept.
template <class A>
HRESULT fillItemIterator(const ItemPtr<A>& item, typename A::Items& collection, VSSItemIterator<A>& iterator) {
  const ItemLogger<A>& log = itemIteratorLog<A>();
  LONG count = 0;
  HRESULT hr = collection.get_Count(&count);
  if (FAILED(hr)) {
    log.error(item, L"Failed to get items count", hr);
    return hr;
  }
  for (LONG i = 1; i <= count; ++i) {
    ItemPtr<A> entry;
    hr = collection.get_Item(Variant(i), entry.put());
    if (FAILED(hr)) {
      log.error(item, L"Failed to get_Item", hr);
      continue;
    }
    iterator.append(std::move(entry));
  }
  iterator.open();
  return S_OK;
}

}  // namespace detail

// The children of a project; with includeDeleted also the deleted ones.
template <class A>
HRESULT GetItemIterator(const ItemPtr<A>& item, VARIANT_BOOL includeDeleted, VSSItemIterator<A>& iterator) {
  const ItemLogger<A>& log = itemIteratorLog<A>();
  iterator.clear();
  ComPtr<typename A::Items> children;
  HRESULT hr = item ? item->get_Items(includeDeleted, children.put()) : E_POINTER;
  if (FAILED(hr)) {
    log.error(item, L"Failed to enumerate children items", hr);
    return hr;
  }
  if (!children) {
    log.error(item, L"Failed to enumerate children items. Pointer is NULL");
    return E_FAIL;
  }
  return detail::fillItemIterator<A>(item, *children, iterator);
}

// The places where the item lives that lie at or below the path (letter case
// ignored, as in SourceSafe's names). A link whose spec cannot be read cannot
// be shown to lie there and is left out.
template <class A>
HRESULT GetLinksIterator(const std::wstring& path, const ItemPtr<A>& item, VSSItemIterator<A>& iterator) {
  const ItemLogger<A>& log = itemIteratorLog<A>();
  iterator.clear();
  ComPtr<typename A::Items> links;
  HRESULT hr = item ? item->get_Links(links.put()) : E_POINTER;
  if (FAILED(hr)) {
    log.error(item, L"Failed to enumerate children items", hr);
    return hr;
  }
  if (!links) {
    log.error(L"Failed to enumerate children items. Pointer is NULL");
    return E_FAIL;
  }
  hr = detail::fillItemIterator<A>(item, *links, iterator);
  if (FAILED(hr)) return hr;

  iterator.removeIf([&path](const ItemPtr<A>& link) {
    if (!link) return true;
    std::wstring spec;
    if (FAILED(getSpec<A>(link, &spec))) return true;
    return !isInsideProject(spec, path);
  });
  iterator.open();
  return S_OK;
}

extern template class VSSItemIterator<ssapi::Automation60>;
extern template class VSSItemIterator<ssapi::Automation2005>;

}  // namespace navigation

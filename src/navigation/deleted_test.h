// Whether an item counts as deleted at a time, as the change-log loaders ask
// it.
#pragma once

#include <string>

#include "navigation/child_lookup.h"
#include "navigation/item_helpers.h"
#include "navigation/versioned_item.h"

namespace navigation {

// The holder of the two deleted tests. The history and patch requests call
// them on themselves, and the time-aware test asks the own-flag test through
// the same object, so a request that replaces either (the patch builder
// answers the own-flag test "as of the entry being decoded") changes every
// decision that rests on it. It is a class of its own rather than part of
// VersionCast because the get request and the plain path casts need no
// deleted test, and because these tests write under the loader's category
// ("History2"), not under "VersionCast"; the change-log loader derives from
// both and uses this logger as its own.
template <class A>
class DeletedTest {
 public:
  explicit DeletedTest(std::wstring logName = L"History2") : historyLog_(std::move(logName)) {}
  virtual ~DeletedTest() = default;
  DeletedTest(const DeletedTest&) = delete;
  DeletedTest& operator=(const DeletedTest&) = delete;

  // A deleted item still counts as live at the time when its parent, as it
  // stood then, held a live child of the same name: SourceSafe marks the
  // entry that was deleted, even when a namesake took its place later.
  virtual HRESULT getIsDeleted(const ItemPtr<A>& item, const util::JavaTime& time, bool* deleted) {
    HRESULT hr = getIsDeleted(item, deleted);
    if (FAILED(hr)) {
      historyLog_.error(item, L"Failed to getIsDeleted()", hr);
      return hr;
    }
    if (!*deleted) return S_OK;

    *deleted = false;
    if (!item) return E_POINTER;
    std::wstring name;
    std::wstring spec;
    ItemPtr<A> parent;
    if (FAILED(hr = item->get_Name(&name))) return hr;
    if (FAILED(hr = getSpec<A>(item, &spec))) return hr;
    if (FAILED(hr = item->get_Parent(parent.put()))) return hr;
    if (!parent) return E_POINTER;
    ItemPtr<A> timedParent;
    if (FAILED(hr = getVersionedItemToTime<A>(parent, time, &timedParent))) return hr;

    bool searchIncomplete = true;
    ItemPtr<A> child;
    hr = getChild(timedParent, name, VARIANT_FALSE, &searchIncomplete, &child);
    *deleted = FAILED(hr) && !searchIncomplete;
    return S_OK;
  }

  // The item's own deleted flag.
  virtual HRESULT getIsDeleted(const ItemPtr<A>& item, bool* deleted) {
    return getDeleted<A>(historyLog_, item, deleted);
  }

  HRESULT getChild(const ItemPtr<A>& parent, const std::wstring& name, VARIANT_BOOL includeDeleted,
                   bool* searchIncomplete, ItemPtr<A>* child) const {
    return navigation::getChild<A>(historyLog_, parent, name, includeDeleted, searchIncomplete, child);
  }

  const ItemLogger<A>& historyLog() const { return historyLog_; }

 private:
  ItemLogger<A> historyLog_;
};

extern template class DeletedTest<ssapi::Automation60>;
extern template class DeletedTest<ssapi::Automation2005>;

}  // namespace navigation

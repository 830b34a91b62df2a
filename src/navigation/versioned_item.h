// Which item stood at a given time.
#pragma once

#include "navigation/version_iterator.h"

namespace navigation {

// The item of the newest version not later than the time. Without such a
// version the answer is the item itself: callers would rather go on with
// today's item than stop.
template <class A>
HRESULT getVersionedItemToTime(const ItemPtr<A>& item, const util::JavaTime& time, ItemPtr<A>* out) {
  const ItemLogger<A>& log = utilLog<A>();
  VSSVersionIterator<A> versions;
  if (FAILED(GetVersionIterator<A>(item, time, versions, 1))) {
    log.error(item, L"Failed to create VSSVersionIterator");
  } else {
    for (const LightVSSVersion<A>& record : versions.records()) {
      if (record.time.isLessOrEqual(time)) {
        *out = record.item;
        return S_OK;
      }
    }
  }
  log.error(L"Failed to find versioned item to time " + time.toMillisText());
  ItemPtr<A> self;
  HRESULT hr = item.queryInterface(&self);
  if (SUCCEEDED(hr)) *out = std::move(self);
  return hr;
}

}  // namespace navigation

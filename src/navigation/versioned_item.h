// Which item stood at a given time.
#pragma once

#include "navigation/version_iterator.h"

namespace navigation {

// The item as it stood at the time, asked of SourceSafe by date: the version
// current then, and everything reached from it (children, parent, links) as
// it stood then. An item that did not exist yet at the time has no such
// version: the call fails (ESS_VS_VERS_NOT_FOUND from SourceSafe) and hands
// out nothing, so that nobody takes today's item for the one of the past.
template <class A>
HRESULT getVersionedItemToTime(const ItemPtr<A>& item, const util::JavaTime& time, ItemPtr<A>* out) {
  const ItemLogger<A>& log = utilLog<A>();
  ItemPtr<A> timed;
  HRESULT hr = item ? item->get_Version(Variant::fromDate(time.asOfDate()), timed.put()) : E_POINTER;
  if (SUCCEEDED(hr) && !timed) hr = E_FAIL;
  if (FAILED(hr)) {
    log.error(L"Failed to find versioned item to time " + time.toMillisText());
    return hr;
  }
  *out = std::move(timed);
  return S_OK;
}

}  // namespace navigation

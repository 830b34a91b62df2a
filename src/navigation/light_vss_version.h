// An owned snapshot of one version of an item, so that no automation version
// object has to stay alive while callers look at it.
#pragma once

#include <string>

#include "navigation/automation_types.h"
#include "util/java_time.h"

namespace navigation {

template <class A>
struct LightVSSVersion {
  util::JavaTime time = util::EPOCH;
  std::wstring action;
  std::wstring username;
  std::wstring comment;
  ItemPtr<A> item;  // the item as it stood at this version
  LONG versionNumber = 0;

  // Reads everything even when a read fails; the result is negative when any
  // of them did.
  HRESULT init(typename A::Version& version, const ItemPtr<A>& versionedItem) {
    DATE date = 0;
    HRESULT dateStatus = version.get_Date(&date);
    if (SUCCEEDED(dateStatus)) time = util::JavaTime::fromLocalDate(date);
    HRESULT result = dateStatus;
    result |= version.get_Action(&action);
    result |= version.get_Username(&username);
    result |= version.get_Comment(&comment);
    item = versionedItem;
    result |= version.get_VersionNumber(&versionNumber);

    // An action with a vertical tab as its second character is no readable
    // text; callers get a fixed word instead.
    if (action.size() >= 2 && action[1] == L'\x0B') action = L"Message error";
    return result;
  }
};

}  // namespace navigation

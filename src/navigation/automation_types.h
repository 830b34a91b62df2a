// Short names for the automation types of one generation, as the navigation
// layer and the requests above it use them.
#pragma once

#include "platform/com.h"
#include "ssapi/ssapi.h"

namespace navigation {

// A counted reference to the item interface of generation A.
template <class A>
using ItemPtr = ComPtr<typename A::Item>;

}  // namespace navigation

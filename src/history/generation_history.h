// The change-log loader of one automation generation, the base of the
// requests that read a change log.
#pragma once

#include <type_traits>

#include "history/history2_vss2005.h"
#include "history/histroy2_vss6.h"

namespace history {

template <class A>
using GenerationHistory = std::conditional_t<A::kIs2005, History2Vss2005, Histroy2Vss6>;

}  // namespace history

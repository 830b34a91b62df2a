// The process-wide loggers of the navigation layer, one set per generation
// (both sets bear the same names).
#pragma once

#include "navigation/item_logger.h"

namespace navigation {

template <class A>
const ItemLogger<A>& versionIteratorLog() {
  static const ItemLogger<A> log(L"VSSVersionIterator");
  return log;
}

template <class A>
const ItemLogger<A>& itemIteratorLog() {
  static const ItemLogger<A> log(L"VSSItemIterator");
  return log;
}

template <class A>
const ItemLogger<A>& utilLog() {
  static const ItemLogger<A> log(L"VSSUtil");
  return log;
}

}  // namespace navigation

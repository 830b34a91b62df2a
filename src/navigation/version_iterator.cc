#include "navigation/version_iterator.h"

namespace navigation {

using ssapi::Automation2005;
using ssapi::Automation60;

template class VSSVersionIterator<Automation60>;
template class VSSVersionIterator<Automation2005>;

template HRESULT GetVersionIterator<Automation60>(const ItemPtr<Automation60>&, const util::JavaTime&,
                                                  VSSVersionIterator<Automation60>&, int);
template HRESULT GetVersionIterator<Automation2005>(const ItemPtr<Automation2005>&, const util::JavaTime&,
                                                    VSSVersionIterator<Automation2005>&, int);

}  // namespace navigation

#include "navigation/versioned_item.h"

namespace navigation {

using ssapi::Automation2005;
using ssapi::Automation60;

template HRESULT getVersionedItemToTime<Automation60>(const ItemPtr<Automation60>&, const util::JavaTime&,
                                                      ItemPtr<Automation60>*);
template HRESULT getVersionedItemToTime<Automation2005>(const ItemPtr<Automation2005>&, const util::JavaTime&,
                                                        ItemPtr<Automation2005>*);

}  // namespace navigation

#include "navigation/item_iterator.h"

namespace navigation {

using ssapi::Automation2005;
using ssapi::Automation60;

template class VSSItemIterator<Automation60>;
template class VSSItemIterator<Automation2005>;

template HRESULT GetItemIterator<Automation60>(const ItemPtr<Automation60>&, VARIANT_BOOL,
                                               VSSItemIterator<Automation60>&);
template HRESULT GetItemIterator<Automation2005>(const ItemPtr<Automation2005>&, VARIANT_BOOL,
                                                 VSSItemIterator<Automation2005>&);
template HRESULT GetLinksIterator<Automation60>(const std::wstring&, const ItemPtr<Automation60>&,
                                                VSSItemIterator<Automation60>&);
template HRESULT GetLinksIterator<Automation2005>(const std::wstring&, const ItemPtr<Automation2005>&,
                                                  VSSItemIterator<Automation2005>&);

}  // namespace navigation

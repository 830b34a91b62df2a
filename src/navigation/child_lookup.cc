#include "navigation/child_lookup.h"

namespace navigation {

using ssapi::Automation2005;
using ssapi::Automation60;

template HRESULT FindNamedChild<Automation60>(const std::wstring&, VSSItemIterator<Automation60>&,
                                              ItemPtr<Automation60>*);
template HRESULT FindNamedChild<Automation2005>(const std::wstring&, VSSItemIterator<Automation2005>&,
                                                ItemPtr<Automation2005>*);
template HRESULT FindChildFromList<Automation60>(const ItemLogger<Automation60>&, const ItemPtr<Automation60>&,
                                                 const std::wstring&, VARIANT_BOOL, ItemPtr<Automation60>*);
template HRESULT FindChildFromList<Automation2005>(const ItemLogger<Automation2005>&,
                                                   const ItemPtr<Automation2005>&, const std::wstring&,
                                                   VARIANT_BOOL, ItemPtr<Automation2005>*);
template HRESULT FindChild2005<Automation2005>(const ItemLogger<Automation2005>&, const ItemPtr<Automation2005>&,
                                               const std::wstring&, ItemPtr<Automation2005>*);
template HRESULT getChild<Automation60>(const ItemLogger<Automation60>&, const ItemPtr<Automation60>&,
                                        const std::wstring&, VARIANT_BOOL, bool*, ItemPtr<Automation60>*);
template HRESULT getChild<Automation2005>(const ItemLogger<Automation2005>&, const ItemPtr<Automation2005>&,
                                          const std::wstring&, VARIANT_BOOL, bool*, ItemPtr<Automation2005>*);

}  // namespace navigation

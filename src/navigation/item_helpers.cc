#include "navigation/item_helpers.h"

namespace navigation {

using ssapi::Automation2005;
using ssapi::Automation60;

template bool isFile<Automation60>(const ItemPtr<Automation60>&);
template bool isFile<Automation2005>(const ItemPtr<Automation2005>&);
template bool isProject<Automation60>(const ItemPtr<Automation60>&);
template bool isProject<Automation2005>(const ItemPtr<Automation2005>&);
template HRESULT getSpec<Automation60>(const ItemPtr<Automation60>&, std::wstring*);
template HRESULT getSpec<Automation2005>(const ItemPtr<Automation2005>&, std::wstring*);
template HRESULT getPrevVersion<Automation60>(const ItemPtr<Automation60>&, ItemPtr<Automation60>*);
template HRESULT getDeleted<Automation60>(const ItemLogger<Automation60>&, const ItemPtr<Automation60>&, bool*);
template HRESULT getDeleted<Automation2005>(const ItemLogger<Automation2005>&, const ItemPtr<Automation2005>&,
                                            bool*);

}  // namespace navigation

#include "model/names.h"
#include "objects/objects.h"

namespace ssapi::objects {

template <class G>
HRESULT ItemsObject<G>::get_Count(LONG* count) {
  if (!count) return nullArgument();
  if (auto f = session_->fault(L"get_Count", owner_.spec, owner_.version)) {
    *count = 0;
    return f->status;
  }
  *count = static_cast<LONG>(items_.size());
  return S_OK;
}

template <class G>
HRESULT ItemsObject<G>::get_Item(const VARIANT& index, IVSSItemT<G>** item) {
  if (!item) return nullArgument();
  *item = nullptr;
  const ItemRef* chosen = nullptr;
  if (index.vt == VT_I4) {
    if (index.lVal >= 1 && static_cast<std::size_t>(index.lVal) <= items_.size()) {
      chosen = &items_[static_cast<std::size_t>(index.lVal - 1)];
    }
  } else if (index.vt == VT_BSTR) {
    // Automation collections also answer to an item's name.
    for (const ItemRef& ref : items_) {
      if (model::sameName(ref.name, index.bstrVal)) {
        chosen = &ref;
        break;
      }
    }
  } else {
    return fail(DISP_E_TYPEMISMATCH, L"Type mismatch");
  }
  if (auto f = chosen ? session_->fault(L"get_Item", chosen->spec, chosen->version)
                      : session_->fault(L"get_Item", owner_.spec, owner_.version)) {
    return f->status;
  }
  if (!chosen) return fail(DISP_E_BADINDEX, L"Invalid index");
  return handOut(new ItemObject<G>(session_, *chosen), item);
}

template class ItemsObject<Vss60>;
template class ItemsObject<Vss2005>;

}  // namespace ssapi::objects

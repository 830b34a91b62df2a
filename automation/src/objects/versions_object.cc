#include "objects/objects.h"

namespace ssapi::objects {

template <class G>
HRESULT VersionsObject<G>::_NewEnum(IUnknown** enumerator) {
  if (!enumerator) return nullArgument();
  *enumerator = nullptr;
  if (auto f = session_->fault(L"_NewEnum", owner_.spec, owner_.version)) return f->status;
  auto* object = new VersionEnumerator<G>(session_, owner_, sources_);
  object->AddRef();
  *enumerator = object;
  return S_OK;
}

template <class G>
HRESULT VersionEnumerator<G>::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IEnumVARIANT) {
    if (auto f = session_->fault(L"QueryInterface(IEnumVARIANT)", owner_.spec, owner_.version)) {
      return FAILED(f->status) ? f->status : E_NOINTERFACE;
    }
  } else if (!(iid == IID_IUnknown)) {
    return E_NOINTERFACE;
  }
  *object = static_cast<IEnumVARIANT*>(this);
  AddRef();
  return S_OK;
}

template <class G>
HRESULT VersionEnumerator<G>::Next(ULONG count, VARIANT* elements, ULONG* fetched) {
  if (fetched) *fetched = 0;
  if (!elements && count > 0) return nullArgument();
  if (session_->faults && !session_->faults->empty()) {
    const VersionPoint* next = merger_.peek();
    const ItemRef about = next ? pathOf(*sources_, next->source) : owner_;
    if (auto f = session_->fault(L"Next", about.spec, next ? std::optional<long>(next->version) : std::nullopt)) {
      if (f->status == S_OK && count > 0) {
        // Succeeds with an element that holds no object.
        elements[0].clear();
        elements[0].vt = VT_DISPATCH;
        if (fetched) *fetched = 1;
      }
      return f->status;
    }
  }
  ULONG filled = 0;
  VersionPoint point;
  while (filled < count && merger_.next(&point)) {
    auto* version = new VersionObject<G>(session_, pathOf(*sources_, point.source), point.version);
    elements[filled].clear();
    elements[filled] = Variant(static_cast<IUnknown*>(static_cast<IVSSVersionT<G>*>(version)), VT_DISPATCH);
    ++filled;
  }
  if (fetched) *fetched = filled;
  return filled == count ? S_OK : S_FALSE;
}

template <class G>
HRESULT VersionEnumerator<G>::Skip(ULONG count) {
  VersionPoint point;
  for (ULONG i = 0; i < count; ++i)
    if (!merger_.next(&point)) return S_FALSE;
  return S_OK;
}

template <class G>
HRESULT VersionEnumerator<G>::Reset() {
  merger_.reset();
  return S_OK;
}

template class VersionsObject<Vss60>;
template class VersionsObject<Vss2005>;
template class VersionEnumerator<Vss60>;
template class VersionEnumerator<Vss2005>;

}  // namespace ssapi::objects

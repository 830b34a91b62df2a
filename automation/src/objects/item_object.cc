#include <cwctype>

#include "model/names.h"
#include "model/queries.h"
#include "objects/item_tree.h"
#include "objects/local_get.h"
#include "objects/objects.h"
#include "objects/ole_date.h"

namespace ssapi::objects {
namespace {

HRESULT versionNotFound() { return fail(ESS_VS_VERS_NOT_FOUND, L"Version not found"); }

// A version number written as decimal digits, blanks around allowed.
bool parseNumber(const std::wstring& text, long* number) {
  std::size_t begin = text.find_first_not_of(L" \t");
  std::size_t end = text.find_last_not_of(L" \t");
  if (begin == std::wstring::npos) return false;
  long value = 0;
  for (std::size_t i = begin; i <= end; ++i) {
    if (text[i] < L'0' || text[i] > L'9') return false;
    value = value * 10 + (text[i] - L'0');
    if (value > 0x7FFFFFFF) return false;
  }
  *number = value;
  return true;
}

// The newest version carrying a label; exact spelling first, then without regard to case.
std::int32_t labelledVersion(const model::Database& db, model::ItemId item, const std::wstring& label) {
  std::int32_t caseless = 0;
  for (std::int32_t v = db.item(item).lastVersion(); v >= 1; --v) {
    const model::Revision* r = db.revision(item, v);
    if (!r || r->action != model::Action::kLabel) continue;
    const std::wstring& text = db.text(r->label);
    if (text == label) return v;
    if (caseless == 0 && model::sameName(text, label)) caseless = v;
  }
  return caseless;
}

}  // namespace

template <class G>
HRESULT ItemObjectBase<G>::get_Spec(std::wstring* spec) {
  if (!spec) return nullArgument();
  if (auto f = fault(L"get_Spec")) {
    spec->clear();
    return f->status;
  }
  *spec = ref_.spec;
  return S_OK;
}

template <class G>
HRESULT ItemObjectBase<G>::get_Binary(VARIANT_BOOL* binary) {
  if (!binary) return nullArgument();
  if (auto f = fault(L"get_Binary")) {
    *binary = VARIANT_FALSE;
    return f->status;
  }
  *binary = !isProject() && db().item(ref_.item).binary ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

template <class G>
HRESULT ItemObjectBase<G>::get_Deleted(VARIANT_BOOL* deleted) {
  if (!deleted) return nullArgument();
  if (auto f = fault(L"get_Deleted")) {
    *deleted = VARIANT_FALSE;
    return f->status;
  }
  *deleted = ref_.deleted ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

template <class G>
HRESULT ItemObjectBase<G>::get_Type(int* type) {
  if (!type) return nullArgument();
  if (auto f = fault(L"get_Type")) {
    *type = 0;
    return f->status;
  }
  *type = isProject() ? VSSITEM_PROJECT : VSSITEM_FILE;
  return S_OK;
}

template <class G>
HRESULT ItemObjectBase<G>::get_LocalSpec(std::wstring* local) {
  if (!local) return nullArgument();
  if (auto f = fault(L"get_LocalSpec")) {
    local->clear();
    return f->status;
  }
  *local = workingFolder(*session_, ref_);
  return S_OK;
}

template <class G>
HRESULT ItemObjectBase<G>::put_LocalSpec(const std::wstring& local) {
  if (auto f = fault(L"put_LocalSpec")) return f->status;
  if (!isProject()) return fail(ESS_VS_WANT_PRJ, L"This command only works on projects.");
  session_->workingFolders[model::foldName(ref_.spec)] = local;
  return S_OK;
}

template <class G>
HRESULT ItemObjectBase<G>::get_Name(std::wstring* name) {
  if (!name) return nullArgument();
  if (auto f = fault(L"get_Name")) {
    name->clear();
    return f->status;
  }
  *name = ref_.name;
  return S_OK;
}

template <class G>
HRESULT ItemObjectBase<G>::get_Parent(IVSSItemT<G>** parent) {
  if (!parent) return nullArgument();
  *parent = nullptr;
  if (auto f = fault(L"get_Parent")) return f->status;
  ItemRef ref;
  if (!parentRef(db(), ref_, &ref)) return S_OK;  // the root has no parent
  return handOut(new ItemObject<G>(session_, std::move(ref)), parent);
}

template <class G>
HRESULT ItemObjectBase<G>::get_VersionNumber(LONG* number) {
  if (!number) return nullArgument();
  if (auto f = fault(L"get_VersionNumber")) {
    *number = 0;
    return f->status;
  }
  *number = ref_.version;
  return S_OK;
}

template <class G>
HRESULT ItemObjectBase<G>::get_Items(VARIANT_BOOL includeDeleted, IVSSItemsT<G>** items) {
  if (!items) return nullArgument();
  *items = nullptr;
  if (auto f = fault(L"get_Items")) return f->status;
  if (!isProject()) return fail(ESS_VS_WANT_PRJ, L"This command only works on projects.");
  std::vector<ItemRef> children;
  if (HRESULT hr = childRefs(db(), ref_, includeDeleted != VARIANT_FALSE, &children); FAILED(hr)) return hr;
  return handOut(new ItemsObject<G>(session_, ref_, std::move(children)), items);
}

template <class G>
HRESULT ItemObjectBase<G>::Get(std::wstring* local, LONG flags) {
  if (!local) return nullArgument();
  if (auto f = fault(L"Get")) return f->status;
  return getToLocal(*session_, ref_, local, flags);
}

template <class G>
HRESULT ItemObjectBase<G>::get_Versions(LONG flags, IVSSVersionsT<G>** versions) {
  if (!versions) return nullArgument();
  *versions = nullptr;
  if (auto f = fault(L"get_Versions")) return f->status;
  auto sources = std::make_shared<std::vector<VersionSource>>();
  if (HRESULT hr = versionSources(db(), ref_, flags, sources.get()); FAILED(hr)) return hr;
  return handOut(new VersionsObject<G>(session_, ref_, std::move(sources)), versions);
}

template <class G>
HRESULT ItemObjectBase<G>::get_Version(const VARIANT& version, IVSSItemT<G>** item) {
  if (!item) return nullArgument();
  *item = nullptr;
  if (auto f = fault(L"get_Version")) return f->status;
  long number = 0;
  if (version.vt == VT_I4) {
    number = version.lVal;
  } else if (version.vt == VT_DATE) {
    return versionAtDate(version.date, item);
  } else if (version.vt == VT_BSTR) {
    if (!parseNumber(version.bstrVal, &number)) {
      number = labelledVersion(db(), ref_.item, version.bstrVal);
      if (number == 0) {
        if (auto date = parseDateText(version.bstrVal)) return versionAtDate(*date, item);
        return versionNotFound();
      }
    }
  } else {
    return fail(DISP_E_TYPEMISMATCH, L"Type mismatch");
  }
  // Version 0 stands for the item's newest version: SourceSafe's own samples
  // ask for it that way, and a get without a version number relies on it.
  if (number == 0) number = db().item(ref_.item).lastVersion();
  if (number < 1 || number > db().item(ref_.item).lastVersion()) return versionNotFound();
  const model::Revision* revision = db().revision(ref_.item, static_cast<std::int32_t>(number));
  if (!revision) return versionNotFound();
  // A version stands at the moment its change was made: its children, names
  // and links are those of that moment.
  ItemRef ref = refAt(db(), ref_, static_cast<std::int32_t>(number), model::Moment::afterChange(revision->seq));
  return handOut(new ItemObject<G>(session_, std::move(ref)), item);
}

// Everything made at or before the date (local time, like get_Date), to the
// second; an entry pinned then shows its pinned version.
template <class G>
HRESULT ItemObjectBase<G>::versionAtDate(DATE date, IVSSItemT<G>** item) {
  const model::Moment moment = model::Moment::endOfSecond(storedSecondOf(db().timeBase, date));
  std::int32_t number = model::versionAt(db(), ref_.item, moment);
  if (number == 0) return versionNotFound();  // the item did not exist yet
  ItemRef ref = refAt(db(), ref_, number, moment);
  if (ref.entry.project != model::kNoItem) {
    const model::EntryState* state =
        model::stateAt(db().item(ref.entry.project), ref.entry.slot, model::versionAt(db(), ref.entry.project, moment));
    if (state && state->item == ref_.item && state->pinned > 0) {
      if (!pinHolds(db(), *state)) {
        return pinFailure(model::parentSpec(ref.spec), ref.name, state->pinned);
      }
      ref.version = state->pinned;
    }
  }
  return handOut(new ItemObject<G>(session_, std::move(ref)), item);
}

template <class G>
HRESULT ItemObjectBase<G>::get_Links(IVSSItemsT<G>** links) {
  if (!links) return nullArgument();
  *links = nullptr;
  if (auto f = fault(L"get_Links")) return f->status;
  return handOut(new ItemsObject<G>(session_, ref_, linkRefs(db(), ref_)), links);
}

HRESULT ItemObject<Vss2005>::get_Child(const std::wstring& name, VARIANT_BOOL deleted, IVSSItemT<Vss2005>** child) {
  if (!child) return nullArgument();
  *child = nullptr;
  if (auto f = fault(L"get_Child")) return f->status;
  if (!isProject()) return fail(ESS_VS_WANT_PRJ, L"This command only works on projects.");
  ItemRef found;
  if (HRESULT hr = namedChildRef(db(), ref_, name, deleted != VARIANT_FALSE, &found); FAILED(hr)) return hr;
  return handOut(new ItemObject<Vss2005>(session_, std::move(found)), child);
}

HRESULT ItemObject<Vss2005>::get_VSSVersion(IVSSVersionT<Vss2005>** version) {
  if (!version) return nullArgument();
  *version = nullptr;
  if (auto f = fault(L"get_VSSVersion")) return f->status;
  return handOut(new VersionObject<Vss2005>(session_, ref_, ref_.version), version);
}

template class ItemObjectBase<Vss60>;
template class ItemObjectBase<Vss2005>;

}  // namespace ssapi::objects

#include "model/action_text.h"
#include "objects/item_tree.h"
#include "objects/objects.h"
#include "objects/ole_date.h"

namespace ssapi::objects {

template <class G>
const model::Revision& VersionObject<G>::revision() const {
  return *session_->db->revision(path_.item, version_);
}

template <class G>
HRESULT VersionObject<G>::get_Username(std::wstring* user) {
  if (!user) return nullArgument();
  if (auto f = fault(L"get_Username")) {
    user->clear();
    return f->status;
  }
  *user = session_->db->text(revision().user);
  return S_OK;
}

template <class G>
HRESULT VersionObject<G>::get_VersionNumber(LONG* number) {
  if (!number) return nullArgument();
  if (auto f = fault(L"get_VersionNumber")) {
    *number = 0;
    return f->status;
  }
  *number = version_;
  return S_OK;
}

template <class G>
HRESULT VersionObject<G>::get_Action(std::wstring* action) {
  if (!action) return nullArgument();
  if (auto f = fault(L"get_Action")) {
    action->clear();
    return f->status;
  }
  const model::Database& db = *session_->db;
  *action = model::actionText(db, db.owner(path_.item, version_), revision());
  return S_OK;
}

template <class G>
HRESULT VersionObject<G>::get_Date(DATE* date) {
  if (!date) return nullArgument();
  if (auto f = fault(L"get_Date")) {
    *date = 0;
    return f->status;
  }
  *date = toOleDate(session_->db->timeBase, revision().time);
  return S_OK;
}

template <class G>
HRESULT VersionObject<G>::get_Comment(std::wstring* comment) {
  if (!comment) return nullArgument();
  if (auto f = fault(L"get_Comment")) {
    comment->clear();
    return f->status;
  }
  *comment = session_->db->text(revision().comment);
  return S_OK;
}

template <class G>
HRESULT VersionObject<G>::get_Label(std::wstring* label) {
  if (!label) return nullArgument();
  if (auto f = fault(L"get_Label")) {
    label->clear();
    return f->status;
  }
  *label = session_->db->text(revision().label);
  return S_OK;
}

template <class G>
HRESULT VersionObject<G>::get_LabelComment(std::wstring* comment) {
  if (!comment) return nullArgument();
  if (auto f = fault(L"get_LabelComment")) {
    comment->clear();
    return f->status;
  }
  *comment = session_->db->text(revision().labelComment);
  return S_OK;
}

template <class G>
HRESULT VersionObject<G>::get_VSSItem(IVSSItemT<G>** item) {
  if (!item) return nullArgument();
  *item = nullptr;
  if (auto f = fault(L"get_VSSItem")) return f->status;
  ItemRef ref = refAt(*session_->db, path_, version_, model::Moment::afterChange(revision().seq));
  return handOut(new ItemObject<G>(session_, std::move(ref)), item);
}

template class VersionObject<Vss60>;
template class VersionObject<Vss2005>;

}  // namespace ssapi::objects

// The automation objects over the model, one generic implementation for both
// generations (G = Vss60 or Vss2005). Each object holds the session of its
// database and a description of what it stands for; none of them changes the
// model. Members are defined in the .cc file of each object and instantiated
// there for both generations.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "objects/session.h"
#include "objects/version_list.h"
#include "ssapi/ssapi.h"

namespace ssapi::objects {

// Reference counting and QueryInterface for an object with one interface.
template <class Interface>
class ComObject : public Interface, public RefCounted {
 public:
  ULONG AddRef() override { return addRefImpl(); }
  ULONG Release() override { return releaseImpl(); }
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (iid == Interface::iid() || iid == IID_IUnknown || iid == IID_IDispatch) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
};

// Hands a new object to an out-parameter with the caller's one reference.
template <class Interface, class Object>
HRESULT handOut(Object* object, Interface** out) {
  object->AddRef();
  *out = object;
  return S_OK;
}

template <class G>
class DatabaseObject final : public ComObject<IVSSDatabaseT<G>> {
 public:
  // An unopened database, or one opened already over a session.
  explicit DatabaseObject(std::shared_ptr<Session> session = nullptr) : session_(std::move(session)) {}

  HRESULT Open(const std::wstring& srcSafeIni, const std::wstring& user, const std::wstring& password) override;
  HRESULT get_SrcSafeIni(std::wstring* path) override;
  HRESULT get_Username(std::wstring* user) override;
  HRESULT get_CurrentProject(std::wstring* spec) override;
  HRESULT put_CurrentProject(const std::wstring& spec) override;
  HRESULT get_VSSItem(const std::wstring& spec, VARIANT_BOOL deleted, IVSSItemT<G>** item) override;

 private:
  HRESULT requireOpen() const;
  std::shared_ptr<Session> session_;
};

template <class G>
class ItemObjectBase : public ComObject<IVSSItemT<G>> {
 public:
  ItemObjectBase(std::shared_ptr<Session> session, ItemRef ref) : session_(std::move(session)), ref_(std::move(ref)) {}

  HRESULT get_Spec(std::wstring* spec) override;
  HRESULT get_Binary(VARIANT_BOOL* binary) override;
  HRESULT get_Deleted(VARIANT_BOOL* deleted) override;
  HRESULT get_Type(int* type) override;
  HRESULT get_LocalSpec(std::wstring* local) override;
  HRESULT put_LocalSpec(const std::wstring& local) override;
  HRESULT get_Name(std::wstring* name) override;
  HRESULT get_Parent(IVSSItemT<G>** parent) override;
  HRESULT get_VersionNumber(LONG* number) override;
  HRESULT get_Items(VARIANT_BOOL includeDeleted, IVSSItemsT<G>** items) override;
  HRESULT Get(std::wstring* local, LONG flags) override;
  HRESULT get_Versions(LONG flags, IVSSVersionsT<G>** versions) override;
  HRESULT get_Version(const VARIANT& version, IVSSItemT<G>** item) override;
  HRESULT get_Links(IVSSItemsT<G>** links) override;

 protected:
  // A fault configured for this call, or the reason the item's records
  // could not be read.
  std::optional<FaultAction> fault(const wchar_t* operation) const {
    if (auto unreadable = loadFailure(*session_, ref_.item)) return unreadable;
    return session_->fault(operation, ref_.spec, ref_.version);
  }
  const model::Database& db() const { return *session_->db; }
  bool isProject() const { return db().item(ref_.item).isProject(); }
  HRESULT versionAtDate(DATE date, IVSSItemT<G>** item);

  std::shared_ptr<Session> session_;
  ItemRef ref_;
};

template <class G>
class ItemObject final : public ItemObjectBase<G> {
 public:
  using ItemObjectBase<G>::ItemObjectBase;
};

// The 2005 item adds get_Child and get_VSSVersion.
template <>
class ItemObject<Vss2005> final : public ItemObjectBase<Vss2005> {
 public:
  using ItemObjectBase<Vss2005>::ItemObjectBase;
  HRESULT get_Child(const std::wstring& name, VARIANT_BOOL deleted, IVSSItemT<Vss2005>** child) override;
  HRESULT get_VSSVersion(IVSSVersionT<Vss2005>** version) override;
};

// Children or links of an item.
template <class G>
class ItemsObject final : public ComObject<IVSSItemsT<G>> {
 public:
  ItemsObject(std::shared_ptr<Session> session, ItemRef owner, std::vector<ItemRef> items)
      : session_(std::move(session)), owner_(std::move(owner)), items_(std::move(items)) {}

  HRESULT get_Count(LONG* count) override;
  HRESULT get_Item(const VARIANT& index, IVSSItemT<G>** item) override;

 private:
  std::shared_ptr<Session> session_;
  ItemRef owner_;  // whose children or links these are
  std::vector<ItemRef> items_;
};

template <class G>
class VersionsObject final : public ComObject<IVSSVersionsT<G>> {
 public:
  VersionsObject(std::shared_ptr<Session> session, ItemRef owner, std::shared_ptr<const std::vector<VersionSource>> sources)
      : session_(std::move(session)), owner_(std::move(owner)), sources_(std::move(sources)) {}

  HRESULT _NewEnum(IUnknown** enumerator) override;

 private:
  std::shared_ptr<Session> session_;
  ItemRef owner_;
  std::shared_ptr<const std::vector<VersionSource>> sources_;
};

template <class G>
class VersionEnumerator final : public IEnumVARIANT, public RefCounted {
 public:
  VersionEnumerator(std::shared_ptr<Session> session, ItemRef owner,
                    std::shared_ptr<const std::vector<VersionSource>> sources)
      : session_(std::move(session)), owner_(std::move(owner)), sources_(sources), merger_(session_->db, sources) {}

  ULONG AddRef() override { return addRefImpl(); }
  ULONG Release() override { return releaseImpl(); }
  HRESULT QueryInterface(REFIID iid, void** object) override;
  HRESULT Next(ULONG count, VARIANT* elements, ULONG* fetched) override;
  HRESULT Skip(ULONG count) override;
  HRESULT Reset() override;

 private:
  std::shared_ptr<Session> session_;
  ItemRef owner_;
  std::shared_ptr<const std::vector<VersionSource>> sources_;
  VersionMerger merger_;
};

template <class G>
class VersionObject final : public ComObject<IVSSVersionT<G>> {
 public:
  // Version `version` of the item reached along `path`.
  VersionObject(std::shared_ptr<Session> session, ItemRef path, std::int32_t version)
      : session_(std::move(session)), path_(std::move(path)), version_(version) {}

  HRESULT get_Username(std::wstring* user) override;
  HRESULT get_VersionNumber(LONG* number) override;
  HRESULT get_Action(std::wstring* action) override;
  HRESULT get_Date(DATE* date) override;
  HRESULT get_Comment(std::wstring* comment) override;
  HRESULT get_Label(std::wstring* label) override;
  HRESULT get_LabelComment(std::wstring* comment) override;
  HRESULT get_VSSItem(IVSSItemT<G>** item) override;

 private:
  std::optional<FaultAction> fault(const wchar_t* operation) const {
    if (auto unreadable = loadFailure(*session_, path_.item)) return unreadable;
    return session_->fault(operation, path_.spec, version_);
  }
  const model::Revision& revision() const;

  std::shared_ptr<Session> session_;
  ItemRef path_;
  std::int32_t version_;
};

}  // namespace ssapi::objects

// The SourceSafe automation interfaces, in both generations (6.0 and 2005),
// as the program sees them. This is the only header of the automation library
// that code above it includes. A Windows build would put an adapter over the
// real ssapi.dll behind the same interfaces.
//
// Every call returns a status; strings cross as the program's wide strings.
// Objects handed out through out-parameters carry one reference that the
// caller owns (hold them in ComPtr).
#pragma once

#include <string>

#include "platform/com.h"
#include "platform/variant.h"

namespace ssapi {

// Generation tags.
struct Vss60 {
  static constexpr bool kIs2005 = false;
};
struct Vss2005 {
  static constexpr bool kIs2005 = true;
};

constexpr GUID sourceSafeGuid(std::uint32_t first) {
  return {first, 0x2E9F, 0x11D0, {0x92, 0x36, 0x00, 0xAA, 0x00, 0xA1, 0xEB, 0x95}};
}

// Class registered under the ProgID "SourceSafe".
constexpr CLSID CLSID_VSSDatabase = {0x783CD4E4, 0x9D54, 0x11CF, {0xB8, 0xEE, 0x00, 0x60, 0x8C, 0xC9, 0xA7, 0x1F}};
constexpr const wchar_t* kProgId = L"SourceSafe";

// Item types (get_Type).
constexpr int VSSITEM_PROJECT = 0;
constexpr int VSSITEM_FILE = 1;

// Flags.
constexpr LONG VSSFLAG_USERRONO = 0x1;
constexpr LONG VSSFLAG_USERROYES = 0x2;
constexpr LONG VSSFLAG_TIMENOW = 0x4;
constexpr LONG VSSFLAG_TIMEMOD = 0x8;
constexpr LONG VSSFLAG_TIMEUPD = 0xC;
constexpr LONG VSSFLAG_REPASK = 0x40;
constexpr LONG VSSFLAG_REPREPLACE = 0x80;
constexpr LONG VSSFLAG_REPSKIP = 0xC0;
constexpr LONG VSSFLAG_CMPFULL = 0x200;
constexpr LONG VSSFLAG_CMPTIME = 0x400;
constexpr LONG VSSFLAG_CMPFAIL = 0x800;
constexpr LONG VSSFLAG_RECURSNO = 0x1000;
constexpr LONG VSSFLAG_RECURSYES = 0x2000;
constexpr LONG VSSFLAG_FORCEDIRNO = 0x4000;
constexpr LONG VSSFLAG_FORCEDIRYES = 0x8000;
constexpr LONG VSSFLAG_CHKEXCLUSIVENO = 0x20000000;
constexpr LONG VSSFLAG_HISTIGNOREFILES = 0x40000000;

template <class G> struct IVSSItemT;
template <class G> struct IVSSVersionT;

// One version of an item: the entry of a history.
template <class G>
struct IVSSVersionT : IDispatch {
  static constexpr IID iid() { return sourceSafeGuid(0x2A0DE0E9); }

  virtual HRESULT get_Username(std::wstring* user) = 0;
  virtual HRESULT get_VersionNumber(LONG* number) = 0;
  virtual HRESULT get_Action(std::wstring* action) = 0;
  // Local time of the machine, as SourceSafe reports it.
  virtual HRESULT get_Date(DATE* date) = 0;
  virtual HRESULT get_Comment(std::wstring* comment) = 0;
  virtual HRESULT get_Label(std::wstring* label) = 0;
  virtual HRESULT get_LabelComment(std::wstring* comment) = 0;
  // The item as it stood at this version.
  virtual HRESULT get_VSSItem(IVSSItemT<G>** item) = 0;

 protected:
  ~IVSSVersionT() = default;
};

// Versions of an item, newest first; read through _NewEnum.
template <class G>
struct IVSSVersionsT : IDispatch {
  static constexpr IID iid() {
    return G::kIs2005 ? sourceSafeGuid(0x2A0DE0EB)
                      : GUID{0x783CD4E7, 0x9D54, 0x11CF, {0xB8, 0xEE, 0x00, 0x60, 0x8C, 0xC9, 0xA7, 0x1F}};
  }
  // An IUnknown that answers IEnumVARIANT; each element holds an IVSSVersion.
  virtual HRESULT _NewEnum(IUnknown** enumerator) = 0;

 protected:
  ~IVSSVersionsT() = default;
};

// A collection of items (children or links); 1-based.
template <class G>
struct IVSSItemsT : IDispatch {
  static constexpr IID iid() {
    return GUID{0x783CD4E5, 0x9D54, 0x11CF, {0xB8, 0xEE, 0x00, 0x60, 0x8C, 0xC9, 0xA7, 0x1F}};
  }
  virtual HRESULT get_Count(LONG* count) = 0;
  // index: a VT_I4 variant from 1 to the count.
  virtual HRESULT get_Item(const VARIANT& index, IVSSItemT<G>** item) = 0;

 protected:
  ~IVSSItemsT() = default;
};

// Members only the 2005 item has.
template <class G>
struct ItemGenerationMembers {
 protected:
  ~ItemGenerationMembers() = default;
};
template <>
struct ItemGenerationMembers<Vss2005> {
  // The child of a project with that name (letter case ignored); deleted
  // selects among the deleted children.
  virtual HRESULT get_Child(const std::wstring& name, VARIANT_BOOL deleted, IVSSItemT<Vss2005>** child) = 0;
  // The version object of the item's own version.
  virtual HRESULT get_VSSVersion(IVSSVersionT<Vss2005>** version) = 0;

 protected:
  ~ItemGenerationMembers() = default;
};

// A project or file, possibly as it stood at one of its versions.
template <class G>
struct IVSSItemT : IDispatch, ItemGenerationMembers<G> {
  static constexpr IID iid() { return G::kIs2005 ? sourceSafeGuid(0x2A0DE0EA) : sourceSafeGuid(0x2A0DE0E7); }

  virtual HRESULT get_Spec(std::wstring* spec) = 0;
  virtual HRESULT get_Binary(VARIANT_BOOL* binary) = 0;
  virtual HRESULT get_Deleted(VARIANT_BOOL* deleted) = 0;
  virtual HRESULT get_Type(int* type) = 0;
  virtual HRESULT get_LocalSpec(std::wstring* local) = 0;
  virtual HRESULT put_LocalSpec(const std::wstring& local) = 0;
  virtual HRESULT get_Name(std::wstring* name) = 0;
  // The containing project; S_OK with no item for the root.
  virtual HRESULT get_Parent(IVSSItemT<G>** parent) = 0;
  virtual HRESULT get_VersionNumber(LONG* number) = 0;
  virtual HRESULT get_Items(VARIANT_BOOL includeDeleted, IVSSItemsT<G>** items) = 0;
  // Writes the item (recursively for a project with VSSFLAG_RECURSYES) to the
  // local path; hands back the path actually used.
  virtual HRESULT Get(std::wstring* local, LONG flags) = 0;
  virtual HRESULT get_Versions(LONG flags, IVSSVersionsT<G>** versions) = 0;
  // version: a VT_BSTR with a version number (or label), or a VT_I4.
  virtual HRESULT get_Version(const VARIANT& version, IVSSItemT<G>** item) = 0;
  // Every place the item lives, the item itself included.
  virtual HRESULT get_Links(IVSSItemsT<G>** links) = 0;

 protected:
  ~IVSSItemT() = default;
};

template <class G>
struct IVSSDatabaseT : IDispatch {
  static constexpr IID iid() { return G::kIs2005 ? sourceSafeGuid(0x2A0DE0EE) : sourceSafeGuid(0x2A0DE0E2); }

  virtual HRESULT Open(const std::wstring& srcSafeIni, const std::wstring& user, const std::wstring& password) = 0;
  virtual HRESULT get_SrcSafeIni(std::wstring* path) = 0;
  virtual HRESULT get_Username(std::wstring* user) = 0;
  virtual HRESULT get_CurrentProject(std::wstring* spec) = 0;
  virtual HRESULT put_CurrentProject(const std::wstring& spec) = 0;
  virtual HRESULT get_VSSItem(const std::wstring& spec, VARIANT_BOOL deleted, IVSSItemT<G>** item) = 0;

 protected:
  ~IVSSDatabaseT() = default;
};

// The interface set of one generation, as the program's generic SourceSafe
// layer names it.
template <class G>
struct Automation {
  using Generation = G;
  using Database = IVSSDatabaseT<G>;
  using Item = IVSSItemT<G>;
  using Items = IVSSItemsT<G>;
  using Version = IVSSVersionT<G>;
  using Versions = IVSSVersionsT<G>;
  static constexpr bool kIs2005 = G::kIs2005;
};
using Automation60 = Automation<Vss60>;
using Automation2005 = Automation<Vss2005>;

// SourceSafe's own failure codes (FACILITY_ITF) that our library reports.
constexpr HRESULT ESS_VS_NOT_FOUND = makeHresult(0x8004D68Fu);       // File or project not found
constexpr HRESULT ESS_VS_VERS_NOT_FOUND = makeHresult(0x8004D689u);  // Version not found
constexpr HRESULT ESS_VS_CHILD_NOT_FOUND = makeHresult(0x8004D696u); // Subproject or file not found
constexpr HRESULT ESS_VS_WANT_PRJ = makeHresult(0x8004D687u);        // This command only works on projects.
constexpr HRESULT ESS_VS_WANT_FILE = makeHresult(0x8004D688u);       // This command only works on files.
constexpr HRESULT ESS_VS_NO_DELTA = makeHresult(0x8004D691u);        // File %s does not retain old versions
constexpr HRESULT ESS_CORRUPT = makeHresult(0x8004D698u);            // File %s may be corrupt
constexpr HRESULT ESS_UM_BAD_PASSWORD = makeHresult(0x8004D6C9u);    // Invalid password
constexpr HRESULT ESS_UM_USER_NOT_FOUND = makeHresult(0x8004D6C2u);  // User "%s" not found
constexpr HRESULT ESS_SS_HISTOPEN = makeHresult(0x8004D75Cu);        // A history operation is already in progress
constexpr HRESULT ESS_SSPEC_SYNTAX = makeHresult(0x8004D6EDu);       // Invalid SourceSafe syntax: "%s"
constexpr HRESULT ESS_FILE_NOTFOUND = makeHresult(0x8004D83Eu);      // File "%s" not found
constexpr HRESULT ESS_FILE_ACCESSDENIED = makeHresult(0x8004D84Bu);  // Access to file "%s" denied
constexpr HRESULT ESS_FILE_WRITE = makeHresult(0x8004D838u);         // Error writing to file
constexpr HRESULT ESS_INI_BADLINE = makeHresult(0x8004D827u);        // Invalid syntax on line %d of file %s
constexpr HRESULT ESS_DATABASE_NOT_FOUND = makeHresult(0x8004D117u); // The SourceSafe database path %s does not exist.

}  // namespace ssapi

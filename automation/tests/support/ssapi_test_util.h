// Helpers for tests that drive the automation library through its
// interfaces, the way the program does.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/error_info.h"
#include "platform/text_encoding.h"
#include "ssapi/builder.h"
#include "ssapi/ssapi.h"
#include "support/temp_dir.h"

namespace ssapitest {

using ssapi::IVSSDatabaseT;
using ssapi::IVSSItemsT;
using ssapi::IVSSItemT;
using ssapi::IVSSVersionsT;
using ssapi::IVSSVersionT;

using Generations = ::testing::Types<ssapi::Vss60, ssapi::Vss2005>;

// Status and error information of a failed call, for assertion messages.
inline std::string failure(HRESULT hr) {
  auto info = platform::takeErrorInfo();
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
  std::string text(code);
  text += info ? ' ' + platform::wideToUtf8(info->description) : std::string(" (no error info)");
  return text;
}

#define SSAPI_OK(call)                              \
  do {                                              \
    HRESULT hr_ = (call);                           \
    ASSERT_TRUE(SUCCEEDED(hr_)) << ::ssapitest::failure(hr_); \
  } while (0)

// The OLE date of UTC seconds, as get_Date gives it when TZ=UTC.
inline double oleDate(std::int64_t utcSeconds) { return static_cast<double>(utcSeconds) / 86400.0 + 25569.0; }

template <class G>
ComPtr<IVSSItemT<G>> item(const ComPtr<IVSSDatabaseT<G>>& db, const std::wstring& spec, bool deleted = false) {
  ComPtr<IVSSItemT<G>> result;
  HRESULT hr = db->get_VSSItem(spec, deleted ? VARIANT_TRUE : VARIANT_FALSE, result.put());
  EXPECT_TRUE(SUCCEEDED(hr) && result) << platform::wideToUtf8(spec) << ": " << failure(hr);
  return result;
}

struct VersionRow {
  LONG number = 0;
  std::wstring action;
  std::wstring user;
  std::wstring comment;
  std::wstring label;
  std::wstring labelComment;
  double date = 0;
  std::wstring spec;  // of the version's item
  LONG itemVersion = 0;
  bool itemDeleted = false;
};

// Every version get_Versions lists, read through _NewEnum and Next.
template <class G>
std::vector<VersionRow> versions(const ComPtr<IVSSItemT<G>>& of, LONG flags = 0) {
  std::vector<VersionRow> rows;
  ComPtr<IVSSVersionsT<G>> list;
  HRESULT hr = of->get_Versions(flags, list.put());
  EXPECT_TRUE(SUCCEEDED(hr) && list) << failure(hr);
  if (!list) return rows;
  ComPtr<IUnknown> unknown;
  EXPECT_EQ(list->_NewEnum(unknown.put()), S_OK);
  ComPtr<IEnumVARIANT> enumerator;
  EXPECT_EQ(unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(enumerator.put())), S_OK);
  for (;;) {
    VARIANT element;
    ULONG fetched = 0;
    if (enumerator->Next(1, &element, &fetched) != S_OK || fetched != 1) break;
    ComPtr<IVSSVersionT<G>> version;
    EXPECT_EQ(element.punkVal->QueryInterface(IVSSVersionT<G>::iid(), reinterpret_cast<void**>(version.put())), S_OK);
    VersionRow row;
    EXPECT_EQ(version->get_VersionNumber(&row.number), S_OK);
    EXPECT_EQ(version->get_Action(&row.action), S_OK);
    EXPECT_EQ(version->get_Username(&row.user), S_OK);
    EXPECT_EQ(version->get_Comment(&row.comment), S_OK);
    EXPECT_EQ(version->get_Label(&row.label), S_OK);
    EXPECT_EQ(version->get_LabelComment(&row.labelComment), S_OK);
    EXPECT_EQ(version->get_Date(&row.date), S_OK);
    ComPtr<IVSSItemT<G>> at;
    EXPECT_EQ(version->get_VSSItem(at.put()), S_OK);
    if (at) {
      at->get_Spec(&row.spec);
      at->get_VersionNumber(&row.itemVersion);
      VARIANT_BOOL deleted = VARIANT_FALSE;
      at->get_Deleted(&deleted);
      row.itemDeleted = deleted != VARIANT_FALSE;
    }
    rows.push_back(row);
  }
  return rows;
}

// "number action" of each version, newest first: compact to compare.
template <class G>
std::vector<std::wstring> history(const ComPtr<IVSSItemT<G>>& of, LONG flags = 0) {
  std::vector<std::wstring> lines;
  for (const VersionRow& row : versions<G>(of, flags)) {
    lines.push_back(std::to_wstring(row.number) + L" " + row.action + (flags & ssapi::VSSFLAG_RECURSYES ? L" @" + row.spec : L""));
  }
  return lines;
}

template <class G>
std::vector<ComPtr<IVSSItemT<G>>> itemsOf(const ComPtr<IVSSItemsT<G>>& collection) {
  std::vector<ComPtr<IVSSItemT<G>>> result;
  LONG count = 0;
  EXPECT_EQ(collection->get_Count(&count), S_OK);
  for (LONG i = 1; i <= count; ++i) {
    ComPtr<IVSSItemT<G>> one;
    EXPECT_EQ(collection->get_Item(Variant(i), one.put()), S_OK);
    result.push_back(one);
  }
  return result;
}

template <class G>
std::vector<ComPtr<IVSSItemT<G>>> children(const ComPtr<IVSSItemT<G>>& project, bool includeDeleted = false) {
  ComPtr<IVSSItemsT<G>> collection;
  HRESULT hr = project->get_Items(includeDeleted ? VARIANT_TRUE : VARIANT_FALSE, collection.put());
  EXPECT_TRUE(SUCCEEDED(hr) && collection) << failure(hr);
  if (!collection) return {};
  return itemsOf<G>(collection);
}

// "name" or "name (deleted)" with "@version" of each child, in the library's order.
template <class G>
std::vector<std::wstring> childNames(const ComPtr<IVSSItemT<G>>& project, bool includeDeleted = false) {
  std::vector<std::wstring> names;
  for (const auto& child : children<G>(project, includeDeleted)) {
    std::wstring name;
    LONG version = 0;
    VARIANT_BOOL deleted = VARIANT_FALSE;
    child->get_Name(&name);
    child->get_VersionNumber(&version);
    child->get_Deleted(&deleted);
    names.push_back(name + L"@" + std::to_wstring(version) + (deleted ? L" (deleted)" : L""));
  }
  return names;
}

template <class G>
std::wstring specOf(const ComPtr<IVSSItemT<G>>& of) {
  std::wstring spec;
  EXPECT_EQ(of->get_Spec(&spec), S_OK);
  return spec;
}

template <class G>
ComPtr<IVSSItemT<G>> atVersion(const ComPtr<IVSSItemT<G>>& of, LONG version) {
  ComPtr<IVSSItemT<G>> result;
  HRESULT hr = of->get_Version(Variant(std::to_wstring(version)), result.put());
  EXPECT_TRUE(SUCCEEDED(hr) && result) << failure(hr);
  return result;
}

// The content a file item's Get writes.
template <class G>
std::string content(const ComPtr<IVSSItemT<G>>& file) {
  testsupport::TempDir dir;
  std::wstring local = platform::utf8ToWide((dir.path() / "got").string());
  HRESULT hr = file->Get(&local, ssapi::VSSFLAG_REPREPLACE);
  EXPECT_TRUE(SUCCEEDED(hr)) << failure(hr);
  return testsupport::readFileBytes(dir.path() / "got");
}

}  // namespace ssapitest

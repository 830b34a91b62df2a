// Fault injection: chosen calls on chosen items fail or hand out nothing, in
// process and through the SSAPI_FAULTS file.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/com_registry.h"
#include "ssapi/library.h"
#include "support/environment.h"
#include "support/ssapi_test_util.h"

namespace {

using namespace ssapitest;
using ssapi::DatabaseBuilder;
using ssapi::Fault;
using ssapi::Vss2005;
using ssapi::Vss60;

constexpr HRESULT kStatus = ssapi::ESS_VS_NOT_FOUND;

template <class G>
class FaultTest : public ::testing::Test {
 protected:
  FaultTest() {
    b_.createProject(L"$/p").addFile(L"$/p/a.txt", "1").checkIn(L"$/p/a.txt", "2").addFile(L"$/p/b.txt", "b");
    db_ = b_.open<G>();
  }
  DatabaseBuilder b_;
  ComPtr<IVSSDatabaseT<G>> db_;
};
TYPED_TEST_SUITE(FaultTest, Generations);

TYPED_TEST(FaultTest, ItemCallFailsWithStatusAndErrorInfoOnceByDefault) {
  using G = TypeParam;
  this->b_.faults().fail(L"get_Type", L"$/P/A.TXT", kStatus).withDescription(L"no type today");
  auto file = item<G>(this->db_, L"$/p/a.txt");
  auto other = item<G>(this->db_, L"$/p/b.txt");
  int type = -1;
  EXPECT_EQ(other->get_Type(&type), S_OK);
  EXPECT_EQ(file->get_Type(&type), kStatus);
  auto info = platform::takeErrorInfo();
  ASSERT_TRUE(info);
  EXPECT_EQ(info->description, L"no type today");
  EXPECT_EQ(info->source, L"SourceSafe");
  EXPECT_EQ(file->get_Type(&type), S_OK);
  EXPECT_EQ(type, ssapi::VSSITEM_FILE);
}

TYPED_TEST(FaultTest, WindowOfCallsAndVersionFilter) {
  using G = TypeParam;
  this->b_.faults().fail(L"get_Name", L"$/p/a.txt").onVersion(1).fromCall(2).times(2).withoutErrorInfo();
  auto current = item<G>(this->db_, L"$/p/a.txt");
  auto first = atVersion<G>(current, 1);
  std::wstring name;
  std::vector<HRESULT> seen;
  EXPECT_EQ(current->get_Name(&name), S_OK);  // version 2: not counted
  for (int i = 0; i < 4; ++i) seen.push_back(first->get_Name(&name));
  EXPECT_EQ(seen, (std::vector<HRESULT>{S_OK, E_FAIL, E_FAIL, S_OK}));
  EXPECT_FALSE(platform::takeErrorInfo());
}

TYPED_TEST(FaultTest, ForeverAndHandingOutNothing) {
  using G = TypeParam;
  this->b_.faults().handOutNothing(L"get_VSSItem", L"$/p/b.txt").forever();
  for (int i = 0; i < 3; ++i) {
    ComPtr<IVSSItemT<G>> found;
    EXPECT_EQ(this->db_->get_VSSItem(L"$/p/b.txt", VARIANT_FALSE, found.put()), S_OK);
    EXPECT_FALSE(found);
  }
  EXPECT_TRUE(item<G>(this->db_, L"$/p/a.txt"));
  this->b_.faults().clear();
  EXPECT_TRUE(item<G>(this->db_, L"$/p/b.txt"));
}

TYPED_TEST(FaultTest, CollectionAndEnumeratorCalls) {
  using G = TypeParam;
  auto& faults = this->b_.faults();
  auto project = item<G>(this->db_, L"$/p");
  auto file = item<G>(this->db_, L"$/p/a.txt");

  faults.fail(L"get_Versions", L"$/p/a.txt", kStatus);
  ComPtr<IVSSVersionsT<G>> list;
  EXPECT_EQ(file->get_Versions(0, list.put()), kStatus);
  platform::clearErrorInfo();

  faults.fail(L"_NewEnum", L"$/p/a.txt");
  SSAPI_OK(file->get_Versions(0, list.put()));
  ComPtr<IUnknown> unknown;
  EXPECT_EQ(list->_NewEnum(unknown.put()), E_FAIL);
  platform::clearErrorInfo();

  faults.fail(L"QueryInterface(IEnumVARIANT)", L"$/p/a.txt", E_NOINTERFACE).withoutErrorInfo();
  SSAPI_OK(list->_NewEnum(unknown.put()));
  ComPtr<IEnumVARIANT> enumerator;
  EXPECT_EQ(unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(enumerator.put())), E_NOINTERFACE);
  SSAPI_OK(unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(enumerator.put())));

  // Next on the element for version 1: fails; on version 2 a null element.
  faults.fail(L"Next", L"$/p/a.txt", kStatus).onVersion(1);
  faults.handOutNothing(L"Next", L"$/p/a.txt").onVersion(2);
  VARIANT element;
  ULONG fetched = 0;
  EXPECT_EQ(enumerator->Next(1, &element, &fetched), S_OK);
  EXPECT_EQ(fetched, 1u);
  EXPECT_EQ(element.vt, VT_DISPATCH);
  EXPECT_EQ(element.punkVal, nullptr);
  EXPECT_EQ(enumerator->Next(1, &element, &fetched), S_OK);  // version 2 again, the fault was once
  EXPECT_NE(element.punkVal, nullptr);
  EXPECT_EQ(enumerator->Next(1, &element, &fetched), kStatus);
  EXPECT_EQ(fetched, 0u);
  platform::clearErrorInfo();

  // get_Item on the child it would hand out.
  faults.fail(L"get_Item", L"$/p/b.txt", kStatus);
  ComPtr<IVSSItemsT<G>> items;
  SSAPI_OK(project->get_Items(VARIANT_FALSE, items.put()));
  ComPtr<IVSSItemT<G>> child;
  EXPECT_EQ(items->get_Item(Variant(LONG{1}), child.put()), S_OK);
  EXPECT_EQ(items->get_Item(Variant(LONG{2}), child.put()), kStatus);
  EXPECT_FALSE(child);
  platform::clearErrorInfo();

  faults.handOutNothing(L"get_Count", L"$/p");
  LONG count = 7;
  EXPECT_EQ(items->get_Count(&count), S_OK);
  EXPECT_EQ(count, 0);
}

TYPED_TEST(FaultTest, VersionObjectCalls) {
  using G = TypeParam;
  this->b_.faults().fail(L"get_Action", L"$/p/a.txt").onVersion(2);
  this->b_.faults().fail(L"get_Date", L"$/p/a.txt").onVersion(1).withStatus(kStatus);
  this->b_.faults().handOutNothing(L"get_VSSItem", L"$/p/a.txt").onVersion(1);
  ComPtr<IVSSVersionsT<G>> list;
  SSAPI_OK(item<G>(this->db_, L"$/p/a.txt")->get_Versions(0, list.put()));
  ComPtr<IUnknown> unknown;
  SSAPI_OK(list->_NewEnum(unknown.put()));
  ComPtr<IEnumVARIANT> enumerator;
  SSAPI_OK(unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(enumerator.put())));
  VARIANT elements[3];
  ULONG fetched = 0;
  EXPECT_EQ(enumerator->Next(3, elements, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  ComPtr<IVSSVersionT<G>> second;
  ComPtr<IVSSVersionT<G>> first;
  SSAPI_OK(elements[0].punkVal->QueryInterface(IVSSVersionT<G>::iid(), reinterpret_cast<void**>(second.put())));
  SSAPI_OK(elements[1].punkVal->QueryInterface(IVSSVersionT<G>::iid(), reinterpret_cast<void**>(first.put())));

  std::wstring action = L"x";
  EXPECT_EQ(second->get_Action(&action), E_FAIL);
  EXPECT_EQ(action, L"");
  EXPECT_EQ(platform::takeErrorInfo()->description, L"Injected fault");
  SSAPI_OK(first->get_Action(&action));
  EXPECT_EQ(action, L"Created a.txt");
  DATE date = 1;
  EXPECT_EQ(first->get_Date(&date), kStatus);
  platform::clearErrorInfo();
  SSAPI_OK(second->get_Date(&date));
  ComPtr<IVSSItemT<G>> at;
  EXPECT_EQ(first->get_VSSItem(at.put()), S_OK);
  EXPECT_FALSE(at);
  SSAPI_OK(second->get_VSSItem(at.put()));
  EXPECT_TRUE(at);
}

TEST(FaultTest2005, GetChildAndGet) {
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/a.txt", "1");
  b.faults().fail(L"get_Child", L"$/p", kStatus);
  b.faults().fail(L"Get", L"$/p/a.txt", ssapi::ESS_FILE_WRITE).withDescription(L"Error writing to file");
  auto db = b.open<Vss2005>();
  ComPtr<IVSSItemT<Vss2005>> child;
  EXPECT_EQ(item<Vss2005>(db, L"$/p")->get_Child(L"a.txt", VARIANT_FALSE, child.put()), kStatus);
  SSAPI_OK(item<Vss2005>(db, L"$/p")->get_Child(L"a.txt", VARIANT_FALSE, child.put()));
  std::wstring local = L"/nonexistent/never/written";
  EXPECT_EQ(child->Get(&local, 0), ssapi::ESS_FILE_WRITE);
  EXPECT_EQ(platform::takeErrorInfo()->description, L"Error writing to file");
}

class FaultFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DatabaseBuilder b;
    b.createProject(L"$/p").addFile(L"$/p/a.txt", "1");
    b.writeTo(dir_.path());
    ssapi::installLibrary();
  }
  void TearDown() override { testsupport::unsetEnvironmentVariable("SSAPI_FAULTS"); }

  HRESULT open(ComPtr<IVSSDatabaseT<Vss60>>* db) {
    CoCreateInstance(ssapi::CLSID_VSSDatabase, nullptr, CLSCTX_ALL, IVSSDatabaseT<Vss60>::iid(),
                     reinterpret_cast<void**>(db->put()));
    return (*db)->Open(platform::utf8ToWide((dir_ / "srcsafe.ini").string()), L"Admin", L"");
  }
  void useFaults(const std::string& text) {
    testsupport::writeFileBytes(dir_ / "faults.txt", text);
    testsupport::setEnvironmentVariable("SSAPI_FAULTS", (dir_ / "faults.txt").string());
  }

  testsupport::TempDir dir_;
};

TEST_F(FaultFileTest, RulesFromTheFileApplyToDatabasesOpenedThroughTheRegistry) {
  useFaults(
      "# operation spec options\n"
      "get_VSSItem $\\p\\A.txt status=0x8004D68F description=\"File or project not found\" from=2 times=forever\n"
      "get_Versions * nothing\n"
      "get_Type \"$/p\" status=-2147467259 noinfo\n");
  ComPtr<IVSSDatabaseT<Vss60>> db;
  SSAPI_OK(open(&db));
  EXPECT_TRUE(item<Vss60>(db, L"$/p/a.txt"));
  for (int i = 0; i < 2; ++i) {
    ComPtr<IVSSItemT<Vss60>> found;
    EXPECT_EQ(db->get_VSSItem(L"$/p/a.txt", VARIANT_FALSE, found.put()), ssapi::ESS_VS_NOT_FOUND);
    EXPECT_EQ(platform::takeErrorInfo()->description, L"File or project not found");
  }
  auto project = item<Vss60>(db, L"$/p");
  ComPtr<IVSSVersionsT<Vss60>> list;
  EXPECT_EQ(project->get_Versions(0, list.put()), S_OK);
  EXPECT_FALSE(list);
  int type = 0;
  EXPECT_EQ(project->get_Type(&type), E_FAIL);
  EXPECT_FALSE(platform::takeErrorInfo());
}

TEST_F(FaultFileTest, OpenCanFailAndBadFilesAreReported) {
  useFaults("Open * status=0x8004D6C9 description=\"Invalid password\"\n");
  ComPtr<IVSSDatabaseT<Vss60>> db;
  EXPECT_EQ(open(&db), ssapi::ESS_UM_BAD_PASSWORD);
  EXPECT_EQ(platform::takeErrorInfo()->description, L"Invalid password");

  useFaults("get_Type $/p\nget_Type $/p times=sometimes\n");
  EXPECT_EQ(open(&db), E_INVALIDARG);
  EXPECT_EQ(platform::takeErrorInfo()->description,
            L"Fault file \"" + platform::utf8ToWide((dir_ / "faults.txt").string()) +
                L"\", line 2: cannot read \"times=sometimes\"");
}

}  // namespace

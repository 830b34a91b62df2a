// Labels, rollbacks, get_Version, and the item and database members the
// program's navigation relies on.
#include <gtest/gtest.h>

#include "support/ssapi_test_util.h"

namespace {

using namespace ssapitest;
using ssapi::DatabaseBuilder;
using ssapi::Vss2005;
using Lines = std::vector<std::wstring>;

template <class G>
class ItemMembersTest : public ::testing::Test {};
TYPED_TEST_SUITE(ItemMembersTest, Generations);

TYPED_TEST(ItemMembersTest, LabelsMakeVersionsOfTheLabelledItemOnly) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/a.txt", "1").withComment(L"ready").label(L"$/p/a.txt", L"v1.0", L"first")
      .checkIn(L"$/p/a.txt", "2").label(L"$/p", L"rel");
  auto db = b.open<G>();
  auto rows = versions<G>(item<G>(db, L"$/p/a.txt"));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].number, 2);
  EXPECT_EQ(rows[1].action, L"Labeled 'v1.0'");
  EXPECT_EQ(rows[1].label, L"v1.0");
  EXPECT_EQ(rows[1].labelComment, L"first");
  EXPECT_EQ(rows[1].comment, L"ready");
  EXPECT_EQ(rows[0].label, L"");
  // Project labels are not copied into the children's histories.
  EXPECT_EQ(history<G>(item<G>(db, L"$/p")), (Lines{L"3 Labeled 'rel'", L"2 Added a.txt", L"1 Created $p"}));

  ComPtr<IVSSItemT<G>> labelled;
  SSAPI_OK(item<G>(db, L"$/p/a.txt")->get_Version(Variant(L"v1.0"), labelled.put()));
  LONG number = 0;
  labelled->get_VersionNumber(&number);
  EXPECT_EQ(number, 2);
  EXPECT_EQ(content<G>(labelled), "1");
}

TYPED_TEST(ItemMembersTest, RollbackBringsAnOldContentBackAsANewVersion) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/a.txt", "1").checkIn(L"$/p/a.txt", "2").checkIn(L"$/p/a.txt", "3")
      .rollback(L"$/p/a.txt", 2);
  auto db = b.open<G>();
  auto file = item<G>(db, L"$/p/a.txt");
  EXPECT_EQ(history<G>(file).front(), L"4 Rollback to version 2");
  EXPECT_EQ(content<G>(file), "2");
}

TYPED_TEST(ItemMembersTest, GetVersionTakesNumbersAndRefusesOthers) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/a.txt", "1").checkIn(L"$/p/a.txt", "2");
  auto db = b.open<G>();
  auto file = item<G>(db, L"$/p/a.txt");
  struct Row {
    const char* name;
    Variant argument;
    LONG expected;  // 0: Version not found
  };
  const Row rows[] = {
      {"text number", Variant(L"1"), 1},   {"I4 number", Variant(LONG{2}), 2},   {"blanks", Variant(L" 2 "), 2},
      {"zero is the newest", Variant(L"0"), 2},          {"beyond last", Variant(L"3"), 0},    {"negative I4", Variant(LONG{-51}), 0},
      {"unknown label", Variant(L"nope"), 0},
  };
  for (const Row& row : rows) {
    ComPtr<IVSSItemT<G>> at;
    HRESULT hr = file->get_Version(row.argument, at.put());
    if (row.expected == 0) {
      EXPECT_EQ(hr, ssapi::ESS_VS_VERS_NOT_FOUND) << row.name;
      EXPECT_FALSE(at) << row.name;
      auto info = platform::takeErrorInfo();
      ASSERT_TRUE(info) << row.name;
      EXPECT_EQ(info->description, L"Version not found") << row.name;
    } else {
      ASSERT_EQ(hr, S_OK) << row.name;
      LONG number = 0;
      at->get_VersionNumber(&number);
      EXPECT_EQ(number, row.expected) << row.name;
    }
  }
}

TYPED_TEST(ItemMembersTest, SpecLookupIgnoresCaseAcceptsBackslashesAndKeepsTheCallersSpelling) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/Proj").createProject(L"$/Proj/Sub").addFile(L"$/Proj/Sub/File.txt", "x");
  auto db = b.open<G>();
  struct Row {
    const wchar_t* asked;
    const wchar_t* spec;
    const wchar_t* name;
  };
  const Row rows[] = {
      {L"$/proj/sub/file.txt", L"$/proj/sub/file.txt", L"File.txt"},
      {L"$\\PROJ\\Sub\\File.txt", L"$/PROJ/Sub/File.txt", L"File.txt"},
      {L"$/Proj/Sub/", L"$/Proj/Sub", L"Sub"},
      {L"$/", L"$/", L""},
      {L"$", L"$/", L""},
  };
  for (const Row& row : rows) {
    auto found = item<G>(db, row.asked);
    ASSERT_TRUE(found) << platform::wideToUtf8(row.asked);
    std::wstring name;
    found->get_Name(&name);
    EXPECT_EQ(specOf<G>(found), row.spec);
    EXPECT_EQ(name, row.name);
  }
  ComPtr<IVSSItemT<G>> missing;
  EXPECT_EQ(db->get_VSSItem(L"$/Proj/none", VARIANT_FALSE, missing.put()), ssapi::ESS_VS_NOT_FOUND);
  auto info = platform::takeErrorInfo();
  ASSERT_TRUE(info);
  EXPECT_EQ(info->description, L"File or project not found");
  EXPECT_EQ(db->get_VSSItem(L"Proj", VARIANT_FALSE, missing.put()), ssapi::ESS_SSPEC_SYNTAX);
  platform::clearErrorInfo();
}

TYPED_TEST(ItemMembersTest, ParentTypeAndVersionOfItems) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/a.txt", "1");
  auto db = b.open<G>();
  auto root = item<G>(db, L"$/");
  ComPtr<IVSSItemT<G>> none;
  EXPECT_EQ(root->get_Parent(none.put()), S_OK);
  EXPECT_FALSE(none);
  int type = -1;
  root->get_Type(&type);
  EXPECT_EQ(type, ssapi::VSSITEM_PROJECT);

  auto file = item<G>(db, L"$/p/a.txt");
  file->get_Type(&type);
  EXPECT_EQ(type, ssapi::VSSITEM_FILE);
  ComPtr<IVSSItemT<G>> parent;
  SSAPI_OK(file->get_Parent(parent.put()));
  EXPECT_EQ(specOf<G>(parent), L"$/p");
  ComPtr<IVSSItemT<G>> grandParent;
  SSAPI_OK(parent->get_Parent(grandParent.put()));
  EXPECT_EQ(specOf<G>(grandParent), L"$/");
  LONG version = 0;
  parent->get_VersionNumber(&version);
  EXPECT_EQ(version, 2);

  ComPtr<IVSSItemsT<G>> notAProject;
  EXPECT_EQ(file->get_Items(VARIANT_FALSE, notAProject.put()), ssapi::ESS_VS_WANT_PRJ);
  platform::clearErrorInfo();
}

TYPED_TEST(ItemMembersTest, CurrentProjectAndWorkingFolders) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/a.txt", "1");
  auto db = b.open<G>();
  std::wstring current;
  db->get_CurrentProject(&current);
  EXPECT_EQ(current, L"$/");
  SSAPI_OK(db->put_CurrentProject(L"$/P"));
  db->get_CurrentProject(&current);
  EXPECT_EQ(current, L"$/P");
  EXPECT_EQ(db->put_CurrentProject(L"$/p/a.txt"), ssapi::ESS_VS_WANT_PRJ);
  EXPECT_EQ(db->put_CurrentProject(L"$/q"), ssapi::ESS_VS_NOT_FOUND);
  platform::clearErrorInfo();

  SSAPI_OK(item<G>(db, L"$/p")->put_LocalSpec(L"/work/here"));
  std::wstring local;
  item<G>(db, L"$/p/a.txt")->get_LocalSpec(&local);
  EXPECT_EQ(local, L"/work/here/a.txt");
  EXPECT_EQ(item<G>(db, L"$/p/a.txt")->put_LocalSpec(L"/x"), ssapi::ESS_VS_WANT_PRJ);
  platform::clearErrorInfo();
}

TEST(GetChildTest, FindsChildrenWithoutRegardToCaseAmongLiveOrDeleted) {
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/Readme.txt", "old").remove(L"$/p/Readme.txt")
      .addFile(L"$/p/readme.TXT", "new").createProject(L"$/p/Sub");
  auto db = b.open<Vss2005>();
  auto project = item<Vss2005>(db, L"$/p");
  struct Row {
    const wchar_t* name;
    VARIANT_BOOL deleted;
    const char* content;  // nullptr: not found
  };
  const Row rows[] = {
      {L"README.txt", VARIANT_FALSE, "new"},
      {L"readme.txt", VARIANT_TRUE, "old"},
      {L"sub", VARIANT_FALSE, ""},
      {L"sub", VARIANT_TRUE, nullptr},
      {L"missing", VARIANT_FALSE, nullptr},
  };
  for (const Row& row : rows) {
    ComPtr<IVSSItemT<Vss2005>> child;
    HRESULT hr = project->get_Child(row.name, row.deleted, child.put());
    if (!row.content) {
      EXPECT_EQ(hr, ssapi::ESS_VS_CHILD_NOT_FOUND) << platform::wideToUtf8(row.name);
      EXPECT_FALSE(child);
      auto info = platform::takeErrorInfo();
      ASSERT_TRUE(info);
      EXPECT_EQ(info->description, L"Subproject or file not found");
      continue;
    }
    ASSERT_EQ(hr, S_OK) << platform::wideToUtf8(row.name);
    int type = 0;
    child->get_Type(&type);
    if (type == ssapi::VSSITEM_FILE) {
      EXPECT_EQ(content<Vss2005>(child), row.content);
    }
  }
}

TEST(GetChildTest, ChildOfAProjectVersionIsTheChildAsItStoodThen) {
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/a.txt", "1").addFile(L"$/p/b.txt", "b").checkIn(L"$/p/a.txt", "2");
  auto db = b.open<Vss2005>();
  auto old = atVersion<Vss2005>(item<Vss2005>(db, L"$/p"), 2);
  ComPtr<IVSSItemT<Vss2005>> child;
  SSAPI_OK(old->get_Child(L"A.TXT", VARIANT_FALSE, child.put()));
  EXPECT_EQ(content<Vss2005>(child), "1");
  ComPtr<IVSSItemT<Vss2005>> notYet;
  EXPECT_EQ(old->get_Child(L"b.txt", VARIANT_FALSE, notYet.put()), ssapi::ESS_VS_CHILD_NOT_FOUND);
  platform::clearErrorInfo();
}

TEST(VSSVersionTest, TheItemsOwnVersionObject) {
  DatabaseBuilder b;
  b.createProject(L"$/p").at(5000).by(L"ann").withComment(L"c").addFile(L"$/p/a.txt", "1")
      .at(6000).checkIn(L"$/p/a.txt", "2");
  auto db = b.open<Vss2005>();
  auto old = atVersion<Vss2005>(item<Vss2005>(db, L"$/p/a.txt"), 1);
  ComPtr<IVSSVersionT<Vss2005>> version;
  SSAPI_OK(old->get_VSSVersion(version.put()));
  std::wstring action, user, comment;
  DATE date = 0;
  version->get_Action(&action);
  version->get_Username(&user);
  version->get_Comment(&comment);
  version->get_Date(&date);
  EXPECT_EQ(action, L"Created a.txt");
  EXPECT_EQ(user, L"ann");
  EXPECT_EQ(comment, L"c");
  EXPECT_DOUBLE_EQ(date, oleDate(5000));
}

}  // namespace

// Changes recorded in a project's history: rename, move, delete, recover,
// destroy, purge, archive and restore; and what the project holds as of each
// of its versions.
#include <gtest/gtest.h>

#include <functional>

#include "support/ssapi_test_util.h"

namespace {

using namespace ssapitest;
using ssapi::DatabaseBuilder;
using ssapi::VSSFLAG_HISTIGNOREFILES;
using ssapi::VSSFLAG_RECURSNO;
using ssapi::VSSFLAG_RECURSYES;
using Lines = std::vector<std::wstring>;

constexpr LONG kProjectFlags = VSSFLAG_RECURSNO | VSSFLAG_HISTIGNOREFILES;

template <class G>
class ProjectChangesTest : public ::testing::Test {};
TYPED_TEST_SUITE(ProjectChangesTest, Generations);

TYPED_TEST(ProjectChangesTest, RenameOfAFileAndOfAProject) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/a.txt", "x").createProject(L"$/p/old")
      .rename(L"$/p/a.txt", L"b.txt").rename(L"$/p/old", L"new");
  auto db = b.open<G>();
  auto project = item<G>(db, L"$/p");
  EXPECT_EQ(history<G>(project, kProjectFlags),
            (Lines{L"5 Renamed $old to $new", L"4 Renamed a.txt to b.txt", L"3 Added $old", L"2 Added a.txt",
                   L"1 Created $p"}));
  EXPECT_EQ(childNames<G>(project), (Lines{L"b.txt@1", L"new@1"}));
  EXPECT_EQ(childNames<G>(atVersion<G>(project, 4)), (Lines{L"b.txt@1", L"old@1"}));
  EXPECT_EQ(childNames<G>(atVersion<G>(project, 3)), (Lines{L"a.txt@1", L"old@1"}));
  // The file's own record keeps the name it was created with.
  EXPECT_EQ(history<G>(item<G>(db, L"$/p/b.txt")), (Lines{L"1 Created a.txt"}));
  ComPtr<IVSSItemT<G>> gone;
  EXPECT_EQ(db->get_VSSItem(L"$/p/a.txt", VARIANT_FALSE, gone.put()), ssapi::ESS_VS_NOT_FOUND);
  platform::clearErrorInfo();
}

TYPED_TEST(ProjectChangesTest, RenameOfASharedFileRenamesItInEveryProject) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/a").createProject(L"$/b").addFile(L"$/a/x.h", "x").share(L"$/a/x.h", L"$/b")
      .rename(L"$/b/x.h", L"y.h");
  auto db = b.open<G>();
  EXPECT_EQ(history<G>(item<G>(db, L"$/a"), kProjectFlags).front(), L"3 Renamed x.h to y.h");
  EXPECT_EQ(history<G>(item<G>(db, L"$/b"), kProjectFlags).front(), L"3 Renamed x.h to y.h");
  EXPECT_EQ(childNames<G>(item<G>(db, L"$/a")), (Lines{L"y.h@1"}));
}

TYPED_TEST(ProjectChangesTest, MoveIsRecordedInBothProjects) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/old").createProject(L"$/other").createProject(L"$/old/sub").addFile(L"$/old/sub/f.c", "f")
      .move(L"$/old/sub", L"$/other");
  auto db = b.open<G>();
  EXPECT_EQ(history<G>(item<G>(db, L"$/old"), kProjectFlags),
            (Lines{L"3 Moved $sub to $/other/sub", L"2 Added $sub", L"1 Created $old"}));
  EXPECT_EQ(history<G>(item<G>(db, L"$/other"), kProjectFlags),
            (Lines{L"2 Moved $sub from $/old/sub", L"1 Created $other"}));
  auto moved = item<G>(db, L"$/other/sub");
  EXPECT_EQ(history<G>(moved, kProjectFlags), (Lines{L"2 Added f.c", L"1 Created $sub"}));
  EXPECT_EQ(childNames<G>(moved), (Lines{L"f.c@1"}));
  EXPECT_EQ(childNames<G>(item<G>(db, L"$/old")), Lines{});
  // At $/old's version 2 the subproject had not yet got f.c.
  EXPECT_EQ(childNames<G>(atVersion<G>(item<G>(db, L"$/old"), 2)), (Lines{L"sub@1"}));

  ComPtr<IVSSItemT<G>> parent;
  SSAPI_OK(moved->get_Parent(parent.put()));
  EXPECT_EQ(specOf<G>(parent), L"$/other");
}

TYPED_TEST(ProjectChangesTest, DeleteAndRecover) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/a.txt", "x").createProject(L"$/p/sub").remove(L"$/p/a.txt")
      .remove(L"$/p/sub").recover(L"$/p/sub");
  auto db = b.open<G>();
  auto project = item<G>(db, L"$/p");
  EXPECT_EQ(history<G>(project, kProjectFlags),
            (Lines{L"6 Recovered $sub", L"5 Deleted $sub", L"4 Deleted a.txt", L"3 Added $sub", L"2 Added a.txt",
                   L"1 Created $p"}));
  EXPECT_EQ(childNames<G>(project), (Lines{L"sub@1"}));
  EXPECT_EQ(childNames<G>(project, true), (Lines{L"a.txt@1 (deleted)", L"sub@1"}));
  EXPECT_EQ(childNames<G>(atVersion<G>(project, 5), true), (Lines{L"a.txt@1 (deleted)", L"sub@1 (deleted)"}));
  EXPECT_EQ(childNames<G>(atVersion<G>(project, 3), true), (Lines{L"a.txt@1", L"sub@1"}));

  ComPtr<IVSSItemT<G>> deleted;
  EXPECT_EQ(db->get_VSSItem(L"$/p/a.txt", VARIANT_FALSE, deleted.put()), ssapi::ESS_VS_NOT_FOUND);
  auto info = platform::takeErrorInfo();
  ASSERT_TRUE(info);
  EXPECT_EQ(info->description, L"File or project not found");
  EXPECT_EQ(info->source, L"SourceSafe");
  auto found = item<G>(db, L"$/p/a.txt", true);
  VARIANT_BOOL flag = VARIANT_FALSE;
  SSAPI_OK(found->get_Deleted(&flag));
  EXPECT_EQ(flag, VARIANT_TRUE);
}

TYPED_TEST(ProjectChangesTest, DeletedAndLiveEntriesOfTheSameName) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/a.txt", "old").remove(L"$/p/a.txt").addFile(L"$/p/a.txt", "new");
  auto db = b.open<G>();
  auto project = item<G>(db, L"$/p");
  EXPECT_EQ(childNames<G>(project, true), (Lines{L"a.txt@1 (deleted)", L"a.txt@1"}));
  EXPECT_EQ(content<G>(item<G>(db, L"$/p/a.txt")), "new");
  EXPECT_EQ(content<G>(item<G>(db, L"$/p/a.txt", true)), "old");
}

TYPED_TEST(ProjectChangesTest, DestroyAndPurge) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/a.txt", "x").createProject(L"$/p/sub").destroy(L"$/p/sub")
      .remove(L"$/p/a.txt").purge(L"$/p/a.txt");
  auto db = b.open<G>();
  auto project = item<G>(db, L"$/p");
  EXPECT_EQ(history<G>(project, kProjectFlags),
            (Lines{L"6 Purged a.txt", L"5 Deleted a.txt", L"4 Destroyed $sub", L"3 Added $sub", L"2 Added a.txt",
                   L"1 Created $p"}));
  EXPECT_EQ(childNames<G>(project, true), Lines{});
  EXPECT_EQ(childNames<G>(atVersion<G>(project, 3), true), (Lines{L"a.txt@1", L"sub@1"}));
  // The recursive history keeps what was ever below the project, destroyed
  // items included: what happened to them happened below it.
  EXPECT_EQ(history<G>(project, VSSFLAG_RECURSYES).size(), 8u);
}

TYPED_TEST(ProjectChangesTest, ArchiveAndRestore) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/p").createProject(L"$/p/sub").addFile(L"$/p/sub/f.c", "f").addFile(L"$/p/a.txt", "a")
      .archive(L"$/p/sub").archive(L"$/p/a.txt").restore(L"$/p/sub");
  auto db = b.open<G>();
  auto project = item<G>(db, L"$/p");
  EXPECT_EQ(history<G>(project, kProjectFlags),
            (Lines{L"6 Restored $sub", L"5 Archived a.txt", L"4 Archived $sub", L"3 Added a.txt", L"2 Added $sub",
                   L"1 Created $p"}));
  EXPECT_EQ(childNames<G>(project, true), (Lines{L"sub@2"}));
  EXPECT_EQ(childNames<G>(atVersion<G>(project, 5), true), Lines{});
  // The restored project comes back with its own history.
  EXPECT_EQ(history<G>(item<G>(db, L"$/p/sub"), kProjectFlags), (Lines{L"2 Added f.c", L"1 Created $sub"}));
}

TYPED_TEST(ProjectChangesTest, RecursiveHistoryMergesEverythingBelowNewestFirst) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.at(100).createProject(L"$/p")
      .at(200).addFile(L"$/p/a.txt", "1")
      .at(300).createProject(L"$/p/s")
      .at(400).addFile(L"$/p/s/b.txt", "1")
      .at(500).checkIn(L"$/p/a.txt", "2")
      .at(600).remove(L"$/p/s/b.txt")
      .at(700).checkIn(L"$/p/a.txt", "3");
  auto db = b.open<G>();
  auto rows = versions<G>(item<G>(db, L"$/p"), VSSFLAG_RECURSYES);
  Lines lines;
  for (const auto& row : rows) lines.push_back(row.action + L" @" + row.spec + L"[" + std::to_wstring(row.itemVersion) + L"]");
  EXPECT_EQ(lines, (Lines{L"Checked in $/p @$/p/a.txt[3]", L"Deleted b.txt @$/p/s[3]",
                          L"Checked in $/p @$/p/a.txt[2]", L"Added b.txt @$/p/s[2]", L"Created b.txt @$/p/s/b.txt[1]",
                          L"Added $s @$/p[3]", L"Created $s @$/p/s[1]", L"Added a.txt @$/p[2]",
                          L"Created a.txt @$/p/a.txt[1]", L"Created $p @$/p[1]"}));
  for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_GE(rows[i - 1].date, rows[i].date) << i;
  // Without files, only the projects' own records remain.
  EXPECT_EQ(history<G>(item<G>(db, L"$/p"), VSSFLAG_RECURSYES | VSSFLAG_HISTIGNOREFILES),
            (Lines{L"3 Deleted b.txt @$/p/s", L"2 Added b.txt @$/p/s", L"3 Added $s @$/p", L"1 Created $s @$/p/s",
                   L"2 Added a.txt @$/p", L"1 Created $p @$/p"}));
}

TYPED_TEST(ProjectChangesTest, ProjectAsOfAVersionShowsChildrenAsTheyStoodThen) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/a.txt", "a1").createProject(L"$/p/s").checkIn(L"$/p/a.txt", "a2")
      .addFile(L"$/p/s/x", "x1").addFile(L"$/p/b.txt", "b1").checkIn(L"$/p/a.txt", "a3");
  auto db = b.open<G>();
  auto project = item<G>(db, L"$/p");
  // Version 3 (adding s) came before a.txt's second check-in.
  auto v3 = atVersion<G>(project, 3);
  EXPECT_EQ(childNames<G>(v3), (Lines{L"a.txt@1", L"s@1"}));
  auto kids = children<G>(v3);
  EXPECT_EQ(content<G>(kids[0]), "a1");
  EXPECT_EQ(specOf<G>(kids[0]), L"$/p/a.txt");
  EXPECT_EQ(childNames<G>(kids[1]), Lines{});
  // Version 4 (adding b.txt) is the newest, but it stands for its own
  // moment too: a.txt's third check-in came later.
  auto v4 = atVersion<G>(project, 4);
  EXPECT_EQ(childNames<G>(v4), (Lines{L"a.txt@2", L"b.txt@1", L"s@2"}));
  EXPECT_EQ(childNames<G>(project), (Lines{L"a.txt@3", L"b.txt@1", L"s@2"}));
  // The version objects of a project give the same as get_Version.
  auto rows = versions<G>(project, kProjectFlags);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].itemVersion, 4);
  EXPECT_EQ(rows[0].spec, L"$/p");
}

TYPED_TEST(ProjectChangesTest, ImpossibleChangesThrowNamingChangeAndReason) {
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/a.txt", "x").addFile(L"$/p/b.txt", "y").createProject(L"$/q");
  struct Row {
    const char* name;
    std::function<void()> change;
    const char* message;
  };
  Row rows[] = {
      {"rename onto an existing name", [&] { b.rename(L"$/p/a.txt", L"B.TXT"); },
       "rename $/p/a.txt to B.TXT: an item named B.TXT already exists in $/p"},
      {"parent missing", [&] { b.createProject(L"$/x/y"); }, "create-project $/x/y: there is no $/x"},
      {"check-in of a deleted file",
       [&] {
         b.remove(L"$/p/b.txt");
         b.checkIn(L"$/p/b.txt", "z");
       },
       "check-in $/p/b.txt: $/p/b.txt is deleted"},
      {"share into the same project", [&] { b.share(L"$/p/a.txt", L"$/p"); },
       "share $/p/a.txt into $/p: cannot share $/p/a.txt into its own project $/p"},
      {"unsafe name", [&] { b.addFile(L"$/p/..", "x"); }, "add-file $/p/..: the name \"..\" is reserved"},
      {"move below itself", [&] { b.createProject(L"$/q/r").move(L"$/q", L"$/q/r"); },
       "move $/q into $/q/r: a project cannot move below itself"},
      {"branch of an unshared file", [&] { b.branch(L"$/p/a.txt"); }, "branch $/p/a.txt: $/p/a.txt is not shared"},
      {"pin beyond the last version", [&] { b.pin(L"$/p/a.txt", 5); }, "pin $/p/a.txt to version 5: $/p/a.txt has no version 5"},
      {"recover of a live file", [&] { b.recover(L"$/p/a.txt"); }, "recover $/p/a.txt: $/p/a.txt is not deleted"},
  };
  for (const Row& row : rows) {
    try {
      row.change();
      ADD_FAILURE() << row.name << ": no exception";
    } catch (const std::logic_error& error) {
      EXPECT_STREQ(error.what(), row.message) << row.name;
    }
  }
}

}  // namespace

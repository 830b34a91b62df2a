// Each change SourceSafe can record, made twice: once as the records and
// files SourceSafe itself leaves in its database folder, read by the loader
// of SourceSafe's files, and once in the text form through the model's own
// operations. A caller of the automation interfaces must see the same
// database either way: the same tree, the same versions with the same
// actions, users, comments, labels and dates, the same links and the same
// contents.
//
// Where the two forms keep something differently (physical names, the
// times, which SourceSafe keeps as the writer's wall clock, the order of
// records made in the same second), the comparison is of what a caller
// sees, which must not differ.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "automation_view.h"
#include "native_database_builder.h"
#include "ssapi/builder.h"
#include "support/temp_dir.h"

namespace nativetest {
namespace {

using ssapi::Vss2005;
using ssapi::Vss60;

// The same changes, to a text-form database and to SourceSafe's own files.
class Twin {
 public:
#define QG_TWIN_FORWARD(change)       \
  template <class... Args>            \
  Twin& change(const Args&... args) { \
    text.change(args...);             \
    native.change(args...);           \
    return *this;                     \
  }
  QG_TWIN_FORWARD(at)
  QG_TWIN_FORWARD(by)
  QG_TWIN_FORWARD(withComment)
  QG_TWIN_FORWARD(createProject)
  QG_TWIN_FORWARD(addFile)
  QG_TWIN_FORWARD(checkIn)
  QG_TWIN_FORWARD(rename)
  QG_TWIN_FORWARD(move)
  QG_TWIN_FORWARD(share)
  QG_TWIN_FORWARD(branch)
  QG_TWIN_FORWARD(pin)
  QG_TWIN_FORWARD(unpin)
  QG_TWIN_FORWARD(remove)
  QG_TWIN_FORWARD(recover)
  QG_TWIN_FORWARD(destroy)
  QG_TWIN_FORWARD(purge)
  QG_TWIN_FORWARD(label)
  QG_TWIN_FORWARD(archive)
  QG_TWIN_FORWARD(restore)
#undef QG_TWIN_FORWARD

  ssapi::DatabaseBuilder text;
  NativeDatabaseBuilder native;
};

struct Equivalence {
  const char* name;
  std::function<void(Twin&)> changes;
  // Set where items are gone from SourceSafe's files (see kGoneItems): the
  // older project versions that held them must leave them out, and the rest
  // of the view must be equal.
  const char* gone = nullptr;
};

// Items whose files SourceSafe removed (destroyed, archived away) are left
// out of the versions of their project from before; the text form keeps
// their records and lists them.
constexpr const char* kGoneItems = "gone items";


const std::string kBinary("bin\0\x01\x02ary", 9);

const Equivalence kEquivalences[] = {
    {"AddFile",
     [](Twin& t) {
       t.createProject(L"$/p").addFile(L"$/p/a.txt", "one\r\n").addFile(L"$/root.bin", kBinary);
       // Too long for the name field and with a space: the name is in names.dat.
       t.addFile(L"$/p/a rather long file name, longer than the field.txt", "long\r\n").addFile(L"$/p/empty", "");
     }},
    {"AddProject",
     [](Twin& t) {
       t.createProject(L"$/p").createProject(L"$/p/q").createProject(L"$/p/q/deep project");
       t.createProject(L"$/.hidden").addFile(L"$/p/q/deep project/x.c", "x");
     }},
    {"CheckIn",
     [](Twin& t) {
       t.createProject(L"$/p").addFile(L"$/p/a.txt", "line 1\r\nline 2\r\nline 3\r\n");
       t.by(L"ann").withComment(L"a comment\r\nof two lines").checkIn(L"$/p/a.txt", "line 1\r\nline two\r\nline 3\r\n");
       t.checkIn(L"$/p/a.txt", "").by(L"Admin").checkIn(L"$/p/a.txt", "line 3\r\nline 1\r\n");
       t.addFile(L"$/top.bin", kBinary).checkIn(L"$/top.bin", kBinary + kBinary);
     }},
    {"Label",
     [](Twin& t) {
       t.createProject(L"$/p").addFile(L"$/p/a.txt", "1\r\n").label(L"$/p/a.txt", L"file label", L"why");
       t.checkIn(L"$/p/a.txt", "2\r\n").label(L"$/p", L"project label").label(L"$/", L"root label", L"all of it");
       t.checkIn(L"$/p/a.txt", "3\r\n");
     }},
    {"Delete",
     [](Twin& t) {
       t.createProject(L"$/p").addFile(L"$/p/a.txt", "a").createProject(L"$/p/q").addFile(L"$/p/q/b.txt", "b");
       t.remove(L"$/p/a.txt").remove(L"$/p/q").addFile(L"$/p/c.txt", "c");
     }},
    {"Recover",
     [](Twin& t) {
       t.createProject(L"$/p").addFile(L"$/p/a.txt", "a").createProject(L"$/p/q").addFile(L"$/p/q/b.txt", "b");
       t.remove(L"$/p/a.txt").remove(L"$/p/q").recover(L"$/p/q").recover(L"$/p/a.txt");
       // A deleted entry beside a live one of the same name.
       t.remove(L"$/p/a.txt").addFile(L"$/p/a.txt", "second a");
     }},
    {"DestroyLive",
     [](Twin& t) {
       t.createProject(L"$/p").addFile(L"$/p/a.txt", "a").addFile(L"$/p/keep.txt", "k");
       t.createProject(L"$/p/q").addFile(L"$/p/q/b.txt", "b").createProject(L"$/p/q/r").addFile(L"$/p/q/r/c", "c");
       t.destroy(L"$/p/a.txt").destroy(L"$/p/q");
     },
     kGoneItems},
    {"DestroyDeleted",
     [](Twin& t) {
       t.createProject(L"$/p").addFile(L"$/p/a.txt", "a").createProject(L"$/p/q").addFile(L"$/p/q/b.txt", "b");
       t.remove(L"$/p/a.txt").purge(L"$/p/a.txt").remove(L"$/p/q").purge(L"$/p/q");
     },
     kGoneItems},
    {"DestroySharedFile",
     [](Twin& t) {
       t.createProject(L"$/p").createProject(L"$/q").addFile(L"$/p/a.txt", "a").share(L"$/p/a.txt", L"$/q");
       t.destroy(L"$/q/a.txt").checkIn(L"$/p/a.txt", "a2");
     }},
    {"RenameFile",
     [](Twin& t) {
       t.createProject(L"$/p").createProject(L"$/q").addFile(L"$/p/a.txt", "a").share(L"$/p/a.txt", L"$/q");
       // A project whose entry is deleted gets the rename too.
       t.remove(L"$/q/a.txt").rename(L"$/p/a.txt", L"b.txt").rename(L"$/p/b.txt", L"now with spaces.txt");
       t.checkIn(L"$/p/now with spaces.txt", "a2").recover(L"$/q/now with spaces.txt");
     }},
    {"RenameProject",
     [](Twin& t) {
       t.createProject(L"$/p").createProject(L"$/p/q").addFile(L"$/p/q/a.txt", "a").createProject(L"$/p/q/r");
       t.rename(L"$/p/q", L"renamed").addFile(L"$/p/renamed/b.txt", "b").rename(L"$/p", L"P with space");
       t.checkIn(L"$/P with space/renamed/a.txt", "a2");
     }},
    {"Share",
     [](Twin& t) {
       t.createProject(L"$/p").createProject(L"$/q").addFile(L"$/p/a.txt", "a1").share(L"$/p/a.txt", L"$/q");
       t.checkIn(L"$/q/a.txt", "a2").share(L"$/q/a.txt", L"$/").checkIn(L"$/a.txt", "a3");
     }},
    {"Pin",
     [](Twin& t) {
       t.createProject(L"$/p").createProject(L"$/q").addFile(L"$/p/a.txt", "a1").share(L"$/p/a.txt", L"$/q");
       t.checkIn(L"$/p/a.txt", "a2").pin(L"$/q/a.txt", 1).checkIn(L"$/p/a.txt", "a3");
     }},
    {"Unpin",
     [](Twin& t) {
       t.createProject(L"$/p").createProject(L"$/q").addFile(L"$/p/a.txt", "a1").share(L"$/p/a.txt", L"$/q");
       t.checkIn(L"$/p/a.txt", "a2").pin(L"$/q/a.txt", 2).checkIn(L"$/p/a.txt", "a3").unpin(L"$/q/a.txt");
       t.pin(L"$/q/a.txt", 1).unpin(L"$/q/a.txt");
     }},
    {"Branch",
     [](Twin& t) {
       t.createProject(L"$/p").createProject(L"$/q").addFile(L"$/p/a.txt", "a1").share(L"$/p/a.txt", L"$/q");
       t.checkIn(L"$/p/a.txt", "a2").branch(L"$/q/a.txt");
       t.checkIn(L"$/q/a.txt", "branch 1").checkIn(L"$/p/a.txt", "trunk 3").checkIn(L"$/q/a.txt", "branch 2");
     }},
    {"BranchOfPinned",
     [](Twin& t) {
       t.createProject(L"$/p").createProject(L"$/q").addFile(L"$/p/a.txt", "a1").share(L"$/p/a.txt", L"$/q");
       t.checkIn(L"$/p/a.txt", "a2").checkIn(L"$/p/a.txt", "a3").pin(L"$/q/a.txt", 2).branch(L"$/q/a.txt");
       t.checkIn(L"$/q/a.txt", "from 2");
     }},
    {"MoveProject",
     [](Twin& t) {
       t.createProject(L"$/a").createProject(L"$/b").createProject(L"$/a/s").addFile(L"$/a/s/f.txt", "f");
       t.createProject(L"$/a/s/t").move(L"$/a/s", L"$/b").addFile(L"$/b/s/g.txt", "g").checkIn(L"$/b/s/f.txt", "f2");
     }},
    {"MoveAndBack",
     [](Twin& t) {
       t.createProject(L"$/a").createProject(L"$/b").createProject(L"$/a/s").addFile(L"$/a/s/f.txt", "f");
       t.move(L"$/a/s", L"$/b").move(L"$/b/s", L"$/a").move(L"$/a/s", L"$/");
     }},
    {"MoveFromADestroyedProject",
     [](Twin& t) {
       // The project the move started from is gone with its record of the move.
       t.createProject(L"$/a").createProject(L"$/b").createProject(L"$/a/s").addFile(L"$/a/s/f.txt", "f");
       t.move(L"$/a/s", L"$/b").destroy(L"$/a");
     },
     kGoneItems},
    {"MoveIntoALaterDestroyedProject",
     [](Twin& t) {
       // The project the move went to is gone with its record of the move, and the moved project with it.
       t.createProject(L"$/a").createProject(L"$/b").createProject(L"$/a/s").addFile(L"$/a/s/f.txt", "f");
       t.move(L"$/a/s", L"$/b").addFile(L"$/a/g.txt", "g").destroy(L"$/b");
     },
     kGoneItems},
    {"ArchiveFile",
     [](Twin& t) {
       t.createProject(L"$/p").addFile(L"$/p/a.txt", "a1").checkIn(L"$/p/a.txt", "a2").archive(L"$/p/a.txt");
       t.addFile(L"$/p/b.txt", "b");
     },
     kGoneItems},
    {"ArchiveProject",
     [](Twin& t) { t.createProject(L"$/p").createProject(L"$/p/q").addFile(L"$/p/q/a.txt", "a").archive(L"$/p/q"); },
     kGoneItems},
    {"RestoreFile",
     [](Twin& t) {
       t.createProject(L"$/p").addFile(L"$/p/a.txt", "a1").checkIn(L"$/p/a.txt", "a2").archive(L"$/p/a.txt");
       t.restore(L"$/p/a.txt").checkIn(L"$/p/a.txt", "a3");
     }},
    {"RestoreProject",
     [](Twin& t) {
       t.createProject(L"$/p").createProject(L"$/p/q").addFile(L"$/p/q/a.txt", "a").archive(L"$/p/q");
       t.restore(L"$/p/q").addFile(L"$/p/q/b.txt", "b");
     }},
    {"Everything",
     [](Twin& t) {
       t.at(1200000000).createProject(L"$/lib").createProject(L"$/app").createProject(L"$/app/old");
       t.by(L"ann").addFile(L"$/lib/x.h", "x1\r\n").addFile(L"$/app/main.c", kBinary);
       t.withComment(L"second cut")
           .checkIn(L"$/lib/x.h", "x2\r\n")
           .share(L"$/lib/x.h", L"$/app")
           .checkIn(L"$/app/x.h", "x3\r\n");
       t.pin(L"$/app/x.h", 2).unpin(L"$/app/x.h").branch(L"$/app/x.h").by(L"Admin");
       t.rename(L"$/app/main.c", L"entry point.c").rename(L"$/app/old", L"older").move(L"$/app/older", L"$/lib");
       t.label(L"$/lib", L"v1.0", L"the label's comment").remove(L"$/app/entry point.c");
       t.recover(L"$/app/entry point.c").addFile(L"$/lib/tmp", "").remove(L"$/lib/tmp").purge(L"$/lib/tmp");
       t.addFile(L"$/lib/junk", "j").destroy(L"$/lib/junk").archive(L"$/lib/older").restore(L"$/lib/older");
     },
     kGoneItems},
};

// Test names instead of the bytes of the row.
void PrintTo(const Equivalence& row, std::ostream* out) { *out << row.name; }

class RecordEquivalenceTest : public ::testing::TestWithParam<Equivalence> {
 protected:
  template <class G>
  void compare(Twin& twin) {
    SCOPED_TRACE(G::kIs2005 ? "2005 interfaces" : "6.0 interfaces");
    auto native = openFolder<G>(dir_.path());
    ASSERT_TRUE(native);
    std::vector<std::string> seen = describeDatabase<G>(native);
    std::vector<std::string> expected = describeDatabase<G>(twin.text.template open<G>());
    ASSERT_GT(expected.size(), 3u);
    if (GetParam().gone) {
      EXPECT_GT(dropGoneChildren(seen, &expected), 0u) << "no older project version lists a gone item";
      acceptPlacesInGoneProjects(seen, &expected);
      dropGoneHistory(seen, &expected);
    }
    // "-" lines: the database in SourceSafe's files; "+": the text form.
    EXPECT_TRUE(sameLines(seen, expected));
  }

  testsupport::TempDir dir_;
};

TEST_P(RecordEquivalenceTest, SourceSafesFilesShowWhatTheTextFormShows) {
  Twin twin;
  GetParam().changes(twin);
  twin.native.writeTo(dir_.path());
  compare<Vss60>(twin);
  compare<Vss2005>(twin);
}

INSTANTIATE_TEST_SUITE_P(Changes, RecordEquivalenceTest, ::testing::ValuesIn(kEquivalences),
                         [](const ::testing::TestParamInfo<Equivalence>& info) {
                           return std::string(info.param.name);
                         });

// The comment given with a change is kept by SourceSafe in the records of
// the item's own file only (its creation, check-ins, branch); the record its
// project writes about the entry has none (none of the 1,330 such records
// in the real databases had one), and the loader keeps it so. The text form,
// our own, gives the project's record the comment too; both are kept as
// they are, the text form's databases and tests rely on it.
TEST(RecordEquivalenceCommentTest, CommentsOfChangesToAProjectsEntries) {
  Twin t;
  t.createProject(L"$/p").createProject(L"$/q").withComment(L"new project").createProject(L"$/p/sub");
  t.withComment(L"new file").addFile(L"$/p/a.txt", "a").withComment(L"shared").share(L"$/p/a.txt", L"$/q");
  t.withComment(L"branched").branch(L"$/q/a.txt").withComment(L"gone").remove(L"$/p/a.txt");
  testsupport::TempDir dir;
  t.native.writeTo(dir.path());
  std::vector<std::string> seen = describeDatabase<Vss2005>(openFolder<Vss2005>(dir.path()));
  std::vector<std::string> expected = describeDatabase<Vss2005>(t.text.open<Vss2005>());
  // The records a project keeps about its entries, with their comments set
  // aside; answers how many had one.
  auto setAside = [](std::vector<std::string>* lines) {
    std::size_t commented = 0;
    bool inProject = false;
    for (std::string& line : *lines) {
      if (line.rfind("project ", 0) == 0 || line.rfind("file ", 0) == 0) inProject = line[0] == 'p';
      if (!inProject || line.rfind("  v", 0) != 0) continue;
      std::size_t action = line.find('"');
      if (line.compare(action, 9, "\"Created ") == 0 || line.compare(action, 9, "\"Labeled ") == 0) continue;
      std::size_t from = line.find(" comment=\"");
      std::size_t to = line.find("\" label=", from);
      if (to > from + 10) ++commented;
      line.replace(from, to + 1 - from, " comment=<set aside>");
    }
    return commented;
  };
  EXPECT_EQ(setAside(&seen), 0u);
  std::size_t commented = setAside(&expected);
  EXPECT_TRUE(sameLines(seen, expected));
  // The own records keep their comments in both.
  EXPECT_NE(std::find_if(seen.begin(), seen.end(),
                         [](const std::string& l) {
                           return l.find("\"Branched at version 1\" user=Admin comment=\"branched\"") !=
                                  std::string::npos;
                         }),
            seen.end());
  // The text form also gives the project's records the comment.
  EXPECT_EQ(commented, 5u);
}

// A get of a project version from before a destroy gets the items that
// still exist; the destroyed file, whose content SourceSafe no longer has,
// is left out.
TEST(RecordEquivalenceGoneItemsTest, GetOfAProjectVersionFromBeforeADestroy) {
  Twin t;
  t.createProject(L"$/p").addFile(L"$/p/a.txt", "a").addFile(L"$/p/b.txt", "b");
  t.destroy(L"$/p/a.txt");
  testsupport::TempDir dir;
  t.native.writeTo(dir.path());

  std::wstring textTarget = widePath(dir / "from-text");
  ASSERT_EQ(ssapitest::atVersion<Vss60>(ssapitest::item<Vss60>(t.text.open<Vss60>(), L"$/p"), 3)
                ->Get(&textTarget, ssapi::VSSFLAG_RECURSYES),
            S_OK);
  EXPECT_EQ(testsupport::readFileBytes(dir / "from-text" / "a.txt"), "a");

  auto native = openFolder<Vss60>(dir.path());
  ASSERT_TRUE(native);
  std::wstring nativeTarget = widePath(dir / "from-files");
  EXPECT_EQ(ssapitest::atVersion<Vss60>(ssapitest::item<Vss60>(native, L"$/p"), 3)
                ->Get(&nativeTarget, ssapi::VSSFLAG_RECURSYES),
            S_OK);
  EXPECT_EQ(testsupport::readFileBytes(dir / "from-files" / "b.txt"), "b");
  EXPECT_FALSE(std::filesystem::exists(dir / "from-files" / "a.txt"));
}

}  // namespace
}  // namespace nativetest

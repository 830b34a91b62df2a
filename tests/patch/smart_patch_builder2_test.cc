#include "patch/smart_patch_builder2.h"

#include "patch_test_support.h"
#include "patch_tree.h"

#include <functional>
#include <memory>

namespace {

using patchtest::addDir;
using patchtest::addFile;
using patchtest::Capture;
using patchtest::contentOf;
using patchtest::deleteDir;
using patchtest::deleteFile;
using patchtest::Tree;

constexpr std::int64_t kBase = 1000000000;

// Changes are made at whole seconds; the windows of the tests start and end
// half a second away from any change.
util::JavaTime between(std::int64_t offsetSeconds) {
  return util::JavaTime::fromMillis((kBase + offsetSeconds) * 1000 + 500);
}

// The patch document with its history wrapper.
std::wstring smartDocument(const util::JavaTime& from, const util::JavaTime& to,
                           std::initializer_list<std::wstring> entries) {
  std::wstring text = patchtest::kDeclaration + L"<patch>\n\n<history from=\"" + from.toText() + L"\" to=\"" +
                      to.toText() + L"\">\r\n\r\n";
  for (const std::wstring& entry : entries) text += entry;
  return text + L"</history>\r\n</patch>\n\n";
}

// $/p is made before every window: a.txt "a1" (+1), the folder sub (+2)
// with s.txt "s1" (+3) and t.txt "t1" (+4).
template <class A>
class SmartPatchTest : public ::testing::Test {
 protected:
  using G = typename A::Generation;

  SmartPatchTest() { fresh(); }

  // The project before any window, in a new database.
  ssapi::DatabaseBuilder& fresh() {
    holder_ = std::make_unique<ssapi::DatabaseBuilder>();
    ssapi::DatabaseBuilder& b = *holder_;
    b.at(kBase).createProject(L"$/p");
    b.at(kBase + 1).addFile(L"$/p/a.txt", "a1");
    b.at(kBase + 2).createProject(L"$/p/sub");
    b.at(kBase + 3).addFile(L"$/p/sub/s.txt", "s1");
    b.at(kBase + 4).addFile(L"$/p/sub/t.txt", "t1");
    return b;
  }

  HRESULT run(const util::JavaTime& from, const util::JavaTime& to, const std::wstring& path = L"$/p") {
    auto database = patchtest::openDatabase<A>(*holder_);
    patch::SmartPatchBuilder2<A> builder(output::channels(), mask(), from, to);
    return builder.run(database.get(), path);
  }
  std::wstring mask() const { return (dir_ / "m_").wstring(); }
  std::wstring temp(int n) const { return mask() + L"VM-VSS-TEMP-" + std::to_wstring(n) + L".vss"; }

  // The project as it stood at from, with the patch applied.
  Tree applied(const std::wstring& document, const util::JavaTime& from, const std::wstring& path = L"$/p") {
    Tree tree = patchtest::treeAt<G>(holder_->open<G>(), path, from.millis());
    patchtest::applyPatch(document, &tree);
    return tree;
  }
  Tree stateAt(const util::JavaTime& time, const std::wstring& path = L"$/p") {
    return patchtest::treeAt<G>(holder_->open<G>(), path, time.millis());
  }
  void expectPatchTurnsFromIntoTo(const std::wstring& document, const util::JavaTime& from,
                                  const util::JavaTime& to) {
    EXPECT_EQ(applied(document, from), stateAt(to));
  }

  ssapi::DatabaseBuilder& builder() { return *holder_; }

  std::unique_ptr<ssapi::DatabaseBuilder> holder_;
  testsupport::TempDir dir_;
};
TYPED_TEST_SUITE(SmartPatchTest, patchtest::Generations, patchtest::GenerationName);

TYPED_TEST(SmartPatchTest, FileChangedThreeTimesIsDownloadedOnceFromItsNewestVersion) {
  this->builder().at(kBase + 10).checkIn(L"$/p/a.txt", "a2");
  this->builder().at(kBase + 11).checkIn(L"$/p/a.txt", "a3");
  this->builder().at(kBase + 12).checkIn(L"$/p/a.txt", "a4");
  Capture capture;
  EXPECT_EQ(this->run(between(5), between(20)), S_OK);
  EXPECT_EQ(capture.xml(), smartDocument(between(5), between(20), {addFile(L"$/p/a.txt", this->temp(0))}));
  EXPECT_EQ(contentOf(this->temp(0)), "a4");
  this->expectPatchTurnsFromIntoTo(capture.xml(), between(5), between(20));
}

TYPED_TEST(SmartPatchTest, ChangesAfterToAreNotInThePatch) {
  this->builder().at(kBase + 10).checkIn(L"$/p/a.txt", "a2");
  this->builder().at(kBase + 30).checkIn(L"$/p/a.txt", "a3");
  this->builder().at(kBase + 31).addFile(L"$/p/later.txt", "l");
  this->builder().at(kBase + 32).rename(L"$/p/sub", L"later");
  Capture capture;
  EXPECT_EQ(this->run(between(5), between(20)), S_OK);
  EXPECT_EQ(capture.xml(), smartDocument(between(5), between(20), {addFile(L"$/p/a.txt", this->temp(0))}));
  EXPECT_EQ(contentOf(this->temp(0)), "a2");
  this->expectPatchTurnsFromIntoTo(capture.xml(), between(5), between(20));
}

// Removals come first, each only once, for the topmost of what goes.
TYPED_TEST(SmartPatchTest, RemovalsComeFirstAndOnlyForWhatIsGone) {
  struct Row {
    const char* name;
    std::function<void(ssapi::DatabaseBuilder&)> changes;
    std::vector<std::wstring> entries;
  };
  const Row rows[] = {
      {"file deleted after its last change",
       [](ssapi::DatabaseBuilder& b) { b.at(kBase + 10).checkIn(L"$/p/a.txt", "a2").at(kBase + 12).remove(L"$/p/a.txt"); },
       {deleteFile(L"$/p/a.txt")}},
      {"folder deleted after changes inside it",
       [](ssapi::DatabaseBuilder& b) {
         b.at(kBase + 10).checkIn(L"$/p/sub/s.txt", "s2").at(kBase + 11).addFile(L"$/p/sub/u.txt", "u1");
         b.at(kBase + 12).remove(L"$/p/sub");
       },
       {deleteDir(L"$/p/sub")}},
      {"file destroyed", [](ssapi::DatabaseBuilder& b) { b.at(kBase + 10).destroy(L"$/p/a.txt"); },
       {deleteFile(L"$/p/a.txt")}},
      {"file archived", [](ssapi::DatabaseBuilder& b) { b.at(kBase + 10).archive(L"$/p/a.txt"); },
       {deleteFile(L"$/p/a.txt")}},
      // A project moved out of the patched one is gone from it; where it went
      // is none of this patch's business.
      {"project moved out",
       [](ssapi::DatabaseBuilder& b) { b.at(kBase + 5).createProject(L"$/q").at(kBase + 10).move(L"$/p/sub", L"$/q"); },
       {deleteDir(L"$/p/sub")}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    row.changes(this->fresh());
    Capture capture;
    EXPECT_EQ(this->run(between(7), between(20)), S_OK);
    std::wstring expected = smartDocument(between(7), between(20), {});
    std::wstring body;
    for (const std::wstring& entry : row.entries) body += entry;
    expected.insert(expected.find(L"</history>"), body);
    EXPECT_EQ(capture.xml(), expected);
    this->expectPatchTurnsFromIntoTo(capture.xml(), between(7), between(20));
  }
}

TYPED_TEST(SmartPatchTest, NewFolderIsWrittenWithItsContentFolderFirst) {
  this->builder().at(kBase + 10).createProject(L"$/p/new");
  this->builder().at(kBase + 11).addFile(L"$/p/new/n.txt", "n1");
  this->builder().at(kBase + 12).checkIn(L"$/p/new/n.txt", "n2");
  Capture capture;
  EXPECT_EQ(this->run(between(5), between(20)), S_OK);
  EXPECT_EQ(capture.xml(), smartDocument(between(5), between(20),
                                         {addDir(L"$/p/new"), addFile(L"$/p/new/n.txt", this->temp(0))}));
  EXPECT_EQ(contentOf(this->temp(0)), "n2");
  this->expectPatchTurnsFromIntoTo(capture.xml(), between(5), between(20));
}

// A folder that comes back (restored, recovered, moved in) comes with
// everything it holds at "to".
TYPED_TEST(SmartPatchTest, AFolderThatComesBackComesWithItsContent) {
  struct Row {
    const char* name;
    std::function<void(ssapi::DatabaseBuilder&)> changes;
    std::wstring folder;
  };
  const Row rows[] = {
      {"restored",
       [](ssapi::DatabaseBuilder& b) {
         b.at(kBase + 5).archive(L"$/p/sub").at(kBase + 12).restore(L"$/p/sub").at(kBase + 14).checkIn(L"$/p/sub/s.txt", "s2");
       },
       L"$/p/sub"},
      {"recovered",
       [](ssapi::DatabaseBuilder& b) {
         b.at(kBase + 5).remove(L"$/p/sub").at(kBase + 12).recover(L"$/p/sub").at(kBase + 14).checkIn(L"$/p/sub/s.txt", "s2");
       },
       L"$/p/sub"},
      {"moved in",
       [](ssapi::DatabaseBuilder& b) {
         b.at(kBase + 5).createProject(L"$/q").createProject(L"$/q/m").addFile(L"$/q/m/s.txt", "m").addFile(L"$/q/m/t.txt", "t");
         b.at(kBase + 12).move(L"$/q/m", L"$/p").at(kBase + 14).checkIn(L"$/p/m/s.txt", "s2");
       },
       L"$/p/m"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    row.changes(this->fresh());
    Capture capture;
    EXPECT_EQ(this->run(between(7), between(20)), S_OK);
    EXPECT_EQ(capture.xml(), smartDocument(between(7), between(20),
                                           {addDir(row.folder), addFile(row.folder + L"/s.txt", this->temp(0)),
                                            addFile(row.folder + L"/t.txt", this->temp(1))}));
    EXPECT_EQ(contentOf(this->temp(0)), "s2");
    this->expectPatchTurnsFromIntoTo(capture.xml(), between(7), between(20));
  }
}

TYPED_TEST(SmartPatchTest, RenameIsWrittenAsDeleteOfTheOldPathThenAddOfTheNew) {
  this->builder().at(kBase + 10).rename(L"$/p/a.txt", L"c.txt");
  Capture capture;
  EXPECT_EQ(this->run(between(5), between(20)), S_OK);
  EXPECT_EQ(capture.xml(), smartDocument(between(5), between(20),
                                         {deleteFile(L"$/p/a.txt"), addFile(L"$/p/c.txt", this->temp(0))}));
  EXPECT_EQ(contentOf(this->temp(0)), "a1");
  this->expectPatchTurnsFromIntoTo(capture.xml(), between(5), between(20));
}

TYPED_TEST(SmartPatchTest, CheckInBeforeARenameInsideTheWindowComesUnderTheNewName) {
  this->builder().at(kBase + 10).checkIn(L"$/p/a.txt", "a2");
  this->builder().at(kBase + 12).rename(L"$/p/a.txt", L"c.txt");
  Capture capture;
  EXPECT_EQ(this->run(between(5), between(20)), S_OK);
  EXPECT_EQ(capture.xml(), smartDocument(between(5), between(20),
                                         {deleteFile(L"$/p/a.txt"), addFile(L"$/p/c.txt", this->temp(0))}));
  EXPECT_EQ(contentOf(this->temp(0)), "a2");
  this->expectPatchTurnsFromIntoTo(capture.xml(), between(5), between(20));
}

// A name that only changes its letter case is a new path for a receiver
// whose file system tells them apart.
TYPED_TEST(SmartPatchTest, ALetterCaseRenameIsADeleteAndAnAdd) {
  this->builder().at(kBase + 10).rename(L"$/p/a.txt", L"A.txt");
  Capture capture;
  EXPECT_EQ(this->run(between(5), between(20)), S_OK);
  EXPECT_EQ(capture.xml(), smartDocument(between(5), between(20),
                                         {deleteFile(L"$/p/a.txt"), addFile(L"$/p/A.txt", this->temp(0))}));
}

// A new file that takes the name of a renamed one shows the same version
// number at that path as the old one did: the walk saw it arrive.
TYPED_TEST(SmartPatchTest, ANewFileUnderAnOldNameIsWritten) {
  this->builder().at(kBase + 10).rename(L"$/p/a.txt", L"b.txt");
  this->builder().at(kBase + 11).addFile(L"$/p/a.txt", "new");
  Capture capture;
  EXPECT_EQ(this->run(between(5), between(20)), S_OK);
  EXPECT_EQ(capture.xml(), smartDocument(between(5), between(20),
                                         {addFile(L"$/p/a.txt", this->temp(0)), addFile(L"$/p/b.txt", this->temp(1))}));
  EXPECT_EQ(contentOf(this->temp(0)), "new");
  EXPECT_EQ(contentOf(this->temp(1)), "a1");
  this->expectPatchTurnsFromIntoTo(capture.xml(), between(5), between(20));
}

// A file replaced by a folder of its name: the file goes before the folder
// comes.
TYPED_TEST(SmartPatchTest, AFileReplacedByAFolderGoesFirst) {
  this->builder().at(kBase + 10).remove(L"$/p/a.txt");
  this->builder().at(kBase + 11).createProject(L"$/p/a.txt");
  this->builder().at(kBase + 12).addFile(L"$/p/a.txt/x", "x");
  Capture capture;
  EXPECT_EQ(this->run(between(5), between(20)), S_OK);
  EXPECT_EQ(capture.xml(), smartDocument(between(5), between(20),
                                         {deleteFile(L"$/p/a.txt"), addDir(L"$/p/a.txt"),
                                          addFile(L"$/p/a.txt/x", this->temp(0))}));
  this->expectPatchTurnsFromIntoTo(capture.xml(), between(5), between(20));
}

TYPED_TEST(SmartPatchTest, RenamedFolderIsDeletedAndAddedWithItsContent) {
  this->builder().at(kBase + 10).rename(L"$/p/sub", L"renamed");
  Capture capture;
  EXPECT_EQ(this->run(between(5), between(20)), S_OK);
  EXPECT_EQ(capture.xml(), smartDocument(between(5), between(20),
                                         {deleteDir(L"$/p/sub"), addDir(L"$/p/renamed"),
                                          addFile(L"$/p/renamed/s.txt", this->temp(0)),
                                          addFile(L"$/p/renamed/t.txt", this->temp(1))}));
  this->expectPatchTurnsFromIntoTo(capture.xml(), between(5), between(20));
}

// What a place shows changes with a share, a pin, an unpin or a rollback.
TYPED_TEST(SmartPatchTest, SharesPinsAndRollbacksDeliverWhatThePlaceShows) {
  struct Row {
    const char* name;
    std::function<void(ssapi::DatabaseBuilder&)> changes;
    std::wstring spec;
    std::string content;
  };
  const Row rows[] = {
      {"shared",
       [](ssapi::DatabaseBuilder& b) {
         b.at(kBase + 5).createProject(L"$/lib").addFile(L"$/lib/x.h", "x1").at(kBase + 10).share(L"$/lib/x.h", L"$/p");
       },
       L"$/p/x.h", "x1"},
      {"pinned",
       [](ssapi::DatabaseBuilder& b) { b.at(kBase + 5).checkIn(L"$/p/a.txt", "a2").at(kBase + 10).pin(L"$/p/a.txt", 1); },
       L"$/p/a.txt", "a1"},
      {"rolled back",
       [](ssapi::DatabaseBuilder& b) {
         b.at(kBase + 10).checkIn(L"$/p/a.txt", "a2").at(kBase + 11).rollback(L"$/p/a.txt", 1);
       },
       L"$/p/a.txt", "a1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    row.changes(this->fresh());
    Capture capture;
    EXPECT_EQ(this->run(between(8), between(20)), S_OK);
    EXPECT_EQ(capture.xml(), smartDocument(between(8), between(20), {addFile(row.spec, this->temp(0))}));
    EXPECT_EQ(contentOf(this->temp(0)), row.content);
    this->expectPatchTurnsFromIntoTo(capture.xml(), between(8), between(20));
  }
}

// The receiver holds the project as it stood at "from", changes made at that
// moment included; what they brought is written again all the same, so that
// a receiver that took "from" as the moment before them gets it too.
TYPED_TEST(SmartPatchTest, AChangeAtFromItselfIsWrittenAgain) {
  this->builder().at(kBase + 10).checkIn(L"$/p/a.txt", "a2");
  auto database = patchtest::openDatabase<TypeParam>(this->builder());
  auto version = navigation::ItemPtr<TypeParam>();
  DATE date = 0;
  {
    auto file = patchtest::itemAt<TypeParam>(database, L"$/p/a.txt");
    ComPtr<typename TypeParam::Item> second;
    ASSERT_EQ(file->get_Version(Variant(2L), second.put()), S_OK);
    ComPtr<typename TypeParam::Versions> versions;
    ASSERT_EQ(second->get_Versions(0, versions.put()), S_OK);
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(versions->_NewEnum(unknown.put()), S_OK);
    ComPtr<IEnumVARIANT> enumerator;
    ASSERT_EQ(unknown.queryInterface(&enumerator), S_OK);
    VARIANT element;
    ULONG fetched = 0;
    ASSERT_EQ(enumerator->Next(1, &element, &fetched), S_OK);
    ComPtr<typename TypeParam::Version> newest;
    ASSERT_EQ(element.punkVal->QueryInterface(TypeParam::Version::iid(), reinterpret_cast<void**>(newest.put())), S_OK);
    ASSERT_EQ(newest->get_Date(&date), S_OK);
  }
  const util::JavaTime from = util::JavaTime::fromLocalDate(date);
  Capture capture;
  EXPECT_EQ(this->run(from, between(20)), S_OK);
  EXPECT_EQ(capture.xml(), smartDocument(from, between(20), {addFile(L"$/p/a.txt", this->temp(0))}));
  EXPECT_EQ(contentOf(this->temp(0)), "a2");
}

TYPED_TEST(SmartPatchTest, WindowWithoutChangesGivesOnlyTheWrapper) {
  this->builder().at(kBase + 30).checkIn(L"$/p/a.txt", "a2");
  Capture capture;
  EXPECT_EQ(this->run(between(10), between(20)), S_OK);
  EXPECT_EQ(capture.xml(), smartDocument(between(10), between(20), {}));
  EXPECT_EQ(capture.errors(), L"");
}

TYPED_TEST(SmartPatchTest, EmptyProjectGivesOnlyTheWrapper) {
  this->builder().at(kBase + 5).createProject(L"$/empty");
  Capture capture;
  EXPECT_EQ(this->run(util::EPOCH, util::FAR_FUTURE, L"$/empty"), S_OK);
  EXPECT_EQ(capture.xml(), smartDocument(util::EPOCH, util::FAR_FUTURE, {addDir(L"$/empty")}));
  Capture later;
  EXPECT_EQ(this->run(between(10), util::FAR_FUTURE, L"$/empty"), S_OK);
  EXPECT_EQ(later.xml(), smartDocument(between(10), util::FAR_FUTURE, {}));
}

// Before the project existed there was nothing to patch.
TYPED_TEST(SmartPatchTest, AWindowBeforeTheProjectExistedIsEmpty) {
  this->builder().at(kBase + 30).createProject(L"$/late").addFile(L"$/late/x", "x");
  Capture capture;
  EXPECT_EQ(this->run(between(1), between(20), L"$/late"), S_OK);
  EXPECT_EQ(capture.xml(), smartDocument(between(1), between(20), {}));
}

// The project's name as SourceSafe keeps it, however the command spelled it.
TYPED_TEST(SmartPatchTest, TheProjectIsNamedAsSourceSafeKeepsIt) {
  this->builder().at(kBase + 10).checkIn(L"$/p/a.txt", "a2");
  Capture capture;
  EXPECT_EQ(this->run(between(5), between(20), L"$/P"), S_OK);
  EXPECT_EQ(capture.xml(), smartDocument(between(5), between(20), {addFile(L"$/p/a.txt", this->temp(0))}));
}

TYPED_TEST(SmartPatchTest, MissingProjectLeavesTheDocumentWithoutWrapper) {
  Capture capture;
  EXPECT_TRUE(FAILED(this->run(util::EPOCH, util::FAR_FUTURE, L"$/nothing")));
  EXPECT_EQ(capture.xml(), patchtest::patchDocument({}));
  EXPECT_EQ(capture.errors(), L"Unable to find root item\r\n");
}

TYPED_TEST(SmartPatchTest, TwoFailedDownloadsThenSuccessShiftTheNumbering) {
  this->builder().at(kBase + 10).checkIn(L"$/p/a.txt", "a2");
  this->builder().at(kBase + 11).checkIn(L"$/p/sub/s.txt", "s2");
  this->builder().faults().fail(L"Get", L"$/p/sub/s.txt").times(2);
  Capture capture;
  EXPECT_EQ(this->run(between(5), between(20)), S_OK);
  EXPECT_EQ(capture.xml(), smartDocument(between(5), between(20),
                                         {addFile(L"$/p/a.txt", this->temp(0)),
                                          addFile(L"$/p/sub/s.txt", this->temp(3))}));
  EXPECT_EQ(contentOf(this->temp(0)), "a2");
  EXPECT_EQ(contentOf(this->temp(3)), "s2");
}

// A file that cannot be downloaded (five attempts: temp numbers 0 to 4)
// stays out of the patch, the others are still written, and the command
// fails: the patch would otherwise pass for complete.
TYPED_TEST(SmartPatchTest, FileThatCannotBeDownloadedFailsTheCommand) {
  this->builder().at(kBase + 10).checkIn(L"$/p/a.txt", "a2");
  this->builder().at(kBase + 11).checkIn(L"$/p/sub/s.txt", "s2");
  this->builder().at(kBase + 12).checkIn(L"$/p/a.txt", "a3");
  this->builder().faults().fail(L"Get", L"$/p/a.txt").onVersion(3).forever();
  Capture capture;
  EXPECT_EQ(this->run(between(5), between(20)), E_FAIL);
  EXPECT_EQ(capture.xml(), smartDocument(between(5), between(20), {addFile(L"$/p/sub/s.txt", this->temp(5))}));
  EXPECT_EQ(capture.count(L"SmartPatchBuilder2 Error - Files that could not be downloaded are missing from the "
                          L"patch"),
            1);
}

TYPED_TEST(SmartPatchTest, FileInsideANewFolderThatCannotBeDownloadedFailsTheCommand) {
  this->builder().at(kBase + 10).rename(L"$/p/sub", L"renamed");
  this->builder().faults().fail(L"Get", L"$/p/renamed/s.txt").forever();
  Capture capture;
  EXPECT_EQ(this->run(between(5), between(20)), E_FAIL);
  EXPECT_EQ(capture.xml(), smartDocument(between(5), between(20),
                                         {deleteDir(L"$/p/sub"), addDir(L"$/p/renamed"),
                                          addFile(L"$/p/renamed/t.txt", this->temp(5))}));
}

}  // namespace

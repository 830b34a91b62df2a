#include "patch/tree_based_clean_patch_builder.h"

#include "patch_test_support.h"

namespace {

using patchtest::addDir;
using patchtest::addFile;
using patchtest::Capture;
using patchtest::contentOf;
using patchtest::kInjected;
using patchtest::patchDocument;
using ::testing::Contains;

constexpr std::int64_t kBase = 1000000000;

util::JavaTime at(std::int64_t offsetSeconds) { return util::JavaTime::fromMillis((kBase + offsetSeconds) * 1000); }

// $/A (kBase) holds a.txt ("a1" at +1, "a2" at +10) and the folder b (+2)
// with y.txt (+3); $/A/late.txt comes at +20, $/A/gone.txt (+4) is deleted
// at +5.
template <class A>
class TreePatchTest : public ::testing::Test {
 protected:
  TreePatchTest() {
    builder_.at(kBase).createProject(L"$/A");
    builder_.at(kBase + 1).addFile(L"$/A/a.txt", "a1");
    builder_.at(kBase + 2).createProject(L"$/A/b");
    builder_.at(kBase + 3).addFile(L"$/A/b/y.txt", "y1");
    builder_.at(kBase + 4).addFile(L"$/A/gone.txt", "g");
    builder_.at(kBase + 5).remove(L"$/A/gone.txt");
    builder_.at(kBase + 10).checkIn(L"$/A/a.txt", "a2");
    builder_.at(kBase + 20).addFile(L"$/A/late.txt", "late");
  }

  HRESULT run(const std::wstring& path, const util::JavaTime& to, const util::JavaTime& from = util::EPOCH) {
    auto database = patchtest::openDatabase<A>(builder_);
    patch::TreeBasedCleanPatchBuilder<A> builder(output::channels(), mask(), from, to);
    return builder.run(*database, path);
  }
  std::wstring mask() const { return (dir_ / "m_").wstring(); }
  std::wstring temp(int n) const { return mask() + L"VM-VSS-TEMP-" + std::to_wstring(n) + L".vss"; }

  ssapi::DatabaseBuilder builder_;
  testsupport::TempDir dir_;
};
TYPED_TEST_SUITE(TreePatchTest, patchtest::Generations, patchtest::GenerationName);

TYPED_TEST(TreePatchTest, FoldersInPreOrderThenEveryFileInItsOwnTempFile) {
  Capture capture;
  EXPECT_EQ(this->run(L"$/A", util::FAR_FUTURE), S_OK);
  EXPECT_EQ(capture.xml(), patchDocument({
                               addDir(L"$/A"),
                               addDir(L"$/A/b"),
                               addFile(L"$/A/a.txt", this->temp(0)),
                               addFile(L"$/A/b/y.txt", this->temp(1)),
                               addFile(L"$/A/late.txt", this->temp(2)),
                           }));
  EXPECT_EQ(contentOf(this->temp(0)), "a2");
  EXPECT_EQ(contentOf(this->temp(1)), "y1");
  EXPECT_EQ(contentOf(this->temp(2)), "late");
}

TYPED_TEST(TreePatchTest, DescribesTheProjectAsItStoodAtToWhateverFrom) {
  for (std::int64_t from : {0, 3, 30}) {
    SCOPED_TRACE(from);
    Capture capture;
    EXPECT_EQ(this->run(L"$/A", at(25), at(from)), S_OK);
    EXPECT_EQ(capture.xml(), patchDocument({
                                 addDir(L"$/A"),
                                 addDir(L"$/A/b"),
                                 addFile(L"$/A/a.txt", this->temp(0)),
                                 addFile(L"$/A/b/y.txt", this->temp(1)),
                                 addFile(L"$/A/late.txt", this->temp(2)),
                             }));
    EXPECT_EQ(contentOf(this->temp(0)), "a2");
  }
  // Before late.txt came and while gone.txt was still there.
  Capture capture;
  EXPECT_EQ(this->run(L"$/A", at(4)), S_OK);
  EXPECT_EQ(capture.xml(), patchDocument({
                               addDir(L"$/A"),
                               addDir(L"$/A/b"),
                               addFile(L"$/A/a.txt", this->temp(0)),
                               addFile(L"$/A/b/y.txt", this->temp(1)),
                               addFile(L"$/A/gone.txt", this->temp(2)),
                           }));
  EXPECT_EQ(contentOf(this->temp(0)), "a1");
}

// The tree is the project as it stood at "to": a check-in made after the
// project's own last change before then (a.txt's "a2" at +10; the project
// last changed at +5) is seen.
TYPED_TEST(TreePatchTest, ACheckInAfterTheProjectsOwnLastChangeIsSeen) {
  Capture capture;
  EXPECT_EQ(this->run(L"$/A", at(12)), S_OK);
  EXPECT_EQ(capture.xml(), patchDocument({
                               addDir(L"$/A"),
                               addDir(L"$/A/b"),
                               addFile(L"$/A/a.txt", this->temp(0)),
                               addFile(L"$/A/b/y.txt", this->temp(1)),
                           }));
  EXPECT_EQ(contentOf(this->temp(0)), "a2");
}

// Before the project existed it held nothing, and the patch says so.
TYPED_TEST(TreePatchTest, ToBeforeTheProjectExistedGivesNoEntries) {
  Capture capture;
  EXPECT_EQ(this->run(L"$/A", at(-100)), S_OK);
  EXPECT_EQ(capture.xml(), patchDocument({}));
}

// A project deleted at "to" held nothing live then.
TYPED_TEST(TreePatchTest, AProjectDeletedAtToGivesNoEntries) {
  this->builder_.at(kBase + 30).remove(L"$/A/b").at(kBase + 40).recover(L"$/A/b");
  Capture capture;
  EXPECT_EQ(this->run(L"$/A/b", at(35)), S_OK);
  EXPECT_EQ(capture.xml(), patchDocument({}));
}

TYPED_TEST(TreePatchTest, PathOfAFileGivesOneAddEntry) {
  Capture capture;
  EXPECT_EQ(this->run(L"$/A/b/y.txt", util::FAR_FUTURE), S_OK);
  EXPECT_EQ(capture.xml(), patchDocument({addFile(L"$/A/b/y.txt", this->temp(0))}));
}

TYPED_TEST(TreePatchTest, RetriedDownloadShiftsTheNumbering) {
  this->builder_.faults().fail(L"Get", L"$/A/a.txt").times(2);
  Capture capture;
  EXPECT_EQ(this->run(L"$/A", util::FAR_FUTURE), S_OK);
  EXPECT_EQ(capture.xml(), patchDocument({
                               addDir(L"$/A"),
                               addDir(L"$/A/b"),
                               addFile(L"$/A/a.txt", this->temp(2)),
                               addFile(L"$/A/b/y.txt", this->temp(3)),
                               addFile(L"$/A/late.txt", this->temp(4)),
                           }));
}

TYPED_TEST(TreePatchTest, FileThatCannotBeDownloadedIsLeftOutAndTheCommandFails) {
  this->builder_.faults().fail(L"Get", L"$/A/a.txt").forever();
  Capture capture;
  EXPECT_EQ(this->run(L"$/A", util::FAR_FUTURE), E_FAIL);
  EXPECT_EQ(capture.xml(), patchDocument({
                               addDir(L"$/A"),
                               addDir(L"$/A/b"),
                               addFile(L"$/A/b/y.txt", this->temp(5)),
                               addFile(L"$/A/late.txt", this->temp(6)),
                           }));
  EXPECT_EQ(capture.count(L"TreeBasedCleanPatchBuilder Error - Failed to getNextFile, Error: 0x80004005 "
                          L"(-2147467259)"),
            1);
  EXPECT_EQ(capture.count(L"TreeBasedCleanPatchBuilder Error - Failed to checkout files, Error: 0x80004005 "
                          L"(-2147467259)"),
            1);
}

TYPED_TEST(TreePatchTest, MissingRootWritesNoEntries) {
  Capture capture;
  EXPECT_EQ(this->run(L"$/nothing", util::FAR_FUTURE), ssapi::ESS_VS_NOT_FOUND);
  EXPECT_EQ(capture.xml(), patchDocument({}));
  EXPECT_THAT(capture.lines().at(0),
              ::testing::StartsWith(L"TreeBasedCleanPatchBuilder Error - Failed to find root, Error: 0x8004d68f"));
  EXPECT_EQ(capture.errors(), L"");
}

// A folder that cannot be listed, or an item whose type cannot be read (it
// counts as a folder, and a file has no children to list), fails the patch:
// what is left would pass for the whole project. The document is closed
// with what was written before.
TYPED_TEST(TreePatchTest, AnUnreadableFolderOrItemFailsThePatch) {
  const std::wstring listingFailed =
      L"TreeBasedCleanPatchBuilder Error - Failed to getItemIterator, Error: 0x80004005 (-2147467259)";
  struct Row {
    const char* name;
    const wchar_t* operation;
    const wchar_t* spec;
    const wchar_t* root;
    std::wstring logLine;
    std::vector<std::wstring> entries;
  } rows[] = {
      {"folder below", L"get_Items", L"$/A/b", L"$/A", listingFailed, {addDir(L"$/A"), addDir(L"$/A/b")}},
      {"the project itself", L"get_Items", L"$/A/b", L"$/A/b", listingFailed, {addDir(L"$/A/b")}},
      {"type of a file", L"get_Type", L"$/A/a.txt", L"$/A",
       L"TreeBasedCleanPatchBuilder Error - isFolder:: item get_Type failed, " + kInjected,
       {addDir(L"$/A"), addDir(L"$/A/a.txt")}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    this->builder_.faults().clear();
    this->builder_.faults().fail(row.operation, row.spec).forever();
    Capture capture;
    EXPECT_TRUE(FAILED(this->run(row.root, util::FAR_FUTURE)));
    EXPECT_EQ(capture.xml(), patchDocument(row.entries));
    EXPECT_THAT(capture.lines(), Contains(row.logLine));
    EXPECT_THAT(capture.lines(), Contains(::testing::HasSubstr(L"Failed to enumerate items")));
  }
}

}  // namespace

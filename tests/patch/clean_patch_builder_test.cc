#include "patch/clean_patch_builder.h"

#include <filesystem>

#include "patch_test_support.h"
#include "support/local_path.h"

namespace {

using patchtest::addDir;
using patchtest::addFile;
using patchtest::Capture;
using patchtest::contentOf;
using patchtest::deleteDir;
using patchtest::patchDocument;
using ::testing::Contains;

constexpr std::int64_t kBase = 1000000000;

util::JavaTime at(std::int64_t offsetSeconds) { return util::JavaTime::fromMillis((kBase + offsetSeconds) * 1000); }

// $/A (kBase) holds a.txt ("a1" at +1, "a2" at +10) and the folder b (+2)
// with y.txt (+3) and the folder c (+4) with z.txt (+5); $/A/late.txt comes
// at +20. $/E is an empty project (+30).
template <class A>
class CleanPatchTest : public ::testing::Test {
 protected:
  CleanPatchTest() {
    builder_.at(kBase).createProject(L"$/A");
    builder_.at(kBase + 1).addFile(L"$/A/a.txt", "a1");
    builder_.at(kBase + 2).createProject(L"$/A/b");
    builder_.at(kBase + 3).addFile(L"$/A/b/y.txt", "y1");
    builder_.at(kBase + 4).createProject(L"$/A/b/c");
    builder_.at(kBase + 5).addFile(L"$/A/b/c/z.txt", "z1");
    builder_.at(kBase + 10).checkIn(L"$/A/a.txt", "a2");
    builder_.at(kBase + 20).addFile(L"$/A/late.txt", "late");
    builder_.at(kBase + 30).createProject(L"$/E");
  }

  HRESULT run(const std::wstring& path, const util::JavaTime& to, const util::JavaTime& from = util::EPOCH,
              patch::LocalTreeWalker::DirectoryLister lister = platform::listDirectory) {
    auto database = patchtest::openDatabase<A>(builder_);
    patch::CleanPatchBuilder<A> builder(output::channels(), mask(), from, to);
    builder.setDirectoryLister(std::move(lister));
    return builder.run(*database, path);
  }
  std::wstring mask() const { return (dir_ / "m_").wstring(); }
  // The download directory: named like the first temp file.
  std::wstring download() const { return mask() + L"VM-VSS-TEMP-0.vss"; }

  ssapi::DatabaseBuilder builder_;
  testsupport::TempDir dir_;
};
TYPED_TEST_SUITE(CleanPatchTest, patchtest::Generations, patchtest::GenerationName);

TYPED_TEST(CleanPatchTest, RemovesEverythingThenAddsTheDownloadDirectoryByDirectory) {
  Capture capture;
  EXPECT_EQ(this->run(L"$/A", util::FAR_FUTURE), S_OK);
  const std::wstring d = this->download();
  EXPECT_EQ(capture.xml(), patchDocument({
                               deleteDir(L""),
                               addFile(L"$/A/a.txt", d + testsupport::localPath(L"/a.txt")),
                               addDir(L"$/A/b"),
                               addFile(L"$/A/late.txt", d + testsupport::localPath(L"/late.txt")),
                               addDir(L"$/A/b/c"),
                               addFile(L"$/A/b/y.txt", d + testsupport::localPath(L"/b/y.txt")),
                               addFile(L"$/A/b/c/z.txt", d + testsupport::localPath(L"/b/c/z.txt")),
                           }));
  EXPECT_EQ(contentOf(d + testsupport::localPath(L"/a.txt")), "a2");
  EXPECT_EQ(contentOf(d + testsupport::localPath(L"/b/c/z.txt")), "z1");
  EXPECT_EQ(contentOf(d + testsupport::localPath(L"/late.txt")), "late");
}

TYPED_TEST(CleanPatchTest, FetchesTheStateAtToWhateverFrom) {
  for (std::int64_t from : {0, 12, 100}) {
    SCOPED_TRACE(from);
    testsupport::TempDir other;
    Capture capture;
    {
      auto database = patchtest::openDatabase<TypeParam>(this->builder_);
      const std::wstring mask = (other / "m_").wstring();
      patch::CleanPatchBuilder<TypeParam> builder(output::channels(), mask, at(from), at(25));
      EXPECT_EQ(builder.run(*database, L"$/A"), S_OK);
    }
    const std::wstring d = (other / "m_").wstring() + L"VM-VSS-TEMP-0.vss";
    EXPECT_EQ(capture.xml(), patchDocument({
                                 deleteDir(L""),
                                 addFile(L"$/A/a.txt", d + testsupport::localPath(L"/a.txt")),
                                 addDir(L"$/A/b"),
                                 addFile(L"$/A/late.txt", d + testsupport::localPath(L"/late.txt")),
                                 addDir(L"$/A/b/c"),
                                 addFile(L"$/A/b/y.txt", d + testsupport::localPath(L"/b/y.txt")),
                                 addFile(L"$/A/b/c/z.txt", d + testsupport::localPath(L"/b/c/z.txt")),
                             }));
    EXPECT_EQ(contentOf(d + testsupport::localPath(L"/a.txt")), "a2");
  }
  // Before a.txt's second version and before late.txt.
  Capture capture;
  EXPECT_EQ(this->run(L"$/A", at(3)), S_OK);
  EXPECT_EQ(contentOf(this->download() + testsupport::localPath(L"/a.txt")), "a1");
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(this->download()) / "late.txt"));
}

// The download is the whole project as it stood at "to": the changes made
// below it after its own last change before then are there (y.txt at +3, c
// at +4, a.txt's "a2" at +10, while the project itself last changed at +2).
TYPED_TEST(CleanPatchTest, ChangesBelowTheProjectAfterItsOwnLastChangeAreSeen) {
  Capture capture;
  EXPECT_EQ(this->run(L"$/A", at(12)), S_OK);
  const std::wstring d = this->download();
  EXPECT_EQ(capture.xml(), patchDocument({
                               deleteDir(L""),
                               addFile(L"$/A/a.txt", d + testsupport::localPath(L"/a.txt")),
                               addDir(L"$/A/b"),
                               addDir(L"$/A/b/c"),
                               addFile(L"$/A/b/y.txt", d + testsupport::localPath(L"/b/y.txt")),
                               addFile(L"$/A/b/c/z.txt", d + testsupport::localPath(L"/b/c/z.txt")),
                           }));
  EXPECT_EQ(contentOf(d + testsupport::localPath(L"/a.txt")), "a2");
}

// Before the project existed it held nothing: the receiver clears everything.
TYPED_TEST(CleanPatchTest, BeforeTheProjectExistedOnlyTheDeleteDirEntry) {
  Capture capture;
  EXPECT_EQ(this->run(L"$/A", util::EPOCH), S_OK);
  EXPECT_EQ(capture.xml(), patchDocument({deleteDir(L"")}));
}

TYPED_TEST(CleanPatchTest, EmptyProjectGivesOnlyTheDeleteDirEntry) {
  Capture capture;
  EXPECT_EQ(this->run(L"$/E", util::FAR_FUTURE), S_OK);
  EXPECT_EQ(capture.xml(), patchDocument({deleteDir(L"")}));
}

// The root's spec ends with its "/": its children are "$/A", never "$//A".
TYPED_TEST(CleanPatchTest, RootSpecsAreJoinedWithOneSlash) {
  Capture capture;
  EXPECT_EQ(this->run(L"$/", util::FAR_FUTURE), S_OK);
  const std::wstring& xml = capture.xml();
  EXPECT_NE(xml.find(addDir(L"$/A")), std::wstring::npos);
  EXPECT_NE(xml.find(addDir(L"$/E")), std::wstring::npos);
  EXPECT_NE(xml.find(addFile(L"$/A/a.txt", this->download() + testsupport::localPath(L"/A/a.txt"))), std::wstring::npos);
  EXPECT_EQ(xml.find(L"$//"), std::wstring::npos);
}

TYPED_TEST(CleanPatchTest, ExistingDownloadDirectoryFailsBeforeAnyEntry) {
  std::filesystem::create_directory(this->download());
  Capture capture;
  EXPECT_EQ(this->run(L"$/A", util::FAR_FUTURE), E_FAIL);
  EXPECT_EQ(capture.xml(), patchDocument({}));
  EXPECT_THAT(capture.lines(), Contains(L"CleanPatchBuilder Error - Failed to create directory at " +
                                        this->download()));
}

TYPED_TEST(CleanPatchTest, MissingRootWritesNoEntries) {
  Capture capture;
  EXPECT_EQ(this->run(L"$/nothing", util::FAR_FUTURE), ssapi::ESS_VS_NOT_FOUND);
  EXPECT_EQ(capture.xml(), patchDocument({}));
  EXPECT_EQ(capture.lines().at(0).rfind(L"CleanPatchBuilder Error - Failed to find root, Error: 0x8004d68f", 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(this->download()));
}

TYPED_TEST(CleanPatchTest, FailedDownloadWritesNoEntries) {
  this->builder_.faults().fail(L"Get", L"$/A");
  Capture capture;
  EXPECT_EQ(this->run(L"$/A", util::FAR_FUTURE), E_FAIL);
  EXPECT_EQ(capture.xml(), patchDocument({}));
  EXPECT_THAT(capture.lines(), Contains(L"CleanPatchBuilder Error - Failed to Get all tree:, " + patchtest::kInjected));
}

TYPED_TEST(CleanPatchTest, UnlistableDownloadDirectoryLeavesOnlyTheDeleteDirEntry) {
  const std::wstring d = this->download();
  auto lister = [d](const std::wstring& path, std::vector<platform::DirectoryEntry>* entries) {
    return path != d && platform::listDirectory(path, entries);
  };
  Capture capture;
  EXPECT_EQ(this->run(L"$/A", util::FAR_FUTURE, util::EPOCH, lister), E_FAIL);
  EXPECT_EQ(capture.xml(), patchDocument({deleteDir(L"")}));
}

// A patch missing a subdirectory must not pass for a complete one: the walk
// goes on with the rest and the command fails afterwards.
TYPED_TEST(CleanPatchTest, UnlistableSubdirectoryFailsTheCommandAfterTheWalk) {
  const std::wstring d = this->download();
  auto lister = [d](const std::wstring& path, std::vector<platform::DirectoryEntry>* entries) {
    return path != d + testsupport::localPath(L"/b/c") && platform::listDirectory(path, entries);
  };
  Capture capture;
  EXPECT_EQ(this->run(L"$/A", util::FAR_FUTURE, util::EPOCH, lister), E_FAIL);
  EXPECT_EQ(capture.xml(), patchDocument({
                               deleteDir(L""),
                               addFile(L"$/A/a.txt", d + testsupport::localPath(L"/a.txt")),
                               addDir(L"$/A/b"),
                               addFile(L"$/A/late.txt", d + testsupport::localPath(L"/late.txt")),
                               addDir(L"$/A/b/c"),
                               addFile(L"$/A/b/y.txt", d + testsupport::localPath(L"/b/y.txt")),
                           }));
  EXPECT_THAT(capture.lines(),
              Contains(L"ssEx Error - Failed to enumerate files on " + d + testsupport::localPath(L"/b/c spec $/A/b/c/")));
}

}  // namespace

#include "patch/local_tree_walker.h"

#include <filesystem>

#include "patch_test_support.h"
#include "support/local_path.h"

namespace {

using patchtest::addDir;
using patchtest::addFile;
using patchtest::Capture;
using patchtest::patchDocument;
using patchtest::wide;
using ::testing::Contains;

// root/a.txt, root/B/y.txt, root/B/Sub/z.txt, root/c.txt, root/D/w.txt
class LocalTreeWalkerTest : public ::testing::Test {
 protected:
  LocalTreeWalkerTest() {
    std::filesystem::create_directories(root_ / "B" / "Sub");
    std::filesystem::create_directories(root_ / "D");
    testsupport::writeFileBytes(root_ / "a.txt", "a");
    testsupport::writeFileBytes(root_ / "c.txt", "c");
    testsupport::writeFileBytes(root_ / "B" / "y.txt", "y");
    testsupport::writeFileBytes(root_ / "B" / "Sub" / "z.txt", "z");
    testsupport::writeFileBytes(root_ / "D" / "w.txt", "w");
  }

  // Lists like the platform, except that the directory named failing
  // cannot be listed.
  patch::LocalTreeWalker::DirectoryLister failingOn(std::filesystem::path failing) {
    return [failing = wide(failing)](const std::wstring& path, std::vector<platform::DirectoryEntry>* entries) {
      if (path == failing) return false;
      return platform::listDirectory(path, entries);
    };
  }

  // Run inside a Capture.
  HRESULT walk(patch::LocalTreeWalker::DirectoryLister lister = platform::listDirectory) {
    patch::PatchFile file(output::channels());
    return patch::LocalTreeWalker(file, std::move(lister)).walk(L"$/P/", wide(root_));
  }

  testsupport::TempDir dir_;
  std::filesystem::path root_ = dir_ / "root";
};

TEST_F(LocalTreeWalkerTest, WritesEachDirectoryInListingOrderBeforeItsSubdirectories) {
  Capture capture;
  EXPECT_EQ(walk(), S_OK);
  const std::wstring r = wide(root_);
  EXPECT_EQ(capture.xml(), patchDocument({
                               addFile(L"$/P/a.txt", r + testsupport::localPath(L"/a.txt")),
                               addDir(L"$/P/B"),
                               addFile(L"$/P/c.txt", r + testsupport::localPath(L"/c.txt")),
                               addDir(L"$/P/D"),
                               addDir(L"$/P/B/Sub"),
                               addFile(L"$/P/B/y.txt", r + testsupport::localPath(L"/B/y.txt")),
                               addFile(L"$/P/B/Sub/z.txt", r + testsupport::localPath(L"/B/Sub/z.txt")),
                               addFile(L"$/P/D/w.txt", r + testsupport::localPath(L"/D/w.txt")),
                           }));
}

TEST_F(LocalTreeWalkerTest, MissingDirectoryOrPlainFileIsAnEmptySuccess) {
  for (const char* name : {"nothing-here", "a.txt"}) {
    SCOPED_TRACE(name);
    Capture capture(logging::kInfo);
    {
      patch::PatchFile file(output::channels());
      EXPECT_EQ(patch::LocalTreeWalker(file).walk(L"$/P/", wide(root_ / name)), S_OK);
    }
    EXPECT_EQ(capture.xml(), patchDocument({}));
    EXPECT_THAT(capture.lines(), Contains(L"ssEx Info - Directory does not exists"));
  }
}

TEST_F(LocalTreeWalkerTest, UnlistableTopDirectoryFailsWithoutEntries) {
  Capture capture;
  EXPECT_EQ(walk(failingOn(root_)), E_FAIL);
  EXPECT_EQ(capture.xml(), patchDocument({}));
  EXPECT_THAT(capture.lines(),
              Contains(L"ssEx Error - Failed to enumerate files on " + wide(root_) + L" spec $/P/"));
}

// A subdirectory that cannot be listed is left out, the walk of the others
// goes on, and the walk fails once it is done: the patch is incomplete.
TEST_F(LocalTreeWalkerTest, UnlistableSubdirectoryFailsTheWalkAfterTheOthers) {
  struct Case {
    const char* name;
    std::filesystem::path failing;
    std::vector<std::wstring> missing;
  };
  const std::wstring r = wide(root_);
  const Case cases[] = {
      {"first subdirectory", root_ / "B", {L"$/P/B/Sub", L"$/P/B/y.txt", L"$/P/B/Sub/z.txt"}},
      {"nested subdirectory", root_ / "B" / "Sub", {L"$/P/B/Sub/z.txt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Capture capture;
    EXPECT_EQ(walk(failingOn(c.failing)), E_FAIL);
    const std::wstring& xml = capture.xml();
    for (const std::wstring& spec : c.missing)
      EXPECT_EQ(xml.find(L"\"" + spec + L"\""), std::wstring::npos) << platform::wideToUtf8(spec);
    // The sibling after the broken one is still written.
    EXPECT_NE(xml.find(addFile(L"$/P/D/w.txt", r + testsupport::localPath(L"/D/w.txt"))), std::wstring::npos);
    EXPECT_NE(xml.find(addDir(L"$/P/B")), std::wstring::npos);
    EXPECT_THAT(capture.lines(), Contains(L"ssEx Error - Failed to enumerate files on " + wide(c.failing) +
                                          L" spec " + (c.failing == root_ / "B" ? L"$/P/B/" : L"$/P/B/Sub/")));
  }
}

}  // namespace

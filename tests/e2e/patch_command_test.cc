// The patch, patch2 and patch3 commands end to end, for both generations:
// the documents byte for byte, the extracted files against the versions the
// database holds, and the patch applied to the project as it stood at
// <from> against the project as it stood at <to>.
#include <filesystem>

#include "e2e/patch/command_e2e.h"
#include "patch/patch_tree.h"

namespace {

using commande2e::Generation;
using commande2e::kDeclaration;
using commande2e::kFailed;
using patchtest::Tree;

constexpr std::int64_t kBase = 1000000000;

// Command-line times a quarter second after a whole second: away from the
// changes, which are made at whole seconds, and written as that second.
std::string between(std::int64_t offsetSeconds) { return commande2e::millisText(kBase + offsetSeconds, 250); }
std::int64_t betweenMillis(std::int64_t offsetSeconds) { return (kBase + offsetSeconds) * 1000 + 250; }

// "09.09.2001 1:46:45" for kBase + 5 seconds, as the history wrapper writes
// the window.
std::wstring dateText(std::int64_t offsetSeconds) {
  std::int64_t seconds = kBase + offsetSeconds;  // 01:46:40 UTC on 09.09.2001
  std::int64_t ofDay = seconds % 86400;
  return L"09.09.2001 " + std::to_wstring(ofDay / 3600) + L":" + (ofDay / 60 % 60 < 10 ? L"0" : L"") +
         std::to_wstring(ofDay / 60 % 60) + L":" + (ofDay % 60 < 10 ? L"0" : L"") + std::to_wstring(ofDay % 60);
}

std::wstring addFile(const std::wstring& spec, const std::wstring& file) {
  return L"   <add spec=\"" + spec + L"\" file=\"" + file + L"\"/>\n";
}
std::wstring addDir(const std::wstring& spec) { return L"   <add-dir spec=\"" + spec + L"\"/>\n"; }
std::wstring deleteFile(const std::wstring& spec) { return L"   <delete spec=\"" + spec + L"\"/>\n"; }
std::wstring deleteDir(const std::wstring& spec) { return L"   <delete-dir spec=\"" + spec + L"\"/>\n"; }

std::wstring patchDocument(const std::vector<std::wstring>& entries) {
  std::wstring text = kDeclaration + L"<patch>\n\n";
  for (const std::wstring& entry : entries) text += entry;
  return text + L"</patch>\n\n";
}

// The patch command's document, with the history wrapper of the window.
std::wstring smartDocument(const std::wstring& from, const std::wstring& to, const std::vector<std::wstring>& entries) {
  std::wstring text = kDeclaration + L"<patch>\n\n<history from=\"" + from + L"\" to=\"" + to + L"\">\r\n\r\n";
  for (const std::wstring& entry : entries) text += entry;
  return text + L"</history>\r\n</patch>\n\n";
}

// $/p holds a.txt "a1" (+1) and the folder sub (+2) with s.txt "s1" (+3)
// and t.txt "t1" (+4); every window of the tests starts after that.
class PatchCommandTest : public ::testing::TestWithParam<Generation> {
 protected:
  PatchCommandTest() {
    db_.at(kBase).createProject(L"$/p");
    db_.at(kBase + 1).addFile(L"$/p/a.txt", "a1");
    db_.at(kBase + 2).createProject(L"$/p/sub");
    db_.at(kBase + 3).addFile(L"$/p/sub/s.txt", "s1");
    db_.at(kBase + 4).addFile(L"$/p/sub/t.txt", "t1");
  }

  commande2e::CommandRun run(const std::vector<std::string>& command, const commande2e::RunSettings& settings = {}) {
    commande2e::CommandRun result = commande2e::runCommand(dir_, db_, GetParam(), command, settings);
    EXPECT_EQ(result.stderrText, "");
    EXPECT_TRUE(parsesAsXml()) << testsupport::printable(result.xml);
    return result;
  }
  bool parsesAsXml() const {
    return testsupport::runProgram({"/usr/bin/xmllint", "--noout", (dir_ / "out.xml").string()}).exitCode == 0;
  }

  std::string mask() const { return (dir_ / "tmp_").string(); }
  std::wstring temp(int n) const {
    return platform::utf8ToWide(mask()) + L"VM-VSS-TEMP-" + std::to_wstring(n) + L".vss";
  }
  std::string content(const std::wstring& file) const { return testsupport::readFileBytes(platform::wideToUtf8(file)); }

  // The tree of the project at a time, read in process from the same
  // database the binary read.
  template <class G>
  Tree treeWith(const std::wstring& path, std::int64_t millis) {
    return patchtest::treeAt<G>(db_.open<G>(), path, millis);
  }
  Tree treeAt(const std::wstring& path, std::int64_t millis) {
    return GetParam() == Generation::kVss60 ? treeWith<ssapi::Vss60>(path, millis)
                                            : treeWith<ssapi::Vss2005>(path, millis);
  }
  void expectPatchTurnsFromIntoTo(const std::wstring& document, std::int64_t fromMillis, std::int64_t toMillis,
                                  const std::wstring& path = L"$/p") {
    Tree tree = treeAt(path, fromMillis - 1);
    patchtest::applyPatch(document, &tree);
    EXPECT_EQ(tree, treeAt(path, toMillis));
  }

  ssapi::DatabaseBuilder db_;
  testsupport::TempDir dir_;
};

INSTANTIATE_TEST_SUITE_P(Generations, PatchCommandTest, ::testing::Values(Generation::kVss60, Generation::kVss2005),
                         commande2e::GenerationName());

// --- patch: one rule of the change-log analysis per test ---

TEST_P(PatchCommandTest, FileChangedThreeTimesIsDownloadedOnceFromItsNewestVersion) {
  db_.at(kBase + 10).checkIn(L"$/p/a.txt", "a2");
  db_.at(kBase + 11).checkIn(L"$/p/a.txt", "a3");
  db_.at(kBase + 12).checkIn(L"$/p/a.txt", "a4");
  auto result = run({"patch", "$/p", mask(), between(5), between(20)});
  EXPECT_EQ(result.exitCode, 0) << result.explain();
  EXPECT_TRUE(testsupport::wideTextEquals(
      result.xml, smartDocument(dateText(5), dateText(20), {addFile(L"$/p/a.txt", temp(0))})));
  EXPECT_EQ(content(temp(0)), "a4");
  EXPECT_FALSE(std::filesystem::exists(platform::wideToUtf8(temp(1))));
  EXPECT_EQ(result.errors, L"");
  expectPatchTurnsFromIntoTo(result.xml, betweenMillis(5), betweenMillis(20));
}

TEST_P(PatchCommandTest, FileDeletedAfterItsLastChangeIsOnlyDeleted) {
  db_.at(kBase + 10).checkIn(L"$/p/a.txt", "a2");
  db_.at(kBase + 12).remove(L"$/p/a.txt");
  auto result = run({"patch", "$/p", mask(), between(5), between(20)});
  EXPECT_EQ(result.exitCode, 0) << result.explain();
  EXPECT_TRUE(testsupport::wideTextEquals(result.xml,
                                          smartDocument(dateText(5), dateText(20), {deleteFile(L"$/p/a.txt")})));
  expectPatchTurnsFromIntoTo(result.xml, betweenMillis(5), betweenMillis(20));
}

TEST_P(PatchCommandTest, DeletedFolderMasksOlderEntriesInsideIt) {
  db_.at(kBase + 10).checkIn(L"$/p/sub/s.txt", "s2");
  db_.at(kBase + 11).addFile(L"$/p/sub/u.txt", "u1");
  db_.at(kBase + 12).remove(L"$/p/sub");
  db_.at(kBase + 13).checkIn(L"$/p/a.txt", "a2");
  auto result = run({"patch", "$/p", mask(), between(5), between(20)});
  EXPECT_EQ(result.exitCode, 0) << result.explain();
  EXPECT_TRUE(testsupport::wideTextEquals(
      result.xml, smartDocument(dateText(5), dateText(20),
                                {deleteDir(L"$/p/sub"), addFile(L"$/p/a.txt", temp(0))})));
  EXPECT_EQ(content(temp(0)), "a2");
  expectPatchTurnsFromIntoTo(result.xml, betweenMillis(5), betweenMillis(20));
}

TEST_P(PatchCommandTest, RestoredFolderIsWrittenWhole) {
  db_.at(kBase + 5).archive(L"$/p/sub");
  db_.at(kBase + 12).restore(L"$/p/sub");
  auto result = run({"patch", "$/p", mask(), between(7), between(20)});
  EXPECT_EQ(result.exitCode, 0) << result.explain();
  // The restored folder comes with its content, folder first.
  EXPECT_TRUE(testsupport::wideTextEquals(
      result.xml, smartDocument(dateText(7), dateText(20),
                                {addDir(L"$/p/sub"), addFile(L"$/p/sub/s.txt", temp(0)),
                                 addFile(L"$/p/sub/t.txt", temp(1))})));
  EXPECT_EQ(content(temp(0)), "s1");
  EXPECT_EQ(content(temp(1)), "t1");
  expectPatchTurnsFromIntoTo(result.xml, betweenMillis(7), betweenMillis(20));
}

TEST_P(PatchCommandTest, RenameIsDeleteOfTheOldNameThenAddOfTheNew) {
  db_.at(kBase + 10).checkIn(L"$/p/a.txt", "a2");
  db_.at(kBase + 12).rename(L"$/p/a.txt", L"c.txt");
  db_.at(kBase + 13).rename(L"$/p/sub", L"folder");
  auto result = run({"patch", "$/p", mask(), between(5), between(20)});
  EXPECT_EQ(result.exitCode, 0) << result.explain();
  EXPECT_TRUE(testsupport::wideTextEquals(
      result.xml,
      smartDocument(dateText(5), dateText(20),
                    {deleteFile(L"$/p/a.txt"), deleteDir(L"$/p/sub"), addFile(L"$/p/c.txt", temp(0)),
                     addDir(L"$/p/folder"), addFile(L"$/p/folder/s.txt", temp(1)),
                     addFile(L"$/p/folder/t.txt", temp(2))})));
  EXPECT_EQ(content(temp(0)), "a2");
  expectPatchTurnsFromIntoTo(result.xml, betweenMillis(5), betweenMillis(20));
}

TEST_P(PatchCommandTest, ChangesAfterToOnlyFeedTheRenames) {
  db_.at(kBase + 10).checkIn(L"$/p/a.txt", "a2");
  db_.at(kBase + 30).rename(L"$/p/a.txt", L"later.txt");
  db_.at(kBase + 31).checkIn(L"$/p/later.txt", "a3");
  auto result = run({"patch", "$/p", mask(), between(5), between(20)});
  EXPECT_EQ(result.exitCode, 0) << result.explain();
  EXPECT_TRUE(testsupport::wideTextEquals(
      result.xml, smartDocument(dateText(5), dateText(20), {addFile(L"$/p/a.txt", temp(0))})));
  EXPECT_EQ(content(temp(0)), "a2");
  expectPatchTurnsFromIntoTo(result.xml, betweenMillis(5), betweenMillis(20));
}

TEST_P(PatchCommandTest, EmptyProjectOrWindowGivesOnlyTheWrapper) {
  db_.at(kBase + 5).createProject(L"$/empty");
  auto result = run({"patch", "$/empty", mask(), between(10)});
  EXPECT_EQ(result.exitCode, 0) << result.explain();
  EXPECT_TRUE(testsupport::wideTextEquals(result.xml, smartDocument(dateText(10), L"Invalid DateTime", {})));
  result = run({"patch", "$/p", mask(), "0", between(-10)});
  EXPECT_EQ(result.exitCode, 0) << result.explain();
  EXPECT_TRUE(testsupport::wideTextEquals(result.xml, smartDocument(L"01.01.1970", dateText(-10), {})));
}

TEST_P(PatchCommandTest, MissingProjectFailsWithTheDocumentClosed) {
  auto result = run({"patch", "$/nothing", mask()});
  EXPECT_EQ(result.exitCode, kFailed);
  EXPECT_TRUE(testsupport::wideTextEquals(result.xml, patchDocument({})));
  EXPECT_TRUE(testsupport::wideTextEquals(result.errors, L"Unable to find root item\r\n"));
}

TEST_P(PatchCommandTest, TwoFailedDownloadsThenSuccessShiftTheNumbering) {
  db_.at(kBase + 10).checkIn(L"$/p/a.txt", "a2");
  db_.at(kBase + 11).checkIn(L"$/p/sub/s.txt", "s2");
  auto result = run({"patch", "$/p", mask(), between(5), between(20)}, {.faults = "Get $/p/sub/s.txt times=2\n"});
  EXPECT_EQ(result.exitCode, 0) << result.explain();
  EXPECT_TRUE(testsupport::wideTextEquals(
      result.xml, smartDocument(dateText(5), dateText(20),
                                {addFile(L"$/p/a.txt", temp(0)), addFile(L"$/p/sub/s.txt", temp(3))})));
  EXPECT_EQ(content(temp(0)), "a2");
  EXPECT_EQ(content(temp(3)), "s2");
}

// After five failed attempts the file is left out, the other entries are
// written, the document is closed, and the command fails.
TEST_P(PatchCommandTest, FileThatCannotBeDownloadedFailsTheCommand) {
  db_.at(kBase + 10).checkIn(L"$/p/sub/s.txt", "s2");
  db_.at(kBase + 11).checkIn(L"$/p/a.txt", "a2");
  auto result = run({"patch", "$/p", mask(), between(5), between(20)}, {.faults = "Get $/p/a.txt times=forever\n"});
  EXPECT_EQ(result.exitCode, kFailed);
  EXPECT_TRUE(testsupport::wideTextEquals(
      result.xml, smartDocument(dateText(5), dateText(20), {addFile(L"$/p/sub/s.txt", temp(5))})));
  EXPECT_EQ(content(temp(5)), "s2");
  EXPECT_EQ(result.errors, L"");
}

// --- the environment variables of the patch command ---

TEST_P(PatchCommandTest, EnvironmentVariablesChooseACleanBuilder) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> environment;
    const wchar_t* warning;
    bool tree;  // patch3's document, else patch2's
  };
  const Case cases[] = {
      {"patch2 with empty value", {{"Velmora.VSS.UsePatch2.ALLWAYS", ""}},
       L"Using Velmora.VSS.UsePatch2.ALLWAYS to build clean patch using patch2", false},
      {"patch3 named in other letter case", {{"velmora.vss.usepatch3.allways", "no"}},
       L"Using Velmora.VSS.UsePatch3.ALLWAYS to build clean patch using patch3", true},
      {"both: patch2 wins", {{"Velmora.VSS.UsePatch3.ALLWAYS", "1"}, {"VELMORA.VSS.USEPATCH2.ALLWAYS", "1"}},
       L"Using Velmora.VSS.UsePatch2.ALLWAYS to build clean patch using patch2", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(mask() + "VM-VSS-TEMP-0.vss");
    auto result = run({"patch", "$/p/sub", mask(), "0"}, {.log = true, .environment = c.environment});
    EXPECT_EQ(result.exitCode, 0) << result.explain();
    const std::wstring download = temp(0);
    EXPECT_TRUE(testsupport::wideTextEquals(
        result.xml, c.tree ? patchDocument({addDir(L"$/p/sub"), addFile(L"$/p/sub/s.txt", temp(0)),
                                            addFile(L"$/p/sub/t.txt", temp(1))})
                           : patchDocument({deleteDir(L""), addFile(L"$/p/sub/s.txt", download + L"/s.txt"),
                                            addFile(L"$/p/sub/t.txt", download + L"/t.txt")})));
    EXPECT_NE(result.log.find(std::wstring(L"[T] ssCommandLine Warn - ") + c.warning + L"\r\n"), std::wstring::npos)
        << testsupport::printable(result.log);
    EXPECT_EQ(result.log.find(L"UsePatch", result.log.find(c.warning) + 60), std::wstring::npos);
  }
}

TEST_P(PatchCommandTest, CleanCommandsIgnoreTheVariables) {
  auto result =
      run({"patch3", "$/p/sub", mask()}, {.log = true, .environment = {{"Velmora.VSS.UsePatch2.ALLWAYS", ""}}});
  EXPECT_EQ(result.exitCode, 0) << result.explain();
  EXPECT_TRUE(testsupport::wideTextEquals(
      result.xml, patchDocument({addDir(L"$/p/sub"), addFile(L"$/p/sub/s.txt", temp(0)),
                                 addFile(L"$/p/sub/t.txt", temp(1))})));
  EXPECT_EQ(result.log.find(L"UsePatch"), std::wstring::npos);
}

// --- patch2: one recursive download ---

// The nested scenario of the clean patches. Every project changes after
// the projects below it, so that its newest version sees every change below
// it (see the known cases at the end).
void nestedScenario(ssapi::DatabaseBuilder& db) {
  db.at(kBase + 5).createProject(L"$/p/sub/deep");
  db.at(kBase + 6).addFile(L"$/p/sub/deep/d.txt", "d1");
  db.at(kBase + 7).addFile(L"$/p/sub/u.txt", "u1");
  db.at(kBase + 8).checkIn(L"$/p/a.txt", "a2");
  db.at(kBase + 9).addFile(L"$/p/z.txt", "z1");
}

TEST_P(PatchCommandTest, Patch2DescribesTheDownloadedTree) {
  nestedScenario(db_);
  auto result = run({"patch2", "$/p", mask(), "0"});
  EXPECT_EQ(result.exitCode, 0) << result.explain();
  const std::wstring d = temp(0);
  EXPECT_TRUE(testsupport::wideTextEquals(
      result.xml, patchDocument({deleteDir(L""), addFile(L"$/p/a.txt", d + L"/a.txt"), addDir(L"$/p/sub"),
                                 addFile(L"$/p/z.txt", d + L"/z.txt"), addDir(L"$/p/sub/deep"),
                                 addFile(L"$/p/sub/s.txt", d + L"/sub/s.txt"),
                                 addFile(L"$/p/sub/t.txt", d + L"/sub/t.txt"),
                                 addFile(L"$/p/sub/u.txt", d + L"/sub/u.txt"),
                                 addFile(L"$/p/sub/deep/d.txt", d + L"/sub/deep/d.txt")})));
  EXPECT_EQ(content(d + L"/a.txt"), "a2");
  EXPECT_EQ(content(d + L"/sub/deep/d.txt"), "d1");
  // A clean patch turns anything into the project at <to>.
  Tree tree = treeAt(L"$/p", betweenMillis(-100));
  patchtest::applyPatch(result.xml, &tree);
  Tree expected = treeAt(L"$/p", betweenMillis(100));
  expected.dirs.erase(L"$/p");
  EXPECT_EQ(tree, expected);
}

TEST_P(PatchCommandTest, Patch2RefusesAnExistingDownloadDirectory) {
  std::filesystem::create_directory(platform::wideToUtf8(temp(0)));
  auto result = run({"patch2", "$/p", mask()});
  EXPECT_EQ(result.exitCode, kFailed);
  EXPECT_TRUE(testsupport::wideTextEquals(result.xml, patchDocument({})));
  EXPECT_EQ(result.errors, L"");
  EXPECT_NE(result.log.find(L"[T] CleanPatchBuilder Error - Failed to create directory at " + temp(0) + L"\r\n"),
            std::wstring::npos)
      << testsupport::printable(result.log);
}

// The root and $/p change after the projects below them (see the known
// cases at the end).
void rootScenario(ssapi::DatabaseBuilder& db) {
  db.at(kBase + 5).addFile(L"$/p/z.txt", "z1");
  db.at(kBase + 6).createProject(L"$/q");
}

// The root's spec ends with its "/": its children are "$/p", never "$//p".
TEST_P(PatchCommandTest, Patch2OfTheRootJoinsWithOneSlash) {
  rootScenario(db_);
  auto result = run({"patch2", "$/", mask()});
  EXPECT_EQ(result.exitCode, 0) << result.explain();
  const std::wstring d = temp(0);
  EXPECT_TRUE(testsupport::wideTextEquals(
      result.xml, patchDocument({deleteDir(L""), addDir(L"$/p"), addDir(L"$/q"),
                                 addFile(L"$/p/a.txt", d + L"/p/a.txt"), addDir(L"$/p/sub"),
                                 addFile(L"$/p/z.txt", d + L"/p/z.txt"),
                                 addFile(L"$/p/sub/s.txt", d + L"/p/sub/s.txt"),
                                 addFile(L"$/p/sub/t.txt", d + L"/p/sub/t.txt")})));
}

// --- patch3: a walk over the item tree ---

TEST_P(PatchCommandTest, Patch3WalksTheTreeAndDownloadsEachFile) {
  nestedScenario(db_);
  auto result = run({"patch3", "$/p", mask(), "0"});
  EXPECT_EQ(result.exitCode, 0) << result.explain();
  EXPECT_TRUE(testsupport::wideTextEquals(
      result.xml, patchDocument({addDir(L"$/p"), addDir(L"$/p/sub"), addDir(L"$/p/sub/deep"),
                                 addFile(L"$/p/a.txt", temp(0)), addFile(L"$/p/sub/deep/d.txt", temp(1)),
                                 addFile(L"$/p/sub/s.txt", temp(2)), addFile(L"$/p/sub/t.txt", temp(3)),
                                 addFile(L"$/p/sub/u.txt", temp(4)), addFile(L"$/p/z.txt", temp(5))})));
  EXPECT_EQ(content(temp(0)), "a2");
  EXPECT_EQ(content(temp(1)), "d1");
  EXPECT_EQ(content(temp(2)), "s1");
  EXPECT_EQ(content(temp(3)), "t1");
  EXPECT_EQ(content(temp(4)), "u1");
  EXPECT_EQ(content(temp(5)), "z1");
  Tree tree;
  patchtest::applyPatch(result.xml, &tree);
  EXPECT_EQ(tree, treeAt(L"$/p", betweenMillis(100)));
}

TEST_P(PatchCommandTest, Patch3OfTheRoot) {
  rootScenario(db_);
  auto result = run({"patch3", "$/", mask()});
  EXPECT_EQ(result.exitCode, 0) << result.explain();
  EXPECT_TRUE(testsupport::wideTextEquals(
      result.xml, patchDocument({addDir(L"$/"), addDir(L"$/p"), addDir(L"$/p/sub"), addDir(L"$/q"),
                                 addFile(L"$/p/a.txt", temp(0)), addFile(L"$/p/sub/s.txt", temp(1)),
                                 addFile(L"$/p/sub/t.txt", temp(2)), addFile(L"$/p/z.txt", temp(3))})));
}

TEST_P(PatchCommandTest, Patch3RetriesAndFailures) {
  rootScenario(db_);
  auto retried = run({"patch3", "$/p", mask()}, {.faults = "Get $/p/a.txt times=2\n"});
  EXPECT_EQ(retried.exitCode, 0) << retried.explain();
  EXPECT_TRUE(testsupport::wideTextEquals(
      retried.xml, patchDocument({addDir(L"$/p"), addDir(L"$/p/sub"), addFile(L"$/p/a.txt", temp(2)),
                                  addFile(L"$/p/sub/s.txt", temp(3)), addFile(L"$/p/sub/t.txt", temp(4)),
                                  addFile(L"$/p/z.txt", temp(5))})));
  EXPECT_EQ(content(temp(2)), "a1");

  auto failed = run({"patch3", "$/p", mask()}, {.faults = "Get $/p/sub/s.txt times=forever\n"});
  EXPECT_EQ(failed.exitCode, kFailed);
  EXPECT_TRUE(testsupport::wideTextEquals(
      failed.xml, patchDocument({addDir(L"$/p"), addDir(L"$/p/sub"), addFile(L"$/p/a.txt", temp(0)),
                                 addFile(L"$/p/sub/t.txt", temp(6)), addFile(L"$/p/z.txt", temp(7))})));
  EXPECT_EQ(failed.errors, L"");
}

// --- clean patches: the whole project as it stood at <to> ---

TEST_P(PatchCommandTest, CleanPatchesDeliverChangesAfterTheProjectsLastOwnChange) {
  // $/p's newest version is "Added $sub" (+2); s.txt, t.txt (+3, +4) and
  // a.txt's "a2" come later.
  db_.at(kBase + 10).checkIn(L"$/p/a.txt", "a2");
  auto tree = run({"patch3", "$/p", mask()});
  EXPECT_EQ(tree.exitCode, 0) << tree.explain();
  EXPECT_TRUE(testsupport::wideTextEquals(
      tree.xml, patchDocument({addDir(L"$/p"), addDir(L"$/p/sub"), addFile(L"$/p/a.txt", temp(0)),
                               addFile(L"$/p/sub/s.txt", temp(1)), addFile(L"$/p/sub/t.txt", temp(2))})));
  EXPECT_EQ(content(temp(0)), "a2");

  auto clean = run({"patch2", "$/p", mask() + "2_"});
  EXPECT_EQ(clean.exitCode, 0) << clean.explain();
  const std::wstring d = platform::utf8ToWide(mask()) + L"2_VM-VSS-TEMP-0.vss";
  EXPECT_TRUE(testsupport::wideTextEquals(
      clean.xml, patchDocument({deleteDir(L""), addFile(L"$/p/a.txt", d + L"/a.txt"), addDir(L"$/p/sub"),
                                addFile(L"$/p/sub/s.txt", d + L"/sub/s.txt"), addFile(L"$/p/sub/t.txt", d + L"/sub/t.txt")})));
  EXPECT_EQ(content(d + L"/a.txt"), "a2");
}

// A subproject changed after its parent's newest version is walked as it is now.
TEST_P(PatchCommandTest, Patch3WalksSubprojectsChangedAfterTheirParentsNewestVersion) {
  db_.at(kBase + 5).createProject(L"$/p/sub/deep");
  db_.at(kBase + 6).addFile(L"$/p/sub/deep/d.txt", "d1");
  db_.at(kBase + 9).addFile(L"$/p/z.txt", "z1");
  auto tree = run({"patch3", "$/p", mask()});
  EXPECT_EQ(tree.exitCode, 0) << tree.explain();
  EXPECT_NE(tree.xml.find(L"<add spec=\"$/p/sub/deep/d.txt\""), std::wstring::npos) << tree.explain();
  auto clean = run({"patch2", "$/p", mask() + "2_"});
  EXPECT_NE(clean.xml.find(L"<add spec=\"$/p/sub/deep/d.txt\""), std::wstring::npos);
}

// A clean patch at a past time is the project as it stood then: changes
// below the project since its own last change before then are in it, later
// ones are not.
TEST_P(PatchCommandTest, CleanPatchesAtAPastTimeShowThatTime) {
  db_.at(kBase + 10).checkIn(L"$/p/a.txt", "a2");
  db_.at(kBase + 20).checkIn(L"$/p/a.txt", "a3").remove(L"$/p/sub");
  auto tree = run({"patch3", "$/p", mask(), "0", between(15)});
  EXPECT_EQ(tree.exitCode, 0) << tree.explain();
  EXPECT_TRUE(testsupport::wideTextEquals(
      tree.xml, patchDocument({addDir(L"$/p"), addDir(L"$/p/sub"), addFile(L"$/p/a.txt", temp(0)),
                               addFile(L"$/p/sub/s.txt", temp(1)), addFile(L"$/p/sub/t.txt", temp(2))})));
  EXPECT_EQ(content(temp(0)), "a2");
  auto clean = run({"patch2", "$/p", mask() + "2_", "0", between(15)});
  EXPECT_EQ(clean.exitCode, 0) << clean.explain();
  EXPECT_EQ(content(platform::utf8ToWide(mask()) + L"2_VM-VSS-TEMP-0.vss/a.txt"), "a2");
  EXPECT_NE(clean.xml.find(L"<add spec=\"$/p/sub/t.txt\""), std::wstring::npos);
}

// Before the project existed it held nothing: patch3 has no entries, patch2
// only its first, which clears the receiver.
TEST_P(PatchCommandTest, CleanPatchesBeforeTheProjectExistedAreEmpty) {
  auto tree = run({"patch3", "$/p", mask(), "0", commande2e::millisText(kBase - 100)});
  EXPECT_EQ(tree.exitCode, 0) << tree.explain();
  EXPECT_TRUE(testsupport::wideTextEquals(tree.xml, patchDocument({})));
  auto clean = run({"patch2", "$/p", mask() + "2_", "0", commande2e::millisText(kBase - 100)});
  EXPECT_EQ(clean.exitCode, 0) << clean.explain();
  EXPECT_TRUE(testsupport::wideTextEquals(clean.xml, patchDocument({deleteDir(L"")})));
}

// SourceSafe's names are not case-sensitive: a project asked for in other
// letters gives the same documents, under the names as SourceSafe keeps them.
TEST_P(PatchCommandTest, TheProjectsLetterCaseDoesNotMatter) {
  db_.at(kBase + 10).checkIn(L"$/p/a.txt", "a2").rename(L"$/p/sub", L"Sub");
  for (const char* command : {"history", "patch", "patch2", "patch3"}) {
    SCOPED_TRACE(command);
    auto document = [&](const std::string& path) {
      const std::string localMask = mask() + command + path.substr(2) + "_";
      std::vector<std::string> args = {command, path};
      if (std::string(command) != "history") args.push_back(localMask);
      args.push_back(between(5));
      auto result = run(args);
      EXPECT_EQ(result.exitCode, 0) << result.explain();
      // The local file names follow the mask, which differs with the path.
      std::wstring text = result.xml;
      const std::wstring local = platform::utf8ToWide(localMask);
      for (std::size_t at = text.find(local); at != std::wstring::npos; at = text.find(local, at)) {
        text.replace(at, local.size(), L"<mask>");
      }
      return text;
    };
    const std::wstring lower = document("$/p");
    EXPECT_TRUE(testsupport::wideTextEquals(document("$/P"), lower));
    EXPECT_NE(lower.find(L"$/p/Sub"), std::wstring::npos) << testsupport::printable(lower);
  }
}

}  // namespace

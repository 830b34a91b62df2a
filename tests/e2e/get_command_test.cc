// The get command end to end, for both generations.
#include <filesystem>

#include "e2e/patch/command_e2e.h"

namespace {

using commande2e::Generation;
using commande2e::kDeclaration;
using commande2e::kFailed;
using commande2e::millisText;

constexpr std::int64_t kBase = 1000000000;
const std::wstring kNotFound = L"Path was not found in the SourceSafe.\r\nGet operation failed\r\n";

class GetCommandTest : public ::testing::TestWithParam<Generation> {
 protected:
  // $/p (kBase) holds a.txt "one" (+10), "two" (+20), "three" (+30) and the
  // project sub (+40).
  GetCommandTest() {
    db_.at(kBase).createProject(L"$/p");
    db_.at(kBase + 10).addFile(L"$/p/a.txt", "one");
    db_.at(kBase + 20).checkIn(L"$/p/a.txt", "two");
    db_.at(kBase + 30).checkIn(L"$/p/a.txt", "three");
    db_.at(kBase + 40).createProject(L"$/p/sub");
  }

  commande2e::CommandRun get(std::vector<std::string> args, const commande2e::RunSettings& settings = {}) {
    args.insert(args.begin(), "get");
    commande2e::CommandRun result = commande2e::runCommand(dir_, db_, GetParam(), args, settings);
    EXPECT_EQ(result.stderrText, "");
    return result;
  }
  std::string output() const { return (dir_ / "got.bin").string(); }
  std::string got() const { return testsupport::readFileBytes(output()); }
  bool exists() const { return std::filesystem::exists(output()); }

  ssapi::DatabaseBuilder db_;
  testsupport::TempDir dir_;
};

INSTANTIATE_TEST_SUITE_P(Generations, GetCommandTest, ::testing::Values(Generation::kVss60, Generation::kVss2005),
                         commande2e::GenerationName());

TEST_P(GetCommandTest, ByTimeWritesTheFileAsItStoodThen) {
  auto run = get({"$/p/a.txt", output(), millisText(kBase + 25)});
  EXPECT_EQ(run.exitCode, 0) << run.explain();
  EXPECT_EQ(got(), "two");
  EXPECT_TRUE(testsupport::wideTextEquals(run.xml, kDeclaration));
  EXPECT_EQ(run.errors, L"");
}

// Before the file existed there was nothing at the path: nothing is written
// and the command fails as for a path not found.
TEST_P(GetCommandTest, BeforeTheFileExistedNothingIsDelivered) {
  auto run = get({"$/p/a.txt", output(), millisText(kBase + 5)});
  EXPECT_EQ(run.exitCode, kFailed) << run.explain();
  EXPECT_FALSE(exists());
  EXPECT_EQ(run.errors, kNotFound);
}

TEST_P(GetCommandTest, ByVersionResolvesThePathAtTheTimeAndTakesTheNumber) {
  auto run = get({"$/p/a.txt", output(), millisText(kBase + 15), "3"});
  EXPECT_EQ(run.exitCode, 0) << run.explain();
  EXPECT_EQ(got(), "three");
  EXPECT_TRUE(testsupport::wideTextEquals(run.xml, kDeclaration));
}

TEST_P(GetCommandTest, FarFutureTimeCountsAsNoTime) {
  auto run = get({"$/p/a.txt", output(), "4611686018427387904", "1"});
  EXPECT_EQ(run.exitCode, 0) << run.explain();
  EXPECT_EQ(got(), "one");
}

TEST_P(GetCommandTest, ExistingOutputFileIsOverwritten) {
  testsupport::writeFileBytes(output(), "something much longer than the file");
  auto run = get({"$/p/a.txt", output(), millisText(kBase + 35)});
  EXPECT_EQ(run.exitCode, 0) << run.explain();
  EXPECT_EQ(got(), "three");
}

// Without a time the request asks for version 0, the newest version of the
// file found in the current tree.
TEST_P(GetCommandTest, WithoutTimeTheNewestVersionIsFetched) {
  auto run = get({"$/p/a.txt", output()});
  EXPECT_EQ(run.exitCode, 0) << run.explain();
  EXPECT_EQ(got(), "three");
  EXPECT_TRUE(testsupport::wideTextEquals(run.errors, L""));
}

TEST_P(GetCommandTest, ProjectOrMissingPathIsNotFound) {
  for (const char* path : {"$/p/sub", "$/p", "$/p/nope.txt", "$/nothing/a.txt"}) {
    SCOPED_TRACE(path);
    auto run = get({path, output(), millisText(kBase + 50)});
    EXPECT_EQ(run.exitCode, kFailed);
    EXPECT_FALSE(exists());
    EXPECT_TRUE(testsupport::wideTextEquals(run.errors, kNotFound));
    EXPECT_TRUE(testsupport::wideTextEquals(run.xml, kDeclaration));
  }
  // a.txt did not exist yet at +5.
  auto run = get({"$/p/a.txt", output(), millisText(kBase + 5)});
  EXPECT_EQ(run.exitCode, kFailed);
  EXPECT_TRUE(testsupport::wideTextEquals(run.errors, kNotFound));
}

TEST_P(GetCommandTest, RootThatCannotBeFetched) {
  auto run = get({"$/p/a.txt", output(), millisText(kBase + 25)}, {.faults = "get_VSSItem $/\n"});
  EXPECT_EQ(run.exitCode, kFailed);
  EXPECT_TRUE(testsupport::wideTextEquals(run.errors, L"Unable to find root item\r\nGet operation failed\r\n"));
  EXPECT_NE(run.log.find(L"VersionCast Error - Error 0x80004005 (-2147467259)\r\n"), std::wstring::npos) << run.log;
}

TEST_P(GetCommandTest, FailedDownloadIsReported) {
  auto run = get({"$/p/a.txt", output(), millisText(kBase + 25)}, {.faults = "Get $/p/a.txt\n"});
  EXPECT_EQ(run.exitCode, kFailed);
  EXPECT_TRUE(testsupport::wideTextEquals(run.errors, L"Get operation failed\r\n"));
  EXPECT_NE(run.log.find(L"AbstractGetRequest Error - $/p/a.txt[2]\r\n[T] AbstractGetRequest Error - Failed to get "
                         L"item, Error: 0x80004005 (-2147467259): Injected fault. Source:SourceSafe\r\n"),
            std::wstring::npos)
      << testsupport::printable(run.log);
}

}  // namespace

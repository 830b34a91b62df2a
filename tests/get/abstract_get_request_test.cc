#include "get/abstract_get_request.h"

#include <filesystem>

#include "navigation/navigation_test_support.h"
#include "patch/patch_test_support.h"
#include "platform/text_encoding.h"
#include "support/temp_dir.h"

namespace {

using patchtest::Capture;
using navtest::kInjected;
using ::testing::Contains;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr std::int64_t kBase = 1000000000;  // 2001-09-09 01:46:40 UTC

util::JavaTime at(std::int64_t offsetSeconds) { return util::JavaTime::fromMillis((kBase + offsetSeconds) * 1000); }

// $/p (kBase) holds a.txt with "one" (+10), "two" (+20), "three" (+30), and
// the project sub (+40).
template <class A>
class GetRequestTest : public ::testing::Test {
 protected:
  GetRequestTest() {
    builder_.at(kBase).createProject(L"$/p");
    builder_.at(kBase + 10).addFile(L"$/p/a.txt", "one");
    builder_.at(kBase + 20).checkIn(L"$/p/a.txt", "two");
    builder_.at(kBase + 30).checkIn(L"$/p/a.txt", "three");
    builder_.at(kBase + 40).createProject(L"$/p/sub");
  }

  HRESULT byTime(const std::wstring& path, const util::JavaTime& time) {
    auto database = navtest::openDatabase<A>(builder_);
    return get::AbstractGetRequest<A>::byTime(output::channels())->run(*database, path, output(), time);
  }
  HRESULT byVersion(const std::wstring& path, const util::JavaTime& time, LONG version) {
    auto database = navtest::openDatabase<A>(builder_);
    return get::AbstractGetRequest<A>::byVersion(output::channels(), version)->run(*database, path, output(), time);
  }

  std::wstring output() const { return (dir_ / "out.bin").wstring(); }
  std::string written() const { return testsupport::readFileBytes(dir_ / "out.bin"); }
  bool exists() const { return std::filesystem::exists(dir_ / "out.bin"); }

  ssapi::DatabaseBuilder builder_;
  testsupport::TempDir dir_;
};
TYPED_TEST_SUITE(GetRequestTest, navtest::Generations, navtest::GenerationName);

TYPED_TEST(GetRequestTest, ByTimeWritesTheLatestVersionNotLaterThanTheTime) {
  struct Row {
    std::int64_t offset;
    const char* content;
  };
  const Row rows[] = {{10, "one"}, {15, "one"}, {20, "two"}, {29, "two"}, {30, "three"}, {1000, "three"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.offset);
    Capture capture;
    EXPECT_EQ(this->byTime(L"$/p/a.txt", at(row.offset)), S_OK);
    EXPECT_EQ(this->written(), row.content);
    EXPECT_EQ(capture.errors(), L"");
  }
}

TYPED_TEST(GetRequestTest, ByVersionTakesTheNumberedVersionOfTheItemFoundAtTheTime) {
  struct Row {
    std::int64_t offset;
    LONG version;
    const char* content;
  };
  // The version may be later than the time; the far future resolves today's tree.
  const Row rows[] = {{15, 3, "three"}, {35, 1, "one"}, {25, 2, "two"}, {-1, 2, "two"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.offset);
    Capture capture;
    const util::JavaTime time = row.offset < 0 ? util::FAR_FUTURE : at(row.offset);
    EXPECT_EQ(this->byVersion(L"$/p/a.txt", time, row.version), S_OK);
    EXPECT_EQ(this->written(), row.content);
  }
}

TYPED_TEST(GetRequestTest, ExistingOutputFileIsReplaced) {
  testsupport::writeFileBytes(this->dir_ / "out.bin", "an older and much longer content");
  Capture capture;
  EXPECT_EQ(this->byTime(L"$/p/a.txt", at(25)), S_OK);
  EXPECT_EQ(this->written(), "two");
}

// Version numbers the library does not have (0 is what "get <path> <file>"
// asks for) fail without a message of the request's own and without a log
// line; the command adds "Get operation failed".
TYPED_TEST(GetRequestTest, UnknownVersionNumberFailsQuietly) {
  for (LONG version : {4, -1}) {
    SCOPED_TRACE(version);
    Capture capture;
    EXPECT_TRUE(FAILED(this->byVersion(L"$/p/a.txt", util::FAR_FUTURE, version)));
    EXPECT_FALSE(this->exists());
    EXPECT_EQ(capture.errors(), L"");
    EXPECT_THAT(capture.lines(), Not(Contains(::testing::HasSubstr(L"AbstractGetRequest"))));
  }
}

TYPED_TEST(GetRequestTest, ProjectIsNotAFile) {
  Capture capture;
  EXPECT_EQ(this->byTime(L"$/p/sub", at(50)), E_FAIL);
  EXPECT_EQ(this->byVersion(L"$/p", util::FAR_FUTURE, 1), E_FAIL);
  EXPECT_FALSE(this->exists());
  EXPECT_EQ(capture.errors(), L"Path was not found in the SourceSafe.\r\nPath was not found in the SourceSafe.\r\n");
}

TYPED_TEST(GetRequestTest, PathMissingAtTheTimeIsNotFound) {
  struct Row {
    const wchar_t* path;
    std::int64_t offset;
  };
  // a.txt did not exist yet at +5; nope.txt never did.
  const Row rows[] = {{L"$/p/a.txt", 5}, {L"$/p/nope.txt", 50}, {L"$/q/a.txt", 50}};
  for (const Row& row : rows) {
    SCOPED_TRACE(platform::wideToUtf8(row.path));
    Capture capture;
    EXPECT_EQ(this->byTime(row.path, at(row.offset)), E_FAIL);
    EXPECT_FALSE(this->exists());
    EXPECT_EQ(capture.errors(), L"Path was not found in the SourceSafe.\r\n");
    // The description is whatever the failed lookup left on the thread.
    EXPECT_THAT(capture.lines(), Contains(::testing::StartsWith(L"AbstractGetRequest Error - Failed to get versioned "
                                                                L"item, Error: 0x80004005 (-2147467259)")));
  }
}

TYPED_TEST(GetRequestTest, RootThatCannotBeFetchedIsReportedAsSuch) {
  this->builder_.faults().fail(L"get_VSSItem", L"$/");
  Capture capture;
  EXPECT_EQ(this->byTime(L"$/p/a.txt", at(25)), E_FAIL);
  EXPECT_EQ(capture.errors(), L"Unable to find root item\r\n");
  EXPECT_THAT(capture.lines(), ::testing::ElementsAre(L"VersionCast Error - Error 0x80004005 (-2147467259)",
                                                      L"AbstractGetRequest Error - Failed to get versioned item, " +
                                                          kInjected));
}

TYPED_TEST(GetRequestTest, FailedDownloadIsLoggedWithTheItem) {
  this->builder_.faults().fail(L"Get", L"$/p/a.txt");
  Capture capture;
  EXPECT_EQ(this->byTime(L"$/p/a.txt", at(25)), E_FAIL);
  EXPECT_EQ(capture.errors(), L"");
  EXPECT_THAT(capture.lines(), ::testing::ElementsAre(L"AbstractGetRequest Error - $/p/a.txt[2]",
                                                      L"AbstractGetRequest Error - Failed to get item, " + kInjected));
}

TYPED_TEST(GetRequestTest, FailedVersionLookupFailsWithoutLogLine) {
  // The first lookup is the path's, as of the time; the second the version's.
  this->builder_.faults().fail(L"get_Version", L"$/p/a.txt").fromCall(2).forever();
  Capture capture;
  EXPECT_EQ(this->byVersion(L"$/p/a.txt", util::FAR_FUTURE, 2), E_FAIL);
  EXPECT_EQ(capture.errors(), L"");
  EXPECT_THAT(capture.lines(), Not(Contains(::testing::HasSubstr(L"AbstractGetRequest"))));
}

// Without the type nothing says that the path is missing: the request fails
// with the status and logs it, and only the command's own message follows.
TYPED_TEST(GetRequestTest, UnreadableTypeFailsWithItsStatus) {
  this->builder_.faults().fail(L"get_Type", L"$/p/a.txt", E_ACCESSDENIED).forever();
  Capture capture;
  EXPECT_EQ(this->byTime(L"$/p/a.txt", at(25)), E_ACCESSDENIED);
  EXPECT_FALSE(this->exists());
  EXPECT_EQ(capture.errors(), L"");
  EXPECT_THAT(capture.lines(), Contains(L"AbstractGetRequest Error - Failed to get_Type, Error: 0x80070005 "
                                        L"(-2147024891): Injected fault. Source:SourceSafe"));
}

TYPED_TEST(GetRequestTest, DebugLogShowsEveryProjectPassedOnTheWay) {
  Capture capture(logging::kDebug);
  EXPECT_EQ(this->byTime(L"$/p/a.txt", at(25)), S_OK);
  std::vector<std::wstring> found;
  const auto lines = capture.lines();
  for (std::size_t i = 1; i < lines.size(); ++i)
    if (lines[i] == L"AbstractGetRequest Debug - Found versioned item") found.push_back(lines[i - 1]);
  EXPECT_THAT(found, ::testing::ElementsAre(L"AbstractGetRequest Debug - $/[2]",
                                            L"AbstractGetRequest Debug - $/p[2]"));
}

}  // namespace

#include "navigation/version_iterator.h"

#include <gtest/gtest.h>

#include <functional>

#include "navigation_test_support.h"

namespace {

using navigation::GetVersionIterator;
using navigation::ItemPtr;
using navigation::LightVSSVersion;
using navigation::VSSVersionIterator;
using navtest::Capture;
using navtest::kInjected;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::int64_t kBase = 1000000000;  // 2001-09-09 01:46:40 UTC

util::JavaTime at(std::int64_t offsetSeconds) { return util::JavaTime::fromMillis((kBase + offsetSeconds) * 1000); }

// $/p/a.txt has versions 1 to 5 made at kBase+10, +20, +30, +40 and +50.
template <class A>
class VersionIteratorTest : public ::testing::Test {
 protected:
  VersionIteratorTest() {
    builder_.at(kBase).createProject(L"$/p");
    builder_.at(kBase + 10).withComment(L"first").addFile(L"$/p/a.txt", "1");
    for (int i = 2; i <= 5; ++i) builder_.at(kBase + 10 * i).by(L"Bob").checkIn(L"$/p/a.txt", std::to_string(i));
    database_ = navtest::openDatabase<A>(builder_);
    file_ = navtest::itemAt<A>(database_, L"$/p/a.txt");
  }

  std::vector<LONG> numbers(const VSSVersionIterator<A>& iterator) {
    std::vector<LONG> result;
    for (const LightVSSVersion<A>& record : iterator.records()) result.push_back(record.versionNumber);
    return result;
  }
  std::vector<LONG> fill(const util::JavaTime& time, int olderLimit = 1, HRESULT expected = S_OK) {
    VSSVersionIterator<A> iterator;
    EXPECT_EQ(GetVersionIterator<A>(file_, time, iterator, olderLimit), expected);
    return numbers(iterator);
  }

  ssapi::DatabaseBuilder builder_;
  ComPtr<typename A::Database> database_;
  ItemPtr<A> file_;
};
TYPED_TEST_SUITE(VersionIteratorTest, navtest::Generations, navtest::GenerationName);

TYPED_TEST(VersionIteratorTest, RecordsAreSnapshotsOfEachVersion) {
  Capture capture(logging::kDebug);
  VSSVersionIterator<TypeParam> iterator;
  EXPECT_FALSE(iterator.hasNext());
  ASSERT_EQ(GetVersionIterator<TypeParam>(this->file_, util::EPOCH, iterator, 1), S_OK);
  ASSERT_EQ(iterator.records().size(), 5u);

  std::vector<LONG> seen;
  while (iterator.hasNext()) {
    LightVSSVersion<TypeParam> record;
    ASSERT_EQ(iterator.next(&record), S_OK);
    seen.push_back(record.versionNumber);
    const std::int64_t expectedMillis = (kBase + 10 * record.versionNumber) * 1000;
    EXPECT_GE(record.time.millis(), expectedMillis - 1);
    EXPECT_LE(record.time.millis(), expectedMillis);
    EXPECT_EQ(navtest::specOf<TypeParam>(record.item), L"$/p/a.txt");
    EXPECT_EQ(navtest::versionOf<TypeParam>(record.item), record.versionNumber);
  }
  EXPECT_EQ(seen, (std::vector<LONG>{5, 4, 3, 2, 1}));
  const auto& records = iterator.records();
  EXPECT_EQ(records[4].comment, L"first");
  EXPECT_EQ(records[4].username, L"Admin");
  EXPECT_EQ(records[0].username, L"Bob");
  EXPECT_EQ(records[0].action.rfind(L"Checked in", 0), 0u) << platform::wideToUtf8(records[0].action);
  // The end of the enumeration is no failure: not even a Debug line.
  EXPECT_THAT(capture.lines(), IsEmpty());
}

TYPED_TEST(VersionIteratorTest, OlderLimitStopsAfterThatManyPlusOneOlderVersions) {
  struct Row {
    const char* name;
    util::JavaTime time;
    int olderLimit;
    std::vector<LONG> expected;
  };
  const Row rows[] = {
      {"before every version", util::EPOCH, 1, {5, 4, 3, 2, 1}},
      {"between 4 and 5", at(45), 1, {5, 4, 3}},
      {"between 2 and 3", at(25), 1, {5, 4, 3, 2, 1}},
      {"just after 3", at(31), 1, {5, 4, 3, 2}},
      {"just after 3, limit 0", at(31), 0, {5, 4, 3}},
      {"after every version", util::FAR_FUTURE, 1, {5, 4}},
      {"after every version, limit 0", util::FAR_FUTURE, 0, {5}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(this->fill(row.time, row.olderLimit), row.expected);
  }
}

TYPED_TEST(VersionIteratorTest, VersionExactlyAtTheTimeDoesNotCountAsOlder) {
  VSSVersionIterator<TypeParam> all;
  ASSERT_EQ(GetVersionIterator<TypeParam>(this->file_, util::EPOCH, all, 1), S_OK);
  const util::JavaTime third = all.records()[2].time;  // version 3, as the program reads its date
  EXPECT_EQ(this->fill(third, 1), (std::vector<LONG>{5, 4, 3, 2, 1}));
  EXPECT_EQ(this->fill(third, 0), (std::vector<LONG>{5, 4, 3, 2}));
}

TYPED_TEST(VersionIteratorTest, FillsAppendToWhatTheIteratorHolds) {
  VSSVersionIterator<TypeParam> iterator;
  ASSERT_EQ(GetVersionIterator<TypeParam>(this->file_, util::FAR_FUTURE, iterator, 1), S_OK);
  ASSERT_EQ(GetVersionIterator<TypeParam>(this->file_, util::FAR_FUTURE, iterator, 0), S_OK);
  EXPECT_EQ(this->numbers(iterator), (std::vector<LONG>{5, 4, 5}));
}

TYPED_TEST(VersionIteratorTest, ProjectHistoryLeavesFileCheckInsOut) {
  ItemPtr<TypeParam> project = navtest::itemAt<TypeParam>(this->database_, L"$/p");
  VSSVersionIterator<TypeParam> iterator;
  ASSERT_EQ(GetVersionIterator<TypeParam>(project, util::EPOCH, iterator, 1), S_OK);
  // The project's own versions: its creation and the addition of a.txt.
  ASSERT_EQ(iterator.records().size(), 2u);
  for (const LightVSSVersion<TypeParam>& record : iterator.records())
    EXPECT_EQ(navtest::specOf<TypeParam>(record.item), L"$/p");
  EXPECT_EQ(iterator.records()[0].versionNumber, 2);
}

TYPED_TEST(VersionIteratorTest, SpecsAreComparedWithoutRegardToCase) {
  ItemPtr<TypeParam> item = navtest::itemAt<TypeParam>(this->database_, L"$/P/A.TXT");
  VSSVersionIterator<TypeParam> iterator;
  ASSERT_EQ(GetVersionIterator<TypeParam>(item, util::EPOCH, iterator, 1), S_OK);
  EXPECT_EQ(this->numbers(iterator), (std::vector<LONG>{5, 4, 3, 2, 1}));
}

TYPED_TEST(VersionIteratorTest, CollectionFailuresFailTheFill) {
  struct Row {
    const char* name;
    std::function<void(ssapi::FaultInjector&)> fault;
    HRESULT expected;
    std::vector<std::wstring> lines;
  };
  const std::wstring item = L"VSSVersionIterator Error - $/p/a.txt[5]";
  const Row rows[] = {
      {"get_Versions fails",
       [](ssapi::FaultInjector& f) { f.fail(L"get_Versions", L"$/p/a.txt", E_ACCESSDENIED).withoutErrorInfo(); },
       E_ACCESSDENIED,
       {item, L"VSSVersionIterator Error - Failed to call get_Versions (VSSFLAG_RECURSNO | VSSFLAG_HISTIGNOREFILES?), "
              L"Error: 0x80070005 (-2147024891)"}},
      {"get_Versions hands out nothing",
       [](ssapi::FaultInjector& f) { f.handOutNothing(L"get_Versions", L"$/p/a.txt"); },
       E_FAIL,
       {item, L"VSSVersionIterator Error - Failed to call get_Versions, Error: 0x0 (0)"}},
      {"_NewEnum fails",
       [](ssapi::FaultInjector& f) { f.fail(L"_NewEnum", L"$/p/a.txt"); },
       E_FAIL,
       {item, L"VSSVersionIterator Error - Failed to enumerate versions _NewEnum failed, " + kInjected}},
      {"_NewEnum hands out nothing",
       [](ssapi::FaultInjector& f) { f.handOutNothing(L"_NewEnum", L"$/p/a.txt"); },
       E_FAIL,
       {item, L"VSSVersionIterator Error - Failed to cast IUnknown to IEnumVARIANT"}},
      {"no IEnumVARIANT",
       [](ssapi::FaultInjector& f) { f.fail(L"QueryInterface(IEnumVARIANT)", L"$/p/a.txt", E_NOINTERFACE); },
       E_FAIL,
       {item, L"VSSVersionIterator Error - Failed to cast IUnknown to IEnumVARIANT"}},
      {"spec unreadable",
       [](ssapi::FaultInjector& f) { f.fail(L"get_Spec", L"$/p/a.txt").withoutErrorInfo().times(2); },
       E_FAIL,
       {L"VSSVersionIterator Error - Failed to get_Spec, Error: 0x80004005 (-2147467259)"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Capture capture;
    this->builder_.faults().clear();
    row.fault(this->builder_.faults());
    VSSVersionIterator<TypeParam> iterator;
    EXPECT_EQ(GetVersionIterator<TypeParam>(this->file_, util::EPOCH, iterator, 1), row.expected);
    EXPECT_FALSE(iterator.hasNext());
    EXPECT_FALSE(iterator.isOpened());
    EXPECT_EQ(capture.lines(), row.lines);
  }
}

TYPED_TEST(VersionIteratorTest, UnreadableOwnNumberIsOnlyAWarning) {
  Capture capture(logging::kDebug);
  // The first read is the item's own number; the item lines read it again.
  this->builder_.faults().fail(L"get_VersionNumber", L"$/p/a.txt").onVersion(5).withoutErrorInfo();
  EXPECT_EQ(this->fill(util::EPOCH), (std::vector<LONG>{5, 4, 3, 2, 1}));
  EXPECT_THAT(capture.lines(),
              ElementsAre(L"VSSVersionIterator Warn - $/p/a.txt[5]",
                          L"VSSVersionIterator Warn - Failed to get_VersionNumber(), Error: 0x80004005 (-2147467259)"));
}

TYPED_TEST(VersionIteratorTest, FailingNextEndsTheListButNotTheFill) {
  for (int threshold : {logging::kError, logging::kDebug}) {
    SCOPED_TRACE(threshold);
    Capture capture(threshold);
    this->builder_.faults().clear();
    this->builder_.faults().fail(L"Next", L"$/p/a.txt").fromCall(3);
    VSSVersionIterator<TypeParam> iterator;
    EXPECT_EQ(GetVersionIterator<TypeParam>(this->file_, util::EPOCH, iterator, 1), S_OK);
    EXPECT_TRUE(iterator.isOpened());
    EXPECT_EQ(this->numbers(iterator), (std::vector<LONG>{5, 4}));
    if (threshold == logging::kDebug)
      EXPECT_THAT(capture.lines(), ElementsAre(L"VSSVersionIterator Debug - $/p/a.txt[5]",
                                               L"VSSVersionIterator Debug - Enumeration failed, " + kInjected));
    else
      EXPECT_THAT(capture.lines(), IsEmpty());
  }
}

TYPED_TEST(VersionIteratorTest, VersionWithoutItemIsFoundByNumber) {
  Capture capture;
  this->builder_.faults().fail(L"get_VSSItem", L"$/p/a.txt").forever();
  VSSVersionIterator<TypeParam> iterator;
  ASSERT_EQ(GetVersionIterator<TypeParam>(this->file_, util::EPOCH, iterator, 1), S_OK);
  ASSERT_EQ(this->numbers(iterator), (std::vector<LONG>{5, 4, 3, 2, 1}));
  for (const LightVSSVersion<TypeParam>& record : iterator.records())
    EXPECT_EQ(navtest::versionOf<TypeParam>(record.item), record.versionNumber);
  // The item's own version is the item itself.
  EXPECT_EQ(iterator.records()[0].item.get(), this->file_.get());
  EXPECT_EQ(capture.lines(), std::vector<std::wstring>(5, L"VSSVersionIterator Error - Failed to get_VSSItem from VSSVersion"));
}

TYPED_TEST(VersionIteratorTest, VersionWhoseItemCannotBeFoundIsSkipped) {
  for (int threshold : {logging::kError, logging::kDebug}) {
    SCOPED_TRACE(threshold);
    Capture capture(threshold);
    this->builder_.faults().clear();
    this->builder_.faults().fail(L"get_VSSItem", L"$/p/a.txt").onVersion(3).withoutErrorInfo();
    this->builder_.faults().fail(L"get_Version", L"$/p/a.txt").withoutErrorInfo();
    EXPECT_EQ(this->fill(util::EPOCH), (std::vector<LONG>{5, 4, 2, 1}));
    std::vector<std::wstring> expected = {L"VSSVersionIterator Error - Failed to get_VSSItem from VSSVersion"};
    if (threshold == logging::kDebug) {
      expected.push_back(L"VSSVersionIterator Error - $/p/a.txt[5]");
      expected.push_back(L"VSSVersionIterator Error - Failed to get_Version to 3, Error: 0x80004005 (-2147467259)");
    }
    EXPECT_EQ(capture.lines(), expected);
  }
}

TYPED_TEST(VersionIteratorTest, UnreadableVersionIsSkipped) {
  Capture capture;
  this->builder_.faults().fail(L"get_Date", L"$/p/a.txt").onVersion(3);
  EXPECT_EQ(this->fill(util::EPOCH), (std::vector<LONG>{5, 4, 2, 1}));
  EXPECT_THAT(capture.lines(), ElementsAre(L"VSSVersionIterator Error - $/p/a.txt[3]",
                                           L"VSSVersionIterator Error - Failed to create LightVSSVersion, " + kInjected));
}

// Versions made before a rename name the file as it was named then; they
// are the file's all the same.
TYPED_TEST(VersionIteratorTest, VersionsFromBeforeARenameAreKept) {
  this->builder_.rename(L"$/p/a.txt", L"b.txt");
  auto database = navtest::openDatabase<TypeParam>(this->builder_);
  navigation::VSSVersionIterator<TypeParam> versions;
  Capture capture;
  ASSERT_EQ(navigation::GetVersionIterator<TypeParam>(navtest::itemAt<TypeParam>(database, L"$/p/b.txt"), util::EPOCH,
                                                      versions, 1),
            S_OK);
  EXPECT_EQ(versions.records().size(), 5u);
  EXPECT_EQ(navtest::specOf<TypeParam>(versions.records().back().item), L"$/p/a.txt");
  EXPECT_THAT(capture.lines(), IsEmpty());
}

TYPED_TEST(VersionIteratorTest, VersionReportedUnderNoPathIsSkipped) {
  Capture capture;
  // The item of version 2 reports an empty spec.
  this->builder_.faults().handOutNothing(L"get_Spec", L"$/p/a.txt").onVersion(2);
  EXPECT_EQ(this->fill(util::EPOCH), (std::vector<LONG>{5, 4, 3, 1}));
  ASSERT_EQ(capture.lines().size(), 3u);
  EXPECT_EQ(capture.lines()[0], L"VSSVersionIterator Error - $/p/a.txt[5]");
  EXPECT_EQ(capture.lines()[1], L"VSSVersionIterator Error - Item has different versioned item path:  skipped.");
  EXPECT_EQ(capture.lines()[2].rfind(L"VSSVersionIterator Error - Action: Checked in", 0), 0u);
}

}  // namespace

// The change-log loader's walk: opening the project, the window, failures of
// the change log and of single versions, and the check-in and share handlers.
#include "history/history2.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "history_test_support.h"

namespace {

using histtest::Capture;
using histtest::kInjected;
using histtest::narrow;
using histtest::RecordingLoader;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::int64_t kT0 = 1000000000;  // 2001-09-09 01:46:40 UTC

// History lines only: the navigation layer's own lines are tested there.
std::vector<std::wstring> historyLines(const std::vector<std::wstring>& lines) {
  std::vector<std::wstring> kept;
  for (const std::wstring& line : lines)
    if (line.rfind(L"History2 ", 0) == 0) kept.push_back(line);
  return kept;
}

// $/p made at T0; a.txt added at T0+10 and checked in at T0+20, +30, +40.
template <class A>
class LoaderTest : public ::testing::Test {
 protected:
  LoaderTest() {
    builder_.at(kT0).createProject(L"$/p");
    builder_.at(kT0 + 10).addFile(L"$/p/a.txt", "1");
    for (int i = 2; i <= 4; ++i) builder_.at(kT0 + 10 * i).checkIn(L"$/p/a.txt", std::to_string(i));
    database_ = histtest::openDatabase<A>(builder_);
  }

  // The loader's own reading of the time of a.txt's version n.
  util::JavaTime timeOfVersion(LONG n) {
    auto file = histtest::itemAt<A>(database_, L"$/p/a.txt");
    auto version = histtest::versionEntry<A>(file, n);
    DATE date = 0;
    EXPECT_EQ(version->get_Date(&date), S_OK);
    return util::JavaTime::fromLocalDate(date);
  }

  ssapi::DatabaseBuilder builder_;
  ComPtr<typename A::Database> database_;
};
TYPED_TEST_SUITE(LoaderTest, histtest::Generations, histtest::GenerationName);

TYPED_TEST(LoaderTest, AMissingProjectWrites101AndFailsBeforeStarting) {
  Capture capture;
  RecordingLoader<TypeParam> loader;
  EXPECT_EQ(loader.run(this->database_.get(), L"$/nope"), ssapi::ESS_VS_NOT_FOUND | E_FAIL);
  EXPECT_THAT(loader.calls, IsEmpty());
  EXPECT_EQ(capture.errorFile(), L"Unable to find root item\r\n");
}

TYPED_TEST(LoaderTest, TheWindowIsClosedAtBothEnds) {
  Capture capture(logging::kInfo);
  RecordingLoader<TypeParam> loader(this->timeOfVersion(2), this->timeOfVersion(3));
  loader.interceptHandlers = true;
  loader.withTimes = true;
  ASSERT_EQ(loader.run(this->database_.get(), L"$/p"), S_OK);
  // The project as it stood at the upper bound lists no later version.
  // Version 1 is the first one before the window and ends the walk.
  EXPECT_THAT(loader.calls, ElementsAre(L"start $/p[2]", L"onCheckedIn $/p/a.txt[3]", L"onCheckedIn $/p/a.txt[2]",
                                        L"finish $/p[2]"));
  EXPECT_THAT(capture.lines(), ElementsAre(L"History2 Info - All other changes are in the past. Changes loaded from VSS",
                                           L"History2 Info - Total changes loaded: 2"));
}

TYPED_TEST(LoaderTest, AWindowWithoutVersionsVisitsNothing) {
  Capture capture(logging::kInfo);
  RecordingLoader<TypeParam> loader(util::JavaTime::fromMillis((kT0 + 100) * 1000), util::FAR_FUTURE);
  ASSERT_EQ(loader.run(this->database_.get(), L"$/p"), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"start $/p[2]", L"finish $/p[2]"));
  EXPECT_THAT(capture.lines(), ElementsAre(L"History2 Info - All other changes are in the past. Changes loaded from VSS",
                                           L"History2 Info - Total changes loaded: 0"));
}

// A change log that cannot be read fails the run, after the document was
// closed.
TYPED_TEST(LoaderTest, AnUnreadableChangeLogFailsTheRunAfterFinishing) {
  struct Row {
    const char* name;
    const wchar_t* operation;
    HRESULT injected;
    bool nothing;
    HRESULT status;
    std::wstring firstLine;
  } rows[] = {
      {"get_Versions", L"get_Versions", E_FAIL, false, E_FAIL,
       L"History2 Error - FAILED get_Versions(VSSFLAG_RECURSYES, &versions), " + kInjected},
      {"_NewEnum", L"_NewEnum", E_ACCESSDENIED, false, E_ACCESSDENIED,
       L"History2 Error - Failed to _NewEnum, Error: 0x80070005 (-2147024891): Injected fault. Source:SourceSafe"},
      {"_NewEnum hands out nothing", L"_NewEnum", S_OK, true, E_FAIL,
       L"History2 Error - Failed to _NewEnum, Error: 0x80004005 (-2147467259)"},
      {"no IEnumVARIANT", L"QueryInterface(IEnumVARIANT)", E_NOINTERFACE, false, E_NOINTERFACE,
       L"History2 Error - Failed to _NewEnum, Error: 0x80004002 (-2147467262): Injected fault. Source:SourceSafe"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    this->builder_.faults().clear();
    if (row.nothing) {
      this->builder_.faults().handOutNothing(row.operation, L"$/p");
    } else {
      this->builder_.faults().fail(row.operation, L"$/p", row.injected);
    }
    Capture capture;
    RecordingLoader<TypeParam> loader;
    EXPECT_EQ(loader.run(this->database_.get(), L"$/p"), row.status);
    EXPECT_THAT(loader.calls, ElementsAre(L"start $/p[2]", L"finish $/p[2]"));
    EXPECT_THAT(historyLines(capture.lines()),
                ElementsAre(row.firstLine, L"History2 Error - do Iterate failed, " +
                                               fmt::format(L"Error: 0x{:x} ({})",
                                                           static_cast<std::uint32_t>(row.status), row.status)));
    EXPECT_EQ(capture.errorFile(), L"");
  }
}

TYPED_TEST(LoaderTest, UnreadableVersionsAreLoggedAndSkipped) {
  this->builder_.faults().fail(L"get_Action", L"$/p/a.txt").onVersion(2).forever();
  this->builder_.faults().fail(L"get_VSSItem", L"$/p/a.txt").onVersion(3).forever();
  Capture capture(logging::kInfo);
  RecordingLoader<TypeParam> loader;
  loader.interceptHandlers = true;
  ASSERT_EQ(loader.run(this->database_.get(), L"$/p"), S_OK);
  // The project's "Added a.txt" leaves the report to the file's own first version.
  EXPECT_THAT(loader.calls, ElementsAre(L"start $/p[2]", L"onCheckedIn $/p/a.txt[4]", L"added $/p/a.txt[1]",
                                        L"added $/p[1]", L"finish $/p[2]"));
  EXPECT_THAT(historyLines(capture.lines()),
              ElementsAre(L"History2 Info - Total changes loaded: 6",
                          L"History2 Error - Failed to get VSSItem from VSSVersion. Action:Checked in $/p, "
                          L"Time:9/9/2001 1:47:10 AM. Unable to build patch., " +
                              kInjected,
                          L"History2 Info - Error has been swollowed due to the option",
                          L"History2 Error - Failed to get Action form VSSVersion. Unable to build patch, " + kInjected,
                          L"History2 Info - Error has been swollowed due to the option"));
}

TYPED_TEST(LoaderTest, AFailingEntryIsLoggedAndTheWalkGoesOn) {
  Capture capture;
  RecordingLoader<TypeParam> loader;
  loader.interceptHandlers = true;
  loader.visitStatus = E_FAIL;
  ASSERT_EQ(loader.run(this->database_.get(), L"$/p"), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"start $/p[2]", L"onCheckedIn $/p/a.txt[4]", L"onCheckedIn $/p/a.txt[3]",
                                        L"onCheckedIn $/p/a.txt[2]", L"added $/p/a.txt[1]", L"added $/p[1]",
                                        L"finish $/p[2]"));
  // A place of a new file that fails is logged and the others are visited;
  // a failing project entry fails that entry.
  EXPECT_THAT(capture.lines(),
              ElementsAre(L"History2 Error - $/p/a.txt[1]",
                          L"History2 Error - Failed to visitHistoryNodeAdded on shared build, Error: 0x80004005 (-2147467259)",
                          L"History2 Error - $/p[1]",
                          L"History2 Error - Failed to call getItemFromParentAndActionAndCall, Error: 0x80004005 (-2147467259)"));
}

TYPED_TEST(LoaderTest, EveryEntryIsTracedAtDebug) {
  Capture capture(logging::kDebug);
  RecordingLoader<TypeParam> loader(util::EPOCH, this->timeOfVersion(3));
  loader.interceptHandlers = true;
  ASSERT_EQ(loader.run(this->database_.get(), L"$/p"), S_OK);
  const std::vector<std::wstring> lines = capture.lines();
  EXPECT_THAT(lines, Contains(L"History2 Debug - <==== [D] $/p/a.txt[3] : Checked in $/p : 09.09.2001 1:47:10 :: " +
                              this->timeOfVersion(3).toMillisText()));
  EXPECT_THAT(lines, Contains(L"History2 Debug - <==== [D] $/p/a.txt[1] : Created a.txt : 09.09.2001 1:46:50 :: " +
                              this->timeOfVersion(1).toMillisText()));
  EXPECT_THAT(lines, Contains(L"History2 Debug - Done get_Versions(VSSFLAG_RECURSYES, &versions)"));
}

TYPED_TEST(LoaderTest, TheTraceLineShowsWhatItCannotRead) {
  this->builder_.faults().fail(L"get_Action", L"$/p/a.txt").onVersion(4);
  this->builder_.faults().fail(L"get_Spec", L"$/p/a.txt").onVersion(4).times(1);
  Capture capture(logging::kDebug);
  RecordingLoader<TypeParam> loader;
  loader.interceptHandlers = true;
  loader.duringStart = [&] {
    auto file = histtest::itemAt<TypeParam>(this->database_, L"$/p/a.txt");
    loader.traceEntry(histtest::newestVersion<TypeParam>(file), false);
  };
  ASSERT_EQ(loader.run(this->database_.get(), L"$/p"), S_OK);
  EXPECT_THAT(capture.lines(), Contains(L"History2 Debug - <==== [D] ERROR[4] : ERROR : 09.09.2001 1:47:20 :: " +
                                        this->timeOfVersion(4).toMillisText()));
}

// A check-in is reported once for every place of the file inside the project
// that shows the new version; the file's versions are listed once, however
// many places it has.
TYPED_TEST(LoaderTest, ACheckInReportsEveryCopyInsideTheProjectOnce) {
  ssapi::DatabaseBuilder builder;
  builder.at(kT0).createProject(L"$/p");
  builder.createProject(L"$/p/s");
  builder.createProject(L"$/p/pinned");
  builder.createProject(L"$/q");
  builder.addFile(L"$/q/a.txt", "1");
  builder.share(L"$/q/a.txt", L"$/p");
  builder.share(L"$/q/a.txt", L"$/p/s");
  builder.share(L"$/q/a.txt", L"$/p/pinned");
  builder.pin(L"$/p/pinned/a.txt", 1);
  builder.at(kT0 + 100).checkIn(L"$/q/a.txt", "2");
  auto database = histtest::openDatabase<TypeParam>(builder);

  Capture capture;
  RecordingLoader<TypeParam> loader(util::JavaTime::fromMillis((kT0 + 50) * 1000), util::FAR_FUTURE);
  ASSERT_EQ(loader.run(database.get(), L"$/p"), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"start $/p[4]", L"changed $/p/a.txt[2]", L"changed $/p/s/a.txt[2]",
                                        L"finish $/p[4]"));
  EXPECT_THAT(capture.lines(), IsEmpty());
}

// A share into $/p/in visits the copy $/p/in received, none of the file's
// other places, not even one in $/p/in2 whose spec starts the same way.
TYPED_TEST(LoaderTest, AShareVisitsTheCopyTheProjectReceived) {
  ssapi::DatabaseBuilder builder;
  builder.at(kT0).createProject(L"$/lib");
  builder.addFile(L"$/lib/x.txt", "1");
  builder.createProject(L"$/p");
  builder.createProject(L"$/p/in");
  builder.createProject(L"$/p/in2");
  builder.at(kT0 + 200).share(L"$/lib/x.txt", L"$/p/in2");
  builder.at(kT0 + 300).share(L"$/lib/x.txt", L"$/p/in");
  auto database = histtest::openDatabase<TypeParam>(builder);

  Capture capture;
  RecordingLoader<TypeParam> loader(util::JavaTime::fromMillis((kT0 + 250) * 1000), util::FAR_FUTURE);
  ASSERT_EQ(loader.run(database.get(), L"$/p"), S_OK);
  EXPECT_THAT(loader.calls, ElementsAre(L"start $/p[3]", L"share $/p/in/x.txt[1]", L"added $/p/in/x.txt[1]",
                                        L"finish $/p[3]"));
  EXPECT_THAT(capture.lines(), IsEmpty());
}

TYPED_TEST(LoaderTest, AShareOfAnItemThatCannotBeFoundThenFailsThatEntry) {
  Capture capture;
  RecordingLoader<TypeParam> loader;
  auto project = histtest::itemAt<TypeParam>(this->database_, L"$/p");
  HRESULT status = S_OK;
  loader.duringStart = [&] {
    status = loader.decode(histtest::newestVersion<TypeParam>(project), project, L"Shared $/p/gone.txt", false);
  };
  ASSERT_EQ(loader.run(this->database_.get(), L"$/p"), S_OK);
  EXPECT_EQ(status, E_FAIL);
  EXPECT_THAT(capture.lines(), Contains(L"History2 Error - Failed to process Shared to $/p/gone.txt"));
  EXPECT_EQ(capture.errorFile(), L"");
}

}  // namespace

#include "app/diagnostic_modes.h"

#include <gtest/gtest.h>

#include "channels_fixture.h"
#include "platform/com_registry.h"
#include "platform/time_zone.h"
#include "sourcesafe/automation_library_path.h"
#include "support/scoped_time_zone.h"
#include "support/utf16_compare.h"

namespace app {
namespace {

// Keeps whatever the registry held for the library and puts it back.
class RegistryValueKeeper {
 public:
  RegistryValueKeeper() : saved_(platform::readRegistryValue(sourcesafe::kAutomationLibraryKey)) {}
  ~RegistryValueKeeper() {
    if (saved_) {
      platform::setRegistryValue(sourcesafe::kAutomationLibraryKey, *saved_);
    } else {
      platform::removeRegistryValue(sourcesafe::kAutomationLibraryKey);
    }
  }

 private:
  std::optional<std::wstring> saved_;
};

using DiagnosticModesTest = ChannelsTest;

TEST_F(DiagnosticModesTest, SsPathWritesThePathWithoutLineBreak) {
  RegistryValueKeeper keeper;
  platform::setRegistryValue(sourcesafe::kAutomationLibraryKey, L"/opt/vss/ssapi.dll");
  EXPECT_EQ(runSsPath(channels_), 0);
  EXPECT_TRUE(testsupport::wideTextEquals(xmlBody(), L"/opt/vss/ssapi.dll"));
  EXPECT_EQ(errorText(), L"");
}

TEST_F(DiagnosticModesTest, SsPathWithoutRegisteredLibrary) {
  RegistryValueKeeper keeper;
  platform::removeRegistryValue(sourcesafe::kAutomationLibraryKey);
  EXPECT_EQ(runSsPath(channels_), 1);
  EXPECT_EQ(xmlBody(), L"");
  EXPECT_TRUE(testsupport::wideTextEquals(errorText(), L"Failed to get path to ssapi.dll\r\n"));
}

TEST_F(DiagnosticModesTest, SsDate) {
  QUILLGATE_IN_TIME_ZONE(zone, "UTC");
  runSsDate(L"0", channels_);
  runSsDate(L"", channels_);
  runSsDate(L"1796587503000", channels_);
  EXPECT_TRUE(testsupport::wideTextEquals(xmlBody(), L"1/1/1970;12:00:00a1/1/1970;12:00:00a12/6/2026;8:05:03p"));
}

TEST_F(DiagnosticModesTest, SsDateAfterTheSpringChange) {
  QUILLGATE_IN_TIME_ZONE(zone, "Europe/Berlin");
  runSsDate(L"1711846800000", channels_);
  EXPECT_TRUE(testsupport::wideTextEquals(xmlBody(), L"3/31/2024;3:00:00a"));
}

TEST_F(DiagnosticModesTest, DebugTimeInUtc) {
  QUILLGATE_IN_TIME_ZONE(zone, "UTC");
  const platform::SystemTime now{2026, 12, 0, 6, 9, 5, 3, 0};
  runDebugTime(L"1000", now, channels_);
  EXPECT_TRUE(testsupport::wideTextEquals(xmlBody(),
                                          L"Current Time is: 06.12.2026 9:05:03\r\n"
                                          L"DATE = 46362.378507\r\n"
                                          L"JavaTime = 1796547902999 \r\n"
                                          L"GetTimeZoneInformation = 0,\r\nBias = 0,\r\nDayBias = 0,\r\n"
                                          L"StandardBias = 0\r\n"
                                          L"SystemTime = 06.12.2026 9:05:03\r\n"
                                          L"->LocalTime = 06.12.2026 9:05:03, CODE=TRUE\r\n"
                                          L"->SystemTime = 06.12.2026 9:05:03, CODE=TRUE\r\n"
                                          L"\r\n\r\nJava time from console:\r\n"
                                          L"JavaTime = 1000 \r\n"
                                          L"GetTimeZoneInformation = 0,\r\nBias = 0,\r\nDayBias = 0,\r\n"
                                          L"StandardBias = 0\r\n"
                                          L"SystemTime = 01.01.1970 0:00:01\r\n"
                                          L"->LocalTime = 01.01.1970 0:00:01, CODE=TRUE\r\n"
                                          L"->SystemTime = 01.01.1970 0:00:01, CODE=TRUE\r\n"));
}

TEST_F(DiagnosticModesTest, DumpInBerlinOnTheDayOfTheAutumnChange) {
  QUILLGATE_IN_TIME_ZONE(zone, "Europe/Berlin");
  platform::TimeZoneInformation info;
  const DWORD kind = platform::getTimeZoneInformation(&info);
  ASSERT_TRUE(kind == 1 || kind == 2);
  // 00:30 UTC: 02:30 daylight time locally; 02:30 local read back is the
  // daylight one, 00:30 UTC.
  EXPECT_TRUE(testsupport::wideTextEquals(
      dumpJavaTime(util::JavaTime::fromMillis(1729989000000)),
      L"JavaTime = 1729989000000 \r\n"
      L"GetTimeZoneInformation = " + std::to_wstring(kind) +
          L",\r\nBias = -60,\r\nDayBias = -60,\r\nStandardBias = 0\r\n"
      L"SystemTime = 27.10.2024 0:30:00\r\n"
      L"->LocalTime = 27.10.2024 2:30:00, CODE=TRUE\r\n"
      L"->SystemTime = 26.10.2024 22:30:00, CODE=TRUE\r\n"));
}

TEST_F(DiagnosticModesTest, DumpOfADateWithoutFields) {
  QUILLGATE_IN_TIME_ZONE(zone, "UTC");
  EXPECT_TRUE(testsupport::wideTextEquals(
      dumpJavaTime(util::FAR_FUTURE),
      L"JavaTime = 4611686018427387904 \r\n"
      L"GetTimeZoneInformation = 0,\r\nBias = 0,\r\nDayBias = 0,\r\nStandardBias = 0\r\n"
      L"SystemTime = 00.00.0 0:00:00\r\n"
      L"->LocalTime = 00.00.0 0:00:00, CODE=FALSE\r\n"
      L"->SystemTime = 00.00.0 0:00:00, CODE=FALSE\r\n"));
}

}  // namespace
}  // namespace app

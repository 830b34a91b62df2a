#include "platform/time_zone.h"

#include <gtest/gtest.h>

#include "support/scoped_time_zone.h"

namespace platform {
namespace {

SystemTime at(int year, int month, int day, int hour, int minute = 0, int second = 0, int ms = 0) {
  SystemTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  t.milliseconds = ms;
  return t;
}

std::string text(const SystemTime& t) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour,
                t.minute, t.second, t.milliseconds);
  return buffer;
}

struct Row {
  const char* name;
  SystemTime from;
  SystemTime to;
};

void expectUtcToLocal(const Row& row) {
  SCOPED_TRACE(row.name);
  SystemTime actual;
  ASSERT_TRUE(utcToLocal(row.from, &actual));
  EXPECT_EQ(text(actual), text(row.to));
}

void expectLocalToUtc(const Row& row) {
  SCOPED_TRACE(row.name);
  SystemTime actual;
  ASSERT_TRUE(localToUtc(row.from, &actual));
  EXPECT_EQ(text(actual), text(row.to));
}

TEST(TimeZoneTest, UtcZoneChangesNothing) {
  QUILLGATE_IN_TIME_ZONE(zone, "UTC");
  const Row rows[] = {
      {"epoch", at(1970, 1, 1, 0), at(1970, 1, 1, 0)},
      {"summer", at(2024, 7, 15, 12, 30, 1, 250), at(2024, 7, 15, 12, 30, 1, 250)},
      {"first year", at(100, 1, 1, 0), at(100, 1, 1, 0)},
  };
  for (const auto& row : rows) {
    expectUtcToLocal(row);
    expectLocalToUtc(row);
  }
  TimeZoneInformation info;
  EXPECT_EQ(getTimeZoneInformation(&info), TIME_ZONE_ID_UNKNOWN);
  EXPECT_EQ(info.bias, 0);
  EXPECT_EQ(info.daylightBias, 0);
  EXPECT_EQ(info.standardBias, 0);
}

TEST(TimeZoneTest, BerlinUtcToLocalFollowsTheRulesOfTheDate) {
  QUILLGATE_IN_TIME_ZONE(zone, "Europe/Berlin");
  const Row rows[] = {
      {"winter", at(2024, 1, 15, 11), at(2024, 1, 15, 12)},
      {"summer", at(2024, 7, 15, 10), at(2024, 7, 15, 12)},
      {"last second before spring change", at(2024, 3, 31, 0, 59, 59), at(2024, 3, 31, 1, 59, 59)},
      {"spring change", at(2024, 3, 31, 1), at(2024, 3, 31, 3)},
      {"last second before autumn change", at(2024, 10, 27, 0, 59, 59), at(2024, 10, 27, 2, 59, 59)},
      {"autumn change", at(2024, 10, 27, 1), at(2024, 10, 27, 2)},
      {"milliseconds carried", at(2024, 10, 27, 1, 0, 0, 999), at(2024, 10, 27, 2, 0, 0, 999)},
      // Germany kept no daylight saving from 1950 to 1979.
      {"summer 1975", at(1975, 7, 1, 12), at(1975, 7, 1, 13)},
      {"across the year", at(2023, 12, 31, 23, 30), at(2024, 1, 1, 0, 30)},
  };
  for (const auto& row : rows) expectUtcToLocal(row);
}

TEST(TimeZoneTest, BerlinLocalToUtcFollowsTheRulesOfTheDate) {
  QUILLGATE_IN_TIME_ZONE(zone, "Europe/Berlin");
  const Row rows[] = {
      {"winter", at(2024, 1, 15, 12), at(2024, 1, 15, 11)},
      {"summer", at(2024, 7, 15, 12), at(2024, 7, 15, 10)},
      {"summer 1975", at(1975, 7, 1, 13), at(1975, 7, 1, 12)},
      {"before spring change", at(2024, 3, 31, 1, 59, 59), at(2024, 3, 31, 0, 59, 59)},
      // 02:00-02:59 does not exist that night: read as daylight time.
      {"skipped hour", at(2024, 3, 31, 2, 30), at(2024, 3, 31, 0, 30)},
      {"after spring change", at(2024, 3, 31, 3), at(2024, 3, 31, 1)},
      {"before autumn change", at(2024, 10, 27, 1, 59, 59), at(2024, 10, 26, 23, 59, 59)},
      // 02:00-02:59 happens twice that night: the first (daylight) one.
      {"repeated hour", at(2024, 10, 27, 2, 30), at(2024, 10, 27, 0, 30)},
      {"after autumn change", at(2024, 10, 27, 3), at(2024, 10, 27, 2)},
      {"across the year", at(2024, 1, 1, 0, 30), at(2023, 12, 31, 23, 30)},
  };
  for (const auto& row : rows) expectLocalToUtc(row);
}

TEST(TimeZoneTest, SouthernHemisphereDaylightSaving) {
  QUILLGATE_IN_TIME_ZONE(zone, "Australia/Sydney");
  expectUtcToLocal({"january is summer", at(2024, 1, 15, 1), at(2024, 1, 15, 12)});
  expectLocalToUtc({"july is winter", at(2024, 7, 15, 10), at(2024, 7, 15, 0)});
  TimeZoneInformation info;
  DWORD kind = getTimeZoneInformation(&info);
  EXPECT_TRUE(kind == TIME_ZONE_ID_STANDARD || kind == TIME_ZONE_ID_DAYLIGHT) << kind;
  EXPECT_EQ(info.bias, -600);
  EXPECT_EQ(info.daylightBias, -60);
  EXPECT_EQ(info.standardBias, 0);
}

TEST(TimeZoneTest, BerlinZoneInformationUsesWindowsSigns) {
  QUILLGATE_IN_TIME_ZONE(zone, "Europe/Berlin");
  TimeZoneInformation info;
  DWORD kind = getTimeZoneInformation(&info);
  EXPECT_TRUE(kind == TIME_ZONE_ID_STANDARD || kind == TIME_ZONE_ID_DAYLIGHT) << kind;
  EXPECT_EQ(info.bias, -60);
  EXPECT_EQ(info.daylightBias, -60);
  EXPECT_EQ(info.standardBias, 0);
}

TEST(TimeZoneTest, ZoneWithoutDaylightSaving) {
  QUILLGATE_IN_TIME_ZONE(zone, "Asia/Tokyo");
  TimeZoneInformation info;
  EXPECT_EQ(getTimeZoneInformation(&info), TIME_ZONE_ID_UNKNOWN);
  EXPECT_EQ(info.bias, -540);
  EXPECT_EQ(info.daylightBias, 0);
  expectLocalToUtc({"tokyo", at(2024, 7, 15, 9), at(2024, 7, 15, 0)});
}

TEST(TimeZoneTest, AChangedTzIsSeenAtOnce) {
  if (!testsupport::zoneFollowsTzWhileRunning()) GTEST_SKIP() << "a Windows process keeps the zone it started in";
  SystemTime local;
  {
    testsupport::ScopedTimeZone zone("Europe/Berlin");
    ASSERT_TRUE(utcToLocal(at(2024, 1, 15, 11), &local));
    EXPECT_EQ(local.hour, 12);
  }
  {
    testsupport::ScopedTimeZone zone("America/New_York");
    ASSERT_TRUE(utcToLocal(at(2024, 1, 15, 11), &local));
    EXPECT_EQ(local.hour, 6);
  }
}

TEST(TimeZoneTest, RefusesInvalidFields) {
  QUILLGATE_IN_TIME_ZONE(zone, "Europe/Berlin");
  SystemTime out;
  SystemTime zero;
  EXPECT_FALSE(utcToLocal(zero, &out));
  EXPECT_FALSE(localToUtc(zero, &out));
  EXPECT_FALSE(utcToLocal(at(2023, 2, 29, 0), &out));
  EXPECT_FALSE(localToUtc(at(2024, 1, 1, 25), &out));
  // Beyond the last year on the far side of the conversion.
  EXPECT_FALSE(utcToLocal(at(9999, 12, 31, 23, 30), &out));
}

}  // namespace
}  // namespace platform

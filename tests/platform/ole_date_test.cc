#include "platform/ole_date.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace platform {
namespace {

SystemTime fields(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  SystemTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  return t;
}

struct SplitRow {
  const char* name;
  DATE date;
  SystemTime expected;
  int dayOfWeek;
};

TEST(OleDateTest, SplitsDatesIntoFields) {
  const SplitRow rows[] = {
      {"day zero", 0.0, fields(1899, 12, 30), 6},
      {"unix epoch", 25569.0, fields(1970, 1, 1), 4},
      {"noon of day 2", 2.5, fields(1900, 1, 1, 12), 1},
      // Negative dates count the time of day forward from their midnight.
      {"negative with time", -1.25, fields(1899, 12, 29, 6), 5},
      {"negative half day", -0.5, fields(1899, 12, 30, 12), 6},
      {"no 29 February 1900", 61.0, fields(1900, 3, 1), 4},
      {"leap day", 45351.0, fields(2024, 2, 29), 4},
      {"first valid day", -657434.0, fields(100, 1, 1), 5},
      {"last valid day", 2958465.0, fields(9999, 12, 31), 5},
      {"last valid second", 2958465.99999, fields(9999, 12, 31, 23, 59, 59), 5},
      {"afternoon", 46362.0 + (21 * 3600 + 5 * 60 + 3) / 86400.0, fields(2026, 12, 6, 21, 5, 3), 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    SystemTime actual;
    ASSERT_TRUE(variantTimeToSystemTime(row.date, &actual));
    SystemTime expected = row.expected;
    expected.dayOfWeek = row.dayOfWeek;
    EXPECT_EQ(actual, expected);
  }
}

TEST(OleDateTest, RoundsToTheNearestSecond) {
  const DATE noon = 45351.5;
  const double second = 1.0 / 86400;
  struct Row {
    const char* name;
    DATE date;
    int expectedSecond;
  };
  const Row rows[] = {
      // A whole second held a little short by the binary fraction stays that second.
      {"12:00:01 minus 50 microseconds", noon + second - 0.00005 * second, 1},
      {"12:00:01 minus 0.4 s", noon + second - 0.4 * second, 1},
      {"12:00:00.6", noon + 0.6 * second, 1},
      {"12:00:00.4", noon + 0.4 * second, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    SystemTime actual;
    ASSERT_TRUE(variantTimeToSystemTime(row.date, &actual));
    EXPECT_EQ(actual, (SystemTime{2024, 2, 4, 29, 12, 0, row.expectedSecond, 0}));
  }
}

TEST(OleDateTest, RoundingUpPassesMidnightIntoTheNextDay) {
  SystemTime actual;
  ASSERT_TRUE(variantTimeToSystemTime(45351.0 - 0.1 / 86400, &actual));
  EXPECT_EQ(actual, (SystemTime{2024, 2, 4, 29, 0, 0, 0, 0}));
  // For a negative date the time runs forward too, so the next day is day 0.
  ASSERT_TRUE(variantTimeToSystemTime(-1.0 - (86400 - 0.1) / 86400, &actual));
  SystemTime dayZero = fields(1899, 12, 30);
  dayZero.dayOfWeek = 6;
  EXPECT_EQ(actual, dayZero);
}

TEST(OleDateTest, RefusesDatesWithoutCalendarFields) {
  const DATE rows[] = {-657435.0, -1e12, 2958466.0, 2958465.999999, 5.34e10, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity()};
  for (DATE date : rows) {
    SystemTime untouched = fields(2000, 1, 1);
    EXPECT_FALSE(variantTimeToSystemTime(date, &untouched)) << date;
    EXPECT_EQ(untouched, fields(2000, 1, 1)) << date;
  }
}

TEST(OleDateTest, JoinsFieldsIntoDates) {
  struct Row {
    const char* name;
    SystemTime time;
    DATE expected;
  };
  const Row rows[] = {
      {"day zero", fields(1899, 12, 30), 0.0},
      {"unix epoch", fields(1970, 1, 1), 25569.0},
      {"noon", fields(1900, 1, 1, 12), 2.5},
      {"before day zero", fields(1899, 12, 29, 6), -1.25},
      {"first valid day", fields(100, 1, 1), -657434.0},
      {"last valid second", fields(9999, 12, 31, 23, 59, 59), 2958465.0 + 86399.0 / 86400},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    DATE actual = -42;
    ASSERT_TRUE(systemTimeToVariantTime(row.time, &actual));
    EXPECT_DOUBLE_EQ(actual, row.expected);
  }
}

TEST(OleDateTest, JoiningIgnoresMillisecondsAndDayOfWeek) {
  SystemTime time = fields(1970, 1, 1, 0, 0, 1);
  time.milliseconds = 999;
  time.dayOfWeek = 2;
  DATE date = 0;
  ASSERT_TRUE(systemTimeToVariantTime(time, &date));
  EXPECT_DOUBLE_EQ(date, 25569.0 + 1.0 / 86400);
}

TEST(OleDateTest, RefusesInvalidFields) {
  struct Row {
    const char* name;
    SystemTime time;
  };
  const Row rows[] = {
      {"30 February", fields(2024, 2, 30)},
      {"29 February of a common year", fields(2023, 2, 29)},
      {"29 February 1900", fields(1900, 2, 29)},
      {"month 0", fields(2024, 0, 1)},
      {"month 13", fields(2024, 13, 1)},
      {"day 0", fields(2024, 1, 0)},
      {"hour 24", fields(2024, 1, 1, 24)},
      {"minute 60", fields(2024, 1, 1, 0, 60)},
      {"second 60", fields(2024, 1, 1, 0, 0, 60)},
      {"year 99", fields(99, 12, 31)},
      {"year 10000", fields(10000, 1, 1)},
  };
  for (const auto& row : rows) {
    DATE date = 0;
    EXPECT_FALSE(systemTimeToVariantTime(row.time, &date)) << row.name;
  }
}

TEST(OleDateTest, SplitAndJoinAreInverseOnWholeSeconds) {
  // (-0.25 and 0.25 name the same instant; joining gives the positive one.)
  for (DATE date : {-657434.0, -1000.75, -1.25, 0.0, 1.5, 25569.0, 45351.0 + 43201.0 / 86400, 2958465.0}) {
    SystemTime time;
    ASSERT_TRUE(variantTimeToSystemTime(date, &time)) << date;
    DATE back = 0;
    ASSERT_TRUE(systemTimeToVariantTime(time, &back)) << date;
    EXPECT_NEAR(back, date, 1e-9) << date;
  }
}

TEST(OleDateTest, CivilDaysMatchKnownDates) {
  EXPECT_EQ(daysFromCivil(1970, 1, 1), 0);
  EXPECT_EQ(daysFromCivil(1899, 12, 30), -25569);
  EXPECT_EQ(daysFromCivil(2000, 3, 1), 11017);
  EXPECT_EQ(daysFromCivil(100, 1, 1), -657434 - 25569);
  for (std::int64_t days : {-700000LL, -25569LL, -1LL, 0LL, 59LL, 11016LL, 2932896LL}) {
    SystemTime t;
    civilFromDays(days, &t);
    EXPECT_EQ(daysFromCivil(t.year, t.month, t.day), days);
  }
}

// Instants before 1970 count back from midnight of the day before.
TEST(OleDateTest, UtcFieldsOfInstants) {
  struct Row {
    std::int64_t seconds;
    SystemTime fields;
  };
  const Row rows[] = {
      {0, {1970, 1, 4, 1, 0, 0, 0, 0}},
      {-1, {1969, 12, 3, 31, 23, 59, 59, 0}},
      {951782400 + 3661, {2000, 2, 2, 29, 1, 1, 1, 0}},
      {-86400 * 25569LL, {1899, 12, 6, 30, 0, 0, 0, 0}},
  };
  for (const Row& row : rows) EXPECT_EQ(utcFieldsOf(row.seconds), row.fields) << row.seconds;
}

}  // namespace
}  // namespace platform

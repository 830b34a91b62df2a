#include "util/java_time.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include <gtest/gtest.h>

#include "platform/ole_date.h"
#include "support/scoped_time_zone.h"

namespace util {
namespace {

constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();

// 2026-12-06 09:05:03 UTC.
constexpr std::int64_t kMorning = 1796547903000;
// Instants of the 2024 daylight-saving changes in Berlin (01:00 UTC).
constexpr std::int64_t kSpringChange = 1711846800000;
constexpr std::int64_t kAutumnChange = 1729990800000;

DATE oleDate(int year, int month, int day, int hour, int minute, int second) {
  DATE date = 0;
  EXPECT_TRUE(platform::systemTimeToVariantTime(platform::SystemTime{year, month, 0, day, hour, minute, second, 0},
                                                &date));
  return date;
}

TEST(JavaTimeTest, ParseMillisReadsLikeTheRuntime) {
  struct Row {
    const wchar_t* text;
    std::int64_t expected;
  };
  const Row rows[] = {
      {L" -5x", -5},
      {L"abc", 0},
      {L"", 0},
      {L"99999999999999999999", kInt64Max},
      {L"-99999999999999999999", kInt64Min},
      {L"9223372036854775807", kInt64Max},
      {L"9223372036854775808", kInt64Max},
      {L"-9223372036854775808", kInt64Min},
      {L"-9223372036854775809", kInt64Min},
      {L"+42", 42},
      {L"\t\r\n\v\f 7", 7},
      {L"1 2", 1},
      {L"0x10", 0},
      {L"-", 0},
      {L"- 5", 0},
      {L"1796547903000", kMorning},
      {L"4611686018427387904", 0x4000000000000000LL},
  };
  for (const auto& row : rows) EXPECT_EQ(JavaTime::parseMillis(row.text), row.expected) << "text: " << row.text;
}

TEST(JavaTimeTest, FromMillisComputesTheDate) {
  EXPECT_EQ(EPOCH.millis(), 0);
  EXPECT_EQ(EPOCH.date(), 25569.0);
  EXPECT_EQ(JavaTime::fromMillis(86400000).date(), 25570.0);
  EXPECT_EQ(JavaTime::fromMillis(-43200000).date(), 25568.5);
  EXPECT_EQ(FAR_FUTURE.millis(), 4611686018427387904LL);
  EXPECT_NEAR(FAR_FUTURE.date(), 53376021152.65, 0.01);
  const std::int64_t ms = kMorning + 123;
  EXPECT_EQ(JavaTime::fromMillis(ms).date(), static_cast<double>(ms) * 1.0 / 1000 / 60 / 60 / 24 + 25569.0);
}

TEST(JavaTimeTest, FromUtcDateTruncatesTowardZero) {
  EXPECT_EQ(JavaTime::fromUtcDate(25569.0).millis(), 0);
  EXPECT_EQ(JavaTime::fromUtcDate(25570.5).millis(), 129600000);
  // 1.5 ms after and before the epoch.
  EXPECT_EQ(JavaTime::fromUtcDate(25569.0 + 1.5 / 86400000).millis(), 1);
  EXPECT_EQ(JavaTime::fromUtcDate(25569.0 - 1.5 / 86400000).millis(), -1);
  // The date is kept as given.
  EXPECT_EQ(JavaTime::fromUtcDate(12345.678).date(), 12345.678);
}

TEST(JavaTimeTest, FromUtcDateOfAWholeSecondMayComeOutOneMillisecondShort) {
  // Whatever the binary fraction does, truncation never lands above the second.
  int shortCount = 0;
  for (int second = 0; second < 57; ++second) {
    const std::int64_t target = kMorning + second * 1000;
    const std::int64_t actual = JavaTime::fromUtcDate(oleDate(2026, 12, 6, 9, 5, 3 + second)).millis();
    EXPECT_TRUE(actual == target || actual == target - 1) << second << ": " << actual;
    shortCount += actual == target - 1;
  }
  // Nothing corrects the shortfall.
  EXPECT_GT(shortCount, 0);
}

TEST(JavaTimeTest, FromUtcDateSaturatesBeyondTheRange) {
  EXPECT_EQ(JavaTime::fromUtcDate(1e300).millis(), kInt64Max);
  EXPECT_EQ(JavaTime::fromUtcDate(-1e300).millis(), kInt64Min);
  EXPECT_EQ(JavaTime::fromUtcDate(std::nan("")).millis(), 0);
  const JavaTime largest = JavaTime::fromMillis(kInt64Max);
  EXPECT_EQ(JavaTime::fromUtcDate(largest.date()).millis(), kInt64Max);
}

TEST(JavaTimeTest, ComparisonsLookAtMillisOnly) {
  const JavaTime before = JavaTime::fromMillis(-1);
  EXPECT_TRUE(before.isLess(EPOCH));
  EXPECT_TRUE(before.isLessOrEqual(EPOCH));
  EXPECT_FALSE(before.isGreater(EPOCH));
  EXPECT_TRUE(EPOCH.isGreater(before));
  EXPECT_TRUE(EPOCH.isLessOrEqual(EPOCH));
  EXPECT_FALSE(EPOCH.isLess(EPOCH));
  EXPECT_TRUE(EPOCH.isLess(FAR_FUTURE));
  EXPECT_TRUE(before.isNotEqual(EPOCH));

  // Two dates a hair apart that truncate to the same millisecond.
  const DATE date = 25569.0 + 1000.25 / 86400000;
  const JavaTime a = JavaTime::fromUtcDate(date);
  const JavaTime b = JavaTime::fromUtcDate(std::nextafter(date, 1e9));
  ASSERT_NE(a.date(), b.date());
  EXPECT_TRUE(a.isEqual(b));
  EXPECT_FALSE(a.isNotEqual(b));
  EXPECT_EQ(a, b);
}

TEST(JavaTimeTest, Texts) {
  QUILLGATE_IN_TIME_ZONE(zone, "UTC");
  EXPECT_EQ(EPOCH.toText(), L"01.01.1970");
  EXPECT_EQ(JavaTime::fromMillis(1000).toText(), L"01.01.1970 0:00:01");
  EXPECT_EQ(JavaTime::fromMillis(60000).toText(), L"01.01.1970 0:01:00");
  EXPECT_EQ(JavaTime::fromMillis(kMorning).toText(), L"06.12.2026 9:05:03");
  // Only millis 0 drops the time, not midnight in general.
  EXPECT_EQ(JavaTime::fromMillis(86400000).toText(), L"02.01.1970 0:00:00");
  EXPECT_EQ(FAR_FUTURE.toText(), L"Invalid DateTime");
  EXPECT_EQ(FAR_FUTURE.toMillisText(), L"4611686018427387904");
  EXPECT_EQ(JavaTime::fromMillis(-5).toMillisText(), L"-5");
  EXPECT_EQ(formatDate(25569.5, kDateTimeFormat), L"01.01.1970 12:00:00");
}

TEST(JavaTimeTest, TextsAreTheSameInEveryZoneButLocaleTextsAreNot) {
  QUILLGATE_IN_TIME_ZONE(zone, "Europe/Berlin");
  EXPECT_EQ(JavaTime::fromMillis(kMorning).toText(), L"06.12.2026 9:05:03");
  EXPECT_EQ(JavaTime::fromMillis(kMorning).toLocaleText(), L"12/6/2026 10:05:03 AM");
}

struct ZoneTextRow {
  const char* zone;
  std::int64_t millis;
  const wchar_t* localeText;
  const wchar_t* sourceSafeText;
};

TEST(JavaTimeTest, LocaleAndSourceSafeTexts) {
  const ZoneTextRow rows[] = {
      {"UTC", 0, L"1/1/1970", L"1/1/1970;12:00:00a"},
      {"UTC", kMorning, L"12/6/2026 9:05:03 AM", L"12/6/2026;9:05:03a"},
      {"UTC", kMorning + 12 * 3600000, L"12/6/2026 9:05:03 PM", L"12/6/2026;9:05:03p"},
      {"UTC", kMorning + 3 * 3600000 - 5 * 60000 - 3000, L"12/6/2026 12:00:00 PM", L"12/6/2026;12:00:00p"},
      {"Europe/Berlin", 0, L"1/1/1970 1:00:00 AM", L"1/1/1970;1:00:00a"},
      {"Europe/Berlin", kSpringChange - 1000, L"3/31/2024 1:59:59 AM", L"3/31/2024;1:59:59a"},
      {"Europe/Berlin", kSpringChange, L"3/31/2024 3:00:00 AM", L"3/31/2024;3:00:00a"},
      {"Europe/Berlin", kAutumnChange - 1000, L"10/27/2024 2:59:59 AM", L"10/27/2024;2:59:59a"},
      {"Europe/Berlin", kAutumnChange, L"10/27/2024 2:00:00 AM", L"10/27/2024;2:00:00a"},
      {"America/New_York", 0, L"12/31/1969 7:00:00 PM", L"12/31/1969;7:00:00p"},
  };
  int checked = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.zone) + " " + std::to_string(row.millis));
    testsupport::ScopedTimeZone zone(row.zone);
    if (!zone.inForce()) continue;  // another process checks this zone (Windows)
    const JavaTime time = JavaTime::fromMillis(row.millis);
    EXPECT_EQ(time.toLocaleText(), row.localeText);
    EXPECT_EQ(time.toSourceSafeText(), row.sourceSafeText);
    ++checked;
  }
  if (checked == 0) GTEST_SKIP() << "none of the zones is this Windows process's own";
}

TEST(JavaTimeTest, TextsOfDatesWithoutCalendarFields) {
  QUILLGATE_IN_TIME_ZONE(zone, "UTC");
  EXPECT_EQ(FAR_FUTURE.toLocaleText(), L"Invalid DateTime");
  EXPECT_EQ(FAR_FUTURE.toSourceSafeText(), L"Invalid DateTime");
  platform::SystemTime local;
  EXPECT_FALSE(FAR_FUTURE.toLocalDateTime(&local));
}

TEST(JavaTimeTest, ToLocalDateTime) {
  QUILLGATE_IN_TIME_ZONE(zone, "Europe/Berlin");
  platform::SystemTime local;
  ASSERT_TRUE(JavaTime::fromMillis(kSpringChange).toLocalDateTime(&local));
  EXPECT_EQ(local, (platform::SystemTime{2024, 3, 0, 31, 3, 0, 0, 0}));
  // Whole seconds: rounded, like every reduction of a date to seconds here.
  ASSERT_TRUE(JavaTime::fromMillis(kSpringChange + 600).toLocalDateTime(&local));
  EXPECT_EQ(local.second, 1);
}

struct LocalDateRow {
  const char* name;
  DATE local;
  std::int64_t expected;
};

void expectFromLocalDate(const LocalDateRow& row) {
  SCOPED_TRACE(row.name);
  const std::int64_t actual = JavaTime::fromLocalDate(row.local).millis();
  // Truncating the joined UTC date may take one millisecond off.
  EXPECT_TRUE(actual == row.expected || actual == row.expected - 1) << actual << " vs " << row.expected;
}

TEST(JavaTimeTest, FromLocalDateInUtc) {
  QUILLGATE_IN_TIME_ZONE(zone, "UTC");
  expectFromLocalDate({"epoch", 25569.0, 0});
  expectFromLocalDate({"morning", oleDate(2026, 12, 6, 9, 5, 3), kMorning});
}

TEST(JavaTimeTest, FromLocalDateInBerlinAroundTheChanges) {
  QUILLGATE_IN_TIME_ZONE(zone, "Europe/Berlin");
  const LocalDateRow rows[] = {
      {"winter", oleDate(2026, 12, 6, 10, 5, 3), kMorning},
      {"before spring change", oleDate(2024, 3, 31, 1, 59, 59), kSpringChange - 1000},
      {"spring change", oleDate(2024, 3, 31, 3, 0, 0), kSpringChange},
      {"skipped hour", oleDate(2024, 3, 31, 2, 30, 0), kSpringChange - 1800000},
      {"before autumn change", oleDate(2024, 10, 27, 1, 59, 59), kAutumnChange - 3600000 - 1000},
      {"repeated hour, read as daylight time", oleDate(2024, 10, 27, 2, 30, 0), kAutumnChange - 1800000},
      {"after autumn change", oleDate(2024, 10, 27, 3, 0, 0), kAutumnChange + 3600000},
  };
  for (const auto& row : rows) expectFromLocalDate(row);
}

TEST(JavaTimeTest, FromLocalDateRoundsToWholeSeconds) {
  QUILLGATE_IN_TIME_ZONE(zone, "UTC");
  // A stored 12:00:01 that the fraction holds a little short stays 12:00:01.
  const DATE stored = oleDate(2026, 12, 6, 12, 0, 1) - 1e-9;
  const std::int64_t noonAndOne = kMorning + (2 * 3600 + 54 * 60 + 58) * 1000LL;
  expectFromLocalDate({"just short of a second", stored, noonAndOne});
  expectFromLocalDate({"0.6 s after noon", oleDate(2026, 12, 6, 12, 0, 0) + 0.6 / 86400, noonAndOne});
}

TEST(JavaTimeTest, FromLocalDateTakesDatesWithoutFieldsAsUtc) {
  QUILLGATE_IN_TIME_ZONE(zone, "Europe/Berlin");
  EXPECT_EQ(JavaTime::fromLocalDate(FAR_FUTURE.date()).millis(), JavaTime::fromUtcDate(FAR_FUTURE.date()).millis());
}

}  // namespace
}  // namespace util

// get_Date: stored UTC seconds as the local time of the process's zone.
#include <gtest/gtest.h>

#include "objects/ole_date.h"
#include "support/scoped_time_zone.h"
#include "support/ssapi_test_util.h"

namespace {

using namespace ssapitest;
using ssapi::model::TimeBase;
using ssapi::objects::toOleDate;

constexpr std::int64_t kSummerNoon = 1593604800;  // 2020-07-01T12:00:00Z
constexpr std::int64_t kWinterNoon = 1577880000;  // 2020-01-01T12:00:00Z
constexpr double kSummerDay = 44013;              // 2020-07-01 as an OLE date
constexpr double kWinterDay = 43831;              // 2020-01-01

TEST(OleDateTest, UtcSecondsBecomeLocalTimeOfTheZone) {
  struct Row {
    const char* zone;
    std::int64_t seconds;
    double expected;
  };
  const Row rows[] = {
      {"UTC", kSummerNoon, kSummerDay + 0.5},
      {"America/New_York", kSummerNoon, kSummerDay + 8.0 / 24},  // daylight time, UTC-4
      {"America/New_York", kWinterNoon, kWinterDay + 7.0 / 24},  // standard time, UTC-5
      {"Asia/Kolkata", kWinterNoon, kWinterDay + 17.5 / 24},
      {"UTC", 0, 25569},
  };
  for (const Row& row : rows) {
    testsupport::ScopedTimeZone zone(row.zone);
    if (!zone.inForce()) continue;  // another process checks this zone (Windows)
    EXPECT_NEAR(toOleDate(TimeBase::kUtc, row.seconds), row.expected, 1e-9) << row.zone << " " << row.seconds;
    // Seconds that already are a writer's wall clock are not shifted.
    EXPECT_NEAR(toOleDate(TimeBase::kWriterLocal, row.seconds), static_cast<double>(row.seconds) / 86400 + 25569, 1e-9);
  }
}

TEST(OleDateTest, VersionDatesFollowTheZone) {
  ssapi::DatabaseBuilder b;
  b.at(kSummerNoon).createProject(L"$/p");
  auto db = b.open<ssapi::Vss2005>();
  QUILLGATE_IN_TIME_ZONE(zone, "America/New_York");
  auto rows = versions<ssapi::Vss2005>(item<ssapi::Vss2005>(db, L"$/p"));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_NEAR(rows[0].date, kSummerDay + 8.0 / 24, 1e-9);
}

}  // namespace

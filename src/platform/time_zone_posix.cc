#include "platform/time_zone.h"

#include <cstdlib>
#include <ctime>
#include <initializer_list>
#include <string>

#include "platform/ole_date.h"
#include "platform/text_encoding.h"

namespace platform {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

bool inYearRange(const SystemTime& t) { return t.year >= 1 && t.year <= 9999; }

std::int64_t toSeconds(const SystemTime& t) {
  return daysFromCivil(t.year, t.month, t.day) * kSecondsPerDay + t.hour * 3600 + t.minute * 60 + t.second;
}

SystemTime fromSeconds(std::int64_t seconds, int milliseconds) {
  SystemTime t = utcFieldsOf(seconds);
  t.milliseconds = milliseconds;
  return t;
}

SystemTime fieldsOf(const std::tm& fields) {
  SystemTime t;
  t.year = fields.tm_year + 1900;
  t.month = fields.tm_mon + 1;
  t.dayOfWeek = fields.tm_wday;
  t.day = fields.tm_mday;
  t.hour = fields.tm_hour;
  t.minute = fields.tm_min;
  t.second = fields.tm_sec;
  return t;
}

// Makes the C library take up TZ when it changed since this thread last
// looked. tzset itself is not cheap enough to run per conversion: with TZ
// unset it looks at the zone file again on every call, and a history
// converts a date for every entry.
void followZone() {
  thread_local bool looked = false;
  thread_local std::string seen;
  const char* tz = std::getenv("TZ");
  // "=" marks a set TZ, so that an empty TZ differs from none.
  std::string now = tz ? std::string("=") + tz : std::string();
  if (looked && now == seen) return;
  tzset();
  seen = std::move(now);
  looked = true;
}

// The zone's offset east of UTC, in seconds, at an instant. Callers run
// followZone first so that a changed TZ is seen (localtime_r need not look
// again).
bool offsetAt(std::int64_t instant, long* offset, bool* daylight = nullptr) {
  std::time_t t = static_cast<std::time_t>(instant);
  std::tm fields{};
  if (!localtime_r(&t, &fields)) return false;
  *offset = fields.tm_gmtoff;
  if (daylight) *daylight = fields.tm_isdst > 0;
  return true;
}

}  // namespace

bool utcToLocal(const SystemTime& utc, SystemTime* local) {
  if (!inYearRange(utc) || !hasValidFields(utc)) return false;
  followZone();
  const std::int64_t instant = toSeconds(utc);
  long offset = 0;
  if (!offsetAt(instant, &offset)) return false;
  SystemTime result = fromSeconds(instant + offset, utc.milliseconds);
  if (!inYearRange(result)) return false;
  *local = result;
  return true;
}

bool localToUtc(const SystemTime& local, SystemTime* utc) {
  if (!inYearRange(local) || !hasValidFields(local)) return false;
  followZone();
  const std::int64_t wall = toSeconds(local);
  // The offsets a day before and a day after cover both sides of any change
  // near this wall time. An offset fits when the instant it gives has that
  // offset itself; the larger offset is the earlier instant.
  bool found = false;
  bool fitting = false;
  long chosen = 0;
  for (std::int64_t probe : {wall - kSecondsPerDay, wall + kSecondsPerDay}) {
    long candidate = 0;
    if (!offsetAt(probe, &candidate)) continue;
    long actual = 0;
    bool fits = offsetAt(wall - candidate, &actual) && actual == candidate;
    if (!found || (fits && !fitting) || (fits == fitting && candidate > chosen)) {
      chosen = candidate;
      fitting = fits;
      found = true;
    }
  }
  if (!found) return false;
  SystemTime result = fromSeconds(wall - chosen, local.milliseconds);
  if (!inYearRange(result)) return false;
  *utc = result;
  return true;
}

DWORD getTimeZoneInformation(TimeZoneInformation* info) {
  followZone();
  const std::time_t now = std::time(nullptr);
  std::tm today{};
  localtime_r(&now, &today);
  // Look at the middle of January and of July of this year: one of them is
  // in daylight time wherever the zone keeps daylight saving.
  long standardOffset = today.tm_gmtoff;
  long daylightOffset = today.tm_gmtoff;
  bool hasStandard = false;
  bool hasDaylight = false;
  for (int month : {1, 7}) {
    const std::int64_t instant = daysFromCivil(today.tm_year + 1900, month, 15) * kSecondsPerDay;
    long offset = 0;
    bool daylight = false;
    if (!offsetAt(instant, &offset, &daylight)) continue;
    if (daylight && !hasDaylight) {
      daylightOffset = offset;
      hasDaylight = true;
    } else if (!daylight && !hasStandard) {
      standardOffset = offset;
      hasStandard = true;
    }
  }
  TimeZoneInformation result;
  result.standardName = utf8ToWide(tzname[0] ? tzname[0] : "");
  result.daylightName = utf8ToWide(tzname[1] ? tzname[1] : "");
  if (!hasDaylight) {
    result.bias = static_cast<LONG>(-today.tm_gmtoff / 60);
    *info = result;
    return TIME_ZONE_ID_UNKNOWN;
  }
  if (!hasStandard) standardOffset = daylightOffset;
  result.bias = static_cast<LONG>(-standardOffset / 60);
  result.standardBias = 0;
  result.daylightBias = static_cast<LONG>(-(daylightOffset - standardOffset) / 60);
  *info = result;
  return today.tm_isdst > 0 ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

SystemTime currentLocalTime() {
  followZone();  // localtime_r need not notice a TZ changed since the last look
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return fieldsOf(local);
}

bool localTimeOf(std::int64_t seconds, SystemTime* local) {
  followZone();
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm fields{};
  bool converted = localtime_r(&t, &fields) != nullptr;
  *local = fieldsOf(fields);
  return converted;
}

}  // namespace platform

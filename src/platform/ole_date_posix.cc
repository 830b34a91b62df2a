#include "platform/ole_date.h"

#include <cmath>

// The OLE date conversions computed here, where no OLE runtime exists.
namespace platform {
namespace {

// 30 December 1899, the OLE date 0, counted from 1 January 1970.
constexpr std::int64_t kOleDayZero = -25569;
constexpr std::int64_t kSecondsPerDay = 86400;

}  // namespace

bool variantTimeToSystemTime(DATE date, SystemTime* time) {
  if (!std::isfinite(date)) return false;
  const double wholeDays = std::trunc(date);
  if (wholeDays < kMinOleDate || wholeDays > kMaxOleDate) return false;
  std::int64_t day = static_cast<std::int64_t>(wholeDays);
  std::int64_t seconds = std::llround(std::fabs(date - wholeDays) * kSecondsPerDay);
  if (seconds >= kSecondsPerDay) {
    // Rounded up to the next midnight: the calendar day after, whatever the sign.
    seconds -= kSecondsPerDay;
    ++day;
    if (day > static_cast<std::int64_t>(kMaxOleDate)) return false;
  }
  SystemTime result;
  civilFromDays(day + kOleDayZero, &result);
  result.hour = static_cast<int>(seconds / 3600);
  result.minute = static_cast<int>(seconds / 60 % 60);
  result.second = static_cast<int>(seconds % 60);
  result.milliseconds = 0;
  *time = result;
  return true;
}

bool systemTimeToVariantTime(const SystemTime& time, DATE* date) {
  SystemTime checked = time;
  checked.milliseconds = 0;
  if (time.year < kMinOleYear || time.year > kMaxOleYear || !hasValidFields(checked)) return false;
  const std::int64_t day = daysFromCivil(time.year, time.month, time.day) - kOleDayZero;
  const double fraction = (time.hour * 3600.0 + time.minute * 60.0 + time.second) / kSecondsPerDay;
  *date = day < 0 ? static_cast<double>(day) - fraction : static_cast<double>(day) + fraction;
  return true;
}

}  // namespace platform

#include "platform/ole_date.h"

#include <cmath>

#include "platform/windows_system_time.h"
#include <oleauto.h>

namespace platform {

bool variantTimeToSystemTime(DATE date, SystemTime* time) {
  // The system's conversion takes any finite double; outside the years
  // 100-9999 it fails as ours does.
  if (!std::isfinite(date)) return false;
  SYSTEMTIME fields{};
  if (!VariantTimeToSystemTime(date, &fields)) return false;
  SystemTime result = fromWindows(fields);
  result.milliseconds = 0;
  *time = result;
  return true;
}

bool systemTimeToVariantTime(const SystemTime& time, DATE* date) {
  SystemTime checked = time;
  checked.milliseconds = 0;
  // The system's conversion rolls impossible fields over (13/1 becomes the
  // January after); callers rely on such fields failing.
  if (time.year < kMinOleYear || time.year > kMaxOleYear || !hasValidFields(checked)) return false;
  SYSTEMTIME fields = toWindows(checked);
  fields.wDayOfWeek = 0;
  double result = 0;
  if (!SystemTimeToVariantTime(&fields, &result)) return false;
  *date = result;
  return true;
}

}  // namespace platform

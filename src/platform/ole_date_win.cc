#include "platform/ole_date.h"

#include <cmath>

// <windows.h> comes last: it turns S_OK and friends into macros.
#include <windows.h>
#include <oleauto.h>

namespace platform {

bool variantTimeToSystemTime(DATE date, SystemTime* time) {
  // The system's conversion takes any finite double; outside the years
  // 100-9999 it fails as ours does.
  if (!std::isfinite(date)) return false;
  SYSTEMTIME fields{};
  if (!VariantTimeToSystemTime(date, &fields)) return false;
  SystemTime result;
  result.year = fields.wYear;
  result.month = fields.wMonth;
  result.dayOfWeek = fields.wDayOfWeek;
  result.day = fields.wDay;
  result.hour = fields.wHour;
  result.minute = fields.wMinute;
  result.second = fields.wSecond;
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
  SYSTEMTIME fields{};
  fields.wYear = static_cast<WORD>(time.year);
  fields.wMonth = static_cast<WORD>(time.month);
  fields.wDay = static_cast<WORD>(time.day);
  fields.wHour = static_cast<WORD>(time.hour);
  fields.wMinute = static_cast<WORD>(time.minute);
  fields.wSecond = static_cast<WORD>(time.second);
  double result = 0;
  if (!SystemTimeToVariantTime(&fields, &result)) return false;
  *date = result;
  return true;
}

}  // namespace platform

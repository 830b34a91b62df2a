#include "platform/time_zone.h"

#include "platform/ole_date.h"

// <windows.h> comes last: it turns S_OK and friends into macros.
#include <windows.h>

namespace platform {
namespace {

bool inYearRange(const SystemTime& t) { return t.year >= 1 && t.year <= 9999; }

SYSTEMTIME toWindows(const SystemTime& t) {
  SYSTEMTIME w{};
  w.wYear = static_cast<WORD>(t.year);
  w.wMonth = static_cast<WORD>(t.month);
  w.wDayOfWeek = static_cast<WORD>(t.dayOfWeek);
  w.wDay = static_cast<WORD>(t.day);
  w.wHour = static_cast<WORD>(t.hour);
  w.wMinute = static_cast<WORD>(t.minute);
  w.wSecond = static_cast<WORD>(t.second);
  w.wMilliseconds = static_cast<WORD>(t.milliseconds);
  return w;
}

SystemTime fromWindows(const SYSTEMTIME& w) {
  SystemTime t;
  t.year = w.wYear;
  t.month = w.wMonth;
  t.dayOfWeek = w.wDayOfWeek;
  t.day = w.wDay;
  t.hour = w.wHour;
  t.minute = w.wMinute;
  t.second = w.wSecond;
  t.milliseconds = w.wMilliseconds;
  return t;
}

using LocalToUtcFunction = BOOL(WINAPI*)(const TIME_ZONE_INFORMATION*, const SYSTEMTIME*, SYSTEMTIME*);

// Without TzSpecificLocalTimeToSystemTime (systems before Windows XP), the
// UTC-to-local conversion with every bias negated moves a local time by the
// zone's offset the other way, which is UTC.
BOOL WINAPI localToUtcByNegatedBiases(const TIME_ZONE_INFORMATION*, const SYSTEMTIME* local, SYSTEMTIME* utc) {
  TIME_ZONE_INFORMATION zone{};
  if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return FALSE;
  zone.Bias = -zone.Bias;
  zone.StandardBias = -zone.StandardBias;
  zone.DaylightBias = -zone.DaylightBias;
  return SystemTimeToTzSpecificLocalTime(&zone, local, utc);
}

// Looked up once by name, as the system may lack it.
LocalToUtcFunction localToUtcFunction() {
  static const LocalToUtcFunction function = [] {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    FARPROC found = kernel ? GetProcAddress(kernel, "TzSpecificLocalTimeToSystemTime") : nullptr;
    return found ? reinterpret_cast<LocalToUtcFunction>(reinterpret_cast<void*>(found)) : &localToUtcByNegatedBiases;
  }();
  return function;
}

}  // namespace

bool utcToLocal(const SystemTime& utc, SystemTime* local) {
  if (!inYearRange(utc) || !hasValidFields(utc)) return false;
  const SYSTEMTIME in = toWindows(utc);
  SYSTEMTIME out{};
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &in, &out)) return false;
  SystemTime result = fromWindows(out);
  if (!inYearRange(result)) return false;
  *local = result;
  return true;
}

bool localToUtc(const SystemTime& local, SystemTime* utc) {
  if (!inYearRange(local) || !hasValidFields(local)) return false;
  const SYSTEMTIME in = toWindows(local);
  SYSTEMTIME out{};
  if (!localToUtcFunction()(nullptr, &in, &out)) return false;
  SystemTime result = fromWindows(out);
  if (!inYearRange(result)) return false;
  *utc = result;
  return true;
}

DWORD getTimeZoneInformation(TimeZoneInformation* info) {
  TIME_ZONE_INFORMATION zone{};
  const DWORD kind = GetTimeZoneInformation(&zone);
  TimeZoneInformation result;
  result.bias = zone.Bias;
  result.standardName = zone.StandardName;
  result.standardBias = zone.StandardBias;
  result.daylightName = zone.DaylightName;
  result.daylightBias = zone.DaylightBias;
  *info = result;
  return kind;
}

bool localTimeOf(std::int64_t seconds, SystemTime* local) {
  if (utcToLocal(utcFieldsOf(seconds), local)) return true;
  *local = SystemTime{};
  local->year = 1900;
  local->month = 1;
  return false;
}

SystemTime currentLocalTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  SystemTime t = fromWindows(now);
  t.milliseconds = 0;
  return t;
}

}  // namespace platform

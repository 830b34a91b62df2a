#include "platform/time_zone.h"

#include "platform/ole_date.h"

#include "platform/windows_system_time.h"

namespace platform {
namespace {

bool inYearRange(const SystemTime& t) { return t.year >= 1 && t.year <= 9999; }

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

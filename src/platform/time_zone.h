// Local time and UTC for the current time zone, the stand-ins for
// SystemTimeToTzSpecificLocalTime, TzSpecificLocalTimeToSystemTime and
// GetTimeZoneInformation. On POSIX systems the zone and its daylight-saving
// rules come from the C library's time-zone database; TZ is honoured, also
// when a process changes it while running. On Windows they are the system's
// own services (the runtime's reading of TZ is never used: it takes zone
// names it does not know for UTC).
#pragma once

#include <cstdint>
#include <string>

#include "platform/hresult.h"
#include "platform/system_time.h"

namespace platform {

// UTC fields to local fields with the offset in effect at that instant.
// Fails for invalid fields or a year outside 1..9999 (on either side).
bool utcToLocal(const SystemTime& utc, SystemTime* local);

// Local fields to UTC with the rules valid at that date. A local time that
// occurs twice (clocks going back) is read as the earlier instant, and one
// that does not occur (clocks going forward) with the offset in force after
// the change: both as Windows does, which reads such times as daylight time.
bool localToUtc(const SystemTime& local, SystemTime* utc);

constexpr DWORD TIME_ZONE_ID_UNKNOWN = 0;   // the zone has no daylight saving
constexpr DWORD TIME_ZONE_ID_STANDARD = 1;  // standard time now
constexpr DWORD TIME_ZONE_ID_DAYLIGHT = 2;  // daylight time now

// Minutes with the Windows sign: bias = UTC - local standard time; the
// daylight bias is added to it in daylight time (usually -60).
struct TimeZoneInformation {
  LONG bias = 0;
  std::wstring standardName;
  LONG standardBias = 0;
  std::wstring daylightName;
  LONG daylightBias = 0;
};

// The current zone's offsets for this year, and which of them is in force now.
DWORD getTimeZoneInformation(TimeZoneInformation* info);

// The local calendar fields of an instant in seconds since 1970. When the
// instant cannot be converted, the fields are those of a zeroed C "struct
// tm" (year 1900, month 1, day 0) and the result is false.
bool localTimeOf(std::int64_t seconds, SystemTime* local);

}  // namespace platform

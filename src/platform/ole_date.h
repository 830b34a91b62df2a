// OLE automation dates to and from calendar fields, the stand-ins for
// VariantTimeToSystemTime and SystemTimeToVariantTime.
#pragma once

#include <cstdint>

#include "platform/system_time.h"
#include "platform/date_type.h"

namespace platform {

// The dates that can be turned into calendar fields: 1 January 100 to
// 31 December 9999.
constexpr DATE kMinOleDate = -657434.0;
constexpr DATE kMaxOleDate = 2958465.0;  // the day; its whole time of day is valid too
constexpr int kMinOleYear = 100;
constexpr int kMaxOleYear = 9999;

// Splits a date into calendar fields with whole seconds. A fraction of a
// second is rounded to the nearest second (half a second up), so a stored
// 12:00:01 that the binary fraction holds as 12:00:00.9999 stays 12:00:01.
// As in OLE dates, a negative date counts its time of day forward from the
// day's midnight (-1.25 is 29 December 1899, 06:00). Fails outside the range
// above, also when rounding would leave it. The milliseconds field is 0.
bool variantTimeToSystemTime(DATE date, SystemTime* time);

// Joins calendar fields into a date; the milliseconds field is ignored and
// the day of week is not looked at. Fails for fields that name no valid
// date and time or a year outside the range above.
bool systemTimeToVariantTime(const SystemTime& time, DATE* date);

// Days between 1 January 1970 and the given proleptic Gregorian date.
std::int64_t daysFromCivil(std::int64_t year, int month, int day);
// The inverse of daysFromCivil; fills year, month, day and day of week.
void civilFromDays(std::int64_t days, SystemTime* time);
// The calendar fields in UTC of an instant in seconds since 1970 (no
// milliseconds).
SystemTime utcFieldsOf(std::int64_t seconds);

// Calendar fields in range (month 1-12, day within the month, hour 0-23,
// minute and second 0-59, milliseconds 0-999); the year is not checked.
bool hasValidFields(const SystemTime& time);

}  // namespace platform

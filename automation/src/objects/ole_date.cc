#include "objects/ole_date.h"

#include <ctime>

namespace ssapi::objects {
namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// 1899-12-30, day 0 of OLE dates.
constexpr std::int64_t kOleEpochDays = -25569;

}  // namespace

DATE toOleDate(model::TimeBase base, std::int64_t seconds) {
  auto t = static_cast<std::time_t>(seconds);
  std::tm fields{};
  if (base == model::TimeBase::kUtc) {
    localtime_r(&t, &fields);
  } else {
    gmtime_r(&t, &fields);
  }
  std::int64_t days = daysFromCivil(fields.tm_year + 1900LL, static_cast<unsigned>(fields.tm_mon + 1),
                                    static_cast<unsigned>(fields.tm_mday)) - kOleEpochDays;
  double dayFraction = (fields.tm_hour * 3600.0 + fields.tm_min * 60.0 + fields.tm_sec) / 86400.0;
  // OLE dates before 1899-12-30 count the day backwards but its time forwards.
  if (days < 0) return static_cast<double>(days) - dayFraction;
  return static_cast<double>(days) + dayFraction;
}

}  // namespace ssapi::objects

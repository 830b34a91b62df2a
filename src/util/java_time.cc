#include "util/java_time.h"

#include <cmath>
#include <limits>

#include <fmt/xchar.h>

#include "platform/date_text.h"
#include "platform/ole_date.h"
#include "platform/time_zone.h"
#include "util/parse_number.h"

namespace util {
namespace {

// 2^63, the first double beyond the 64-bit range.
constexpr double kTwoTo63 = 9223372036854775808.0;

std::int64_t truncateToInt64(double value) {
  if (std::isnan(value)) return 0;
  if (value >= kTwoTo63) return std::numeric_limits<std::int64_t>::max();
  if (value < -kTwoTo63) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(value);
}

bool localOleDate(const JavaTime& time, DATE* date) {
  platform::SystemTime local;
  return time.toLocalDateTime(&local) && platform::systemTimeToVariantTime(local, date);
}

}  // namespace

JavaTime JavaTime::fromUtcDate(DATE date) {
  return JavaTime(truncateToInt64((date - kEpochDate) * 24 * 60 * 60 * 1000), date);
}

JavaTime JavaTime::fromLocalDate(DATE date) {
  platform::SystemTime local;
  platform::SystemTime utc;
  DATE utcDate = 0;
  if (!platform::variantTimeToSystemTime(date, &local) || !platform::localToUtc(local, &utc) ||
      !platform::systemTimeToVariantTime(utc, &utcDate)) {
    return fromUtcDate(date);
  }
  return fromUtcDate(utcDate);
}

std::int64_t JavaTime::parseMillis(const std::wstring& text) { return parseInt64(text); }

bool JavaTime::toLocalDateTime(platform::SystemTime* local) const {
  platform::SystemTime utc;
  return platform::variantTimeToSystemTime(date_, &utc) && platform::utcToLocal(utc, local);
}

namespace {

// Calendar fields of a UTC second; false far outside any calendar year.
bool utcSecondFields(std::int64_t second, platform::SystemTime* fields) {
  constexpr std::int64_t kLimit = 1000000000000;  // about 31,700 years either way
  if (second > kLimit || second < -kLimit) return false;
  std::int64_t days = second / 86400;
  std::int64_t rest = second % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  platform::civilFromDays(days, fields);
  fields->hour = static_cast<int>(rest / 3600);
  fields->minute = static_cast<int>(rest / 60 % 60);
  fields->second = static_cast<int>(rest % 60);
  fields->milliseconds = 0;
  return true;
}

}  // namespace

DATE JavaTime::asOfDate() const {
  std::int64_t second = millis_ / 1000 - (millis_ % 1000 < 0 ? 1 : 0);
  platform::SystemTime fields;
  DATE utcDate = 0;
  // The next second may be reported a millisecond early, at this very time.
  if (utcSecondFields(second + 1, &fields) &&
      platform::systemTimeToVariantTime(fields, &utcDate) && fromUtcDate(utcDate).millis_ <= millis_) {
    ++second;
  }
  platform::SystemTime local;
  DATE date = 0;
  if (utcSecondFields(second, &fields) && platform::utcToLocal(fields, &local) &&
      platform::systemTimeToVariantTime(local, &date)) {
    return date;
  }
  return millis_ > 0 ? platform::kMaxOleDate + 2 : platform::kMinOleDate - 2;
}

std::wstring JavaTime::toMillisText() const { return fmt::format(L"{}", millis_); }

std::wstring JavaTime::toText() const { return formatDate(date_, millis_ == 0 ? L"%d.%m.%Y" : kDateTimeFormat); }

std::wstring JavaTime::toLocaleText() const {
  DATE local = 0;
  if (!localOleDate(*this, &local)) return kInvalidDateTime;
  return platform::varBstrFromDate(local, 0).value_or(kInvalidDateTime);
}

std::wstring JavaTime::toSourceSafeText() const {
  DATE local = 0;
  if (!localOleDate(*this, &local)) return kInvalidDateTime;
  auto timeText = platform::varBstrFromDate(local, platform::VAR_TIMEVALUEONLY);
  auto dateText = platform::varBstrFromDate(local, platform::VAR_DATEVALUEONLY);
  if (!timeText || !dateText) return kInvalidDateTime;

  std::wstring kept;
  for (wchar_t c : *timeText) {
    if (c == L' ') break;
    if ((c >= L'0' && c <= L'9') || c == L':') kept += c;
  }
  std::wstring lower = *timeText;
  for (wchar_t& c : lower)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  if (lower.find(L"am") != std::wstring::npos) {
    kept += L'a';
  } else if (lower.find(L"pm") != std::wstring::npos) {
    kept += L'p';
  }
  return *dateText + L";" + kept;
}

std::wstring formatDate(DATE date, const wchar_t* format) {
  platform::SystemTime fields;
  if (!platform::variantTimeToSystemTime(date, &fields)) return kInvalidDateTime;
  return platform::formatSystemTime(fields, format);
}

}  // namespace util

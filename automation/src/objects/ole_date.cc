#include "objects/ole_date.h"

#include <cwctype>
#include <limits>

#include "platform/ole_date.h"
#include "platform/time_zone.h"

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
  platform::SystemTime fields;
  if (base == model::TimeBase::kUtc) {
    platform::localTimeOf(seconds, &fields);
  } else {
    std::int64_t day = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
      rest += 86400;
      --day;
    }
    platform::civilFromDays(day, &fields);
    fields.hour = static_cast<int>(rest / 3600);
    fields.minute = static_cast<int>(rest / 60 % 60);
    fields.second = static_cast<int>(rest % 60);
  }
  std::int64_t days = daysFromCivil(fields.year, static_cast<unsigned>(fields.month),
                                    static_cast<unsigned>(fields.day)) - kOleEpochDays;
  double dayFraction = (fields.hour * 3600.0 + fields.minute * 60.0 + fields.second) / 86400.0;
  // OLE dates before 1899-12-30 count the day backwards but its time forwards.
  if (days < 0) return static_cast<double>(days) - dayFraction;
  return static_cast<double>(days) + dayFraction;
}

std::int64_t storedSecondOf(model::TimeBase base, DATE date) {
  platform::SystemTime fields;
  if (!platform::variantTimeToSystemTime(date, &fields)) {
    return date > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
  }
  if (base == model::TimeBase::kUtc) {
    platform::SystemTime utc;
    if (platform::localToUtc(fields, &utc)) fields = utc;
  }
  return platform::daysFromCivil(fields.year, fields.month, fields.day) * 86400 + fields.hour * 3600LL +
         fields.minute * 60LL + fields.second;
}

namespace {

// Reads digits at the cursor; false when there are none.
bool readNumber(const std::wstring& text, std::size_t* at, int* value, std::size_t maxDigits = 4) {
  std::size_t start = *at;
  int result = 0;
  while (*at < text.size() && *at - start < maxDigits && std::iswdigit(text[*at])) {
    result = result * 10 + (text[*at] - L'0');
    ++*at;
  }
  *value = result;
  return *at > start;
}

bool readChar(const std::wstring& text, std::size_t* at, wchar_t c) {
  if (*at < text.size() && text[*at] == c) {
    ++*at;
    return true;
  }
  return false;
}

void skipBlanks(const std::wstring& text, std::size_t* at) {
  while (*at < text.size() && text[*at] == L' ') ++*at;
}

// "14:05", "2:05:09 PM", "2:05p": the time after a date; false when the rest
// is no time.
bool readTime(const std::wstring& text, std::size_t* at, platform::SystemTime* fields) {
  if (!readNumber(text, at, &fields->hour, 2) || !readChar(text, at, L':') ||
      !readNumber(text, at, &fields->minute, 2)) {
    return false;
  }
  if (readChar(text, at, L':') && !readNumber(text, at, &fields->second, 2)) return false;
  skipBlanks(text, at);
  if (*at < text.size()) {
    wchar_t half = static_cast<wchar_t>(std::towlower(text[*at]));
    if (half != L'a' && half != L'p') return false;
    ++*at;
    if (*at < text.size() && std::towlower(text[*at]) == L'm') ++*at;
    if (fields->hour < 1 || fields->hour > 12) return false;
    fields->hour = fields->hour % 12 + (half == L'p' ? 12 : 0);
  }
  return true;
}

}  // namespace

std::optional<DATE> parseDateText(const std::wstring& text) {
  platform::SystemTime fields;
  std::size_t at = 0;
  skipBlanks(text, &at);
  int first = 0;
  std::size_t firstStart = at;
  if (!readNumber(text, &at, &first)) return std::nullopt;
  if (at - firstStart == 4 && readChar(text, &at, L'-')) {
    fields.year = first;
    if (!readNumber(text, &at, &fields.month, 2) || !readChar(text, &at, L'-') ||
        !readNumber(text, &at, &fields.day, 2)) {
      return std::nullopt;
    }
    if (readChar(text, &at, L'T') || readChar(text, &at, L' ')) {
      if (!readTime(text, &at, &fields)) return std::nullopt;
    }
  } else {
    fields.month = first;
    std::size_t yearStart = 0;
    if (!readChar(text, &at, L'/') || !readNumber(text, &at, &fields.day, 2) || !readChar(text, &at, L'/')) {
      return std::nullopt;
    }
    yearStart = at;
    if (!readNumber(text, &at, &fields.year)) return std::nullopt;
    if (at - yearStart <= 2) fields.year += fields.year < 30 ? 2000 : 1900;
    if (readChar(text, &at, L';') || readChar(text, &at, L' ')) {
      skipBlanks(text, &at);
      if (at < text.size() && !readTime(text, &at, &fields)) return std::nullopt;
    }
  }
  skipBlanks(text, &at);
  DATE date = 0;
  if (at != text.size() || !platform::systemTimeToVariantTime(fields, &date)) return std::nullopt;
  return date;
}

}  // namespace ssapi::objects

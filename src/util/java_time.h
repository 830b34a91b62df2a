// Javatime, the program's time value: milliseconds since 1970-01-01 00:00
// UTC, carried together with the same instant as a UTC OLE date. Command
// lines give times as javatime; SourceSafe gives local OLE dates.
#pragma once

#include <compare>
#include <cstdint>
#include <string>

#include "platform/system_time.h"
#include "platform/variant.h"

namespace util {

class JavaTime {
 public:
  // The OLE date of 1970-01-01 00:00:00.
  static constexpr DATE kEpochDate = 25569.0;

  // Millis as given; the date computed as ms / 1000 / 60 / 60 / 24 + 25569,
  // in that order, so both forms match what the rest of the program expects
  // down to the last bit.
  static constexpr JavaTime fromMillis(std::int64_t ms) {
    return JavaTime(ms, static_cast<double>(ms) * 1.0 / 1000 / 60 / 60 / 24 + kEpochDate);
  }
  // The date as given; millis truncated toward zero (never rounded), so a
  // whole second held as a binary fraction may come out one millisecond
  // short. Beyond the 64-bit range millis stop at its ends.
  static JavaTime fromUtcDate(DATE date);
  // A local date (as SourceSafe reports them) converted to UTC: reduced to
  // whole seconds (rounded), then the local-to-UTC conversion with the
  // daylight-saving rules valid at that date. A date without calendar
  // fields, or one whose conversion fails, is taken as UTC unchanged.
  static JavaTime fromLocalDate(DATE date);
  // Command-line times: the runtime's wide string-to-64-bit conversion
  // (blank skipped, sign, digits; 0 without digits; saturating).
  static std::int64_t parseMillis(const std::wstring& text);

  std::int64_t millis() const { return millis_; }
  DATE date() const { return date_; }

  // The instant as local calendar fields (whole seconds); false when the date
  // has no calendar fields or the zone conversion fails.
  bool toLocalDateTime(platform::SystemTime* local) const;

  // The local date that asks SourceSafe for everything made at or before
  // this time: the last whole second whose changes the program reports at or
  // before it (a change's time is its local date read back through
  // fromLocalDate, which can come out one millisecond short of the second).
  // A time beyond the calendar gives a date beyond it, one before it a date
  // before it.
  DATE asOfDate() const;

  bool isLess(const JavaTime& other) const { return millis_ < other.millis_; }
  bool isLessOrEqual(const JavaTime& other) const { return millis_ <= other.millis_; }
  bool isGreater(const JavaTime& other) const { return millis_ > other.millis_; }
  bool isEqual(const JavaTime& other) const { return millis_ == other.millis_; }
  bool isNotEqual(const JavaTime& other) const { return millis_ != other.millis_; }
  // Millis only, like the named comparisons.
  friend bool operator==(const JavaTime& a, const JavaTime& b) { return a.millis_ == b.millis_; }
  friend std::strong_ordering operator<=>(const JavaTime& a, const JavaTime& b) { return a.millis_ <=> b.millis_; }

  // Millis in decimal, e.g. "1000".
  std::wstring toMillisText() const;
  // The UTC date as "01.01.1970" when millis is 0, otherwise
  // "01.01.1970 0:00:01"; "Invalid DateTime" for a date without calendar
  // fields.
  std::wstring toText() const;
  // The local date and time as English (United States) writes them,
  // "12/6/2026 9:05:03 AM" (time left out at midnight); "Invalid DateTime"
  // when that cannot be done.
  std::wstring toLocaleText() const;
  // SourceSafe's own style, the local "12/6/2026;9:05:03a"; "Invalid
  // DateTime" when that cannot be done.
  std::wstring toSourceSafeText() const;

 private:
  constexpr JavaTime(std::int64_t millis, DATE date) : millis_(millis), date_(date) {}

  std::int64_t millis_;
  DATE date_;
};

// The default lower bound <from>.
inline constexpr JavaTime EPOCH = JavaTime::fromMillis(0);
// The default upper bound <to> and default <time>, about 146 million years
// ahead; its date has no calendar fields.
inline constexpr JavaTime FAR_FUTURE = JavaTime::fromMillis(0x4000000000000000LL);

// "Invalid DateTime" for a date outside 1 January 100 to 31 December 9999,
// otherwise the UTC calendar fields of the date in the given format (see
// platform::formatSystemTime).
std::wstring formatDate(DATE date, const wchar_t* format);

inline constexpr const wchar_t* kInvalidDateTime = L"Invalid DateTime";
// The format of times in logs and dumps: 06.12.2026 9:05:03.
inline constexpr const wchar_t* kDateTimeFormat = L"%d.%m.%Y %#H:%M:%S";

}  // namespace util

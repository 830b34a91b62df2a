// Calendar fields of a date and time (the stand-in for SYSTEMTIME), and the
// text formats the program builds from them.
#pragma once

#include <string>

namespace platform {

struct SystemTime {
  int year = 0;
  int month = 0;      // 1-12
  int dayOfWeek = 0;  // 0 = Sunday
  int day = 0;        // 1-31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int milliseconds = 0;

  friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

// The runtime's time formatting for the conversions the program uses:
// %d and %m (two digits), %Y (four digits), %H, %#H (hour without leading
// zero), %M, %S, and %% ; any other character is copied.
std::wstring formatSystemTime(const SystemTime& time, const wchar_t* format);

// The current local time from the runtime clock, whole seconds.
SystemTime currentLocalTime();

}  // namespace platform

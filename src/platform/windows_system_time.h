// SYSTEMTIME and our calendar fields, one into the other. Windows only.
#pragma once

#include "platform/system_time.h"

// <windows.h> comes last: it turns S_OK and friends into macros.
#include <windows.h>

namespace platform {

inline SYSTEMTIME toWindows(const SystemTime& t) {
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

inline SystemTime fromWindows(const SYSTEMTIME& w) {
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

}  // namespace platform

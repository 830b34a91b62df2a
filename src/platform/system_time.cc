#include "platform/system_time.h"

#include <fmt/xchar.h>

namespace platform {

std::wstring formatSystemTime(const SystemTime& time, const wchar_t* format) {
  std::wstring out;
  for (const wchar_t* p = format; *p; ++p) {
    if (*p != L'%' || !p[1]) {
      out += *p;
      continue;
    }
    ++p;
    bool noPadding = false;
    if (*p == L'#' && p[1]) {
      noPadding = true;
      ++p;
    }
    auto two = [&](int value) { out += noPadding ? fmt::format(L"{}", value) : fmt::format(L"{:02}", value); };
    switch (*p) {
      case L'd': two(time.day); break;
      case L'm': two(time.month); break;
      case L'Y': out += fmt::format(L"{}", time.year); break;
      case L'H': two(time.hour); break;
      case L'M': two(time.minute); break;
      case L'S': two(time.second); break;
      case L'%': out += L'%'; break;
      default: out += *p; break;
    }
  }
  return out;
}

}  // namespace platform

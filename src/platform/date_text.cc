#include "platform/date_text.h"

#include <fmt/xchar.h>

#include "platform/ole_date.h"

namespace platform {
namespace {

std::wstring dateText(const SystemTime& t) { return fmt::format(L"{}/{}/{}", t.month, t.day, t.year); }

std::wstring timeText(const SystemTime& t) {
  const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  return fmt::format(L"{}:{:02}:{:02} {}", hour12, t.minute, t.second, t.hour < 12 ? L"AM" : L"PM");
}

}  // namespace

std::optional<std::wstring> varBstrFromDate(DATE date, DWORD flags) {
  SystemTime t;
  if (!variantTimeToSystemTime(date, &t)) return std::nullopt;
  if (flags & VAR_DATEVALUEONLY) return dateText(t);
  if (flags & VAR_TIMEVALUEONLY) return timeText(t);
  const bool dayZero = t.year == 1899 && t.month == 12 && t.day == 30;
  if (dayZero) return timeText(t);
  if (t.hour == 0 && t.minute == 0 && t.second == 0) return dateText(t);
  return dateText(t) + L" " + timeText(t);
}

}  // namespace platform

#include "util/parse_number.h"

#include <limits>

namespace util {
namespace {

bool isSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

// Saturates at the range of the given width; the sign is applied before the
// limit is checked, so the smallest value is reachable.
template <class Int>
Int parseDecimal(std::wstring_view text) {
  size_t i = 0;
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
    negative = text[i] == L'-';
    ++i;
  }
  // Accumulate as a negative number: its range includes the smallest value.
  constexpr Int kMin = std::numeric_limits<Int>::min();
  constexpr Int kMax = std::numeric_limits<Int>::max();
  Int value = 0;
  bool overflow = false;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    const Int digit = static_cast<Int>(text[i] - L'0');
    if (overflow) continue;
    if (value < (kMin + digit) / 10) {
      overflow = true;
      continue;
    }
    value = static_cast<Int>(value * 10 - digit);
  }
  if (overflow) return negative ? kMin : kMax;
  if (negative) return value;
  return value == kMin ? kMax : static_cast<Int>(-value);
}

}  // namespace

std::int64_t parseInt64(std::wstring_view text) { return parseDecimal<std::int64_t>(text); }

std::int32_t parseLong(std::wstring_view text) { return parseDecimal<std::int32_t>(text); }

}  // namespace util

// Decimal text to integers the way the runtime's wide string-to-integer
// conversions read it (wcstoll / wcstol in base 10): leading white space
// skipped, an optional sign, then digits up to the first other character.
// No digits gives 0, a value beyond the range gives the nearest end of it,
// trailing text is ignored; nothing is reported.
#pragma once

#include <cstdint>
#include <string_view>

namespace util {

std::int64_t parseInt64(std::wstring_view text);

// wcstol of Windows, where long has 32 bits.
std::int32_t parseLong(std::wstring_view text);

}  // namespace util

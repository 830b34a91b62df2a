#include "platform/letter_case.h"

#include <windows.h>

namespace platform {

wchar_t lowerCaseLetter(wchar_t c) {
  // Half of a surrogate pair is no letter.
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  CharLowerBuffW(&c, 1);
  return c;
}

}  // namespace platform

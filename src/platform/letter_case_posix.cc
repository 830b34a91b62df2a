#include "platform/letter_case.h"

#include <cwctype>

namespace platform {

wchar_t lowerCaseLetter(wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c))); }

}  // namespace platform

// Lower case of letters beyond ASCII, as the system knows them: the C
// library's towlower under the process's locale on POSIX systems,
// CharLowerBuffW on Windows (whose towlower knows ASCII alone).
#pragma once

namespace platform {

wchar_t lowerCaseLetter(wchar_t c);

}  // namespace platform

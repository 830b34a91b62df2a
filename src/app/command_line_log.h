// The command line as the Debug log shows it, with the password hidden.
#pragma once

#include <string>

namespace app {

inline constexpr const wchar_t* kPasswordMask = L"*****";

// Every argument, program name included, as "arg" followed by a blank. The
// password of a normal run (the third argument after the output files and
// the optional generation switch) becomes "/pwd:*****" when it has the
// "/pwd:" prefix and "*****" when it has none; any other argument that
// begins with "/pwd:" is masked the same way, in case the arguments are
// out of place.
std::wstring maskedCommandLine(int argc, const std::wstring* argv);

}  // namespace app

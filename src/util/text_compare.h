// The two ways the program compares names it is given: switches and
// SourceSafe specs exactly (plain ==), command names and diagnostic words
// without regard to case.
#pragma once

#include <string_view>

namespace util {

// The runtime's wide case-insensitive comparison (_wcsicmp) under the "C"
// locale: the letters A-Z equal a-z, every other character compares by code.
bool equalsIgnoreCase(std::wstring_view a, std::wstring_view b);

}  // namespace util

// Whether one SourceSafe spec equals another or lies inside it.
#pragma once

#include <string>

namespace util {

// Exact and case-sensitive, "/" only. Trailing "/" are ignored, but only
// after a path shorter than base has been refused, so "$/A/B/" is under
// "$/A/B" and "$/A/B" is not under "$/A/B/". "$/A/Bc" is not under "$/A/B".
bool isPathUnder(std::wstring path, std::wstring base);

}  // namespace util

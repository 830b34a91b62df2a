// Letter case of SourceSafe item names, for the lookups that ignore it.
#pragma once

#include <string>

namespace navigation {

// ASCII letters are lowered by table, so that "I" and "i" match whatever the
// locale; every other character goes through towlower under a UTF-8 locale
// (the process's, or "C.UTF-8" when the process still runs in the "C" locale).
std::wstring lowerCaseName(std::wstring name);

// Equal after lowerCaseName.
bool sameNameIgnoringCase(const std::wstring& a, const std::wstring& b);

}  // namespace navigation

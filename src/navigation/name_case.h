// Letter case of SourceSafe item names, for the lookups that ignore it.
#pragma once

#include <string>

namespace navigation {

// ASCII letters are lowered by table, so that "I" and "i" match whatever the
// locale; every other character goes through the system's lower-casing
// (towlower under a UTF-8 locale on POSIX systems, the process's or "C.UTF-8"
// when the process still runs in the "C" locale; CharLowerBuffW on Windows).
std::wstring lowerCaseName(std::wstring name);

// Equal after lowerCaseName.
bool sameNameIgnoringCase(const std::wstring& a, const std::wstring& b);

// Whether the spec is the project's own or lies inside it, letter case
// ignored as SourceSafe ignores it, and only at a "/" boundary ("$/app2" is
// not inside "$/app"). Trailing "/" do not count on either side.
bool isInsideProject(const std::wstring& spec, const std::wstring& project);

// What follows the project's spec in a spec inside it, without the "/" in
// between; empty for the project itself (and for a spec not inside it).
std::wstring pathInsideProject(const std::wstring& spec, const std::wstring& project);

// The spec of a child: "$/" + name for a child of the root, else spec + "/" + name.
std::wstring childSpec(const std::wstring& project, const std::wstring& name);

}  // namespace navigation

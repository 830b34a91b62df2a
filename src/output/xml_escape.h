// Making arbitrary text safe inside XML attribute values and CDATA sections.
#pragma once

#include <string>

namespace output {

// & " < > become entities. Characters XML 1.0 cannot carry become U+FFFD.
std::wstring escapeAttribute(const std::wstring& text);
// "]]>" becomes "] ] >". Characters XML 1.0 cannot carry become U+FFFD.
std::wstring escapeCData(const std::wstring& text);

}  // namespace output

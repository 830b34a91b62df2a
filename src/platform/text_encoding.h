// Conversions between the program's wide strings (one code point per
// wchar_t on Linux, UTF-16 on Windows), UTF-8 and UTF-16LE bytes.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Malformed bytes become U+FFFD.
std::wstring utf8ToWide(std::string_view bytes);
// Characters that are no Unicode scalar value become U+FFFD.
std::string wideToUtf8(std::wstring_view text);
// Code units little-endian, characters above U+FFFF as surrogate pairs, no
// byte-order mark.
void appendUtf16le(std::string& out, std::wstring_view text);
std::string wideToUtf16le(std::wstring_view text);
// Inverse of wideToUtf16le; unpaired surrogates are kept as they are.
std::wstring utf16leToWide(std::string_view bytes);

}  // namespace platform

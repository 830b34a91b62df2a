// Byte-exact checks of the UTF-16LE files a run writes, with a readable
// report when they differ.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace testsupport {

// Text with CR, LF, tab, backslash and everything outside printable ASCII
// escaped (\r, \n, \t, \\, \u{XXXX}), so that a failure shows what differs.
std::string printable(std::wstring_view text);

// Succeeds when the file's bytes are exactly the UTF-16LE encoding of
// expected (no byte-order mark, nothing more). On a mismatch the message
// names the first differing character, its line, and both versions of
// that line.
::testing::AssertionResult utf16FileEquals(const std::filesystem::path& path, std::wstring_view expected);

// The same comparison for texts already decoded.
::testing::AssertionResult wideTextEquals(std::wstring_view actual, std::wstring_view expected);

}  // namespace testsupport

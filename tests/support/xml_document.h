// Checks of the output documents a run writes.
#pragma once

#include <filesystem>

#include <gtest/gtest.h>

namespace testsupport {

// The file parses as XML (xmllint tells UTF-16LE from its first bytes).
::testing::AssertionResult parsesAsXml(const std::filesystem::path& path);

// The file holds the UTF-16LE XML declaration and nothing after it, as a
// run that failed before its document began leaves it.
bool holdsOnlyTheDeclaration(const std::filesystem::path& path);

}  // namespace testsupport

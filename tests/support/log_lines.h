// Reading a log file back in tests: the time stamps vary, the rest not.
#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

// The UTF-16LE log with every line's time stamp replaced by "[T]"; adds a
// test failure for a line whose stamp is not "[dd.mm.yyyy h:mm:ss] " (hour
// without leading zero).
std::wstring logWithoutStamps(const std::filesystem::path& path);

}  // namespace testsupport

// Local paths as the program builds them: names joined with the platform's
// separator ("/" on POSIX systems, "\" on Windows).
#pragma once

#include <algorithm>
#include <string>

#include "platform/file_system.h"

namespace testsupport {

// The text with every "/" turned into the platform's separator.
inline std::wstring localPath(std::wstring text) {
  std::replace(text.begin(), text.end(), L'/', platform::kPathSeparator);
  return text;
}
inline std::string localPath(std::string text) {
  std::replace(text.begin(), text.end(), '/', static_cast<char>(platform::kPathSeparator));
  return text;
}

}  // namespace testsupport

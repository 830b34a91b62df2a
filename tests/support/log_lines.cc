#include "support/log_lines.h"

#include <regex>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "support/utf16_compare.h"

namespace testsupport {

std::wstring logWithoutStamps(const std::filesystem::path& path) {
  const std::wstring log = testsupport::readUtf16File(path);
  static const std::wregex stamp(LR"(^\[\d\d\.\d\d\.\d{4} (\d|1\d|2[0-3]):[0-5]\d:[0-5]\d\] )");
  std::wstring out;
  size_t pos = 0;
  while (pos < log.size()) {
    size_t end = log.find(L"\r\n", pos);
    end = end == std::wstring::npos ? log.size() : end + 2;
    std::wstring line = log.substr(pos, end - pos);
    std::wsmatch match;
    if (std::regex_search(line, match, stamp)) {
      out += L"[T] " + line.substr(match.length(0));
    } else {
      ADD_FAILURE() << "log line without a proper time stamp: " << testsupport::printable(line);
      out += line;
    }
    pos = end;
  }
  return out;
}

}  // namespace testsupport

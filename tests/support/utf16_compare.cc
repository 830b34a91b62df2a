#include "support/utf16_compare.h"

#include <algorithm>
#include <cstdio>

#include "platform/text_encoding.h"
#include "support/temp_dir.h"

namespace testsupport {
namespace {

constexpr size_t kWholeTextLimit = 4000;

std::wstring_view lineAround(std::wstring_view text, size_t pos) {
  size_t begin = 0;
  if (pos > 0) {
    size_t newline = text.rfind(L'\n', pos - 1);
    if (newline != std::wstring_view::npos) begin = newline + 1;
  }
  size_t end = text.find(L'\n', pos);
  end = end == std::wstring_view::npos ? text.size() : end + 1;
  return text.substr(begin, end - begin);
}

}  // namespace

std::string printable(std::wstring_view text) {
  std::string out;
  for (wchar_t w : text) {
    switch (w) {
      case L'\r': out += "\\r"; break;
      case L'\n': out += "\\n"; break;
      case L'\t': out += "\\t"; break;
      case L'\\': out += "\\\\"; break;
      default:
        if (w >= 0x20 && w < 0x7F) {
          out += static_cast<char>(w);
        } else {
          char buffer[16];
          std::snprintf(buffer, sizeof buffer, "\\u{%04X}", static_cast<unsigned>(w));
          out += buffer;
        }
    }
  }
  return out;
}

::testing::AssertionResult wideTextEquals(std::wstring_view actual, std::wstring_view expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  auto mismatch = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  size_t pos = static_cast<size_t>(mismatch.first - actual.begin());
  size_t line = 1 + static_cast<size_t>(std::count(actual.begin(), actual.begin() + pos, L'\n'));
  auto failure = ::testing::AssertionFailure();
  failure << "texts differ at character " << pos << " (line " << line << "); actual length " << actual.size()
          << ", expected length " << expected.size() << "\n"
          << "  expected line: \"" << printable(lineAround(expected, std::min(pos, expected.size()))) << "\"\n"
          << "  actual line:   \"" << printable(lineAround(actual, std::min(pos, actual.size()))) << "\"";
  if (actual.size() + expected.size() <= kWholeTextLimit) {
    failure << "\n  expected: \"" << printable(expected) << "\"\n  actual:   \"" << printable(actual) << "\"";
  }
  return failure;
}

::testing::AssertionResult utf16FileEquals(const std::filesystem::path& path, std::wstring_view expected) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    return ::testing::AssertionFailure() << "file " << path << " does not exist";
  }
  std::string bytes = readFileBytes(path);
  if (bytes == platform::wideToUtf16le(expected)) return ::testing::AssertionSuccess();
  if (bytes.size() % 2 != 0) {
    return ::testing::AssertionFailure() << "file " << path << " has an odd number of bytes (" << bytes.size()
                                         << "), so it is no UTF-16 text";
  }
  auto result = wideTextEquals(platform::utf16leToWide(bytes), expected);
  if (result) {
    // Same characters, different bytes: surrogates encoded differently.
    return ::testing::AssertionFailure() << "file " << path << " decodes to the expected text but its bytes differ";
  }
  return ::testing::AssertionFailure() << "file " << path << ": " << result.message();
}

}  // namespace testsupport

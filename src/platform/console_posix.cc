#include "platform/console.h"

#include <cstdio>

#include "platform/text_encoding.h"

namespace platform {

void printConsole(std::wstring_view text) {
  const std::string bytes = wideToUtf8(text);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

void printConsoleError(std::wstring_view text) {
  const std::string bytes = wideToUtf8(text);
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  std::fflush(stderr);
}

}  // namespace platform

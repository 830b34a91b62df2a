#include "platform/console.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "platform/text_encoding.h"

#include <windows.h>

namespace platform {
namespace {

// In the runtime's text mode every "\n" would gain a "\r" before it, and
// the program's lines already end with "\r\n".
void useBinaryMode() {
  static const bool done = [] {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    return true;
  }();
  (void)done;
}

// A console window shows wide text as it is; redirected output (a pipe, a
// file) gets the same UTF-8 bytes as on other systems.
void print(std::FILE* stream, DWORD handleId, std::wstring_view text) {
  useBinaryMode();
  std::fflush(stream);
  HANDLE handle = GetStdHandle(handleId);
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode)) {
    DWORD written = 0;
    WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  const std::string bytes = wideToUtf8(text);
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}

}  // namespace

void printConsole(std::wstring_view text) { print(stdout, STD_OUTPUT_HANDLE, text); }

void printConsoleError(std::wstring_view text) { print(stderr, STD_ERROR_HANDLE, text); }

}  // namespace platform

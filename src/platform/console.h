// Console output: the program's wide texts reach standard output as UTF-8.
#pragma once

#include <string_view>

namespace platform {

// Writes the text at once (flushed), so that console lines keep their order
// with anything a crash or the caller's own output could put around them.
void printConsole(std::wstring_view text);
// The same on standard error, for what must be said even when the program's
// own files cannot take it.
void printConsoleError(std::wstring_view text);

}  // namespace platform

// The program entry: takes the command line, opens the output files, runs a
// diagnostic mode or a SourceSafe command, and returns the exit code.
#pragma once

#include <string>

namespace app {

// The process entry: installs our automation library, turns the UTF-8
// arguments into wide text and runs the entry sequence.
int main(int argc, char** argv);
// The same over arguments that arrive as wide text (Windows' wmain).
int wideMain(int argc, wchar_t** argv);

// The entry sequence over wide arguments (argv[0] is the program name). The
// exit code is returned unchanged (-1, 0x80004005, ...); the process status
// shows its low 8 bits.
int runEntry(int argc, const std::wstring* argv);

}  // namespace app

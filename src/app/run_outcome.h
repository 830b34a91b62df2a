// What decides a run's exit code besides the command: output that could not
// be written whole, and a run that ran out of memory or threw. The CI server
// builds from what a run reports as a success, so neither may pass for one.
#pragma once

#include <functional>

#include "output/output_channels.h"

namespace app {

// After the command: flushes the three files and, for each that could not
// be created or written whole, says so on standard error, in the log and
// in the error file (those of them that still work). A successful exit
// code becomes -1; a failing one stays.
int settleOutput(output::OutputChannels& channels, int code);

// Closes the three files; a close that fails is handled as settleOutput
// handles a failed write (on standard error only: the files are closed).
int closeOutput(output::OutputChannels& channels, int code);

// Runs `run` and turns whatever it throws into a failed run: the failure is
// written to the error file, the log ("Exited with code: -1" last) and
// standard error, and the exit code is -1. Destructors on the way out have
// closed the documents they opened.
int runGuarded(output::OutputChannels& channels, const std::function<int()>& run);

}  // namespace app

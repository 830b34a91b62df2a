// The program entry: takes the command line, opens the output files, runs a
// diagnostic mode or a SourceSafe command, and returns the exit code.
#pragma once

namespace app {

int main(int argc, char** argv);

}  // namespace app

// The usage text, printed by every stage whose arguments do not fit.
#pragma once

namespace util {

// Logs "Command line parameters error." at Info through "ssEx", prints the
// usage text on standard output and returns -1, for callers to return.
int printUsage();

}  // namespace util

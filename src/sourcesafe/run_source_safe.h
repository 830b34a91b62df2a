// A normal run's SourceSafe part: chooses the automation generation, opens
// the database and carries out the command.
#pragma once

#include "util/arg_list.h"

namespace sourcesafe {

// Takes the arguments after the two output files (optional generation
// switch, srcsafe.ini, login, password, command and its arguments) and
// returns the run's exit code.
int runSourceSafe(util::ArgList& args);

}  // namespace sourcesafe

// The program's main logger, "ssEx", shared by the entry, the usage printer
// and the choice of the automation generation.
#pragma once

#include "log/logger.h"

namespace util {

const logging::Logger& mainLogger();

}  // namespace util

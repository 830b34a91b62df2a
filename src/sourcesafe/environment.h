// Environment variables as the program reads them: names match without
// regard to letter case, as they do on Windows.
#pragma once

#include <string>

namespace sourcesafe {

// Whether a variable of that name is defined, with any value (empty too).
bool isEnvironmentVariableSet(const std::string& name);

}  // namespace sourcesafe

// Changing this process's environment from a test, the same way on every
// system (POSIX setenv and unsetenv; on Windows the system's block and the
// C runtime's copy that getenv reads).
#pragma once

#include <string>

namespace testsupport {

void setEnvironmentVariable(const std::string& name, const std::string& value);
void unsetEnvironmentVariable(const std::string& name);

}  // namespace testsupport

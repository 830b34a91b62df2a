#include "sourcesafe/environment.h"

#include <strings.h>

#include <cstring>

extern char** environ;

namespace sourcesafe {

bool isEnvironmentVariableSet(const std::string& name) {
  for (char** entry = environ; entry && *entry; ++entry) {
    const char* equals = std::strchr(*entry, '=');
    size_t length = equals ? static_cast<size_t>(equals - *entry) : std::strlen(*entry);
    if (length == name.size() && strncasecmp(*entry, name.c_str(), length) == 0) return true;
  }
  return false;
}

}  // namespace sourcesafe

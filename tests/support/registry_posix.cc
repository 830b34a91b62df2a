#include "support/registry.h"

namespace testsupport {

std::string writeUserRegistryValue(const std::wstring&, unsigned long, const std::string&) {
  return "this system has no registry";
}

void removeUserRegistryKey(const std::wstring&) {}

}  // namespace testsupport

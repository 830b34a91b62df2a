#include "native/code_page.h"

#include <cstdlib>

namespace ssapi::native {

std::string CodePage::configuredName() {
  const char* value = std::getenv(kCodePageVariable);
  if (value == nullptr || *value == '\0') return std::string(kDefaultCodePage);
  return value;
}

}  // namespace ssapi::native

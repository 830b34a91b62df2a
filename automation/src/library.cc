#include "ssapi/library.h"

namespace ssapi {

void installLibrary() {}
void uninstallLibrary() {}

}  // namespace ssapi

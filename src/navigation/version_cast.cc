#include "navigation/version_cast.h"

namespace navigation {

template class VersionCast<ssapi::Automation60>;
template class VersionCast<ssapi::Automation2005>;

}  // namespace navigation

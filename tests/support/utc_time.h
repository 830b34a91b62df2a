// Calendar fields of an instant in UTC, computed the same on every system
// (the C library's gmtime_r is POSIX only).
#pragma once

#include <cstdint>

#include "platform/system_time.h"

namespace testsupport {

platform::SystemTime utcFields(std::int64_t seconds);

}  // namespace testsupport

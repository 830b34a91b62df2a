// Stored times as the OLE dates the automation hands out.
#pragma once

#include <cstdint>

#include "model/database.h"
#include "platform/variant.h"

namespace ssapi::objects {

// The local time of the current process time zone (TZ honoured) as an OLE
// date, for seconds stored as UTC; for seconds that already are a writer's
// wall clock, those clock fields unchanged.
DATE toOleDate(model::TimeBase base, std::int64_t seconds);

}  // namespace ssapi::objects

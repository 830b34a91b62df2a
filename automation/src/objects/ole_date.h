// Stored times as the OLE dates the automation hands out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/database.h"
#include "platform/variant.h"

namespace ssapi::objects {

// The local time of the current process time zone (TZ honoured) as an OLE
// date, for seconds stored as UTC; for seconds that already are a writer's
// wall clock, those clock fields unchanged.
DATE toOleDate(model::TimeBase base, std::int64_t seconds);

// The stored second that an OLE date in the same terms names: the date is
// taken to the nearest second (SourceSafe keeps whole seconds), then from
// local time to UTC for seconds stored as UTC. A date beyond the calendar
// comes after every stored second, one before it ahead of every one.
std::int64_t storedSecondOf(model::TimeBase base, DATE date);

// A date written as SourceSafe's automation accepts one in place of a
// version: "12/15/2003", "12/15/03 14:05", "12/15/2003 2:05:09 PM",
// "12/15/2003;2:05p" or "2003-12-15T14:05:09" (month first; two-digit years
// from 1930 to 2029). nullopt for anything else.
std::optional<DATE> parseDateText(const std::wstring& text);

}  // namespace ssapi::objects

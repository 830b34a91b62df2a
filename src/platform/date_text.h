// The texts of the OLE date-to-text conversion (VarBstrFromDate) under the
// one locale the program is run with, English (United States): dates as
// M/d/yyyy, times as h:mm:ss followed by AM or PM.
#pragma once

#include <optional>
#include <string>

#include "platform/hresult.h"
#include "platform/variant.h"

namespace platform {

constexpr DWORD VAR_TIMEVALUEONLY = 0x1;
constexpr DWORD VAR_DATEVALUEONLY = 0x2;

// Without flags: "12/6/2026 9:05:03 AM"; the time is left out at midnight
// and the date for day 0 (30 December 1899). VAR_DATEVALUEONLY gives
// "12/6/2026", VAR_TIMEVALUEONLY "9:05:03 AM". Nothing for a date that has
// no calendar fields (see variantTimeToSystemTime).
std::optional<std::wstring> varBstrFromDate(DATE date, DWORD flags);

}  // namespace platform

// The set-up calls that bracket a normal run on Windows (SetThreadLocale,
// OleInitialize, OleUninitialize). Our automation library lives in the
// process and needs no apartment, and the locale texts are fixed to English
// (United States), so here they only keep the sequence of the run visible.
#pragma once

#include "platform/hresult.h"

namespace platform {

using LCID = DWORD;

// English with the neutral sublanguage, sort identifier 1.
constexpr LCID kEnglishNeutralLocale = 0x00010009;

bool setThreadLocale(LCID locale);
HRESULT oleInitialize();
void oleUninitialize();

}  // namespace platform

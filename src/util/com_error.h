// The text of a failed automation call, for the log and the error file.
#pragma once

#include <string>

#include "platform/hresult.h"

// "Error: 0x%x (%d)" with the description and source of the thread's error
// information, which this call consumes.
std::wstring formatComError(HRESULT code);

// "message, <formatComError(code)>": the form of log lines that carry a status.
std::wstring withStatus(const std::wstring& message, HRESULT code);

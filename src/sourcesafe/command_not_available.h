// The answer of a command whose request this build does not have.
#pragma once

#include "log/logger.h"
#include "platform/hresult.h"

namespace sourcesafe {

inline HRESULT commandNotAvailable(const wchar_t* command) {
  logging::Logger(L"ssCommandLine").error(std::wstring(L"The command ") + command + L" is not available in this build");
  return E_NOTIMPL;
}

}  // namespace sourcesafe

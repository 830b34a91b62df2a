#include "sourcesafe/environment.h"

#include "platform/text_encoding.h"

#include <windows.h>

namespace sourcesafe {

// The system's own lookup: names ignore letter case, and a variable set to
// the empty text counts as set (the C runtime's copy cannot hold one).
bool isEnvironmentVariableSet(const std::string& name) {
  const std::wstring wideName = platform::utf8ToWide(name);
  wchar_t buffer[1];
  SetLastError(ERROR_SUCCESS);
  const DWORD length = GetEnvironmentVariableW(wideName.c_str(), buffer, 1);
  return length > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
}

}  // namespace sourcesafe

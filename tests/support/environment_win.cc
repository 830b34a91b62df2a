#include "support/environment.h"

#include <cstdlib>

#include "platform/text_encoding.h"

#include <windows.h>

namespace testsupport {

// The runtime cannot hold an empty value (it removes the variable), the
// system can; readers of the runtime's copy see an empty value as none.
void setEnvironmentVariable(const std::string& name, const std::string& value) {
  const std::wstring wideName = platform::utf8ToWide(name);
  const std::wstring wideValue = platform::utf8ToWide(value);
  SetEnvironmentVariableW(wideName.c_str(), wideValue.c_str());
  _wputenv_s(wideName.c_str(), wideValue.c_str());
}

void unsetEnvironmentVariable(const std::string& name) {
  const std::wstring wideName = platform::utf8ToWide(name);
  SetEnvironmentVariableW(wideName.c_str(), nullptr);
  _wputenv_s(wideName.c_str(), L"");
}

}  // namespace testsupport

#include "util/com_error.h"

#include <fmt/xchar.h>

#include "platform/error_info.h"

std::wstring formatComError(HRESULT code) {
  std::wstring text = fmt::format(L"Error: 0x{:x} ({})", static_cast<std::uint32_t>(code), code);
  if (auto info = platform::takeErrorInfo()) {
    text += L": " + info->description;
    text += L". Source:" + info->source;
  }
  if (static_cast<std::uint32_t>(code) == 0x8004D75Cu) text += L"There is another VSS item enumerator opened";
  return text;
}

std::wstring withStatus(const std::wstring& message, HRESULT code) { return message + L", " + formatComError(code); }

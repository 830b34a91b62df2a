// Loggers that can name the item a line is about: the item's description
// ("$/web/index.html[12]") on one line, the message on the next.
#pragma once

#include <optional>
#include <string>

#include <fmt/xchar.h>

#include "log/logger.h"
#include "navigation/automation_types.h"
#include "platform/error_info.h"
#include "util/com_error.h"

namespace navigation {

// The text that stands for an item in log lines: its spec followed by its
// version number in brackets, the bare spec when the number cannot be read,
// nothing when not even the spec can be read.
template <class A>
std::optional<std::wstring> describeItem(const ItemPtr<A>& item) {
  if (!item) return std::nullopt;
  std::wstring spec;
  if (FAILED(item->get_Spec(&spec))) return std::nullopt;
  LONG number = 0;
  if (FAILED(item->get_VersionNumber(&number))) return spec;
  return fmt::format(L"{}[{}]", spec, number);
}

template <class A>
class ItemLogger : public logging::Logger {
 public:
  explicit ItemLogger(std::wstring name) : Logger(std::move(name)) {}

  using Logger::debug;
  using Logger::error;
  using Logger::info;
  using Logger::warn;
  using Logger::write;

  void debug(const ItemPtr<A>& item, const std::wstring& message) const { write(logging::kDebug, item, message, {}); }
  void debug(const ItemPtr<A>& item, const std::wstring& message, HRESULT status) const {
    write(logging::kDebug, item, message, status);
  }
  void info(const ItemPtr<A>& item, const std::wstring& message) const { write(logging::kInfo, item, message, {}); }
  void info(const ItemPtr<A>& item, const std::wstring& message, HRESULT status) const {
    write(logging::kInfo, item, message, status);
  }
  void warn(const ItemPtr<A>& item, const std::wstring& message) const { write(logging::kWarn, item, message, {}); }
  void warn(const ItemPtr<A>& item, const std::wstring& message, HRESULT status) const {
    write(logging::kWarn, item, message, status);
  }
  void error(const ItemPtr<A>& item, const std::wstring& message) const { write(logging::kError, item, message, {}); }
  void error(const ItemPtr<A>& item, const std::wstring& message, HRESULT status) const {
    write(logging::kError, item, message, status);
  }

  // The line without an item, with the error text of a status.
  void error(const std::wstring& message, HRESULT status) const { Logger::error(withStatus(message, status)); }

  void write(int level, const ItemPtr<A>& item, const std::wstring& message, std::optional<HRESULT> status) const {
    // Describing the item costs two automation calls; skip them when the
    // lines would be dropped anyway.
    if (!levelWanted(level)) return;
    std::optional<std::wstring> description;
    {
      // The error information on the thread belongs to the status being
      // reported, not to the reads that describe the item.
      platform::ErrorInfoKeeper keep;
      description = describeItem<A>(item);
      platform::clearErrorInfo();
    }
    if (description) Logger::write(level, *description);
    Logger::write(level, status ? withStatus(message, *status) : message);
  }

 private:
  static bool levelWanted(int level) {
    if (level >= logging::kError) return true;
    if (level == logging::kDebug) return logging::isDebugEnabled();
    return logging::isInfoEnabled();
  }
};

extern template class ItemLogger<ssapi::Automation60>;
extern template class ItemLogger<ssapi::Automation2005>;

}  // namespace navigation

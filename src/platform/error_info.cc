#include "platform/error_info.h"

#include <utility>

namespace platform {
namespace {
thread_local std::optional<ErrorInfo> threadErrorInfo;
}

void setErrorInfo(std::wstring description, std::wstring source) {
  threadErrorInfo = ErrorInfo{std::move(description), std::move(source)};
}

std::optional<ErrorInfo> takeErrorInfo() { return std::exchange(threadErrorInfo, std::nullopt); }

void clearErrorInfo() { threadErrorInfo.reset(); }

}  // namespace platform

// Per-thread error information, the stand-in for SetErrorInfo/GetErrorInfo.
// A failing automation call records a description and a source once, where
// the failure is detected; the first reader takes it off the thread.
#pragma once

#include <optional>
#include <string>

namespace platform {

struct ErrorInfo {
  std::wstring description;
  std::wstring source;
};

void setErrorInfo(std::wstring description, std::wstring source);
// Removes and returns the thread's error information, if any.
std::optional<ErrorInfo> takeErrorInfo();
void clearErrorInfo();

// Keeps the thread's error information alive across cleanup code that may
// itself fail and record something (releases, closes).
class ErrorInfoKeeper {
 public:
  ErrorInfoKeeper() : saved_(takeErrorInfo()) {}
  ~ErrorInfoKeeper() {
    if (saved_) setErrorInfo(saved_->description, saved_->source);
  }
  ErrorInfoKeeper(const ErrorInfoKeeper&) = delete;
  ErrorInfoKeeper& operator=(const ErrorInfoKeeper&) = delete;

 private:
  std::optional<ErrorInfo> saved_;
};

}  // namespace platform

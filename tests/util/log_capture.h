// Captures log lines in memory for one test, at the Debug threshold.
#pragma once

#include <string>

#include "log/logger.h"

namespace util {

class LogCapture : public logging::LogSink {
 public:
  LogCapture() {
    logging::setThreshold(logging::kDebug);
    logging::setDestination(this);
  }
  ~LogCapture() {
    logging::setDestination(nullptr);
    logging::setThreshold(logging::kError);
  }
  void write(const std::wstring& text) override {
    // The time stamp is the piece that starts with "[".
    if (!text.empty() && text.front() == L'[') return;
    text_ += text;
  }
  void flush() override {}
  // Lines without their time stamps: "name level - message\r\n".
  const std::wstring& text() const { return text_; }

 private:
  std::wstring text_;
};

}  // namespace util

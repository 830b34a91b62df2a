// Named loggers over one process-wide threshold and one destination.
#pragma once

#include <string>

namespace logging {

constexpr int kDebug = 1;
constexpr int kInfo = 2;
constexpr int kWarn = 3;
constexpr int kError = 4;

// Where log lines go: the log channel's file stream.
class LogSink {
 public:
  virtual void write(const std::wstring& text) = 0;
  virtual void flush() = 0;

 protected:
  ~LogSink() = default;
};

void setThreshold(int level);
int threshold();
bool isEnabled(int level);
inline bool isDebugEnabled() { return isEnabled(kDebug); }
inline bool isInfoEnabled() { return isEnabled(kInfo); }
void setDestination(LogSink* sink);

// "[time] name level - message\r\n", flushed at once; nothing without a
// destination or below the threshold.
void writeLine(int level, const std::wstring& name, const std::wstring& message);

class Logger {
 public:
  explicit Logger(std::wstring name) : name_(std::move(name)) {}
  virtual ~Logger() = default;

  const std::wstring& name() const { return name_; }
  void debug(const std::wstring& message) const { writeLine(kDebug, name_, message); }
  void info(const std::wstring& message) const { writeLine(kInfo, name_, message); }
  void warn(const std::wstring& message) const { writeLine(kWarn, name_, message); }
  void error(const std::wstring& message) const { writeLine(kError, name_, message); }
  void write(int level, const std::wstring& message) const { writeLine(level, name_, message); }

 private:
  std::wstring name_;
};

}  // namespace logging

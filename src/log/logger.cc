#include "log/logger.h"

#include "platform/system_time.h"

namespace logging {
namespace {

int currentThreshold = kError;
LogSink* destination = nullptr;

const wchar_t* levelWord(int level) {
  switch (level) {
    case kDebug: return L"Debug";
    case kInfo: return L"Info";
    case kWarn: return L"Warn";
    default: return L"Error";
  }
}

}  // namespace

void setThreshold(int level) { currentThreshold = level; }
int threshold() { return currentThreshold; }
bool isEnabled(int level) { return level >= currentThreshold; }
void setDestination(LogSink* sink) { destination = sink; }

void writeLine(int level, const std::wstring& name, const std::wstring& message) {
  if (!destination || !isEnabled(level)) return;
  std::wstring stamp = L"[" + platform::formatSystemTime(platform::currentLocalTime(), L"%d.%m.%Y %#H:%M:%S") + L"] ";
  destination->write(stamp);
  destination->write(name);
  destination->write(L" ");
  destination->write(levelWord(level));
  destination->write(L" - ");
  destination->write(message);
  destination->write(L"\r\n");
  destination->flush();
}

}  // namespace logging

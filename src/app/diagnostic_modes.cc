#include "app/diagnostic_modes.h"

#include <fmt/xchar.h>

#include "platform/ole_date.h"
#include "platform/time_zone.h"
#include "sourcesafe/automation_library_path.h"

namespace app {
namespace {

std::wstring formatted(const platform::SystemTime& time) {
  return platform::formatSystemTime(time, util::kDateTimeFormat);
}

const wchar_t* codeWord(bool succeeded) { return succeeded ? L"TRUE" : L"FALSE"; }

}  // namespace

int runSsPath(output::OutputChannels& channels) {
  std::wstring path;
  if (FAILED(sourcesafe::findAutomationLibraryPath(&path))) {
    channels.writeErrorLine(L"Failed to get path to ssapi.dll");
    return 1;
  }
  channels.writeXml(path);
  return 0;
}

void runSsDate(const std::wstring& text, output::OutputChannels& channels) {
  channels.writeXml(util::JavaTime::fromMillis(util::JavaTime::parseMillis(text)).toSourceSafeText());
}

std::wstring dumpJavaTime(const util::JavaTime& value) {
  std::wstring out = fmt::format(L"JavaTime = {} \r\n", value.millis());

  platform::TimeZoneInformation zone;
  const DWORD kind = platform::getTimeZoneInformation(&zone);
  out += fmt::format(L"GetTimeZoneInformation = {},\r\nBias = {},\r\nDayBias = {},\r\nStandardBias = {}\r\n",
                     static_cast<LONG>(kind), zone.bias, zone.daylightBias, zone.standardBias);

  // Fields stay zero when the date has none (FAR_FUTURE); the conversions
  // below then fail and say so.
  platform::SystemTime utc;
  platform::variantTimeToSystemTime(value.date(), &utc);
  out += L"SystemTime = " + formatted(utc) + L"\r\n";

  platform::SystemTime local;
  const bool toLocal = platform::utcToLocal(utc, &local);
  out += fmt::format(L"->LocalTime = {}, CODE={}\r\n", formatted(local), codeWord(toLocal));

  platform::SystemTime back;
  const bool toUtc = platform::localToUtc(utc, &back);
  out += fmt::format(L"->SystemTime = {}, CODE={}\r\n", formatted(back), codeWord(toUtc));
  return out;
}

void runDebugTime(const std::wstring& text, const platform::SystemTime& now, output::OutputChannels& channels) {
  channels.writeXml(L"Current Time is: " + formatted(now) + L"\r\n");
  DATE nowDate = 0;
  platform::systemTimeToVariantTime(now, &nowDate);
  channels.writeXml(fmt::format(L"DATE = {:.6f}\r\n", nowDate));
  channels.writeXml(dumpJavaTime(util::JavaTime::fromLocalDate(nowDate)));
  channels.writeXml(L"\r\n\r\nJava time from console:\r\n");
  channels.writeXml(dumpJavaTime(util::JavaTime::fromMillis(util::JavaTime::parseMillis(text))));
}

void runDebugTime(const std::wstring& text, output::OutputChannels& channels) {
  runDebugTime(text, platform::currentLocalTime(), channels);
}

}  // namespace app

#include "native/srcsafe_ini.h"

#include <fmt/xchar.h>

#include <charconv>
#include <cstdio>

#include "native/file_access.h"
#include "platform/file_system.h"
#include "platform/text_encoding.h"
#include "ssapi/ssapi.h"

namespace ssapi::native {
namespace {

std::string_view trim(std::string_view text) {
  std::size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string_view::npos) return {};
  std::size_t end = text.find_last_not_of(" \t\r");
  return text.substr(begin, end - begin + 1);
}

bool sameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool parseNumber(std::string_view text, LONG* value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return error == std::errc() && end == text.data() + text.size();
}

bool parseDate(std::string_view text, platform::SystemTime* date) {
  std::string copy(text);
  platform::SystemTime parsed;
  int consumed = 0;
  int fields = std::sscanf(copy.c_str(), "%4d/%2d/%2d %2d:%2d:%2d.%3d%n", &parsed.year, &parsed.month, &parsed.day,
                           &parsed.hour, &parsed.minute, &parsed.second, &parsed.milliseconds, &consumed);
  if (fields != 7 || static_cast<std::size_t>(consumed) != copy.size()) return false;
  *date = parsed;
  return true;
}

bool parseYesNo(std::string_view text, bool* value) {
  if (sameKey(text, "yes") || sameKey(text, "true") || text == "1") {
    *value = true;
  } else if (sameKey(text, "no") || sameKey(text, "false") || text == "0") {
    *value = false;
  } else {
    return false;
  }
  return true;
}

// One line of the [TimeZone] section; false when its value cannot be read.
bool readTimeZoneLine(std::string_view key, std::string_view value, IniTimeZone* zone) {
  if (sameKey(key, "Name")) {
    zone->name = std::string(value);
    return true;
  }
  if (sameKey(key, "TZ_Bias")) return parseNumber(value, &zone->bias);
  if (sameKey(key, "TZ_StandardBias")) return parseNumber(value, &zone->standardBias);
  if (sameKey(key, "TZ_DaylightBias")) return parseNumber(value, &zone->daylightBias);
  if (sameKey(key, "TZ_StandardDate")) return parseDate(value, &zone->standardDate);
  if (sameKey(key, "TZ_DaylightDate")) return parseDate(value, &zone->daylightDate);
  if (sameKey(key, "TZ_UseDaylightSavingTime")) return parseYesNo(value, &zone->useDaylightSavingTime);
  return true;
}

bool isWindowsAbsolute(std::wstring_view path) {
  bool drive = path.size() >= 2 && path[1] == L':' &&
               ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
  return drive || path.starts_with(L"//");
}

bool isDirectory(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

}  // namespace

const std::string* SrcSafeIni::value(std::string_view key) const {
  const std::string* found = nullptr;
  for (const auto& [k, v] : settings) {
    if (sameKey(k, key)) found = &v;
  }
  return found;
}

Status parseSrcSafeIni(std::string_view text, std::wstring_view fileName, SrcSafeIni* ini) {
  SrcSafeIni parsed;
  enum class Section { kGlobal, kTimeZone, kOther } section = Section::kGlobal;
  int lineNumber = 0;
  while (!text.empty()) {
    std::size_t newline = text.find('\n');
    std::string_view line = trim(text.substr(0, newline));
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    ++lineNumber;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      std::size_t close = line.find(']');
      std::string_view name = trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
      if (sameKey(name, "TimeZone")) {
        section = Section::kTimeZone;
        if (!parsed.timeZone) parsed.timeZone.emplace();
      } else {
        section = Section::kOther;
      }
      continue;
    }
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view key = trim(line.substr(0, equals));
    std::string_view value = trim(line.substr(equals + 1));
    if (section == Section::kGlobal) {
      parsed.settings.emplace_back(key, value);
    } else if (section == Section::kTimeZone && !readTimeZoneLine(key, value, &*parsed.timeZone)) {
      return failure(ESS_INI_BADLINE, fmt::format(L"Invalid syntax on line {} of file {}", lineNumber, fileName));
    }
  }
  *ini = std::move(parsed);
  return success();
}

Status locateDataFolder(const SrcSafeIni& ini, const std::filesystem::path& iniPath, const CodePage& codePage,
                        DataFolder* folder) {
  const std::string* raw = ini.value("Data_Path");
  std::wstring configured = raw ? codePage.decode(trim(*raw)) : L"data";
  std::wstring unquoted = configured;
  if (unquoted.size() >= 2 && unquoted.front() == L'"' && unquoted.back() == L'"') {
    unquoted = unquoted.substr(1, unquoted.size() - 2);
  }
  std::wstring slashed = unquoted;
  for (wchar_t& c : slashed) {
    if (c == L'\\') c = L'/';
  }
  std::filesystem::path path = platform::pathFromWide(slashed);
  std::filesystem::path iniFolder = iniPath.parent_path();
  if (iniFolder.empty()) iniFolder = ".";

  DataFolder found;
  found.configured = configured;
  if (isWindowsAbsolute(slashed)) {
    found.path = path;
    if (!isDirectory(found.path)) {
      found.path = iniFolder / "data";
      found.fellBack = true;
    }
  } else if (!slashed.empty() && slashed.front() == L'/') {
    found.path = path;
  } else {
    found.path = iniFolder / (slashed.empty() ? std::filesystem::path("data") : path);
  }
  if (!isDirectory(found.path)) {
    std::wstring shown = found.fellBack ? configured : displayPath(found.path);
    return failure(ESS_DATABASE_NOT_FOUND, fmt::format(L"The SourceSafe database path {} does not exist. Please select another database.", shown));
  }
  *folder = std::move(found);
  return success();
}

}  // namespace ssapi::native

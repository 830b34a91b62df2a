// srcsafe.ini, the file that names a SourceSafe database. The database's
// own settings are the "key = value" lines before the first section; the
// sections after them hold per-project overrides and, in SourceSafe 2005,
// the database's time zone.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "native/code_page.h"
#include "native/status.h"
#include "platform/hresult.h"
#include "platform/system_time.h"

namespace ssapi::native {

// The [TimeZone] section, as Windows describes a zone: minutes with
// UTC = local + bias (+ the daylight bias in daylight time). A transition
// date with year 0 is a yearly rule: month, day = the week of the month
// (5 = the last), at the time given; the weekday is not written, Sunday.
struct IniTimeZone {
  std::string name;  // ANSI bytes
  LONG bias = 0;
  LONG standardBias = 0;
  LONG daylightBias = 0;
  platform::SystemTime standardDate;
  platform::SystemTime daylightDate;
  bool useDaylightSavingTime = false;
};

struct SrcSafeIni {
  // The lines before the first section, in file order, as ANSI bytes.
  std::vector<std::pair<std::string, std::string>> settings;
  std::optional<IniTimeZone> timeZone;

  // A setting before the first section: letter case of the key ignored, the
  // last line wins. Null when absent.
  const std::string* value(std::string_view key) const;
};

// Fails with ESS_INI_BADLINE for a [TimeZone] value that is not a number, a
// date or yes/no; everything else SourceSafe would not read is skipped.
Status parseSrcSafeIni(std::string_view text, std::wstring_view fileName, SrcSafeIni* ini);

struct DataFolder {
  std::filesystem::path path;
  std::wstring configured;  // Data_Path as written ("data" when absent)
  bool fellBack = false;    // a Windows path that is not here was replaced by the folder beside the ini
};

// The data folder: Data_Path relative to the ini's folder, or absolute. A
// Windows drive or UNC path ("D:\vss\data", "\\server\share\data") that
// does not exist on this machine falls back to the "data" folder beside
// the ini, as when a database is copied off its Windows server. Fails with
// ESS_DATABASE_NOT_FOUND when the folder does not exist.
Status locateDataFolder(const SrcSafeIni& ini, const std::filesystem::path& iniPath, const CodePage& codePage,
                        DataFolder* folder);

}  // namespace ssapi::native

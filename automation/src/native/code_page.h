// The ANSI code page of a database. SourceSafe stores names, comments and
// user names in the code page of the Windows machines that wrote them and
// records nowhere which one that was, so it is a setting: the environment
// variable SSAPI_CODEPAGE ("936", "cp950", "GBK", ...), Windows-1252 when
// unset. Conversion is glibc's iconv on POSIX systems and the system's own
// (MultiByteToWideChar) on Windows.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "native/status.h"

namespace ssapi::native {

constexpr const char* kCodePageVariable = "SSAPI_CODEPAGE";
constexpr std::string_view kDefaultCodePage = "1252";

class CodePage {
 public:
  // A Windows code page number ("936" is GBK, "65001" UTF-8) or a name of
  // one (any name iconv knows on POSIX systems; "cp936", "windows-1252",
  // "UTF-8", "GBK", "Big5", "Shift_JIS", ... on Windows). Fails with
  // E_INVALIDARG for a code page the system lacks.
  static Status open(std::string_view name, CodePage* out);
  // The code page the environment asks for, else Windows-1252.
  static std::string configuredName();

  // Bytes that cannot be converted become U+FFFD, one per byte; in Windows-1252
  // the five unassigned bytes become the C1 controls, as Windows maps them.
  std::wstring decode(std::string_view bytes) const;
  // False when a character has no form in the code page.
  bool encode(std::wstring_view text, std::string* bytes) const;

  const std::string& name() const { return name_; }

 private:
  struct Converters;
  std::string name_;
  bool asciiCompatible_ = false;
  bool windows1252_ = false;
  std::shared_ptr<Converters> converters_;
};

}  // namespace ssapi::native

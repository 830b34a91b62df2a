// The ANSI code page of a database. SourceSafe stores names, comments and
// user names in the code page of the Windows machines that wrote them and
// records nowhere which one that was, so it is a setting: the environment
// variable SSAPI_CODEPAGE ("936", "cp950", "GBK", ...), Windows-1252 when
// unset. Conversion is glibc's iconv.
#pragma once

#include <iconv.h>

#include <memory>
#include <string>
#include <string_view>

#include "native/status.h"

namespace ssapi::native {

constexpr const char* kCodePageVariable = "SSAPI_CODEPAGE";
constexpr std::string_view kDefaultCodePage = "1252";

class CodePage {
 public:
  // A Windows code page number ("936" is GBK, "65001" UTF-8) or any name
  // iconv knows. Fails with E_INVALIDARG for a code page iconv lacks.
  static Status open(std::string_view name, CodePage* out);
  // The code page the environment asks for, else Windows-1252.
  static std::string configuredName();

  // Bytes iconv cannot convert become U+FFFD, one per byte; in Windows-1252
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

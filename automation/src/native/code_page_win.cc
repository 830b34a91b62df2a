#include "native/code_page.h"

#include <fmt/xchar.h>

#include "native/ascii_text.h"
#include "platform/text_encoding.h"

#include <windows.h>

namespace ssapi::native {

struct CodePage::Converters {
  UINT codePage = 0;
  bool doubleByte = false;  // a lead byte takes the next byte with it
};

namespace {

// The Windows code page a number or a name stands for; 0 for none known.
UINT codePageNumber(std::string_view name) {
  std::string upper = upperAscii(name);
  for (std::string_view prefix : {"CP", "WINDOWS-"}) {
    if (upper.size() > prefix.size() && upper.compare(0, prefix.size(), prefix) == 0 &&
        allDigits(std::string_view(upper).substr(prefix.size()))) {
      upper.erase(0, prefix.size());
      break;
    }
  }
  if (allDigits(upper)) return upper.size() <= 5 ? static_cast<UINT>(std::stoul(upper)) : 0;
  static const struct {
    const char* name;
    UINT codePage;
  } kNames[] = {{"UTF-8", 65001},    {"UTF8", 65001},    {"GBK", 936},     {"GB2312", 936},     {"BIG5", 950},
                {"SHIFT_JIS", 932},  {"SJIS", 932},      {"EUC-KR", 949},  {"UHC", 949},        {"ISO-8859-1", 28591},
                {"LATIN1", 28591},   {"KOI8-R", 20866},  {"TIS-620", 874}, {"ISO-8859-2", 28592}, {"US-ASCII", 20127}};
  for (const auto& known : kNames)
    if (upper == known.name) return known.codePage;
  return 0;
}

// One character's bytes through the system, or nothing when they are no
// character of the code page.
bool decodeOne(UINT codePage, const char* bytes, int count, std::wstring* text) {
  wchar_t units[4];
  int made = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, count, units, 4);
  if (made <= 0) return false;
  text->append(units, static_cast<std::size_t>(made));
  return true;
}

}  // namespace

Status CodePage::open(std::string_view name, CodePage* out) {
  const UINT number = codePageNumber(name);
  CPINFO info{};
  if (number == 0 || !IsValidCodePage(number) || !GetCPInfo(number, &info)) {
    return failure(E_INVALIDARG, fmt::format(L"The code page \"{}\" is not known to this system",
                                             std::wstring(name.begin(), name.end())));
  }
  auto converters = std::make_shared<Converters>();
  converters->codePage = number;
  converters->doubleByte = info.MaxCharSize == 2;
  CodePage page;
  page.name_ = std::string(name);
  page.converters_ = std::move(converters);
  page.windows1252_ = number == 1252;
  std::string ascii;
  for (int c = 1; c < 0x80; ++c) ascii += static_cast<char>(c);
  std::wstring decoded = page.decode(ascii);
  page.asciiCompatible_ = decoded.size() == ascii.size();
  for (std::size_t i = 0; page.asciiCompatible_ && i < ascii.size(); ++i) {
    page.asciiCompatible_ = decoded[i] == static_cast<wchar_t>(ascii[i]);
  }
  *out = std::move(page);
  return success();
}

std::wstring CodePage::decode(std::string_view bytes) const {
  if (asciiCompatible_) {
    bool ascii = true;
    for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return std::wstring(bytes.begin(), bytes.end());
  }
  if (!converters_) return std::wstring(bytes.begin(), bytes.end());
  const UINT codePage = converters_->codePage;
  if (codePage == CP_UTF8) return platform::utf8ToWide(bytes);
  std::wstring text;
  text.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    const bool pair = converters_->doubleByte && i + 1 < bytes.size() && IsDBCSLeadByteEx(codePage, byte);
    if (pair && decodeOne(codePage, bytes.data() + i, 2, &text)) {
      i += 2;
      continue;
    }
    // A byte that is no character (or a lead byte without its partner):
    // one replacement, then on with the next byte.
    if (pair || !decodeOne(codePage, bytes.data() + i, 1, &text)) text += L'\uFFFD';
    ++i;
  }
  return text;
}

bool CodePage::encode(std::wstring_view text, std::string* bytes) const {
  if (!converters_) return false;
  if (text.empty()) {
    bytes->clear();
    return true;
  }
  const UINT codePage = converters_->codePage;
  const int length = static_cast<int>(text.size());
  if (codePage == CP_UTF8) {
    // Unpaired surrogates have no UTF-8 form and fail the conversion.
    int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return false;
    std::string output(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), length, output.data(), size, nullptr, nullptr);
    *bytes = std::move(output);
    return true;
  }
  BOOL usedDefault = FALSE;
  int size = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, nullptr,
                                 &usedDefault);
  if (size <= 0 || usedDefault) return false;
  std::string output(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), length, output.data(), size, nullptr,
                      &usedDefault);
  if (usedDefault) return false;
  *bytes = std::move(output);
  return true;
}

}  // namespace ssapi::native

#include "platform/text_encoding.h"

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Windows holds wide text as UTF-16 (a character above U+FFFF is two
// wchar_t, a surrogate pair); elsewhere one wchar_t is one character.
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

void appendWide(std::wstring& out, char32_t c) {
  if (kWideIsUtf16 && c >= 0x10000) {
    c -= 0x10000;
    out += static_cast<wchar_t>(0xD800 + (c >> 10));
    out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
  } else {
    out += static_cast<wchar_t>(c);
  }
}

// The character that starts at text[i], and how many wchar_t it takes.
char32_t characterAt(std::wstring_view text, std::size_t i, std::size_t* units) {
  char32_t c = static_cast<char32_t>(text[i]);
  if constexpr (kWideIsUtf16) c &= 0xFFFF;
  *units = 1;
  if (kWideIsUtf16 && c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
    char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
    if (low >= 0xDC00 && low <= 0xDFFF) {
      *units = 2;
      return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
    }
  }
  return c;
}

bool isScalarValue(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void appendUnit(std::string& out, unsigned unit) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>((unit >> 8) & 0xFF);
}

}  // namespace

std::wstring utf8ToWide(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 0x6 ? 1 : (b >> 4) == 0xE ? 2 : (b >> 3) == 0x1E ? 3 : -1;
    if (extra < 0 || bytes.size() - i <= static_cast<size_t>(extra)) {
      out += static_cast<wchar_t>(kReplacement);
      ++i;
      continue;
    }
    char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      unsigned char cont = static_cast<unsigned char>(bytes[i + k]);
      if ((cont & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = (c << 6) | (cont & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (!ok || c < kMinimum[extra] || !isScalarValue(c)) {
      out += static_cast<wchar_t>(kReplacement);
      ++i;
      continue;
    }
    appendWide(out, c);
    i += extra + 1;
  }
  return out;
}

std::string wideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0, units = 1; i < text.size(); i += units) {
    char32_t c = characterAt(text, i, &units);
    appendUtf8(out, isScalarValue(c) ? c : kReplacement);
  }
  return out;
}

void appendUtf16le(std::string& out, std::wstring_view text) {
  for (wchar_t w : text) {
    char32_t c = static_cast<char32_t>(w);
    if (c > 0x10FFFF) c = kReplacement;
    if (c >= 0x10000) {
      c -= 0x10000;
      appendUnit(out, 0xD800 + (c >> 10));
      appendUnit(out, 0xDC00 + (c & 0x3FF));
    } else {
      appendUnit(out, c);
    }
  }
}

std::string wideToUtf16le(std::wstring_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  appendUtf16le(out, text);
  return out;
}

std::wstring utf16leToWide(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size() / 2);
  auto unitAt = [&](size_t i) {
    return static_cast<unsigned>(static_cast<unsigned char>(bytes[i])) |
           (static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8);
  };
  size_t i = 0;
  while (i + 1 < bytes.size()) {
    unsigned unit = unitAt(i);
    i += 2;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < bytes.size()) {
      unsigned low = unitAt(i);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        i += 2;
        appendWide(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        continue;
      }
    }
    out += static_cast<wchar_t>(unit);
  }
  return out;
}

}  // namespace platform

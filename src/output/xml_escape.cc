#include "output/xml_escape.h"

namespace output {
namespace {

// One document with a forbidden character is unreadable as a whole, so such
// characters are replaced rather than passed through.
bool isXmlChar(wchar_t w) {
  char32_t c = static_cast<char32_t>(w);
  if (c < 0x20) return c == 0x9 || c == 0xA || c == 0xD;
  if (c >= 0xD800 && c <= 0xDFFF) return false;
  if (c == 0xFFFE || c == 0xFFFF) return false;
  return c <= 0x10FFFF;
}

bool isHighSurrogate(wchar_t w) { return w >= 0xD800 && w <= 0xDBFF; }
bool isLowSurrogate(wchar_t w) { return w >= 0xDC00 && w <= 0xDFFF; }

std::wstring replaceForbidden(std::wstring text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    // Where wide text is UTF-16 (Windows), a character above U+FFFF is a
    // surrogate pair and stays; only a surrogate without its partner goes.
    if (sizeof(wchar_t) == 2 && isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
      ++i;
      continue;
    }
    if (!isXmlChar(text[i])) text[i] = 0xFFFD;
  }
  return text;
}

std::wstring replaceAll(const std::wstring& text, const std::wstring& from, const std::wstring& to) {
  std::wstring out;
  out.reserve(text.size());
  size_t pos = 0;
  for (size_t hit; (hit = text.find(from, pos)) != std::wstring::npos; pos = hit + from.size()) {
    out.append(text, pos, hit - pos);
    out += to;
  }
  out.append(text, pos);
  return out;
}

}  // namespace

std::wstring escapeAttribute(const std::wstring& text) {
  std::wstring out = replaceForbidden(text);
  out = replaceAll(out, L"&", L"&amp;");
  out = replaceAll(out, L"\"", L"&quot;");
  out = replaceAll(out, L"<", L"&lt;");
  out = replaceAll(out, L">", L"&gt;");
  return out;
}

std::wstring escapeCData(const std::wstring& text) { return replaceAll(replaceForbidden(text), L"]]>", L"] ] >"); }

}  // namespace output

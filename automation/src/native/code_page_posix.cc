#include "native/code_page.h"

#include <iconv.h>

#include <fmt/xchar.h>

#include <cerrno>
#include <vector>

#include "native/ascii_text.h"

namespace ssapi::native {

// One converter per direction, reset before each use. iconv_t keeps state,
// so a CodePage must not be used from two threads at once; the library is
// single-threaded.
struct CodePage::Converters {
  iconv_t toUtf32 = reinterpret_cast<iconv_t>(-1);
  iconv_t fromUtf32 = reinterpret_cast<iconv_t>(-1);
  ~Converters() {
    if (toUtf32 != reinterpret_cast<iconv_t>(-1)) iconv_close(toUtf32);
    if (fromUtf32 != reinterpret_cast<iconv_t>(-1)) iconv_close(fromUtf32);
  }
};

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// The iconv name of a Windows code page number or name.
std::string iconvName(std::string_view name) {
  if (allDigits(name)) {
    if (name == "65001") return "UTF-8";
    return "CP" + std::string(name);
  }
  return std::string(name);
}

wchar_t fromUtf32le(const char* p) {
  return static_cast<wchar_t>(static_cast<std::uint32_t>(static_cast<unsigned char>(p[0])) |
                              (static_cast<std::uint32_t>(static_cast<unsigned char>(p[1])) << 8) |
                              (static_cast<std::uint32_t>(static_cast<unsigned char>(p[2])) << 16) |
                              (static_cast<std::uint32_t>(static_cast<unsigned char>(p[3])) << 24));
}

}  // namespace

Status CodePage::open(std::string_view name, CodePage* out) {
  std::string iconvCodeSet = iconvName(name);
  auto converters = std::make_shared<Converters>();
  converters->toUtf32 = iconv_open("UTF-32LE", iconvCodeSet.c_str());
  converters->fromUtf32 = iconv_open(iconvCodeSet.c_str(), "UTF-32LE");
  if (converters->toUtf32 == kNoConverter || converters->fromUtf32 == kNoConverter) {
    return failure(E_INVALIDARG, fmt::format(L"The code page \"{}\" is not known to this system",
                                             std::wstring(name.begin(), name.end())));
  }
  CodePage page;
  page.name_ = std::string(name);
  page.converters_ = std::move(converters);
  std::string upper = upperAscii(iconvCodeSet);
  page.windows1252_ = upper == "CP1252" || upper == "WINDOWS-1252";
  // Every code page Windows uses as an ANSI code page keeps ASCII as it is;
  // checking lets decode() skip iconv for the usual all-ASCII text.
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
  std::wstring text;
  if (asciiCompatible_) {
    bool ascii = true;
    for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return std::wstring(bytes.begin(), bytes.end());
  }
  if (!converters_) return std::wstring(bytes.begin(), bytes.end());
  iconv_t cd = converters_->toUtf32;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  text.reserve(bytes.size());
  std::vector<char> buffer(bytes.size() * 4 + 16);
  std::string input(bytes);
  char* in = input.data();
  std::size_t inLeft = input.size();
  while (inLeft > 0) {
    char* out = buffer.data();
    std::size_t outLeft = buffer.size();
    std::size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
    int error = errno;
    for (const char* p = buffer.data(); p + 4 <= out; p += 4) text += fromUtf32le(p);
    if (result != static_cast<std::size_t>(-1)) break;
    if (error == E2BIG) continue;
    // An invalid or incomplete sequence: one replacement per byte, then on.
    auto byte = static_cast<unsigned char>(*in);
    bool unassigned1252 = byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
    text += (windows1252_ && unassigned1252) ? static_cast<wchar_t>(byte) : L'\uFFFD';
    ++in;
    --inLeft;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return text;
}

bool CodePage::encode(std::wstring_view text, std::string* bytes) const {
  if (!converters_) return false;
  std::string input;
  input.reserve(text.size() * 4);
  for (wchar_t c : text) {
    auto value = static_cast<std::uint32_t>(c);
    for (int shift = 0; shift < 32; shift += 8) input += static_cast<char>((value >> shift) & 0xFF);
  }
  iconv_t cd = converters_->fromUtf32;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string output;
  std::vector<char> buffer(text.size() * 4 + 16);
  char* in = input.data();
  std::size_t inLeft = input.size();
  while (inLeft > 0) {
    char* out = buffer.data();
    std::size_t outLeft = buffer.size();
    std::size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
    int error = errno;
    output.append(buffer.data(), out);
    if (result == static_cast<std::size_t>(-1) && error != E2BIG) return false;
  }
  char* out = buffer.data();
  std::size_t outLeft = buffer.size();
  iconv(cd, nullptr, nullptr, &out, &outLeft);  // ends a stateful encoding's shift state
  output.append(buffer.data(), out);
  *bytes = std::move(output);
  return true;
}

}  // namespace ssapi::native

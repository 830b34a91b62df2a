#include "text/journal_format.h"

#include <cstdio>

#include "model/names.h"
#include "platform/text_encoding.h"
#include "text/sha256.h"

namespace ssapi::text {
namespace {

bool needsQuotes(std::wstring_view word) {
  if (word.empty() || word.front() == L'#') return true;
  for (wchar_t c : word) {
    if (c <= L' ' || c == L'"' || c == L'\\' || c == 0x7F) return true;
  }
  return false;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int* year, unsigned* month, unsigned* day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *day = doy - (153 * mp + 2) / 5 + 1;
  *month = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(y + (*month <= 2));
}

}  // namespace

std::string encodeWord(std::wstring_view word) {
  if (!needsQuotes(word)) return platform::wideToUtf8(word);
  std::string out = "\"";
  for (wchar_t c : word) {
    switch (c) {
      case L'\\': out += "\\\\"; break;
      case L'"': out += "\\\""; break;
      case L'\n': out += "\\n"; break;
      case L'\r': out += "\\r"; break;
      case L'\t': out += "\\t"; break;
      default:
        if (c < L' ' || c == 0x7F) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(c));
          out += escape;
        } else {
          out += platform::wideToUtf8(std::wstring_view(&c, 1));
        }
    }
  }
  out += '"';
  return out;
}

bool splitLine(std::string_view line, std::vector<std::wstring>* words, std::wstring* problem) {
  words->clear();
  std::size_t i = 0;
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (i < line.size()) {
    if (blank(line[i])) {
      ++i;
      continue;
    }
    if (line[i] != '"') {
      std::size_t start = i;
      while (i < line.size() && !blank(line[i])) {
        if (line[i] == '"' || line[i] == '\\') {
          *problem = L"a quote or backslash inside an unquoted word";
          return false;
        }
        ++i;
      }
      words->push_back(platform::utf8ToWide(line.substr(start, i - start)));
      continue;
    }
    ++i;
    std::string bytes;
    bool closed = false;
    while (i < line.size()) {
      char c = line[i++];
      if (c == '"') {
        closed = true;
        break;
      }
      if (c != '\\') {
        bytes += c;
        continue;
      }
      if (i >= line.size()) break;
      char e = line[i++];
      switch (e) {
        case '\\': bytes += '\\'; break;
        case '"': bytes += '"'; break;
        case 'n': bytes += '\n'; break;
        case 'r': bytes += '\r'; break;
        case 't': bytes += '\t'; break;
        case 'x': {
          int high = i < line.size() ? hexValue(line[i]) : -1;
          int low = i + 1 < line.size() ? hexValue(line[i + 1]) : -1;
          if (high < 0 || low < 0 || high > 7) {
            *problem = L"a bad \\x escape";
            return false;
          }
          bytes += static_cast<char>(high * 16 + low);
          i += 2;
          break;
        }
        default: *problem = L"an unknown escape \\" + platform::utf8ToWide(std::string(1, e)); return false;
      }
    }
    if (!closed) {
      *problem = L"an unterminated quoted word";
      return false;
    }
    if (i < line.size() && !blank(line[i])) {
      *problem = L"no blank after a quoted word";
      return false;
    }
    words->push_back(platform::utf8ToWide(bytes));
  }
  return true;
}

std::string formatUtc(std::int64_t seconds) {
  std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  std::int64_t rest = seconds - days * 86400;
  int year = 0;
  unsigned month = 0;
  unsigned day = 0;
  civilFromDays(days, &year, &month, &day);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", year, month, day, static_cast<int>(rest / 3600),
                static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
  return text;
}

bool parseUtc(std::wstring_view text, std::int64_t* seconds) {
  // YYYY-MM-DDTHH:MM:SSZ
  if (text.size() != 20 || text[4] != L'-' || text[7] != L'-' || text[10] != L'T' || text[13] != L':' ||
      text[16] != L':' || text[19] != L'Z') {
    return false;
  }
  auto number = [&](std::size_t at, std::size_t digits, int* value) {
    *value = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
      if (text[i] < L'0' || text[i] > L'9') return false;
      *value = *value * 10 + (text[i] - L'0');
    }
    return true;
  };
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!number(0, 4, &year) || !number(5, 2, &month) || !number(8, 2, &day) || !number(11, 2, &hour) ||
      !number(14, 2, &minute) || !number(17, 2, &second)) {
    return false;
  }
  if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59) return false;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) return false;
  *seconds = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 + hour * 3600 +
             minute * 60 + second;
  return true;
}

std::string contentHash(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 0x100000001b3ULL;
  }
  char text[20];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

bool validContentName(std::wstring_view name) {
  if (name.size() < 16) return false;
  for (std::size_t i = 0; i < 16; ++i) {
    wchar_t c = name[i];
    if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) return false;
  }
  if (name.size() == 16) return true;
  if (name[16] != L'-' || name.size() == 17) return false;
  for (std::size_t i = 17; i < name.size(); ++i)
    if (name[i] < L'0' || name[i] > L'9') return false;
  return true;
}

std::string contentPath(std::string_view name) {
  return std::string(kContentsFolder) + "/" + std::string(name.substr(0, 2)) + "/" + std::string(name);
}

std::string saltFor(std::wstring_view user) {
  return sha256Hex("quillgate salt:" + platform::wideToUtf8(model::foldName(user))).substr(0, 16);
}

std::string passwordHash(std::string_view salt, std::wstring_view password) {
  return sha256Hex(std::string(salt) + ":" + platform::wideToUtf8(password));
}

}  // namespace ssapi::text

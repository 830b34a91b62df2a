#include "native/physical_name.h"

#include "native/bytes.h"

namespace ssapi::native {
namespace {

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool isPhysicalName(std::string_view name) {
  if (name.size() != 8) return false;
  for (char c : name) {
    if (!isAsciiLetter(c)) return false;
  }
  return true;
}

std::optional<std::string> readPhysicalName(std::string_view bytes, std::size_t offset, std::size_t size) {
  std::string name = readText(bytes, offset, size);
  if (name.empty()) return name;
  if (!isPhysicalName(name)) return std::nullopt;
  for (char& c : name) c = upper(c);
  return name;
}

std::uint64_t physicalNumber(std::string_view name) {
  std::uint64_t number = 0;
  for (std::size_t i = name.size(); i-- > 0;) number = number * 26 + static_cast<std::uint64_t>(upper(name[i]) - 'A');
  return number;
}

std::string physicalNameOf(std::uint64_t number) {
  std::string name(8, 'A');
  for (char& c : name) {
    c = static_cast<char>('A' + number % 26);
    number /= 26;
  }
  return name;
}

}  // namespace ssapi::native

#include "model/names.h"

#include "platform/letter_case.h"

namespace ssapi::model {

wchar_t foldChar(wchar_t c) {
  if (c >= L'A' && c <= L'Z') return static_cast<wchar_t>(c - L'A' + L'a');
  if (c >= 0x80) return platform::lowerCaseLetter(c);
  return c;
}

std::wstring foldName(std::wstring_view name) {
  std::wstring folded(name);
  for (wchar_t& c : folded) c = foldChar(c);
  return folded;
}

bool sameName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] && foldChar(a[i]) != foldChar(b[i])) return false;
  return true;
}

std::uint64_t nameKey(std::wstring_view name) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (wchar_t c : name) {
    hash ^= static_cast<std::uint64_t>(foldChar(c));
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

std::optional<std::wstring> nameProblem(std::wstring_view name) {
  if (name.empty()) return L"the name is empty";
  if (name == L"." || name == L"..") return L"the name \"" + std::wstring(name) + L"\" is reserved";
  if (name.front() == L'$') return L"the name \"" + std::wstring(name) + L"\" starts with \"$\"";
  for (wchar_t c : name) {
    if (c == L'/' || c == L'\\') return L"the name \"" + std::wstring(name) + L"\" holds a path separator";
    if (c == L'\0') return L"the name holds a NUL character";
    if (c < 0x20 || c == 0x7F) return L"the name holds a control character";
  }
  return std::nullopt;
}

std::optional<std::vector<std::wstring>> splitSpec(std::wstring_view spec) {
  if (spec.empty() || spec.front() != L'$') return std::nullopt;
  if (spec.size() > 1 && spec[1] != L'/' && spec[1] != L'\\') return std::nullopt;
  std::vector<std::wstring> components;
  std::size_t pos = 1;
  while (pos < spec.size()) {
    while (pos < spec.size() && (spec[pos] == L'/' || spec[pos] == L'\\')) ++pos;
    std::size_t end = pos;
    while (end < spec.size() && spec[end] != L'/' && spec[end] != L'\\') ++end;
    if (end > pos) components.emplace_back(spec.substr(pos, end - pos));
    pos = end;
  }
  return components;
}

std::wstring joinSpec(const std::vector<std::wstring>& components) {
  std::wstring spec = L"$/";
  for (std::size_t i = 0; i < components.size(); ++i) {
    if (i > 0) spec += L'/';
    spec += components[i];
  }
  return spec;
}

std::wstring childSpec(std::wstring_view parentSpec, std::wstring_view name) {
  std::wstring spec(parentSpec);
  if (spec.empty() || spec.back() != L'/') spec += L'/';
  spec += name;
  return spec;
}

std::wstring parentSpec(std::wstring_view spec) {
  std::size_t slash = spec.find_last_of(L'/');
  if (slash == std::wstring_view::npos || slash <= 1) return L"$/";
  return std::wstring(spec.substr(0, slash));
}

std::wstring lastComponent(std::wstring_view spec) {
  if (spec.size() <= 2) return L"";
  std::size_t slash = spec.find_last_of(L'/');
  if (slash == std::wstring_view::npos) return std::wstring(spec);
  return std::wstring(spec.substr(slash + 1));
}

}  // namespace ssapi::model

#include "navigation/name_case.h"

#include <clocale>
#include <cstring>

#include "platform/letter_case.h"

namespace navigation {
namespace {

// towlower knows only ASCII in the "C" locale (Windows' lower-casing needs
// no locale, and there the call changes nothing). The program never chooses a
// locale of its own, so the first lookup moves the character classes to
// UTF-8 unless someone already chose a locale.
void ensureUnicodeCharacterClasses() {
  static const bool done = [] {
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    if (current && (std::strcmp(current, "C") == 0 || std::strcmp(current, "POSIX") == 0))
      std::setlocale(LC_CTYPE, "C.UTF-8");
    return true;
  }();
  (void)done;
}

}  // namespace

std::wstring lowerCaseName(std::wstring name) {
  bool needsTable = false;
  for (wchar_t& c : name) {
    if (c >= L'A' && c <= L'Z')
      c = static_cast<wchar_t>(c - L'A' + L'a');
    else if (c >= 0x80)
      needsTable = true;
  }
  if (!needsTable) return name;
  ensureUnicodeCharacterClasses();
  for (wchar_t& c : name)
    if (c >= 0x80) c = platform::lowerCaseLetter(c);
  return name;
}

bool sameNameIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() && lowerCaseName(a) == lowerCaseName(b);
}

namespace {

std::size_t withoutTrailingSlashes(const std::wstring& text) {
  std::size_t size = text.size();
  while (size > 0 && text[size - 1] == L'/') --size;
  return size;
}

}  // namespace

bool isInsideProject(const std::wstring& spec, const std::wstring& project) {
  const std::size_t base = withoutTrailingSlashes(project);
  const std::size_t length = withoutTrailingSlashes(spec);
  if (length < base) return false;
  if (lowerCaseName(spec.substr(0, base)) != lowerCaseName(project.substr(0, base))) return false;
  return length == base || spec[base] == L'/';
}

std::wstring pathInsideProject(const std::wstring& spec, const std::wstring& project) {
  if (!isInsideProject(spec, project)) return L"";
  const std::size_t base = withoutTrailingSlashes(project);
  const std::size_t length = withoutTrailingSlashes(spec);
  return length <= base + 1 ? L"" : spec.substr(base + 1, length - base - 1);
}

std::wstring childSpec(const std::wstring& project, const std::wstring& name) {
  if (!project.empty() && project.back() == L'/') return project + name;
  return project + L"/" + name;
}

}  // namespace navigation

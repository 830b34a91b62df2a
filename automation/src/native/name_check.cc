#include "native/name_check.h"

#include <fmt/xchar.h>

#include <optional>
#include <string>

#include "model/names.h"

namespace ssapi::native {
namespace {

// Control characters and quotes shown as escapes, so that the description
// itself stays one readable line.
std::wstring shown(std::wstring_view text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c < 0x20 || c == 0x7F || c == L'"' || c == L'\\') {
      out += fmt::format(L"\\x{:02X}", static_cast<unsigned>(c));
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::wstring> problemOf(std::wstring_view name) {
  if (std::optional<std::wstring> problem = model::nameProblem(name)) return problem;
  if (name.find(L':') != std::wstring_view::npos) return L"it holds a \":\"";
  return std::nullopt;
}

}  // namespace

Status checkItemName(std::wstring_view name, std::wstring_view file, std::uint64_t offset) {
  if (std::optional<std::wstring> problem = problemOf(name)) {
    return corruptAt(file, offset, fmt::format(L"the name \"{}\" cannot be an item's name ({})", shown(name), *problem));
  }
  return success();
}

Status checkStoredSpec(std::wstring_view spec, std::wstring_view file, std::uint64_t offset) {
  if (spec.empty()) return success();
  std::optional<std::vector<std::wstring>> parts = model::splitSpec(spec);
  if (!parts) return corruptAt(file, offset, fmt::format(L"\"{}\" is no SourceSafe spec", shown(spec)));
  for (const std::wstring& part : *parts) {
    if (std::optional<std::wstring> problem = problemOf(part)) {
      return corruptAt(file, offset,
                       fmt::format(L"the spec \"{}\" holds the name \"{}\" ({})", shown(spec), shown(part), *problem));
    }
  }
  return success();
}

}  // namespace ssapi::native

// SourceSafe names and specs: case folding, the names we accept, and the
// splitting of a spec ("$/a/b", "$\a\b") into its components.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ssapi::model {

// SourceSafe compares names without regard to letter case.
wchar_t foldChar(wchar_t c);
std::wstring foldName(std::wstring_view name);
bool sameName(std::wstring_view a, std::wstring_view b);
// A hash of the folded name, for indexes that must not hold the names themselves.
std::uint64_t nameKey(std::wstring_view name);

// Why a name cannot be an item name, or nullopt when it can. A name must be
// writable to disk as one path component: not empty, not "." or "..", no "/",
// "\", NUL or other control character; and no leading "$", which SourceSafe
// uses to mark project names in its texts.
std::optional<std::wstring> nameProblem(std::wstring_view name);

// The components of a spec below the root: "$/" gives none, "$/a\b/" gives
// {"a", "b"}. Both separators count, empty components are skipped. nullopt
// when the text does not start with "$" followed by a separator or nothing.
std::optional<std::vector<std::wstring>> splitSpec(std::wstring_view spec);

// "$/" for no components, else "$/a/b".
std::wstring joinSpec(const std::vector<std::wstring>& components);
std::wstring childSpec(std::wstring_view parentSpec, std::wstring_view name);
// The spec of the containing project ("$/" for a child of the root).
std::wstring parentSpec(std::wstring_view spec);
// The last component ("" for the root).
std::wstring lastComponent(std::wstring_view spec);

}  // namespace ssapi::model

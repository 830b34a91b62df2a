#include "history/action_text.h"

#include <cwchar>

namespace history {
namespace {

constexpr const wchar_t* kBlank = L" \t\r\n\v\f";

}  // namespace

std::wstring trimBlank(const std::wstring& text) {
  const std::size_t first = text.find_first_not_of(kBlank);
  if (first == std::wstring::npos) return L"";
  const std::size_t last = text.find_last_not_of(kBlank);
  return text.substr(first, last - first + 1);
}

bool beginsWithKeyword(const std::wstring& text, const wchar_t* keyword) {
  return text.compare(0, std::wcslen(keyword), keyword) == 0;
}

bool stripKeyword(std::wstring& text, const wchar_t* keyword) {
  if (!beginsWithKeyword(text, keyword)) return false;
  text = trimBlank(text.substr(std::wcslen(keyword)));
  return true;
}

std::wstring dropFront(const std::wstring& text, std::size_t count) {
  return count < text.size() ? text.substr(count) : std::wstring();
}

std::wstring dropLeading(const std::wstring& text, wchar_t c) {
  const std::size_t first = text.find_first_not_of(c);
  return first == std::wstring::npos ? std::wstring() : text.substr(first);
}

std::wstring dropTrailing(const std::wstring& text, wchar_t c) {
  const std::size_t last = text.find_last_not_of(c);
  return last == std::wstring::npos ? std::wstring() : text.substr(0, last + 1);
}

std::vector<NameSplit> splitsAtTo(const std::wstring& text) { return splitsAt(text, L" to "); }

std::vector<NameSplit> splitsAt(const std::wstring& text, const std::wstring& separator) {
  std::vector<NameSplit> splits;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t idx = text.find(separator, pos);
    if (idx == std::wstring::npos) break;
    pos = idx + separator.size();
    splits.push_back({trimBlank(text.substr(0, idx)), trimBlank(text.substr(pos))});
  }
  return splits;
}

}  // namespace history

// Reading SourceSafe's action texts ("Checked in $/proj", "Added $sub",
// "Renamed a.txt to b.txt"): keywords, trimming, and the candidate splits of
// a two-name text.
#pragma once

#include <string>
#include <vector>

namespace history {

// The text without white space (blank, tab, CR, LF, VT, FF) at either end.
std::wstring trimBlank(const std::wstring& text);

// True when the text begins with the keyword (exact; no blank needed after
// it). Only then does the text become what follows the keyword, trimmed.
bool stripKeyword(std::wstring& text, const wchar_t* keyword);

// The same test without changing the text.
bool beginsWithKeyword(const std::wstring& text, const wchar_t* keyword);

// The text without its first `count` characters (empty when it is shorter).
std::wstring dropFront(const std::wstring& text, std::size_t count);

// Removes every leading `c`.
std::wstring dropLeading(const std::wstring& text, wchar_t c);
// Removes every trailing `c`.
std::wstring dropTrailing(const std::wstring& text, wchar_t c);

// One way to read "<from> to <to>": the names on either side of one " to ",
// both trimmed.
struct NameSplit {
  std::wstring fromName;
  std::wstring toName;
};

// Every split at an occurrence of " to ", left to right. Names may hold
// " to " themselves, so the caller tries the splits in turn until one names
// something that exists. The search for the next occurrence starts after the
// previous one, so overlapping occurrences ("a to to b") give one split.
std::vector<NameSplit> splitsAtTo(const std::wstring& text);
// The same for another separator (" from " of a move's arriving side).
std::vector<NameSplit> splitsAt(const std::wstring& text, const std::wstring& separator);

}  // namespace history

// What a caller of the automation interfaces sees of a whole database, as
// lines of text that two databases can be compared by: every item reached
// from "$/" (deleted ones included) with its type, flags and versions, each
// project's children at each of its versions, each file's links and the
// content of each of its versions.
#pragma once

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "../support/ssapi_test_util.h"
#include "platform/com_registry.h"
#include "platform/error_info.h"
#include "platform/text_encoding.h"
#include "ssapi/library.h"
#include "ssapi/ssapi.h"

namespace nativetest {

inline std::wstring widePath(const std::filesystem::path& path) { return platform::utf8ToWide(path.string()); }

// A database object made through the class registry, as the program makes it.
template <class G>
ComPtr<ssapi::IVSSDatabaseT<G>> createDatabase() {
  ssapi::installLibrary();
  ComPtr<ssapi::IVSSDatabaseT<G>> db;
  EXPECT_EQ(CoCreateInstance(ssapi::CLSID_VSSDatabase, nullptr, CLSCTX_ALL, ssapi::IVSSDatabaseT<G>::iid(),
                             reinterpret_cast<void**>(db.put())),
            S_OK);
  return db;
}

// The database in `folder` opened as "Admin" with the empty password; null
// (with a test failure) when Open fails.
template <class G>
ComPtr<ssapi::IVSSDatabaseT<G>> openFolder(const std::filesystem::path& folder) {
  auto db = createDatabase<G>();
  HRESULT hr = db->Open(widePath(folder / "srcsafe.ini"), L"Admin", L"");
  EXPECT_EQ(hr, S_OK) << ssapitest::failure(hr);
  return SUCCEEDED(hr) ? db : nullptr;
}

// Bytes as text: printable ASCII kept, everything else as \xNN.
inline std::string printable(const std::string& bytes) {
  std::string text;
  for (unsigned char c : bytes)
    text += c >= 0x20 && c < 0x7F && c != '\\' ? std::string(1, static_cast<char>(c)) : fmt::format("\\x{:02x}", c);
  return text;
}

inline std::string utf8(const std::wstring& text) { return platform::wideToUtf8(text); }

// The line of a project's children at one of its versions: "  at v3: a.txt@1 | q@2 (deleted)".
constexpr const char* kChildrenAt = "  at v";
constexpr const char* kChildSeparator = " | ";

template <class G>
void describeItem(const ComPtr<ssapi::IVSSItemT<G>>& it, std::vector<std::string>* lines) {
  using namespace ssapitest;
  std::wstring spec, name;
  int type = -1;
  LONG version = 0;
  VARIANT_BOOL deleted = VARIANT_FALSE, binary = VARIANT_FALSE;
  EXPECT_EQ(it->get_Spec(&spec), S_OK);
  EXPECT_EQ(it->get_Name(&name), S_OK);
  EXPECT_EQ(it->get_Type(&type), S_OK);
  EXPECT_EQ(it->get_VersionNumber(&version), S_OK);
  EXPECT_EQ(it->get_Deleted(&deleted), S_OK);
  EXPECT_EQ(it->get_Binary(&binary), S_OK);
  lines->push_back(fmt::format("{} {} name={} version={}{}{}", type == ssapi::VSSITEM_PROJECT ? "project" : "file",
                               utf8(spec), utf8(name), version, deleted ? " deleted" : "", binary ? " binary" : ""));
  std::vector<LONG> numbers;
  for (const VersionRow& row : versions<G>(it)) {
    // Seconds since 1970 of the date shown: both forms must show the same wall clock.
    auto seconds = std::llround((row.date - 25569.0) * 86400.0);
    lines->push_back(
        fmt::format("  v{} \"{}\" user={} comment=\"{}\" label=\"{}\" labelComment=\"{}\" date={} item={}@{}",
                    row.number, utf8(row.action), utf8(row.user), utf8(row.comment), utf8(row.label),
                    utf8(row.labelComment), seconds, utf8(row.spec), row.itemVersion));
    numbers.push_back(row.number);
  }
  if (type == ssapi::VSSITEM_PROJECT) {
    for (LONG v : numbers) {
      std::string listed;
      for (const auto& child : children<G>(atVersion<G>(it, v), true)) {
        std::wstring childName;
        LONG childVersion = 0;
        VARIANT_BOOL childDeleted = VARIANT_FALSE;
        child->get_Name(&childName);
        child->get_VersionNumber(&childVersion);
        child->get_Deleted(&childDeleted);
        listed += fmt::format("{}{}@{}{}", listed.empty() ? "" : kChildSeparator, utf8(childName), childVersion,
                              childDeleted ? " (deleted)" : "");
      }
      lines->push_back(fmt::format("{}{}: {}", kChildrenAt, v, listed));
    }
    for (const auto& child : children<G>(it, true)) describeItem<G>(child, lines);
    return;
  }
  ComPtr<ssapi::IVSSItemsT<G>> links;
  HRESULT hr = it->get_Links(links.put());
  EXPECT_EQ(hr, S_OK) << failure(hr);
  if (links) {
    for (const auto& link : itemsOf<G>(links)) {
      LONG linkVersion = 0;
      VARIANT_BOOL linkDeleted = VARIANT_FALSE;
      link->get_VersionNumber(&linkVersion);
      link->get_Deleted(&linkDeleted);
      lines->push_back(
          fmt::format("  link {}@{}{}", utf8(specOf<G>(link)), linkVersion, linkDeleted ? " deleted" : ""));
    }
  }
  lines->push_back("  content: " + printable(content<G>(it)));
  for (LONG v : numbers)
    lines->push_back(fmt::format("  content v{}: {}", v, printable(content<G>(atVersion<G>(it, v)))));
}

// The whole database from "$/".
template <class G>
std::vector<std::string> describeDatabase(const ComPtr<ssapi::IVSSDatabaseT<G>>& db) {
  std::vector<std::string> lines;
  if (!db) return lines;
  auto root = ssapitest::item<G>(db, L"$/");
  if (!root) return lines;
  describeItem<G>(root, &lines);
  // The history of everything, as the history command asks for it, newest
  // first. SourceSafe's files keep times to the second and nothing orders
  // the records of different items within one second, so those are compared
  // as a set: each run of one date is sorted.
  std::vector<std::pair<long long, std::string>> merged;
  for (const ssapitest::VersionRow& row : ssapitest::versions<G>(root, ssapi::VSSFLAG_RECURSYES)) {
    long long seconds = std::llround((row.date - 25569.0) * 86400.0);
    merged.emplace_back(seconds, fmt::format("recursive {} {} v{} \"{}\"", seconds, utf8(row.spec), row.number,
                                             utf8(row.action)));
  }
  for (std::size_t from = 0; from < merged.size();) {
    std::size_t to = from;
    while (to < merged.size() && merged[to].first == merged[from].first) ++to;
    std::sort(merged.begin() + static_cast<std::ptrdiff_t>(from), merged.begin() + static_cast<std::ptrdiff_t>(to));
    from = to;
  }
  for (const auto& [seconds, line] : merged) lines.push_back(line);
  return lines;
}

inline std::vector<std::string> splitChildren(const std::string& listed) {
  std::vector<std::string> parts;
  if (listed.empty()) return parts;
  std::size_t at = 0;
  while (true) {
    std::size_t next = listed.find(kChildSeparator, at);
    parts.push_back(listed.substr(at, next == std::string::npos ? std::string::npos : next - at));
    if (next == std::string::npos) return parts;
    at = next + std::string(kChildSeparator).size();
  }
}

// SourceSafe's files lose an item destroyed or archived away, and the older
// versions of its project leave it out. Drops from `other`'s children lines
// the children `lines` does not list at the same project version, where
// what is left of `other`'s line is then `lines`' line; answers how many.
inline std::size_t dropGoneChildren(const std::vector<std::string>& lines, std::vector<std::string>* other) {
  std::size_t dropped = 0;
  for (std::size_t i = 0; i < lines.size() && i < other->size(); ++i) {
    const std::string& mine = lines[i];
    std::string& theirs = (*other)[i];
    std::size_t colon = mine.find(": ");
    if (mine.rfind(kChildrenAt, 0) != 0 || colon == std::string::npos ||
        theirs.compare(0, colon + 2, mine, 0, colon + 2) != 0 || mine == theirs) {
      continue;
    }
    std::vector<std::string> a = mine.size() > colon + 2 ? splitChildren(mine.substr(colon + 2)) : std::vector<std::string>{};
    std::vector<std::string> b = splitChildren(theirs.substr(colon + 2));
    // `a` must be `b` with some children left out, in the same order.
    std::size_t k = 0;
    for (const std::string& child : b) {
      if (k < a.size() && a[k] == child) ++k;
    }
    if (k != a.size() || b.size() <= a.size()) continue;
    dropped += b.size() - a.size();
    theirs = mine;
  }
  return dropped;
}

// The same for the recursive history: the versions of items whose files are
// gone cannot be listed from SourceSafe's files. The lines `lines` lack must
// be the only difference; they are dropped from `other`. A version made
// while its item stood in a gone project is named where the item is now
// (see acceptPlacesInGoneProjects), so the names are not compared here.
inline std::size_t dropGoneHistory(const std::vector<std::string>& lines, std::vector<std::string>* other) {
  // "recursive <seconds> <spec> v<n> ..." without the spec.
  auto withoutSpec = [](const std::string& line) {
    std::size_t seconds = line.find(' ');
    std::size_t spec = line.find(' ', seconds + 1);
    std::size_t version = line.find(" v", spec);
    return line.substr(0, spec) + line.substr(version);
  };
  std::vector<std::string> kept;
  std::size_t at = 0;
  std::size_t dropped = 0;
  for (const std::string& line : *other) {
    const bool recursive = line.rfind("recursive ", 0) == 0;
    if (at < lines.size() && (lines[at] == line || (recursive && lines[at].rfind("recursive ", 0) == 0 &&
                                                    withoutSpec(lines[at]) == withoutSpec(line)))) {
      kept.push_back(lines[at++]);
    } else if (recursive) {
      ++dropped;
    } else {
      kept.push_back(line);
    }
  }
  *other = std::move(kept);
  return dropped;
}

// An item's versions made while it stood in a project whose files are gone
// cannot be named where they were: SourceSafe's files name them where the
// item is now. Version lines that differ only in that name are taken as they
// are in `lines`.
inline std::size_t acceptPlacesInGoneProjects(const std::vector<std::string>& lines, std::vector<std::string>* other) {
  auto withoutPlace = [](const std::string& line) { return line.substr(0, line.find(" item=")); };
  std::size_t accepted = 0;
  for (std::size_t i = 0; i < lines.size() && i < other->size(); ++i) {
    std::string& theirs = (*other)[i];
    if (lines[i] != theirs && lines[i].rfind("  v", 0) == 0 && withoutPlace(lines[i]) == withoutPlace(theirs)) {
      theirs = lines[i];
      ++accepted;
    }
  }
  return accepted;
}

// Equal line lists, or the first difference with the lines around it.
inline ::testing::AssertionResult sameLines(const std::vector<std::string>& actual,
                                            const std::vector<std::string>& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  auto result = ::testing::AssertionFailure();
  result << "first difference at line " << at + 1 << " (of " << actual.size() << " and " << expected.size() << ")\n";
  std::size_t from = at >= 3 ? at - 3 : 0;
  for (std::size_t i = from; i < at; ++i) result << "    " << actual[i] << "\n";
  for (std::size_t i = at; i < std::min(actual.size(), at + 4); ++i) result << "  - " << actual[i] << "\n";
  for (std::size_t i = at; i < std::min(expected.size(), at + 4); ++i) result << "  + " << expected[i] << "\n";
  return result;
}

}  // namespace nativetest

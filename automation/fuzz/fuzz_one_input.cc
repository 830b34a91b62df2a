#include "fuzz_one_input.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "native/bytes.h"
#include "native/code_page.h"
#include "native/delta.h"
#include "native/entry_identity.h"
#include "native/item_file.h"
#include "native/name_check.h"
#include "native/names_file.h"
#include "native/project_entries.h"
#include "native/srcsafe_ini.h"
#include "native/users_file.h"
#include "native/version_walk.h"

namespace quillgate::fuzz {
namespace {

using namespace ssapi::native;

// Small enough for libFuzzer's memory limit, large enough for real files.
constexpr std::size_t kMaxContent = std::size_t{1} << 22;

// ANSI bytes as the Latin-1 characters of the same numbers: names reach the
// checks whatever the code page would make of them.
std::wstring widened(std::string_view bytes) {
  std::wstring text;
  for (char c : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return text;
}

// Splits "u32 length, first part, rest".
void split(std::string_view input, std::string_view* first, std::string_view* rest) {
  std::uint32_t length = readU32(input, 0);
  input.remove_prefix(std::min<std::size_t>(4, input.size()));
  std::size_t cut = std::min<std::size_t>(length, input.size());
  *first = input.substr(0, cut);
  *rest = input.substr(cut);
}

Status fuzzItemFile(std::string_view input) {
  std::string_view item;
  std::string_view data;
  split(input, &item, &data);
  ItemFile parsed;
  if (Status status = parseItemFile(std::string(item), L"item", &parsed); !status.ok()) return status;
  if (parsed.header.isProject()) {
    std::vector<ProjectEntry> entries;
    if (Status status = parseProjectEntries(data, L"data", &entries); !status.ok()) return status;
    if (Status status = checkEntryCounts(parsed.header.project, entries, L"data"); !status.ok()) return status;
    // Each entry's name, and the item itself held against each entry as if
    // it pointed there: the checks a load makes of a child.
    ItemIdentity identity = identityOf(parsed, widened(parsed.header.name.shortName));
    for (const ProjectEntry& entry : entries) {
      std::wstring name = widened(entry.name.shortName);
      (void)checkItemName(name, L"data", entry.offset);
      (void)checkIdentity(identity, EntryClaim{entry.physical, L"data", entry.offset, entry.kind, name});
    }
    for (const HistoryRecord& record : parsed.history) {
      (void)checkItemName(widened(record.name.shortName), L"item", record.offset);
      (void)checkStoredSpec(widened(record.spec), L"item", record.offset);
    }
    return success();
  }
  std::string content(data);
  std::size_t total = 0;
  return walkVersions(parsed, parsed.header.lastVersion, 1, kMaxContent, &content,
                      [&](std::int32_t, const std::string& bytes) {
                        total += bytes.size();
                        return total < 4 * kMaxContent;  // bounds the work of one input
                      });
}

Status fuzzDelta(std::string_view input) {
  std::string_view newer;
  std::string_view delta;
  split(input, &newer, &delta);
  std::string older;
  return applyReverseDelta(delta, newer, kMaxContent, L"delta", 0, &older);
}

Status fuzzNames(std::string_view input) {
  NamesFile names;
  if (Status status = NamesFile::parse(std::string(input), L"names.dat", &names); !status.ok()) return status;
  std::vector<NameSet> sets;
  Status listed = names.allNameSets(&sets);
  // Name fields point anywhere in a damaged database: at the sets found,
  // and at offsets taken from the input itself. Most of these lookups fail,
  // which is expected; only the listing's outcome is reported.
  std::vector<std::uint32_t> offsets;
  for (const NameSet& set : sets) offsets.push_back(set.offset);
  for (std::size_t i = 0; i < 16; ++i) offsets.push_back(readU16(input, i * 2));
  for (std::uint32_t offset : offsets) {
    for (std::uint16_t flags : {0, 1}) {
      std::string text;
      (void)resolveName(VssName{flags, "short", offset}, &names, &text);
    }
  }
  return listed;
}

Status fuzzUsers(std::string_view input) {
  std::vector<UserRecord> users;
  if (Status status = parseUsersFile(input, L"um.dat", &users); !status.ok()) return status;
  for (const UserRecord& user : users) (void)passwordHash(user.name);
  return success();
}

Status fuzzEntries(std::string_view input) {
  std::vector<ProjectEntry> entries;
  return parseProjectEntries(input, L"entries", &entries);
}

Status fuzzIni(std::string_view input) {
  static const CodePage gbk = [] {
    CodePage page;
    (void)CodePage::open("936", &page);
    return page;
  }();
  SrcSafeIni ini;
  if (Status status = parseSrcSafeIni(input, L"srcsafe.ini", &ini); !status.ok()) return status;
  for (const auto& [key, value] : ini.settings) {
    std::wstring text = gbk.decode(value);
    std::string back;
    (void)gbk.encode(text, &back);
  }
  return success();
}

}  // namespace

Status fuzzOneInput(std::string_view input) {
  if (input.empty()) return success();
  auto selector = static_cast<std::uint8_t>(input.front());
  input.remove_prefix(1);
  switch (selector % kTargetCount) {
    case kItemFile:
      return fuzzItemFile(input);
    case kDelta:
      return fuzzDelta(input);
    case kNamesFile:
      return fuzzNames(input);
    case kUsersFile:
      return fuzzUsers(input);
    case kProjectEntries:
      return fuzzEntries(input);
    case kSrcSafeIni:
      return fuzzIni(input);
  }
  return success();
}

}  // namespace quillgate::fuzz

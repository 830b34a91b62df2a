// Feeds arbitrary bytes to every parser of the reader of SourceSafe's own
// files. A crash, a sanitizer report, a hang or an allocation beyond
// libFuzzer's limits is a defect.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "native/bytes.h"
#include "native/code_page.h"
#include "native/delta.h"
#include "native/item_file.h"
#include "native/names_file.h"
#include "native/project_entries.h"
#include "native/srcsafe_ini.h"
#include "native/users_file.h"
#include "native/version_walk.h"

namespace {

using namespace ssapi::native;
using namespace quillgate::fuzz;

// Small enough for libFuzzer's memory limit, large enough for real files.
constexpr std::size_t kMaxContent = std::size_t{1} << 22;

// Splits "u32 length, first part, rest".
void split(std::string_view input, std::string_view* first, std::string_view* rest) {
  std::uint32_t length = readU32(input, 0);
  input.remove_prefix(std::min<std::size_t>(4, input.size()));
  std::size_t cut = std::min<std::size_t>(length, input.size());
  *first = input.substr(0, cut);
  *rest = input.substr(cut);
}

void fuzzItemFile(std::string_view input) {
  std::string_view item;
  std::string_view data;
  split(input, &item, &data);
  ItemFile parsed;
  if (!parseItemFile(std::string(item), L"item", &parsed).ok()) return;
  if (parsed.header.isProject()) {
    std::vector<ProjectEntry> entries;
    (void)parseProjectEntries(data, L"data", &entries);
    return;
  }
  std::string content(data);
  std::size_t total = 0;
  (void)walkVersions(parsed, parsed.header.lastVersion, 1, kMaxContent, &content,
                     [&](std::int32_t, const std::string& bytes) {
                       total += bytes.size();
                       return total < 4 * kMaxContent;  // bounds the work of one input
                     });
}

void fuzzDelta(std::string_view input) {
  std::string_view newer;
  std::string_view delta;
  split(input, &newer, &delta);
  std::string older;
  (void)applyReverseDelta(delta, newer, kMaxContent, L"delta", 0, &older);
}

void fuzzNames(std::string_view input) {
  NamesFile names;
  if (!NamesFile::parse(std::string(input), L"names.dat", &names).ok()) return;
  std::vector<NameSet> sets;
  (void)names.allNameSets(&sets);
  // Name fields point anywhere in a damaged database: at the sets found,
  // and at offsets taken from the input itself.
  std::vector<std::uint32_t> offsets;
  for (const NameSet& set : sets) offsets.push_back(set.offset);
  for (std::size_t i = 0; i < 16; ++i) offsets.push_back(readU16(input, i * 2));
  for (std::uint32_t offset : offsets) {
    for (std::uint16_t flags : {0, 1}) {
      std::string text;
      (void)resolveName(VssName{flags, "short", offset}, &names, &text);
    }
  }
}

void fuzzUsers(std::string_view input) {
  std::vector<UserRecord> users;
  if (!parseUsersFile(input, L"um.dat", &users).ok()) return;
  for (const UserRecord& user : users) (void)passwordHash(user.name);
}

void fuzzEntries(std::string_view input) {
  std::vector<ProjectEntry> entries;
  (void)parseProjectEntries(input, L"entries", &entries);
}

void fuzzIni(std::string_view input) {
  static CodePage gbk = [] {
    CodePage page;
    (void)CodePage::open("936", &page);
    return page;
  }();
  SrcSafeIni ini;
  if (!parseSrcSafeIni(input, L"srcsafe.ini", &ini).ok()) return;
  for (const auto& [key, value] : ini.settings) {
    std::wstring text = gbk.decode(value);
    std::string back;
    (void)gbk.encode(text, &back);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % kTargetCount) {
    case kItemFile:
      fuzzItemFile(input);
      break;
    case kDelta:
      fuzzDelta(input);
      break;
    case kNamesFile:
      fuzzNames(input);
      break;
    case kUsersFile:
      fuzzUsers(input);
      break;
    case kProjectEntries:
      fuzzEntries(input);
      break;
    case kSrcSafeIni:
      fuzzIni(input);
      break;
  }
  return 0;
}

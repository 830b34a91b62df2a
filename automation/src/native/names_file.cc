#include "native/names_file.h"

#include <fmt/xchar.h>

#include "native/bytes.h"
#include "native/record.h"

namespace ssapi::native {
namespace {

constexpr std::uint32_t kHeaderBodySize = 0x50;

Status parseNameSet(const Record& record, std::wstring_view path, NameSet* set) {
  std::string_view body = record.body;
  if (body.size() < 4) return corruptAt(path, record.offset, L"the name record is too short");
  std::uint32_t count = readU16(body, 0);
  std::uint64_t area = 4 + std::uint64_t{count} * 4;
  if (area > body.size()) {
    return corruptAt(path, record.offset,
                     fmt::format(L"the name record's {} names do not fit its 0x{:x} bytes", count, body.size()));
  }
  NameSet parsed;
  parsed.offset = record.offset;
  for (std::uint32_t i = 0; i < count; ++i) {
    auto kind = static_cast<NameKind>(readU16(body, 4 + i * 4));
    std::uint64_t start = area + readU16(body, 4 + i * 4 + 2);
    if (start >= body.size()) {
      return corruptAt(path, record.offset, fmt::format(L"name {} of the name record lies beyond the record", i + 1));
    }
    parsed.names.emplace_back(kind, readText(body, start, body.size() - start));
  }
  *set = std::move(parsed);
  return success();
}

}  // namespace

const std::string* NameSet::find(NameKind kind) const {
  for (const auto& [k, text] : names) {
    if (k == kind) return &text;
  }
  return nullptr;
}

Status NamesFile::parse(std::string bytes, std::wstring path, NamesFile* out) {
  Record header;
  if (Status status = readRecord(bytes, 0, bytes.size(), "HN", path, &header); !status.ok()) return status;
  if (header.length < kHeaderBodySize) {
    return corruptAt(path, 0, fmt::format(L"the names header of 0x{:x} bytes is too short", header.length));
  }
  std::uint32_t end = readU32(header.body, 0x10);
  if (end > bytes.size()) {
    return corruptAt(
        path, 0,
        fmt::format(L"the names header says the data ends at 0x{:x}, but the file ends at 0x{:x}", end, bytes.size()));
  }
  if (end < header.end()) {
    return corruptAt(path, 0, fmt::format(L"the names header says the data ends at 0x{:x}, inside the header", end));
  }
  NamesFile parsed;
  parsed.bytes_ = std::move(bytes);
  parsed.path_ = std::move(path);
  parsed.end_ = end;
  *out = std::move(parsed);
  return success();
}

Status NamesFile::nameSet(std::uint32_t offset, NameSet* set) const {
  if (offset < kRecordHeaderSize + kHeaderBodySize) {
    return corruptAt(path_, offset, L"a name points into the names header");
  }
  Record record;
  if (Status status = readRecord(bytes_, offset, end_, "SN", path_, &record); !status.ok()) return status;
  return parseNameSet(record, path_, set);
}

Status NamesFile::allNameSets(std::vector<NameSet>* sets) const {
  std::vector<NameSet> found;
  std::uint64_t offset = kRecordHeaderSize + kHeaderBodySize;
  while (offset < end_) {
    Record record;
    if (Status status = readRecord(bytes_, offset, end_, "", path_, &record); !status.ok()) return status;
    if (record.is("SN")) {
      NameSet set;
      if (Status status = parseNameSet(record, path_, &set); !status.ok()) return status;
      found.push_back(std::move(set));
    }
    offset = record.end();
  }
  *sets = std::move(found);
  return success();
}

Status resolveName(const VssName& name, const NamesFile* names, std::string* text) {
  if (name.namesOffset != 0 && names) {
    NameSet set;
    if (Status status = names->nameSet(name.namesOffset, &set); !status.ok()) return status;
    if (const std::string* found = set.find(name.isProject() ? NameKind::kProject : NameKind::kLong)) {
      *text = *found;
      return success();
    }
  }
  *text = name.shortName;
  return success();
}

}  // namespace ssapi::native

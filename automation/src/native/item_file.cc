#include "native/item_file.h"

#include <fmt/xchar.h>

#include <algorithm>

#include "native/bytes.h"
#include "native/physical_name.h"
#include "native/record.h"

namespace ssapi::native {
namespace {

constexpr std::string_view kSignature = "SourceSafe@Microsoft";
constexpr std::uint32_t kFileHeaderSize = 0x34;
constexpr std::uint16_t kFormatVersion = 6;
constexpr std::uint32_t kHeaderBodySize = 0x164;
// The smallest history record: its common part.
constexpr std::uint32_t kSmallestHistoryRecord = kRecordHeaderSize + 0x58;

Status parseHeader(const std::string& bytes, const std::wstring& path, ItemHeader* header, Record* dh) {
  if (bytes.size() < kFileHeaderSize) {
    return corrupt(path, fmt::format(L"the file has 0x{:x} bytes, too few for its header", bytes.size()));
  }
  if (readText(bytes, 0, 32) != kSignature) return corruptAt(path, 0, L"the file header has no SourceSafe signature");
  std::uint16_t type = readU16(bytes, 0x20);
  if (type != 1 && type != 2) return corruptAt(path, 0x20, fmt::format(L"unknown item type {}", type));
  std::uint16_t format = readU16(bytes, 0x22);
  if (format != kFormatVersion) return corruptAt(path, 0x22, fmt::format(L"unknown format version {}", format));

  if (Status status = readRecord(bytes, kFileHeaderSize, bytes.size(), "DH", path, dh); !status.ok()) return status;
  std::string_view body = dh->body;
  if (body.size() < kHeaderBodySize) {
    return corruptAt(path, dh->offset, fmt::format(L"the item header of 0x{:x} bytes is too short", body.size()));
  }
  if (readU16(body, 0) != type) {
    return corruptAt(path, dh->offset,
                     fmt::format(L"the item header's type {} differs from the file's {}", readU16(body, 0), type));
  }
  header->kind = static_cast<ItemKind>(type);
  header->lastVersion = readU16(body, 0x02);
  header->name = readVssName(body, 0x04);
  header->firstVersion = readU16(body, 0x2C);
  char dot = body[0x2E];
  char letter = body[0x2F];
  if (dot != '.' || (letter != 'A' && letter != 'a' && letter != 'B' && letter != 'b')) {
    return corruptAt(
        path, dh->offset,
        fmt::format(L"the data file extension \"{}\" is neither .A nor .B", signatureText(body.substr(0x2E, 2))));
  }
  header->dataExtension = (letter == 'a' || letter == 'A') ? 'A' : 'B';
  header->firstRecordOffset = readU32(body, 0x30);
  header->lastRecordOffset = readU32(body, 0x34);
  header->eofOffset = readU32(body, 0x38);
  header->rightsOffset = readU32(body, 0x3C);
  if (header->firstVersion < 1 || header->lastVersion < header->firstVersion) {
    return corruptAt(
        path, dh->offset,
        fmt::format(L"the item header's versions {} to {} make no sense", header->firstVersion, header->lastVersion));
  }
  if (header->eofOffset > bytes.size()) {
    return corruptAt(path, dh->offset,
                     fmt::format(L"the item header says the data ends at 0x{:x}, but the file ends at 0x{:x}",
                                 header->eofOffset, bytes.size()));
  }
  if (header->eofOffset < dh->end()) {
    return corruptAt(
        path, dh->offset,
        fmt::format(L"the item header says the data ends at 0x{:x}, inside the header", header->eofOffset));
  }

  if (header->isProject()) {
    ProjectHeader& project = header->project;
    project.parentSpec = readText(body, 0x50, 260);
    std::optional<std::string> parent = readPhysicalName(body, 0x154, 12);
    if (!parent) return corruptAt(path, dh->offset, L"the parent project's name is not a physical name");
    project.parentPhysical = std::move(*parent);
    project.totalItems = readU16(body, 0x160);
    project.subprojects = readU16(body, 0x162);
  } else {
    FileHeader& file = header->file;
    file.flags = readU16(body, 0x50);
    std::optional<std::string> source = readPhysicalName(body, 0x52, 10);
    if (!source) return corruptAt(path, dh->offset, L"the branch source's name is not a physical name");
    file.branchSource = std::move(*source);
    file.lastBranchOffset = readU32(body, 0x5C);
    file.lastParentOffset = readU32(body, 0x60);
    file.branchCount = readU16(body, 0x64);
    file.parentCount = readU16(body, 0x66);
    file.checkoutOffset = readU32(body, 0x68);
    file.dataCrc = readU32(body, 0x70);
    file.lastRevisionTime = readU32(body, 0x7C);
    file.modificationTime = readU32(body, 0x80);
    file.creationTime = readU32(body, 0x84);
    file.contentKind = readU16(body, 0x98);
  }
  return success();
}

// Walks the history records from the latest back to the first kept. The
// chain only ever points backwards, which also bounds the walk.
Status readHistory(ItemFile* item) {
  const ItemHeader& header = item->header;
  const std::uint32_t limit = header.eofOffset;
  std::uint64_t count = static_cast<std::uint64_t>(header.lastVersion - header.firstVersion) + 1;
  if (count > limit / kSmallestHistoryRecord) {
    return corrupt(item->path, fmt::format(L"the item header counts {} versions, more than the file can hold", count));
  }
  std::vector<HistoryRecord> history;
  history.reserve(count);
  std::uint64_t offset = header.lastRecordOffset;
  for (std::int32_t version = header.lastVersion; version >= header.firstVersion; --version) {
    Record record;
    if (Status status = readRecord(item->bytes, offset, limit, "EL", item->path, &record); !status.ok()) return status;
    HistoryRecord rec;
    if (Status status = readHistoryRecord(item->bytes, limit, record, item->path, &rec, &item->warnings);
        !status.ok()) {
      return status;
    }
    if (rec.version != version) {
      return corruptAt(
          item->path, record.offset,
          fmt::format(L"the history record holds version {} where version {} was expected", rec.version, version));
    }
    if (version == header.firstVersion) {
      if (rec.previousOffset != 0 || record.offset != header.firstRecordOffset) {
        return corruptAt(item->path, record.offset,
                         fmt::format(L"the history record of the first version {} is not where the item header "
                                     L"says (0x{:x})",
                                     version, header.firstRecordOffset));
      }
    } else if (rec.previousOffset == 0 || rec.previousOffset >= record.offset) {
      return corruptAt(item->path, record.offset,
                       fmt::format(L"the history record of version {} points at 0x{:x} for the version before", version,
                                   rec.previousOffset));
    }
    offset = rec.previousOffset;
    history.push_back(std::move(rec));
  }
  std::reverse(history.begin(), history.end());
  item->history = std::move(history);
  return success();
}

// A chain of link records (`PF` parents, `BF` branches) from its latest
// record back; links blanked by SourceSafe are left out. Like the history,
// a chain only points backwards.
Status readLinks(const ItemFile& item, std::uint32_t last, std::string_view signature, std::vector<std::string>* out) {
  const std::uint32_t limit = item.header.eofOffset;
  std::uint64_t offset = last;
  while (offset != 0) {
    Record record;
    if (Status status = readRecord(item.bytes, offset, limit, signature, item.path, &record); !status.ok()) {
      return status;
    }
    if (record.length < 0x10) {
      return corruptAt(
          item.path, record.offset,
          fmt::format(L"the \"{}\" record of 0x{:x} bytes is too short", signatureText(signature), record.length));
    }
    std::optional<std::string> name = readPhysicalName(record.body, 4, 12);
    if (!name) {
      return corruptAt(item.path, record.offset,
                       fmt::format(L"the \"{}\" record holds no physical name", signatureText(signature)));
    }
    if (!name->empty()) out->push_back(std::move(*name));
    std::uint32_t previous = readU32(record.body, 0);
    if (previous != 0 && previous >= record.offset) {
      return corruptAt(item.path, record.offset,
                       fmt::format(L"the \"{}\" record points forward at 0x{:x}", signatureText(signature), previous));
    }
    offset = previous;
  }
  return success();
}

}  // namespace

const HistoryRecord* ItemFile::record(std::int32_t version) const {
  if (version < header.firstVersion) return nullptr;
  auto index = static_cast<std::size_t>(version - header.firstVersion);
  return index < history.size() ? &history[index] : nullptr;
}

Status parseItemFile(std::string bytes, std::wstring path, ItemFile* item) {
  ItemFile parsed;
  parsed.bytes = std::move(bytes);
  parsed.path = std::move(path);
  Record dh;
  if (Status status = parseHeader(parsed.bytes, parsed.path, &parsed.header, &dh); !status.ok()) return status;
  if (Status status = readHistory(&parsed); !status.ok()) return status;
  if (!parsed.header.isProject()) {
    const FileHeader& file = parsed.header.file;
    if (Status status = readLinks(parsed, file.lastParentOffset, "PF", &parsed.parents); !status.ok()) return status;
    if (Status status = readLinks(parsed, file.lastBranchOffset, "BF", &parsed.branches); !status.ok()) return status;
  }
  *item = std::move(parsed);
  return success();
}

}  // namespace ssapi::native

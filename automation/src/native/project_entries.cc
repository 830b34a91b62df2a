#include "native/project_entries.h"

#include <fmt/xchar.h>

#include "native/bytes.h"
#include "native/physical_name.h"
#include "native/record.h"

namespace ssapi::native {

Status parseProjectEntries(std::string_view bytes, std::wstring_view fileName, std::vector<ProjectEntry>* entries) {
  constexpr std::uint32_t kBodySize = 0x38;
  std::vector<ProjectEntry> parsed;
  std::uint64_t offset = 0;
  while (offset < bytes.size()) {
    Record record;
    if (Status status = readRecord(bytes, offset, bytes.size(), "JP", fileName, &record); !status.ok()) return status;
    if (record.length < kBodySize) {
      return corruptAt(fileName, record.offset,
                       fmt::format(L"the project entry of 0x{:x} bytes is too short", record.length));
    }
    ProjectEntry entry;
    entry.offset = record.offset;
    std::uint16_t type = readU16(record.body, 0);
    if (type != 1 && type != 2) {
      return corruptAt(fileName, record.offset, fmt::format(L"the project entry has the unknown type {}", type));
    }
    entry.kind = static_cast<ItemKind>(type);
    entry.flags = readU16(record.body, 0x02);
    entry.name = readVssName(record.body, 0x04);
    entry.pinnedVersion = readU16(record.body, 0x2C);
    std::optional<std::string> physical = readPhysicalName(record.body, 0x2E, 10);
    if (!physical || physical->empty()) {
      return corruptAt(fileName, record.offset, L"the project entry holds no physical name");
    }
    entry.physical = std::move(*physical);
    parsed.push_back(std::move(entry));
    offset = record.end();
  }
  *entries = std::move(parsed);
  return success();
}

Status checkEntryCounts(const ProjectHeader& header, const std::vector<ProjectEntry>& entries,
                        std::wstring_view fileName) {
  std::size_t subprojects = 0;
  for (const ProjectEntry& entry : entries) {
    if (entry.kind == ItemKind::kProject && !entry.deleted()) ++subprojects;
  }
  if (entries.size() != header.totalItems || subprojects != header.subprojects) {
    return corrupt(fileName, fmt::format(L"it holds {} entries ({} live subprojects), its project's header counts {} ({})",
                                         entries.size(), subprojects, header.totalItems, header.subprojects));
  }
  return success();
}

}  // namespace ssapi::native

// A project's data file (.a or .b): one `JP` record per entry, packed from
// the start of the file, deleted entries included (destroyed ones are gone).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "native/item_file.h"
#include "native/status.h"
#include "native/vss_name.h"

namespace ssapi::native {

// Entry flags.
constexpr std::uint16_t kEntryDeleted = 0x01;
constexpr std::uint16_t kEntryBinary = 0x02;
constexpr std::uint16_t kEntryLatestOnly = 0x04;
constexpr std::uint16_t kEntryShared = 0x08;

struct ProjectEntry {
  std::uint32_t offset = 0;  // of the record in the data file
  ItemKind kind = ItemKind::kFile;
  std::uint16_t flags = 0;
  VssName name;                    // the name in this project (a shared file may have others elsewhere)
  std::int32_t pinnedVersion = 0;  // 0 when not pinned
  std::string physical;

  bool deleted() const { return (flags & kEntryDeleted) != 0; }
  bool binary() const { return (flags & kEntryBinary) != 0; }
  bool shared() const { return (flags & kEntryShared) != 0; }
  // 2005 databases: 1 binary, 2 text, 3 UTF-8, 4 UTF-16; 0 otherwise.
  std::uint16_t contentKind() const { return (flags >> 8) & 0x7; }
};

Status parseProjectEntries(std::string_view bytes, std::wstring_view fileName, std::vector<ProjectEntry>* entries);

// The project's header counts its entries (deleted ones included) and its
// live subprojects; SourceSafe updates both with every change of the data
// file. Entries that disagree were read from a data file cut short or
// half-written, or from one that belongs with another header. Fails with
// ESS_CORRUPT naming `fileName`.
Status checkEntryCounts(const ProjectHeader& header, const std::vector<ProjectEntry>& entries,
                        std::wstring_view fileName);

}  // namespace ssapi::native

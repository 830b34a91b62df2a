// An item file (data/<letter>/<physical name>, no extension): the 52-byte
// file header, the item header (`DH`, a project or a file variant), the
// history records from the first version kept to the latest, and for files
// the parent and branch links. The file's bytes are kept, as the content of
// older versions is rebuilt from the deltas in them only when asked for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "native/history_record.h"
#include "native/status.h"
#include "native/vss_name.h"

namespace ssapi::native {

enum class ItemKind : std::uint16_t { kProject = 1, kFile = 2 };

// File flags (FileHeader::flags).
constexpr std::uint16_t kFileCheckedOut = 0x01;
constexpr std::uint16_t kFileBinary = 0x02;
constexpr std::uint16_t kFileLatestOnly = 0x04;  // older versions are not kept
constexpr std::uint16_t kFileShared = 0x20;      // linked into more than one project at some time

struct ProjectHeader {
  std::string parentSpec;         // as last recorded, "$/" for a child of the root; a hint only
  std::string parentPhysical;     // "" for the root
  std::uint16_t totalItems = 0;   // entries, deleted ones included
  std::uint16_t subprojects = 0;  // live subprojects only
};

struct FileHeader {
  std::uint16_t flags = 0;
  std::string branchSource;  // the file this one was branched from, "" for none
  std::uint32_t lastBranchOffset = 0;
  std::uint32_t lastParentOffset = 0;
  std::uint16_t branchCount = 0;
  std::uint16_t parentCount = 0;
  std::uint32_t checkoutOffset = 0;  // the current check-out's record, 0 when not checked out
  std::uint32_t dataCrc = 0;         // CRC-32 of the current data file
  std::uint32_t lastRevisionTime = 0;
  std::uint32_t modificationTime = 0;
  std::uint32_t creationTime = 0;
  std::uint16_t contentKind = 0;  // 2005 databases: 1 binary, 2 text, 3 UTF-8, 4 UTF-16; 0 otherwise

  bool checkedOut() const { return (flags & kFileCheckedOut) != 0; }
  bool binary() const { return (flags & kFileBinary) != 0; }
  bool latestOnly() const { return (flags & kFileLatestOnly) != 0; }
  bool shared() const { return (flags & kFileShared) != 0; }
};

struct ItemHeader {
  ItemKind kind = ItemKind::kFile;
  std::int32_t lastVersion = 0;
  VssName name;                   // the latest name the item was given
  std::int32_t firstVersion = 1;  // > 1 for a branch: older versions are the source's
  char dataExtension = 'A';       // of the current data file, 'A' or 'B'
  std::uint32_t firstRecordOffset = 0;
  std::uint32_t lastRecordOffset = 0;
  std::uint32_t eofOffset = 0;  // bytes beyond are leftovers
  std::uint32_t rightsOffset = 0;
  ProjectHeader project;  // projects only
  FileHeader file;        // files only

  bool isProject() const { return kind == ItemKind::kProject; }
};

struct ItemFile {
  std::string physical;  // set by the database reader; "" for a file parsed from memory
  std::wstring path;     // names the file in messages
  std::string bytes;     // the whole file
  ItemHeader header;
  std::vector<HistoryRecord> history;  // history[i] is version header.firstVersion + i
  std::vector<std::string> parents;    // files: projects holding the file, latest link first
  std::vector<std::string> branches;   // files: branches made from it, latest first
  std::vector<std::wstring> warnings;  // oddities that did not stop the reading

  // The record of a version kept in this file; null for any other.
  const HistoryRecord* record(std::int32_t version) const;
};

// Parses an item file. `path` only names it in messages.
Status parseItemFile(std::string bytes, std::wstring path, ItemFile* item);

}  // namespace ssapi::native

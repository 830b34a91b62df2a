// One history record (`EL`) of an item file: the common part every record
// has, and the payload its action code selects. Codes and payload layouts
// are SourceSafe's; texts stay in the database's ANSI code page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "native/record.h"
#include "native/status.h"
#include "native/vss_name.h"

namespace ssapi::native {

enum class ActionCode : std::uint16_t {
  kLabel = 0,
  kCreateProject = 1,
  kAddProject = 2,
  kAddFile = 3,
  kDestroyProject = 4,
  kDestroyFile = 5,
  kDeleteProject = 6,
  kDeleteFile = 7,
  kRecoverProject = 8,
  kRecoverFile = 9,
  kRenameProject = 10,
  kRenameFile = 11,
  kMoveFrom = 12,   // in the project the moved project came to
  kMoveTo = 13,     // in the project it left
  kShareFile = 14,  // also pins and unpins, see ShareKind
  kBranchFile = 15,
  kCreateFile = 16,
  kCheckIn = 17,
  kCheckInProject = 18,  // never seen written; no payload is known
  kCreateBranch = 19,
  kArchiveVersions = 20,
  kRestoreVersions = 21,  // never seen written; no payload is known
  kArchiveFile = 22,
  kArchiveProject = 23,
  kRestoreFile = 24,
  kRestoreProject = 25,
};
constexpr std::uint16_t kLastActionCode = 25;

// "AddFile" for kAddFile, for messages and tests.
std::wstring_view actionCodeName(ActionCode code);

// What a code-14 record does, told apart by its pin fields.
enum class ShareKind : std::uint8_t { kShare, kPin, kUnpin };

struct HistoryRecord {
  std::uint32_t offset = 0;          // file offset of the record
  std::uint32_t previousOffset = 0;  // of the record of the version before, 0 for the first
  ActionCode action = ActionCode::kLabel;
  std::int32_t version = 0;
  std::uint32_t time = 0;  // seconds since 1970 on the writer's wall clock, stored as if UTC
  std::string user;
  std::string label;         // also on a non-label record that was labelled afterwards
  std::string comment;       // "" when there is none
  std::string labelComment;  // "" when there is none

  // The payload. Which fields the action fills:
  //   name, physical: the item acted on, for 1-9, 16, 20, 22-25 (the item
  //     itself for 1 and 16; both empty in the root's creation); for 10 and 11
  //     the new name; for 12-14 the moved project or the shared file; for 15
  //     and 19 the file name and the new branch file.
  VssName name;
  std::string physical;
  VssName oldName;           // 10, 11
  std::string branchSource;  // 15, 19: the file the branch was made from
  bool wasDeleted = false;   // 4, 5: the child had been deleted before
  // 12: the moved project's former spec; 13: its new spec; 14: the project a
  // file was shared from (pins: the project holding the entry); 17: the
  // project the check-in went through.
  std::string spec;
  ShareKind shareKind = ShareKind::kShare;  // 14
  std::int16_t pinnedVersion = 0;           // 14: the version pinned (share or pin), 0 for none
  std::int16_t unpinnedVersion = 0;         // 14: the version that was pinned before an unpin
  std::uint16_t entryIndex = 0;             // 14: position of the entry in the project after the change
  std::uint32_t deltaOffset = 0;            // 17: the FD record rebuilding the version before; 0 for none kept
  std::uint16_t archivedVersion = 0;        // 20: versions up to this one were archived away
  std::string archivePath;                  // 20, 22-25
};

// Decodes the `EL` record `record` of an item file, with the comment and
// label comment it points at (records of `file` ending at or before
// `limit`). Fails for an action code SourceSafe does not have, a record too
// short for its action's payload, a physical name that is not eight letters
// and a comment pointer leading out of the data; a comment pointer that
// leads to some other record is only a warning, as SourceSafe's own repair
// tools leave such pointers behind.
Status readHistoryRecord(std::string_view file, std::uint64_t limit, const Record& record, std::wstring_view fileName,
                         HistoryRecord* out, std::vector<std::wstring>* warnings);

}  // namespace ssapi::native

#include "native/history_record.h"

#include <fmt/xchar.h>

#include <algorithm>
#include <array>

#include "native/bytes.h"
#include "native/physical_name.h"

namespace ssapi::native {
namespace {

constexpr std::array<std::wstring_view, kLastActionCode + 1> kActionNames = {
    L"Label",          L"CreateProject",  L"AddProject",      L"AddFile",         L"DestroyProject", L"DestroyFile",
    L"DeleteProject",  L"DeleteFile",     L"RecoverProject",  L"RecoverFile",     L"RenameProject",  L"RenameFile",
    L"MoveFrom",       L"MoveTo",         L"ShareFile",       L"BranchFile",      L"CreateFile",     L"CheckIn",
    L"CheckInProject", L"CreateBranch",   L"ArchiveVersions", L"RestoreVersions", L"ArchiveFile",    L"ArchiveProject",
    L"RestoreFile",    L"RestoreProject",
};

// Offsets inside the record body.
constexpr std::size_t kPrevious = 0x00;
constexpr std::size_t kAction = 0x04;
constexpr std::size_t kVersion = 0x06;
constexpr std::size_t kTime = 0x08;
constexpr std::size_t kUser = 0x0C;
constexpr std::size_t kLabel = 0x2C;
constexpr std::size_t kCommentOffset = 0x4C;
constexpr std::size_t kLabelCommentOffset = 0x50;
constexpr std::size_t kCommentLength = 0x54;
constexpr std::size_t kLabelCommentLength = 0x56;
constexpr std::size_t kPayload = 0x58;
constexpr std::size_t kSpecSize = 260;
constexpr std::size_t kPhysicalSize = 10;

// Where each action's payload ends: a shorter record is damaged. Code 20's
// layout is known from one source only; its archive path is read as far as
// the record goes.
std::size_t payloadEnd(ActionCode code) {
  switch (code) {
    case ActionCode::kLabel:
    case ActionCode::kCheckInProject:
    case ActionCode::kRestoreVersions:
      return kPayload;
    case ActionCode::kCreateProject:
    case ActionCode::kAddProject:
    case ActionCode::kAddFile:
    case ActionCode::kDeleteProject:
    case ActionCode::kDeleteFile:
    case ActionCode::kRecoverProject:
    case ActionCode::kRecoverFile:
    case ActionCode::kCreateFile:
      return 0x8A;
    case ActionCode::kDestroyProject:
    case ActionCode::kDestroyFile:
      return 0x8C;
    case ActionCode::kBranchFile:
    case ActionCode::kCreateBranch:
      return 0x94;
    case ActionCode::kRenameProject:
    case ActionCode::kRenameFile:
      return 0xB2;
    case ActionCode::kCheckIn:
      return 0x164;
    case ActionCode::kMoveFrom:
    case ActionCode::kMoveTo:
      return 0x18E;
    case ActionCode::kShareFile:
      return 0x194;
    case ActionCode::kArchiveVersions:
      return 0x9A;
    case ActionCode::kArchiveFile:
    case ActionCode::kArchiveProject:
    case ActionCode::kRestoreFile:
    case ActionCode::kRestoreProject:
      return 0x190;
  }
  return kPayload;
}

Status readComment(std::string_view file, std::uint64_t limit, const Record& owner, std::uint32_t offset,
                   std::uint16_t length, const wchar_t* what, std::wstring_view fileName, std::string* text,
                   std::vector<std::wstring>* warnings) {
  text->clear();
  if (length == 0) return success();
  limit = std::min<std::uint64_t>(limit, file.size());
  if (offset > limit || limit - offset < kRecordHeaderSize) {
    return corruptAt(fileName, owner.offset,
                     fmt::format(L"the {} of the history record points at 0x{:x}, outside the data", what, offset));
  }
  std::string_view signature = file.substr(offset + 4, 2);
  if (signature != "MC") {
    if (warnings) {
      warnings->push_back(
          fmt::format(L"File \"{}\": the {} of the history record at offset 0x{:x} points at a \"{}\" "
                      L"record at 0x{:x}; taken as no {}",
                      fileName, what, owner.offset, signatureText(signature), offset, what));
    }
    return success();
  }
  Record record;
  if (Status status = readRecord(file, offset, limit, "MC", fileName, &record); !status.ok()) return status;
  *text = readText(record.body, 0, record.body.size());
  return success();
}

Status physicalField(const Record& record, std::size_t offset, std::wstring_view fileName, const wchar_t* what,
                     std::string* out) {
  std::optional<std::string> name = readPhysicalName(record.body, offset, kPhysicalSize);
  if (!name) {
    return corruptAt(fileName, record.offset,
                     fmt::format(L"the {} in the history record is not a physical name", what));
  }
  *out = std::move(*name);
  return success();
}

}  // namespace

std::wstring_view actionCodeName(ActionCode code) {
  auto index = static_cast<std::size_t>(code);
  return index < kActionNames.size() ? kActionNames[index] : L"unknown";
}

Status readHistoryRecord(std::string_view file, std::uint64_t limit, const Record& record, std::wstring_view fileName,
                         HistoryRecord* out, std::vector<std::wstring>* warnings) {
  std::string_view body = record.body;
  if (body.size() < kPayload) {
    return corruptAt(fileName, record.offset,
                     fmt::format(L"the history record of 0x{:x} bytes is too short", body.size()));
  }
  std::uint16_t code = readU16(body, kAction);
  if (code > kLastActionCode) {
    return corruptAt(fileName, record.offset, fmt::format(L"unknown action code {} in the history record", code));
  }
  HistoryRecord rec;
  rec.offset = record.offset;
  rec.action = static_cast<ActionCode>(code);
  std::size_t end = payloadEnd(rec.action);
  if (body.size() < end) {
    return corruptAt(fileName, record.offset,
                     fmt::format(L"the history record of 0x{:x} bytes is too short for its action {} (0x{:x} bytes)",
                                 body.size(), actionCodeName(rec.action), end));
  }
  rec.previousOffset = readU32(body, kPrevious);
  rec.version = readU16(body, kVersion);
  rec.time = readU32(body, kTime);
  rec.user = readText(body, kUser, 32);
  rec.label = readText(body, kLabel, 32);
  if (Status status = readComment(file, limit, record, readU32(body, kCommentOffset), readU16(body, kCommentLength),
                                  L"comment", fileName, &rec.comment, warnings);
      !status.ok()) {
    return status;
  }
  if (Status status =
          readComment(file, limit, record, readU32(body, kLabelCommentOffset), readU16(body, kLabelCommentLength),
                      L"label comment", fileName, &rec.labelComment, warnings);
      !status.ok()) {
    return status;
  }

  Status status;
  switch (rec.action) {
    case ActionCode::kLabel:
    case ActionCode::kCheckInProject:
    case ActionCode::kRestoreVersions:
      break;
    case ActionCode::kCreateProject:
    case ActionCode::kAddProject:
    case ActionCode::kAddFile:
    case ActionCode::kDeleteProject:
    case ActionCode::kDeleteFile:
    case ActionCode::kRecoverProject:
    case ActionCode::kRecoverFile:
    case ActionCode::kCreateFile:
      rec.name = readVssName(body, 0x58);
      status = physicalField(record, 0x80, fileName, L"item", &rec.physical);
      break;
    case ActionCode::kDestroyProject:
    case ActionCode::kDestroyFile:
      rec.name = readVssName(body, 0x58);
      rec.wasDeleted = readU16(body, 0x80) != 0;
      status = physicalField(record, 0x82, fileName, L"item", &rec.physical);
      break;
    case ActionCode::kRenameProject:
    case ActionCode::kRenameFile:
      rec.name = readVssName(body, 0x58);
      rec.oldName = readVssName(body, 0x80);
      status = physicalField(record, 0xA8, fileName, L"item", &rec.physical);
      break;
    case ActionCode::kMoveFrom:
    case ActionCode::kMoveTo:
      rec.spec = readText(body, 0x58, kSpecSize);
      rec.name = readVssName(body, 0x15C);
      status = physicalField(record, 0x184, fileName, L"item", &rec.physical);
      break;
    case ActionCode::kShareFile: {
      rec.spec = readText(body, 0x58, kSpecSize);
      rec.name = readVssName(body, 0x15C);
      std::int16_t unpinned = readI16(body, 0x184);
      rec.pinnedVersion = readI16(body, 0x186);
      rec.entryIndex = readU16(body, 0x188);
      if (unpinned == -1) {
        rec.shareKind = ShareKind::kShare;
      } else if (unpinned == 0) {
        rec.shareKind = ShareKind::kPin;
      } else if (unpinned > 0) {
        rec.shareKind = ShareKind::kUnpin;
        rec.unpinnedVersion = unpinned;
      } else {
        return corruptAt(fileName, record.offset,
                         fmt::format(L"the share record has an unknown pin field {}", unpinned));
      }
      if (rec.pinnedVersion < 0) {
        return corruptAt(fileName, record.offset,
                         fmt::format(L"the share record has a negative pinned version {}", rec.pinnedVersion));
      }
      status = physicalField(record, 0x18A, fileName, L"item", &rec.physical);
      break;
    }
    case ActionCode::kBranchFile:
    case ActionCode::kCreateBranch:
      rec.name = readVssName(body, 0x58);
      status = physicalField(record, 0x80, fileName, L"branch", &rec.physical);
      if (status.ok()) status = physicalField(record, 0x8A, fileName, L"branch source", &rec.branchSource);
      break;
    case ActionCode::kCheckIn:
      rec.deltaOffset = readU32(body, 0x58);
      rec.spec = readText(body, 0x60, kSpecSize);
      break;
    case ActionCode::kArchiveVersions:
      rec.name = readVssName(body, 0x58);
      rec.archivedVersion = readU16(body, 0x98);
      rec.archivePath = readText(body, 0x9A, 252);
      status = physicalField(record, 0x80, fileName, L"item", &rec.physical);
      break;
    case ActionCode::kArchiveFile:
    case ActionCode::kArchiveProject:
    case ActionCode::kRestoreFile:
    case ActionCode::kRestoreProject:
      rec.name = readVssName(body, 0x58);
      rec.archivePath = readText(body, 0x8C, kSpecSize);
      status = physicalField(record, 0x80, fileName, L"item", &rec.physical);
      break;
  }
  if (!status.ok()) return status;
  *out = std::move(rec);
  return success();
}

}  // namespace ssapi::native

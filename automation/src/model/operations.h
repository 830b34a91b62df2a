// The changes SourceSafe can make to a database, applied to the model. Each
// checks that it is possible first and either changes nothing and answers
// why not, or records its revisions and succeeds.
#pragma once

#include <cstdint>
#include <string>

#include "model/database.h"
#include "platform/hresult.h"

namespace ssapi::model {

enum class ChangeKind : std::uint8_t {
  kCreateProject,  // spec (the first change of every database creates "$/")
  kAddFile,        // spec, content
  kCheckIn,        // spec, content
  kRename,         // spec, argument = new name
  kMove,           // spec (a project), argument = new parent project
  kShare,          // spec (a file), argument = receiving project
  kBranch,         // spec (a shared file)
  kPin,            // spec, version
  kUnpin,          // spec
  kDelete,         // spec
  kRecover,        // spec of a deleted item
  kDestroy,        // spec of a live item
  kPurge,          // spec of a deleted item
  kLabel,          // spec, argument = label, labelComment
  kArchive,        // spec
  kRestore,        // spec where the archived item was
  kRollback,       // spec, version
};

// The journal keyword of a change ("create-project", "check-in", ...).
const wchar_t* changeKeyword(ChangeKind kind);
bool changeFromKeyword(std::wstring_view keyword, ChangeKind* kind);

struct Change {
  ChangeKind kind = ChangeKind::kCreateProject;
  std::int64_t time = 0;
  std::wstring user;
  std::wstring comment;
  std::wstring spec;
  std::wstring argument;
  std::wstring labelComment;
  std::int32_t version = 0;
  ContentId content = kEmptyContent;
};

struct Status {
  HRESULT code = S_OK;
  std::wstring reason;  // why the change is impossible
  bool ok() const { return SUCCEEDED(code); }
};

// Applies one change. The user must be known to the database.
Status apply(Database& db, const Change& change);

// "rename $/a.txt to b.txt", for messages about a change.
std::wstring describeChange(const Change& change);

}  // namespace ssapi::model

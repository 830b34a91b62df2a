// What every automation object of one opened database shares: the model
// (never changed once opened), the fault injector, and the little state the
// database object keeps for its caller (working folders, current project).
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "model/database.h"
#include "model/queries.h"
#include "platform/error_info.h"
#include "platform/hresult.h"
#include "ssapi/fault_injector.h"

namespace ssapi::objects {

struct Session {
  std::shared_ptr<const model::Database> db;
  std::shared_ptr<FaultInjector> faults;  // null: none
  std::wstring iniPath;
  std::wstring user;
  std::wstring currentProject = L"$/";
  std::map<std::wstring, std::wstring> workingFolders;  // by folded project spec

  // A fault for this call, when a test configured one. Costs one test when
  // no fault is configured.
  std::optional<FaultAction> fault(const wchar_t* operation, const std::wstring& spec,
                                   std::optional<long> version = std::nullopt) const {
    if (!faults || faults->empty()) return std::nullopt;
    return faults->check(operation, spec, version);
  }
};

// An item as an automation object sees it: a physical item at one version,
// the moment of the database's history it stands at, and the path through
// which it was reached then. Everything reached from it (children, parent,
// links) stands at the same moment.
// The projects a walk came down through, nearest first.
struct ProjectsAbove {
  model::ItemId project = model::kNoItem;
  std::shared_ptr<const ProjectsAbove> next;
};

struct ItemRef {
  model::ItemId item = model::kNoItem;
  std::int32_t version = 0;  // the version the object stands for (a pinned entry's pinned one)
  model::Moment moment;      // now, or the moment of an older state
  model::EntryRef entry;     // the entry it was reached through; none for the root
  bool deleted = false;      // that entry's deleted flag, or a deleted project's above it
  std::wstring spec;
  std::wstring name;
  // Set for a child listed by its project: a damaged database may list a
  // project inside itself, and a walk down would never end.
  std::shared_ptr<const ProjectsAbove> above;
};

inline constexpr const wchar_t* kErrorSource = L"SourceSafe";

// Records the thread's error information and answers the status.
inline HRESULT fail(HRESULT status, std::wstring description) {
  platform::setErrorInfo(std::move(description), kErrorSource);
  return status;
}

// The failure to read an item's records, as the answer of a call about it.
inline std::optional<FaultAction> loadFailure(const Session& session, model::ItemId item) {
  const model::LoadFailure* failure = session.db->failure(item);
  if (!failure) return std::nullopt;
  return FaultAction{fail(failure->code, failure->description), false};
}

inline HRESULT nullArgument() { return fail(E_POINTER, L"Invalid access code (bad parameter)"); }

}  // namespace ssapi::objects

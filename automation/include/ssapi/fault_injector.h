// Test-only faults: a chosen automation call on a chosen item fails with a
// chosen status (with or without error information) or succeeds handing out
// nothing. A database without faults pays one pointer test per call.
#pragma once

#include <atomic>
#include <filesystem>
#include <list>
#include <mutex>
#include <optional>
#include <string>

#include "platform/hresult.h"

namespace ssapi {

// One rule. Operation names are the automation member names ("get_Versions",
// "_NewEnum", "Next", "get_Item", "get_Count", "get_Type", "Get",
// "get_VSSItem", "get_Action", "get_Date", "get_Child", "Open",
// "QueryInterface(IEnumVARIANT)", ...).
//
// Which item a call is "on":
//   - item members: the item's spec and the version number it stands for (the
//     current item: the version it shows now);
//   - database members: the spec asked for ("$/" for Open and the members
//     without a spec); no version;
//   - get_Count, _NewEnum and QueryInterface(IEnumVARIANT): the item whose
//     children, links or versions are listed, and its version;
//   - get_Item and Next: the item and version the call would hand out (Next:
//     the first element of the call);
//   - version members: the item the version belongs to and the version's
//     number.
// Specs compare without regard to letter case; an empty spec matches every item.
class Fault {
 public:
  static constexpr long kForever = -1;

  Fault(std::wstring operation, std::wstring spec);

  // Only calls on the item standing for that version number.
  Fault& onVersion(long version);
  // The status of the failing call (default E_FAIL).
  Fault& withStatus(HRESULT status);
  // The call returns S_OK and its out-parameter holds nothing (a null
  // object, an empty string, zero).
  Fault& handingOutNothing();
  // Error information recorded with the failure (default "Injected fault"
  // from the source "SourceSafe").
  Fault& withDescription(std::wstring description);
  Fault& withoutErrorInfo();
  // The n-th matching call (1-based) is the first to fail (default 1).
  Fault& fromCall(long n);
  // How many calls fail, from that one on (default 1; kForever).
  Fault& times(long n);
  Fault& forever() { return times(kForever); }

  const std::wstring& operation() const { return operation_; }
  const std::wstring& spec() const { return spec_; }
  std::optional<long> version() const { return version_; }
  HRESULT status() const { return status_; }
  bool nothing() const { return nothing_; }
  bool errorInfo() const { return errorInfo_; }
  const std::wstring& description() const { return description_; }
  long firstCall() const { return firstCall_; }
  long count() const { return count_; }

 private:
  friend class FaultInjector;
  std::wstring operation_;
  std::wstring spec_;
  std::optional<long> version_;
  HRESULT status_ = E_FAIL;
  bool nothing_ = false;
  bool errorInfo_ = true;
  std::wstring description_ = L"Injected fault";
  long firstCall_ = 1;
  long count_ = 1;
  long seen_ = 0;  // matching calls so far
};

// What a call must do instead of its work.
struct FaultAction {
  HRESULT status = S_OK;  // S_OK: succeed handing out nothing
  bool nothing = false;
};

class FaultInjector {
 public:
  FaultInjector() = default;
  FaultInjector(const FaultInjector&) = delete;
  FaultInjector& operator=(const FaultInjector&) = delete;

  // Adds a rule and returns it for refinement; the reference stays valid
  // until clear().
  Fault& fail(const std::wstring& operation, const std::wstring& spec = L"", HRESULT status = E_FAIL);
  Fault& handOutNothing(const std::wstring& operation, const std::wstring& spec = L"");
  void clear();
  bool empty() const { return !active_.load(std::memory_order_relaxed); }

  // Reads rules in the fault-file form (see automation/README.md). On a bad
  // line returns false with a description naming the file and the line.
  bool loadFile(const std::filesystem::path& file, std::wstring* error);
  // Rules from the file named by the environment variable SSAPI_FAULTS, if set.
  bool loadFromEnvironment(std::wstring* error);

  // Asks whether this call fails. Counts the call against every matching rule;
  // the first rule whose window covers the call decides. Records the error
  // information itself when the rule asks for it.
  std::optional<FaultAction> check(const wchar_t* operation, const std::wstring& spec,
                                   std::optional<long> version);

 private:
  std::mutex mutex_;
  std::list<Fault> faults_;
  std::atomic<bool> active_{false};
};

}  // namespace ssapi

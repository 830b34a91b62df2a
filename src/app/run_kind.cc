#include "app/run_kind.h"

#include "util/text_compare.h"

namespace app {

RunKind classifyRun(const std::wstring& first) {
  using util::equalsIgnoreCase;
  if (equalsIgnoreCase(first, L"[*://TestMode]") || equalsIgnoreCase(first, L"[*:\\\\TestMode]")) {
    return RunKind::kSelfTest;
  }
  if (equalsIgnoreCase(first, L"ss_path")) return RunKind::kSsPath;
  if (equalsIgnoreCase(first, L"ss_date")) return RunKind::kSsDate;
  if (equalsIgnoreCase(first, L"debug_time")) return RunKind::kDebugTime;
  return RunKind::kNormal;
}

}  // namespace app

// What kind of run the first argument after the output files selects.
#pragma once

#include <string>

namespace app {

enum class RunKind {
  kSelfTest,   // the test-mode marker
  kSsPath,     // "ss_path"
  kSsDate,     // "ss_date"
  kDebugTime,  // "debug_time"
  kNormal,     // anything else: a SourceSafe run
};

// Marker and words compared without regard to case.
RunKind classifyRun(const std::wstring& firstArgument);

}  // namespace app

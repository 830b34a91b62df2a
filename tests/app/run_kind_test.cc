#include "app/run_kind.h"

#include <gtest/gtest.h>

namespace app {
namespace {

TEST(RunKindTest, MarkerAndWordsIgnoreCase) {
  struct Row {
    const wchar_t* first;
    RunKind expected;
  };
  const Row rows[] = {
      {L"[*://TestMode]", RunKind::kSelfTest},
      {L"[*://TESTMODE]", RunKind::kSelfTest},
      {L"[*:\\\\TestMode]", RunKind::kSelfTest},
      {L"[*:\\TestMode]", RunKind::kNormal},
      {L"[*://TestMode", RunKind::kNormal},
      {L"ss_path", RunKind::kSsPath},
      {L"SS_PATH", RunKind::kSsPath},
      {L"ss_date", RunKind::kSsDate},
      {L"Debug_Time", RunKind::kDebugTime},
      {L"debug_time ", RunKind::kNormal},
      {L"C:\\vss\\srcsafe.ini", RunKind::kNormal},
      {L"", RunKind::kNormal},
  };
  for (const auto& row : rows) EXPECT_EQ(classifyRun(row.first), row.expected) << "argument: " << row.first;
}

}  // namespace
}  // namespace app

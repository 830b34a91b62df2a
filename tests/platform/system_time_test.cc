#include "platform/system_time.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(SystemTimeTest, FormatsTheConversionsInUse) {
  const SystemTime morning{2026, 12, 0, 6, 9, 5, 3, 0};
  const SystemTime evening{2026, 1, 4, 31, 23, 59, 9, 0};
  EXPECT_EQ(formatSystemTime(morning, L"%d.%m.%Y %#H:%M:%S"), L"06.12.2026 9:05:03");
  EXPECT_EQ(formatSystemTime(evening, L"%d.%m.%Y %#H:%M:%S"), L"31.01.2026 23:59:09");
  EXPECT_EQ(formatSystemTime(morning, L"%d.%m.%Y"), L"06.12.2026");
  EXPECT_EQ(formatSystemTime(morning, L"%H|%%|%q|x"), L"09|%|q|x");
  EXPECT_EQ(formatSystemTime(SystemTime{}, L"%d.%m.%Y %#H:%M:%S"), L"00.00.0 0:00:00");
  EXPECT_EQ(formatSystemTime(morning, L"100%"), L"100%");
}

TEST(SystemTimeTest, CurrentLocalTimeHasValidFields) {
  const SystemTime now = currentLocalTime();
  EXPECT_GE(now.year, 2024);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  EXPECT_GE(now.day, 1);
  EXPECT_LE(now.hour, 23);
  EXPECT_EQ(now.milliseconds, 0);
}

}  // namespace
}  // namespace platform

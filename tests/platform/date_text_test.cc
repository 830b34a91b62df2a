#include "platform/date_text.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

constexpr double kSecond = 1.0 / 86400;
// 6 December 2026.
constexpr DATE kDay = 46362.0;

TEST(DateTextTest, EnglishUnitedStatesTexts) {
  struct Row {
    const char* name;
    DATE date;
    DWORD flags;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {"morning", kDay + (9 * 3600 + 5 * 60 + 3) * kSecond, 0, L"12/6/2026 9:05:03 AM"},
      {"evening", kDay + (21 * 3600 + 5 * 60 + 3) * kSecond, 0, L"12/6/2026 9:05:03 PM"},
      {"noon", kDay + 0.5, 0, L"12/6/2026 12:00:00 PM"},
      {"just after midnight", kDay + 1 * kSecond, 0, L"12/6/2026 12:00:01 AM"},
      {"midnight leaves the time out", kDay, 0, L"12/6/2026"},
      {"day zero leaves the date out", 0.25, 0, L"6:00:00 AM"},
      {"day zero at midnight", 0.0, 0, L"12:00:00 AM"},
      {"before day zero", -1.25, 0, L"12/29/1899 6:00:00 AM"},
      {"date only", kDay + 0.75, VAR_DATEVALUEONLY, L"12/6/2026"},
      {"date only at day zero", 0.0, VAR_DATEVALUEONLY, L"12/30/1899"},
      {"time only", kDay + 0.75, VAR_TIMEVALUEONLY, L"6:00:00 PM"},
      {"time only at midnight", kDay, VAR_TIMEVALUEONLY, L"12:00:00 AM"},
      {"first valid day", -657434.0, 0, L"1/1/100"},
      {"seconds rounded", kDay + 0.5 + 0.9999 * kSecond, 0, L"12/6/2026 12:00:01 PM"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    auto text = varBstrFromDate(row.date, row.flags);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, row.expected);
  }
}

TEST(DateTextTest, NoTextForDatesWithoutCalendarFields) {
  EXPECT_FALSE(varBstrFromDate(2958466.0, 0).has_value());
  EXPECT_FALSE(varBstrFromDate(-657435.0, VAR_DATEVALUEONLY).has_value());
  EXPECT_FALSE(varBstrFromDate(5.34e10, VAR_TIMEVALUEONLY).has_value());
}

}  // namespace
}  // namespace platform

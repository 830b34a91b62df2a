// Creating and checking in files: the file's own history, the project's
// history, items as of a version, contents.
#include <gtest/gtest.h>

#include "support/ssapi_test_util.h"

namespace {

using namespace ssapitest;
using ssapi::DatabaseBuilder;

template <class G>
class CheckInTest : public ::testing::Test {};
TYPED_TEST_SUITE(CheckInTest, Generations);

TYPED_TEST(CheckInTest, FileHistoryListsEveryVersionNewestFirst) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.at(1000).createProject(L"$/proj")
      .at(2000).by(L"ann").withComment(L"first").addFile(L"$/proj/a.txt", "one")
      .at(3000).withComment(L"second").checkIn(L"$/proj/a.txt", "two")
      .at(4000).by(L"bob").checkIn(L"$/proj/a.txt", "three");
  auto db = b.open<G>();
  auto file = item<G>(db, L"$/proj/a.txt");

  auto rows = versions<G>(file);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].number, 3);
  EXPECT_EQ(rows[0].action, L"Checked in $/proj");
  EXPECT_EQ(rows[0].user, L"bob");
  EXPECT_EQ(rows[0].comment, L"");
  EXPECT_DOUBLE_EQ(rows[0].date, oleDate(4000));
  EXPECT_EQ(rows[1].number, 2);
  EXPECT_EQ(rows[1].action, L"Checked in $/proj");
  EXPECT_EQ(rows[1].user, L"ann");
  EXPECT_EQ(rows[1].comment, L"second");
  EXPECT_DOUBLE_EQ(rows[1].date, oleDate(3000));
  EXPECT_EQ(rows[2].number, 1);
  EXPECT_EQ(rows[2].action, L"Created a.txt");
  EXPECT_EQ(rows[2].comment, L"first");
  EXPECT_DOUBLE_EQ(rows[2].date, oleDate(2000));
  for (const auto& row : rows) {
    EXPECT_EQ(row.spec, L"$/proj/a.txt") << row.number;
    EXPECT_EQ(row.itemVersion, row.number);
  }

  EXPECT_EQ(content<G>(file), "three");
  EXPECT_EQ(content<G>(atVersion<G>(file, 1)), "one");
  EXPECT_EQ(content<G>(atVersion<G>(file, 2)), "two");
}

TYPED_TEST(CheckInTest, ProjectHistoryHoldsAddsButNotCheckIns) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/proj").addFile(L"$/proj/a.txt", "one").createProject(L"$/proj/sub")
      .checkIn(L"$/proj/a.txt", "two");
  auto db = b.open<G>();
  auto project = item<G>(db, L"$/proj");
  EXPECT_EQ(history<G>(project, ssapi::VSSFLAG_RECURSNO | ssapi::VSSFLAG_HISTIGNOREFILES),
            (std::vector<std::wstring>{L"3 Added $sub", L"2 Added a.txt", L"1 Created $proj"}));
  EXPECT_EQ(history<G>(project, ssapi::VSSFLAG_RECURSYES),
            (std::vector<std::wstring>{L"2 Checked in $/proj @$/proj/a.txt", L"3 Added $sub @$/proj",
                                       L"1 Created $sub @$/proj/sub", L"2 Added a.txt @$/proj",
                                       L"1 Created a.txt @$/proj/a.txt", L"1 Created $proj @$/proj"}));
  EXPECT_EQ(history<G>(item<G>(db, L"$/")),
            (std::vector<std::wstring>{L"2 Added $proj", L"1 Created $/"}));
}

}  // namespace

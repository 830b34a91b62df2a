// Items as they stood at a moment: get_Version with a date, and everything
// reached from such an item (children, names, parent, links, versions)
// standing at the same moment.
#include <gtest/gtest.h>

#include "support/ssapi_test_util.h"

namespace {

using namespace ssapitest;
using ssapi::DatabaseBuilder;
using ssapi::ESS_VS_VERS_NOT_FOUND;
using ssapi::VSSFLAG_RECURSYES;
using Lines = std::vector<std::wstring>;

constexpr std::int64_t kT0 = 1000000000;

template <class G>
ComPtr<IVSSItemT<G>> asOf(const ComPtr<IVSSItemT<G>>& of, const Variant& when, HRESULT expected = S_OK) {
  ComPtr<IVSSItemT<G>> result;
  HRESULT hr = of->get_Version(when, result.put());
  EXPECT_EQ(hr, expected) << failure(hr);
  return result;
}

template <class G>
ComPtr<IVSSItemT<G>> asOf(const ComPtr<IVSSItemT<G>>& of, std::int64_t utcSeconds) {
  return asOf<G>(of, Variant::fromDate(oleDate(utcSeconds)));
}

template <class G>
LONG versionOf(const ComPtr<IVSSItemT<G>>& of) {
  LONG number = 0;
  of->get_VersionNumber(&number);
  return number;
}

template <class G>
bool deletedFlag(const ComPtr<IVSSItemT<G>>& of) {
  VARIANT_BOOL deleted = VARIANT_FALSE;
  of->get_Deleted(&deleted);
  return deleted != VARIANT_FALSE;
}

// $/p made at T0, a.txt added at +10 and checked in at +20 and +30; the
// folder sub made at +15, renamed to "renamed" at +40; a.txt deleted at +50.
template <class G>
class MomentsTest : public ::testing::Test {
 protected:
  MomentsTest() {
    b_.at(kT0).createProject(L"$/p");
    b_.at(kT0 + 10).addFile(L"$/p/a.txt", "1");
    b_.at(kT0 + 15).createProject(L"$/p/sub").addFile(L"$/p/sub/s.txt", "s");
    b_.at(kT0 + 20).checkIn(L"$/p/a.txt", "2");
    b_.at(kT0 + 30).checkIn(L"$/p/a.txt", "3");
    b_.at(kT0 + 40).rename(L"$/p/sub", L"renamed");
    b_.at(kT0 + 50).remove(L"$/p/a.txt");
    db_ = b_.open<G>();
  }

  DatabaseBuilder b_;
  ComPtr<IVSSDatabaseT<G>> db_;
};
TYPED_TEST_SUITE(MomentsTest, Generations);

TYPED_TEST(MomentsTest, ADateGivesTheVersionCurrentThen) {
  using G = TypeParam;
  auto file = item<G>(this->db_, L"$/p/a.txt", true);
  struct Row {
    std::int64_t seconds;
    LONG version;
  } rows[] = {{kT0 + 10, 1}, {kT0 + 19, 1}, {kT0 + 20, 2}, {kT0 + 35, 3}, {kT0 + 1000, 3}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.seconds - kT0);
    auto then = asOf<G>(file, row.seconds);
    ASSERT_TRUE(then);
    EXPECT_EQ(versionOf<G>(then), row.version);
  }
  // Before its first version the file did not exist; after the calendar ends
  // everything has happened.
  asOf<G>(file, Variant::fromDate(oleDate(kT0 + 9)), ESS_VS_VERS_NOT_FOUND);
  EXPECT_EQ(versionOf<G>(asOf<G>(file, Variant::fromDate(5.0e10))), 3);
}

// The date texts SourceSafe's automation takes in place of a version.
TYPED_TEST(MomentsTest, DateTextsNameAMoment) {
  using G = TypeParam;
  auto file = item<G>(this->db_, L"$/p/a.txt", true);
  // T0+25 is 9/9/2001 1:47:05 UTC.
  for (const wchar_t* text : {L"9/9/2001 1:47:05", L"09/09/01 1:47:05 AM", L"9/9/2001;1:47:05a", L"2001-09-09T01:47:05",
                              L" 9/9/2001 1:47:05 "}) {
    SCOPED_TRACE(platform::wideToUtf8(text));
    auto then = asOf<G>(file, Variant(text));
    ASSERT_TRUE(then);
    EXPECT_EQ(versionOf<G>(then), 2);
  }
  // A whole day without a time is its midnight, before the file existed.
  asOf<G>(file, Variant(L"9/9/2001"), ESS_VS_VERS_NOT_FOUND);
  asOf<G>(file, Variant(L"13/45/2001"), ESS_VS_VERS_NOT_FOUND);
}

// A project as of a time lists its children as they were then, each as it
// stood then, under the names of then.
TYPED_TEST(MomentsTest, AProjectAsOfATimeShowsItsChildrenAsTheyStood) {
  using G = TypeParam;
  auto project = item<G>(this->db_, L"$/p");
  struct Row {
    std::int64_t seconds;
    Lines children;
  } rows[] = {
      {kT0 + 12, {L"a.txt@1"}},
      {kT0 + 25, {L"a.txt@2", L"sub@2"}},
      {kT0 + 45, {L"a.txt@3", L"renamed@2"}},
      {kT0 + 55, {L"renamed@2"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.seconds - kT0);
    EXPECT_EQ(childNames<G>(asOf<G>(project, row.seconds)), row.children);
  }
  auto sub = children<G>(asOf<G>(project, kT0 + 25))[1];
  EXPECT_EQ(specOf<G>(sub), L"$/p/sub");
  EXPECT_EQ(specOf<G>(children<G>(sub)[0]), L"$/p/sub/s.txt");
  // A deleted child is listed as deleted only from its deletion on.
  EXPECT_EQ(childNames<G>(asOf<G>(project, kT0 + 55), true), (Lines{L"a.txt@3 (deleted)", L"renamed@2"}));
}

// Asked for as of a time, an item is named as it was then, and its parent is
// the project as it stood then.
TYPED_TEST(MomentsTest, NamesAndParentsAreThoseOfThen) {
  using G = TypeParam;
  auto file = item<G>(this->db_, L"$/p/renamed/s.txt");
  auto then = asOf<G>(file, kT0 + 20);
  EXPECT_EQ(specOf<G>(then), L"$/p/sub/s.txt");
  ComPtr<IVSSItemT<G>> parent;
  SSAPI_OK(then->get_Parent(parent.put()));
  EXPECT_EQ(specOf<G>(parent), L"$/p/sub");
  std::wstring name;
  SSAPI_OK(parent->get_Name(&name));
  EXPECT_EQ(name, L"sub");
  EXPECT_EQ(specOf<G>(asOf<G>(file, kT0 + 40)), L"$/p/renamed/s.txt");
  // Every version names the item where it stood when the version was made.
  EXPECT_EQ(specOf<G>(atVersion<G>(file, 1)), L"$/p/sub/s.txt");
}

// A version of a project stands for the moment of that version: a change
// below it made later is not in it, not even for the project's newest version.
TYPED_TEST(MomentsTest, AProjectVersionStandsForItsOwnMoment) {
  using G = TypeParam;
  auto sub = item<G>(this->db_, L"$/p/renamed");
  auto newest = atVersion<G>(sub, 2);  // adding s.txt, its newest version
  EXPECT_EQ(childNames<G>(newest), (Lines{L"s.txt@1"}));
  auto project = item<G>(this->db_, L"$/p");
  EXPECT_EQ(childNames<G>(atVersion<G>(project, 3)), (Lines{L"a.txt@1", L"sub@1"}));
}

// The places of a file as of a time: where it was held then, a pinned place
// at its pinned version; a place made later is not among them.
TYPED_TEST(MomentsTest, LinksAreThePlacesOfThen) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.at(kT0).createProject(L"$/a").createProject(L"$/b").createProject(L"$/c").addFile(L"$/a/x", "1");
  b.at(kT0 + 10).share(L"$/a/x", L"$/b").checkIn(L"$/a/x", "2").pin(L"$/b/x", 1);
  b.at(kT0 + 20).share(L"$/a/x", L"$/c").remove(L"$/a/x");
  auto db = b.open<G>();
  auto file = item<G>(db, L"$/c/x");
  auto placesAt = [&](std::int64_t seconds) {
    ComPtr<IVSSItemsT<G>> links;
    EXPECT_EQ(asOf<G>(file, seconds)->get_Links(links.put()), S_OK);
    Lines places;
    for (const auto& link : itemsOf<G>(links)) {
      places.push_back(specOf<G>(link) + L"@" + std::to_wstring(versionOf<G>(link)) +
                       (deletedFlag<G>(link) ? L" (deleted)" : L""));
    }
    return places;
  };
  EXPECT_EQ(placesAt(kT0 + 5), (Lines{L"$/a/x@1"}));
  EXPECT_EQ(placesAt(kT0 + 15), (Lines{L"$/a/x@2", L"$/b/x@1"}));
  EXPECT_EQ(placesAt(kT0 + 25), (Lines{L"$/a/x@2 (deleted)", L"$/b/x@1", L"$/c/x@2"}));
  // Through the pinned place, the file as of a time shows its pinned version.
  EXPECT_EQ(versionOf<G>(asOf<G>(item<G>(db, L"$/b/x"), kT0 + 25)), 1);
}

// Everything below a deleted project counts as deleted with it.
TYPED_TEST(MomentsTest, AProjectsDeletionReachesWhatItHolds) {
  using G = TypeParam;
  this->b_.at(kT0 + 60).remove(L"$/p/renamed").at(kT0 + 70).recover(L"$/p/renamed");
  auto db = this->b_.template open<G>();
  auto file = item<G>(db, L"$/p/renamed/s.txt");
  EXPECT_TRUE(deletedFlag<G>(asOf<G>(file, kT0 + 65)));
  EXPECT_FALSE(deletedFlag<G>(asOf<G>(file, kT0 + 75)));
  EXPECT_EQ(childNames<G>(asOf<G>(item<G>(db, L"$/p/renamed"), kT0 + 65)), Lines{});
}

// A project archived away is in no tree until it is restored: what a file
// shared into it writes there meanwhile (a rename made in its other place)
// is a change of a project that was not live.
TYPED_TEST(MomentsTest, AnArchivedProjectIsNotLiveUntilRestored) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.at(kT0).createProject(L"$/a").createProject(L"$/b").createProject(L"$/b/s").addFile(L"$/a/x", "1");
  b.at(kT0 + 10).share(L"$/a/x", L"$/b/s");
  b.at(kT0 + 20).archive(L"$/b");
  b.at(kT0 + 30).rename(L"$/a/x", L"y");
  b.at(kT0 + 40).restore(L"$/b");
  auto db = b.open<G>();
  auto sub = item<G>(db, L"$/b/s");
  std::vector<std::wstring> seen;
  for (const VersionRow& row : versions<G>(sub)) {
    seen.push_back(row.action + (row.itemDeleted ? L" (not live)" : L""));
  }
  EXPECT_EQ(seen, (Lines{L"Renamed x to y (not live)", L"Shared $/a/x", L"Created $s"}));
  EXPECT_TRUE(deletedFlag<G>(asOf<G>(sub, kT0 + 35)));
  EXPECT_FALSE(deletedFlag<G>(asOf<G>(sub, kT0 + 45)));
  EXPECT_FALSE(deletedFlag<G>(asOf<G>(sub, kT0 + 15)));
}

// The changes of one second are one moment: a time in that second sees all.
TYPED_TEST(MomentsTest, ChangesOfOneSecondAreSeenTogether) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.at(kT0).createProject(L"$/p");
  b.at(kT0 + 10).addFile(L"$/p/a", "1").at(kT0 + 10).checkIn(L"$/p/a", "2").at(kT0 + 10).rename(L"$/p/a", L"b");
  auto db = b.open<G>();
  auto project = asOf<G>(item<G>(db, L"$/p"), kT0 + 10);
  EXPECT_EQ(childNames<G>(project), (Lines{L"b@2"}));
  EXPECT_EQ(childNames<G>(asOf<G>(item<G>(db, L"$/p"), kT0 + 9)), Lines{});
}

// The versions of an item as of a time stop there; with VSSFLAG_RECURSYES a
// project lists what was ever below it up to then, a project moved out of it
// included.
TYPED_TEST(MomentsTest, VersionsStopAtTheMoment) {
  using G = TypeParam;
  this->b_.at(kT0 + 60).createProject(L"$/q").at(kT0 + 61).move(L"$/p/renamed", L"$/q");
  this->b_.at(kT0 + 62).checkIn(L"$/q/renamed/s.txt", "s2");
  auto db = this->b_.template open<G>();
  auto project = item<G>(db, L"$/p");
  EXPECT_EQ(history<G>(asOf<G>(item<G>(db, L"$/p/a.txt", true), kT0 + 25)).size(), 2u);
  Lines recursive = history<G>(asOf<G>(project, kT0 + 61), VSSFLAG_RECURSYES);
  EXPECT_EQ(recursive.front(), L"6 Moved $renamed to $/q/renamed @$/p");
  EXPECT_NE(std::find(recursive.begin(), recursive.end(), L"1 Created s.txt @$/p/sub/s.txt"), recursive.end());
  // The check-in after the move is listed too: a history reader sees it was
  // made outside the project.
  EXPECT_EQ(history<G>(project, VSSFLAG_RECURSYES).front(), L"2 Checked in $/q/renamed @$/q/renamed/s.txt");
}

}  // namespace

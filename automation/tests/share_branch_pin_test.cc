// One file in several projects: share, links, branch, pin and unpin.
#include <gtest/gtest.h>

#include "support/ssapi_test_util.h"

namespace {

using namespace ssapitest;
using ssapi::DatabaseBuilder;
using ssapi::VSSFLAG_HISTIGNOREFILES;
using ssapi::VSSFLAG_RECURSNO;
using ssapi::VSSFLAG_RECURSYES;
using Lines = std::vector<std::wstring>;

constexpr LONG kProjectFlags = VSSFLAG_RECURSNO | VSSFLAG_HISTIGNOREFILES;

template <class G>
Lines linkSpecs(const ComPtr<IVSSItemT<G>>& of) {
  ComPtr<IVSSItemsT<G>> links;
  HRESULT hr = of->get_Links(links.put());
  EXPECT_TRUE(SUCCEEDED(hr) && links) << failure(hr);
  Lines specs;
  if (!links) return specs;
  for (const auto& link : itemsOf<G>(links)) {
    VARIANT_BOOL deleted = VARIANT_FALSE;
    link->get_Deleted(&deleted);
    specs.push_back(specOf<G>(link) + (deleted ? L" (deleted)" : L""));
  }
  return specs;
}

template <class G>
class ShareBranchPinTest : public ::testing::Test {};
TYPED_TEST_SUITE(ShareBranchPinTest, Generations);

TYPED_TEST(ShareBranchPinTest, ShareRecordsTheSourceSpecAndLinksEveryCopy) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/lib").createProject(L"$/app").createProject(L"$/old").addFile(L"$/lib/x.h", "1")
      .share(L"$/lib/x.h", L"$/app").share(L"$/lib/x.h", L"$/old").remove(L"$/old/x.h")
      .checkIn(L"$/app/x.h", "2");
  auto db = b.open<G>();
  EXPECT_EQ(history<G>(item<G>(db, L"$/app"), kProjectFlags), (Lines{L"2 Shared $/lib/x.h", L"1 Created $app"}));
  EXPECT_EQ(linkSpecs<G>(item<G>(db, L"$/app/x.h")), (Lines{L"$/lib/x.h", L"$/app/x.h", L"$/old/x.h (deleted)"}));
  // A project links only to itself.
  EXPECT_EQ(linkSpecs<G>(item<G>(db, L"$/lib")), (Lines{L"$/lib"}));
  // One physical file: a check-in through one project shows in every one.
  auto viaLib = item<G>(db, L"$/lib/x.h");
  EXPECT_EQ(content<G>(viaLib), "2");
  EXPECT_EQ(history<G>(viaLib), (Lines{L"2 Checked in $/app", L"1 Created x.h"}));
  for (const auto& row : versions<G>(viaLib)) EXPECT_EQ(row.spec, L"$/lib/x.h");
}

TYPED_TEST(ShareBranchPinTest, BranchMakesASeparateFileThatKeepsTheOldVersions) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/a").createProject(L"$/b").addFile(L"$/a/x.h", "1").checkIn(L"$/a/x.h", "2")
      .share(L"$/a/x.h", L"$/b").branch(L"$/b/x.h").checkIn(L"$/a/x.h", "3").checkIn(L"$/b/x.h", "b");
  auto db = b.open<G>();
  auto branched = item<G>(db, L"$/b/x.h");
  EXPECT_EQ(history<G>(branched), (Lines{L"4 Checked in $/b", L"3 Branched at version 2", L"2 Checked in $/a",
                                         L"1 Created x.h"}));
  EXPECT_EQ(content<G>(branched), "b");
  EXPECT_EQ(content<G>(atVersion<G>(branched, 3)), "2");
  EXPECT_EQ(content<G>(atVersion<G>(branched, 1)), "1");
  EXPECT_EQ(content<G>(item<G>(db, L"$/a/x.h")), "3");
  EXPECT_EQ(history<G>(item<G>(db, L"$/b"), kProjectFlags),
            (Lines{L"3 Branched x.h", L"2 Shared $/a/x.h", L"1 Created $b"}));
  EXPECT_EQ(linkSpecs<G>(branched), (Lines{L"$/b/x.h"}));
  EXPECT_EQ(linkSpecs<G>(item<G>(db, L"$/a/x.h")), (Lines{L"$/a/x.h"}));
  // Before the branch the project held the shared file.
  auto before = children<G>(atVersion<G>(item<G>(db, L"$/b"), 2));
  ASSERT_EQ(before.size(), 1u);
  EXPECT_EQ(content<G>(before[0]), "2");
}

TYPED_TEST(ShareBranchPinTest, PinnedEntryShowsItsVersionUntilUnpinned) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/a").createProject(L"$/b").addFile(L"$/a/x.h", "1").checkIn(L"$/a/x.h", "2")
      .share(L"$/a/x.h", L"$/b").pin(L"$/b/x.h", 1).checkIn(L"$/a/x.h", "3");
  {
    auto db = b.open<G>();
    auto pinned = item<G>(db, L"$/b/x.h");
    LONG version = 0;
    SSAPI_OK(pinned->get_VersionNumber(&version));
    EXPECT_EQ(version, 1);
    EXPECT_EQ(content<G>(pinned), "1");
    // The version list is still the whole file's.
    EXPECT_EQ(history<G>(pinned).size(), 3u);
    EXPECT_EQ(history<G>(item<G>(db, L"$/b"), kProjectFlags),
              (Lines{L"3 Pinned x.h to version 1", L"2 Shared $/a/x.h", L"1 Created $b"}));
    // The recursive history of the pinning project lists every version of the
    // file (that the pinned place shows version 1 tells the check-in did not
    // reach it), each named where the file was at that moment.
    EXPECT_EQ(history<G>(item<G>(db, L"$/b"), VSSFLAG_RECURSYES),
              (Lines{L"3 Checked in $/a @$/b/x.h", L"3 Pinned x.h to version 1 @$/b", L"2 Shared $/a/x.h @$/b",
                     L"2 Checked in $/a @$/a/x.h", L"1 Created x.h @$/a/x.h", L"1 Created $b @$/b"}));
    EXPECT_EQ(childNames<G>(item<G>(db, L"$/b")), (Lines{L"x.h@1"}));
    EXPECT_THROW(b.checkIn(L"$/b/x.h", "no"), std::logic_error);
  }
  b.unpin(L"$/b/x.h");
  auto db = b.open<G>();
  EXPECT_EQ(history<G>(item<G>(db, L"$/b"), kProjectFlags).front(), L"4 Unpinned x.h");
  EXPECT_EQ(content<G>(item<G>(db, L"$/b/x.h")), "3");
  EXPECT_EQ(childNames<G>(atVersion<G>(item<G>(db, L"$/b"), 3)), (Lines{L"x.h@1"}));
}

TYPED_TEST(ShareBranchPinTest, DatabasesOpenedEarlierKeepWhatTheyWereOpenedWith) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/a").addFile(L"$/a/x", "1");
  auto early = b.open<G>();
  b.checkIn(L"$/a/x", "2");
  auto late = b.open<G>();
  EXPECT_EQ(content<G>(item<G>(early, L"$/a/x")), "1");
  EXPECT_EQ(content<G>(item<G>(late, L"$/a/x")), "2");
}

}  // namespace

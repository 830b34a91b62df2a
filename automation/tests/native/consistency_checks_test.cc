// The checks that tell an item file from the one a project entry points at,
// and names that cannot be item names.
#include <gtest/gtest.h>

#include "native/entry_identity.h"
#include "native/name_check.h"
#include "ssapi/ssapi.h"
#include "status_assertions.h"

namespace ssapi::native {
namespace {

using nativetest::failsWith;
using nativetest::isOk;

struct NameRow {
  const wchar_t* name;
  const wchar_t* problem;  // part of the description, null when the name is fine
};

const NameRow kNames[] = {
    {L"a.txt", nullptr},
    {L"long name with spaces.c", nullptr},
    {L"\u82b1\u57ceCRM", nullptr},
    {L".hidden", nullptr},
    {L"x$", nullptr},
    {L"", L"the name is empty"},
    {L".", L"is reserved"},
    {L"..", L"is reserved"},
    {L"a/b", L"path separator"},
    {L"a\\b", L"path separator"},
    {L"c:", L"holds a \":\""},
    {L"a:b", L"holds a \":\""},
    {L"$x", L"starts with \"$\""},
    {L"bell\x07", L"control character"},
    {L"two\nlines", L"control character"},
    {L"x\x7f", L"control character"},
};

TEST(NameCheckTest, RefusesNamesThatAreNoSingleFileName) {
  for (const NameRow& row : kNames) {
    SCOPED_TRACE(platform::wideToUtf8(row.name));
    Status status = checkItemName(row.name, L"/db/data/b/baaaaaaa", 0x1a0);
    if (!row.problem) {
      EXPECT_TRUE(isOk(status));
      continue;
    }
    EXPECT_TRUE(failsWith(status, ESS_CORRUPT, L"File \"/db/data/b/baaaaaaa\" may be corrupt: the name \""));
    EXPECT_TRUE(failsWith(status, ESS_CORRUPT, row.problem));
    EXPECT_TRUE(failsWith(status, ESS_CORRUPT, L"at offset 0x1a0"));
    // The description stays one line whatever the name holds.
    EXPECT_EQ(status.description.find_first_of(L"\n\x07"), std::wstring::npos);
  }
}

TEST(NameCheckTest, StoredSpecsAreMadeOfItemNames) {
  const NameRow rows[] = {
      {L"", nullptr},
      {L"$/", nullptr},
      {L"$", nullptr},
      {L"$/proj/sub", nullptr},
      {L"$/../../etc", L"holds the name \"..\""},
      {L"$/a/c:", L"holds the name \"c:\""},
      {L"proj/sub", L"is no SourceSafe spec"},
      {L"/abs", L"is no SourceSafe spec"},
  };
  for (const NameRow& row : rows) {
    SCOPED_TRACE(platform::wideToUtf8(row.name));
    Status status = checkStoredSpec(row.name, L"/db/data/b/baaaaaaa", 0x1a0);
    if (row.problem) {
      EXPECT_TRUE(failsWith(status, ESS_CORRUPT, row.problem));
    } else {
      EXPECT_TRUE(isOk(status));
    }
  }
}

// What the item file at CAAAAAAA says about itself against what the entry
// in BAAAAAAA's data file says.
struct IdentityRow {
  const char* name;
  ItemIdentity item;
  EntryClaim claim;
  const wchar_t* problem;  // null when the item is the one the entry means
};

ItemIdentity project(const wchar_t* name, const char* parent) {
  return {L"/db/data/c/caaaaaaa", ItemKind::kProject, name, parent, {}};
}
ItemIdentity file(const wchar_t* name, std::vector<std::string> parents) {
  return {L"/db/data/c/caaaaaaa", ItemKind::kFile, name, "", std::move(parents)};
}
EntryClaim entry(ItemKind kind, const wchar_t* name) {
  return {"BAAAAAAA", L"/db/data/b/baaaaaaa.a", 0x40, kind, name};
}

const IdentityRow kIdentities[] = {
    {"Project", project(L"sub", "BAAAAAAA"), entry(ItemKind::kProject, L"sub"), nullptr},
    {"ProjectNameInOtherCase", project(L"Sub", "BAAAAAAA"), entry(ItemKind::kProject, L"SUB"), nullptr},
    {"File", file(L"a.txt", {"BAAAAAAA"}), entry(ItemKind::kFile, L"a.txt"), nullptr},
    // Each project that holds a shared file may show it under its own name.
    {"SharedFileUnderAnotherName", file(L"a.txt", {"DAAAAAAA", "BAAAAAAA"}), entry(ItemKind::kFile, L"b.txt"),
     nullptr},
    {"FileWhereAProjectIsListed", file(L"sub", {"BAAAAAAA"}), entry(ItemKind::kProject, L"sub"),
     L"it is a file where a project is listed"},
    {"ProjectWhereAFileIsListed", project(L"a.txt", "BAAAAAAA"), entry(ItemKind::kFile, L"a.txt"),
     L"it is a project where a file is listed"},
    {"ProjectOfAnotherParent", project(L"sub", "DAAAAAAA"), entry(ItemKind::kProject, L"sub"),
     L"it does not name BAAAAAAA among the projects holding it"},
    {"ProjectOfAnotherName", project(L"other", "BAAAAAAA"), entry(ItemKind::kProject, L"sub"),
     L"its header names it \"other\" where \"sub\" is listed"},
    {"FileOfAnotherProject", file(L"a.txt", {"DAAAAAAA"}), entry(ItemKind::kFile, L"a.txt"),
     L"it does not name BAAAAAAA among the projects holding it"},
    {"FileOfAnotherName", file(L"b.txt", {"BAAAAAAA"}), entry(ItemKind::kFile, L"a.txt"),
     L"its header names it \"b.txt\" where \"a.txt\" is listed"},
};

void PrintTo(const IdentityRow& row, std::ostream* out) { *out << row.name; }

class EntryIdentityTest : public ::testing::TestWithParam<IdentityRow> {};

TEST_P(EntryIdentityTest, AnItemFileMustBeTheOneItsEntryPointsAt) {
  const IdentityRow& row = GetParam();
  Status status = checkIdentity(row.item, row.claim);
  // The same mismatch, blamed on the entry.
  Status entryStatus = checkEntry(row.item, row.claim);
  if (!row.problem) {
    EXPECT_TRUE(isOk(status));
    EXPECT_TRUE(isOk(entryStatus));
    return;
  }
  EXPECT_TRUE(failsWith(status, ESS_CORRUPT, L"File \"/db/data/c/caaaaaaa\" may be corrupt: "));
  EXPECT_TRUE(failsWith(status, ESS_CORRUPT, row.problem));
  EXPECT_TRUE(failsWith(status, ESS_CORRUPT, L"the entry at offset 0x40 of \"/db/data/b/baaaaaaa.a\" points at it"));
  EXPECT_TRUE(failsWith(entryStatus, ESS_CORRUPT,
                        L"File \"/db/data/b/baaaaaaa.a\" may be corrupt: the entry points at \"/db/data/c/caaaaaaa\", but "));
  EXPECT_TRUE(failsWith(entryStatus, ESS_CORRUPT, row.problem));
  EXPECT_TRUE(failsWith(entryStatus, ESS_CORRUPT, L"at offset 0x40"));
}

INSTANTIATE_TEST_SUITE_P(Rows, EntryIdentityTest, ::testing::ValuesIn(kIdentities),
                         [](const ::testing::TestParamInfo<IdentityRow>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace ssapi::native

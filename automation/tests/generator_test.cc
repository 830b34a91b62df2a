// The synthetic database generator: what it writes opens again, and it uses
// every kind of change.
#include <gtest/gtest.h>

#include <set>

#include "platform/com_registry.h"
#include "ssapi/generator.h"
#include "ssapi/library.h"
#include "support/ssapi_test_util.h"

namespace {

using namespace ssapitest;
using ssapi::Vss2005;

TEST(GeneratorTest, WritesAnOpenableDatabaseWithEveryKindOfChange) {
  testsupport::TempDir dir;
  ssapi::GeneratorOptions options;
  options.versions = 4000;
  options.seed = 7;
  auto made = ssapi::generateDatabase(dir.path(), options);
  EXPECT_GE(made.versions, 4000u);
  EXPECT_GT(made.projects, 10u);
  EXPECT_GT(made.files, 100u);

  ssapi::installLibrary();
  ComPtr<IVSSDatabaseT<Vss2005>> db;
  ASSERT_EQ(CoCreateInstance(ssapi::CLSID_VSSDatabase, nullptr, CLSCTX_ALL, IVSSDatabaseT<Vss2005>::iid(),
                             reinterpret_cast<void**>(db.put())),
            S_OK);
  SSAPI_OK(db->Open(platform::utf8ToWide((dir / "srcsafe.ini").string()), L"user3", L"pass3"));

  std::set<std::wstring> keywords;
  auto rows = versions<Vss2005>(item<Vss2005>(db, L"$/"), ssapi::VSSFLAG_RECURSYES);
  double previous = 1e300;
  for (const auto& row : rows) {
    keywords.insert(row.action.substr(0, row.action.find(L' ')));
    EXPECT_LE(row.date, previous);
    previous = row.date;
  }
  EXPECT_EQ(keywords, (std::set<std::wstring>{L"Added", L"Archived", L"Branched", L"Checked", L"Created", L"Deleted",
                                              L"Destroyed", L"Labeled", L"Moved", L"Pinned", L"Purged", L"Recovered",
                                              L"Renamed", L"Restored", L"Rollback", L"Shared", L"Unpinned"}));
  // The same seed and size give the same files.
  testsupport::TempDir again;
  ssapi::generateDatabase(again.path(), options);
  EXPECT_EQ(testsupport::readFileBytes(dir / "data" / "journal.txt"),
            testsupport::readFileBytes(again / "data" / "journal.txt"));
}

}  // namespace

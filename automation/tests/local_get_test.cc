// Get: files and project trees written to local disk, and the refusal to
// write outside the folder given.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "model/database.h"
#include "model/queries.h"
#include "objects/objects.h"
#include "support/ssapi_test_util.h"

namespace {

using namespace ssapitest;
using ssapi::DatabaseBuilder;
namespace fs = std::filesystem;
using Lines = std::vector<std::wstring>;

constexpr LONG kTreeFlags = 0x2000688E;  // what the program's recursive get passes

std::wstring wide(const fs::path& path) { return platform::utf8ToWide(path.string()); }

// Every file below a folder as "relative/path=content".
std::vector<std::string> tree(const fs::path& folder) {
  std::vector<std::string> files;
  if (!fs::exists(folder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    std::string relative = fs::relative(entry.path(), folder).string();
    files.push_back(entry.is_directory() ? relative + "/" : relative + "=" + testsupport::readFileBytes(entry.path()));
  }
  std::sort(files.begin(), files.end());
  return files;
}

template <class G>
class LocalGetTest : public ::testing::Test {};
TYPED_TEST_SUITE(LocalGetTest, Generations);

TYPED_TEST(LocalGetTest, FileGetReplacesOnlyWhenAsked) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/a.txt", "new");
  auto db = b.open<G>();
  auto file = item<G>(db, L"$/p/a.txt");
  testsupport::TempDir dir;
  fs::path target = dir / "a.txt";
  testsupport::writeFileBytes(target, "old");

  std::wstring local = wide(target);
  EXPECT_EQ(file->Get(&local, 0), ssapi::ESS_FILE_ACCESSDENIED);
  auto info = platform::takeErrorInfo();
  ASSERT_TRUE(info);
  EXPECT_EQ(info->description, L"Access to file \"" + wide(target) + L"\" denied");
  EXPECT_EQ(file->Get(&local, ssapi::VSSFLAG_REPSKIP), S_OK);
  EXPECT_EQ(testsupport::readFileBytes(target), "old");
  EXPECT_EQ(file->Get(&local, 0x1880), S_OK);
  EXPECT_EQ(testsupport::readFileBytes(target), "new");
  EXPECT_EQ(local, wide(target));
}

TYPED_TEST(LocalGetTest, RecursiveProjectGetWritesTheTreeAsOfTheItemsVersion) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/a.txt", "a1").createProject(L"$/p/sub").addFile(L"$/p/sub/b.txt", "b1")
      .createProject(L"$/p/sub/deep").addFile(L"$/p/gone.txt", "g").remove(L"$/p/gone.txt")
      .checkIn(L"$/p/a.txt", "a2").addFile(L"$/p/late.txt", "l");
  auto db = b.open<G>();
  auto project = item<G>(db, L"$/p");

  testsupport::TempDir now;
  std::wstring local = wide(now / "out");
  SSAPI_OK(project->Get(&local, kTreeFlags));
  EXPECT_EQ(local, wide(now / "out"));
  EXPECT_EQ(tree(now / "out"),
            (std::vector<std::string>{"a.txt=a2", "late.txt=l", "sub/", "sub/b.txt=b1", "sub/deep/"}));

  // Version 4 of $/p is the add of gone.txt: before a.txt's second check-in.
  testsupport::TempDir then;
  local = wide(then.path());
  SSAPI_OK(atVersion<G>(project, 4)->Get(&local, kTreeFlags));
  EXPECT_EQ(tree(then.path()),
            (std::vector<std::string>{"a.txt=a1", "gone.txt=g", "sub/", "sub/b.txt=b1", "sub/deep/"}));

  // Without recursion only the project's own files.
  testsupport::TempDir flat;
  local = wide(flat.path());
  SSAPI_OK(project->Get(&local, ssapi::VSSFLAG_REPREPLACE));
  EXPECT_EQ(tree(flat.path()), (std::vector<std::string>{"a.txt=a2", "late.txt=l"}));
}

TYPED_TEST(LocalGetTest, GetUsesTheWorkingFolderWhenNoPathIsGiven) {
  using G = TypeParam;
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/a.txt", "a");
  auto db = b.open<G>();
  testsupport::TempDir dir;
  SSAPI_OK(item<G>(db, L"$/p")->put_LocalSpec(wide(dir.path())));
  std::wstring local;
  SSAPI_OK(item<G>(db, L"$/p/a.txt")->Get(&local, ssapi::VSSFLAG_REPREPLACE));
  EXPECT_EQ(local, wide(dir / "a.txt"));
  EXPECT_EQ(testsupport::readFileBytes(dir / "a.txt"), "a");
}

// A model that holds a name no loader accepts, as a damaged database might.
template <class G>
ComPtr<IVSSDatabaseT<G>> withChildNamed(const std::wstring& name) {
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/ok.txt", "ok").addFile(L"$/p/bad", "evil");
  auto db = std::make_shared<ssapi::model::Database>(b.database());
  auto at = ssapi::model::locate(*db, L"$/p/bad", ssapi::model::Want::kLive, false);
  ssapi::model::EntryState state = db->item(at->entry.project).entries[at->entry.slot].current();
  state.name = db->intern(name);
  db->changeEntry(at->entry.project, at->entry.slot, state);
  auto session = std::make_shared<ssapi::objects::Session>();
  session->db = db;
  return ComPtr<IVSSDatabaseT<G>>(new ssapi::objects::DatabaseObject<G>(session));
}

TYPED_TEST(LocalGetTest, UnsafeNamesAreRefusedBeforeAnythingIsWritten) {
  using G = TypeParam;
  const std::wstring names[] = {L"..", L".", L"", L"../../escape", L"a\\b", std::wstring(L"nul\0x", 5)};
  for (const std::wstring& name : names) {
    SCOPED_TRACE(platform::wideToUtf8(name));
    auto db = withChildNamed<G>(name);
    testsupport::TempDir dir;
    std::wstring local = wide(dir / "out");
    EXPECT_EQ(item<G>(db, L"$/p")->Get(&local, kTreeFlags), ssapi::ESS_SSPEC_SYNTAX);
    auto info = platform::takeErrorInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->description.rfind(L"Invalid SourceSafe syntax: \"$/p/", 0), 0u);
    EXPECT_FALSE(fs::exists(dir / "out"));
    EXPECT_EQ(tree(dir.path().parent_path() / "escape"), std::vector<std::string>{});
  }
}

}  // namespace

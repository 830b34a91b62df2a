// Opening a database in SourceSafe's own files reads next to nothing, and
// reaching one file reads the files on its path only: a database of
// thousands of items costs a handful of file reads.
#include <fmt/format.h>
#include <fmt/xchar.h>
#include <gtest/gtest.h>

#include <memory>

#include "automation_view.h"
#include "native/model_loader.h"
#include "native/open_native_database.h"
#include "native_database_builder.h"
#include "objects/objects.h"
#include "status_assertions.h"
#include "support/temp_dir.h"

namespace nativetest {
namespace {

constexpr int kProjects = 50;
constexpr int kFilesPerProject = 60;

// Made once: it takes a few seconds.
class ManyItemsLazyLoadTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new testsupport::TempDir();
    NativeDatabaseBuilder db;
    for (int p = 0; p < kProjects; ++p) {
      std::wstring project = fmt::format(L"$/project{:02}", p);
      db.createProject(project);
      for (int f = 0; f < kFilesPerProject; ++f) {
        std::wstring file = fmt::format(L"{}/file{:02}.txt", project, f);
        db.addFile(file, fmt::format("{} {}\r\n", p, f));
        if (f % 20 == 0) db.checkIn(file, fmt::format("{} {} again\r\n", p, f));
      }
    }
    items_ = db.itemCount();
    db.writeTo(folder_->path());
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }

  // Opens the database and wraps it in the automation's database object, so
  // that what the loader reads can be counted.
  template <class G>
  ComPtr<ssapi::IVSSDatabaseT<G>> open(ssapi::native::OpenedDatabase* opened) {
    ssapi::native::Status status = ssapi::native::openNativeDatabase(folder_->path() / "srcsafe.ini", L"Admin", L"",
                                                                     ssapi::native::ReaderOptions{}, opened);
    EXPECT_TRUE(isOk(status));
    auto session = std::make_shared<ssapi::objects::Session>();
    session->db = opened->db;
    session->user = opened->user;
    return ComPtr<ssapi::IVSSDatabaseT<G>>(new ssapi::objects::DatabaseObject<G>(session));
  }

  static std::size_t filesRead(const ssapi::native::OpenedDatabase& opened) {
    return opened.loader->files().filesRead();
  }

  static testsupport::TempDir* folder_;
  static std::size_t items_;
};

testsupport::TempDir* ManyItemsLazyLoadTest::folder_ = nullptr;
std::size_t ManyItemsLazyLoadTest::items_ = 0;

TEST_F(ManyItemsLazyLoadTest, OpeningReadsTheIniTheUsersAndTheRoot) {
  ASSERT_EQ(items_, 1u + kProjects * (1u + kFilesPerProject));
  ssapi::native::OpenedDatabase opened;
  auto db = open<ssapi::Vss2005>(&opened);
  ASSERT_TRUE(opened.db);
  // srcsafe.ini, um.dat (for the login and for the user list), the root's
  // item file and data file.
  EXPECT_LE(filesRead(opened), 5u);
}

TEST_F(ManyItemsLazyLoadTest, OneFileCostsTheFilesOnItsPath) {
  ssapi::native::OpenedDatabase opened;
  auto db = open<ssapi::Vss60>(&opened);
  ASSERT_TRUE(opened.db);
  std::size_t afterOpen = filesRead(opened);

  auto file = ssapitest::item<ssapi::Vss60>(db, L"$/project37/file40.txt");
  ASSERT_TRUE(file);
  // The project's item file and data file, the file's item file.
  EXPECT_LE(filesRead(opened) - afterOpen, 3u);
  LONG version = 0;
  EXPECT_EQ(file->get_VersionNumber(&version), S_OK);
  EXPECT_EQ(version, 2);
  EXPECT_EQ(ssapitest::history<ssapi::Vss60>(file),
            (std::vector<std::wstring>{L"2 Checked in $/project37", L"1 Created file40.txt"}));
  std::size_t beforeContent = filesRead(opened);
  // The contents: the data file, and for the older version the data file
  // again with the deltas of the item file already read.
  EXPECT_EQ(ssapitest::content<ssapi::Vss60>(file), "37 40 again\r\n");
  EXPECT_EQ(ssapitest::content<ssapi::Vss60>(ssapitest::atVersion<ssapi::Vss60>(file, 1)), "37 40\r\n");
  EXPECT_LE(filesRead(opened) - beforeContent, 2u);
  EXPECT_LE(filesRead(opened), 10u) << "of " << 2 * items_ + 3 << " files";
}

TEST_F(ManyItemsLazyLoadTest, AnotherProjectCostsItsOwnFilesOnly) {
  ssapi::native::OpenedDatabase opened;
  auto db = open<ssapi::Vss2005>(&opened);
  ASSERT_TRUE(opened.db);
  ASSERT_TRUE(ssapitest::item<ssapi::Vss2005>(db, L"$/project01/file01.txt"));
  std::size_t first = filesRead(opened);
  ASSERT_TRUE(ssapitest::item<ssapi::Vss2005>(db, L"$/project02/file59.txt"));
  EXPECT_LE(filesRead(opened) - first, 3u);
  // The same file again reads nothing.
  std::size_t second = filesRead(opened);
  ASSERT_TRUE(ssapitest::item<ssapi::Vss2005>(db, L"$/project02/file59.txt"));
  EXPECT_EQ(filesRead(opened), second);
}

}  // namespace
}  // namespace nativetest

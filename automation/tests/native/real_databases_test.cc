// The reader over the real databases made by SourceSafe itself, in
// ../shared/vssdb next to the repository. Skipped when they are absent.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <set>

#include "native/crc.h"
#include "native/database_files.h"
#include "ssapi/ssapi.h"
#include "status_assertions.h"
#include "support/temp_dir.h"

namespace ssapi::native {
namespace {

using nativetest::failsWith;
using nativetest::isOk;

const char* const kDatabases[] = {
    "alex632-mylvss",
    "bhl105337-sy-views-demo",
    "galaiv-InHotel-web",
    "gxsuyou-node",
    "lw990128-BookKeeping",
    "nanguahaha-test",
    "shukladhaval25-Inventory-Shaili",
    "tempnjayaraj-vss",
    "wjkong-MicNets",
};

std::filesystem::path databasesFolder() { return QUILLGATE_VSSDB_DIR; }

bool haveDatabases() {
  std::error_code error;
  return std::filesystem::is_directory(databasesFolder(), error);
}

#define SKIP_WITHOUT_DATABASES()                                                   \
  if (!haveDatabases())                                                            \
  GTEST_SKIP() << "the real SourceSafe databases are not at " << databasesFolder() \
               << " (../shared/vssdb beside the repository); skipped"

std::unique_ptr<DatabaseFiles> openDatabase(const std::string& name) {
  std::unique_ptr<DatabaseFiles> files;
  ReaderOptions options;
  options.codePage = "1252";
  Status status = DatabaseFiles::open(databasesFolder() / name / "srcsafe.ini", options, &files);
  EXPECT_TRUE(isOk(status));
  return files;
}

// Everything one walk over a database found.
struct Census {
  std::size_t projects = 0;
  std::size_t files = 0;
  std::size_t historyRecords = 0;
  std::size_t entries = 0;
  std::size_t fileVersions = 0;
  std::size_t users = 0;
  std::map<std::uint16_t, std::size_t> actions;
  std::size_t shares = 0, pins = 0, unpins = 0;
};

class RealDatabaseTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_DATABASES();
    files_ = openDatabase(GetParam());
    ASSERT_TRUE(files_);
  }
  std::unique_ptr<DatabaseFiles> files_;
};

TEST_P(RealDatabaseTest, EveryItemFileParses) {
  std::vector<std::string> physicals;
  ASSERT_TRUE(isOk(files_->listItemFiles(&physicals)));
  ASSERT_FALSE(physicals.empty());
  EXPECT_EQ(physicals.front(), "AAAAAAAA");
  for (const std::string& physical : physicals) {
    SCOPED_TRACE(physical);
    ItemFile item;
    ASSERT_TRUE(isOk(files_->readItem(physical, &item)));
    EXPECT_EQ(item.physical, physical);
    EXPECT_TRUE(item.warnings.empty());
    ASSERT_FALSE(item.history.empty());
    // Every project's first record is its creation; every file's too.
    EXPECT_EQ(item.history.front().action,
              item.header.isProject() ? ActionCode::kCreateProject : ActionCode::kCreateFile);
    std::wstring name;
    EXPECT_TRUE(isOk(files_->resolveName(item.header.name, &name)));
    if (physical == "AAAAAAAA") {
      EXPECT_TRUE(item.header.isProject());
      EXPECT_EQ(name, L"");
      EXPECT_EQ(item.header.project.parentPhysical, "");
    } else {
      EXPECT_NE(name, L"");
    }
    if (!item.header.isProject()) {
      EXPECT_FALSE(item.parents.empty());
    }
  }
}

TEST_P(RealDatabaseTest, ProjectEntriesReachEveryItemFile) {
  std::vector<std::string> physicals;
  ASSERT_TRUE(isOk(files_->listItemFiles(&physicals)));
  std::set<std::string> reached{"AAAAAAAA"};
  std::vector<std::string> projects{"AAAAAAAA"};
  while (!projects.empty()) {
    std::string physical = projects.back();
    projects.pop_back();
    SCOPED_TRACE(physical);
    ItemFile project;
    ASSERT_TRUE(isOk(files_->readItem(physical, &project)));
    ASSERT_TRUE(project.header.isProject());
    std::vector<ProjectEntry> entries;
    ASSERT_TRUE(isOk(files_->readProjectEntries(project, &entries)));
    EXPECT_EQ(entries.size(), project.header.project.totalItems);
    for (const ProjectEntry& entry : entries) {
      std::wstring name;
      EXPECT_TRUE(isOk(files_->resolveName(entry.name, &name)));
      EXPECT_NE(name, L"");
      bool fresh = reached.insert(entry.physical).second;
      // Only files are shared; a project has exactly one entry.
      if (entry.kind == ItemKind::kProject) {
        EXPECT_TRUE(fresh) << entry.physical;
        projects.push_back(entry.physical);
      }
    }
  }
  EXPECT_EQ(reached, std::set<std::string>(physicals.begin(), physicals.end()));
}

TEST_P(RealDatabaseTest, CurrentContentIsTheDataFileAndEveryOlderVersionRebuilds) {
  std::vector<std::string> physicals;
  ASSERT_TRUE(isOk(files_->listItemFiles(&physicals)));
  for (const std::string& physical : physicals) {
    ItemFile item;
    ASSERT_TRUE(isOk(files_->readItem(physical, &item)));
    if (item.header.isProject()) continue;
    SCOPED_TRACE(physical);
    std::string current;
    ASSERT_TRUE(isOk(files_->readCurrentContent(item, &current)));
    std::string name(1, static_cast<char>(physical[0] - 'A' + 'a'));
    std::string lower = physical;
    for (char& c : lower) c = static_cast<char>(c - 'A' + 'a');
    std::filesystem::path dataFile = databasesFolder() / GetParam() / "data" / name /
                                     (lower + "." + static_cast<char>(item.header.dataExtension - 'A' + 'a'));
    EXPECT_EQ(current, testsupport::readFileBytes(dataFile));
    EXPECT_EQ(crc32(current), item.header.file.dataCrc);
    std::vector<std::int32_t> seen;
    ASSERT_TRUE(isOk(files_->walkVersions(item, 1, [&](std::int32_t version, const std::string& content) {
      if (version == item.header.lastVersion) {
        EXPECT_EQ(content, current);
      }
      seen.push_back(version);
      return true;
    })));
    ASSERT_EQ(seen.size(), static_cast<std::size_t>(item.header.lastVersion));
    EXPECT_EQ(seen.front(), item.header.lastVersion);
    EXPECT_EQ(seen.back(), 1);
  }
}

TEST_P(RealDatabaseTest, PasswordCheck) {
  std::string name = GetParam();
  std::wstring emptyPasswordUser = name == "alex632-mylvss" ? L"Guest" : L"Admin";
  EXPECT_TRUE(isOk(files_->checkLogin(emptyPasswordUser, L"")));
  // User names are compared without regard to letter case.
  EXPECT_TRUE(isOk(files_->checkLogin(name == "alex632-mylvss" ? L"gUEST" : L"aDMIN", L"")));
  EXPECT_TRUE(failsWith(files_->checkLogin(emptyPasswordUser, L"wrong"), ESS_UM_BAD_PASSWORD, L"Invalid password"));
  EXPECT_TRUE(
      failsWith(files_->checkLogin(L"NoSuchUser", L""), ESS_UM_USER_NOT_FOUND, L"User \"NoSuchUser\" not found"));
  if (name == "alex632-mylvss") {
    EXPECT_TRUE(failsWith(files_->checkLogin(L"Admin", L""), ESS_UM_BAD_PASSWORD, L"Invalid password"));
  }
}

TEST_P(RealDatabaseTest, ReadingOneItemReadsOnlyItsFiles) {
  std::size_t before = files_->filesRead();
  EXPECT_EQ(before, 1u);  // srcsafe.ini
  ItemFile root;
  ASSERT_TRUE(isOk(files_->readItem("AAAAAAAA", &root)));
  std::vector<ProjectEntry> entries;
  ASSERT_TRUE(isOk(files_->readProjectEntries(root, &entries)));
  EXPECT_EQ(files_->filesRead(), before + 2);
}

INSTANTIATE_TEST_SUITE_P(All, RealDatabaseTest, ::testing::ValuesIn(kDatabases),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           for (char& c : name) {
                             if (c == '-') c = '_';
                           }
                           return name;
                         });

// The totals over all nine databases, as an independent dump of them counted.
TEST(RealDatabasesTotalTest, MatchTheIndependentCount) {
  SKIP_WITHOUT_DATABASES();
  Census census;
  for (const char* name : kDatabases) {
    SCOPED_TRACE(name);
    std::unique_ptr<DatabaseFiles> files = openDatabase(name);
    ASSERT_TRUE(files);
    std::vector<std::string> physicals;
    ASSERT_TRUE(isOk(files->listItemFiles(&physicals)));
    for (const std::string& physical : physicals) {
      ItemFile item;
      ASSERT_TRUE(isOk(files->readItem(physical, &item)));
      if (item.header.isProject()) {
        ++census.projects;
        std::vector<ProjectEntry> entries;
        ASSERT_TRUE(isOk(files->readProjectEntries(item, &entries)));
        census.entries += entries.size();
      } else {
        ++census.files;
        census.fileVersions += static_cast<std::size_t>(item.header.lastVersion);
      }
      for (const HistoryRecord& rec : item.history) {
        ++census.historyRecords;
        ++census.actions[static_cast<std::uint16_t>(rec.action)];
        if (rec.action == ActionCode::kShareFile) {
          ++(rec.shareKind == ShareKind::kShare ? census.shares
             : rec.shareKind == ShareKind::kPin ? census.pins
                                                : census.unpins);
        }
      }
    }
    std::vector<UserRecord> users;
    ASSERT_TRUE(isOk(files->readUsers(&users)));
    census.users += users.size();
  }
  EXPECT_EQ(census.projects, 153u);
  EXPECT_EQ(census.files, 1038u);
  EXPECT_EQ(census.historyRecords, 3255u);
  EXPECT_EQ(census.entries, 1198u);
  EXPECT_EQ(census.fileVersions, 1771u);
  EXPECT_EQ(census.users, 31u);
  std::map<std::uint16_t, std::size_t> expected = {{0, 1}, {1, 153}, {2, 144}, {3, 1038},  {6, 5},   {7, 101},
                                                   {9, 7}, {11, 13}, {14, 22}, {16, 1038}, {17, 733}};
  EXPECT_EQ(census.actions, expected);
  EXPECT_EQ(census.shares, 16u);
  EXPECT_EQ(census.pins, 3u);
  EXPECT_EQ(census.unpins, 3u);
}

// Nothing in a database folder changes by reading it.
TEST(RealDatabasesTotalTest, ReadingLeavesTheFolderUntouched) {
  SKIP_WITHOUT_DATABASES();
  std::filesystem::path folder = databasesFolder() / "tempnjayaraj-vss";
  auto snapshot = [&] {
    std::map<std::string, std::pair<std::uintmax_t, std::filesystem::file_time_type>> state;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      state[entry.path().string()] = {entry.is_regular_file() ? entry.file_size() : 0, entry.last_write_time()};
    }
    return state;
  };
  auto before = snapshot();
  std::unique_ptr<DatabaseFiles> files = openDatabase("tempnjayaraj-vss");
  ASSERT_TRUE(files);
  std::vector<std::string> physicals;
  ASSERT_TRUE(isOk(files->listItemFiles(&physicals)));
  for (const std::string& physical : physicals) {
    ItemFile item;
    ASSERT_TRUE(isOk(files->readItem(physical, &item)));
    if (!item.header.isProject()) {
      std::string content;
      ASSERT_TRUE(isOk(files->contentAt(item, 1, &content)));
    }
  }
  EXPECT_TRUE(isOk(files->checkLogin(L"Admin", L"")));
  EXPECT_EQ(snapshot(), before);
}

}  // namespace
}  // namespace ssapi::native

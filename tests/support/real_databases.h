// The real SourceSafe databases in ../shared/vssdb beside the repository:
// read-only test data, optional. A target that uses this header defines
// QUILLGATE_VSSDB_DIR; tests that need the databases skip without them.
#pragma once

#include <filesystem>
#include <ostream>

namespace testsupport {

struct RealDatabase {
  const char* name;
  const char* user;      // a user with an empty password
  const char* codePage;  // SSAPI_CODEPAGE while it is open, "" for the default
};

// Every name, comment, label and user in these databases is plain ASCII, so
// no row depends on its code page; the databases written on Chinese Windows
// are still read in their writers' code page, so that the setting meets
// real files (alex632's srcsafe.ini names a Taipei time zone in Big5).
inline constexpr RealDatabase kRealDatabases[] = {
    {"alex632-mylvss", "Guest", "950"},
    {"bhl105337-sy-views-demo", "Admin", "936"},
    {"galaiv-InHotel-web", "Admin", ""},
    {"gxsuyou-node", "Admin", "936"},
    {"lw990128-BookKeeping", "Admin", "936"},
    {"nanguahaha-test", "Admin", "936"},
    {"shukladhaval25-Inventory-Shaili", "Admin", ""},
    {"tempnjayaraj-vss", "Admin", ""},
    {"wjkong-MicNets", "Admin", ""},
};

// Test rows print as the database's name.
inline void PrintTo(const RealDatabase& database, std::ostream* out) { *out << database.name; }

inline std::filesystem::path realDatabasesFolder() { return QUILLGATE_VSSDB_DIR; }

inline bool haveRealDatabases() {
  std::error_code error;
  return std::filesystem::is_directory(realDatabasesFolder(), error);
}

}  // namespace testsupport

#define SKIP_WITHOUT_DATABASES()                                                                   \
  if (!testsupport::haveRealDatabases())                                                           \
  GTEST_SKIP() << "the real SourceSafe databases are not at " << testsupport::realDatabasesFolder() \
               << " (../shared/vssdb beside the repository); skipped"

// The loader's fuzz target, run in the ordinary build: a real database
// packed the way its seeds are is reached whole, and damaged or hostile
// inputs end cleanly.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "database_fuzz_input.h"
#include "support/temp_dir.h"

namespace quillgate::fuzz {
namespace {

std::string readAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(DatabaseFuzzInput, APackedRealDatabaseIsReachedWhole) {
  std::filesystem::path folder = std::filesystem::path(QUILLGATE_VSSDB_DIR) / "alex632-mylvss";
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    GTEST_SKIP() << "the real SourceSafe databases are not at " << QUILLGATE_VSSDB_DIR << "; skipped";
  }
  std::vector<DatabaseFile> files{{"srcsafe.ini", readAll(folder / "srcsafe.ini")},
                                  {"data/um.dat", readAll(folder / "data" / "um.dat")},
                                  {"data/names.dat", readAll(folder / "data" / "names.dat")}};
  std::size_t itemFiles = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder / "data")) {
    std::string name = entry.path().filename().string();
    bool letters = name.size() >= 8 && name.find_first_not_of("abcdefghijklmnopqrstuvwxyz") >= 8;
    bool itemOrData = name.size() == 8 || (name.size() == 10 && name[8] == '.');
    if (!entry.is_regular_file() || !letters || !itemOrData) continue;
    files.push_back({"data/" + name.substr(0, 1) + "/" + name, readAll(entry.path())});
    if (name.size() == 8) ++itemFiles;
  }
  testsupport::TempDir scratch;
  EXPECT_EQ(fuzzDatabase(packDatabase(files), scratch.path() / "db"), itemFiles);
}

TEST(DatabaseFuzzInput, DamagedAndHostileInputsEndCleanly) {
  struct Row {
    const char* what;
    std::vector<DatabaseFile> files;
  };
  std::string project(0x300, '\0');
  const Row rows[] = {
      {"nothing at all", {}},
      {"a root that is not an item file", {{"data/a/aaaaaaaa", "garbage"}}},
      {"a root of zeros with a data file", {{"data/a/aaaaaaaa", project}, {"data/a/aaaaaaaa.a", project}}},
      {"paths that leave the folder are not written",
       {{"../escaped", "x"}, {"data/a/../../escaped", "x"}, {"/tmp/escaped", "x"}}},
  };
  testsupport::TempDir scratch;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::size_t reached = fuzzDatabase(packDatabase(row.files), scratch.path() / "db");
    EXPECT_LE(reached, 1u);
  }
  EXPECT_FALSE(std::filesystem::exists(scratch.path() / "escaped"));
  // A length running past the input's end.
  EXPECT_LE(fuzzDatabase(std::string("\x0bsrcsafe.ini\xff\xff\xff\x7f", 16), scratch.path() / "db"), 1u);
}

}  // namespace
}  // namespace quillgate::fuzz

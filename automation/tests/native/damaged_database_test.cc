// Damaged and hostile databases in SourceSafe's own files, through the
// automation interfaces: every fault gives a failing status whose error
// description names the file at fault, nothing crashes, and a Get never
// writes outside the folder it was given.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <string>

#include "automation_view.h"
#include "file_builder.h"
#include "native_database_builder.h"
#include "platform/error_info.h"
#include "support/local_path.h"
#include "support/temp_dir.h"

namespace nativetest {
namespace {

namespace fs = std::filesystem;
using ssapi::Vss2005;
using ssapi::Vss60;

std::uint32_t read32(const std::string& bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i)
    value = (value << 8) | static_cast<std::uint8_t>(bytes[offset + static_cast<std::size_t>(i)]);
  return value;
}

// File offset of the latest history record of an item file (the item
// header's LastRevOffset).
std::uint32_t lastRecordOffset(const std::string& itemFile) { return read32(itemFile, 0x34 + 8 + 0x34); }

// The outcome of Open, get_VSSItem and a recursive Get, stopping at the first failure.
struct Attempt {
  HRESULT status = S_OK;
  std::string step;
  std::string description;
};

// The recursive version list of the root, which every history reads.
template <class G>
Attempt versionsThrough(const fs::path& folder) {
  Attempt attempt;
  auto db = createDatabase<G>();
  HRESULT hr = db->Open(widePath(folder / "srcsafe.ini"), L"Admin", L"");
  ComPtr<ssapi::IVSSItemT<G>> root;
  if (SUCCEEDED(hr)) hr = db->get_VSSItem(L"$/", VARIANT_FALSE, root.put());
  ComPtr<ssapi::IVSSVersionsT<G>> versions;
  if (SUCCEEDED(hr)) hr = root->get_Versions(ssapi::VSSFLAG_RECURSYES, versions.put());
  attempt.status = hr;
  if (auto info = platform::takeErrorInfo()) attempt.description = utf8(info->description);
  return attempt;
}

template <class G>
Attempt getThrough(const fs::path& folder, const std::wstring& spec, const fs::path& target) {
  Attempt attempt;
  auto fail = [&](HRESULT hr, const char* step) {
    attempt.status = hr;
    attempt.step = step;
    auto info = platform::takeErrorInfo();
    attempt.description = info ? utf8(info->description) : "(no error information)";
    return attempt;
  };
  auto db = createDatabase<G>();
  if (HRESULT hr = db->Open(widePath(folder / "srcsafe.ini"), L"Admin", L""); FAILED(hr)) return fail(hr, "Open");
  ComPtr<ssapi::IVSSItemT<G>> item;
  if (HRESULT hr = db->get_VSSItem(spec, VARIANT_FALSE, item.put()); FAILED(hr)) return fail(hr, "get_VSSItem");
  std::wstring local = widePath(target);
  if (HRESULT hr = item->Get(&local, ssapi::VSSFLAG_RECURSYES | ssapi::VSSFLAG_REPREPLACE); FAILED(hr)) {
    return fail(hr, "Get");
  }
  return attempt;
}

// Every regular file below a folder.
std::vector<fs::path> filesBelow(const fs::path& folder) {
  std::vector<fs::path> found;
  std::error_code error;
  if (!fs::exists(folder, error)) return found;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_directory()) found.push_back(entry.path());
  }
  return found;
}

// $/p (BAAAAAAA) with a.txt (CAAAAAAA, checked in once) and the project q
// (DAAAAAAA) holding b.txt (EAAAAAAA) and the project r (FAAAAAAA).
NativeDatabaseBuilder sample() {
  NativeDatabaseBuilder db;
  db.createProject(L"$/p").addFile(L"$/p/a.txt", "a1\r\n").checkIn(L"$/p/a.txt", "a2\r\n");
  db.createProject(L"$/p/q").addFile(L"$/p/q/b.txt", "b\r\n").createProject(L"$/p/q/r");
  return db;
}

struct Damage {
  const char* name;
  const char* damagedPhysical;  // whose file is at fault
  bool dataFile;                // its data file is damaged rather than its item file
  std::wstring spec;            // what is got
  HRESULT status;
  std::function<void(const fs::path& file)> damage;
  bool namesItemFile = false;  // the description names the item file even so
  bool contentOnly = false;    // the records are whole: only a get of the content fails
};

void flipByte(const fs::path& file, std::size_t offset) {
  std::string bytes = testsupport::readFileBytes(file);
  bytes[offset] = static_cast<char>(bytes[offset] ^ 0x20);
  testsupport::writeFileBytes(file, bytes);
}

void truncateBy(const fs::path& file, std::size_t bytes) { fs::resize_file(file, fs::file_size(file) - bytes); }

// Swaps an item file (and, with `withData`, its data file) with that of
// another item: data/<letter>/<name> beside the same data folder.
void swapWith(const fs::path& file, const std::string& otherPhysical, bool withData) {
  std::string other = otherPhysical;
  for (char& c : other) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  fs::path otherFile = file.parent_path().parent_path() / other.substr(0, 1) / other;
  // Renamed, as whole files: a data file may have either extension.
  auto swapFiles = [](const fs::path& a, const fs::path& b) {
    fs::path aside = a.string() + ".aside";
    if (fs::exists(a)) fs::rename(a, aside);
    if (fs::exists(b)) fs::rename(b, a);
    if (fs::exists(aside)) fs::rename(aside, b);
  };
  swapFiles(file, otherFile);
  if (!withData) return;
  for (const char* extension : {".a", ".b"}) {
    swapFiles(file.string() + extension, otherFile.string() + extension);
  }
}

// One JP record of a project's data file: its header and body.
constexpr std::size_t kEntryRecordSize = 8 + 0x38;

void setLastAction(const fs::path& file, std::uint16_t action) {
  std::string bytes = testsupport::readFileBytes(file);
  std::uint32_t last = lastRecordOffset(bytes);
  put16(bytes, last + 8 + 4, action);
  refreshCrc(bytes, last);
  testsupport::writeFileBytes(file, bytes);
}

// Points the data file's entry for one item at another item's file.
void pointEntryAt(const fs::path& dataFile, const std::string& from, const std::string& to) {
  std::string bytes = testsupport::readFileBytes(dataFile);
  for (std::uint32_t offset = 0; offset + kEntryRecordSize <= bytes.size(); offset += 8 + read32(bytes, offset)) {
    if (bytes.compare(offset + 8 + 0x2E, from.size(), from) != 0) continue;
    putText(bytes, offset + 8 + 0x2E, to, 10);
    refreshCrc(bytes, offset);
  }
  testsupport::writeFileBytes(dataFile, bytes);
}

const Damage kDamages[] = {
    // The user field of the project's first record: its checksum no longer holds.
    {"BadChecksumInAProjectsItemFile", "BAAAAAAA", false, L"$/p", ssapi::ESS_CORRUPT,
     [](const fs::path& file) { flipByte(file, 0x1A0 + 8 + 0x0C); }},
    {"BadChecksumInTheRootsItemFile", "AAAAAAAA", false, L"$/", ssapi::ESS_CORRUPT,
     [](const fs::path& file) { flipByte(file, 0x1A0 + 8 + 0x0C); }},
    {"BadChecksumInAFilesLastRecord", "CAAAAAAA", false, L"$/p/a.txt", ssapi::ESS_CORRUPT,
     [](const fs::path& file) {
       std::string bytes = testsupport::readFileBytes(file);
       flipByte(file, lastRecordOffset(bytes) + 8 + 0x0C);
     }},
    {"TruncatedFileItemFile", "CAAAAAAA", false, L"$/p/a.txt", ssapi::ESS_CORRUPT,
     [](const fs::path& file) { truncateBy(file, 20); }},
    {"TruncatedProjectItemFile", "DAAAAAAA", false, L"$/p/q", ssapi::ESS_CORRUPT,
     [](const fs::path& file) { truncateBy(file, 0x100); }},
    {"ItemFileCutInsideItsHeader", "DAAAAAAA", false, L"$/p/q", ssapi::ESS_CORRUPT,
     [](const fs::path& file) { fs::resize_file(file, 0x40); }},
    {"UnknownActionCodeInAFile", "CAAAAAAA", false, L"$/p/a.txt", ssapi::ESS_CORRUPT,
     [](const fs::path& file) { setLastAction(file, 99); }},
    {"UnknownActionCodeInAProject", "DAAAAAAA", false, L"$/p/q", ssapi::ESS_CORRUPT,
     [](const fs::path& file) { setLastAction(file, 26); }},
    // A recursive get of the parent meets the damaged project on its way.
    {"TruncatedProjectItemFileBelowTheProjectGot", "DAAAAAAA", false, L"$/p", ssapi::ESS_CORRUPT,
     [](const fs::path& file) { truncateBy(file, 0x100); }},
    {"UnknownActionCodeInAProjectBelowTheProjectGot", "DAAAAAAA", false, L"$/p", ssapi::ESS_CORRUPT,
     [](const fs::path& file) { setLastAction(file, 26); }},
    {"MissingChildItemFile", "EAAAAAAA", false, L"$/p", ssapi::ESS_FILE_NOTFOUND,
     [](const fs::path& file) { fs::remove(file); }},
    {"MissingProjectItemFile", "DAAAAAAA", false, L"$/p/q", ssapi::ESS_FILE_NOTFOUND,
     [](const fs::path& file) { fs::remove(file); }},
    {"MissingProjectItemFileBelowTheProjectGot", "DAAAAAAA", false, L"$/p", ssapi::ESS_FILE_NOTFOUND,
     [](const fs::path& file) { fs::remove(file); }},
    {"MissingDataFileOfAFile", "CAAAAAAA", true, L"$/p/a.txt", ssapi::ESS_FILE_NOTFOUND,
     [](const fs::path& file) { fs::remove(file); }, false, true},
    {"MissingDataFileOfAProject", "DAAAAAAA", true, L"$/p/q", ssapi::ESS_FILE_NOTFOUND,
     [](const fs::path& file) { fs::remove(file); }},
    {"MissingDataFileOfAProjectBelowTheProjectGot", "DAAAAAAA", true, L"$/p", ssapi::ESS_FILE_NOTFOUND,
     [](const fs::path& file) { fs::remove(file); }},
    // Files moved about: each is whole, but not the item its entry points at.
    {"FileItemFilesSwappedAcrossProjects", "CAAAAAAA", false, L"$/p/a.txt", ssapi::ESS_CORRUPT,
     [](const fs::path& file) { swapWith(file, "EAAAAAAA", true); }},
    {"ProjectsSwapped", "BAAAAAAA", false, L"$/p", ssapi::ESS_CORRUPT,
     [](const fs::path& file) { swapWith(file, "DAAAAAAA", true); }},
    {"FileItemFileOverAProjects", "DAAAAAAA", false, L"$/p/q", ssapi::ESS_CORRUPT,
     [](const fs::path& file) { testsupport::writeFileBytes(file, testsupport::readFileBytes(file.parent_path().parent_path() / "e" / "eaaaaaaa")); }},
    // A data file cut where a record ends parses, but its project's header
    // counts more entries.
    {"ProjectDataFileCutAtARecordBoundary", "BAAAAAAA", true, L"$/p", ssapi::ESS_CORRUPT,
     [](const fs::path& file) { truncateBy(file, kEntryRecordSize); }},
    {"EmptiedProjectDataFileBelowTheProjectGot", "DAAAAAAA", true, L"$/p", ssapi::ESS_CORRUPT,
     [](const fs::path& file) { fs::resize_file(file, 0); }},
    // A project listing itself or a project above it: a walk down would
    // never end. Its entry is at fault, as its data file is named.
    {"ProjectListingTheProjectAboveIt", "DAAAAAAA", true, L"$/p", ssapi::ESS_CORRUPT,
     [](const fs::path& file) { pointEntryAt(file, "FAAAAAAA", "BAAAAAAA"); }},
    {"ProjectListingItself", "DAAAAAAA", true, L"$/p", ssapi::ESS_CORRUPT,
     [](const fs::path& file) { pointEntryAt(file, "FAAAAAAA", "DAAAAAAA"); }},
    {"ProjectListingTheRoot", "DAAAAAAA", true, L"$/p", ssapi::ESS_CORRUPT,
     [](const fs::path& file) { pointEntryAt(file, "FAAAAAAA", "AAAAAAAA"); }},
    // The checksum is the item file's: it is named, with what is wrong.
    {"DataFileThatDiffersFromItsChecksum", "EAAAAAAA", true, L"$/p", ssapi::ESS_CORRUPT,
     [](const fs::path& file) { testsupport::writeFileBytes(file, "not what was checked in"); }, true, true},
};

// Test names instead of the bytes of the row.
void PrintTo(const Damage& row, std::ostream* out) { *out << row.name; }

class DamagedDatabaseTest : public ::testing::TestWithParam<Damage> {
 protected:
  template <class G>
  void expectFailureNamingTheFile() {
    SCOPED_TRACE(G::kIs2005 ? "2005 interfaces" : "6.0 interfaces");
    const Damage& damage = GetParam();
    fs::path target = out_.path() / "target";
    Attempt attempt = getThrough<G>(dir_.path(), damage.spec, target);
    EXPECT_EQ(attempt.status, damage.status) << attempt.step << ": " << attempt.description;
    // The description names the damaged file, with its extension for a data file.
    std::string file = damaged_.filename().string();
    if (damage.namesItemFile) file = damaged_.stem().string();
    std::string name = testsupport::localPath("/" + file.substr(0, 1) + "/" + file + "\"");
    EXPECT_NE(attempt.description.find(name), std::string::npos)
        << attempt.step << ": \"" << attempt.description << "\" does not name " << name;
    EXPECT_TRUE(filesBelow(out_.path()).empty()) << "a failed get wrote " << filesBelow(out_.path()).front();
    // A history would read the records of every item of the tree: it cannot
    // be had whole, unless only a content is lost.
    Attempt versions = versionsThrough<G>(dir_.path());
    if (damage.contentOnly) {
      EXPECT_EQ(versions.status, S_OK) << versions.description;
    } else {
      EXPECT_EQ(versions.status, damage.status) << versions.description;
      EXPECT_NE(versions.description.find(name), std::string::npos) << versions.description;
    }
  }

  testsupport::TempDir dir_;
  testsupport::TempDir out_;
  fs::path damaged_;
};

TEST_P(DamagedDatabaseTest, FailsWithADescriptionNamingTheFile) {
  const Damage& damage = GetParam();
  NativeDatabaseBuilder db = sample();
  db.writeTo(dir_.path());
  damaged_ = damage.dataFile ? db.dataFilePath(dir_.path(), damage.damagedPhysical)
                             : NativeDatabaseBuilder::itemFilePath(dir_.path(), damage.damagedPhysical);
  ASSERT_TRUE(fs::exists(damaged_));
  // The undamaged database gets well, so the failure is the damage's.
  Attempt before = getThrough<Vss60>(dir_.path(), damage.spec, out_.path() / "undamaged");
  ASSERT_EQ(before.status, S_OK) << before.step << ": " << before.description;
  fs::remove_all(out_.path() / "undamaged");

  damage.damage(damaged_);
  expectFailureNamingTheFile<Vss60>();
  expectFailureNamingTheFile<Vss2005>();
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedDatabaseTest, ::testing::ValuesIn(kDamages),
                         [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

// Names no SourceSafe client would give, in a project's records and entries:
// the project that holds such a name is damaged, so a recursive Get above it
// is refused before anything is written and nothing can land outside the
// target folder; the description names the project's files.
struct HostileName {
  const char* name;
  std::string raw;
  bool project;  // a project of that name holding a file, else a file
};

const HostileName kHostileNames[] = {
    {"ParentFolder", "..", false},           {"ParentFolderProject", "..", true},
    {"CurrentFolderProject", ".", true},     {"Slash", "a/b", false},
    {"SlashProject", "../../escape", true},  {"Backslash", "a\\b", false},
    {"ControlCharacter", "bell\x07", false}, {"Delete", "x\x7f", false},
    {"NewLineProject", "two\nlines", true},  {"Empty", "", false},
    {"DriveLetter", "c:", false},            {"Colon", "a:b", true},
    {"LeadingDollar", "$x", false},
};

// Test names instead of the bytes of the row.
void PrintTo(const HostileName& row, std::ostream* out) { *out << row.name; }

class HostileNameTest : public ::testing::TestWithParam<HostileName> {};

TEST_P(HostileNameTest, RecursiveGetFailsWithoutWritingOutsideTheTarget) {
  const HostileName& hostile = GetParam();
  testsupport::TempDir dir;
  NativeDatabaseBuilder db;
  db.createProject(L"$/p").addFile(L"$/p/fine.txt", "fine").createProject(L"$/p/sub");
  if (hostile.project) {
    // The project's file is reached through the hostile name only.
    db.createProject(L"$/p/sub/inner").addFile(L"$/p/sub/inner/file.txt", "escaped");
    db.rename(L"$/p/sub/inner", std::wstring(hostile.raw.begin(), hostile.raw.end()));
  } else {
    db.addFileNamed(L"$/p/sub", hostile.raw, "escaped");
  }
  db.writeTo(dir.path());

  for (int generation = 0; generation < 2; ++generation) {
    SCOPED_TRACE(generation == 0 ? "6.0 interfaces" : "2005 interfaces");
    testsupport::TempDir out;
    fs::path target = out.path() / "deep" / "deeper" / "target";
    Attempt attempt = generation == 0 ? getThrough<Vss60>(dir.path(), L"$/p", target)
                                      : getThrough<Vss2005>(dir.path(), L"$/p", target);
    EXPECT_EQ(attempt.step, "Get");
    EXPECT_EQ(attempt.status, ssapi::ESS_CORRUPT) << attempt.description;
    // $/p/sub is DAAAAAAA.
    EXPECT_NE(attempt.description.find(testsupport::localPath("/d/daaaaaaa")), std::string::npos)
        << attempt.description;
    EXPECT_TRUE(filesBelow(out.path()).empty()) << "the get wrote " << filesBelow(out.path()).front();
    // Nothing beside the database either.
    std::vector<std::string> beside;
    for (const auto& entry : fs::directory_iterator(dir.path())) beside.push_back(entry.path().filename().string());
    std::sort(beside.begin(), beside.end());
    EXPECT_EQ(beside, (std::vector<std::string>{"data", "srcsafe.ini"}));
  }
}

INSTANTIATE_TEST_SUITE_P(Names, HostileNameTest, ::testing::ValuesIn(kHostileNames),
                         [](const ::testing::TestParamInfo<HostileName>& info) {
                           return std::string(info.param.name);
                         });

// A pin to a version the file does not have (the file has one): the
// project holding it is damaged. Getting it fails and writes nothing; asking
// for the file as it stood then fails as well, instead of handing out an
// item at a version that is not there.
TEST(DamagedPinTest, APinBeyondTheFilesVersionsFailsTheProject) {
  testsupport::TempDir dir;
  testsupport::TempDir out;
  NativeDatabaseBuilder db;
  db.createProject(L"$/p").addFile(L"$/p/a.txt", "one").pin(L"$/p/a.txt", 5);
  db.writeTo(dir.path());
  auto check = [&]<class G>(G) {
    SCOPED_TRACE(G::kIs2005 ? "2005 interfaces" : "6.0 interfaces");
    Attempt attempt = getThrough<G>(dir.path(), L"$/p", out.path() / "target");
    EXPECT_EQ(attempt.status, ssapi::ESS_CORRUPT) << attempt.step << ": " << attempt.description;
    EXPECT_NE(attempt.description.find("pins \"a.txt\" to version 5"), std::string::npos) << attempt.description;
    EXPECT_TRUE(filesBelow(out.path()).empty());
  };
  check(Vss60{});
  check(Vss2005{});
}

}  // namespace
}  // namespace nativetest

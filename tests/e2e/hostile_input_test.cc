// Hostile and damaged databases, every command, both generations: damaged
// copies of a small database in each form (SourceSafe's own files: a copy
// of a real database; the text form: one the builder writes), each run
// under a time limit. Every run ends in time with either a failing exit
// code or a success that delivers nothing the undamaged database would not
// (for damage the readers must catch) or at least nothing unsafe (for
// random byte flips, which may land in bytes no check covers, a comment for
// one). Its output document is the bare declaration of a run that failed
// before it began, or a document that parses; nothing is written outside
// the output folder.

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <iterator>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "native/database_files.h"
#include "native/bytes.h"
#include "native/crc.h"
#include "platform/text_encoding.h"
#include "ssapi/builder.h"
#include "support/folder_snapshot.h"
#include "support/real_databases.h"
#include "support/run_binary.h"
#include "support/special_files.h"
#include "support/temp_dir.h"
#include "support/xml_document.h"

namespace {

namespace fs = std::filesystem;
namespace native = ssapi::native;

// The far-future javatime: a file as it is now.
constexpr const char* kFarFuture = "4611686018427387904";

enum class Form { kNative, kText };
enum class Expect {
  kFailureOrNothingNew,  // fails, or delivers a part of what the undamaged database gives
  kNothingUnsafe,        // anything but a crash, a hang, a broken document or a path leaving its folder
  // An item below the requested project is damaged: the patches fail (what
  // is left would pass for the whole project); history fails or, when only
  // a content is lost, is the undamaged database's to the letter; get and
  // connection are held to kFailureOrNothingNew.
  kDamagedBelow,
};

// What the damage works on: the database folder and the items picked in it.
struct Sample {
  fs::path db;
  std::string root = "AAAAAAAA";
  std::string project;     // a project below the root (native)
  std::string file;        // a file (native)
  std::string otherFile;   // another file of the same project (native)
  std::string fileSpec;    // the file `get` asks for
};

struct HostileCase {
  const char* name;
  Form form;
  Expect expect;
  std::function<void(const Sample&)> damage;
};

// ---- damage helpers ----

fs::path itemFile(const Sample& s, const std::string& physical) {
  std::string lower = physical;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s.db / "data" / lower.substr(0, 1) / lower;
}

fs::path dataFile(const Sample& s, const std::string& physical) {
  fs::path item = itemFile(s, physical);
  fs::path a = item.string() + ".a";
  fs::path b = item.string() + ".b";
  // The current one is named by the header; the other may be stale.
  std::string bytes = testsupport::readFileBytes(item);
  char extension = bytes.size() > 0x34 + 8 + 0x2F ? bytes[0x34 + 8 + 0x2F] : 'A';
  return (extension == 'B' || extension == 'b') ? b : a;
}

void replaceWith(const fs::path& file, const std::function<void(const fs::path&)>& thing) {
  fs::remove_all(file);
  thing(file);
}
void fifo(const fs::path& file) { testsupport::makeFifo(file); }
void folder(const fs::path& file) { fs::create_directory(file); }
std::function<void(const fs::path&)> linkTo(const char* target) {
  return [target](const fs::path& file) { testsupport::makeSymlink(target, file); };
}

void cutTo(const fs::path& file, double fraction) {
  fs::resize_file(file, static_cast<std::uintmax_t>(static_cast<double>(fs::file_size(file)) * fraction));
}

void swapFiles(const fs::path& a, const fs::path& b) {
  fs::path aside = a.string() + ".aside";
  fs::rename(a, aside);
  fs::rename(b, a);
  fs::rename(aside, b);
}

// Gives the first entry of a project's data file another name, with the
// record's checksum made right: only the name is wrong.
void renameFirstEntry(const fs::path& data, const std::string& name) {
  std::string bytes = testsupport::readFileBytes(data);
  ASSERT_GE(bytes.size(), 8u + 0x38);
  std::uint32_t length = native::readU32(bytes, 0);
  std::string field(34, '\0');
  field.replace(0, std::min<std::size_t>(name.size(), 33), name.substr(0, 33));
  bytes.replace(8 + 4 + 2, 34, field);
  for (int i = 0; i < 4; ++i) bytes[8 + 4 + 0x24 + static_cast<std::size_t>(i)] = '\0';  // no names.dat entry
  std::uint16_t crc = native::recordCrc(std::string_view(bytes).substr(8, length));
  bytes[6] = static_cast<char>(crc & 0xFF);
  bytes[7] = static_cast<char>(crc >> 8);
  testsupport::writeFileBytes(data, bytes);
}

// Points a project's data file entry for one item at another item's file,
// with the record's checksum made right.
void pointEntryAt(const fs::path& data, const std::string& from, const std::string& to) {
  std::string bytes = testsupport::readFileBytes(data);
  bool found = false;
  for (std::size_t offset = 0; offset + 8 + 0x38 <= bytes.size(); offset += 8 + native::readU32(bytes, offset)) {
    if (bytes.compare(offset + 8 + 0x2E, from.size(), from) != 0) continue;
    std::string field(10, '\0');
    field.replace(0, to.size(), to);
    bytes.replace(offset + 8 + 0x2E, 10, field);
    std::uint32_t length = native::readU32(bytes, offset);
    std::uint16_t crc = native::recordCrc(std::string_view(bytes).substr(offset + 8, length));
    bytes[offset + 6] = static_cast<char>(crc & 0xFF);
    bytes[offset + 7] = static_cast<char>(crc >> 8);
    found = true;
  }
  ASSERT_TRUE(found) << from << " is not listed in " << data;
  testsupport::writeFileBytes(data, bytes);
}

// Flips `count` bytes chosen by `seed` among the database's item and data files.
void flipBytes(const Sample& s, unsigned seed, int count) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(s.db / "data")) {
    if (entry.is_regular_file() && entry.file_size() > 0) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  std::mt19937 random(seed);
  for (int i = 0; i < count; ++i) {
    const fs::path& file = files[random() % files.size()];
    std::string bytes = testsupport::readFileBytes(file);
    bytes[random() % bytes.size()] ^= static_cast<char>(1 + random() % 255);
    testsupport::writeFileBytes(file, bytes);
  }
}

fs::path textContent(const Sample& s) {
  std::string journal = testsupport::readFileBytes(s.db / "data" / "journal.txt");
  std::size_t at = journal.find("add-file");
  std::size_t name = journal.find(' ', journal.find(' ', at) + 1) + 1;
  std::string content = journal.substr(name, 16);
  return s.db / "data" / "contents" / content.substr(0, 2) / content;
}

// ---- the cases ----

const HostileCase kCases[] = {
    // SourceSafe's own files: special files where files should be.
    {"NativeIniIsAFifo", Form::kNative, Expect::kFailureOrNothingNew,
     [](const Sample& s) { replaceWith(s.db / "srcsafe.ini", fifo); }},
    {"NativeUsersAreAFifo", Form::kNative, Expect::kFailureOrNothingNew,
     [](const Sample& s) { replaceWith(s.db / "data" / "um.dat", fifo); }},
    {"NativeRootLinksToDevZero", Form::kNative, Expect::kFailureOrNothingNew,
     [](const Sample& s) { replaceWith(itemFile(s, s.root), linkTo("/dev/zero")); }},
    {"NativeNamesLinkToDevUrandom", Form::kNative, Expect::kFailureOrNothingNew,
     [](const Sample& s) { replaceWith(s.db / "data" / "names.dat", linkTo("/dev/urandom")); }},
    {"NativeProjectDataFileIsAFifo", Form::kNative, Expect::kDamagedBelow,
     [](const Sample& s) { replaceWith(dataFile(s, s.project), fifo); }},
    {"NativeFileItemIsAFolder", Form::kNative, Expect::kDamagedBelow,
     [](const Sample& s) { replaceWith(itemFile(s, s.file), folder); }},
    // Truncations.
    {"NativeRootItemCutInHalf", Form::kNative, Expect::kFailureOrNothingNew,
     [](const Sample& s) { cutTo(itemFile(s, s.root), 0.5); }},
    {"NativeFileItemCutShort", Form::kNative, Expect::kDamagedBelow,
     [](const Sample& s) { fs::resize_file(itemFile(s, s.file), fs::file_size(itemFile(s, s.file)) - 1); }},
    {"NativeRootDataFileLosesAnEntry", Form::kNative, Expect::kFailureOrNothingNew,
     [](const Sample& s) {
       fs::path data = dataFile(s, s.root);
       fs::resize_file(data, fs::file_size(data) - (8 + 0x38));
     }},
    {"NativeFileDataCutShort", Form::kNative, Expect::kDamagedBelow,
     [](const Sample& s) { cutTo(dataFile(s, s.file), 0.5); }},
    // Item files swapped.
    {"NativeFilesSwapped", Form::kNative, Expect::kDamagedBelow,
     [](const Sample& s) {
       swapFiles(itemFile(s, s.file), itemFile(s, s.otherFile));
       swapFiles(dataFile(s, s.file), dataFile(s, s.otherFile));
     }},
    {"NativeProjectItemReplacedByAFiles", Form::kNative, Expect::kDamagedBelow,
     [](const Sample& s) { fs::copy_file(itemFile(s, s.file), itemFile(s, s.project), fs::copy_options::overwrite_existing); }},
    // The root listing itself where it lists a project: a walk down would never end.
    {"NativeRootListsItself", Form::kNative, Expect::kFailureOrNothingNew,
     [](const Sample& s) { pointEntryAt(dataFile(s, s.root), s.project, s.root); }},
    // Names no SourceSafe client gives.
    {"NativeEntryNamedParentFolder", Form::kNative, Expect::kFailureOrNothingNew,
     [](const Sample& s) { renameFirstEntry(dataFile(s, s.root), ".."); }},
    {"NativeEntryNamedUpTwice", Form::kNative, Expect::kFailureOrNothingNew,
     [](const Sample& s) { renameFirstEntry(dataFile(s, s.root), "../../x"); }},
    {"NativeEntryNamedAbsolute", Form::kNative, Expect::kFailureOrNothingNew,
     [](const Sample& s) { renameFirstEntry(dataFile(s, s.root), "/abs"); }},
    {"NativeEntryWithBackslash", Form::kNative, Expect::kFailureOrNothingNew,
     [](const Sample& s) { renameFirstEntry(dataFile(s, s.root), "a\\b"); }},
    {"NativeEntryWithDriveColon", Form::kNative, Expect::kFailureOrNothingNew,
     [](const Sample& s) { renameFirstEntry(dataFile(s, s.root), "c:x"); }},
    {"NativeEntryWithControlCharacter", Form::kNative, Expect::kFailureOrNothingNew,
     [](const Sample& s) { renameFirstEntry(dataFile(s, s.root), "bell\x07"); }},
    // Random byte flips: whatever they hit.
    {"NativeFlips1", Form::kNative, Expect::kNothingUnsafe, [](const Sample& s) { flipBytes(s, 1, 4); }},
    {"NativeFlips2", Form::kNative, Expect::kNothingUnsafe, [](const Sample& s) { flipBytes(s, 2, 16); }},
    {"NativeFlips3", Form::kNative, Expect::kNothingUnsafe, [](const Sample& s) { flipBytes(s, 3, 64); }},
    {"NativeFlips4", Form::kNative, Expect::kNothingUnsafe, [](const Sample& s) { flipBytes(s, 4, 256); }},

    // The text form.
    {"TextIniIsAFifo", Form::kText, Expect::kFailureOrNothingNew,
     [](const Sample& s) { replaceWith(s.db / "srcsafe.ini", fifo); }},
    {"TextDataPathHoldsANul", Form::kText, Expect::kFailureOrNothingNew,
     [](const Sample& s) { testsupport::writeFileBytes(s.db / "srcsafe.ini", std::string("Data_Path = data\0x\n", 19)); }},
    {"TextUsersAreAFolder", Form::kText, Expect::kFailureOrNothingNew,
     [](const Sample& s) { replaceWith(s.db / "data" / "users.txt", folder); }},
    {"TextUsersAreAFifo", Form::kText, Expect::kFailureOrNothingNew,
     [](const Sample& s) { replaceWith(s.db / "data" / "users.txt", fifo); }},
    {"TextJournalLinksToDevZero", Form::kText, Expect::kFailureOrNothingNew,
     [](const Sample& s) { replaceWith(s.db / "data" / "journal.txt", linkTo("/dev/zero")); }},
    {"TextContentIsAFolder", Form::kText, Expect::kFailureOrNothingNew,
     [](const Sample& s) { replaceWith(textContent(s), folder); }},
    {"TextContentIsAFifo", Form::kText, Expect::kFailureOrNothingNew,
     [](const Sample& s) { replaceWith(textContent(s), fifo); }},
    {"TextContentLinksOutOfTheDatabase", Form::kText, Expect::kFailureOrNothingNew,
     [](const Sample& s) { replaceWith(textContent(s), linkTo("/etc/hostname")); }},
    {"TextContentChanged", Form::kText, Expect::kFailureOrNothingNew,
     [](const Sample& s) { testsupport::writeFileBytes(textContent(s), "not what was checked in"); }},
    {"TextJournalCutMidLine", Form::kText, Expect::kNothingUnsafe,
     [](const Sample& s) { cutTo(s.db / "data" / "journal.txt", 0.6); }},
    {"TextFlips", Form::kText, Expect::kNothingUnsafe, [](const Sample& s) { flipBytes(s, 5, 24); }},
};

void PrintTo(const HostileCase& row, std::ostream* out) { *out << row.name; }

// ---- the runs ----

struct Command {
  const char* name;
  std::vector<std::string> args;  // after the login; "{out}" is the output folder, "{file}" the sample's file
};

const Command kCommands[] = {
    {"history", {"history", "$/"}},
    {"patch", {"patch", "$/", "{out}/m1-", "0"}},
    {"patch2", {"patch2", "$/", "{out}/m2-"}},
    {"patch3", {"patch3", "$/", "{out}/m3-"}},
    {"get", {"get", "{file}", "{out}/got.bin", kFarFuture}},
    {"connection", {"connection", "$/"}},
};

struct Outcome {
  int exitCode = -1;
  bool timedOut = false;
  std::string stderrText;
  std::wstring xml;
  std::string got;
};

// The names of the extracted temp files count up as they are made: one
// that was not made shifts the rest.
std::vector<std::wstring> documentLines(const std::wstring& xml) {
  static const std::wregex temp(L"VM-VSS-TEMP-[0-9]+");
  std::wstring normal = std::regex_replace(xml, temp, L"VM-VSS-TEMP-N");
  std::vector<std::wstring> lines;
  std::size_t at = 0;
  while (at <= normal.size()) {
    std::size_t end = normal.find(L'\n', at);
    if (end == std::wstring::npos) end = normal.size();
    lines.push_back(normal.substr(at, end - at));
    at = end + 1;
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

// The specs a document names (spec attributes, history's file elements)
// that could lead a patch's user out of the working copy: not below "$/", or
// with a component that is "." or "..", or holds "\\", ":" or a control
// character. (patch2 of "$/" writes "$//a" and an empty spec for the root
// itself, undamaged too: empty components lead nowhere.)
std::vector<std::wstring> unsafeSpecs(const std::wstring& xml) {
  static const std::wregex spec(L"spec=\"([^\"]*)\"|<file><!\\[CDATA\\[([^\\]]*)\\]\\]>");
  std::vector<std::wstring> unsafe;
  for (std::wsregex_iterator it(xml.begin(), xml.end(), spec), end; it != end; ++it) {
    std::wstring value = (*it)[1].matched ? (*it)[1].str() : (*it)[2].str();
    bool bad = !value.empty() && value.rfind(L"$/", 0) != 0;
    std::size_t at = 2;
    while (!bad && at < value.size()) {
      std::size_t next = value.find(L'/', at);
      if (next == std::wstring::npos) next = value.size();
      std::wstring part = value.substr(at, next - at);
      bad = part == L"." || part == L".." ||
            part.find_first_of(L"\\:") != std::wstring::npos ||
            std::any_of(part.begin(), part.end(), [](wchar_t c) { return c < 0x20 || c == 0x7F; });
      at = next + 1;
    }
    if (bad) unsafe.push_back(value);
  }
  return unsafe;
}

// The lines of `part` that `whole` does not have (as many times).
std::string linesNotIn(const std::wstring& part, const std::wstring& whole) {
  std::vector<std::wstring> a = documentLines(part);
  std::vector<std::wstring> b = documentLines(whole);
  std::vector<std::wstring> extra;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(extra));
  std::string text;
  for (const std::wstring& line : extra) text += platform::wideToUtf8(line) + "\n";
  return text;
}

class HostileInputTest : public ::testing::TestWithParam<HostileCase> {
 protected:
  void SetUp() override {
    const HostileCase& row = GetParam();
    sample_.db = dir_ / "db";
    out_ = dir_ / "out";
    if (row.form == Form::kNative) {
      SKIP_WITHOUT_DATABASES();
      fs::copy(testsupport::realDatabasesFolder() / "alex632-mylvss", sample_.db, fs::copy_options::recursive);
      user_ = "Guest";
      pickNativeItems();
    } else {
      ssapi::DatabaseBuilder db;
      db.createProject(L"$/p").addFile(L"$/p/a.txt", "a1").checkIn(L"$/p/a.txt", "a2");
      db.createProject(L"$/p/q").addFile(L"$/p/q/b.txt", "b").rename(L"$/p/q", L"r").share(L"$/p/a.txt", L"$/p/r");
      db.addFile(L"$/c.txt", "c").remove(L"$/c.txt");
      db.writeTo(sample_.db);
      user_ = "Admin";
      sample_.fileSpec = "$/p/a.txt";
    }
  }

  // The root's first subproject, and two files of one project.
  void pickNativeItems() {
    std::unique_ptr<native::DatabaseFiles> files;
    native::ReaderOptions options;
    options.codePage = "950";
    ASSERT_TRUE(native::DatabaseFiles::open(sample_.db / "srcsafe.ini", options, &files).ok());
    std::deque<std::pair<std::string, std::wstring>> queue{{sample_.root, L"$"}};
    while (!queue.empty() && (sample_.project.empty() || sample_.otherFile.empty())) {
      auto [physical, spec] = queue.front();
      queue.pop_front();
      native::ItemFile item;
      std::vector<native::ProjectEntry> entries;
      if (!files->readProject(physical, &item, &entries).ok()) continue;
      std::vector<std::pair<std::string, std::wstring>> filesHere;
      for (const native::ProjectEntry& entry : entries) {
        if (entry.deleted()) continue;
        std::wstring name;
        if (!files->resolveName(entry.name, &name).ok()) continue;
        std::wstring childSpec = spec + L"/" + name;
        if (entry.kind == native::ItemKind::kProject) {
          if (sample_.project.empty()) sample_.project = entry.physical;
          queue.emplace_back(entry.physical, childSpec);
        } else {
          filesHere.emplace_back(entry.physical, childSpec);
        }
      }
      if (filesHere.size() >= 2 && sample_.otherFile.empty()) {
        sample_.file = filesHere[0].first;
        sample_.otherFile = filesHere[1].first;
        sample_.fileSpec = platform::wideToUtf8(filesHere[0].second);
      }
    }
    ASSERT_FALSE(sample_.project.empty());
    ASSERT_FALSE(sample_.otherFile.empty());
  }

  Outcome run(const Command& command, bool v6, const fs::path& db) {
    fs::remove_all(out_);
    fs::create_directories(out_);
    std::vector<std::string> args = {(out_ / "out.xml").string(), (out_ / "err.txt").string(),
                                     v6 ? "/version-v6" : "/version-v2005", (db / "srcsafe.ini").string(),
                                     "/login:" + user_, "/pwd:"};
    for (std::string arg : command.args) {
      if (arg == "{file}") arg = sample_.fileSpec;
      if (arg.rfind("{out}", 0) == 0) arg = out_.string() + arg.substr(5);
      args.push_back(arg);
    }
    testsupport::RunOptions options;
    options.workingDirectory = out_;
    options.setEnvironment = {{"TZ", "UTC"}, {"SSAPI_CODEPAGE", "950"}};
    options.removeEnvironment = {"SSAPI_FAULTS"};
    options.timeout = std::chrono::seconds(20);
    testsupport::RunResult result = testsupport::runQuillgate(args, options);
    Outcome outcome;
    outcome.exitCode = result.exitCode;
    outcome.timedOut = result.timedOut;
    outcome.stderrText = result.stderrText;
    outcome.xml = testsupport::readUtf16File(out_ / "out.xml");
    outcome.got = testsupport::readFileBytes(out_ / "got.bin");
    // What the document must be, whatever the run's outcome.
    EXPECT_FALSE(result.timedOut) << command.name << " did not end in time";
    EXPECT_TRUE(result.exitCode == 0 || result.exitCode == 255 || result.exitCode == 5)
        << command.name << " ended with " << result.exitCode << ": " << result.stderrText;
    EXPECT_EQ(result.stderrText.find("Sanitizer"), std::string::npos) << result.stderrText;
    EXPECT_EQ(result.stderrText.find("runtime error"), std::string::npos) << result.stderrText;
    if (!testsupport::holdsOnlyTheDeclaration(out_ / "out.xml")) {
      EXPECT_TRUE(testsupport::parsesAsXml(out_ / "out.xml")) << command.name;
    }
    return outcome;
  }

  testsupport::TempDir dir_;
  Sample sample_;
  fs::path out_;
  std::string user_;
};

TEST_P(HostileInputTest, EveryCommandEndsInTimeWithAFailureOrAResultItMayGive) {
  const HostileCase& row = GetParam();
  // Both generations, taking turns over the commands.
  const bool v6first = (&row - kCases) % 2 == 0;
  // The undamaged copy answers when a damaged run succeeds.
  const fs::path undamaged = dir_ / "undamaged";
  fs::copy(sample_.db, undamaged, fs::copy_options::recursive);
  row.damage(sample_);
  QUILLGATE_PLANT_OR_SKIP(testsupport::takePlantingFailure());
  const testsupport::FolderSnapshot before = testsupport::snapshotFolder(dir_.path(), out_);
  for (std::size_t i = 0; i < std::size(kCommands); ++i) {
    const Command& command = kCommands[i];
    SCOPED_TRACE(command.name);
    const bool v6 = (i % 2 == 0) == v6first;
    Outcome outcome = run(command, v6, sample_.db);
    EXPECT_EQ(testsupport::snapshotFolder(dir_.path(), out_), before) << "written outside the output folder";
    if (outcome.exitCode != 0) continue;
    const std::string name = command.name;
    if (row.expect == Expect::kDamagedBelow && name.starts_with("patch")) {
      ADD_FAILURE() << "succeeded although an item below the project is damaged";
      continue;
    }
    // Nothing that climbs out of a folder or names a drive reached a document.
    for (const std::wstring& unsafe : unsafeSpecs(outcome.xml)) ADD_FAILURE() << "unsafe spec " << platform::wideToUtf8(unsafe);
    if (row.expect == Expect::kFailureOrNothingNew || row.expect == Expect::kDamagedBelow) {
      Outcome whole = run(command, v6, undamaged);
      ASSERT_EQ(whole.exitCode, 0) << "the undamaged database fails: " << whole.stderrText;
      EXPECT_EQ(linesNotIn(outcome.xml, whole.xml), "");
      if (row.expect == Expect::kDamagedBelow && name == "history") {
        EXPECT_TRUE(outcome.xml == whole.xml);
      }
      if (name == "get") {
        EXPECT_EQ(outcome.got, whole.got);
      }
    }
  }
}

// The check above finds what it looks for.
TEST(HostileInputOracleTest, UnsafeSpecsAreFoundInBothKindsOfDocument) {
  const std::wstring document =
      L"<add spec=\"$/p/a.txt\" file=\"x\"/>\n<add-dir spec=\"$/p/../..\"/>\n<add spec=\"$/p/c:x\"/>\n"
      L"<file><![CDATA[$/p/ok.txt]]></file>\n<file><![CDATA[$/p/a\\b]]></file>\n<add-dir spec=\"/abs\"/>\n";
  EXPECT_EQ(unsafeSpecs(document), (std::vector<std::wstring>{L"$/p/../..", L"$/p/c:x", L"$/p/a\\b", L"/abs"}));
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileInputTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<HostileCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace

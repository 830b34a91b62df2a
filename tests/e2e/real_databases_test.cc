// The program end to end over the real databases made by SourceSafe itself
// (../shared/vssdb beside the repository), for both generations. What a run
// writes is checked against what the database's own files say, read with the
// library's file reader. Skipped when the databases are absent.
#include <fmt/xchar.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "native/database_files.h"
#include "platform/ole_date.h"
#include "platform/text_encoding.h"
#include "support/run_binary.h"
#include "support/patch_receiver.h"
#include "support/real_databases.h"
#include "support/temp_dir.h"
#include "support/utf16_compare.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;
using ssapi::native::ActionCode;
using ssapi::native::DatabaseFiles;
using ssapi::native::ItemFile;
using ssapi::native::ItemKind;
using ssapi::native::ProjectEntry;

using testsupport::RealDatabase;
constexpr const auto& kDatabases = testsupport::kRealDatabases;
inline fs::path databasesFolder() { return testsupport::realDatabasesFolder(); }

const std::wstring kDeclaration = L"<?xml version=\"1.0\"?>\n";

std::string utf8(const std::wstring& text) { return platform::wideToUtf8(text); }

std::wstring childSpec(const std::wstring& parent, const std::wstring& name) {
  return parent == L"$/" ? L"$/" + name : parent + L"/" + name;
}

// One place in the project tree, as the item files describe it.
struct Node {
  std::wstring spec;
  bool project = false;
  bool deleted = false;  // its entry, or the entry of a project above it, is deleted
  bool renamed = false;  // it, or a project above it, was renamed, moved or shared at some time
  std::string physical;
  std::string parent;  // physical name of the project holding the entry, "" for $/
  std::int32_t pinnedVersion = 0;
};

// What the database's own files say, gathered once per database.
struct Facts {
  std::unique_ptr<DatabaseFiles> files;
  std::map<std::string, ItemFile> items;  // by physical name
  std::vector<Node> tree;                 // pre-order from $/, deleted entries included
  std::set<std::uint32_t> recordTimes;
  std::set<std::pair<std::uint32_t, std::int32_t>> checkIns;  // time, version
  std::set<std::uint32_t> pinTimes;  // of shares, pins and unpins: what a place shows changes
  std::set<std::wstring> users;                               // of the records

  const ItemFile& item(const std::string& physical) const { return items.at(physical); }
  // The item's version as it stood at a time: revisions of one second count as made together.
  std::int32_t versionAt(const std::string& physical, std::uint32_t time) const {
    std::int32_t version = 0;
    for (const auto& record : item(physical).history)
      if (record.time <= time) version = std::max(version, record.version);
    return version;
  }
  std::vector<const Node*> live(bool projects) const {
    std::vector<const Node*> nodes;
    for (const Node& node : tree)
      if (!node.deleted && node.project == projects) nodes.push_back(&node);
    return nodes;
  }
  // The content a Get of the node's file writes: the pinned version, else the latest.
  std::string content(const Node& node) const {
    std::string bytes;
    const ItemFile& file = item(node.physical);
    ssapi::native::Status status = node.pinnedVersion ? files->contentAt(file, node.pinnedVersion, &bytes)
                                                      : files->readCurrentContent(file, &bytes);
    EXPECT_TRUE(status.ok()) << utf8(status.description);
    return bytes;
  }
};

void walk(const Facts& facts, const std::set<std::string>& renamed, const Node& project, std::vector<Node>* tree) {
  std::vector<ProjectEntry> entries;
  ASSERT_TRUE(facts.files->readProjectEntries(facts.item(project.physical), &entries).ok()) << project.physical;
  for (const ProjectEntry& entry : entries) {
    Node node;
    std::wstring name;
    ASSERT_TRUE(facts.files->resolveName(entry.name, &name).ok());
    node.spec = childSpec(project.spec, name);
    node.project = entry.kind == ItemKind::kProject;
    node.deleted = project.deleted || entry.deleted();
    node.renamed = project.renamed || renamed.count(entry.physical) > 0;
    node.physical = entry.physical;
    node.parent = project.physical;
    node.pinnedVersion = entry.pinnedVersion;
    tree->push_back(node);
    if (node.project) {
      ASSERT_LT(tree->size(), 100000u) << "project tree does not end";
      walk(facts, renamed, node, tree);
    }
  }
}

std::unique_ptr<Facts> gather(const RealDatabase& database) {
  auto facts = std::make_unique<Facts>();
  ssapi::native::ReaderOptions options;
  options.codePage = *database.codePage ? database.codePage : "1252";
  ssapi::native::Status status =
      DatabaseFiles::open(databasesFolder() / database.name / "srcsafe.ini", options, &facts->files);
  EXPECT_TRUE(status.ok()) << utf8(status.description);
  if (!status.ok()) return nullptr;
  std::vector<std::string> physicals;
  EXPECT_TRUE(facts->files->listItemFiles(&physicals).ok());
  std::set<std::string> renamed;
  for (const std::string& physical : physicals) {
    ItemFile& item = facts->items[physical];
    EXPECT_TRUE(facts->files->readItem(physical, &item).ok()) << physical;
    for (const auto& record : item.history) {
      facts->recordTimes.insert(record.time);
      facts->users.insert(facts->files->decode(record.user));
      if (record.action == ActionCode::kCheckIn) facts->checkIns.insert({record.time, record.version});
      if (record.action == ActionCode::kShareFile) facts->pinTimes.insert(record.time);
      // Renamed, or moved (a project) or shared (a file) from where it stood before.
      if (record.action == ActionCode::kRenameFile || record.action == ActionCode::kRenameProject ||
          record.action == ActionCode::kMoveFrom || record.action == ActionCode::kShareFile)
        renamed.insert(record.physical);
    }
  }
  Node root{L"$/", true, false, false, "AAAAAAAA", "", 0};
  facts->tree.push_back(root);
  walk(*facts, renamed, root, &facts->tree);
  return facts;
}

// Null when the database's files cannot be read.
const Facts* factsOf(const RealDatabase& database) {
  static std::map<std::string, std::unique_ptr<Facts>> cache;
  std::unique_ptr<Facts>& facts = cache[database.name];
  if (!facts) facts = gather(database);
  return facts.get();
}

// Reads a text that must follow a fixed format piece by piece; the first
// mismatch is kept with its offset.
class Reader {
 public:
  explicit Reader(const std::wstring& text) : text_(text) {}
  bool literal(std::wstring_view expected) {
    if (!ok()) return false;
    if (text_.compare(at_, expected.size(), expected) != 0)
      return fail(L"expected \"" + std::wstring(expected) + L"\"");
    at_ += expected.size();
    return true;
  }
  // Everything up to the delimiter, which is consumed.
  bool until(std::wstring_view delimiter, std::wstring* value) {
    if (!ok()) return false;
    std::size_t end = text_.find(delimiter, at_);
    if (end == std::wstring::npos) return fail(L"no \"" + std::wstring(delimiter) + L"\"");
    *value = text_.substr(at_, end - at_);
    at_ = end + delimiter.size();
    return true;
  }
  bool startsWith(std::wstring_view prefix) const { return ok() && text_.compare(at_, prefix.size(), prefix) == 0; }
  bool atEnd() const { return ok() && at_ == text_.size(); }
  bool ok() const { return error_.empty(); }
  std::string error() const {
    return utf8(error_) + " at offset " + std::to_string(at_) + ": \"" +
           testsupport::printable(std::wstring_view(text_).substr(at_, 80)) + "\"";
  }

 private:
  bool fail(const std::wstring& message) {
    if (error_.empty()) error_ = message;
    return false;
  }
  const std::wstring& text_;
  std::size_t at_ = 0;
  std::wstring error_;
};

std::wstring unescapeAttribute(std::wstring text) {
  for (auto [from, to] : {std::pair{L"&quot;", L"\""}, {L"&lt;", L"<"}, {L"&gt;", L">"}, {L"&amp;", L"&"}}) {
    std::wstring_view f = from;
    for (std::size_t at = text.find(f); at != std::wstring::npos; at = text.find(f, at + 1))
      text.replace(at, f.size(), to);
  }
  return text;
}

bool parseNumber(const std::wstring& text, std::int64_t* value) {
  if (text.empty() || text.size() > 18) return false;
  std::size_t start = text[0] == L'-' ? 1 : 0;
  if (start == text.size()) return false;
  *value = 0;
  for (std::size_t i = start; i < text.size(); ++i) {
    if (text[i] < L'0' || text[i] > L'9') return false;
    *value = *value * 10 + (text[i] - L'0');
  }
  if (start) *value = -*value;
  return true;
}

struct HistoryItem {
  std::wstring type, file, user, action, comment, rdate;
  std::int64_t time = 0;
  std::int64_t version = 0;
};

::testing::AssertionResult parseHistory(const std::wstring& xml, std::vector<HistoryItem>* items) {
  Reader in(xml);
  in.literal(kDeclaration);
  in.literal(L"<history from=\"01.01.1970\" to=\"Invalid DateTime\">\r\n\r\n");
  while (in.ok() && !in.startsWith(L"</history>")) {
    HistoryItem item;
    std::wstring time, version;
    in.literal(L"\n<history_item type=\"");
    in.until(L"\" time=\"", &item.type);
    in.until(L"\" version=\"", &time);
    in.until(L"\">\n   <file><![CDATA[", &version);
    in.until(L"]]></file>\n   <user><![CDATA[", &item.file);
    in.until(L"]]></user>\n   <action><![CDATA[", &item.user);
    in.until(L"]]></action>\n   <comment><![CDATA[", &item.action);
    in.until(L"]]></comment>\n   <rdate>", &item.comment);
    in.until(L"</rdate>\n</history_item>\n\n", &item.rdate);
    if (!in.ok()) break;
    if (!parseNumber(time, &item.time) || !parseNumber(version, &item.version))
      return ::testing::AssertionFailure() << "history item " << items->size() << ": time \"" << utf8(time)
                                           << "\", version \"" << utf8(version) << "\"";
    items->push_back(std::move(item));
  }
  in.literal(L"</history>\r\n");
  if (in.ok() && !in.atEnd()) return ::testing::AssertionFailure() << "text after </history>";
  if (!in.ok()) return ::testing::AssertionFailure() << "history item " << items->size() << ": " << in.error();
  return ::testing::AssertionSuccess();
}

struct PatchEntry {
  std::wstring spec;
  std::wstring file;  // "" for add-dir
};

::testing::AssertionResult parsePatch(const std::wstring& xml, std::vector<PatchEntry>* dirs,
                                      std::vector<PatchEntry>* files) {
  Reader in(xml);
  in.literal(kDeclaration);
  in.literal(L"<patch>\n\n");
  // All directories come first, in tree order, then all files.
  while (in.startsWith(L"   <add-dir ")) {
    PatchEntry entry;
    in.literal(L"   <add-dir spec=\"");
    in.until(L"\"/>\n", &entry.spec);
    entry.spec = unescapeAttribute(entry.spec);
    dirs->push_back(std::move(entry));
  }
  while (in.startsWith(L"   <add ")) {
    PatchEntry entry;
    in.literal(L"   <add spec=\"");
    in.until(L"\" file=\"", &entry.spec);
    in.until(L"\"/>\n", &entry.file);
    entry.spec = unescapeAttribute(entry.spec);
    entry.file = unescapeAttribute(entry.file);
    files->push_back(std::move(entry));
  }
  in.literal(L"</patch>\n\n");
  if (in.ok() && !in.atEnd()) return ::testing::AssertionFailure() << "text after </patch>";
  if (!in.ok()) return ::testing::AssertionFailure() << in.error();
  return ::testing::AssertionSuccess();
}

// "%d.%m.%Y %#H:%M:%S" of UTC seconds.
std::wstring dateText(std::int64_t seconds) {
  const platform::SystemTime fields = platform::utcFieldsOf(seconds);
  return fmt::format(L"{:02}.{:02}.{} {}:{:02}:{:02}", fields.day, fields.month, fields.year, fields.hour,
                     fields.minute, fields.second);
}

enum class Generation { kVss60, kVss2005 };

struct RunOutput {
  int exitCode = -1;
  std::wstring xml;
  std::wstring errors;
  std::string stderrText;
};

class RealDatabaseRunTest : public ::testing::TestWithParam<std::tuple<RealDatabase, Generation>> {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_DATABASES();
    facts_ = factsOf(database());
    ASSERT_NE(facts_, nullptr);
  }
  const RealDatabase& database() const { return std::get<0>(GetParam()); }
  Generation generation() const { return std::get<1>(GetParam()); }
  std::string ini() const { return (databasesFolder() / database().name / "srcsafe.ini").string(); }

  RunOutput run(const std::string& user, const std::string& password, const std::vector<std::string>& command) {
    std::vector<std::string> args = {
        "out.xml", "err.txt",        generation() == Generation::kVss60 ? "/version-v6" : "/version-v2005",
        ini(),     "/login:" + user, "/pwd:" + password};
    args.insert(args.end(), command.begin(), command.end());
    testsupport::RunOptions options;
    options.workingDirectory = dir_.path();
    options.removeEnvironment = {"SSAPI_FAULTS", "SSAPI_CODEPAGE"};
    options.setEnvironment = {{"TZ", "UTC"}};
    if (*database().codePage) options.setEnvironment.push_back({"SSAPI_CODEPAGE", database().codePage});
    testsupport::RunResult result = testsupport::runQuillgate(args, options);
    RunOutput out;
    out.exitCode = result.exitCode;
    out.xml = testsupport::readUtf16File(dir_ / "out.xml");
    out.errors = testsupport::readUtf16File(dir_ / "err.txt");
    out.stderrText = result.stderrText;
    return out;
  }
  RunOutput run(const std::vector<std::string>& command) { return run(database().user, "", command); }

  testsupport::TempDir dir_;
  const Facts* facts_ = nullptr;
};

std::string rowName(const ::testing::TestParamInfo<std::tuple<RealDatabase, Generation>>& info) {
  std::string name = std::get<0>(info.param).name;
  for (char& c : name)
    if (c == '-') c = '_';
  return name + (std::get<1>(info.param) == Generation::kVss60 ? "_Vss60" : "_Vss2005");
}

INSTANTIATE_TEST_SUITE_P(All, RealDatabaseRunTest,
                         ::testing::Combine(::testing::ValuesIn(kDatabases),
                                            ::testing::Values(Generation::kVss60, Generation::kVss2005)),
                         rowName);

TEST_P(RealDatabaseRunTest, ConnectionToTheRootSucceeds) {
  RunOutput result = run({"connection", "$/"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(testsupport::wideTextEquals(result.xml, kDeclaration));
  EXPECT_TRUE(testsupport::wideTextEquals(result.errors, L""));
  EXPECT_EQ(result.stderrText, "");
}

TEST_P(RealDatabaseRunTest, WrongPasswordAndUnknownUserAreRefused) {
  struct Case {
    std::string user, password;
    std::wstring firstLine;
  };
  std::vector<Case> cases = {
      {database().user, "wrong", L"Error: 0x8004d6c9 (-2147166519): Invalid password. Source:SourceSafe\r\n"},
      {"NoSuchUser", "", L"Error: 0x8004d6c2 (-2147166526): User \"NoSuchUser\" not found. Source:SourceSafe\r\n"},
  };
  // Here Admin has a password, and an empty one must not pass for it.
  if (std::string(database().name) == "alex632-mylvss")
    cases.push_back({"Admin", "", L"Error: 0x8004d6c9 (-2147166519): Invalid password. Source:SourceSafe\r\n"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.user + "/" + c.password);
    RunOutput result = run(c.user, c.password, {"connection", "$/"});
    EXPECT_EQ(result.exitCode, 255);
    EXPECT_TRUE(testsupport::wideTextEquals(
        result.errors, c.firstLine + L"Unable to log in to SourceSafe. Please check login and password.\r\n"));
    EXPECT_TRUE(testsupport::wideTextEquals(result.xml, kDeclaration));
    EXPECT_EQ(result.stderrText, "");
  }
}

TEST_P(RealDatabaseRunTest, HistoryOfTheRootListsTheRecordedChanges) {
  RunOutput result = run({"history", "$/"});
  ASSERT_EQ(result.exitCode, 0) << utf8(result.errors);
  EXPECT_EQ(result.errors, L"");
  EXPECT_EQ(result.stderrText, "");
  std::vector<HistoryItem> items;
  ASSERT_TRUE(parseHistory(result.xml, &items));

  using Key = std::tuple<std::wstring, std::wstring, std::wstring, std::int64_t>;  // type, file, action, version
  std::multiset<Key> seen;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const HistoryItem& item = items[i];
    SCOPED_TRACE("history item " + std::to_string(i) + " " + utf8(item.file));
    EXPECT_TRUE(item.type == L"File" || item.type == L"Dir") << utf8(item.type);
    EXPECT_TRUE(item.action == L"Added" || item.action == L"Changed" || item.action == L"Deleted");
    EXPECT_EQ(item.file.rfind(L"$/", 0), 0u);
    EXPECT_TRUE(facts_->users.count(item.user)) << utf8(item.user);
    // The stored seconds, read as UTC, come back as javatime; a whole
    // second can come out one millisecond short through the OLE date.
    std::int64_t seconds = (item.time + 999) / 1000;
    EXPECT_GE(item.time, seconds * 1000 - 1);
    EXPECT_TRUE(facts_->recordTimes.count(static_cast<std::uint32_t>(seconds))) << item.time;
    EXPECT_EQ(item.rdate, dateText(seconds));
    if (item.action == L"Changed") {
      EXPECT_TRUE(
          facts_->checkIns.count({static_cast<std::uint32_t>(seconds), static_cast<std::int32_t>(item.version)}) ||
          facts_->pinTimes.count(static_cast<std::uint32_t>(seconds)))
          << "no check-in of version " << item.version << " nor pin at " << seconds;
    }
    seen.insert({item.type, item.file, item.action, item.version});
  }

  // What the item files prove must be there, for every item that always stood
  // where it stands (a renamed, moved or shared one is listed under the names
  // it had then): its creation, once (the
  // project's record of the addition is the same change), also when its
  // entry is deleted now; each check-in of a live file, once for its place;
  // and one "Deleted" item for each deletion any project recorded.
  std::map<Key, std::size_t> required;
  auto expect = [&](const wchar_t* type, const std::wstring& spec, const wchar_t* action, std::int64_t version,
                    std::size_t times) {
    required[{type, spec, action, version}] += times;
  };
  std::size_t deletions = 0;
  for (const Node& node : facts_->tree) {
    if (node.renamed) continue;
    const wchar_t* type = node.project ? L"Dir" : L"File";
    if (node.project) {
      for (const auto& record : facts_->item(node.physical).history) {
        deletions += record.action == ActionCode::kDeleteFile || record.action == ActionCode::kDeleteProject;
      }
    }
    expect(type, node.spec, L"Added", 1, 1);
    // A check-in of a file whose entry is deleted now is listed only when
    // it came before the deletion, which the entry does not tell.
    if (node.project || node.deleted) continue;
    for (const auto& record : facts_->item(node.physical).history) {
      if (record.action != ActionCode::kCheckIn) continue;
      if (node.pinnedVersion && record.version > node.pinnedVersion) continue;
      expect(L"File", node.spec, L"Changed", record.version, 1);
    }
  }
  std::size_t expected = deletions;
  for (const auto& [key, times] : required) {
    const auto& [type, spec, action, version] = key;
    EXPECT_GE(seen.count(key), times) << utf8(type) << " " << utf8(spec) << " " << utf8(action) << " version "
                                      << version;
    expected += times;
  }
  EXPECT_GE(
      std::count_if(items.begin(), items.end(), [](const HistoryItem& item) { return item.action == L"Deleted"; }),
      static_cast<std::ptrdiff_t>(deletions));
  EXPECT_GE(items.size(), expected);
  RecordProperty("history_items", static_cast<int>(items.size()));
}

TEST_P(RealDatabaseRunTest, Patch3OfTheWholeTreeIsTheCurrentTree) {
  RunOutput result = run({"patch3", "$/", (dir_ / "p_").string()});
  ASSERT_EQ(result.exitCode, 0) << utf8(result.errors);
  EXPECT_EQ(result.errors, L"");
  EXPECT_EQ(result.stderrText, "");
  std::vector<PatchEntry> dirs, files;
  ASSERT_TRUE(parsePatch(result.xml, &dirs, &files));

  std::vector<std::wstring> expectedDirs, gotDirs;
  for (const Node* node : facts_->live(true)) expectedDirs.push_back(node->spec);
  for (const PatchEntry& entry : dirs) gotDirs.push_back(entry.spec);
  std::sort(expectedDirs.begin(), expectedDirs.end());
  std::sort(gotDirs.begin(), gotDirs.end());
  EXPECT_EQ(gotDirs, expectedDirs);
  ASSERT_FALSE(dirs.empty());
  EXPECT_EQ(dirs.front().spec, L"$/");

  std::map<std::wstring, const Node*> expectedFiles;
  for (const Node* node : facts_->live(false)) expectedFiles[node->spec] = node;
  std::set<std::wstring> gotFiles;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const PatchEntry& entry = files[i];
    SCOPED_TRACE(utf8(entry.spec));
    EXPECT_TRUE(gotFiles.insert(entry.spec).second) << "listed twice";
    // Every download succeeds at once, so the temp files are numbered in order.
    std::wstring temp = platform::utf8ToWide((dir_ / "p_").string()) + L"VM-VSS-TEMP-" + std::to_wstring(i) + L".vss";
    EXPECT_EQ(entry.file, temp);
    auto found = expectedFiles.find(entry.spec);
    if (found == expectedFiles.end()) {
      ADD_FAILURE() << "not a live file of the database";
      continue;
    }
    EXPECT_EQ(testsupport::readFileBytes(platform::wideToUtf8(temp)), facts_->content(*found->second));
  }
  EXPECT_EQ(gotFiles.size(), expectedFiles.size());
  for (const auto& [spec, node] : expectedFiles) EXPECT_TRUE(gotFiles.count(spec)) << "missing " << utf8(spec);
}

// At past times the commands agree with one another: the patch from one
// time to another turns patch3's tree of the first into patch3's tree of
// the second, and the history of that window stays inside it.
TEST_P(RealDatabaseRunTest, PastTimesAgreeAcrossCommands) {
  std::vector<std::uint32_t> times(facts_->recordTimes.begin(), facts_->recordTimes.end());
  if (times.size() < 3) GTEST_SKIP() << "too few changes";
  const std::int64_t from = std::int64_t{times[times.size() / 3]} * 1000;
  const std::int64_t to = std::int64_t{times[times.size() * 2 / 3]} * 1000;
  auto treeAt = [&](std::int64_t millis, const std::string& mask) {
    RunOutput result = run({"patch3", "$/", (dir_ / mask).string(), "0", std::to_string(millis)});
    EXPECT_EQ(result.exitCode, 0) << utf8(result.errors);
    reference::Tree tree;
    EXPECT_EQ(reference::applyPatch(result.xml, L"$/", &tree), std::vector<std::string>{});
    return tree;
  };
  reference::Tree tree = treeAt(from, "a_");
  const reference::Tree later = treeAt(to, "b_");
  EXPECT_NE(tree.files, later.files);

  RunOutput patch = run({"patch", "$/", (dir_ / "c_").string(), std::to_string(from), std::to_string(to)});
  ASSERT_EQ(patch.exitCode, 0) << utf8(patch.errors);
  EXPECT_EQ(reference::applyPatch(patch.xml, L"$/", &tree), std::vector<std::string>{});
  EXPECT_EQ(tree.folders, later.folders);
  EXPECT_TRUE(tree.files == later.files);

  RunOutput result = run({"history", "$/", std::to_string(from), std::to_string(to)});
  ASSERT_EQ(result.exitCode, 0) << utf8(result.errors);
  std::size_t items = 0;
  for (std::size_t at = result.xml.find(L" time=\""); at != std::wstring::npos; at = result.xml.find(L" time=\"", at + 1)) {
    const std::int64_t time = std::stoll(result.xml.substr(at + 7));
    EXPECT_GE(time, from - 1);
    EXPECT_LE(time, to);
    ++items;
  }
  EXPECT_GT(items, 0u);
}

// A Get per file starts the program once (some 50 ms in a Debug build, ten
// times that under the sanitizers), so the files are sampled: patch3 above
// extracts every current file of every database already.
TEST_P(RealDatabaseRunTest, GetWritesTheCurrentContentOfFilesAndRefusesTheRoot) {
  RunOutput root = run({"get", "$/", (dir_ / "root").string()});
  EXPECT_EQ(root.exitCode, 255);
  EXPECT_TRUE(
      testsupport::wideTextEquals(root.errors, L"Path was not found in the SourceSafe.\r\nGet operation failed\r\n"));
  EXPECT_EQ(root.stderrText, "");
  EXPECT_FALSE(fs::exists(dir_ / "root"));

  std::vector<const Node*> all = facts_->live(false);
  if (all.empty()) return;  // the three empty databases and one holding only a project
  constexpr std::size_t kMaxRuns = 8;
  std::vector<const Node*> chosen;
  std::size_t step = (all.size() + kMaxRuns - 1) / kMaxRuns;
  for (std::size_t i = 0; i < all.size(); i += step) chosen.push_back(all[i]);
  // The deepest file too: the longest path the lookup has to follow.
  auto depth = [](const Node* node) { return std::count(node->spec.begin(), node->spec.end(), L'/'); };
  chosen.push_back(*std::max_element(all.begin(), all.end(), [&](auto* a, auto* b) { return depth(a) < depth(b); }));

  // After the last recorded change, but not the far future: the file as of a time.
  std::string later = std::to_string((static_cast<std::int64_t>(*facts_->recordTimes.rbegin()) + 86400) * 1000);
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    const Node& node = *chosen[i];
    SCOPED_TRACE(utf8(node.spec));
    std::string target = (dir_ / ("got" + std::to_string(i))).string();
    std::vector<std::string> command = {"get", utf8(node.spec), target};
    if (i % 2) command.push_back(later);
    RunOutput result = run(command);
    EXPECT_EQ(result.exitCode, 0) << utf8(result.errors);
    EXPECT_EQ(result.errors, L"");
    EXPECT_TRUE(testsupport::wideTextEquals(result.xml, kDeclaration));
    EXPECT_EQ(result.stderrText, "");
    EXPECT_EQ(testsupport::readFileBytes(target), facts_->content(node));
  }
}

// A code page this system cannot convert makes Open fail, and the run ends
// as a failed login does.
TEST(RealDatabaseCodePageTest, UnknownCodePageFailsTheOpen) {
  SKIP_WITHOUT_DATABASES();
  testsupport::TempDir dir;
  testsupport::RunOptions options;
  options.workingDirectory = dir.path();
  options.removeEnvironment = {"SSAPI_FAULTS"};
  options.setEnvironment = {{"TZ", "UTC"}, {"SSAPI_CODEPAGE", "no-such-charset"}};
  testsupport::RunResult result = testsupport::runQuillgate(
      {"out.xml", "err.txt", "/version-v2005", (databasesFolder() / "tempnjayaraj-vss" / "srcsafe.ini").string(),
       "/login:Admin", "/pwd:", "connection", "$/"},
      options);
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.stderrText, "");
  EXPECT_TRUE(testsupport::utf16FileEquals(
      dir / "err.txt",
      L"Error: 0x80070057 (-2147024809): The code page \"no-such-charset\" is not known to this system. "
      L"Source:SourceSafe\r\nUnable to log in to SourceSafe. Please check login and password.\r\n"));
}

}  // namespace
}  // namespace e2e

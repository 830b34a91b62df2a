// The real databases made by SourceSafe itself (../shared/vssdb beside the
// repository), loaded into the model and read through the automation
// interfaces of both generations, the way the program reads them. What the
// interfaces answer is checked against the database's own files. Skipped
// when the databases are absent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "native/database_files.h"
#include "native/model_loader.h"
#include "native/open_native_database.h"
#include "objects/objects.h"
#include "platform/com_registry.h"
#include "platform/error_info.h"
#include "platform/text_encoding.h"
#include "ssapi/library.h"
#include "ssapi/ssapi.h"
#include "status_assertions.h"
#include "support/environment.h"
#include "support/real_databases.h"
#include "support/temp_dir.h"

namespace ssapi::native {
namespace {

namespace fs = std::filesystem;
using nativetest::isOk;

using testsupport::RealDatabase;
constexpr const auto& kDatabases = testsupport::kRealDatabases;
inline fs::path databasesFolder() { return testsupport::realDatabasesFolder(); }
fs::path iniOf(const RealDatabase& database) { return databasesFolder() / database.name / "srcsafe.ini"; }

std::string utf8(const std::wstring& text) { return platform::wideToUtf8(text); }

std::string failure(HRESULT hr) {
  auto info = platform::takeErrorInfo();
  return nativetest::hexStatus(hr) + (info ? " " + utf8(info->description) : std::string(" (no error info)"));
}

// Sets SSAPI_CODEPAGE for as long as it lives; the library reads it in Open.
class ScopedCodePage {
 public:
  explicit ScopedCodePage(const char* codePage) {
    if (const char* old = std::getenv(kCodePageVariable)) old_ = old;
    if (*codePage) {
      testsupport::setEnvironmentVariable(kCodePageVariable, codePage);
    } else {
      testsupport::unsetEnvironmentVariable(kCodePageVariable);
    }
  }
  ~ScopedCodePage() {
    if (old_) {
      testsupport::setEnvironmentVariable(kCodePageVariable, old_->c_str());
    } else {
      testsupport::unsetEnvironmentVariable(kCodePageVariable);
    }
  }
  ScopedCodePage(const ScopedCodePage&) = delete;
  ScopedCodePage& operator=(const ScopedCodePage&) = delete;

 private:
  std::optional<std::string> old_;
};

std::wstring childSpec(const std::wstring& parent, const std::wstring& name) {
  return parent == L"$/" ? L"$/" + name : parent + L"/" + name;
}

// One entry of the project tree, as the item files describe it.
struct Entry {
  std::wstring spec;
  bool project = false;
  bool deleted = false;  // its own entry's flag
  bool live = true;      // neither it nor a project above it is deleted
  std::string physical;
  std::int32_t pinnedVersion = 0;
};

struct Facts {
  std::unique_ptr<DatabaseFiles> files;
  std::map<std::string, ItemFile> items;  // by physical name
  std::vector<Entry> tree;                // $/ and every entry below it, deleted ones included
  std::size_t projectEntries = 0;         // the census: entries of every project's data file
  std::size_t projects = 0;               // item files of projects
  std::size_t fileItems = 0;              // item files of files

  const ItemFile& item(const std::string& physical) const { return items.at(physical); }
};

void walk(Facts& facts, const Entry& project) {
  std::vector<ProjectEntry> entries;
  ASSERT_TRUE(isOk(facts.files->readProjectEntries(facts.item(project.physical), &entries)));
  for (const ProjectEntry& entry : entries) {
    std::wstring name;
    ASSERT_TRUE(isOk(facts.files->resolveName(entry.name, &name)));
    Entry child{childSpec(project.spec, name),
                entry.kind == ItemKind::kProject,
                entry.deleted(),
                project.live && !entry.deleted(),
                entry.physical,
                entry.pinnedVersion};
    facts.tree.push_back(child);
    if (child.project) {
      ASSERT_LT(facts.tree.size(), 100000u) << "the project tree does not end";
      walk(facts, child);
    }
  }
}

const Facts& factsOf(const RealDatabase& database) {
  static std::map<std::string, std::unique_ptr<Facts>> cache;
  std::unique_ptr<Facts>& facts = cache[database.name];
  if (facts) return *facts;
  facts = std::make_unique<Facts>();
  ReaderOptions options;
  options.codePage = *database.codePage ? database.codePage : "1252";
  EXPECT_TRUE(isOk(DatabaseFiles::open(iniOf(database), options, &facts->files)));
  std::vector<std::string> physicals;
  EXPECT_TRUE(isOk(facts->files->listItemFiles(&physicals)));
  for (const std::string& physical : physicals) {
    ItemFile& item = facts->items[physical];
    EXPECT_TRUE(isOk(facts->files->readItem(physical, &item))) << physical;
    if (item.header.isProject()) {
      ++facts->projects;
      std::vector<ProjectEntry> entries;
      EXPECT_TRUE(isOk(facts->files->readProjectEntries(item, &entries)));
      facts->projectEntries += entries.size();
    } else {
      ++facts->fileItems;
    }
  }
  Entry root{L"$/", true, false, true, "AAAAAAAA", 0};
  facts->tree.push_back(root);
  walk(*facts, root);
  return *facts;
}

// The database object as the program gets it: through the class registry,
// then Open.
template <class G>
HRESULT openDatabase(const RealDatabase& database, const std::wstring& user, const std::wstring& password,
                     ComPtr<IVSSDatabaseT<G>>* db) {
  installLibrary();
  CLSID clsid{};
  EXPECT_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IVSSDatabaseT<G>::iid(), reinterpret_cast<void**>(db->put())),
            S_OK);
  if (!*db) return E_FAIL;
  ScopedCodePage codePage(database.codePage);
  return (*db)->Open(platform::utf8ToWide(iniOf(database).string()), user, password);
}

// An item reached from $/ through get_Items.
template <class G>
struct Reached {
  std::wstring spec;
  bool project = false;
  bool deleted = false;
  ComPtr<IVSSItemT<G>> item;
};

template <class G>
void reachAll(const ComPtr<IVSSItemT<G>>& project, bool includeDeleted, std::vector<Reached<G>>* out) {
  ComPtr<IVSSItemsT<G>> items;
  HRESULT hr = project->get_Items(includeDeleted ? VARIANT_TRUE : VARIANT_FALSE, items.put());
  ASSERT_TRUE(SUCCEEDED(hr) && items) << failure(hr);
  LONG count = 0;
  ASSERT_EQ(items->get_Count(&count), S_OK);
  for (LONG i = 1; i <= count; ++i) {
    Reached<G> reached;
    hr = items->get_Item(Variant(i), reached.item.put());
    ASSERT_TRUE(SUCCEEDED(hr) && reached.item) << failure(hr);
    int type = -1;
    VARIANT_BOOL deleted = VARIANT_FALSE;
    ASSERT_EQ(reached.item->get_Spec(&reached.spec), S_OK);
    ASSERT_EQ(reached.item->get_Type(&type), S_OK) << utf8(reached.spec);
    ASSERT_EQ(reached.item->get_Deleted(&deleted), S_OK) << utf8(reached.spec);
    reached.project = type == VSSITEM_PROJECT;
    reached.deleted = deleted != VARIANT_FALSE;
    out->push_back(reached);
    if (reached.project) {
      ASSERT_LT(out->size(), 100000u) << "the project tree does not end";
      reachAll<G>(reached.item, includeDeleted, out);
    }
  }
}

// What a Get of the item writes.
template <class G>
std::string got(IVSSItemT<G>* item, const testsupport::TempDir& dir) {
  fs::path target = dir / "got";
  std::wstring local = platform::utf8ToWide(target.string());
  HRESULT hr = item->Get(&local, VSSFLAG_REPREPLACE);
  EXPECT_TRUE(SUCCEEDED(hr)) << failure(hr);
  std::string bytes = testsupport::readFileBytes(target);
  fs::remove(target);
  return bytes;
}

fs::path dataFileOf(const RealDatabase& database, const ItemFile& file) {
  std::string lower = file.physical;
  for (char& c : lower) c = static_cast<char>(c - 'A' + 'a');
  return databasesFolder() / database.name / "data" / lower.substr(0, 1) /
         (lower + "." + static_cast<char>(file.header.dataExtension - 'A' + 'a'));
}

enum class Generation { kVss60, kVss2005 };

class LoadedRealDatabaseTest : public ::testing::TestWithParam<std::tuple<RealDatabase, Generation>> {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_DATABASES();
    facts_ = &factsOf(database());
  }
  const RealDatabase& database() const { return std::get<0>(GetParam()); }
  bool is2005() const { return std::get<1>(GetParam()) == Generation::kVss2005; }

  template <class G>
  ComPtr<IVSSItemT<G>> root(ComPtr<IVSSDatabaseT<G>>* db) {
    HRESULT hr = openDatabase<G>(database(), platform::utf8ToWide(database().user), L"", db);
    EXPECT_EQ(hr, S_OK) << failure(hr);
    ComPtr<IVSSItemT<G>> item;
    if (FAILED(hr)) return item;
    hr = (*db)->get_VSSItem(L"$/", VARIANT_FALSE, item.put());
    EXPECT_TRUE(SUCCEEDED(hr) && item) << failure(hr);
    return item;
  }

  template <class G>
  void treeFromTheRootIsTheProjectEntries();
  template <class G>
  void everyCurrentFileIsItsDataFile();
  template <class G>
  void everyOlderVersionRebuilds();
  template <class G>
  void loginFailures();

  const Facts* facts_ = nullptr;
  testsupport::TempDir dir_;
};

#define FOR_THE_GENERATION(method) is2005() ? method<Vss2005>() : method<Vss60>()

std::string rowName(const ::testing::TestParamInfo<std::tuple<RealDatabase, Generation>>& info) {
  std::string name = std::get<0>(info.param).name;
  for (char& c : name)
    if (c == '-') c = '_';
  return name + (std::get<1>(info.param) == Generation::kVss60 ? "_Vss60" : "_Vss2005");
}

INSTANTIATE_TEST_SUITE_P(All, LoadedRealDatabaseTest,
                         ::testing::Combine(::testing::ValuesIn(kDatabases),
                                            ::testing::Values(Generation::kVss60, Generation::kVss2005)),
                         rowName);

template <class G>
void LoadedRealDatabaseTest::treeFromTheRootIsTheProjectEntries() {
  ComPtr<IVSSDatabaseT<G>> db;
  ComPtr<IVSSItemT<G>> top = root<G>(&db);
  ASSERT_TRUE(top);
  using Row = std::tuple<std::wstring, bool, bool>;  // spec, project, deleted
  std::vector<Reached<G>> reached{{L"$/", true, false, top}};
  reachAll<G>(top, true, &reached);
  std::multiset<Row> got, expected;
  for (const Reached<G>& one : reached) got.insert({one.spec, one.project, one.deleted});
  for (const Entry& entry : facts_->tree) expected.insert({entry.spec, entry.project, entry.deleted});
  EXPECT_EQ(got, expected);
  // Every project entry once, and $/: the census of the item files.
  EXPECT_EQ(reached.size(), facts_->projectEntries + 1);
  std::size_t projects = std::count_if(reached.begin(), reached.end(), [](const auto& r) { return r.project; });
  EXPECT_EQ(projects, facts_->projects);

  // Without the deleted ones: the live tree.
  std::vector<Reached<G>> live{{L"$/", true, false, top}};
  reachAll<G>(top, false, &live);
  std::multiset<Row> gotLive, expectedLive;
  for (const Reached<G>& one : live) gotLive.insert({one.spec, one.project, one.deleted});
  for (const Entry& entry : facts_->tree)
    if (entry.live) expectedLive.insert({entry.spec, entry.project, false});
  EXPECT_EQ(gotLive, expectedLive);
}

TEST_P(LoadedRealDatabaseTest, TreeFromTheRootIsTheProjectEntries) {
  FOR_THE_GENERATION(treeFromTheRootIsTheProjectEntries);
}

template <class G>
void LoadedRealDatabaseTest::everyCurrentFileIsItsDataFile() {
  ComPtr<IVSSDatabaseT<G>> db;
  ComPtr<IVSSItemT<G>> top = root<G>(&db);
  ASSERT_TRUE(top);
  std::map<std::wstring, const Entry*> bySpec;
  for (const Entry& entry : facts_->tree)
    if (entry.live && !entry.project) bySpec[entry.spec] = &entry;
  std::vector<Reached<G>> live;
  reachAll<G>(top, false, &live);
  std::size_t files = 0;
  for (const Reached<G>& one : live) {
    if (one.project) continue;
    SCOPED_TRACE(utf8(one.spec));
    ++files;
    auto found = bySpec.find(one.spec);
    ASSERT_NE(found, bySpec.end());
    const ItemFile& file = facts_->item(found->second->physical);
    std::string expected;
    if (found->second->pinnedVersion) {
      ASSERT_TRUE(isOk(facts_->files->contentAt(file, found->second->pinnedVersion, &expected)));
    } else {
      expected = testsupport::readFileBytes(dataFileOf(database(), file));
    }
    EXPECT_EQ(got<G>(one.item.get(), dir_), expected);
  }
  EXPECT_EQ(files, bySpec.size());
}

TEST_P(LoadedRealDatabaseTest, EveryCurrentFileIsItsDataFile) { FOR_THE_GENERATION(everyCurrentFileIsItsDataFile); }

template <class G>
void LoadedRealDatabaseTest::everyOlderVersionRebuilds() {
  ComPtr<IVSSDatabaseT<G>> db;
  ComPtr<IVSSItemT<G>> top = root<G>(&db);
  ASSERT_TRUE(top);
  // Each file once, deleted ones included, reached through its first entry.
  // A spec can name a deleted entry and a live one; no two of either kind
  // share one in these databases, which the count at the end confirms.
  std::map<std::pair<std::wstring, bool>, const Entry*> bySpec;
  std::set<std::string> seen;
  for (const Entry& entry : facts_->tree)
    if (!entry.project && seen.insert(entry.physical).second)
      bySpec.emplace(std::pair{entry.spec, entry.deleted}, &entry);
  std::vector<Reached<G>> all;
  reachAll<G>(top, true, &all);
  std::size_t versions = 0, files = 0;
  for (const Reached<G>& one : all) {
    auto found = bySpec.find({one.spec, one.deleted});
    if (one.project || found == bySpec.end()) continue;
    SCOPED_TRACE(utf8(one.spec));
    ++files;
    const ItemFile& file = facts_->item(found->second->physical);
    std::map<std::int32_t, std::string> contents;
    ASSERT_TRUE(isOk(facts_->files->walkVersions(file, 1, [&](std::int32_t version, const std::string& content) {
      contents[version] = content;
      return true;
    })));
    LONG last = 0;
    ASSERT_EQ(one.item->get_VersionNumber(&last), S_OK);
    EXPECT_EQ(last, file.header.lastVersion);
    for (LONG version = 1; version <= last; ++version) {
      SCOPED_TRACE("version " + std::to_string(version));
      ComPtr<IVSSItemT<G>> old;
      HRESULT hr = one.item->get_Version(Variant(version), old.put());
      ASSERT_TRUE(SUCCEEDED(hr) && old) << failure(hr);
      LONG number = 0;
      EXPECT_EQ(old->get_VersionNumber(&number), S_OK);
      EXPECT_EQ(number, version);
      EXPECT_EQ(got<G>(old.get(), dir_), contents[version]);
      ++versions;
    }
  }
  EXPECT_EQ(files, bySpec.size());
  EXPECT_EQ(files, facts_->fileItems);
  std::size_t expected = 0;
  for (const auto& [spec, entry] : bySpec)
    expected += static_cast<std::size_t>(facts_->item(entry->physical).header.lastVersion);
  EXPECT_EQ(versions, expected);
}

TEST_P(LoadedRealDatabaseTest, EveryOlderVersionRebuilds) { FOR_THE_GENERATION(everyOlderVersionRebuilds); }

template <class G>
void LoadedRealDatabaseTest::loginFailures() {
  std::wstring user = platform::utf8ToWide(database().user);
  struct Case {
    std::wstring user, password;
    HRESULT code;
    std::wstring description;
  };
  std::vector<Case> cases = {
      {user, L"wrong", ESS_UM_BAD_PASSWORD, L"Invalid password"},
      {L"NoSuchUser", L"", ESS_UM_USER_NOT_FOUND, L"User \"NoSuchUser\" not found"},
  };
  // There Admin has a password: an empty one does not pass for it.
  if (std::string(database().name) == "alex632-mylvss")
    cases.push_back({L"Admin", L"", ESS_UM_BAD_PASSWORD, L"Invalid password"});
  for (const Case& c : cases) {
    SCOPED_TRACE(utf8(c.user + L"/" + c.password));
    ComPtr<IVSSDatabaseT<G>> db;
    EXPECT_EQ(openDatabase<G>(database(), c.user, c.password, &db), c.code);
    auto info = platform::takeErrorInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->description, c.description);
    // Still closed: nothing can be asked of it.
    ComPtr<IVSSItemT<G>> item;
    EXPECT_TRUE(FAILED(db->get_VSSItem(L"$/", VARIANT_FALSE, item.put())));
    platform::takeErrorInfo();
  }
  // The user as the database spells it, whatever the case of the login.
  std::wstring shouted = user;
  for (wchar_t& c : shouted) c = static_cast<wchar_t>(std::towupper(c));
  ComPtr<IVSSDatabaseT<G>> db;
  ASSERT_EQ(openDatabase<G>(database(), shouted, L"", &db), S_OK);
  std::wstring name;
  EXPECT_EQ(db->get_Username(&name), S_OK);
  EXPECT_EQ(name, user);
}

TEST_P(LoadedRealDatabaseTest, WrongPasswordAndUnknownUserFail) { FOR_THE_GENERATION(loginFailures); }

// Opening reads srcsafe.ini, um.dat and the root project's item file; a path
// costs the projects along it; a content costs its data file.
class RealDatabaseLazyLoadTest : public ::testing::TestWithParam<RealDatabase> {
 protected:
  void SetUp() override { SKIP_WITHOUT_DATABASES(); }
};

INSTANTIATE_TEST_SUITE_P(All, RealDatabaseLazyLoadTest, ::testing::ValuesIn(kDatabases),
                         [](const ::testing::TestParamInfo<RealDatabase>& info) {
                           std::string name = info.param.name;
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

TEST_P(RealDatabaseLazyLoadTest, OneItemCostsOnlyTheFilesOnItsPath) {
  const RealDatabase& database = GetParam();
  const Facts& facts = factsOf(database);
  ReaderOptions options;
  options.codePage = *database.codePage ? database.codePage : "1252";
  OpenedDatabase opened;
  ASSERT_TRUE(isOk(openNativeDatabase(iniOf(database), platform::utf8ToWide(database.user), L"", options, &opened)));
  const DatabaseFiles& files = opened.loader->files();
  // srcsafe.ini; um.dat, read for the password check and again for the user
  // list; the root project's item file and its data file, whose entries its
  // records are checked against; names.dat when a name there needs it.
  bool longNames = false;
  const ItemFile& rootItem = facts.item("AAAAAAAA");
  for (const HistoryRecord& record : rootItem.history)
    longNames |= record.name.namesOffset || record.oldName.namesOffset;
  std::vector<ProjectEntry> rootEntries;
  ASSERT_TRUE(isOk(facts.files->readProjectEntries(rootItem, &rootEntries)));
  for (const ProjectEntry& entry : rootEntries) longNames |= entry.name.namesOffset != 0;
  EXPECT_LE(files.filesRead(), 5u + longNames);
  RecordProperty("files_read_by_open", static_cast<int>(files.filesRead()));

  // The deepest live file, or the deepest project where there is none.
  const Entry* deepest = &facts.tree.front();
  auto depth = [](const Entry& entry) { return std::count(entry.spec.begin(), entry.spec.end(), L'/'); };
  for (const Entry& entry : facts.tree) {
    if (!entry.live) continue;
    bool better = deepest->project && !entry.project;
    bool same = deepest->project == entry.project;
    if (better || (same && depth(entry) > depth(*deepest))) deepest = &entry;
  }
  SCOPED_TRACE(utf8(deepest->spec));

  auto session = std::make_shared<objects::Session>();
  session->db = opened.db;
  session->user = opened.user;
  ComPtr<IVSSDatabaseT<Vss2005>> db(new objects::DatabaseObject<Vss2005>(session));
  ComPtr<IVSSItemT<Vss2005>> item;
  std::size_t before = files.filesRead();
  HRESULT hr = db->get_VSSItem(deepest->spec, VARIANT_FALSE, item.put());
  ASSERT_TRUE(SUCCEEDED(hr) && item) << failure(hr);
  std::size_t lookup = files.filesRead() - before;
  // Each project between $/ and the item: its item file and its data file;
  // then the item's own file, and names.dat if no name needed it before.
  std::size_t projectsBetween = deepest->spec == L"$/" ? 0 : static_cast<std::size_t>(depth(*deepest)) - 1;
  EXPECT_LE(lookup, 2 * projectsBetween + 2) << lookup << " files for " << projectsBetween << " projects on the way";
  RecordProperty("files_read_for_one_item", static_cast<int>(lookup));

  if (!deepest->project) {
    testsupport::TempDir dir;
    before = files.filesRead();
    std::string content = got<Vss2005>(item.get(), dir);
    EXPECT_EQ(files.filesRead() - before, 1u);  // its data file, nothing else
    EXPECT_EQ(content, testsupport::readFileBytes(dataFileOf(database, facts.item(deepest->physical))));
  }

  // In the largest database, a small part of what it holds.
  std::size_t held = 0;
  for (const auto& entry : fs::recursive_directory_iterator(databasesFolder() / database.name / "data"))
    held += entry.is_regular_file();
  if (std::string(database.name) == "wjkong-MicNets") {
    EXPECT_GT(held, 1000u);
    EXPECT_LT(files.filesRead() * 20, held) << files.filesRead() << " of " << held << " files read";
  }
}

// The census over all nine, as the reader's own test counts it: 1198 project
// entries and nine roots, of which 153 are projects.
TEST(LoadedRealDatabasesTotalTest, EveryEntryIsReachedFromTheRoots) {
  SKIP_WITHOUT_DATABASES();
  std::size_t reached = 0, projects = 0;
  for (const RealDatabase& database : kDatabases) {
    SCOPED_TRACE(database.name);
    ComPtr<IVSSDatabaseT<Vss2005>> db;
    ASSERT_EQ(openDatabase<Vss2005>(database, platform::utf8ToWide(database.user), L"", &db), S_OK);
    ComPtr<IVSSItemT<Vss2005>> top;
    ASSERT_EQ(db->get_VSSItem(L"$/", VARIANT_FALSE, top.put()), S_OK);
    std::vector<Reached<Vss2005>> all{{L"$/", true, false, top}};
    reachAll<Vss2005>(top, true, &all);
    reached += all.size();
    projects += std::count_if(all.begin(), all.end(), [](const auto& r) { return r.project; });
  }
  EXPECT_EQ(reached, 1198u + 9u);
  EXPECT_EQ(projects, 153u);
}

}  // namespace
}  // namespace ssapi::native

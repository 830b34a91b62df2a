// The text form: what the builder writes, what Open reads back, and how Open
// refuses bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/com_registry.h"
#include "platform/file_system.h"
#include "ssapi/library.h"
#include "support/special_files.h"
#include "support/ssapi_test_util.h"

namespace {

using namespace ssapitest;
using ssapi::DatabaseBuilder;
namespace fs = std::filesystem;

std::wstring wide(const fs::path& path) { return platform::wideFromPath(path); }

// A database created through the class registry, as the program creates it.
template <class G>
ComPtr<IVSSDatabaseT<G>> created() {
  ssapi::installLibrary();
  CLSID clsid{};
  EXPECT_EQ(CLSIDFromProgID(L"SourceSafe", &clsid), S_OK);
  ComPtr<IVSSDatabaseT<G>> db;
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IVSSDatabaseT<G>::iid(), reinterpret_cast<void**>(db.put())),
            S_OK);
  return db;
}

// Every change kind once or more.
void buildShowcase(DatabaseBuilder& b) {
  b.addUser(L"ann", L"secret")
      .at(1000).createProject(L"$/lib").createProject(L"$/app").createProject(L"$/app/old")
      .by(L"ann").withComment(L"first \"cut\"\nsecond line").addFile(L"$/lib/x.h", "x1\r\n")
      .addFile(L"$/app/main.c", std::string("bin\0ary", 7)).checkIn(L"$/lib/x.h", "x2\r\n")
      .share(L"$/lib/x.h", L"$/app").checkIn(L"$/app/x.h", "x3\r\n").pin(L"$/app/x.h", 2).unpin(L"$/app/x.h")
      .branch(L"$/app/x.h").by(L"Admin").rename(L"$/app/main.c", L"entry point.c").rename(L"$/app/old", L"older")
      .move(L"$/app/older", L"$/lib").label(L"$/lib", L"v1.0", L"the label's comment")
      .remove(L"$/app/entry point.c").recover(L"$/app/entry point.c").addFile(L"$/lib/tmp", "")
      .remove(L"$/lib/tmp").purge(L"$/lib/tmp").addFile(L"$/lib/junk", "j").destroy(L"$/lib/junk")
      .archive(L"$/lib/older").restore(L"$/lib/older").rollback(L"$/lib/x.h", 1)
      .createProject(L"$/app/ünïcödé");
}

template <class G>
std::vector<std::wstring> everything(const ComPtr<IVSSDatabaseT<G>>& db) {
  std::vector<std::wstring> lines;
  for (const auto& row : versions<G>(item<G>(db, L"$/"), ssapi::VSSFLAG_RECURSYES)) {
    lines.push_back(std::to_wstring(row.number) + L"|" + row.action + L"|" + row.user + L"|" + row.comment + L"|" +
                    row.label + L"|" + row.labelComment + L"|" + std::to_wstring(row.date) + L"|" + row.spec);
  }
  return lines;
}

template <class G>
class TextFormTest : public ::testing::Test {};
TYPED_TEST_SUITE(TextFormTest, Generations);

TYPED_TEST(TextFormTest, OpenGivesBackWhatTheBuilderWrote) {
  using G = TypeParam;
  DatabaseBuilder b;
  buildShowcase(b);
  testsupport::TempDir dir;
  b.writeTo(dir.path());

  auto db = created<G>();
  SSAPI_OK(db->Open(wide(dir / "srcsafe.ini"), L"ann", L"secret"));
  auto expected = b.open<G>();
  EXPECT_GT(everything<G>(expected).size(), 30u);
  EXPECT_EQ(everything<G>(db), everything<G>(expected));
  EXPECT_EQ(childNames<G>(item<G>(db, L"$/app"), true), childNames<G>(item<G>(expected, L"$/app"), true));
  EXPECT_EQ(content<G>(item<G>(db, L"$/app/entry point.c")), std::string("bin\0ary", 7));
  EXPECT_EQ(content<G>(atVersion<G>(item<G>(db, L"$/app/x.h"), 2)), "x2\r\n");
  VARIANT_BOOL binary = VARIANT_FALSE;
  item<G>(db, L"$/app/entry point.c")->get_Binary(&binary);
  EXPECT_EQ(binary, VARIANT_TRUE);
  std::wstring user;
  db->get_Username(&user);
  EXPECT_EQ(user, L"ann");
  std::wstring ini;
  db->get_SrcSafeIni(&ini);
  EXPECT_EQ(ini, wide(dir / "srcsafe.ini"));
}

TEST(TextFormFiles, JournalAndUsersAreReadableAndHoldNoPassword) {
  DatabaseBuilder b;
  b.addUser(L"bob", L"hunter2").at(946684800 + 60).by(L"bob").withComment(L"say \"hi\"\tnow").createProject(L"$/my project");
  testsupport::TempDir dir;
  b.writeTo(dir.path());
  EXPECT_EQ(testsupport::readFileBytes(dir / "srcsafe.ini"),
            "; SourceSafe database in quillgate's text form (see automation/README.md)\r\nData_Path = data\r\n");
  std::string journal = testsupport::readFileBytes(dir / "data" / "journal.txt");
  EXPECT_NE(journal.find("journal-format 1\n2000-01-01T00:00:00Z Admin create-project $/\n"
                         "2000-01-01T00:01:00Z bob create-project \"$/my project\" comment \"say \\\"hi\\\"\\tnow\"\n"),
            std::string::npos)
      << journal;
  std::string users = testsupport::readFileBytes(dir / "data" / "users.txt");
  EXPECT_EQ(users.find("hunter2"), std::string::npos);
  EXPECT_NE(users.find("\nbob "), std::string::npos);
}

TEST(TextFormFiles, OpenChecksUserAndPassword) {
  DatabaseBuilder b;
  b.addUser(L"bob", L"hunter2");
  testsupport::TempDir dir;
  b.writeTo(dir.path());
  std::wstring ini = wide(dir / "srcsafe.ini");
  struct Row {
    const wchar_t* user;
    const wchar_t* password;
    HRESULT status;
    const wchar_t* description;
  };
  const Row rows[] = {
      {L"bob", L"hunter2", S_OK, nullptr},
      {L"BOB", L"hunter2", S_OK, nullptr},
      {L"Admin", L"", S_OK, nullptr},
      {L"bob", L"Hunter2", ssapi::ESS_UM_BAD_PASSWORD, L"Invalid password"},
      {L"bob", L"", ssapi::ESS_UM_BAD_PASSWORD, L"Invalid password"},
      {L"carl", L"", ssapi::ESS_UM_USER_NOT_FOUND, L"User \"carl\" not found"},
      {L"", L"", ssapi::ESS_UM_USER_NOT_FOUND, L"User \"\" not found"},
  };
  for (const Row& row : rows) {
    auto db = created<ssapi::Vss60>();
    EXPECT_EQ(db->Open(ini, row.user, row.password), row.status) << platform::wideToUtf8(row.user);
    auto info = platform::takeErrorInfo();
    if (row.description) {
      ASSERT_TRUE(info);
      EXPECT_EQ(info->description, row.description);
      EXPECT_EQ(info->source, L"SourceSafe");
    } else {
      EXPECT_FALSE(info);
    }
  }
}

// One bad journal line and what Open says about it.
struct BadLine {
  const char* name;
  std::string line;  // appended to a valid journal
  HRESULT status;
  std::wstring reason;
};

TEST(TextFormLoader, RefusesBadJournalsNamingFileLineAndReason) {
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/a.txt", "a").addFile(L"$/p/b.txt", "b").remove(L"$/p/b.txt")
      .addFile(L"$/p/c.txt", "c");
  // "{a}" stands for the name of a content the journal has.
  const BadLine rows[] = {
      {"unknown change", "2001-01-01T00:00:00Z Admin frobnicate $/p", ssapi::ESS_CORRUPT,
       L"unknown change \"frobnicate\""},
      {"bad time", "2001-02-30T00:00:00Z Admin create-project $/q", ssapi::ESS_CORRUPT,
       L"\"2001-02-30T00:00:00Z\" is not a time like 2000-01-31T23:59:00Z"},
      {"too few words", "2001-01-01T00:00:00Z Admin delete", ssapi::ESS_CORRUPT,
       L"expected a time, a user, a change and a spec"},
      {"unterminated quote", "2001-01-01T00:00:00Z Admin delete \"$/p/a.txt", ssapi::ESS_CORRUPT,
       L"an unterminated quoted word"},
      {"unknown option", "2001-01-01T00:00:00Z Admin delete $/p/a.txt colour red", ssapi::ESS_CORRUPT,
       L"unexpected \"colour\""},
      {"rename onto an existing name", "2001-01-01T00:00:00Z Admin rename $/p/a.txt C.TXT", ssapi::ESS_CORRUPT,
       L"cannot rename $/p/a.txt to C.TXT: an item named C.TXT already exists in $/p"},
      {"check-in of a deleted file", "2001-01-01T00:00:00Z Admin check-in $/p/b.txt {a}", ssapi::ESS_CORRUPT,
       L"cannot check-in $/p/b.txt: $/p/b.txt is deleted"},
      {"missing content file", "2001-01-01T00:00:00Z Admin check-in $/p/a.txt 0123456789abcdef",
       ssapi::ESS_FILE_NOTFOUND, L""},
      {"share into the same project", "2001-01-01T00:00:00Z Admin share $/p/a.txt $/p", ssapi::ESS_CORRUPT,
       L"cannot share $/p/a.txt into $/p: cannot share $/p/a.txt into its own project $/p"},
      {"unknown user", "2001-01-01T00:00:00Z zed create-project $/q", ssapi::ESS_CORRUPT,
       L"cannot create-project $/q: unknown user \"zed\""},
      {"unsafe name", "2001-01-01T00:00:00Z Admin create-project \"$/p/..\"", ssapi::ESS_CORRUPT,
       L"cannot create-project $/p/..: the name \"..\" is reserved"},
      {"name with a control character", "2001-01-01T00:00:00Z Admin rename $/p/a.txt \"x\\x01\"", ssapi::ESS_CORRUPT,
       L"cannot rename $/p/a.txt to x\x01: the name holds a control character"},
      {"content name that could leave the folder", "2001-01-01T00:00:00Z Admin add-file $/p/c ../../../etc/passwd",
       ssapi::ESS_CORRUPT, L"\"../../../etc/passwd\" is not a content name"},
      {"a second root", "2001-01-01T00:00:00Z Admin create-project $/", ssapi::ESS_CORRUPT,
       L"cannot create-project $/: the root project exists already"},
  };
  for (const BadLine& row : rows) {
    SCOPED_TRACE(row.name);
    testsupport::TempDir dir;
    b.writeTo(dir.path());
    fs::path journal = dir / "data" / "journal.txt";
    std::string text = testsupport::readFileBytes(journal);
    long line = static_cast<long>(std::count(text.begin(), text.end(), '\n')) + 1;
    std::size_t added = text.find("add-file $/p/a.txt ") + 19;
    std::string bad = row.line;
    if (std::size_t at = bad.find("{a}"); at != std::string::npos) bad.replace(at, 3, text.substr(added, 16));
    testsupport::writeFileBytes(journal, text + bad + "\n");

    auto db = created<ssapi::Vss2005>();
    EXPECT_EQ(db->Open(wide(dir / "srcsafe.ini"), L"Admin", L""), row.status);
    auto info = platform::takeErrorInfo();
    ASSERT_TRUE(info);
    std::wstring prefix = L"File \"" + wide(journal) + L"\", line " + std::to_wstring(line) + L": ";
    if (row.status == ssapi::ESS_FILE_NOTFOUND) {
      EXPECT_EQ(info->description.rfind(prefix + L"content file \"", 0), 0u) << platform::wideToUtf8(info->description);
    } else {
      EXPECT_EQ(info->description, prefix + row.reason);
    }
    // Nothing was loaded: the object is still unopened.
    ComPtr<IVSSItemT<ssapi::Vss2005>> root;
    EXPECT_EQ(db->get_VSSItem(L"$/", VARIANT_FALSE, root.put()), E_UNEXPECTED);
    platform::clearErrorInfo();
  }
}

// The content file of the journal's last line (the add of $/p/a.txt, line 6).
fs::path lastContent(const fs::path& d) {
  std::string journal = testsupport::readFileBytes(d / "data" / "journal.txt");
  std::string name = journal.substr(journal.rfind(' ') + 1, 16);
  return d / "data" / "contents" / name.substr(0, 2) / name;
}

std::wstring atContentLine(const fs::path& d) {
  return L"File \"" + wide(d / "data" / "journal.txt") + L"\", line 6: ";
}

// Puts `thing` where a file was.
void replaceWith(const fs::path& file, const std::function<void(const fs::path&)>& thing) {
  fs::remove(file);
  thing(file);
}
void makeFifo(const fs::path& file) { testsupport::makeFifo(file); }
void makeFolder(const fs::path& file) { fs::create_directory(file); }

TEST(TextFormLoader, RefusesMissingOrBrokenFiles) {
  DatabaseBuilder b;
  b.createProject(L"$/p").addFile(L"$/p/a.txt", "a");
  struct Row {
    const char* name;
    std::function<void(const fs::path&)> damage;
    HRESULT status;
    std::function<std::wstring(const fs::path&)> description;
  };
  const Row rows[] = {
      {"no ini", [](const fs::path& d) { fs::remove(d / "srcsafe.ini"); }, ssapi::ESS_FILE_NOTFOUND,
       [](const fs::path& d) { return L"File \"" + wide(d / "srcsafe.ini") + L"\" not found"; }},
      {"ini without Data_Path", [](const fs::path& d) { testsupport::writeFileBytes(d / "srcsafe.ini", "; nothing\n"); },
       ssapi::ESS_INI_BADLINE, [](const fs::path& d) { return L"File \"" + wide(d / "srcsafe.ini") + L"\" names no Data_Path"; }},
      {"ini line without =", [](const fs::path& d) { testsupport::writeFileBytes(d / "srcsafe.ini", "Data_Path = data\nnonsense\n"); },
       ssapi::ESS_INI_BADLINE,
       [](const fs::path& d) { return L"Invalid syntax on line 2 of file " + wide(d / "srcsafe.ini"); }},
      {"data folder missing", [](const fs::path& d) { fs::remove_all(d / "data"); }, ssapi::ESS_DATABASE_NOT_FOUND,
       [](const fs::path& d) {
         return L"The SourceSafe database path " + wide(d / "data") + L" does not exist. Please select another database.";
       }},
      {"journal missing", [](const fs::path& d) { fs::remove(d / "data" / "journal.txt"); }, ssapi::ESS_FILE_NOTFOUND,
       [](const fs::path& d) { return L"File \"" + wide(d / "data" / "journal.txt") + L"\" not found"; }},
      {"content missing", [](const fs::path& d) { fs::remove_all(d / "data" / "contents"); }, ssapi::ESS_FILE_NOTFOUND,
       [](const fs::path& d) {
         std::string journal = testsupport::readFileBytes(d / "data" / "journal.txt");
         std::string name = journal.substr(journal.rfind(' ') + 1, 16);
         return L"File \"" + wide(d / "data" / "journal.txt") + L"\", line 6: content file \"" +
                wide(d / "data" / "contents" / name.substr(0, 2) / name) + L"\" not found";
       }},
      {"journal without header",
       [](const fs::path& d) { testsupport::writeFileBytes(d / "data" / "journal.txt", "# comment\n\nhello\n"); },
       ssapi::ESS_CORRUPT,
       [](const fs::path& d) {
         return L"File \"" + wide(d / "data" / "journal.txt") + L"\", line 3: expected \"journal-format 1\"";
       }},
      {"journal without root",
       [](const fs::path& d) { testsupport::writeFileBytes(d / "data" / "journal.txt", "journal-format 1\n"); },
       ssapi::ESS_CORRUPT,
       [](const fs::path& d) { return wide(d / "data" / "journal.txt") + L": the journal creates no root project"; }},
      // Special files fail at once instead of blocking or reading for ever.
      {"ini is a FIFO", [](const fs::path& d) { replaceWith(d / "srcsafe.ini", makeFifo); }, ssapi::ESS_CORRUPT,
       [](const fs::path& d) { return L"File \"" + wide(d / "srcsafe.ini") + L"\" is not a regular file"; }},
      {"ini beyond a few megabytes",
       [](const fs::path& d) { testsupport::writeFileBytes(d / "srcsafe.ini", "Data_Path = data\n" + std::string(4 << 20, ';')); },
       ssapi::ESS_CORRUPT,
       [](const fs::path& d) { return L"File \"" + wide(d / "srcsafe.ini") + L"\" has more than 4194304 bytes"; }},
      {"NUL in Data_Path",
       [](const fs::path& d) { testsupport::writeFileBytes(d / "srcsafe.ini", std::string("Data_Path = data\0x\n", 19)); },
       ssapi::ESS_INI_BADLINE,
       [](const fs::path& d) { return L"File \"" + wide(d / "srcsafe.ini") + L"\": Data_Path holds a NUL character"; }},
      {"users file is a folder", [](const fs::path& d) { replaceWith(d / "data" / "users.txt", makeFolder); },
       ssapi::ESS_CORRUPT,
       [](const fs::path& d) { return L"File \"" + wide(d / "data" / "users.txt") + L"\" is not a regular file"; }},
      {"users file is a FIFO", [](const fs::path& d) { replaceWith(d / "data" / "users.txt", makeFifo); },
       ssapi::ESS_CORRUPT,
       [](const fs::path& d) { return L"File \"" + wide(d / "data" / "users.txt") + L"\" is not a regular file"; }},
      {"journal links to /dev/zero",
       [](const fs::path& d) {
         replaceWith(d / "data" / "journal.txt", [](const fs::path& f) { testsupport::makeSymlink("/dev/zero", f); });
       },
       ssapi::ESS_CORRUPT,
       [](const fs::path& d) { return L"File \"" + wide(d / "data" / "journal.txt") + L"\" is not a regular file"; }},
      {"content is a folder", [](const fs::path& d) { replaceWith(lastContent(d), makeFolder); }, ssapi::ESS_CORRUPT,
       [](const fs::path& d) {
         return atContentLine(d) + L"File \"" + wide(lastContent(d)) + L"\" is not a regular file";
       }},
      {"content is a FIFO", [](const fs::path& d) { replaceWith(lastContent(d), makeFifo); }, ssapi::ESS_CORRUPT,
       [](const fs::path& d) {
         return atContentLine(d) + L"File \"" + wide(lastContent(d)) + L"\" is not a regular file";
       }},
      // A get would deliver a file from outside the database.
      {"content links out of the data folder",
       [](const fs::path& d) {
         testsupport::writeFileBytes(d / "outside.txt", "a");
         replaceWith(lastContent(d), [&](const fs::path& f) { testsupport::makeSymlink(d / "outside.txt", f); });
       },
       ssapi::ESS_CORRUPT,
       [](const fs::path& d) {
         return atContentLine(d) + L"File \"" + wide(lastContent(d)) + L"\" is not a regular file";
       }},
      {"contents folder links elsewhere",
       [](const fs::path& d) {
         fs::rename(d / "data" / "contents", d / "moved");
         testsupport::makeSymlink(d / "moved", d / "data" / "contents");
       },
       ssapi::ESS_CORRUPT,
       [](const fs::path& d) {
         return atContentLine(d) + L"File \"" + wide(lastContent(d)) + L"\" is not a regular file";
       }},
      {"content changed since it was written",
       [](const fs::path& d) { testsupport::writeFileBytes(lastContent(d), "b"); }, ssapi::ESS_CORRUPT,
       [](const fs::path& d) {
         return atContentLine(d) + L"content file \"" + wide(lastContent(d)) +
                L"\" does not match its name: its hash is af63df4c8601f1a5";
       }},
      {"users file with a bad line",
       [](const fs::path& d) { testsupport::writeFileBytes(d / "data" / "users.txt", "users-format 1\nAdmin 00\n"); },
       ssapi::ESS_CORRUPT,
       [](const fs::path& d) {
         return L"File \"" + wide(d / "data" / "users.txt") + L"\", line 2: expected a user name, a salt and a password hash";
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    testsupport::TempDir dir;
    b.writeTo(dir.path());
    row.damage(dir.path());
    if (std::string why = testsupport::takePlantingFailure(); !why.empty()) {
      testsupport::noteRowLeftOut(row.name, why);
      continue;
    }
    auto db = created<ssapi::Vss60>();
    EXPECT_EQ(db->Open(wide(dir / "srcsafe.ini"), L"Admin", L""), row.status);
    auto info = platform::takeErrorInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->description, row.description(dir.path()));
  }
}

TEST(TextFormLoader, RelativeAndBackslashedDataPaths) {
  DatabaseBuilder b;
  b.createProject(L"$/p");
  testsupport::TempDir dir;
  b.writeTo(dir / "db");
  fs::create_directories(dir / "elsewhere");
  testsupport::writeFileBytes(dir / "elsewhere" / "srcsafe.ini", "[General]\r\nData_Path = ..\\db\\data\r\n");
  // Data_Path inside a section does not count; before it, it does.
  auto db = created<ssapi::Vss60>();
  EXPECT_EQ(db->Open(wide(dir / "elsewhere" / "srcsafe.ini"), L"Admin", L""), ssapi::ESS_INI_BADLINE);
  platform::clearErrorInfo();
  testsupport::writeFileBytes(dir / "elsewhere" / "srcsafe.ini", "Data_Path = ..\\db\\data\r\n[General]\r\n");
  SSAPI_OK(db->Open(wide(dir / "elsewhere" / "srcsafe.ini"), L"Admin", L""));
  EXPECT_TRUE(item<ssapi::Vss60>(db, L"$/p"));
}

TEST(Library, InstallRegistersBothGenerationsAndItsLocation) {
  ssapi::installLibrary();
  auto location = platform::readRegistryValue(
      L"HKEY_CLASSES_ROOT\\CLSID\\{783CD4E4-9D54-11CF-B8EE-00608CC9A71F}\\InprocServer32");
  ASSERT_TRUE(location);
  EXPECT_TRUE(fs::path(platform::wideToUtf8(*location)).is_absolute());
  EXPECT_TRUE(fs::exists(platform::wideToUtf8(*location)));
  ComPtr<IUnknown> unknown;
  EXPECT_EQ(CoCreateInstance(ssapi::CLSID_VSSDatabase, nullptr, CLSCTX_ALL, IID_IUnknown,
                             reinterpret_cast<void**>(unknown.put())),
            S_OK);
  ComPtr<IVSSDatabaseT<ssapi::Vss2005>> newer;
  EXPECT_EQ(unknown->QueryInterface(IVSSDatabaseT<ssapi::Vss2005>::iid(), reinterpret_cast<void**>(newer.put())), S_OK);
  ComPtr<IUnknown> other;
  EXPECT_EQ(CoCreateInstance(ssapi::CLSID_VSSDatabase, nullptr, CLSCTX_ALL, IID_IEnumVARIANT,
                             reinterpret_cast<void**>(other.put())),
            E_NOINTERFACE);
  ssapi::uninstallLibrary();
  CLSID clsid{};
  EXPECT_NE(CLSIDFromProgID(L"SourceSafe", &clsid), S_OK);
  ssapi::installLibrary();
}

}  // namespace

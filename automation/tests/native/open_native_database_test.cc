// Opening a database kept in SourceSafe's own files through the automation
// interfaces: the login, a data folder named by a Windows path, and the
// [TimeZone] section, which changes no date.
#include <gtest/gtest.h>

#include <fstream>

#include "automation_view.h"
#include "native_database_builder.h"
#include "support/temp_dir.h"

namespace nativetest {
namespace {

using ssapi::Vss2005;
using ssapi::Vss60;

constexpr std::int64_t kWhen = 1500000000;  // 2017-07-14 02:40:00

class OpenNativeDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NativeDatabaseBuilder db;
    db.createProject(L"$/p").at(kWhen).addFile(L"$/p/a.txt", "a");
    db.writeTo(dir_.path());
  }

  void writeIni(const std::string& text) {
    std::ofstream out(dir_.path() / "srcsafe.ini", std::ios::binary | std::ios::trunc);
    out << text;
  }

  // Open's status and error description.
  template <class G>
  std::pair<HRESULT, std::wstring> open(const std::wstring& user, const std::wstring& password,
                                       ComPtr<ssapi::IVSSDatabaseT<G>>* opened = nullptr) {
    auto db = createDatabase<G>();
    HRESULT hr = db->Open(widePath(dir_.path() / "srcsafe.ini"), user, password);
    auto info = platform::takeErrorInfo();
    if (opened) *opened = db;
    return {hr, info ? info->description : L""};
  }

  double dateOfA() {
    ComPtr<ssapi::IVSSDatabaseT<Vss2005>> db;
    EXPECT_EQ(open<Vss2005>(L"Admin", L"", &db).first, S_OK);
    auto rows = ssapitest::versions<Vss2005>(ssapitest::item<Vss2005>(db, L"$/p/a.txt"));
    return rows.empty() ? 0 : rows.front().date;
  }

  testsupport::TempDir dir_;
};

TEST_F(OpenNativeDatabaseTest, LoginsAreCheckedAgainstTheUserList) {
  struct Row {
    const wchar_t* user;
    const wchar_t* password;
    HRESULT code;
    const wchar_t* description;
  };
  const Row rows[] = {
      {L"Admin", L"", S_OK, L""},
      {L"aDMIN", L"", S_OK, L""},
      {L"Admin", L"secret", ssapi::ESS_UM_BAD_PASSWORD, L"Invalid password"},
      {L"nobody", L"", ssapi::ESS_UM_USER_NOT_FOUND, L"User \"nobody\" not found"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(utf8(row.user) + "/" + utf8(row.password));
    ComPtr<ssapi::IVSSDatabaseT<Vss60>> db;
    auto [code, description] = open<Vss60>(row.user, row.password, &db);
    EXPECT_EQ(code, row.code);
    EXPECT_EQ(description, row.description);
    if (code == S_OK) {
      std::wstring name;
      EXPECT_EQ(db->get_Username(&name), S_OK);
      EXPECT_EQ(name, L"Admin");  // as the database spells it
    }
  }
}

TEST_F(OpenNativeDatabaseTest, AWindowsDataPathThatIsNotHereFallsBackToTheDataFolderBesideTheIni) {
  for (const char* path : {"D:\\VSS\\data", "\\\\server\\vss\\data"}) {
    SCOPED_TRACE(path);
    writeIni(std::string("Data_Path = ") + path + "\r\n");
    ComPtr<ssapi::IVSSDatabaseT<Vss2005>> db;
    ASSERT_EQ(open<Vss2005>(L"Admin", L"", &db).first, S_OK);
    EXPECT_EQ(ssapitest::content<Vss2005>(ssapitest::item<Vss2005>(db, L"$/p/a.txt")), "a");
  }
  // A relative path that is not there is no Windows path: no fallback.
  writeIni("Data_Path = elsewhere\r\n");
  EXPECT_EQ(open<Vss2005>(L"Admin", L"").first, ssapi::ESS_DATABASE_NOT_FOUND);
}

TEST_F(OpenNativeDatabaseTest, DatesAreTheWritersWallClockWhateverTheTimeZoneSection) {
  double plain = dateOfA();
  EXPECT_DOUBLE_EQ(plain, ssapitest::oleDate(kWhen));  // the tests run with TZ=UTC, the builder's clock
  writeIni(
      "Data_Path = data\r\n"
      "[TimeZone]\r\n"
      "TZ_Bias = 300\r\n"
      "TZ_DaylightBias = -60\r\n"
      "TZ_DaylightDate = 0000/03/02 02:00:00.000\r\n"
      "TZ_StandardBias = 0\r\n"
      "TZ_StandardDate = 0000/11/01 02:00:00.000\r\n"
      "TZ_UseDaylightSavingTime = Yes\r\n");
  EXPECT_DOUBLE_EQ(dateOfA(), plain);
  // A section SourceSafe could not read fails the open.
  writeIni("Data_Path = data\r\n[TimeZone]\r\nTZ_Bias = east\r\n");
  EXPECT_EQ(open<Vss2005>(L"Admin", L"").first, ssapi::ESS_INI_BADLINE);
}

}  // namespace
}  // namespace nativetest

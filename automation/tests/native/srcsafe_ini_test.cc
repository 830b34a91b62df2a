#include "native/srcsafe_ini.h"

#include <gtest/gtest.h>

#include "platform/text_encoding.h"
#include "ssapi/ssapi.h"
#include "status_assertions.h"
#include "support/temp_dir.h"

namespace ssapi::native {
namespace {

using nativetest::failsWith;
using nativetest::isOk;

constexpr const char* kIni =
    "; srcsafe.ini\r\n"
    ";\r\n"
    "Data_Path = data\r\n"
    "Temp_Path=temp\r\n"
    "   users_txt   =   users.txt   \r\n"
    "Shadow = \r\n"
    "Data_Path = store\r\n"
    "not a setting\r\n"
    "\r\n"
    "[$/Web]\r\n"
    "Data_Path = elsewhere\r\n"
    "\r\n"
    "[TimeZone]\r\n"
    "Name = (GMT-05:00) Eastern Time (US & Canada)\r\n"
    "TZ_Bias = 300\r\n"
    "TZ_DaylightBias = -60\r\n"
    "TZ_DaylightDate = 0000/03/02 02:00:00.000\r\n"
    "TZ_StandardBias = 0\r\n"
    "TZ_StandardDate = 0000/11/01 02:00:00.000\r\n"
    "TZ_UseDaylightSavingTime = Yes\r\n"
    "[Keyword Comments]\r\n"
    "*.c = /*\r\n";

TEST(SrcSafeIniTest, TakesSettingsBeforeTheFirstSectionOnly) {
  SrcSafeIni ini;
  ASSERT_TRUE(isOk(parseSrcSafeIni(kIni, L"srcsafe.ini", &ini)));
  ASSERT_NE(ini.value("DATA_PATH"), nullptr);
  EXPECT_EQ(*ini.value("data_path"), "store");  // the later line wins; the project section's does not count
  EXPECT_EQ(*ini.value("Temp_Path"), "temp");
  EXPECT_EQ(*ini.value("Users_Txt"), "users.txt");
  EXPECT_EQ(*ini.value("Shadow"), "");
  EXPECT_EQ(ini.value("Users_Path"), nullptr);
  EXPECT_EQ(ini.settings.size(), 5u);
}

TEST(SrcSafeIniTest, ReadsTheTimeZoneSection) {
  SrcSafeIni ini;
  ASSERT_TRUE(isOk(parseSrcSafeIni(kIni, L"srcsafe.ini", &ini)));
  ASSERT_TRUE(ini.timeZone);
  const IniTimeZone& zone = *ini.timeZone;
  EXPECT_EQ(zone.name, "(GMT-05:00) Eastern Time (US & Canada)");
  EXPECT_EQ(zone.bias, 300);
  EXPECT_EQ(zone.daylightBias, -60);
  EXPECT_EQ(zone.standardBias, 0);
  EXPECT_EQ(zone.daylightDate, (platform::SystemTime{0, 3, 0, 2, 2, 0, 0, 0}));
  EXPECT_EQ(zone.standardDate, (platform::SystemTime{0, 11, 0, 1, 2, 0, 0, 0}));
  EXPECT_TRUE(zone.useDaylightSavingTime);
}

TEST(SrcSafeIniTest, NoTimeZoneSectionInSourceSafe6) {
  SrcSafeIni ini;
  ASSERT_TRUE(isOk(parseSrcSafeIni("Data_Path = data", L"srcsafe.ini", &ini)));  // no line end at all
  EXPECT_FALSE(ini.timeZone);
  EXPECT_EQ(*ini.value("Data_Path"), "data");
}

TEST(SrcSafeIniTest, RefusesUnreadableTimeZoneValues) {
  const char* lines[] = {"TZ_Bias = three hundred", "TZ_DaylightDate = 0000/03/02", "TZ_UseDaylightSavingTime = maybe",
                         "TZ_StandardBias = 5x"};
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    SrcSafeIni ini;
    std::string text = std::string("Data_Path = data\r\n[TimeZone]\r\nName = x\r\n") + line + "\r\n";
    EXPECT_TRUE(failsWith(parseSrcSafeIni(text, L"C:/db/srcsafe.ini", &ini), ESS_INI_BADLINE,
                          L"Invalid syntax on line 4 of file C:/db/srcsafe.ini"));
  }
}

class DataFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(isOk(CodePage::open("1252", &codePage_)));
    std::filesystem::create_directories(dir_ / "db" / "data");
    std::filesystem::create_directories(dir_ / "db" / "store" / "inner");
  }
  Status locate(const std::string& dataPath, DataFolder* folder) {
    SrcSafeIni ini;
    EXPECT_TRUE(isOk(parseSrcSafeIni(dataPath.empty() ? "" : "Data_Path = " + dataPath + "\r\n", L"ini", &ini)));
    return locateDataFolder(ini, dir_ / "db" / "srcsafe.ini", codePage_, folder);
  }
  testsupport::TempDir dir_;
  CodePage codePage_;
};

TEST_F(DataFolderTest, ResolvesRelativeAndAbsolutePaths) {
  struct Row {
    const char* name;
    std::string dataPath;
    std::filesystem::path expected;
    bool fellBack;
  };
  const Row rows[] = {
      {"default", "", dir_ / "db" / "data", false},
      {"relative", "store", dir_ / "db" / "store", false},
      {"relative with backslashes", "store\\inner", dir_ / "db" / "store/inner", false},
      {"quoted", "\"store\"", dir_ / "db" / "store", false},
      {"absolute here", (dir_ / "db" / "store").string(), dir_ / "db" / "store", false},
      {"Windows drive path", "D:\\VSS\\data", dir_ / "db" / "data", true},
      {"UNC path", "\\\\server\\share\\vss\\data", dir_ / "db" / "data", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    DataFolder folder;
    ASSERT_TRUE(isOk(locate(row.dataPath, &folder)));
    EXPECT_EQ(folder.path, row.expected);
    EXPECT_EQ(folder.fellBack, row.fellBack);
  }
  DataFolder folder;
  ASSERT_TRUE(isOk(locate("\\\\server\\share\\data", &folder)));
  EXPECT_EQ(folder.configured, L"\\\\server\\share\\data");
}

TEST_F(DataFolderTest, MissingFolderFails) {
  DataFolder folder;
  EXPECT_TRUE(failsWith(locate("nowhere", &folder), ESS_DATABASE_NOT_FOUND,
                        L"The SourceSafe database path " + platform::utf8ToWide((dir_ / "db" / "nowhere").string()) +
                            L" does not exist. Please select another database."));
  std::filesystem::remove(dir_ / "db" / "data");
  EXPECT_TRUE(failsWith(locate("D:\\VSS\\data", &folder), ESS_DATABASE_NOT_FOUND,
                        L"The SourceSafe database path D:\\VSS\\data does not exist. Please select another database."));
}

}  // namespace
}  // namespace ssapi::native

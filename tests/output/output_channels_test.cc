#include "output/output_channels.h"

#include <gtest/gtest.h>

#include "log/logger.h"
#include "platform/error_info.h"
#include "platform/hresult.h"
#include "platform/text_encoding.h"
#include "support/temp_dir.h"
#include "support/utf16_compare.h"

namespace output {
namespace {

std::wstring wide(const std::filesystem::path& path) { return platform::utf8ToWide(path.string()); }

class OutputChannelsTest : public ::testing::Test {
 protected:
  void TearDown() override { logging::setThreshold(logging::kError); }
  testsupport::TempDir dir_;
};

TEST_F(OutputChannelsTest, XmlFileStartsWithTheDeclaration) {
  {
    OutputChannels channels;
    channels.openXml(wide(dir_ / "out.xml"));
  }
  const std::string bytes = testsupport::readFileBytes(dir_ / "out.xml");
  ASSERT_EQ(bytes.size(), 44u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x3c\x00\x3f\x00", 4));
  EXPECT_TRUE(testsupport::utf16FileEquals(dir_ / "out.xml", L"<?xml version=\"1.0\"?>\n"));
}

TEST_F(OutputChannelsTest, ExistingFilesAreTruncated) {
  testsupport::writeFileBytes(dir_ / "out.xml", std::string(1000, 'x'));
  testsupport::writeFileBytes(dir_ / "err.txt", std::string(1000, 'x'));
  testsupport::writeFileBytes(dir_ / "log.txt", std::string(1000, 'x'));
  {
    OutputChannels channels;
    channels.openXml(wide(dir_ / "out.xml"));
    channels.openError(wide(dir_ / "err.txt"));
    channels.openLog(wide(dir_ / "log.txt"));
    channels.writeXml(L"<a/>");
  }
  EXPECT_TRUE(testsupport::utf16FileEquals(dir_ / "out.xml", L"<?xml version=\"1.0\"?>\n<a/>"));
  EXPECT_EQ(testsupport::readFileBytes(dir_ / "err.txt"), "");
  EXPECT_EQ(testsupport::readFileBytes(dir_ / "log.txt"), "");
}

TEST_F(OutputChannelsTest, ErrorLinesAndMessages) {
  {
    OutputChannels channels;
    channels.openError(wide(dir_ / "err.txt"));
    channels.writeErrorMessage(kAutomationNotRegistered);
    channels.writeErrorLine(L"Please check path and access rights.");
    channels.writeErrorMessage(999);
    channels.writeErrorCode(static_cast<long>(E_FAIL));
  }
  EXPECT_TRUE(testsupport::utf16FileEquals(dir_ / "err.txt",
                                           L"Source Safe Automation COM object is not registered.\r\n"
                                           L"Please check path and access rights.\r\n"
                                           L"\r\n"
                                           L"Error: 0x80004005 (-2147467259)\r\n"));
  EXPECT_EQ(messageText(kAutomationNotRegistered).size(), 52u);
}

TEST_F(OutputChannelsTest, ErrorCodeCarriesTheThreadsErrorInformation) {
  {
    OutputChannels channels;
    channels.openError(wide(dir_ / "err.txt"));
    platform::setErrorInfo(L"Invalid password", L"SourceSafe");
    channels.writeErrorCode(static_cast<long>(0x8004D0A3u - 0x100000000LL));
  }
  EXPECT_TRUE(testsupport::utf16FileEquals(
      dir_ / "err.txt", L"Error: 0x8004d0a3 (-2147168093): Invalid password. Source:SourceSafe\r\n"));
}

TEST_F(OutputChannelsTest, EveryFixedMessage) {
  const std::pair<int, const wchar_t*> rows[] = {
      {101, L"Unable to find root item"},
      {102, L"Module path was not specified"},
      {103, L"Failed to get history"},
      {104, L"Get operation failed"},
      {105, L"Patch params incorrect"},
      {106, L"Source Safe Automation COM object is not registered."},
      {107, L"Unable to log in to SourceSafe. Please check login and password."},
      {108, L"Connection Test Failed. Unable to fetch module item."},
      {109, L"Path was not found in the SourceSafe."},
      {110, L"Failed to get IVSSItem object from IVSSVersion. Unable to continue. Please make sure you VSS database is "
            L"not corrupted and there is no security issues."},
      {111, L"Failed to get action string from IVSSVersion. Unable to continue. Please make sure you VSS database is "
            L"not corrupted and there is no security issues."},
      {112, L"Failed to access srcSafe.ini file."},
      {113, L"Path to srcSafe.ini file does not exist."},
      {100, L""},
      {114, L""},
  };
  for (const auto& [id, text] : rows) EXPECT_EQ(messageText(id), text) << id;
}

TEST_F(OutputChannelsTest, LogChannelBecomesTheLogDestination) {
  {
    OutputChannels channels;
    channels.openLog(wide(dir_ / "log.txt"));
    logging::setThreshold(logging::kDebug);
    logging::Logger(L"ssEx").info(L"hello");
  }
  // Closing the channels also ends logging into them.
  logging::Logger(L"ssEx").error(L"after close");
  const std::wstring log = testsupport::readUtf16File(dir_ / "log.txt");
  EXPECT_NE(log.find(L"] ssEx Info - hello\r\n"), std::wstring::npos) << testsupport::printable(log);
  EXPECT_EQ(log.find(L"after close"), std::wstring::npos);
}

TEST_F(OutputChannelsTest, FileThatCannotBeCreatedDropsWrites) {
  OutputChannels channels;
  channels.openXml(wide(dir_ / "missing" / "out.xml"));
  channels.openError(wide(dir_ / "missing" / "err.txt"));
  channels.writeXml(L"x");
  channels.writeErrorMessage(101);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "missing"));
}

TEST_F(OutputChannelsTest, CharactersBeyondTheBmpBecomeSurrogatePairs) {
  {
    OutputChannels channels;
    channels.openError(wide(dir_ / "err.txt"));
    channels.writeErrorLine(L"\U0001F600");
  }
  EXPECT_EQ(testsupport::readFileBytes(dir_ / "err.txt"), std::string("\x3d\xd8\x00\xde\r\0\n\0", 8));
}

}  // namespace
}  // namespace output

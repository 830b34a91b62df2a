#include "sourcesafe/generation_choice.h"

#include <gtest/gtest.h>

#include "platform/com_registry.h"
#include "ssapi/builder.h"
#include "ssapi/library.h"
#include "support/temp_dir.h"

namespace sourcesafe {
namespace {

// Answers every request with success and remembers that one ran.
template <class A>
class CountingRequests : public Requests<A> {
 public:
  using Database = typename A::Database;
  int runs = 0;
  HRESULT history(Database*, const std::wstring&, util::JavaTime, util::JavaTime) override { return ran(); }
  HRESULT getByTime(Database*, const std::wstring&, const std::wstring&, util::JavaTime) override { return ran(); }
  HRESULT getByVersion(Database*, const std::wstring&, const std::wstring&, util::JavaTime, LONG) override {
    return ran();
  }
  HRESULT smartPatch(Database*, const std::wstring&, const std::wstring&, util::JavaTime, util::JavaTime) override {
    return ran();
  }
  HRESULT cleanPatch(Database*, const std::wstring&, const std::wstring&, util::JavaTime, util::JavaTime) override {
    return ran();
  }
  HRESULT treePatch(Database*, const std::wstring&, const std::wstring&, util::JavaTime, util::JavaTime) override {
    return ran();
  }
  HRESULT connection(Database*, const std::wstring&) override { return ran(); }

 private:
  HRESULT ran() {
    ++runs;
    return S_OK;
  }
};

// A run of the generation choice with a chosen class registry.
class GenerationChoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ssapi::DatabaseBuilder db;
    db.writeTo(dir_ / "db");
    ini_ = (dir_ / "db" / "srcsafe.ini").wstring();
    platform::unregisterComClass(ssapi::CLSID_VSSDatabase);
  }
  void TearDown() override { ssapi::installLibrary(); }

  // Registers a class that answers only the 6.0 database interface.
  void installOnly60() {
    ssapi::installLibrary();
    ComPtr<ssapi::Automation60::Database> database;
    ASSERT_EQ(CoCreateInstance(ssapi::CLSID_VSSDatabase, nullptr, CLSCTX_ALL, ssapi::Automation60::Database::iid(),
                               reinterpret_cast<void**>(database.put())),
              S_OK);
    platform::registerComClass(ssapi::kProgId, ssapi::CLSID_VSSDatabase, [database](REFIID iid, void** out) {
      if (!(iid == ssapi::Automation60::Database::iid())) return E_NOINTERFACE;
      return database.copyTo(reinterpret_cast<ssapi::Automation60::Database**>(out));
    });
  }

  struct Outcome {
    int code;
    std::string console;
    std::wstring errors;
    std::wstring log;
  };

  Outcome run(std::vector<std::wstring> switches) {
    std::vector<std::wstring> words = switches;
    for (const std::wstring& w : {ini_, std::wstring(L"/login:Admin"), std::wstring(L"/pwd:"),
                                  std::wstring(L"connection"), std::wstring(L"$/")})
      words.push_back(w);
    output::OutputChannels channels;
    channels.openError((dir_ / "err.txt").wstring());
    channels.openLog((dir_ / "log.txt").wstring());
    util::ArgList args(static_cast<int>(words.size()), words.data());
    ::testing::internal::CaptureStdout();
    int code = runSourceSafeWith(args, requests60_, requests2005_, channels);
    std::string console = ::testing::internal::GetCapturedStdout();
    channels.closeAll();
    return {code, console, testsupport::readUtf16File(dir_ / "err.txt"), testsupport::readUtf16File(dir_ / "log.txt")};
  }

  testsupport::TempDir dir_;
  std::wstring ini_;
  CountingRequests<ssapi::Automation60> requests60_;
  CountingRequests<ssapi::Automation2005> requests2005_;
};

TEST_F(GenerationChoiceTest, NoGenerationFound) {
  Outcome outcome = run({});
  EXPECT_EQ(outcome.code, -1);
  EXPECT_EQ(outcome.console.rfind("No VSS Automation found\r\nUsage:\r\n", 0), 0u) << outcome.console;
  EXPECT_EQ(outcome.errors, L"Source Safe Automation COM object is not registered.\r\n");
  EXPECT_NE(outcome.log.find(L"ssEx Error - No VSS Automation found\r\n"), std::wstring::npos);
  EXPECT_EQ(requests60_.runs + requests2005_.runs, 0);
}

TEST_F(GenerationChoiceTest, BothInstalledPrefersTheNewerGeneration) {
  ssapi::installLibrary();
  Outcome outcome = run({});
  EXPECT_EQ(outcome.code, 0);
  EXPECT_EQ(outcome.console, "Using VSS 2005 Automation\r\n");
  EXPECT_EQ(requests2005_.runs, 1);
  EXPECT_EQ(requests60_.runs, 0);
}

TEST_F(GenerationChoiceTest, OnlyTheOlderGenerationInstalledIsFoundByTheSecondProbe) {
  installOnly60();
  Outcome outcome = run({});
  EXPECT_EQ(outcome.code, 0);
  EXPECT_EQ(outcome.console, "Using VSS 6.0 Automation\r\n");
  EXPECT_EQ(requests60_.runs, 1);
}

TEST_F(GenerationChoiceTest, ForcedGenerationWhoseObjectCannotBeCreated) {
  installOnly60();
  Outcome outcome = run({L"/version-v2005"});
  EXPECT_EQ(outcome.code, -1);
  EXPECT_EQ(outcome.console, "Using VSS 2005 Automation\r\n");
  EXPECT_EQ(outcome.errors, L"Source Safe Automation COM object is not registered.\r\n");
  EXPECT_NE(outcome.log.find(L"ssCommandLine Error - Failed to locate VSS object\r\n"), std::wstring::npos);
  EXPECT_EQ(requests60_.runs + requests2005_.runs, 0);
}

TEST_F(GenerationChoiceTest, SwitchesAreExactWords) {
  ssapi::installLibrary();
  // Not a switch: taken as the srcsafe.ini path, which then does not exist.
  Outcome outcome = run({L"/VERSION-V6"});
  EXPECT_EQ(outcome.console, "Using VSS 2005 Automation\r\n");
  EXPECT_EQ(outcome.code, static_cast<int>(E_FAIL));
}

}  // namespace
}  // namespace sourcesafe

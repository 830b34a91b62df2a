#include "sourcesafe/dispatcher.h"

#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "ssapi/ssapi.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace sourcesafe {
namespace {

using A = ssapi::Automation2005;
using Database = A::Database;

// Records which request ran with which arguments and answers with a chosen
// status.
class RecordingRequests : public Requests<A> {
 public:
  HRESULT answer = S_OK;
  std::vector<std::wstring> calls;

  HRESULT history(Database*, const std::wstring& path, util::JavaTime from, util::JavaTime to) override {
    return record(L"history " + path + L" " + from.toMillisText() + L" " + to.toMillisText());
  }
  HRESULT getByTime(Database*, const std::wstring& path, const std::wstring& file, util::JavaTime time) override {
    return record(L"byTime " + path + L" " + file + L" " + time.toMillisText());
  }
  HRESULT getByVersion(Database*, const std::wstring& path, const std::wstring& file, util::JavaTime time,
                       LONG version) override {
    return record(L"byVersion " + path + L" " + file + L" " + time.toMillisText() + L" " + std::to_wstring(version));
  }
  HRESULT smartPatch(Database*, const std::wstring& path, const std::wstring& mask, util::JavaTime from,
                     util::JavaTime to) override {
    return record(L"patch " + path + L" " + mask + L" " + from.toMillisText() + L" " + to.toMillisText());
  }
  HRESULT cleanPatch(Database*, const std::wstring& path, const std::wstring& mask, util::JavaTime from,
                     util::JavaTime to) override {
    return record(L"patch2 " + path + L" " + mask + L" " + from.toMillisText() + L" " + to.toMillisText());
  }
  HRESULT treePatch(Database*, const std::wstring& path, const std::wstring& mask, util::JavaTime from,
                    util::JavaTime to) override {
    return record(L"patch3 " + path + L" " + mask + L" " + from.toMillisText() + L" " + to.toMillisText());
  }
  HRESULT connection(Database*, const std::wstring& path) override { return record(L"connection " + path); }

 private:
  HRESULT record(std::wstring call) {
    calls.push_back(std::move(call));
    return answer;
  }
};

struct DispatchOutcome {
  int code;
  std::vector<std::wstring> calls;
  std::wstring errors;
  std::wstring log;
};

DispatchOutcome runDispatch(std::vector<std::wstring> words, HRESULT answer = S_OK) {
  testsupport::TempDir dir;
  output::OutputChannels channels;
  channels.openError((dir / "err.txt").wstring());
  channels.openLog((dir / "log.txt").wstring());
  RecordingRequests requests;
  requests.answer = answer;
  std::wstring command = words.front();
  util::ArgList args(static_cast<int>(words.size()) - 1, words.data() + 1);
  logging::Logger log(L"ssCommandLine");
  int code = dispatch<A>(nullptr, log, command, args, requests, channels);
  channels.closeAll();
  return {code, requests.calls, testsupport::readUtf16File(dir / "err.txt"), testsupport::readUtf16File(dir / "log.txt")};
}

constexpr const wchar_t* kFar = L"4611686018427387904";

struct ArgumentCase {
  std::vector<std::wstring> words;
  std::wstring expectedCall;
};

class DispatcherArguments : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P(DispatcherArguments, RunsTheRequestWithTheseArguments) {
  DispatchOutcome outcome = runDispatch(GetParam().words);
  EXPECT_EQ(outcome.code, 0);
  ASSERT_EQ(outcome.calls.size(), 1u);
  EXPECT_EQ(outcome.calls[0], GetParam().expectedCall);
  EXPECT_EQ(outcome.errors, L"");
}

INSTANTIATE_TEST_SUITE_P(
    Commands, DispatcherArguments,
    ::testing::Values(
        ArgumentCase{{L"history", L"$/proj"}, std::wstring(L"history $/proj 0 ") + kFar},
        ArgumentCase{{L"HISTORY", L"$/proj", L"60000"}, std::wstring(L"history $/proj 60000 ") + kFar},
        ArgumentCase{{L"history", L"$/p", L"1", L"2", L"ignored"}, L"history $/p 1 2"},
        ArgumentCase{{L"get", L"$/a.txt", L"out"}, std::wstring(L"byVersion $/a.txt out ") + kFar + L" 0"},
        ArgumentCase{{L"get", L"$/a.txt", L"out", L"60000"}, L"byTime $/a.txt out 60000"},
        ArgumentCase{{L"get", L"$/a.txt", L"out", L"60000", L"3"}, L"byVersion $/a.txt out 60000 3"},
        ArgumentCase{{L"Get", L"$/a.txt", L"out", kFar}, std::wstring(L"byVersion $/a.txt out ") + kFar + L" 0"},
        ArgumentCase{{L"get", L"$/a.txt", L"out", L"5", L" -7x"}, L"byVersion $/a.txt out 5 -7"},
        ArgumentCase{{L"patch", L"$/p", L"m_"}, std::wstring(L"patch $/p m_ 0 ") + kFar},
        ArgumentCase{{L"patch2", L"$/p", L"m_", L"10", L"20"}, L"patch2 $/p m_ 10 20"},
        ArgumentCase{{L"PATCH3", L"$/p", L"m_", L"10"}, std::wstring(L"patch3 $/p m_ 10 ") + kFar},
        ArgumentCase{{L"connection", L"$/"}, L"connection $/"}));

struct MessageCase {
  std::vector<std::wstring> words;
  HRESULT answer;
  std::wstring expectedErrors;
  size_t expectedCalls;
};

class DispatcherFailures : public ::testing::TestWithParam<MessageCase> {};

TEST_P(DispatcherFailures, EndWithMinusOneAndTheCommandsMessage) {
  DispatchOutcome outcome = runDispatch(GetParam().words, GetParam().answer);
  EXPECT_EQ(outcome.code, -1);
  EXPECT_EQ(outcome.errors, GetParam().expectedErrors);
  EXPECT_EQ(outcome.calls.size(), GetParam().expectedCalls);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, DispatcherFailures,
    ::testing::Values(
        MessageCase{{L"history"}, S_OK, L"Module path was not specified\r\n", 0},
        MessageCase{{L"get", L"$/a"}, S_OK, L"Module path was not specified\r\n", 0},
        MessageCase{{L"patch", L"$/a"}, S_OK, L"Patch params incorrect\r\n", 0},
        MessageCase{{L"patch3"}, S_OK, L"Patch params incorrect\r\n", 0},
        MessageCase{{L"connection"}, S_OK, L"Module path was not specified\r\n", 0},
        MessageCase{{L"histories", L"$/a"}, S_OK, L"", 0},
        MessageCase{{L"history", L"$/a"}, E_FAIL, L"Failed to get history\r\n", 1},
        MessageCase{{L"get", L"$/a", L"f", L"1"}, E_FAIL, L"Get operation failed\r\n", 1},
        MessageCase{{L"patch", L"$/a", L"m"}, E_FAIL, L"", 1},
        MessageCase{{L"connection", L"$/a"}, E_FAIL, L"Connection Test Failed. Unable to fetch module item.\r\n", 1}));

TEST(Dispatcher, SuccessStatusesOtherThanZeroCountAsSuccess) {
  EXPECT_EQ(runDispatch({L"history", L"$/a"}, S_FALSE).code, 0);
}

TEST(Dispatcher, LogsTheCommandAndTheWindowOnlyWithDebug) {
  logging::setThreshold(logging::kDebug);
  DispatchOutcome outcome = runDispatch({L"history", L"$/a"});
  logging::setThreshold(logging::kError);
  EXPECT_NE(outcome.log.find(L"ssCommandLine Info - Current command: history\r\n"), std::wstring::npos);
  EXPECT_NE(outcome.log.find(L"History request from: 01.01.1970, to: Invalid DateTime\r\n"), std::wstring::npos);

  DispatchOutcome quiet = runDispatch({L"history", L"$/a"});
  EXPECT_EQ(quiet.log, L"");
}

class PatchEnvironment : public ::testing::Test {
 protected:
  void TearDown() override {
    testsupport::unsetEnvironmentVariable("Velmora.VSS.UsePatch2.ALLWAYS");
    testsupport::unsetEnvironmentVariable("velmora.vss.usepatch2.allways");
    testsupport::unsetEnvironmentVariable("Velmora.VSS.UsePatch3.ALLWAYS");
    logging::setThreshold(logging::kError);
  }
};

TEST_F(PatchEnvironment, FirstVariableChoosesTheRecursiveGetEvenWhenBothAreSet) {
  testsupport::setEnvironmentVariable("Velmora.VSS.UsePatch2.ALLWAYS", "");
  testsupport::setEnvironmentVariable("Velmora.VSS.UsePatch3.ALLWAYS", "1");
  logging::setThreshold(logging::kDebug);
  DispatchOutcome outcome = runDispatch({L"patch", L"$/p", L"m"});
  ASSERT_EQ(outcome.calls.size(), 1u);
  EXPECT_EQ(outcome.calls[0].substr(0, 7), L"patch2 ");
  EXPECT_NE(outcome.log.find(L"ssCommandLine Warn - Using Velmora.VSS.UsePatch2.ALLWAYS to build clean patch using "
                             L"patch2\r\n"),
            std::wstring::npos);
  EXPECT_EQ(outcome.log.find(L"UsePatch3"), std::wstring::npos);
}

TEST_F(PatchEnvironment, SecondVariableChoosesTheTreeWalk) {
  testsupport::setEnvironmentVariable("Velmora.VSS.UsePatch3.ALLWAYS", "yes");
  DispatchOutcome outcome = runDispatch({L"patch", L"$/p", L"m"});
  ASSERT_EQ(outcome.calls.size(), 1u);
  EXPECT_EQ(outcome.calls[0].substr(0, 7), L"patch3 ");
}

TEST_F(PatchEnvironment, NamesMatchWithoutRegardToCase) {
  testsupport::setEnvironmentVariable("velmora.vss.usepatch2.allways", "");
  DispatchOutcome outcome = runDispatch({L"patch", L"$/p", L"m"});
  ASSERT_EQ(outcome.calls.size(), 1u);
  EXPECT_EQ(outcome.calls[0].substr(0, 7), L"patch2 ");
}

TEST_F(PatchEnvironment, ExplicitCleanPatchCommandsIgnoreTheVariables) {
  testsupport::setEnvironmentVariable("Velmora.VSS.UsePatch2.ALLWAYS", "");
  EXPECT_EQ(runDispatch({L"patch3", L"$/p", L"m"}).calls.at(0).substr(0, 7), L"patch3 ");
  testsupport::unsetEnvironmentVariable("Velmora.VSS.UsePatch2.ALLWAYS");
  testsupport::setEnvironmentVariable("Velmora.VSS.UsePatch3.ALLWAYS", "");
  EXPECT_EQ(runDispatch({L"patch2", L"$/p", L"m"}).calls.at(0).substr(0, 7), L"patch2 ");
}

}  // namespace
}  // namespace sourcesafe

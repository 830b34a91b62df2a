// Replays every input kept in fuzz_regressions/ through the fuzz target's
// own dispatch, in the ordinary build (and so under the sanitizer build of
// CI too). Inputs the fuzzer found to crash the reader are kept there once
// the fault is fixed; the hand-made ones exercise each parser with damaged
// records. In this build record checksums are checked, so an input made by
// the fuzzer may stop at a checksum: it must still do so cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "fuzz_one_input.h"
#include "ssapi/ssapi.h"
#include "status_assertions.h"

namespace ssapi::native {
namespace {

using nativetest::failsWith;
using nativetest::isOk;

const std::filesystem::path kFolder = QUILLGATE_FUZZ_REGRESSIONS_DIR;

std::vector<std::string> inputNames() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(kFolder, error)) {
    if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string readInput(const std::string& name) {
  std::ifstream in(kFolder / name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What the hand-made inputs must come to: the parser each one is aimed at
// has to refuse it for the reason it was made for (or accept the intact
// ones), so that an input that no longer reaches its parser is noticed.
// Inputs the fuzzer found need no entry.
struct Expected {
  const char* name;
  HRESULT code;                // S_OK for an input that must be read without fault
  const wchar_t* description;  // a part of the failure's description
};

const Expected kExpected[] = {
    {"item-file-two-versions", S_OK, L""},
    {"item-truncated-in-header", ESS_CORRUPT, L"File \"item\" may be corrupt: the \"DH\" record of 0x164 bytes runs"},
    {"item-history-length-too-large", ESS_CORRUPT, L"the \"EL\" record of 0x7ffffff0 bytes runs past the end"},
    {"item-delta-copies-beyond-version", ESS_CORRUPT, L"a delta copies 0x100 bytes from 0x3 of a version of 0x5 bytes"},
    {"item-delta-insert-past-record", ESS_CORRUPT, L"a delta insert of 0x1000 bytes runs past the end of its record"},
    {"item-project-entry-cut-off", ESS_CORRUPT, L"File \"data\" may be corrupt: the \"JP\" record of 0x38 bytes runs"},
    {"delta-operation-cut-off", ESS_CORRUPT, L"a delta operation is cut off by the end of its record at offset 0x14"},
    {"delta-insert-past-record", ESS_CORRUPT, L"a delta insert of 0xffffffff bytes runs past the end of its record"},
    {"delta-copy-wraps-around", ESS_CORRUPT, L"a delta copies 0x2 bytes from 0xffffffff of a version of 0x5 bytes"},
    {"delta-unknown-operation", ESS_CORRUPT, L"unknown delta operation 7 at offset 0x8"},
    {"delta-length-beyond-input", S_OK, L""},
    {"names-two-names", S_OK, L""},
    {"names-count-beyond-record", ESS_CORRUPT, L"the name record's 16383 names do not fit its 0x2e bytes"},
    {"names-end-beyond-file", ESS_CORRUPT, L"the data ends at 0x10000, but the file ends at 0x8e"},
    {"names-name-beyond-record", ESS_CORRUPT, L"name 1 of the name record lies beyond the record"},
    {"names-header-too-short", ESS_CORRUPT, L"the names header of 0x20 bytes is too short"},
    {"users-two-users", S_OK, L""},
    {"users-count-beyond-records", ESS_CORRUPT, L"the header of the \"UU\" record runs past the end of the data"},
    {"users-truncated-header", ESS_CORRUPT, L"the file has 0x20 bytes, too few for its header"},
    {"users-record-cut-off", ESS_CORRUPT, L"the \"UU\" record of 0x38 bytes runs past the end of the data"},
    {"entries-two-entries", S_OK, L""},
    {"entries-record-too-short", ESS_CORRUPT, L"the project entry of 0x10 bytes is too short"},
    {"entries-record-cut-off", ESS_CORRUPT, L"the \"JP\" record of 0x38 bytes runs past the end of the data (0x7d)"},
    {"entries-unknown-type", ESS_CORRUPT, L"the project entry has the unknown type 9"},
    {"ini-with-time-zone", S_OK, L""},
    {"ini-bad-time-zone-date", ESS_INI_BADLINE, L"Invalid syntax on line 2 of file srcsafe.ini"},
    {"ini-bad-time-zone-number", ESS_INI_BADLINE, L"Invalid syntax on line 3 of file srcsafe.ini"},
};

const Expected* expectedFor(const std::string& name) {
  for (const Expected& expected : kExpected) {
    if (name == expected.name) return &expected;
  }
  return nullptr;
}

class FuzzRegressionTest : public ::testing::TestWithParam<std::string> {};

TEST_P(FuzzRegressionTest, IsReadOrRefusedCleanly) {
  std::string input = readInput(GetParam());
  ASSERT_FALSE(input.empty()) << "cannot read " << (kFolder / GetParam());
  Status status = quillgate::fuzz::fuzzOneInput(input);
  if (const Expected* expected = expectedFor(GetParam())) {
    if (expected->code == S_OK) {
      EXPECT_TRUE(isOk(status));
    } else {
      EXPECT_TRUE(failsWith(status, expected->code, expected->description));
    }
  } else if (!status.ok()) {
    // A refusal has to say what is wrong, as the program shows it to users.
    EXPECT_FALSE(status.description.empty()) << "status " << nativetest::hexStatus(status.code);
  }
}

// Test names allow letters, digits and underscores only.
std::string testName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  for (char& c : name) {
    bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!keep) c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Inputs, FuzzRegressionTest, ::testing::ValuesIn(inputNames()), testName);

TEST(FuzzRegressionFolderTest, HoldsEveryHandMadeInputAndEveryParser) {
  std::vector<std::string> names = inputNames();
  std::set<std::string> present(names.begin(), names.end());
  for (const Expected& expected : kExpected) {
    EXPECT_TRUE(present.count(expected.name)) << expected.name << " is missing from " << kFolder;
  }
  std::set<int> targets;
  for (const std::string& name : names) {
    std::string input = readInput(name);
    if (!input.empty()) targets.insert(static_cast<std::uint8_t>(input[0]) % quillgate::fuzz::kTargetCount);
  }
  for (int target = 0; target < quillgate::fuzz::kTargetCount; ++target) {
    EXPECT_TRUE(targets.count(target)) << "no input for parser " << target;
  }
}

}  // namespace
}  // namespace ssapi::native

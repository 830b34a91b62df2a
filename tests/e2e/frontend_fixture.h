// Runs the built binary in a scratch folder and reads back what it wrote.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/text_encoding.h"
#include "support/log_lines.h"
#include "support/run_binary.h"
#include "support/temp_dir.h"
#include "support/usage_text.h"
#include "support/utf16_compare.h"

namespace e2e {

inline constexpr const wchar_t* kDeclaration = L"<?xml version=\"1.0\"?>\n";

class FrontendTest : public ::testing::Test {
 protected:
  // Runs quillgate with the arguments in the scratch folder, TZ as given.
  testsupport::RunResult run(const std::vector<std::string>& args, const std::string& zone = "UTC") {
    testsupport::RunOptions options;
    options.workingDirectory = dir_.path();
    options.setEnvironment = {{"TZ", zone}};
    testsupport::RunResult result = testsupport::runQuillgate(args, options);
    EXPECT_EQ(result.stderrText, "");
    return result;
  }
  // Names are UTF-8, on Windows too (where a narrow path would use the ANSI code page).
  std::filesystem::path file(const std::string& name) const { return dir_.path() / platform::pathFromUtf8(name); }
  // Names of everything in the scratch folder, sorted.
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
      names.push_back(platform::wideToUtf8(platform::wideFromPath(entry.path().filename())));
    std::sort(names.begin(), names.end());
    return names;
  }

  testsupport::TempDir dir_;
};

using Names = std::vector<std::string>;

}  // namespace e2e

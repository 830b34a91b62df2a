// End-to-end runs of the get and patch commands: a database made by the
// builder is written to a scratch folder, the built binary runs on it with
// one generation switch, and what it wrote is read back.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/text_encoding.h"
#include "ssapi/builder.h"
#include "support/log_lines.h"
#include "support/run_binary.h"
#include "support/temp_dir.h"
#include "support/utf16_compare.h"

namespace commande2e {

enum class Generation { kVss60, kVss2005 };

inline std::string generationSwitch(Generation g) { return g == Generation::kVss60 ? "/version-v6" : "/version-v2005"; }

struct GenerationName {
  std::string operator()(const ::testing::TestParamInfo<Generation>& info) const {
    return info.param == Generation::kVss60 ? "Vss60" : "Vss2005";
  }
};

inline const std::wstring kDeclaration = L"<?xml version=\"1.0\"?>\n";

// The process status of the exit code -1.
constexpr int kFailed = 255;

struct RunSettings {
  bool log = false;         // "/log": every level down to Debug
  std::string faults = {};  // fault-file lines, empty for none
  std::vector<std::pair<std::string, std::string>> environment = {};
};

struct CommandRun {
  // The error file and the log, for the message of a failed assertion.
  std::string explain() const {
    return "errors: " + platform::wideToUtf8(errors) + "\nlog:\n" + platform::wideToUtf8(log) + stdoutText;
  }

  int exitCode = -1;
  std::wstring xml;
  std::wstring errors;
  std::wstring log;  // time stamps replaced by "[T]"
  std::string stderrText;
  std::string stdoutText;
};

// Writes the database (once per scratch folder) and runs one command on it:
// "<command> <args...>" after the output files, the switch, the ini, the
// login and the password.
inline CommandRun runCommand(const testsupport::TempDir& dir, const ssapi::DatabaseBuilder& db, Generation g,
                             const std::vector<std::string>& command, const RunSettings& settings = {}) {
  const std::filesystem::path data = dir / "db";
  if (!std::filesystem::exists(data / "srcsafe.ini")) db.writeTo(data);
  const std::filesystem::path xml = dir / "out.xml";
  const std::filesystem::path err = dir / "err.txt";
  std::vector<std::string> args;
  if (settings.log) args.push_back("/log");
  args.insert(args.end(), {xml.string(), err.string(), generationSwitch(g), (data / "srcsafe.ini").string(),
                           "/login:Admin", "/pwd:"});
  args.insert(args.end(), command.begin(), command.end());

  testsupport::RunOptions options;
  options.workingDirectory = dir.path();
  options.removeEnvironment = {"SSAPI_FAULTS"};
  options.setEnvironment = {{"TZ", "UTC"}};
  if (!settings.faults.empty()) {
    const std::filesystem::path faultFile = dir / "faults.txt";
    testsupport::writeFileBytes(faultFile, settings.faults);
    options.setEnvironment.push_back({"SSAPI_FAULTS", faultFile.string()});
  }
  for (const auto& variable : settings.environment) options.setEnvironment.push_back(variable);

  testsupport::RunResult result = testsupport::runQuillgate(args, options);
  CommandRun run;
  run.exitCode = result.exitCode;
  run.stderrText = result.stderrText;
  run.stdoutText = result.stdoutText;
  run.xml = testsupport::readUtf16File(xml);
  run.errors = testsupport::readUtf16File(err);
  run.log = testsupport::logWithoutStamps(xml.string() + ".logs.txt");
  return run;
}

// Javatime text of UTC seconds plus a fraction, for the command line.
inline std::string millisText(std::int64_t seconds, int extraMillis = 0) {
  return std::to_string(seconds * 1000 + extraMillis);
}

}  // namespace commande2e

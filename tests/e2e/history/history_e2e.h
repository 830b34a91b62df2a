// End-to-end runs of the history command: a database made by the builder is
// written to a scratch folder, the built binary runs on it, and the files it
// wrote are read back. Expected documents are spelled out item by item.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ole_date.h"
#include "platform/text_encoding.h"
#include "ssapi/builder.h"
#include "support/run_binary.h"
#include "support/temp_dir.h"
#include "support/utf16_compare.h"

namespace historye2e {

enum class Generation { kVss60, kVss2005 };

inline std::string generationSwitch(Generation g) { return g == Generation::kVss60 ? "/version-v6" : "/version-v2005"; }

struct GenerationName {
  std::string operator()(const ::testing::TestParamInfo<Generation>& info) const {
    return info.param == Generation::kVss60 ? "Vss60" : "Vss2005";
  }
};

// "06.12.2026 9:05:03" in UTC: two-digit day and month, hour without a
// leading zero. The date alone for the instant 0.
inline std::wstring dateText(std::int64_t millis) {
  const platform::SystemTime fields = platform::utcFieldsOf(millis / 1000);
  char buffer[64];
  if (millis == 0) {
    std::snprintf(buffer, sizeof buffer, "%02d.%02d.%04d", fields.day, fields.month, fields.year);
  } else {
    std::snprintf(buffer, sizeof buffer, "%02d.%02d.%04d %d:%02d:%02d", fields.day, fields.month, fields.year,
                  fields.hour, fields.minute, fields.second);
  }
  return platform::utf8ToWide(buffer);
}

// One expected history_item; time in UTC seconds.
struct Item {
  std::wstring type;  // "File" or "Dir"
  std::int64_t seconds;
  long version;
  std::wstring file;
  std::wstring action;
  std::wstring comment = L"";
  std::wstring user = L"Admin";
};

// The javatime the program shows for a change SourceSafe made at a whole UTC
// second: the OLE date of that second converted back multiplies by 24, 60,
// 60 and 1000 in turn and truncates, so it can be one millisecond short.
inline std::int64_t shownMillis(std::int64_t utcSeconds) {
  const std::int64_t days = utcSeconds / 86400;
  const double fraction = static_cast<double>(utcSeconds % 86400) / 86400;
  const double date = static_cast<double>(days + 25569) + fraction;
  return static_cast<std::int64_t>((date - 25569.0) * 24 * 60 * 60 * 1000);
}

inline std::wstring historyItem(const Item& item) {
  return L"\n<history_item type=\"" + item.type + L"\" time=\"" + std::to_wstring(shownMillis(item.seconds)) +
         L"\" version=\"" +
         std::to_wstring(item.version) + L"\">\n   <file><![CDATA[" + item.file + L"]]></file>\n   <user><![CDATA[" +
         item.user + L"]]></user>\n   <action><![CDATA[" + item.action + L"]]></action>\n   <comment><![CDATA[" +
         item.comment + L"]]></comment>\n   <rdate>" + dateText(item.seconds * 1000) + L"</rdate>\n</history_item>\n\n";
}

inline const std::wstring kDeclaration = L"<?xml version=\"1.0\"?>\n";
inline const std::wstring kFarFuture = L"Invalid DateTime";

// The whole output file: declaration, wrapper, items in order.
inline std::wstring historyDocument(const std::wstring& from, const std::wstring& to, const std::vector<Item>& items) {
  std::wstring text = kDeclaration + L"<history from=\"" + from + L"\" to=\"" + to + L"\">\r\n\r\n";
  for (const Item& item : items) text += historyItem(item);
  return text + L"</history>\r\n";
}

struct HistoryRun {
  int exitCode = -1;
  std::filesystem::path xmlPath;
  std::wstring xml;
  std::wstring errors;
  std::wstring log;  // lines without their time stamps
  std::string stderrText;
};

struct RunSettings {
  bool log = false;
  std::string faults;  // fault-file lines, empty for none
};

// Writes the database, runs "history <path> [args...]" and reads back what the
// run wrote. The scratch folder lives as long as the caller's TempDir.
inline HistoryRun runHistory(const testsupport::TempDir& dir, const ssapi::DatabaseBuilder& db, Generation g,
                             const std::vector<std::string>& commandArgs, const RunSettings& settings = {}) {
  const std::filesystem::path data = dir / "db";
  db.writeTo(data);
  HistoryRun run;
  run.xmlPath = dir / "out.xml";
  const std::filesystem::path errPath = dir / "err.txt";
  std::vector<std::string> args;
  if (settings.log) args.push_back("/log");
  args.insert(args.end(), {run.xmlPath.string(), errPath.string(), generationSwitch(g),
                           (data / "srcsafe.ini").string(), "/login:Admin", "/pwd:", "history"});
  args.insert(args.end(), commandArgs.begin(), commandArgs.end());
  testsupport::RunOptions options;
  options.removeEnvironment = {"SSAPI_FAULTS"};
  if (!settings.faults.empty()) {
    const std::filesystem::path faultFile = dir / "faults.txt";
    testsupport::writeFileBytes(faultFile, settings.faults);
    options.setEnvironment.push_back({"SSAPI_FAULTS", faultFile.string()});
  }
  testsupport::RunResult result = testsupport::runQuillgate(args, options);
  run.exitCode = result.exitCode;
  run.stderrText = result.stderrText;
  run.xml = testsupport::readUtf16File(run.xmlPath);
  run.errors = testsupport::readUtf16File(errPath);
  std::wstring log = testsupport::readUtf16File(run.xmlPath.string() + ".logs.txt");
  std::size_t start = 0;
  while (start < log.size()) {
    std::size_t end = log.find(L"\r\n", start);
    if (end == std::wstring::npos) end = log.size();
    std::wstring line = log.substr(start, end - start);
    std::size_t stamp = line.find(L"] ");
    if (!line.empty() && line[0] == L'[' && stamp != std::wstring::npos) line.erase(0, stamp + 2);
    run.log += line + L"\n";
    start = end + 2;
  }
  return run;
}

// The document parses as XML (xmllint detects UTF-16LE from its first bytes).
inline ::testing::AssertionResult parsesAsXml(const std::filesystem::path& path) {
  testsupport::RunResult lint = testsupport::runProgram({"/usr/bin/xmllint", "--noout", path.string()});
  if (lint.exitCode == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "xmllint exit " << lint.exitCode << ": " << lint.stderrText;
}

inline std::string millisArg(std::int64_t seconds) { return std::to_string(seconds * 1000); }

}  // namespace historye2e

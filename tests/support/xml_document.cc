#include "support/xml_document.h"

#include "platform/text_encoding.h"
#include "support/run_binary.h"
#include "support/temp_dir.h"

namespace testsupport {

::testing::AssertionResult parsesAsXml(const std::filesystem::path& path) {
  RunResult lint = runProgram({"/usr/bin/xmllint", "--noout", path.string()});
  if (lint.exitCode == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "xmllint exit " << lint.exitCode << ": " << lint.stderrText;
}

bool holdsOnlyTheDeclaration(const std::filesystem::path& path) {
  return readFileBytes(path) == platform::wideToUtf16le(L"<?xml version=\"1.0\"?>\n");
}

}  // namespace testsupport

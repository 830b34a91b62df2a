// The self-tests behind the test-mode marker: they run the program's own
// time and path logic on fixed or given input and report into the output
// files, so that a deployed binary can be checked on the machine it runs on.
#pragma once

#include <string>
#include <vector>

#include "output/output_channels.h"

namespace app {

// "test_java_date": the argument, then the javatime of its UTC date read as
// local time, each on a line of the output XML file.
void testJavaDate(const std::wstring& text, output::OutputChannels& channels);

// "test_path_tokenizer": every component of the spec on a line of the
// output XML file, up to the first empty one.
void testPathTokenizer(const std::wstring& spec, output::OutputChannels& channels);

// "test_remane_manager": all four groups below, always all of them; every
// failure is written to the error file. -1 when any case failed, else 0.
int testRenameManager(output::OutputChannels& channels);

struct RenamePair {
  std::wstring prefix;
  std::wstring replacement;
};

// The first group: several inputs over one map. A failure writes the case's
// own text and then the actual result followed by "\n\n", as two lines.
struct FixedTextCase {
  std::wstring input;
  std::wstring expected;
  std::wstring failureText;
};

// One map and one input. A failure writes the line
// "<label>: <actual> != <expected>\r\n".
struct LabeledCase {
  std::wstring label;
  std::vector<RenamePair> pairs;  // in the order they are added
  std::wstring input;
  std::wstring expected;
};

// containsPathOf on a set holding one spec. A failure writes the line
// "<label>: should be true \r\n" (also for the cases that expect false).
struct PathSetCase {
  std::wstring label;
  std::wstring spec;
  bool expected;
};

// The cases the self-test runs.
const std::vector<RenamePair>& firstGroupPairs();
const std::vector<FixedTextCase>& firstGroupCases();
const std::vector<LabeledCase>& labeledCases();
const std::wstring& pathSetEntry();
const std::vector<PathSetCase>& pathSetCases();

// Each returns whether all its cases held, after writing the failures.
bool runFirstGroup(const std::vector<RenamePair>& pairs, const std::vector<FixedTextCase>& cases,
                   output::OutputChannels& channels);
bool runLabeledCase(const LabeledCase& test, output::OutputChannels& channels);
bool runPathSetGroup(const std::wstring& entry, const std::vector<PathSetCase>& cases,
                     output::OutputChannels& channels);

}  // namespace app

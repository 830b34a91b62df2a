#include "app/self_tests.h"

#include "util/java_time.h"
#include "util/path_set.h"
#include "util/path_tokenizer.h"
#include "util/rename_map.h"

namespace app {
namespace {

util::RenameMap mapOf(const std::vector<RenamePair>& pairs) {
  util::RenameMap map;
  for (const auto& pair : pairs) map.addRename(pair.prefix, pair.replacement);
  return map;
}

}  // namespace

void testJavaDate(const std::wstring& text, output::OutputChannels& channels) {
  channels.writeXml(text + L"\r\n");
  const util::JavaTime given = util::JavaTime::fromMillis(util::JavaTime::parseMillis(text));
  const util::JavaTime asLocal = util::JavaTime::fromLocalDate(given.date());
  channels.writeXml(asLocal.toMillisText() + L"\r\n");
}

void testPathTokenizer(const std::wstring& spec, output::OutputChannels& channels) {
  util::PathTokenizer tokenizer(spec);
  for (std::wstring token = tokenizer.next(); !token.empty(); token = tokenizer.next()) {
    channels.writeXml(token + L"\r\n");
  }
}

const std::vector<RenamePair>& firstGroupPairs() {
  static const std::vector<RenamePair> pairs = {{L"$/cC", L"$/C"}, {L"$/cC/cccc", L"$/cC/bbbb"}};
  return pairs;
}

const std::vector<FixedTextCase>& firstGroupCases() {
  static const std::vector<FixedTextCase> cases = {
      {L"$/cC/bbbb", L"$/C/bbbb", L"$/C/bbbb != T|$/cC/bbbb|\n"},
      {L"$/cC/cccc", L"$/C/bbbb", L"$/C/bbbb != T|$/cC/cccc|\n"},
      {L"$/cC/a/b/c/d", L"$/C/a/b/c/d", L"$/C/a/b/c/d != T|$/cC/a/b/c/d|\n"},
  };
  return cases;
}

const std::vector<LabeledCase>& labeledCases() {
  static const std::vector<LabeledCase> cases = {
      {L"test_02", {{L"Z/Xx/Y", L"Z/Xx/Yy"}, {L"Z/X", L"Z/Xx"}}, L"Z/X/Y/f", L"Z/Xx/Yy/f"},
      {L"test_03", {{L"Z/X", L"Z/Xx"}, {L"Z/X/Y", L"Z/Xx/Yy"}}, L"Z/X/Y/f", L"Z/Xx/Yy/f"},
  };
  return cases;
}

const std::wstring& pathSetEntry() {
  static const std::wstring entry = L"$/A/B/C";
  return entry;
}

const std::vector<PathSetCase>& pathSetCases() {
  static const std::vector<PathSetCase> cases = {
      {L"Contains $/A/B/C", L"$/A/B/C", true},
      {L"Contains $/A/B/C/E", L"$/A/B/C/E", true},
      {L"Contains $/A/B/C/eee/rr/rssssr", L"$/A/B/C/eee/rr/rssssr", true},
      {L"Contains $/A/B/C/", L"$/A/B/C/", true},
      {L"Not contains $/A/B/Cc", L"$/A/B/Cc", false},
      {L"Not contains $/A/B/Cc/", L"$/A/B/Cc/", false},
      {L"Not contains $/A/B/Cc/ddd", L"$/A/B/Cc/ddd", false},
  };
  return cases;
}

bool runFirstGroup(const std::vector<RenamePair>& pairs, const std::vector<FixedTextCase>& cases,
                   output::OutputChannels& channels) {
  const util::RenameMap map = mapOf(pairs);
  bool held = true;
  for (const auto& test : cases) {
    const std::wstring actual = map.mapPath(test.input);
    if (actual == test.expected) continue;
    channels.writeErrorLine(test.failureText);
    channels.writeErrorLine(actual + L"\n\n");
    held = false;
  }
  return held;
}

bool runLabeledCase(const LabeledCase& test, output::OutputChannels& channels) {
  const std::wstring actual = mapOf(test.pairs).mapPath(test.input);
  if (actual == test.expected) return true;
  channels.writeErrorLine(test.label + L": " + actual + L" != " + test.expected + L"\r\n");
  return false;
}

bool runPathSetGroup(const std::wstring& entry, const std::vector<PathSetCase>& cases,
                     output::OutputChannels& channels) {
  util::PathSet set;
  set.insert(entry);
  bool held = true;
  for (const auto& test : cases) {
    if (set.containsPathOf(test.spec) == test.expected) continue;
    channels.writeErrorLine(test.label + L": should be true \r\n");
    held = false;
  }
  return held;
}

int testRenameManager(output::OutputChannels& channels) {
  bool held = runFirstGroup(firstGroupPairs(), firstGroupCases(), channels);
  for (const auto& test : labeledCases()) held = runLabeledCase(test, channels) && held;
  held = runPathSetGroup(pathSetEntry(), pathSetCases(), channels) && held;
  return held ? 0 : -1;
}

}  // namespace app

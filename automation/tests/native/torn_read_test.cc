// SourceSafe rewrites its item and data files in place while others read
// them. A reader that meets such a write half-way must notice (checksums,
// sizes, header against records and data file, a file that changed while
// read), read again, and otherwise report the item as damaged: every walk
// of the database while a writer is at work either sees everything exactly
// as it is, or knows that it did not.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include <fmt/format.h>

#include "model/action_text.h"
#include "model/queries.h"
#include "native/open_native_database.h"
#include "native_database_builder.h"
#include "platform/text_encoding.h"
#include "support/temp_dir.h"

namespace nativetest {
namespace {

namespace fs = std::filesystem;
using ssapi::model::ItemId;

struct Walk {
  bool complete = true;
  std::vector<std::string> lines;
};

std::string utf8(const std::wstring& text) { return platform::wideToUtf8(text); }

// Everything reachable from the root, read through the loader: each item's
// revisions, each project's children at each version, each file's content
// at each version. A failure anywhere makes the walk incomplete.
Walk walkDatabase(const fs::path& folder, int readAttempts) {
  Walk walk;
  ssapi::native::OpenedDatabase opened;
  ssapi::native::ReaderOptions options;
  options.codePage = "1252";
  options.readAttempts = readAttempts;
  if (!ssapi::native::openNativeDatabase(folder / "srcsafe.ini", L"Admin", L"", options, &opened).ok()) {
    walk.complete = false;
    return walk;
  }
  const ssapi::model::Database& db = *opened.db;
  std::deque<ItemId> queue{db.root()};
  std::unordered_set<ItemId> seen{db.root()};
  while (!queue.empty()) {
    ItemId id = queue.front();
    queue.pop_front();
    const ssapi::model::Item& item = db.item(id);
    if (db.failure(id)) walk.complete = false;
    walk.lines.push_back(utf8(db.text(item.physical)));
    for (std::int32_t v = 1; v <= item.lastVersion(); ++v) {
      const ssapi::model::Revision* r = db.revision(id, v);
      if (!r) continue;
      walk.lines.push_back(fmt::format("  v{} {} {}", v, r->time, utf8(ssapi::model::actionText(db, db.owner(id, v), *r))));
      if (item.isProject()) {
        for (const ssapi::model::Child& child : ssapi::model::childrenAt(db, id, v, true)) {
          walk.lines.push_back(fmt::format("    {} {}", utf8(db.text(child.state->name)),
                                           utf8(db.text(db.peek(child.state->item).physical))));
          if (seen.insert(child.state->item).second) queue.push_back(child.state->item);
        }
      } else {
        const std::string& content = ssapi::model::contentAt(db, id, v);
        if (db.versionContentFailure(id, v)) walk.complete = false;
        walk.lines.push_back("    " + content);
      }
    }
  }
  return walk;
}

// Rewrites a file with the bytes it holds, as an in-place writer does:
// truncated, then written piece by piece.
void rewriteInPlace(const fs::path& file) {
  testsupport::rewriteInPlace(file, testsupport::readFileBytes(file), 61);
}

// Run once reading each file only once, which shows the checks alone, and
// once as the library reads by default, reading again what did not hold together.
class TornReadTest : public ::testing::TestWithParam<int> {};

TEST_P(TornReadTest, EveryWalkWhileFilesAreRewrittenIsCompleteAndRightOrKnowsItIsNot) {
  const int attempts = GetParam();
  testsupport::TempDir dir;
  NativeDatabaseBuilder db;
  db.createProject(L"$/p").addFile(L"$/p/a.txt", std::string(300, 'a')).checkIn(L"$/p/a.txt", std::string(200, 'b'));
  db.createProject(L"$/p/q").addFile(L"$/p/q/b.txt", "b\r\n").checkIn(L"$/p/q/b.txt", "bb\r\n");
  db.addFile(L"$/p/q/c.txt", "c").createProject(L"$/r").share(L"$/p/a.txt", L"$/r").rename(L"$/p/q", L"renamed");
  db.writeTo(dir.path());
  const Walk expected = walkDatabase(dir.path(), attempts);
  ASSERT_TRUE(expected.complete);

  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir / "data")) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  // Bounded in time; the walks run as long as the writer does.
  std::atomic<bool> writing{true};
  std::thread writer([&] {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1000);
    while (std::chrono::steady_clock::now() < until) {
      for (const fs::path& file : files) rewriteInPlace(file);
    }
    writing = false;
  });
  int complete = 0;
  int incomplete = 0;
  while (writing) {
    Walk walk = walkDatabase(dir.path(), attempts);
    if (!walk.complete) {
      ++incomplete;
      continue;
    }
    ++complete;
    EXPECT_EQ(walk.lines, expected.lines) << "walk " << complete + incomplete;
  }
  writer.join();
  EXPECT_GT(complete + incomplete, 0);
  std::printf("walks while writing: %d complete, %d that knew they were not\n", complete, incomplete);
  // The files are whole again: the walk is too.
  Walk after = walkDatabase(dir.path(), attempts);
  EXPECT_TRUE(after.complete);
  EXPECT_EQ(after.lines, expected.lines);
}

INSTANTIATE_TEST_SUITE_P(ReadAttempts, TornReadTest, ::testing::Values(1, ssapi::native::ReaderOptions{}.readAttempts));

}  // namespace
}  // namespace nativetest

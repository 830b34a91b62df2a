#include "native/version_walk.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "file_builder.h"
#include "native/delta.h"
#include "ssapi/ssapi.h"
#include "status_assertions.h"

namespace ssapi::native {
namespace {

using nativetest::copyOp;
using nativetest::failsWith;
using nativetest::historyBody;
using nativetest::insertOp;
using nativetest::isOk;
using nativetest::ItemFileBuilder;
using nativetest::put32;
using nativetest::stopOp;

// A file's history: v1 "one\r\n", v2 "one\r\ntwo\r\n", v3 a label, v4
// "two\r\n" (the current content). Each check-in's delta follows the
// record layout SourceSafe writes: the FD first, then the EL pointing at it.
struct History {
  std::string bytes;
  std::string current = "two\r\n";
};

std::uint32_t addCheckIn(ItemFileBuilder& builder, const std::string& delta) {
  std::uint32_t fd = builder.add("FD", delta);
  std::string checkIn = historyBody(17);
  put32(checkIn, 0x58, fd);
  builder.addHistory(checkIn, "changed");
  return fd;
}

History history(std::function<void(ItemFileBuilder&)> between = {}) {
  ItemFileBuilder builder(ItemFileBuilder::kFile);
  builder.addParent("AAAAAAAA");
  builder.addHistory(historyBody(16), "created");
  addCheckIn(builder, copyOp(0, 5) + stopOp());  // v2 -> v1: drop the second line
  builder.addHistory(historyBody(0));            // v3: label
  if (between) between(builder);
  addCheckIn(builder, insertOp("one\r\n") + copyOp(0, 5) + stopOp());  // v4 -> v3
  return History{builder.build()};
}

std::map<std::int32_t, std::string> walkAll(const ItemFile& item, std::string content, Status* status,
                                            std::int32_t to = 1) {
  std::map<std::int32_t, std::string> versions;
  *status = walkVersions(item, item.header.lastVersion, to, kMaxContentSize, &content,
                         [&](std::int32_t version, const std::string& bytes) {
                           versions[version] = bytes;
                           return true;
                         });
  return versions;
}

TEST(VersionWalkTest, RebuildsEveryVersionNewestFirst) {
  History h = history();
  ItemFile item;
  ASSERT_TRUE(isOk(parseItemFile(h.bytes, L"f", &item)));
  Status status;
  std::map<std::int32_t, std::string> versions = walkAll(item, h.current, &status);
  ASSERT_TRUE(isOk(status));
  std::map<std::int32_t, std::string> expected = {
      {4, "two\r\n"}, {3, "one\r\ntwo\r\n"}, {2, "one\r\ntwo\r\n"}, {1, "one\r\n"}};
  EXPECT_EQ(versions, expected);
}

TEST(VersionWalkTest, StopsWhenTheVisitorSaysSoAndAtTheOldestAsked) {
  History h = history();
  ItemFile item;
  ASSERT_TRUE(isOk(parseItemFile(h.bytes, L"f", &item)));
  std::string content = h.current;
  std::vector<std::int32_t> seen;
  ASSERT_TRUE(isOk(walkVersions(item, 4, 1, kMaxContentSize, &content, [&](std::int32_t version, const std::string&) {
    seen.push_back(version);
    return version > 3;
  })));
  EXPECT_EQ(seen, (std::vector<std::int32_t>{4, 3}));
  Status status;
  EXPECT_EQ(walkAll(item, h.current, &status, 3).size(), 2u);
  EXPECT_TRUE(isOk(status));
  // Starting lower: the content given is that version's.
  content = "one\r\ntwo\r\n";
  seen.clear();
  ASSERT_TRUE(isOk(walkVersions(item, 2, 1, kMaxContentSize, &content, [&](std::int32_t v, const std::string&) {
    seen.push_back(v);
    return true;
  })));
  EXPECT_EQ(seen, (std::vector<std::int32_t>{2, 1}));
  EXPECT_EQ(content, "one\r\n");
}

TEST(VersionWalkTest, VersionsBeforeOneNotKeptCannotBeRebuilt) {
  struct Row {
    const char* name;
    std::function<void(ItemFileBuilder&)> between;
    std::wstring message;
  };
  const Row rows[] = {
      {"check-in without a delta", [](ItemFileBuilder& b) { b.addHistory(historyBody(17)); },
       L"File \"f\" does not retain the versions before 4"},
      {"versions archived away", [](ItemFileBuilder& b) { b.addHistory(historyBody(20)); },
       L"the versions before 4 were archived away"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    History h = history(row.between);
    ItemFile item;
    ASSERT_TRUE(isOk(parseItemFile(h.bytes, L"f", &item)));
    Status status;
    std::map<std::int32_t, std::string> versions = walkAll(item, h.current, &status);
    EXPECT_TRUE(failsWith(status, ESS_VS_NO_DELTA, row.message));
    // The versions up to there were visited.
    EXPECT_EQ(versions.size(), 2u);
  }
}

TEST(VersionWalkTest, DamagedDeltaPointerFails) {
  ItemFileBuilder builder(ItemFileBuilder::kFile);
  builder.addHistory(historyBody(16));
  std::string checkIn = historyBody(17);
  put32(checkIn, 0x58, 0x1A0);  // the CF record, not a delta
  builder.addHistory(checkIn);
  ItemFile item;
  ASSERT_TRUE(isOk(parseItemFile(builder.build(), L"f", &item)));
  Status status;
  walkAll(item, "x", &status);
  EXPECT_TRUE(failsWith(status, ESS_CORRUPT, L"expected a \"FD\" record, found \"CF\" at offset 0x1a0"));
}

TEST(VersionWalkTest, RefusesProjectsAndVersionsItDoesNotHave) {
  ItemFileBuilder project(ItemFileBuilder::kProject);
  project.addHistory(historyBody(1));
  ItemFile item;
  ASSERT_TRUE(isOk(parseItemFile(project.build(), L"p", &item)));
  std::string content;
  auto visit = [](std::int32_t, const std::string&) { return true; };
  EXPECT_TRUE(failsWith(walkVersions(item, 1, 1, kMaxContentSize, &content, visit), ESS_VS_WANT_FILE, L"project"));
  History h = history();
  ASSERT_TRUE(isOk(parseItemFile(h.bytes, L"f", &item)));
  EXPECT_TRUE(
      failsWith(walkVersions(item, 5, 1, kMaxContentSize, &content, visit), ESS_VS_VERS_NOT_FOUND, L"no version 5"));
}

}  // namespace
}  // namespace ssapi::native

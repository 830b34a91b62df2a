#include "native/history_record.h"

#include <gtest/gtest.h>

#include <functional>

#include "file_builder.h"
#include "ssapi/ssapi.h"
#include "status_assertions.h"

namespace ssapi::native {
namespace {

using nativetest::failsWith;
using nativetest::historyBody;
using nativetest::isOk;
using nativetest::put16;
using nativetest::put32;
using nativetest::putName;
using nativetest::putText;

// Parses a history record placed at offset 0 of a buffer, followed by `after`.
Status parse(const std::string& body, HistoryRecord* out, const std::string& after = {},
             std::vector<std::wstring>* warnings = nullptr) {
  std::string file = nativetest::record("EL", body) + after;
  Record rec;
  if (Status status = readRecord(file, 0, file.size(), "EL", L"data/a/aaaaaaaa", &rec); !status.ok()) return status;
  return readHistoryRecord(file, file.size(), rec, L"data/a/aaaaaaaa", out, warnings);
}

TEST(HistoryRecordTest, ReadsCommonFields) {
  std::string body = historyBody(0, "Johnson", 0x4A5B6C7D);
  put32(body, 0, 0x1A0);
  put16(body, 6, 7);
  putText(body, 0x2C, "Release 1", 32);
  // Garbage after the NUL of a text field is what SourceSafe leaves there.
  body[0x0C + 8] = 'Z';
  HistoryRecord rec;
  ASSERT_TRUE(isOk(parse(body, &rec)));
  EXPECT_EQ(rec.previousOffset, 0x1A0u);
  EXPECT_EQ(rec.action, ActionCode::kLabel);
  EXPECT_EQ(rec.version, 7);
  EXPECT_EQ(rec.time, 0x4A5B6C7Du);
  EXPECT_EQ(rec.user, "Johnson");
  EXPECT_EQ(rec.label, "Release 1");
  EXPECT_EQ(rec.comment, "");
}

// Every action code with its payload, including those no real database
// here holds (destroys, project renames, moves, branches, archives).
TEST(HistoryRecordTest, DecodesEveryPayload) {
  struct Row {
    ActionCode code;
    std::function<void(std::string&)> fill;
    std::function<void(const HistoryRecord&)> check;
  };
  auto common = [](std::string& b) {
    putName(b, 0x58, "child.txt");
    putText(b, 0x80, "BCAAAAAA", 10);
  };
  auto checkCommon = [](const HistoryRecord& r) {
    EXPECT_EQ(r.name.shortName, "child.txt");
    EXPECT_EQ(r.physical, "BCAAAAAA");
  };
  const Row rows[] = {
      {ActionCode::kLabel, [](std::string&) {}, [](const HistoryRecord& r) { EXPECT_EQ(r.physical, ""); }},
      {ActionCode::kCreateProject, common, checkCommon},
      {ActionCode::kAddProject, common, checkCommon},
      {ActionCode::kAddFile, common, checkCommon},
      {ActionCode::kDestroyProject,
       [](std::string& b) {
         putName(b, 0x58, "gone", true);
         put16(b, 0x80, 1);
         putText(b, 0x82, "DAAAAAAA", 10);
       },
       [](const HistoryRecord& r) {
         EXPECT_EQ(r.name.shortName, "gone");
         EXPECT_TRUE(r.name.isProject());
         EXPECT_TRUE(r.wasDeleted);
         EXPECT_EQ(r.physical, "DAAAAAAA");
       }},
      {ActionCode::kDestroyFile,
       [](std::string& b) { putName(b, 0x58, "kept.c"); },  // no physical name: the files were not purged
       [](const HistoryRecord& r) {
         EXPECT_FALSE(r.wasDeleted);
         EXPECT_EQ(r.physical, "");
       }},
      {ActionCode::kDeleteProject, common, checkCommon},
      {ActionCode::kDeleteFile, common, checkCommon},
      {ActionCode::kRecoverProject, common, checkCommon},
      {ActionCode::kRecoverFile, common, checkCommon},
      {ActionCode::kRenameProject,
       [](std::string& b) {
         putName(b, 0x58, "NewName", true);
         putName(b, 0x80, "OldName", true);
         putText(b, 0xA8, "EAAAAAAA", 10);
       },
       [](const HistoryRecord& r) {
         EXPECT_EQ(r.name.shortName, "NewName");
         EXPECT_EQ(r.oldName.shortName, "OldName");
         EXPECT_EQ(r.physical, "EAAAAAAA");
       }},
      {ActionCode::kRenameFile,
       [](std::string& b) {
         putName(b, 0x58, "b.txt");
         putName(b, 0x80, "a.txt");
         putText(b, 0xA8, "faaaaaaa", 10);  // lower case is read as upper case
       },
       [](const HistoryRecord& r) {
         EXPECT_EQ(r.name.shortName, "b.txt");
         EXPECT_EQ(r.oldName.shortName, "a.txt");
         EXPECT_EQ(r.physical, "FAAAAAAA");
       }},
      {ActionCode::kMoveFrom,
       [](std::string& b) {
         putText(b, 0x58, "$/A/Sub", 260);
         putName(b, 0x15C, "Sub", true);
         putText(b, 0x184, "GAAAAAAA", 10);
       },
       [](const HistoryRecord& r) {
         EXPECT_EQ(r.spec, "$/A/Sub");
         EXPECT_EQ(r.name.shortName, "Sub");
         EXPECT_EQ(r.physical, "GAAAAAAA");
       }},
      {ActionCode::kMoveTo,
       [](std::string& b) {
         putText(b, 0x58, "$/B/Sub", 260);
         putName(b, 0x15C, "Sub", true);
         putText(b, 0x184, "GAAAAAAA", 10);
       },
       [](const HistoryRecord& r) { EXPECT_EQ(r.spec, "$/B/Sub"); }},
      {ActionCode::kShareFile,
       [](std::string& b) {
         putText(b, 0x58, "$/From", 260);
         putName(b, 0x15C, "shared.c");
         put16(b, 0x184, 0xFFFF);
         put16(b, 0x186, 0);
         put16(b, 0x188, 2);
         putText(b, 0x18A, "HAAAAAAA", 10);
       },
       [](const HistoryRecord& r) {
         EXPECT_EQ(r.shareKind, ShareKind::kShare);
         EXPECT_EQ(r.spec, "$/From");
         EXPECT_EQ(r.name.shortName, "shared.c");
         EXPECT_EQ(r.pinnedVersion, 0);
         EXPECT_EQ(r.entryIndex, 2);
         EXPECT_EQ(r.physical, "HAAAAAAA");
       }},
      {ActionCode::kBranchFile,
       [](std::string& b) {
         putName(b, 0x58, "branched.c");
         putText(b, 0x80, "JAAAAAAA", 10);
         putText(b, 0x8A, "HAAAAAAA", 10);
       },
       [](const HistoryRecord& r) {
         EXPECT_EQ(r.name.shortName, "branched.c");
         EXPECT_EQ(r.physical, "JAAAAAAA");
         EXPECT_EQ(r.branchSource, "HAAAAAAA");
       }},
      {ActionCode::kCreateFile, common, checkCommon},
      {ActionCode::kCheckIn,
       [](std::string& b) {
         put32(b, 0x58, 0x5A0);
         putText(b, 0x60, "$/Proj", 260);
       },
       [](const HistoryRecord& r) {
         EXPECT_EQ(r.deltaOffset, 0x5A0u);
         EXPECT_EQ(r.spec, "$/Proj");
       }},
      {ActionCode::kCheckInProject, [](std::string&) {}, [](const HistoryRecord&) {}},
      {ActionCode::kCreateBranch,
       [](std::string& b) {
         putName(b, 0x58, "branched.c");
         putText(b, 0x80, "JAAAAAAA", 10);
         putText(b, 0x8A, "HAAAAAAA", 10);
       },
       [](const HistoryRecord& r) { EXPECT_EQ(r.branchSource, "HAAAAAAA"); }},
      {ActionCode::kArchiveVersions,
       [](std::string& b) {
         putName(b, 0x58, "old.c");
         putText(b, 0x80, "KAAAAAAA", 10);
         put16(b, 0x98, 4);
         putText(b, 0x9A, "C:\\archive\\old.ssa", 250);
       },
       [](const HistoryRecord& r) {
         EXPECT_EQ(r.archivedVersion, 4);
         EXPECT_EQ(r.archivePath, "C:\\archive\\old.ssa");
         EXPECT_EQ(r.physical, "KAAAAAAA");
       }},
      {ActionCode::kRestoreVersions, [](std::string&) {}, [](const HistoryRecord&) {}},
      {ActionCode::kArchiveFile,
       [&](std::string& b) {
         common(b);
         putText(b, 0x8C, "\\\\srv\\a.ssa", 260);
       },
       [&](const HistoryRecord& r) {
         checkCommon(r);
         EXPECT_EQ(r.archivePath, "\\\\srv\\a.ssa");
       }},
      {ActionCode::kArchiveProject, common, checkCommon},
      {ActionCode::kRestoreFile, common, checkCommon},
      {ActionCode::kRestoreProject, common, checkCommon},
  };
  ASSERT_EQ(std::size(rows), kLastActionCode + 1u);
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(actionCodeName(row.code).begin(), actionCodeName(row.code).end()));
    std::string body = historyBody(static_cast<std::uint16_t>(row.code));
    row.fill(body);
    HistoryRecord rec;
    ASSERT_TRUE(isOk(parse(body, &rec)));
    EXPECT_EQ(rec.action, row.code);
    row.check(rec);
  }
}

TEST(HistoryRecordTest, TellsSharesPinsAndUnpinsApart) {
  struct Row {
    const char* name;
    std::uint16_t unpinned;
    std::uint16_t pinned;
    ShareKind kind;
    std::int16_t pinnedVersion;
    std::int16_t unpinnedVersion;
  };
  const Row rows[] = {
      {"share", 0xFFFF, 0, ShareKind::kShare, 0, 0},
      {"share of a pinned version", 0xFFFF, 3, ShareKind::kShare, 3, 0},
      {"pin", 0, 2, ShareKind::kPin, 2, 0},
      {"unpin", 2, 0, ShareKind::kUnpin, 0, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::string body = historyBody(14);
    put16(body, 0x184, row.unpinned);
    put16(body, 0x186, row.pinned);
    putText(body, 0x18A, "BAAAAAAA", 10);
    HistoryRecord rec;
    ASSERT_TRUE(isOk(parse(body, &rec)));
    EXPECT_EQ(rec.shareKind, row.kind);
    EXPECT_EQ(rec.pinnedVersion, row.pinnedVersion);
    EXPECT_EQ(rec.unpinnedVersion, row.unpinnedVersion);
  }
  std::string odd = historyBody(14);
  put16(odd, 0x184, 0xFFFE);
  HistoryRecord rec;
  EXPECT_TRUE(failsWith(parse(odd, &rec), ESS_CORRUPT, L"unknown pin field -2"));
}

TEST(HistoryRecordTest, RefusesUnknownActionCodes) {
  for (std::uint16_t code : {std::uint16_t{26}, std::uint16_t{27}, std::uint16_t{0xFFFF}}) {
    SCOPED_TRACE(code);
    HistoryRecord rec;
    EXPECT_TRUE(failsWith(parse(historyBody(code), &rec), ESS_CORRUPT,
                          L"unknown action code " + std::to_wstring(code) + L" in the history record at offset 0x0"));
  }
}

TEST(HistoryRecordTest, RefusesRecordsTooShortForTheirPayload) {
  const std::pair<ActionCode, std::size_t> ends[] = {
      {ActionCode::kAddFile, 0x8A},    {ActionCode::kDestroyFile, 0x8C},  {ActionCode::kBranchFile, 0x94},
      {ActionCode::kRenameFile, 0xB2}, {ActionCode::kCheckIn, 0x164},     {ActionCode::kMoveTo, 0x18E},
      {ActionCode::kShareFile, 0x194}, {ActionCode::kArchiveFile, 0x190}, {ActionCode::kArchiveVersions, 0x9A},
      {ActionCode::kLabel, 0x58},
  };
  for (const auto& [code, end] : ends) {
    SCOPED_TRACE(std::string(actionCodeName(code).begin(), actionCodeName(code).end()));
    std::string body = historyBody(static_cast<std::uint16_t>(code)).substr(0, end);
    HistoryRecord rec;
    EXPECT_TRUE(isOk(parse(body, &rec)));
    body.pop_back();
    EXPECT_TRUE(failsWith(parse(body, &rec), ESS_CORRUPT, L"too short"));
  }
}

TEST(HistoryRecordTest, RefusesPhysicalNamesThatAreNotEightLetters) {
  for (std::string bad : {"../../et", "ABCDEFG", "ABCDEFGHI", "ABCD1234"}) {
    SCOPED_TRACE(bad);
    std::string body = historyBody(3);
    putText(body, 0x80, bad, 10);
    HistoryRecord rec;
    EXPECT_TRUE(failsWith(parse(body, &rec), ESS_CORRUPT, L"not a physical name"));
  }
}

TEST(HistoryRecordTest, ReadsCommentAndLabelComment) {
  std::string body = historyBody(0);
  std::size_t elSize = 8 + body.size();
  std::string comments = nativetest::record("MC", std::string("line 1\r\nline 2\0", 15)) +
                         nativetest::record("MC", std::string("why\0junk", 8));
  put32(body, 0x4C, static_cast<std::uint32_t>(elSize));
  put16(body, 0x54, 15);
  put32(body, 0x50, static_cast<std::uint32_t>(elSize + 8 + 15));
  put16(body, 0x56, 4);
  HistoryRecord rec;
  ASSERT_TRUE(isOk(parse(body, &rec, comments)));
  EXPECT_EQ(rec.comment, "line 1\r\nline 2");
  EXPECT_EQ(rec.labelComment, "why");
}

TEST(HistoryRecordTest, IgnoresCommentPointersWithoutLength) {
  std::string body = historyBody(17);
  put32(body, 0x4C, 0x7FFFFFF0);  // leftover value; length 0 means no comment
  put32(body, 0x50, 0x7FFFFFF0);
  HistoryRecord rec;
  ASSERT_TRUE(isOk(parse(body, &rec)));
  EXPECT_EQ(rec.comment, "");
}

TEST(HistoryRecordTest, CommentPointerOutsideTheDataFails) {
  std::string body = historyBody(17);
  put32(body, 0x4C, 0x10000);
  put16(body, 0x54, 5);
  HistoryRecord rec;
  EXPECT_TRUE(failsWith(parse(body, &rec), ESS_CORRUPT,
                        L"the comment of the history record points at 0x10000, outside the data at offset 0x0"));
}

TEST(HistoryRecordTest, CommentPointerAtAnotherRecordIsOnlyAWarning) {
  std::string body = historyBody(17);
  put32(body, 0x4C, static_cast<std::uint32_t>(8 + body.size()));
  put16(body, 0x54, 5);
  HistoryRecord rec;
  std::vector<std::wstring> warnings;
  ASSERT_TRUE(isOk(parse(body, &rec, nativetest::record("FD", "abcd"), &warnings)));
  EXPECT_EQ(rec.comment, "");
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find(L"points at a \"FD\" record at 0x19c"), std::wstring::npos);
}

TEST(HistoryRecordTest, CommentRecordRunningPastTheEndFails) {
  std::string body = historyBody(17);
  put32(body, 0x4C, static_cast<std::uint32_t>(8 + body.size()));
  put16(body, 0x54, 5);
  std::string comment = nativetest::record("MC", "hello");
  HistoryRecord rec;
  EXPECT_TRUE(failsWith(parse(body, &rec, comment.substr(0, comment.size() - 1)), ESS_CORRUPT,
                        L"record of 0x5 bytes runs past the end"));
}

}  // namespace
}  // namespace ssapi::native

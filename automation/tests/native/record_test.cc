#include "native/record.h"

#include <gtest/gtest.h>

#include "file_builder.h"
#include "native/crc.h"
#include "ssapi/ssapi.h"
#include "status_assertions.h"

namespace ssapi::native {
namespace {

using nativetest::failsWith;
using nativetest::isOk;
using nativetest::record;

TEST(RecordTest, ReadsHeaderAndBody) {
  std::string file = "xx" + record("EL", "body!") + "tail";
  Record rec;
  ASSERT_TRUE(isOk(readRecord(file, 2, file.size(), "EL", L"f", &rec)));
  EXPECT_EQ(rec.offset, 2u);
  EXPECT_EQ(rec.length, 5u);
  EXPECT_EQ(rec.body, "body!");
  EXPECT_TRUE(rec.is("EL"));
  EXPECT_EQ(rec.end(), 15u);
}

TEST(RecordTest, AnySignatureWhenNoneExpected) {
  std::string file = record("ZZ", "x");
  Record rec;
  ASSERT_TRUE(isOk(readRecord(file, 0, file.size(), "", L"f", &rec)));
  EXPECT_TRUE(rec.is("ZZ"));
}

TEST(RecordTest, RefusesDamagedFraming) {
  std::string good = record("EL", "0123456789");
  struct Row {
    const char* name;
    std::string file;
    std::uint64_t offset;
    std::uint64_t limit;
    std::wstring message;
  };
  std::string badCrc = good;
  badCrc[8] ^= 1;
  std::string longer = good;
  nativetest::put32(longer, 0, 11);
  const Row rows[] = {
      {"header cut by the end", good.substr(0, 7), 0, 7, L"header of the \"EL\" record runs past the end"},
      {"offset beyond the file", good, 100, 1000, L"at offset 0x64"},
      {"body longer than the data", longer, 0, longer.size(), L"record of 0xb bytes runs past the end"},
      {"body beyond the limit though within the file", good + "more", 0, good.size() - 1,
       L"runs past the end of the data (0x11)"},
      {"other signature", good, 0, good.size(), L"expected a \"DH\" record, found \"EL\""},
      {"bad checksum", badCrc, 0, badCrc.size(), L"bad checksum of the \"EL\" record"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Record rec;
    std::string_view expected = std::string_view(row.name) == "other signature" ? "DH" : "EL";
    EXPECT_TRUE(
        failsWith(readRecord(row.file, row.offset, row.limit, expected, L"data/a/x", &rec), ESS_CORRUPT, row.message));
  }
}

TEST(RecordTest, FailureNamesFileAndOffset) {
  std::string file = "pad" + record("EL", "abc");
  file[11] ^= 0x40;
  Record rec;
  Status status = readRecord(file, 3, file.size(), "EL", L"data/b/baaaaaaa", &rec);
  ASSERT_EQ(recordCrc("!bc"), 0xAFEF);
  EXPECT_EQ(status.description,
            L"File \"data/b/baaaaaaa\" may be corrupt: bad checksum of the \"EL\" record (stored 0x52b5, computed "
            L"0xafef) at offset 0x3");
}

TEST(RecordTest, AcceptsStoredZeroChecksumAndUncheckedComments) {
  std::string zero = record("EL", "abc");
  nativetest::put16(zero, 6, 0);
  std::string comment = record("MC", "text");
  nativetest::put16(comment, 6, 0xBEEF);
  Record rec;
  EXPECT_TRUE(isOk(readRecord(zero, 0, zero.size(), "EL", L"f", &rec)));
  EXPECT_TRUE(isOk(readRecord(comment, 0, comment.size(), "MC", L"f", &rec)));
}

TEST(RecordTest, SignatureTextEscapesBytes) {
  EXPECT_EQ(signatureText("EL"), L"EL");
  EXPECT_EQ(signatureText(std::string("\x01\xFF", 2)), L"\\x01\\xFF");
}

}  // namespace
}  // namespace ssapi::native

#include "native/names_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "file_builder.h"
#include "ssapi/ssapi.h"
#include "status_assertions.h"

namespace ssapi::native {
namespace {

using nativetest::failsWith;
using nativetest::isOk;

struct Names {
  NamesFile file;
  std::vector<std::uint32_t> offsets;
};

Names makeNames() {
  Names names;
  std::string bytes = nativetest::namesFile(
      {
          {{1, "LONGFI~1.TXT"}, {2, "long file name.txt"}, {3, "long file name.txt"}},
          {{10, ".idea"}},
          {{1, "REALLY~1.TXT"}},
      },
      &names.offsets);
  EXPECT_TRUE(isOk(NamesFile::parse(bytes, L"data/names.dat", &names.file)));
  return names;
}

TEST(NamesFileTest, FindsNameSetsByOffset) {
  Names names = makeNames();
  ASSERT_EQ(names.offsets.front(), 0x58u);
  NameSet set;
  ASSERT_TRUE(isOk(names.file.nameSet(names.offsets[0], &set)));
  ASSERT_EQ(set.names.size(), 3u);
  EXPECT_EQ(*set.find(NameKind::kDos), "LONGFI~1.TXT");
  EXPECT_EQ(*set.find(NameKind::kLong), "long file name.txt");
  EXPECT_EQ(set.find(NameKind::kProject), nullptr);
  std::vector<NameSet> all;
  ASSERT_TRUE(isOk(names.file.allNameSets(&all)));
  EXPECT_EQ(all.size(), 3u);
  EXPECT_EQ(all[2].offset, names.offsets[2]);
}

TEST(NamesFileTest, ResolvesNamesLikeSourceSafe) {
  Names names = makeNames();
  struct Row {
    const char* name;
    VssName field;
    std::string shown;
  };
  const std::vector<Row> rows = {
      {"long file name", {0, "long_file_name.txt", names.offsets[0]}, "long file name.txt"},
      {"project name", {1, "idea", names.offsets[1]}, ".idea"},
      // A file name whose record has only its alias keeps the short field.
      {"only an alias", {0, "reallylongname.txt", names.offsets[2]}, "reallylongname.txt"},
      // A project's record without kind 10 keeps the short field too.
      {"project without project name", {1, "Proj", names.offsets[0]}, "Proj"},
      {"no pointer", {0, "a.c", 0}, "a.c"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::string text;
    ASSERT_TRUE(isOk(resolveName(row.field, &names.file, &text)));
    EXPECT_EQ(text, row.shown);
  }
  std::string text;
  ASSERT_TRUE(isOk(resolveName({0, "short", names.offsets[0]}, nullptr, &text)));
  EXPECT_EQ(text, "short");
}

TEST(NamesFileTest, RefusesDamage) {
  Names names = makeNames();
  NameSet set;
  EXPECT_TRUE(failsWith(names.file.nameSet(0x10, &set), ESS_CORRUPT, L"points into the names header"));
  EXPECT_TRUE(failsWith(names.file.nameSet(0x5000, &set), ESS_CORRUPT, L"runs past the end of the data"));
  EXPECT_TRUE(failsWith(names.file.nameSet(names.offsets[0] + 4, &set), ESS_CORRUPT, L"expected a \"SN\" record"));

  std::vector<std::uint32_t> offsets;
  std::string bytes = nativetest::namesFile({{{2, "x"}}}, &offsets);
  struct Row {
    const char* name;
    std::string bytes;
    std::wstring message;
  };
  std::string truncated = bytes.substr(0, bytes.size() - 1);
  std::string endInHeader = bytes;
  nativetest::put32(endInHeader, 8 + 0x10, 0x20);
  nativetest::refreshCrc(endInHeader, 0);
  const Row rows[] = {
      {"truncated", truncated, L"says the data ends at 0x"},
      {"end inside the header", endInHeader, L"inside the header"},
      {"not a names file", nativetest::record("HU", std::string(0x50, '\0')), L"expected a \"HN\" record"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    NamesFile file;
    EXPECT_TRUE(failsWith(NamesFile::parse(row.bytes, L"names.dat", &file), ESS_CORRUPT, row.message));
  }
  // A name set whose entries point beyond the record, or claim more entries than fit.
  std::string tooMany = nativetest::u16(5) + nativetest::u16(0) + nativetest::u16(2) + nativetest::u16(0) + "x";
  std::string pastEnd = nativetest::u16(1) + nativetest::u16(0) + nativetest::u16(2) + nativetest::u16(9) + "x";
  for (const auto& [body, message] :
       {std::pair{tooMany, std::wstring(L"do not fit")}, std::pair{pastEnd, std::wstring(L"lies beyond the record")}}) {
    std::string header(0x50, '\0');
    std::string sn = nativetest::record("SN", body);
    nativetest::put32(header, 0x10, static_cast<std::uint32_t>(0x58 + sn.size()));
    NamesFile file;
    ASSERT_TRUE(isOk(NamesFile::parse(nativetest::record("HN", header) + sn, L"n", &file)));
    EXPECT_TRUE(failsWith(file.nameSet(0x58, &set), ESS_CORRUPT, message));
  }
}

}  // namespace
}  // namespace ssapi::native

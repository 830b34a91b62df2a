#include "util/path_tokenizer.h"

#include <vector>

#include <gtest/gtest.h>

namespace util {
namespace {

std::vector<std::wstring> tokens(const std::wstring& spec) {
  PathTokenizer tokenizer(spec);
  std::vector<std::wstring> out;
  for (std::wstring t = tokenizer.next(); !t.empty(); t = tokenizer.next()) out.push_back(t);
  return out;
}

TEST(PathTokenizerTest, Splits) {
  struct Row {
    const wchar_t* spec;
    std::vector<std::wstring> expected;
  };
  const Row rows[] = {
      {L"$/A/B/C", {L"$/", L"A", L"B", L"C"}},
      {L"$\\A\\\\B", {L"$/", L"A", L"B"}},
      {L"A/B", {L"A", L"B"}},
      {L"$/A/$/B", {L"$/", L"A", L"$", L"B"}},
      {L"//$//A//", {L"$/", L"A"}},
      {L"$/", {L"$/"}},
      {L"$$/x", {L"$$", L"x"}},
      {L"", {}},
      {L"///", {}},
  };
  for (const auto& row : rows) EXPECT_EQ(tokens(row.spec), row.expected) << "spec: " << row.spec;
}

TEST(PathTokenizerTest, EmptyTokensAfterTheEnd) {
  PathTokenizer tokenizer(L"$/A");
  EXPECT_EQ(tokenizer.next(), L"$/");
  EXPECT_EQ(tokenizer.next(), L"A");
  EXPECT_FALSE(tokenizer.hasMore());
  EXPECT_EQ(tokenizer.next(), L"");
  EXPECT_EQ(tokenizer.next(), L"");
}

TEST(PathTokenizerTest, TrailingSeparatorStillCountsAsMore) {
  PathTokenizer tokenizer(L"$/A/");
  tokenizer.next();
  tokenizer.next();
  EXPECT_TRUE(tokenizer.hasMore());
  EXPECT_EQ(tokenizer.rest(), L"/");
  EXPECT_EQ(tokenizer.next(), L"");
  EXPECT_FALSE(tokenizer.hasMore());
}

TEST(PathTokenizerTest, PeekDoesNotMoveOrEmitTheRoot) {
  PathTokenizer tokenizer(L"$/A/B");
  EXPECT_EQ(tokenizer.peek(), L"$/");
  EXPECT_EQ(tokenizer.peek(), L"$/");
  EXPECT_EQ(tokenizer.rest(), L"$/A/B");
  EXPECT_EQ(tokenizer.next(), L"$/");
  EXPECT_EQ(tokenizer.peek(), L"A");
  EXPECT_EQ(tokenizer.rest(), L"/A/B");
  EXPECT_EQ(tokenizer.next(), L"A");
  EXPECT_EQ(tokenizer.rest(), L"/B");
}

TEST(PathTokenizerTest, EmptySpec) {
  PathTokenizer tokenizer(L"");
  EXPECT_FALSE(tokenizer.hasMore());
  EXPECT_EQ(tokenizer.next(), L"");
  EXPECT_EQ(tokenizer.rest(), L"");
}

}  // namespace
}  // namespace util

#include "util/arg_list.h"

#include <vector>

#include <gtest/gtest.h>

namespace util {
namespace {

const std::vector<std::wstring> kArgs = {L"quillgate", L"out.xml", L"err.txt", L"a b"};

TEST(ArgListTest, TakesFromTheFront) {
  ArgList args(static_cast<int>(kArgs.size()), kArgs.data());
  EXPECT_TRUE(args.has(4));
  EXPECT_FALSE(args.has(5));
  EXPECT_EQ(args.peek(1), L"quillgate");
  EXPECT_EQ(args.peek(4), L"a b");
  EXPECT_EQ(args.next(), L"quillgate");
  EXPECT_EQ(args.remaining(), 3);
  EXPECT_EQ(args.peek(1), L"out.xml");
  EXPECT_EQ(args.peek(3), L"a b");
  EXPECT_EQ(args.peek(4), L"");
  EXPECT_EQ(args.peek(0), L"");
}

TEST(ArgListTest, ExhaustedListGivesEmptyText) {
  ArgList args(2, kArgs.data());
  args.next();
  args.next();
  EXPECT_FALSE(args.has(1));
  EXPECT_TRUE(args.has(0));
  EXPECT_EQ(args.next(), L"");
  EXPECT_EQ(args.next(), L"");
  EXPECT_EQ(args.peek(1), L"");
  EXPECT_EQ(args.remaining(), 0);
  EXPECT_EQ(args.joinQuoted(), L"");
}

TEST(ArgListTest, CopiesAdvanceIndependently) {
  ArgList args(static_cast<int>(kArgs.size()), kArgs.data());
  args.next();
  ArgList copy = args.copy();
  EXPECT_EQ(copy.next(), L"out.xml");
  EXPECT_EQ(copy.next(), L"err.txt");
  EXPECT_EQ(args.peek(1), L"out.xml");
  EXPECT_EQ(args.remaining(), 3);
  EXPECT_EQ(copy.remaining(), 1);
}

TEST(ArgListTest, JoinQuotedLeavesTheListWhereItIs) {
  ArgList args(static_cast<int>(kArgs.size()), kArgs.data());
  EXPECT_EQ(args.joinQuoted(), L"\"quillgate\" \"out.xml\" \"err.txt\" \"a b\" ");
  EXPECT_EQ(args.remaining(), 4);
  args.next();
  args.next();
  EXPECT_EQ(args.joinQuoted(), L"\"err.txt\" \"a b\" ");
}

TEST(ArgListTest, EmptyArgumentsAreArguments) {
  const std::vector<std::wstring> withEmpty = {L"", L"x"};
  ArgList args(2, withEmpty.data());
  EXPECT_TRUE(args.has(2));
  EXPECT_EQ(args.joinQuoted(), L"\"\" \"x\" ");
}

}  // namespace
}  // namespace util

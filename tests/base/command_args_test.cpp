#include "base/command_args.h"

#include <gtest/gtest.h>

#include "app/startup.h"

namespace korvane {
namespace {

CCommandArgs Parsed(std::string_view text, std::string_view delim = "/") {
  CCommandArgs args;
  args.SetDelim(delim);
  args.SetTestString(text);
  args.Parse();
  return args;
}

TEST(CCommandArgsTest, KeyAndValueSplitAtTheFirstBlank) {
  const CCommandArgs args = Parsed("/RunSavedComp 12");
  ASSERT_EQ(args.Count(), 1);
  EXPECT_EQ(args.Key(1), "RunSavedComp");
  EXPECT_EQ(args.Value(1), "12");
  EXPECT_EQ(args.Item("RunSavedComp"), "12");
}

TEST(CCommandArgsTest, KeyWithoutValueBecomesItsOwnValue) {
  const CCommandArgs args = Parsed("/RunSavedComp");
  EXPECT_EQ(args.Item("RunSavedComp"), "RunSavedComp");
}

TEST(CCommandArgsTest, SeveralArgumentsAndCaseInsensitiveKeys) {
  const CCommandArgs args = Parsed("/RunSavedComp 3 /Other x y ");
  ASSERT_EQ(args.Count(), 2);
  EXPECT_EQ(args.Item("runsavedcomp"), "3");
  EXPECT_EQ(args.Item("OTHER"), "x y");
  EXPECT_EQ(args.Item(2), "x y");
  EXPECT_EQ(args.Item("2"), "x y");  // a numeric text is an index
  EXPECT_EQ(args.Item(0), "");
  EXPECT_EQ(args.Item(3), "");
  EXPECT_EQ(args.Item("Missing"), "");
}

TEST(CCommandArgsTest, TextBeforeTheFirstDelimiterIsIgnored) {
  const CCommandArgs args = Parsed("ignored words /RunSavedComp 7");
  ASSERT_EQ(args.Count(), 1);
  EXPECT_EQ(args.Key(1), "RunSavedComp");
}

TEST(CCommandArgsTest, ValuesCannotHoldTheDelimiter) {
  const CCommandArgs args = Parsed("/Path a/b");
  ASSERT_EQ(args.Count(), 2);
  EXPECT_EQ(args.Item("Path"), "a");
  EXPECT_EQ(args.Key(2), "b");
}

TEST(CCommandArgsTest, MultiCharacterDelimiterFoundIgnoringCase) {
  const CCommandArgs args = Parsed("-X-key value-x-k2", "-x-");
  ASSERT_EQ(args.Count(), 2);
  EXPECT_EQ(args.Item("key"), "value");
  EXPECT_EQ(args.Item("k2"), "k2");
}

TEST(CCommandArgsTest, EmptyDelimiterOrTextLeavesTheListAsItWas) {
  CCommandArgs args = Parsed("/a 1");
  args.SetTestString("");
  args.Parse();
  EXPECT_EQ(args.Count(), 1);
  args.SetTestString("/b 2");
  args.SetDelim("");
  args.Parse();
  EXPECT_EQ(args.Item("a"), "1");
}

TEST(ReadRunSavedCompIdTest, ValueRoundedHalfToEven) {
  EXPECT_EQ(ReadRunSavedCompId(""), 0);
  EXPECT_EQ(ReadRunSavedCompId("/RunSavedComp 12"), 12);
  EXPECT_EQ(ReadRunSavedCompId("/runsavedcomp 3"), 3);
  EXPECT_EQ(ReadRunSavedCompId("/RunSavedComp 2.5"), 2);
  EXPECT_EQ(ReadRunSavedCompId("/RunSavedComp 3.5"), 4);
  EXPECT_EQ(ReadRunSavedCompId("/RunSavedComp abc"), 0);
  EXPECT_EQ(ReadRunSavedCompId("/RunSavedComp"), 0);
  EXPECT_EQ(ReadRunSavedCompId("/RunSavedComp 3 /Other x"), 3);
  EXPECT_EQ(ReadRunSavedCompId("/Other 5"), 0);
  EXPECT_EQ(ReadRunSavedCompId("/RunSavedComp 99999999999"), 0);  // does not fit: nothing runs
  EXPECT_EQ(ReadRunSavedCompId("/RunSavedComp -4"), -4);          // below 1: nothing runs later
}

}  // namespace
}  // namespace korvane

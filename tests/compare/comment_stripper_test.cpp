#include "compare/comment_stripper.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvane {
namespace {

struct StripCase {
  std::string name;
  std::string text;
  std::string stripped;
};

void ExpectStripped(const std::vector<StripCase>& cases) {
  for (const StripCase& c : cases) {
    EXPECT_EQ(StripCommentsFromProc(c.text), c.stripped) << c.name;
  }
}

TEST(StripCommentsFromProcTest, TextsWithoutCommentsAreUnchanged) {
  ExpectStripped({
      {"empty", "", ""},
      {"plain", "select 1\r\nfrom t", "select 1\r\nfrom t"},
      {"lone markers", "a - b / c * d", "a - b / c * d"},
      {"closer only", "a */ b", "a */ b"},
  });
}

TEST(StripCommentsFromProcTest, LineComments) {
  ExpectStripped({
      {"whole line goes with one line break", "x\r\n-- c\r\ny", "x\r\ny"},
      {"after code leaves a bare LF", "x -- c\r\ny", "x \ny"},
      {"two lines", "a -- one\r\nb -- two\r\nc", "a \nb \nc"},
      {"at the start", "-- c\r\nx", "\nx"},
      {"whole text", "-- only", ""},
      {"last line", "x\r\n-- c", "x\r"},
      {"three hyphens", "a --- b\r\nc", "a \nc"},
      {"consecutive whole lines", "x\r\n-- 1\r\n-- 2\r\ny", "x\r\ny"},
  });
}

TEST(StripCommentsFromProcTest, BareLfEndsALineComment) {
  // Texts with bare LF line ends keep everything after a line comment; the LF stays.
  ExpectStripped({
      {"after code", "x -- c\ny", "x \ny"},
      {"whole line goes with one line break", "x\n-- c\ny", "x\ny"},
      {"two lines", "a -- one\nb -- two\nc", "a \nb \nc"},
      {"at the start", "-- c\nx", "\nx"},
      {"mixed with CR LF", "a -- one\nb\r\n-- two\r\nc", "a \nb\r\nc"},
      {"a bare LF before a CR LF ends the comment", "a -- c\nb\r\nc", "a \nb\r\nc"},
  });
  // Two procedures that differ only after a comment still differ once stripped.
  EXPECT_NE(StripCommentsFromProc("as\n-- note\nselect 1\n"),
            StripCommentsFromProc("as\n-- note\nselect 2\n"));
  EXPECT_EQ(StripCommentsFromProc("create proc p as\n-- note\nselect 1\n"),
            "create proc p as\nselect 1\n");
}

TEST(StripCommentsFromProcTest, BlockComments) {
  ExpectStripped({
      {"inside a line", "a /* c */ b", "a  b"},
      {"over lines", "a/* 1\r\n2 */b", "ab"},
      {"starting a line leaves the CR before it", "x\r\n/* c */\r\ny", "x\r\r\ny"},
      {"two", "a/*1*/b/*2*/c", "abc"},
      {"nested: first closer ends it", "a /* b /* c */ d */ e", "a  d */ e"},
      {"slash asterisk slash closes itself", "a/*/b", "ab"},
      {"block before line", "/* x */a -- y\r\nb", "a \nb"},
  });
}

TEST(StripCommentsFromProcTest, UnclosedBlockCommentRunsToTheEnd) {
  // Nothing after the opener is kept, and nothing is repeated.
  ExpectStripped({
      {"after code", "a\r\nb /* never closed\r\nc", "a\r\nb "},
      {"starting a line", "a\r\n/* open", "a\r"},
      {"whole text", "/* open", ""},
      {"after a closed one", "a/*1*/b/*2", "ab"},
  });
}

TEST(StripCommentsFromProcTest, MarkersInsideLiteralsAreTreatedAsComments) {
  ExpectStripped({
      {"line marker", "select '--x' from t\r\nwhere 1", "select '\nwhere 1"},
      {"block markers", "select '/*' as a, '*/' as b", "select '' as b"},
  });
}

TEST(StripCommentsFromProcTest, MarkersAreCountedBeforeStripping) {
  // "--" made by removing a block comment was not counted: no line pass runs.
  EXPECT_EQ(StripCommentsFromProc("a-/**/-b"), "a--b");
  // A "--" inside a block comment counted one line pass, which finds nothing left.
  EXPECT_EQ(StripCommentsFromProc("/* -- */ x"), " x");
  // Openers overlapping closers count too, so every opener that removal brings together is
  // still covered by a pass.
  EXPECT_EQ(StripCommentsFromProc("a/*/**/*/b"), "a**b");
}

}  // namespace
}  // namespace korvane

// Scripts built to hurt the loader: huge GO counts, deep nesting, and quoting that an ad-hoc
// scanner would misread. Each ends in a clear error or loads as the server would, in bounded
// work.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/text.h"
#include "db/embedded/sql_tokenizer.h"
#include "embedded_fixture.h"

namespace korvane::testing {
namespace {

using embedded::kMaxNestingDepth;
using ::testing::ElementsAre;

class HostileScriptTest : public EmbeddedServerTest {
 protected:
  void SetUp() override {
    MakeServer("9.00.5000.00");
    Load("Base", "CREATE TABLE t (n int NULL)\nGO\n");
  }
  std::string Count() { return QueryRows("Base", "SELECT COUNT(*) FROM t").at(0); }
};

TEST_F(HostileScriptTest, GoCountAboveTheLimitIsRefusedBeforeAnythingRuns) {
  struct Case {
    const char* count;
    bool accepted;
    const char* rows;
  };
  const std::string limit = std::to_string(kMaxBatchRepeat);
  const std::vector<Case> cases = {
      {"3", true, "3"},
      {"0", true, "1"},  // a count of 0 runs the batch once
      {"", true, "1"},
      {"2000000000", false, "0"},
      {"99999999999999999999", false, "0"},  // beyond any integer type: no overflow
      {"18446744073709551617", false, "0"},
      {"-1", false, "0"},
      {"1.5", false, "0"},
  };
  for (const auto& c : cases) {
    Load("Base", "DELETE t");
    const std::string script = "INSERT t VALUES (1)\nGO " + std::string(c.count) + "\n";
    const ScriptLoadResult result = TryLoad("Base", script);
    EXPECT_EQ(result.ok, c.accepted) << c.count << ": " << result.message;
    if (!c.accepted) {
      EXPECT_EQ(result.error.text, "The count after GO must be a whole number of at most " + limit +
                                       "; '" + c.count + "' is not.");
      EXPECT_EQ(result.line, 2);
    }
    EXPECT_EQ(Count(), c.rows) << c.count;
  }
  // The limit itself is accepted (a batch of a comment only, so nothing runs 10,000 times).
  EXPECT_TRUE(TryLoad("Base", "-- nothing to run\nGO " + limit + "\n").ok);
}

TEST_F(HostileScriptTest, GoAfterAnUnreachableCountFailsTheWholeScript) {
  const ScriptLoadResult result =
      TryLoad("Base", "INSERT t VALUES (1)\nGO\nINSERT t VALUES (2)\nGO 10001\n");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.line, 4);
  EXPECT_EQ(Count(), "0");
}

TEST_F(HostileScriptTest, DeepParenthesesInValuesFailWith191InLinearWork) {
  struct Case {
    int depth;
    int error;  // 0: loads
  };
  // 6,000 and 100,000 layers took seconds and for ever when each layer rescanned the rest.
  for (const Case c : {Case{1, 0}, Case{99, 0}, Case{kMaxNestingDepth, 0},
                       Case{kMaxNestingDepth + 1, 191}, Case{6000, 191}, Case{100000, 191}}) {
    const std::string value = std::string(static_cast<std::size_t>(c.depth), '(') + "7" +
                              std::string(static_cast<std::size_t>(c.depth), ')');
    const ScriptLoadResult result = TryLoad("Base", "INSERT t VALUES (" + value + ")");
    if (c.error == 0) {
      EXPECT_TRUE(result.ok) << c.depth << ": " << result.message;
    } else {
      EXPECT_EQ(result.error.number, c.error) << c.depth;
      EXPECT_EQ(result.error.text,
                "Some part of your SQL statement is nested too deeply. Rewrite the query or "
                "break it up into smaller queries.");
    }
  }
  EXPECT_THAT(QueryRows("Base", "SELECT DISTINCT n FROM t"), ElementsAre("7"));
  // An expression nested deeper than the evaluator's own stack: the same error.
  EXPECT_EQ(TryLoad("Base",
                    "INSERT t VALUES (" + std::string(99, '(') + "1+1" + std::string(99, ')') + ")")
                .error.number,
            191);
  // Unbalanced and deeply nested: the same error, not a hang.
  EXPECT_EQ(TryLoad("Base", "INSERT t VALUES (" + std::string(100000, '(') + "1)").error.number,
            191);
}

TEST_F(HostileScriptTest, EnclosingParenthesesAreStrippedOnlyWhereTheyEncloseEverything) {
  Load("Base",
       "INSERT t VALUES (((4)))\nINSERT t VALUES ((1)+(2))\nINSERT t VALUES (((1)+(2)))\n"
       "INSERT t VALUES ((-5))\n");
  EXPECT_THAT(QueryRows("Base", "SELECT n FROM t"), ElementsAre("4", "3", "3", "-5"));
}

TEST_F(HostileScriptTest, BatchSplitterReadsQuotesAsTheTokenizerDoes) {
  // Each script holds a GO that must split and text that must not be read as GO.
  struct Case {
    const char* name;
    const char* script;
    const char* table;
  };
  const std::vector<Case> cases = {
      {"doubled bracket", "CREATE TABLE dbo.[a]]'b] (x int)\nGO\nINSERT [a]]'b] VALUES (1)\nGO\n",
       "a]'b"},
      {"doubled quote in a name",
       "CREATE TABLE \"q\"\"'\" (x int)\nGO\nINSERT \"q\"\"'\" VALUES (1)\n", "q\"'"},
      {"quote in a line comment", "CREATE TABLE c1 (x int) -- it's\nGO\nINSERT c1 VALUES (1)\n",
       "c1"},
      {"bracket in a block comment",
       "CREATE TABLE c2 (x int) /* [ /* nested ' */ ] */\nGO\nINSERT c2 VALUES (1)\n", "c2"},
      {"doubled quote in a string",
       "CREATE TABLE c3 (x varchar(9))\nGO\nINSERT c3 VALUES ('it''s\nGO\n')\nGO\n", "c3"},
      {"GO followed by a comment", "CREATE TABLE c4 (x int)\nGO -- [ '\nINSERT c4 VALUES (1)\n",
       "c4"},
  };
  for (const auto& c : cases) {
    const ScriptLoadResult result = TryLoad("Base", c.script);
    ASSERT_TRUE(result.ok) << c.name << ": " << result.message;
    EXPECT_THAT(QueryRows("Base", "SELECT COUNT(*) FROM sysobjects WHERE name = '" +
                                      ReplaceAll(c.table, "'", "''") + "'"),
                ElementsAre("1"))
        << c.name;
  }
  EXPECT_THAT(QueryRows("Base", "SELECT x FROM c3"), ElementsAre("it's\nGO\n"));
}

}  // namespace
}  // namespace korvane::testing

// Where a statement ends inside a batch: the words that open the next statement and those that
// only continue the current one.
#include "db/embedded/statement_end.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/embedded/sql_tokenizer.h"

namespace korvane::embedded {
namespace {

// The batch's statements, split the way the executor splits them (';' is dropped).
std::vector<std::string> Statements(const std::string& batch) {
  const std::vector<Token> tokens = Tokenize(batch);
  const std::size_t n = tokens.size() - 1;
  std::vector<std::string> statements;
  std::size_t start = 0;
  while (start < n) {
    if (tokens[start].IsPunct(";")) {
      ++start;
      continue;
    }
    const std::size_t end = StatementEnd(tokens, start, n);
    statements.push_back(
        batch.substr(tokens[start].offset, tokens[end - 1].end - tokens[start].offset));
    start = end;
  }
  return statements;
}

TEST(StatementEndTest, SplitsWhereTheNextStatementOpens) {
  struct Case {
    const char* batch;
    std::vector<std::string> statements;
  };
  const Case cases[] = {
      {"SELECT 1 SELECT 2", {"SELECT 1", "SELECT 2"}},
      {"SELECT 1; SELECT 2;", {"SELECT 1", "SELECT 2"}},
      {"PRINT 'a' RETURN", {"PRINT 'a'", "RETURN"}},
      {"SELECT (SELECT 1) AS a DELETE FROM t", {"SELECT (SELECT 1) AS a", "DELETE FROM t"}},
      {"SELECT CASE WHEN a = 1 THEN 2 END FROM t END",
       {"SELECT CASE WHEN a = 1 THEN 2 END FROM t", "END"}},
      {"SELECT a FROM t UNION SELECT b FROM u UNION ALL SELECT c FROM v",
       {"SELECT a FROM t UNION SELECT b FROM u UNION ALL SELECT c FROM v"}},
      {"SELECT a FROM t EXCEPT SELECT a FROM u INTERSECT SELECT a FROM v",
       {"SELECT a FROM t EXCEPT SELECT a FROM u INTERSECT SELECT a FROM v"}},
      {"INSERT INTO t SELECT a FROM u SELECT 2", {"INSERT INTO t SELECT a FROM u", "SELECT 2"}},
      {"INSERT INTO t VALUES (1) SELECT 2", {"INSERT INTO t VALUES (1)", "SELECT 2"}},
      {"UPDATE t SET a = 1 SET NOCOUNT ON", {"UPDATE t SET a = 1", "SET NOCOUNT ON"}},
      {"ALTER TABLE t ADD CONSTRAINT f FOREIGN KEY (a) REFERENCES u (a) ON DELETE SET NULL "
       "ON UPDATE CASCADE",
       {"ALTER TABLE t ADD CONSTRAINT f FOREIGN KEY (a) REFERENCES u (a) ON DELETE SET NULL "
        "ON UPDATE CASCADE"}},
      {"ALTER TABLE t DROP CONSTRAINT k DROP TABLE u",
       {"ALTER TABLE t DROP CONSTRAINT k", "DROP TABLE u"}},
      {"ALTER TABLE t ALTER COLUMN a int ALTER PROCEDURE p",
       {"ALTER TABLE t ALTER COLUMN a int", "ALTER PROCEDURE p"}},
      {"ALTER TABLE t SET (LOCK_ESCALATION = TABLE)",
       {"ALTER TABLE t SET (LOCK_ESCALATION = TABLE)"}},
      {"ALTER TABLE t WITH NOCHECK ADD CHECK (a > 0)",
       {"ALTER TABLE t WITH NOCHECK ADD CHECK (a > 0)"}},
      {"IF 1 = 1 BEGIN SELECT 1 END ELSE SELECT 2",
       {"IF 1 = 1", "BEGIN", "SELECT 1", "END", "ELSE", "SELECT 2"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Statements(c.batch), c.statements) << c.batch;
}

TEST(StatementEndTest, OnlyWordsOpenStatements) {
  for (const char* text : {"SELECT", "select", "Exec", "WITH", "DBCC"})
    EXPECT_TRUE(IsStatementStart(Tokenize(text)[0])) << text;
  for (const char* text : {"[SELECT]", "'SELECT'", "FROM", "@select", "UNION"})
    EXPECT_FALSE(IsStatementStart(Tokenize(text)[0])) << text;
}

}  // namespace
}  // namespace korvane::embedded

// Statements kept per connection for the catalogue look-ups: shared only when free, clean at
// every use, and current after the tables they read change.
#include "db/embedded/sqlite_database.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scratch_folder.h"

namespace korvane::testing {
namespace {

using embedded::SqliteDatabase;
using embedded::SqliteStatement;

class KeptStatementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(db_.Open(folder_.path() / "kept.db", true, &error)) << error;
    db_.Exec("CREATE TABLE t (x int); INSERT INTO t VALUES (1), (2), (3)");
  }

  static std::vector<std::int64_t> Rest(SqliteStatement& statement) {
    std::vector<std::int64_t> values;
    while (statement.Step())
      values.push_back(statement.Int(0));
    return values;
  }

  static constexpr const char* kAll = "SELECT x FROM t ORDER BY x";
  ScratchFolder folder_;
  SqliteDatabase db_;
};

TEST_F(KeptStatementTest, AnInnerUseWhileTheOuterIsSteppingGetsItsOwnStatement) {
  sqlite3_stmt* kept = nullptr;
  {
    SqliteStatement outer = db_.PrepareCached(kAll);
    kept = outer.handle();
    ASSERT_TRUE(outer.Step());
    EXPECT_EQ(outer.Int(0), 1);
    {
      SqliteStatement inner = db_.PrepareCached(kAll);
      EXPECT_NE(inner.handle(), kept);
      EXPECT_EQ(Rest(inner), (std::vector<std::int64_t>{1, 2, 3}));
    }
    EXPECT_EQ(Rest(outer), (std::vector<std::int64_t>{2, 3}));
  }
  // Ended: the kept statement serves the next use from the start.
  SqliteStatement again = db_.PrepareCached(kAll);
  EXPECT_EQ(again.handle(), kept);
  EXPECT_EQ(Rest(again), (std::vector<std::int64_t>{1, 2, 3}));
}

TEST_F(KeptStatementTest, EveryUseStartsResetWithoutTheLastBindings) {
  const char* const sql = "SELECT count(*) FROM t WHERE x >= ?";
  {
    SqliteStatement first = db_.PrepareCached(sql);
    first.Bind(1, std::int64_t{2});
    ASSERT_TRUE(first.Step());
    EXPECT_EQ(first.Int(0), 2);
  }
  SqliteStatement second = db_.PrepareCached(sql);
  ASSERT_TRUE(second.Step());
  EXPECT_EQ(second.Int(0), 0);  // x >= NULL holds for no row
}

TEST_F(KeptStatementTest, ChangedTablesAreSeenByAKeptStatement) {
  const char* const sql = "SELECT * FROM t WHERE x = 1";
  { EXPECT_EQ(db_.PrepareCached(sql).ColumnCount(), 1); }
  db_.Exec("ALTER TABLE t ADD COLUMN y int DEFAULT 7");
  SqliteStatement after = db_.PrepareCached(sql);
  ASSERT_TRUE(after.Step());
  EXPECT_EQ(after.ColumnCount(), 2);
  EXPECT_EQ(after.Int(1), 7);
}

TEST_F(KeptStatementTest, AStatementThatCannotBePreparedIsReportedAndNotKept) {
  EXPECT_ANY_THROW(db_.PrepareCached("SELECT v FROM missing"));
  db_.Exec("CREATE TABLE missing (v int)");
  SqliteStatement now = db_.PrepareCached("SELECT v FROM missing");
  EXPECT_FALSE(now.Step());
}

}  // namespace
}  // namespace korvane::testing

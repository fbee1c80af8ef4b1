#include "db/odbc/odbc_fetch_plan.h"

#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

namespace korvane {
namespace {

TEST(OdbcFetchPlanTest, EachSqlTypeIsFetchedAsItsOwnKindWithASlotFromItsSize) {
  const struct {
    int sql_type;
    std::size_t size;
    ValueType type;
    std::string type_name;
    FetchAs as;
    std::size_t slot_bytes;  // 0: read in pieces
  } cases[] = {
      {SQL_BIT, 1, ValueType::kBoolean, "bit", FetchAs::kInteger, 8},
      {SQL_TINYINT, 3, ValueType::kInteger, "tinyint", FetchAs::kInteger, 8},
      {SQL_INTEGER, 10, ValueType::kInteger, "int", FetchAs::kInteger, 8},
      {SQL_BIGINT, 19, ValueType::kInteger, "bigint", FetchAs::kInteger, 8},
      {SQL_REAL, 24, ValueType::kFloat, "real", FetchAs::kDouble, 8},
      {SQL_FLOAT, 53, ValueType::kFloat, "float", FetchAs::kDouble, 8},
      // The digits, a sign, "0." and the terminator; no size known: room for 38 digits and more.
      {SQL_DECIMAL, 19, ValueType::kDecimal, "decimal", FetchAs::kNarrowText, 23},
      {SQL_NUMERIC, 38, ValueType::kDecimal, "decimal", FetchAs::kNarrowText, 42},
      {SQL_NUMERIC, 0, ValueType::kDecimal, "decimal", FetchAs::kNarrowText, 48},
      {SQL_TYPE_TIMESTAMP, 23, ValueType::kDateTime, "datetime", FetchAs::kTimestamp,
       sizeof(SQL_TIMESTAMP_STRUCT)},
      {SQL_TYPE_DATE, 10, ValueType::kDateTime, "date", FetchAs::kTimestamp,
       sizeof(SQL_TIMESTAMP_STRUCT)},
      {-154, 16, ValueType::kDateTime, "time", FetchAs::kTimestamp, sizeof(SQL_TIMESTAMP_STRUCT)},
      {SQL_GUID, 36, ValueType::kGuid, "uniqueidentifier", FetchAs::kNarrowText, 40},
      // Texts: UTF-16 code units and a terminator.
      {SQL_WVARCHAR, 30, ValueType::kText, "nvarchar", FetchAs::kWideText, 62},
      {SQL_WCHAR, 1, ValueType::kText, "nvarchar", FetchAs::kWideText, 4},
      {SQL_VARCHAR, 8000, ValueType::kText, "varchar", FetchAs::kWideText, 16002},
      {SQL_VARCHAR, 8001, ValueType::kText, "varchar", FetchAs::kWideText, 0},
      {SQL_WVARCHAR, 0, ValueType::kText, "nvarchar", FetchAs::kWideText, 0},  // (max)
      {SQL_WLONGVARCHAR, 1073741823, ValueType::kText, "nvarchar", FetchAs::kWideText, 0},
      {SQL_LONGVARCHAR, 2147483647, ValueType::kText, "varchar", FetchAs::kWideText, 0},
      // Binary: bytes, no terminator.
      {SQL_BINARY, 4, ValueType::kBinary, "varbinary", FetchAs::kBinary, 4},
      {SQL_VARBINARY, 8000, ValueType::kBinary, "varbinary", FetchAs::kBinary, 8000},
      {SQL_LONGVARBINARY, 2147483647, ValueType::kBinary, "varbinary", FetchAs::kBinary, 0},
  };
  for (const auto& c : cases) {
    const FetchPlan plan = PlanFetch({{"c", c.sql_type, c.size}});
    ASSERT_EQ(plan.columns.size(), 1u);
    const ColumnFetch& fetch = plan.columns[0];
    SCOPED_TRACE(std::to_string(c.sql_type) + " size " + std::to_string(c.size));
    EXPECT_EQ(fetch.type, c.type);
    EXPECT_EQ(fetch.type_name, c.type_name);
    EXPECT_EQ(fetch.as, c.as);
    EXPECT_EQ(fetch.slot_bytes, c.slot_bytes);
    EXPECT_EQ(fetch.bound, c.slot_bytes > 0);
    EXPECT_EQ(plan.rows_per_fetch > 1, c.slot_bytes > 0);
  }
}

TEST(OdbcFetchPlanTest, ColumnsAreBoundUpToTheFirstLongOneAndThenFetchedARowAtATime) {
  const DescribedColumn id{"id", SQL_INTEGER, 10};
  const DescribedColumn name{"name", SQL_WVARCHAR, 30};
  const DescribedColumn body{"body", SQL_WLONGVARCHAR, 0};
  const DescribedColumn made{"made", SQL_TYPE_TIMESTAMP, 23};
  const struct {
    std::vector<DescribedColumn> columns;
    std::vector<bool> bound;
  } cases[] = {
      {{id, name, made}, {true, true, true}},
      {{id, name, body}, {true, true, false}},
      {{id, body, name, made}, {true, false, false, false}},  // nothing bound after a long one
      {{body, id}, {false, false}},
  };
  for (const auto& c : cases) {
    const FetchPlan plan = PlanFetch(c.columns);
    std::vector<bool> bound;
    for (const ColumnFetch& fetch : plan.columns)
      bound.push_back(fetch.bound);
    EXPECT_EQ(bound, c.bound);
    const bool all_bound = std::find(c.bound.begin(), c.bound.end(), false) == c.bound.end();
    EXPECT_EQ(plan.rows_per_fetch > 1, all_bound) << plan.rows_per_fetch;
  }
}

TEST(OdbcFetchPlanTest, BlockRowsFollowTheRowWidthWithinTheLimits) {
  const DescribedColumn id{"id", SQL_INTEGER, 10};
  const DescribedColumn wide{"wide", SQL_WVARCHAR, 4000};
  // One row of an int: its slot and its length indicator.
  const std::size_t int_row = 8 + sizeof(SQLLEN);
  const std::size_t wide_row = int_row + 8002 + sizeof(SQLLEN);
  const struct {
    std::vector<DescribedColumn> columns;
    std::size_t block_bytes;
    std::size_t most_rows;
    std::size_t rows;
  } cases[] = {
      {{id}, 1 << 20, 1000, 1000},       // narrow rows: the row limit
      {{id}, 100 * int_row, 1000, 100},  // the byte budget
      {{id, wide}, 1 << 20, 1000, (1u << 20) / wide_row},
      {{id, wide}, wide_row - 1, 1000, 1},  // a row wider than the budget: still one
      {{}, 1 << 20, 1000, 1},               // no columns
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PlanFetch(c.columns, c.block_bytes, c.most_rows).rows_per_fetch, c.rows)
        << c.columns.size() << " columns, " << c.block_bytes << " bytes";
  }
}

}  // namespace
}  // namespace korvane

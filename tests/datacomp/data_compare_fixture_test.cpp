// The tables the scale benchmarks compare: their rows are what the engine stores, their keys are
// unique, and a comparison by each key finds exactly the changed, missing and extra rows.
#include "data_compare_fixture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "base/clock.h"
#include "bench_support.h"
#include "datacomp/compare_status.h"
#include "datacomp/data_compare.h"
#include "datacomp/data_compare_options.h"
#include "db/embedded/value_conversion.h"

namespace korvane::bench {
namespace {

TEST(OrdersRowTest, OrderedTimeIsTheStoredDateTimeSevenSecondsPerRow) {
  struct Case {
    std::int64_t id;
    const char* ordered;
  };
  const std::vector<Case> cases = {
      {1, "2020-01-01 00:00:07.000"},
      {12343, "2020-01-02 00:00:01.000"},     // 86,401 s: past the first midnight
      {728229, "2020-02-29 00:00:03.000"},    // day 59 of a leap year
      {10000000, "2022-03-21 04:26:40.000"},  // 810 days and 16,000 s
  };
  for (const Case& c : cases) {
    const OrdersRow row = OrdersRow::Make(c.id, false);
    EXPECT_EQ(row.ordered, c.ordered) << c.id;
    DateTimeValue parsed;
    EXPECT_TRUE(embedded::ParseStoredDateTime(row.ordered, &parsed)) << c.id;
  }
}

TEST(OrdersRowTest, ChangedRowDiffersInQtyOnly) {
  for (const std::int64_t id : {3, 103, 9999903}) {
    const OrdersRow plain = OrdersRow::Make(id, false);
    const OrdersRow changed = OrdersRow::Make(id, true);
    EXPECT_EQ(changed.qty, plain.qty + 1) << id;
    EXPECT_EQ(changed.code, plain.code) << id;
    EXPECT_EQ(changed.ordered, plain.ordered) << id;
    EXPECT_EQ(changed.customer, plain.customer) << id;
    EXPECT_EQ(changed.note, plain.note) << id;
    EXPECT_EQ(changed.price, plain.price) << id;
  }
  EXPECT_TRUE(OrdersRow::Make(20, false).note.empty());  // every tenth Note is NULL
  EXPECT_FALSE(OrdersRow::Make(21, false).note.empty());
}

// Source ids 1..n and the Target's extra ids n+1..2n together.
TEST(OrdersRowTest, TextAndThreeColumnKeysAreUniqueAndTextDoesNotFollowTheId) {
  constexpr std::int64_t kIds = 40000;
  std::set<std::string> codes;
  std::set<std::string> triples;
  std::string previous_code;
  int out_of_id_order = 0;
  for (std::int64_t id = 1; id <= kIds; ++id) {
    const OrdersRow row = OrdersRow::Make(id, false);
    ASSERT_EQ(row.code.size(), 20u) << id;
    codes.insert(row.code);
    triples.insert(std::to_string(row.region) + "|" + row.customer + "|" + row.ordered);
    out_of_id_order += row.code < previous_code ? 1 : 0;
    previous_code = row.code;
  }
  EXPECT_EQ(codes.size(), static_cast<std::size_t>(kIds));
  EXPECT_EQ(triples.size(), static_cast<std::size_t>(kIds));
  EXPECT_GT(out_of_id_order, kIds / 4);
}

TEST(OrdersCountsTest, CountsFollowTheShapeOfTwoThousandRows) {
  const OrdersCounts counts = ExpectedOrdersCounts(2000);
  EXPECT_EQ(counts.source, 2000);
  EXPECT_EQ(counts.changed, 20);  // 1%
  EXPECT_EQ(counts.missing, 10);  // 0.5%
  EXPECT_EQ(counts.extra, 10);    // 0.5%
  EXPECT_EQ(counts.target, 2000);
}

struct KeyCase {
  const char* name;
  std::array<std::string, 3> key_columns;
};

class OrdersTablesCompareTest : public testing::TestWithParam<KeyCase> {};

TEST_P(OrdersTablesCompareTest, ByKeyFindsEveryChangedMissingAndExtraRow) {
  constexpr std::int64_t kRows = 2000;
  const OrdersTables tables(
      std::string("test-") + GetParam().name + "-" + std::to_string(::getpid()), kRows);
  ASSERT_TRUE(tables.ok());
  SilentUserInterface ui;
  SystemClock clock;
  auto context = tables.Context(ui, clock);
  DataCompareRequest request;
  request.tables = {DataCompareTable{"Src", "T", 0}, DataCompareTable{"Tgt", "T", 0}};
  request.options.options.CompMethod = kCompMethodPrimaryKey;
  for (auto& side : request.options.options.sides)
    side.key_columns = GetParam().key_columns;
  request.unattended = true;
  request.track_differences = false;
  CompareStatus status(clock);
  const DataCompareResult result = DataCompare(*context, request, status, {});

  const OrdersCounts expected = ExpectedOrdersCounts(kRows);
  EXPECT_EQ(result.status, DataCompareStatus::kDifferent) << result.outcome;
  EXPECT_EQ(result.source_count, expected.source);
  EXPECT_EQ(result.target_count, expected.target);
  EXPECT_EQ(result.different_records, expected.changed + expected.missing + expected.extra);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, OrdersTablesCompareTest,
    testing::Values(KeyCase{"integer", {"ID", "No Field", "No Field"}},
                    KeyCase{"text", {"Code", "No Field", "No Field"}},
                    KeyCase{"three_columns", {"Region", "Customer", "Ordered"}}),
    [](const testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvane::bench

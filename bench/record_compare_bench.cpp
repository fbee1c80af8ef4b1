// Cost of the record comparison engine on two tables of 8 columns with 1% of the rows changed,
// 0.5% missing from the Target and 0.5% extra in it: by key (hash index of the Target keys) and
// record by record, at 10k, 100k and 1M rows; and the slow reference (a search of the Target
// per Source record, matched rows deleted) on small sizes, against the engine at the same
// sizes, for the ratio. Items processed = Source records compared.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <random>

#include "../tests/datacomp/compare_records_reference.h"
#include "app/application_context.h"
#include "app/locations.h"
#include "base/clock.h"
#include "base/user_interface.h"
#include "bench_support.h"
#include "datacomp/compare_records.h"

namespace korvane {
namespace {

class QuietProgress final : public CompareProgress {
 public:
  void ShowStage(int) override {}
  void ResetGauge() override {}
  void ShowProgress(std::string_view, int) override {}
  void UpdateTimeElapsed() override {}
};

// Hands out recordsets built before the timed part, so the figures are those of the
// comparison, not of copying rows.
class FixedOpener final : public RecordsetOpener {
 public:
  FixedOpener(Recordset source, Recordset target)
      : source_(std::move(source)), target_(std::move(target)) {}
  std::optional<Recordset> Open(int side, std::string_view, bool) override {
    return side == 0 ? source_ : target_;
  }

 private:
  Recordset source_;
  Recordset target_;
};

const std::vector<std::string> kColumns = {"ID",    "Customer", "Product", "Qty",
                                           "Price", "Ordered",  "Note",    "Flag"};

std::vector<Value> MakeRow(std::int64_t id, std::mt19937& random) {
  std::uniform_int_distribution<int> pick(0, 999);
  DateTimeValue ordered{2024, 1 + pick(random) % 12, 1 + pick(random) % 28, 10, 30, 0, 0, true,
                        true};
  return {Value::Integer(id),
          Value::Text("Customer " + std::to_string(pick(random))),
          Value::Text("Product " + std::to_string(pick(random) % 200)),
          Value::Integer(pick(random) % 50),
          Value::Decimal(std::to_string(pick(random)) + ".50"),
          Value::DateTime(ordered),
          pick(random) % 10 == 0 ? Value::Null() : Value::Text("note " + std::to_string(id)),
          Value::Boolean(pick(random) % 2 == 0)};
}

struct TablePair {
  ResultSet source;
  ResultSet target;
};

// Source ids 1..n in order; the Target in the same order with every 100th row changed, every
// 200th missing and an extra row after every 200th.
const TablePair& Tables(std::int64_t rows) {
  static std::map<std::int64_t, TablePair> made;
  auto [it, inserted] = made.try_emplace(rows);
  if (!inserted)
    return it->second;
  std::mt19937 random(42);
  TablePair& pair = it->second;
  for (const std::string& name : kColumns) {
    pair.source.columns.push_back({name, ValueType::kText, "varchar"});
    pair.target.columns.push_back({name, ValueType::kText, "varchar"});
  }
  pair.source.rows.reserve(static_cast<std::size_t>(rows));
  pair.target.rows.reserve(static_cast<std::size_t>(rows));
  for (std::int64_t id = 1; id <= rows; ++id) {
    std::vector<Value> row = MakeRow(id, random);
    pair.source.rows.push_back(row);
    if (id % 200 == 7)
      continue;  // missing from the Target
    if (id % 100 == 3)
      row[3] = Value::Integer(row[3].AsInteger() + 1);
    pair.target.rows.push_back(std::move(row));
    if (id % 200 == 11)
      pair.target.rows.push_back(MakeRow(rows + id, random));  // only in the Target
  }
  return pair;
}

template <typename Compare>
void RunComparison(benchmark::State& state, std::int32_t method, Compare compare) {
  const TablePair& tables = Tables(state.range(0));
  const std::filesystem::path folder = bench::ScratchFolder("korvane-bench-record-compare");
  bench::SilentUserInterface ui;
  SystemClock clock;
  ApplicationContext context(ComputeLocations(folder / "bin", folder / "p", Environment{}), ui,
                             clock);
  std::filesystem::create_directories(context.locations.writable_folder);
  CompareRecordsInput input;
  input.CompMethod = method;
  for (int side = 0; side < 2; ++side) {
    input.sides[side].qualified_table = side == 0 ? "[dbo].[S]" : "[dbo].[T]";
    input.sides[side].columns = kColumns;
    input.sides[side].key_columns = {"ID", "No Field", "No Field"};
  }
  input.sides[0].record_count = static_cast<std::int64_t>(tables.source.rows.size());
  input.sides[1].record_count = static_cast<std::int64_t>(tables.target.rows.size());
  QuietProgress progress;
  std::int32_t differences = 0;
  for (auto _ : state) {
    state.PauseTiming();
    FixedOpener opener{Recordset(tables.source), Recordset(tables.target)};
    state.ResumeTiming();
    DiffGrid grid;
    const CompareRecordsResult result = compare(context, input, opener, progress, grid);
    differences = result.different_records;
    benchmark::DoNotOptimize(grid);
  }
  state.counters["differences"] = differences;
  state.SetItemsProcessed(state.iterations() * state.range(0));
  std::filesystem::remove_all(folder);
}

void BM_ByKey(benchmark::State& state) {
  RunComparison(state, 1, CompareRecords);
}
BENCHMARK(BM_ByKey)->Arg(1000)->Arg(4000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(
    benchmark::kMillisecond);

void BM_RecordByRecord(benchmark::State& state) {
  RunComparison(state, 0, CompareRecords);
}
BENCHMARK(BM_RecordByRecord)
    ->Arg(1000)
    ->Arg(4000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

void BM_ReferenceByKey(benchmark::State& state) {
  RunComparison(state, 1, testing::ReferenceCompareRecords);
}
BENCHMARK(BM_ReferenceByKey)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

void BM_ReferenceRecordByRecord(benchmark::State& state) {
  RunComparison(state, 0, testing::ReferenceCompareRecords);
}
BENCHMARK(BM_ReferenceRecordByRecord)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvane

// Whole data comparison runs on the embedded SQL Server stand-in, as `korvane-cli compare-data`
// makes them (count both tables, read them through run command, compare): the tables of
// data_compare_fixture.h at 100,000 rows (8 columns, 1% of the rows changed, 0.5% missing from
// the Target and 0.5% extra in it), by key and record by record, and the bulk comparison of 200
// small tables, for the per-table overhead. The 1,000,000-row runs on the same tables, and the
// sqldiff baseline they are set against, are in data_compare_scale_bench.cpp. Items processed =
// Source records (or tables). peak_rss_MB is the process's peak resident set (getrusage) after the
// benchmark, so it only grows from one benchmark to the next. CPU time is that of every thread of
// the process (the reader threads' too).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "app/application_context.h"
#include "base/clock.h"
#include "base/user_interface.h"
#include "bench_support.h"
#include "data_compare_fixture.h"
#include "datacomp/bulk_data_compare.h"
#include "datacomp/compare_status.h"
#include "datacomp/data_compare.h"
#include "datacomp/data_compare_options.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;

double PeakRssMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

const bench::OrdersTables* LargeTables(std::int64_t rows) {
  static std::map<std::int64_t, std::unique_ptr<bench::OrdersTables>> made;
  auto& tables = made[rows];
  if (!tables)
    tables = std::make_unique<bench::OrdersTables>("data-compare-" + std::to_string(rows), rows);
  return tables->ok() ? tables.get() : nullptr;
}

void CompareLargeTables(benchmark::State& state, std::int32_t method) {
  const bench::OrdersTables* tables = LargeTables(state.range(0));
  if (!tables) {
    state.SkipWithError("could not write the tables");
    return;
  }
  bench::SilentUserInterface ui;
  SystemClock clock;
  auto context = tables->Context(ui, clock);
  const DataCompareRequest request =
      bench::OrdersCompareRequest(method, {"ID", "No Field", "No Field"});
  std::int32_t differences = 0;
  for (auto _ : state) {
    CompareStatus status(clock);
    const DataCompareResult result = DataCompare(*context, request, status, {});
    if (result.status == DataCompareStatus::kFailed)
      state.SkipWithError(result.outcome.c_str());
    differences = result.different_records;
  }
  state.counters["differences"] = differences;
  state.counters["rows_per_s"] = benchmark::Counter(
      static_cast<double>(state.iterations() * state.range(0)), benchmark::Counter::kIsRate);
  state.counters["peak_rss_MB"] = PeakRssMegabytes();
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_DataCompareByKey(benchmark::State& state) {
  CompareLargeTables(state, kCompMethodPrimaryKey);
}
BENCHMARK(BM_DataCompareByKey)
    ->Arg(100000)
    ->Iterations(1)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

void BM_DataCompareRecordByRecord(benchmark::State& state) {
  CompareLargeTables(state, kCompMethodRecordByRecord);
}
BENCHMARK(BM_DataCompareRecordByRecord)
    ->Arg(100000)
    ->Iterations(1)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// Embedded databases for the bulk comparison, loaded from scripts and kept for the whole program.
class Fixture {
 public:
  explicit Fixture(const std::string& name)
      : folder_(bench::ScratchFolder("korvane-bench-data-compare-" + name)) {
    server_ = "embedded:" + (folder_ / "srv").string();
    std::string error;
    CreateEmbeddedServer(folder_ / "servers", server_, "9.00.5000.00", &error);
  }
  ~Fixture() { fs::remove_all(folder_); }
  Fixture(const Fixture&) = delete;
  Fixture& operator=(const Fixture&) = delete;

  bool Load(const std::string& database, const std::string& script) {
    return LoadScript(folder_ / "servers", server_, database, script).ok;
  }
  std::unique_ptr<ApplicationContext> Context(UserInterface& ui, const Clock& clock) const {
    return bench::EmbeddedServerContext(folder_, server_, ui, clock);
  }

 private:
  fs::path folder_;
  std::string server_;
};

// 200 tables of 10 rows in both databases, one in ten with a changed row.
const Fixture& SmallTables() {
  static std::unique_ptr<Fixture> fixture;
  if (fixture)
    return *fixture;
  fixture = std::make_unique<Fixture>("bulk");
  for (const bool target : {false, true}) {
    std::string script;
    for (int t = 0; t < 200; ++t) {
      const std::string table = "T" + std::to_string(t);
      script += "CREATE TABLE " + table + " (ID int NOT NULL, Name varchar(20) NULL)\r\nGO\r\n";
      for (int id = 1; id <= 10; ++id) {
        const bool changed = target && t % 10 == 0 && id == 5;
        script += "INSERT INTO " + table + " (ID, Name) VALUES (" + std::to_string(id) + ", '" +
                  (changed ? "changed" : "name " + std::to_string(id)) + "')\r\n";
      }
      script += "GO\r\n";
    }
    fixture->Load(target ? "Tgt" : "Src", script);
  }
  return *fixture;
}

void BM_BulkDataCompare200Tables(benchmark::State& state) {
  const Fixture& fixture = SmallTables();
  bench::SilentUserInterface ui;
  SystemClock clock;
  auto context = fixture.Context(ui, clock);
  BulkDataCompareHost host;
  int different = 0;
  for (auto _ : state) {
    const DataCompareSelectiveOutcome outcome =
        DataCompareSelective(*context, 0, "Src", "Tgt", false, host, {}, {});
    if (!outcome.run.completed)
      state.SkipWithError("the bulk run did not complete");
    different = outcome.run.different;
  }
  state.counters["different_tables"] = different;
  // The time per table, printed with its unit ("1.5ms").
  state.counters["per_table"] =
      benchmark::Counter(static_cast<double>(state.iterations() * 200),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.SetItemsProcessed(state.iterations() * 200);
}
BENCHMARK(BM_BulkDataCompare200Tables)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvane

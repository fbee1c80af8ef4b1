// The data view and the data analyzer on one table of 8 columns (1,000,000 rows by default)
// in the embedded SQL Server stand-in, as `korvane-cli view-data` and `analyze-data` run them,
// against SQLite reading the same stored rows as text (the in-process baseline: every column of
// every row through sqlite3_column_text, as `sqlite3 FILE "SELECT * ..." > /dev/null` does).
// first_row_s is the data view's time from the start of its load until its first row is
// loaded; peak_rss_MB the process's peak resident set after the benchmark (run one benchmark
// per process, --benchmark_filter, for a peak of its own).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "app/application_context.h"
#include "app/locations.h"
#include "base/clock.h"
#include "bench_support.h"
#include "dataview/data_analyzer.h"
#include "dataview/data_view.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;

double PeakRssMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// One embedded server holding database Shop with table T of `rows` rows, kept for the program.
class Fixture {
 public:
  explicit Fixture(std::int64_t rows)
      : folder_(bench::ScratchFolder("korvane-bench-dataview-" + std::to_string(rows))) {
    server_ = "embedded:" + (folder_ / "srv").string();
    std::string error;
    CreateEmbeddedServer(folder_ / "servers", server_, "9.00.5000.00", &error);
    ok_ = LoadScript(folder_ / "servers", server_, "Shop",
                     "CREATE TABLE T (ID int NOT NULL, Customer varchar(40) NULL, Product "
                     "varchar(40) NULL, Qty int NULL, Price int NULL, Ordered varchar(20) NULL, "
                     "Note varchar(40) NULL, Flag int NULL)\r\nGO\r\n")
              .ok &&
          Fill(rows);
  }
  ~Fixture() { fs::remove_all(folder_); }

  bool ok() const { return ok_; }
  fs::path File() const { return folder_ / "srv" / "Shop.db"; }
  const std::string& storage_table() const { return storage_table_; }

  std::unique_ptr<ApplicationContext> Context(UserInterface& ui, const Clock& clock) const {
    return bench::EmbeddedServerContext(folder_, server_, ui, clock);
  }

 private:
  // The rows go straight into the table's storage, in one transaction.
  bool Fill(std::int64_t rows) {
    sqlite3* db = nullptr;
    if (sqlite3_open(File().c_str(), &db) != SQLITE_OK)
      return false;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT id FROM sysobjects WHERE name = 'T' COLLATE BINARY", -1,
                           &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
      storage_table_ = "t" + std::to_string(sqlite3_column_int64(statement, 0));
    sqlite3_finalize(statement);
    sqlite3_exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; BEGIN", nullptr, nullptr,
                 nullptr);
    sqlite3_stmt* insert = nullptr;
    const std::string sql = "INSERT INTO " + storage_table_ +
                            " (ID, Customer, Product, Qty, Price, Ordered, Note, Flag) VALUES "
                            "(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)";
    bool ok = sqlite3_prepare_v2(db, sql.c_str(), -1, &insert, nullptr) == SQLITE_OK;
    for (std::int64_t id = 1; ok && id <= rows; ++id) {
      const std::string customer = "Customer " + std::to_string(id * 7 % 1000);
      const std::string product = "Product " + std::to_string(id * 13 % 200);
      const std::string ordered =
          "2024-" + std::to_string(1 + id % 12) + "-" + std::to_string(1 + id % 28);
      const std::string note = "note " + std::to_string(id % 5000);
      sqlite3_bind_int64(insert, 1, id);
      sqlite3_bind_text(insert, 2, customer.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 3, product.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int64(insert, 4, id % 50);
      sqlite3_bind_int64(insert, 5, id * 31 % 997);
      sqlite3_bind_text(insert, 6, ordered.c_str(), -1, SQLITE_TRANSIENT);
      if (id % 10 == 0)
        sqlite3_bind_null(insert, 7);
      else
        sqlite3_bind_text(insert, 7, note.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int64(insert, 8, id % 2);
      ok = sqlite3_step(insert) == SQLITE_DONE;
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return ok && !storage_table_.empty();
  }

  fs::path folder_;
  std::string server_;
  std::string storage_table_;
  bool ok_ = false;
};

const Fixture& Table(std::int64_t rows) {
  static std::unique_ptr<Fixture> made;
  if (!made)
    made = std::make_unique<Fixture>(rows);
  return *made;
}

// Notes when the first row is loaded.
class FirstRowProgress final : public DataViewProgress {
 public:
  explicit FirstRowProgress(std::chrono::steady_clock::time_point start) : start_(start) {}
  void ShowRow(std::int64_t, std::string_view, int, std::string_view) override {}
  void RowLoaded(std::int64_t row) override {
    if (row == 1)
      first_row = std::chrono::steady_clock::now() - start_;
  }
  void ScrollTo(std::int64_t) override {}
  std::chrono::duration<double> first_row{};

 private:
  std::chrono::steady_clock::time_point start_;
};

void BM_SqliteReadsTheRows(benchmark::State& state) {
  const Fixture& fixture = Table(state.range(0));
  if (!fixture.ok()) {
    state.SkipWithError("no table");
    return;
  }
  std::int64_t rows = 0;
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(fixture.File().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, ("SELECT * FROM " + fixture.storage_table()).c_str(), -1, &statement,
                       nullptr);
    std::size_t bytes = 0;
    rows = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
      for (int k = 0; k < sqlite3_column_count(statement); ++k) {
        const unsigned char* text = sqlite3_column_text(statement, k);
        bytes += text == nullptr ? 4 : static_cast<std::size_t>(sqlite3_column_bytes(statement, k));
      }
      ++rows;
    }
    benchmark::DoNotOptimize(bytes);
    sqlite3_finalize(statement);
    sqlite3_close(db);
  }
  state.SetItemsProcessed(state.iterations() * rows);
  state.counters["peak_rss_MB"] = PeakRssMegabytes();
}

void BM_DataViewLoadsTheRows(benchmark::State& state) {
  const Fixture& fixture = Table(state.range(0));
  bench::SilentUserInterface ui;
  SystemClock clock;
  auto context = fixture.Context(ui, clock);
  double first_row = 0;
  std::int64_t loaded = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const CountedTable counted = CountViewedTable(*context, ViewedTable{kSource, "Shop", "T", 0});
    FirstRowProgress progress(start);
    DataViewGrid grid;
    const DataViewRequests requests;
    const DataViewLoad load =
        LoadDataView(*context, counted, "Shop", "T", 0, grid, requests, &progress);
    if (!counted.opened || load.query_failed)
      state.SkipWithError("the table did not load");
    first_row = progress.first_row.count();
    loaded = load.loaded;
    // Every loaded cell as the grid shows it, once.
    std::size_t bytes = 0;
    for (std::int64_t row = 1; row <= grid.LoadedRows(); ++row) {
      for (std::size_t k = 0; k < grid.ColumnCount(); ++k)
        bytes += grid.Cell(row, k).size();
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.SetItemsProcessed(state.iterations() * loaded);
  state.counters["first_row_s"] = first_row;
  state.counters["peak_rss_MB"] = PeakRssMegabytes();
}

void BM_AnalyzerCountsEveryColumn(benchmark::State& state) {
  const Fixture& fixture = Table(state.range(0));
  bench::SilentUserInterface ui;
  SystemClock clock;
  auto context = fixture.Context(ui, clock);
  std::size_t columns = 0;
  for (auto _ : state) {
    const CountedTable counted = CountViewedTable(*context, ViewedTable{kSource, "Shop", "T", 0});
    const AnalyzerRequests requests;
    const AnalyzerRun run =
        RunAnalysis(*context, counted, "Shop", "T", 0, 0, false, requests, nullptr);
    columns = run.rows.size();
  }
  if (columns != 8)
    state.SkipWithError("not every column was analyzed");
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["peak_rss_MB"] = PeakRssMegabytes();
}

constexpr std::int64_t kRows = 1'000'000;
BENCHMARK(BM_SqliteReadsTheRows)->Arg(kRows)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DataViewLoadsTheRows)->Arg(kRows)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_AnalyzerCountsEveryColumn)->Arg(kRows)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace korvane

// Loading a data script into the embedded server: a table of 8 columns (int key, varchar, int,
// float, varchar, datetime, int, varchar) filled by INSERT ... VALUES statements of 1,000 rows,
// each followed by GO, as script generators write them (and once more without any GO line). The
// script (1,000,000 rows, about 80 MB) is generated once into the benchmark's own temp folder.
// Beside it, plain SQLite storing the same rows through one prepared statement in one
// transaction, for scale. Items processed = rows; largest_buffer_KB is the loader's own figure of
// the script bytes it held at once; peak_rss_MB is the process's peak resident set (getrusage).
// Run one benchmark per process (--benchmark_filter) under /usr/bin/time -v to compare peaks, and
// quote each time as a ratio against the baseline run in the same session.
//   KORVANE_BENCH_LOAD_ROWS overrides the row count.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/files.h"
#include "bench_support.h"
#include "db/embedded/script_loader.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRowsPerInsert = 1000;

std::int64_t RowCount() {
  const char* text = std::getenv("KORVANE_BENCH_LOAD_ROWS");
  const long long rows = text ? std::atoll(text) : 0;
  return rows > 0 ? rows : 1000000;
}

double PeakRssMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

// The values of row `id`, shared by the script and the SQLite baseline.
struct RowValues {
  std::string customer, product, ordered, note;
  std::int64_t qty, flag;
  double price;
  explicit RowValues(std::int64_t id)
      : customer("Customer " + std::to_string(id * 7 % 1000)),
        product("Product " + std::to_string(id * 13 % 200)),
        ordered("2024-" + std::string(id % 12 < 9 ? "0" : "") + std::to_string(1 + id % 12) + "-" +
                std::string(id % 28 < 9 ? "0" : "") + std::to_string(1 + id % 28) +
                " 10:" + std::to_string(10 + id % 50) + ":00"),
        note("note " + std::to_string(id) + (id % 3 == 0 ? " it's checked" : "")),
        qty(id % 50),
        flag(id % 2),
        price(static_cast<double>(id % 997) + 0.25) {}
};

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'')
      out += '\'';
  }
  return out + "'";
}

class ScriptFixture {
 public:
  // `go_lines`: a GO after every INSERT; else the whole script is one batch.
  explicit ScriptFixture(bool go_lines)
      : folder_(korvane::bench::ScratchFolder(go_lines ? "korvane-bench-script-load"
                                                       : "korvane-bench-script-load-one-batch")) {
    // The server exists before the timed loads, as it does for a user loading a script.
    std::string error;
    korvane::CreateEmbeddedServer(Servers(), "srv", "9.00.5000.00", &error);
    std::ofstream out(ScriptFile(), std::ios::binary);
    out << "CREATE TABLE dbo.Orders (ID int NOT NULL PRIMARY KEY, Customer varchar(40) NULL, "
           "Qty int NULL, Price float NULL, Product varchar(40) NULL, Ordered datetime NULL, "
           "Flag int NULL, Note varchar(60) NULL)\r\nGO\r\n";
    const std::int64_t rows = RowCount();
    for (std::int64_t first = 1; first <= rows; first += kRowsPerInsert) {
      std::string statement =
          "INSERT INTO dbo.Orders (ID, Customer, Qty, Price, Product, Ordered, Flag, Note) "
          "VALUES\r\n";
      for (std::int64_t id = first; id < first + kRowsPerInsert && id <= rows; ++id) {
        const RowValues v(id);
        char price[32];
        std::snprintf(price, sizeof price, "%.2f", v.price);
        statement += (id == first ? "(" : ",(") + std::to_string(id) + ", " + Quoted(v.customer) +
                     ", " + std::to_string(v.qty) + ", " + price + ", " + Quoted(v.product) + ", " +
                     Quoted(v.ordered) + ", " + std::to_string(v.flag) + ", " + Quoted(v.note) +
                     ")\r\n";
      }
      out << statement << (go_lines ? "GO\r\n" : "");
    }
  }
  ~ScriptFixture() { fs::remove_all(folder_); }

  fs::path ScriptFile() const { return folder_ / "orders.sql"; }
  fs::path Servers() const { return folder_ / "servers"; }
  fs::path Folder() const { return folder_; }

 private:
  fs::path folder_;
};

ScriptFixture& Script() {
  static ScriptFixture fixture(true);
  return fixture;
}

ScriptFixture& OneBatchScript() {
  static ScriptFixture fixture(false);
  return fixture;
}

void Report(benchmark::State& state) {
  state.counters["rows/s"] =
      benchmark::Counter(static_cast<double>(RowCount()), benchmark::Counter::kIsRate);
  state.counters["peak_rss_MB"] = PeakRssMegabytes();
  state.SetItemsProcessed(state.iterations() * RowCount());
}

// The whole file in memory, handed over as one text.
void BM_LoadWholeScript(benchmark::State& state) {
  ScriptFixture& script = Script();
  int round = 0;
  for (auto _ : state) {
    const auto text = korvane::ReadWholeFile(script.ScriptFile());
    const auto result = korvane::LoadScript(script.Servers(), "srv",
                                            "Whole" + std::to_string(round++), text.value_or(""));
    if (!result.ok)
      state.SkipWithError(result.message.c_str());
  }
  Report(state);
}
BENCHMARK(BM_LoadWholeScript)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// As `korvane-cli load` runs now: the file read in pieces, one batch at a time.
void BM_LoadScriptInPieces(benchmark::State& state) {
  ScriptFixture& script = Script();
  int round = 0;
  for (auto _ : state) {
    std::ifstream in(script.ScriptFile(), std::ios::binary);
    const auto result =
        korvane::LoadScript(script.Servers(), "srv", "Pieces" + std::to_string(round++), in);
    if (!result.ok)
      state.SkipWithError(result.message.c_str());
    state.counters["largest_buffer_KB"] = static_cast<double>(result.largest_buffer) / 1024.0;
  }
  Report(state);
}
BENCHMARK(BM_LoadScriptInPieces)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_LoadOneBatchWholeScript(benchmark::State& state) {
  ScriptFixture& script = OneBatchScript();
  int round = 0;
  for (auto _ : state) {
    const auto text = korvane::ReadWholeFile(script.ScriptFile());
    const auto result = korvane::LoadScript(
        script.Servers(), "srv", "OneBatchWhole" + std::to_string(round++), text.value_or(""));
    if (!result.ok)
      state.SkipWithError(result.message.c_str());
  }
  Report(state);
}
BENCHMARK(BM_LoadOneBatchWholeScript)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The same rows without GO lines: one batch of 1,000 INSERT statements per 1,000,000 rows.
void BM_LoadOneBatchScriptInPieces(benchmark::State& state) {
  ScriptFixture& script = OneBatchScript();
  int round = 0;
  for (auto _ : state) {
    std::ifstream in(script.ScriptFile(), std::ios::binary);
    const auto result =
        korvane::LoadScript(script.Servers(), "srv", "OneBatch" + std::to_string(round++), in);
    if (!result.ok)
      state.SkipWithError(result.message.c_str());
    state.counters["largest_buffer_KB"] = static_cast<double>(result.largest_buffer) / 1024.0;
  }
  Report(state);
}
BENCHMARK(BM_LoadOneBatchScriptInPieces)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

void BM_LoadBaselineSqlite(benchmark::State& state) {
  ScriptFixture& script = Script();
  int round = 0;
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open((script.Folder() / ("plain" + std::to_string(round++) + ".db")).c_str(), &db);
    sqlite3_exec(db,
                 "CREATE TABLE Orders (ID integer PRIMARY KEY, Customer text, Qty integer, "
                 "Price real, Product text, Ordered text, Flag integer, Note text); BEGIN",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Orders VALUES (?, ?, ?, ?, ?, ?, ?, ?)", -1, &insert,
                       nullptr);
    for (std::int64_t id = 1; id <= RowCount(); ++id) {
      const RowValues v(id);
      sqlite3_bind_int64(insert, 1, id);
      sqlite3_bind_text(insert, 2, v.customer.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int64(insert, 3, v.qty);
      sqlite3_bind_double(insert, 4, v.price);
      sqlite3_bind_text(insert, 5, v.product.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 6, v.ordered.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int64(insert, 7, v.flag);
      sqlite3_bind_text(insert, 8, v.note.c_str(), -1, SQLITE_TRANSIENT);
      if (sqlite3_step(insert) != SQLITE_DONE)
        state.SkipWithError(sqlite3_errmsg(db));
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  Report(state);
}
BENCHMARK(BM_LoadBaselineSqlite)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

// Whole data comparison runs on the embedded SQL Server stand-in, as `korvane-cli compare-data`
// makes them (count both tables, read them through run command, compare): two tables of 8
// columns with 1% of the rows changed, 0.5% missing from the Target and 0.5% extra in it, by key
// and record by record; the same two database files compared by SQLite's `sqldiff --table`
// (package sqlite3-tools) for scale (sqldiff cannot read the stand-in's tables, whose text columns
// use the engine's own collation, so it compares plain SQLite copies with the same rows); and the
// bulk comparison of 200 small tables, for the per-table overhead. Items processed = Source records
// (or tables). peak_rss_MB is the process's peak resident set (getrusage) after the benchmark, so
// it only grows from one benchmark to the next. CPU time is that of every thread of the process
// (the reader threads' too). sqldiff runs as a child process: its CPU seconds are the counter
// cpu_s; measure its peak with /usr/bin/time -v.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "app/application_context.h"
#include "app/locations.h"
#include "base/clock.h"
#include "base/user_interface.h"
#include "bench_support.h"
#include "datacomp/bulk_data_compare.h"
#include "datacomp/compare_status.h"
#include "datacomp/data_compare.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kCreateTable =
    "CREATE TABLE T (ID int NOT NULL, Customer varchar(40) NULL, Product varchar(40) NULL, "
    "Qty int NULL, Price int NULL, Ordered varchar(20) NULL, Note varchar(40) NULL, "
    "Flag int NULL)\r\nGO\r\n";

double PeakRssMegabytes(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

// One embedded server with the databases Src and Tgt, kept for the whole program.
class Fixture {
 public:
  explicit Fixture(std::string name)
      : folder_(fs::temp_directory_path() / ("korvane-bench-data-compare-" + name)) {
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    server_ = "embedded:" + (folder_ / "srv").string();
    std::string error;
    CreateEmbeddedServer(folder_ / "servers", server_, "9.00.5000.00", &error);
  }
  ~Fixture() { fs::remove_all(folder_); }

  bool Load(const std::string& database, const std::string& script) {
    return LoadScript(folder_ / "servers", server_, database, script).ok;
  }
  fs::path DatabaseFile(const std::string& database) const {
    return folder_ / "srv" / (database + ".db");
  }
  // The plain SQLite copy of a database's table T, for sqldiff.
  fs::path PlainFile(const std::string& database) const {
    return folder_ / (database + "-plain.db");
  }
  // The storage table of T in a database file ("t" + its object id).
  std::string StorageTable(const std::string& database) const {
    sqlite3* db = nullptr;
    std::string name;
    if (sqlite3_open(DatabaseFile(database).c_str(), &db) == SQLITE_OK) {
      sqlite3_stmt* statement = nullptr;
      if (sqlite3_prepare_v2(db, "SELECT id FROM sysobjects WHERE name = 'T' COLLATE BINARY", -1,
                             &statement, nullptr) == SQLITE_OK &&
          sqlite3_step(statement) == SQLITE_ROW) {
        name = "t" + std::to_string(sqlite3_column_int64(statement, 0));
      }
      sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return name;
  }

  std::unique_ptr<ApplicationContext> Context(UserInterface& ui, const Clock& clock) const {
    return bench::EmbeddedServerContext(folder_, server_, ui, clock);
  }

 private:
  fs::path folder_;
  std::string server_;
};

// Rows straight into a table, in one transaction, with the rowid equal to ID (so that sqldiff
// pairs the rows by ID as the key method does).
bool FillRows(const fs::path& file, const std::string& table, std::int64_t rows, bool target,
              bool create) {
  sqlite3* db = nullptr;
  if (sqlite3_open(file.c_str(), &db) != SQLITE_OK)
    return false;
  sqlite3_exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; BEGIN", nullptr, nullptr,
               nullptr);
  if (create) {
    sqlite3_exec(db,
                 ("CREATE TABLE " + table +
                  " (ID int NOT NULL, Customer varchar(40), Product varchar(40), Qty int, Price "
                  "int, Ordered varchar(20), Note varchar(40), Flag int)")
                     .c_str(),
                 nullptr, nullptr, nullptr);
  }
  sqlite3_stmt* insert = nullptr;
  const std::string sql = "INSERT INTO " + table + " (rowid, ID, Customer, Product, Qty, Price, " +
                          "Ordered, Note, Flag) VALUES (?1, ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)";
  bool ok = sqlite3_prepare_v2(db, sql.c_str(), -1, &insert, nullptr) == SQLITE_OK;
  const auto add = [&](std::int64_t id, bool changed) {
    const std::string customer = "Customer " + std::to_string(id * 7 % 1000);
    const std::string product = "Product " + std::to_string(id * 13 % 200);
    const std::string ordered =
        "2024-" + std::to_string(1 + id % 12) + "-" + std::to_string(1 + id % 28);
    const std::string note = "note " + std::to_string(id);
    sqlite3_bind_int64(insert, 1, id);
    sqlite3_bind_text(insert, 2, customer.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 3, product.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert, 4, id % 50 + (changed ? 1 : 0));
    sqlite3_bind_int64(insert, 5, id * 31 % 997);
    sqlite3_bind_text(insert, 6, ordered.c_str(), -1, SQLITE_TRANSIENT);
    if (id % 10 == 0)
      sqlite3_bind_null(insert, 7);
    else
      sqlite3_bind_text(insert, 7, note.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert, 8, id % 2);
    ok = ok && sqlite3_step(insert) == SQLITE_DONE;
    sqlite3_reset(insert);
  };
  for (std::int64_t id = 1; ok && id <= rows; ++id) {
    if (target && id % 200 == 7)
      continue;  // missing from the Target
    add(id, target && id % 100 == 3);
    if (target && id % 200 == 11)
      add(rows + id, false);  // only in the Target
  }
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return ok;
}

const Fixture& LargeTables(std::int64_t rows) {
  static std::map<std::int64_t, std::unique_ptr<Fixture>> made;
  auto& fixture = made[rows];
  if (fixture)
    return *fixture;
  fixture = std::make_unique<Fixture>(std::to_string(rows));
  for (const std::string database : {"Src", "Tgt"}) {
    const bool target = database == "Tgt";
    if (!fixture->Load(database, std::string(kCreateTable)) ||
        !FillRows(fixture->DatabaseFile(database), fixture->StorageTable(database), rows, target,
                  false) ||
        !FillRows(fixture->PlainFile(database), "T", rows, target, true)) {
      std::fprintf(stderr, "could not build the %s tables of %lld rows\n", database.c_str(),
                   static_cast<long long>(rows));
    }
  }
  return *fixture;
}

void CompareLargeTables(benchmark::State& state, std::int32_t method) {
  const Fixture& fixture = LargeTables(state.range(0));
  bench::SilentUserInterface ui;
  SystemClock clock;
  auto context = fixture.Context(ui, clock);
  DataCompareRequest request;
  request.tables = {DataCompareTable{"Src", "T", 0}, DataCompareTable{"Tgt", "T", 0}};
  request.options.options.CompMethod = method;
  for (auto& side : request.options.options.sides)
    side.key_columns = {"ID", "No Field", "No Field"};
  request.unattended = true;
  request.track_differences = false;
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
  state.counters["peak_rss_MB"] = PeakRssMegabytes(RUSAGE_SELF);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_DataCompareByKey(benchmark::State& state) {
  CompareLargeTables(state, 1);
}
BENCHMARK(BM_DataCompareByKey)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(1)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

void BM_DataCompareRecordByRecord(benchmark::State& state) {
  CompareLargeTables(state, 0);
}
BENCHMARK(BM_DataCompareRecordByRecord)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(1)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

void BM_Sqldiff(benchmark::State& state) {
  if (std::system("command -v sqldiff > /dev/null 2>&1") != 0) {
    state.SkipWithError("sqldiff is not installed (package sqlite3-tools)");
    return;
  }
  const Fixture& fixture = LargeTables(state.range(0));
  const std::string command = "sqldiff --table T '" + fixture.PlainFile("Src").string() + "' '" +
                              fixture.PlainFile("Tgt").string() + "' > /dev/null";
  const auto child_cpu_seconds = [] {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) {
      return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
  };
  const double cpu_before = child_cpu_seconds();
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0)
      state.SkipWithError("sqldiff failed");
  }
  state.counters["cpu_s"] = child_cpu_seconds() - cpu_before;
  state.counters["rows_per_s"] = benchmark::Counter(
      static_cast<double>(state.iterations() * state.range(0)), benchmark::Counter::kIsRate);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Sqldiff)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

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
  state.counters["ms_per_table"] =
      benchmark::Counter(static_cast<double>(state.iterations() * 200) / 1000.0,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.SetItemsProcessed(state.iterations() * 200);
}
BENCHMARK(BM_BulkDataCompare200Tables)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvane

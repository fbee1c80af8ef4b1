// Database information of a database with many tables of 1,000 rows each on the embedded SQL
// Server stand-in, as `korvane-cli dbinfo` builds it (list each kind, count every table through
// the record counter), against the baseline of plain SQLite counting the same tables of a plain
// copy one query each. Items processed = tables.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "db/embedded/script_loader.h"
#include "tools/database_info.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;

constexpr int kRowsPerTable = 1000;

std::string TableName(int index) {
  char name[16];
  std::snprintf(name, sizeof name, "T%05d", index);
  return name;
}

bool Exec(sqlite3* db, const std::string& sql) {
  return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// `rows` rows into each named storage table, in one transaction.
bool FillTables(const fs::path& file, const std::vector<std::string>& tables, bool create) {
  sqlite3* db = nullptr;
  if (sqlite3_open(file.c_str(), &db) != SQLITE_OK)
    return false;
  bool ok = Exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; BEGIN");
  for (const std::string& table : tables) {
    if (create)
      ok = ok && Exec(db, "CREATE TABLE " + table + " (id int NOT NULL)");
    ok =
        ok && Exec(db, "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < " +
                           std::to_string(kRowsPerTable) + ") INSERT INTO " + table +
                           " (id) SELECT x FROM n");
  }
  ok = ok && Exec(db, "COMMIT");
  sqlite3_close(db);
  return ok;
}

// The storage tables ("t" + object id) of every user table of an embedded database file.
std::vector<std::string> StorageTables(const fs::path& file) {
  std::vector<std::string> tables;
  sqlite3* db = nullptr;
  if (sqlite3_open(file.c_str(), &db) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT id FROM sysobjects WHERE xtype = 'U'", -1, &statement,
                           nullptr) == SQLITE_OK) {
      while (sqlite3_step(statement) == SQLITE_ROW)
        tables.push_back("t" + std::to_string(sqlite3_column_int64(statement, 0)));
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return tables;
}

// One embedded server with database Inv of `tables` tables, and its plain SQLite twin.
class Fixture {
 public:
  explicit Fixture(int tables)
      : folder_(bench::ScratchFolder("korvane-bench-dbinfo-" + std::to_string(tables))) {
    server_ = "embedded:" + (folder_ / "srv").string();
    std::string error;
    CreateEmbeddedServer(folder_ / "servers", server_, "9.00.5000.00", &error);
    std::string script;
    std::vector<std::string> plain;
    for (int index = 1; index <= tables; ++index) {
      script += "CREATE TABLE " + TableName(index) + " (id int NOT NULL)\nGO\n";
      plain.push_back(TableName(index));
    }
    ok_ =
        LoadScript(folder_ / "servers", server_, "Inv", script).ok &&
        FillTables(folder_ / "srv" / "Inv.db", StorageTables(folder_ / "srv" / "Inv.db"), false) &&
        FillTables(PlainFile(), plain, true);
    if (!ok_)
      std::fprintf(stderr, "could not build the database of %d tables\n", tables);
  }
  ~Fixture() { fs::remove_all(folder_); }

  bool ok() const { return ok_; }
  fs::path PlainFile() const { return folder_ / "plain.db"; }

  std::unique_ptr<bench::BenchContext> Context() const {
    auto context = std::make_unique<bench::BenchContext>(folder_ / "p");
    context->context.backends.embedded = std::make_shared<EmbeddedBackend>(folder_ / "servers");
    ServerRecord& source = context->context.CurrentServers[kSource];
    source.Name = server_;
    source.Version = "9.00.5000.00";
    source.NumVersion = 9;
    return context;
  }

 private:
  fs::path folder_;
  std::string server_;
  bool ok_ = false;
};

const Fixture& Tables(int count) {
  static std::map<int, std::unique_ptr<Fixture>> made;
  auto& fixture = made[count];
  if (!fixture)
    fixture = std::make_unique<Fixture>(count);
  return *fixture;
}

class NoProgress final : public DatabaseInfoProgress {
 public:
  void RefreshTime() override {}
  void ShowStatus(int, std::string_view) override {}
};

void DatabaseInformation(benchmark::State& state) {
  const Fixture& fixture = Tables(static_cast<int>(state.range(0)));
  if (!fixture.ok()) {
    state.SkipWithError("no database");
    return;
  }
  auto bench = fixture.Context();
  NoProgress progress;
  for (auto _ : state) {
    const DatabaseInfoOutcome outcome =
        BuildDatabaseInfo(bench->context, bench->context.CurrentServers[kSource], "Inv", progress);
    if (!outcome.completed || outcome.failed)
      state.SkipWithError("the inventory failed");
    benchmark::DoNotOptimize(outcome.report.size());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The baseline: one COUNT(*) query per table on a plain SQLite file.
void PlainSqliteCounts(benchmark::State& state) {
  const int tables = static_cast<int>(state.range(0));
  const Fixture& fixture = Tables(tables);
  sqlite3* db = nullptr;
  if (!fixture.ok() || sqlite3_open(fixture.PlainFile().c_str(), &db) != SQLITE_OK) {
    state.SkipWithError("no database");
    return;
  }
  for (auto _ : state) {
    std::int64_t total = 0;
    for (int index = 1; index <= tables; ++index) {
      sqlite3_stmt* statement = nullptr;
      const std::string sql = "SELECT COUNT(*) FROM " + TableName(index);
      if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
          sqlite3_step(statement) == SQLITE_ROW)
        total += sqlite3_column_int64(statement, 0);
      sqlite3_finalize(statement);
    }
    if (total != static_cast<std::int64_t>(tables) * kRowsPerTable)
      state.SkipWithError("wrong counts");
  }
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(PlainSqliteCounts)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(DatabaseInformation)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvane

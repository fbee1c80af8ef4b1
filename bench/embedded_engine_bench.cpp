// The embedded server's own speed, each figure beside a baseline measured in the same run:
//   - loading a creation script of 1,000 tables and 500 modules, against plain SQLite running
//     the same CREATE TABLE statements in one transaction;
//   - bulk loading rows into one table through INSERT batches, against a plain SQLite prepared
//     insert in one transaction (rows per second in the "rows/s" counter);
//   - the table structure reader's column query on a database of 1,000 tables, against SQLite
//     answering a join of the same shape on its own tables.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "bench_support.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTables = 1000;
constexpr int kModules = 500;

std::string TableScript(int tables) {
  std::string script;
  for (int i = 0; i < tables; ++i) {
    const std::string n = std::to_string(i);
    script += "CREATE TABLE dbo.T" + n + " (ID int IDENTITY(1,1) NOT NULL CONSTRAINT PK_T" + n +
              " PRIMARY KEY, Code varchar(20) NOT NULL, Name nvarchar(100) NULL, "
              "Amount money NULL DEFAULT 0, Created datetime NOT NULL DEFAULT getdate())\nGO\n";
  }
  return script;
}

std::string ModuleScript(int modules) {
  std::string script;
  for (int i = 0; i < modules; ++i) {
    const std::string n = std::to_string(i);
    const std::string table = "dbo.T" + std::to_string(i % kTables);
    if (i % 2 == 0)
      script += "-- Lists the rows of " + table + "\r\nCREATE PROCEDURE dbo.P" + n +
                " @Code varchar(20) AS\r\nSELECT ID, Name FROM " + table +
                " WHERE Code = @Code\r\nGO\n";
    else
      script += "CREATE VIEW dbo.V" + n + " AS SELECT ID, Code, Amount FROM " + table + "\nGO\n";
  }
  return script;
}

struct Scratch {
  fs::path root;
  explicit Scratch(const std::string& name)
      : root(korvane::bench::ScratchFolder("korvane-bench-engine-" + name)) {}
  ~Scratch() { fs::remove_all(root); }
};

void Exec(sqlite3* db, const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string text = message ? message : "?";
    sqlite3_free(message);
    throw std::runtime_error(text);
  }
}

// --- loading a script of 1,000 tables and 500 modules ---

void BM_LoadScript(benchmark::State& state) {
  Scratch scratch("load");
  const std::string script = TableScript(kTables) + ModuleScript(kModules);
  int round = 0;
  for (auto _ : state) {
    const auto result =
        korvane::LoadScript(scratch.root, "srv", "Db" + std::to_string(round++), script);
    if (!result.ok)
      state.SkipWithError(result.message.c_str());
  }
  state.counters["objects/s"] =
      benchmark::Counter(kTables + kModules, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LoadScript)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadScriptBaselineSqlite(benchmark::State& state) {
  Scratch scratch("load-base");
  std::string script;
  for (int i = 0; i < kTables; ++i)
    script += "CREATE TABLE T" + std::to_string(i) +
              " (ID integer PRIMARY KEY, Code text NOT NULL, Name text, Amount real DEFAULT 0, "
              "Created text NOT NULL DEFAULT CURRENT_TIMESTAMP);";
  for (int i = 0; i < kModules; ++i)
    script += "CREATE VIEW V" + std::to_string(i) + " AS SELECT ID, Code, Amount FROM T" +
              std::to_string(i % kTables) + ";";
  int round = 0;
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open((scratch.root / ("b" + std::to_string(round++) + ".db")).c_str(), &db);
    Exec(db, "BEGIN;" + script + "COMMIT;");
    sqlite3_close(db);
  }
  state.counters["objects/s"] =
      benchmark::Counter(kTables + kModules, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LoadScriptBaselineSqlite)->Unit(benchmark::kMillisecond)->Iterations(3);

// --- bulk loading rows into one table ---

constexpr int kRowsPerStatement = 1000;  // SQL Server's limit for one VALUES list

std::string InsertBatch(int rows, int first) {
  std::string batch;
  for (int done = 0; done < rows; done += kRowsPerStatement) {
    batch += "INSERT INTO dbo.Items (ID, Code, Name, Amount) VALUES ";
    for (int i = 0; i < kRowsPerStatement && done + i < rows; ++i) {
      const std::string n = std::to_string(first + done + i);
      batch += (i ? ", (" : "(") + n + ", 'C" + n + "', N'Item number " + n + "', " + n + ".25)";
    }
    batch += "\n";
  }
  return batch;
}

void BM_BulkInsert(benchmark::State& state) {
  Scratch scratch("bulk");
  const int rows = static_cast<int>(state.range(0));
  korvane::LoadScript(scratch.root, "srv", "Bulk",
                      "CREATE TABLE dbo.Items (ID int NOT NULL PRIMARY KEY, Code varchar(20) NOT "
                      "NULL, Name nvarchar(100) NULL, Amount money NULL)\n");
  korvane::EmbeddedBackend backend(scratch.root);
  korvane::ConnectionRequest request;
  request.server = "embedded:srv";
  request.database = "Bulk";
  auto session = backend.Open(request).session;
  if (!session) {
    state.SkipWithError("cannot open");
    return;
  }
  int first = 0;
  for (auto _ : state) {
    state.PauseTiming();
    korvane::CommandRequest command;
    command.timeout_seconds = 0;
    command.text = InsertBatch(rows, first);
    first += rows;
    state.ResumeTiming();
    const auto outcome = session->Execute(command);
    if (!outcome.ok)
      state.SkipWithError(outcome.errors.at(0).text.c_str());
  }
  state.counters["rows/s"] =
      benchmark::Counter(rows, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_BulkInsert)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BulkInsertBaselineSqlite(benchmark::State& state) {
  Scratch scratch("bulk-base");
  const int rows = static_cast<int>(state.range(0));
  sqlite3* db = nullptr;
  sqlite3_open((scratch.root / "bulk.db").c_str(), &db);
  Exec(db,
       "CREATE TABLE Items (ID integer PRIMARY KEY, Code text NOT NULL, Name text, Amount "
       "real)");
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO Items VALUES (?, ?, ?, ?)", -1, &insert, nullptr);
  int first = 0;
  for (auto _ : state) {
    Exec(db, "BEGIN");
    for (int i = 0; i < rows; ++i) {
      const std::string n = std::to_string(first + i);
      const std::string code = "C" + n;
      const std::string name = "Item number " + n;
      sqlite3_bind_int64(insert, 1, first + i);
      sqlite3_bind_text(insert, 2, code.c_str(), static_cast<int>(code.size()), SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 3, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
      sqlite3_bind_double(insert, 4, first + i + 0.25);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    Exec(db, "COMMIT");
    first += rows;
  }
  sqlite3_finalize(insert);
  sqlite3_close(db);
  state.counters["rows/s"] =
      benchmark::Counter(rows, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_BulkInsertBaselineSqlite)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// --- the column query on a database of 1,000 tables ---

std::string ColumnQuery(const std::string& table) {
  return "SELECT sco.[name] AS [column], sco.autoval, sco.isnullable, "
         "sco.length, sco.prec, sco.scale, sty.[name] AS datatype, "
         "ident_seed('" +
         table + "') AS identityseed, ident_incr('" + table +
         "') AS identityincrement, "
         "isID=case when sco.status&128=0 then '' else 'Y' end "
         "FROM sysobjects sob INNER JOIN syscolumns sco ON sob.id = sco.id "
         "INNER JOIN systypes sty ON sco.xtype = sty.xtype AND sco.xusertype = sty.xusertype "
         "WHERE sob.name = '" +
         table + "' ORDER BY sco.colorder";
}

struct ThousandTables {
  Scratch scratch{"columns"};
  ThousandTables() { korvane::LoadScript(scratch.root, "srv", "Big", TableScript(kTables)); }
};

void BM_ColumnQuery(benchmark::State& state) {
  ThousandTables server;
  korvane::EmbeddedBackend backend(server.scratch.root);
  korvane::ConnectionRequest request;
  request.server = "embedded:srv";
  request.database = "Big";
  auto session = backend.Open(request).session;
  korvane::CommandRequest command;
  command.text = ColumnQuery("T500");
  for (auto _ : state) {
    const auto outcome = session->Execute(command);
    if (!outcome.ok || outcome.result_sets.at(0).rows.size() != 5)
      state.SkipWithError("wrong answer");
  }
}
BENCHMARK(BM_ColumnQuery)->Unit(benchmark::kMicrosecond);

// The same query through Open, as the program runs it (one connection per command).
void BM_ColumnQueryWithOpen(benchmark::State& state) {
  ThousandTables server;
  korvane::EmbeddedBackend backend(server.scratch.root);
  korvane::ConnectionRequest request;
  request.server = "embedded:srv";
  request.database = "Big";
  korvane::CommandRequest command;
  command.text = ColumnQuery("T500");
  for (auto _ : state) {
    auto session = backend.Open(request).session;
    benchmark::DoNotOptimize(session->Execute(command));
  }
}
BENCHMARK(BM_ColumnQueryWithOpen)->Unit(benchmark::kMicrosecond);

void BM_ColumnQueryBaselineSqlite(benchmark::State& state) {
  Scratch scratch("columns-base");
  sqlite3* db = nullptr;
  sqlite3_open((scratch.root / "cols.db").c_str(), &db);
  Exec(db,
       "CREATE TABLE objs (id integer PRIMARY KEY, name text COLLATE NOCASE);"
       "CREATE INDEX objs_name ON objs (name);"
       "CREATE TABLE cols (id integer, colid integer, name text, xtype integer, "
       "PRIMARY KEY (id, colid));"
       "CREATE TABLE types (xtype integer PRIMARY KEY, name text);");
  Exec(db, "BEGIN");
  for (int i = 0; i < kTables; ++i) {
    Exec(db,
         "INSERT INTO objs VALUES (" + std::to_string(i + 1) + ", 'T" + std::to_string(i) + "')");
    for (int c = 1; c <= 5; ++c)
      Exec(db, "INSERT INTO cols VALUES (" + std::to_string(i + 1) + ", " + std::to_string(c) +
                   ", 'c" + std::to_string(c) + "', " + std::to_string(c) + ")");
  }
  for (int t = 1; t <= 5; ++t)
    Exec(db, "INSERT INTO types VALUES (" + std::to_string(t) + ", 't')");
  Exec(db, "COMMIT");
  const std::string sql =
      "SELECT c.name, t.name FROM objs o JOIN cols c ON o.id = c.id JOIN types t ON "
      "c.xtype = t.xtype WHERE o.name = 'T500' ORDER BY c.colid";
  for (auto _ : state) {
    // Prepared each time: the engine translates and prepares each query it is sent.
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    int rows = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW)
      ++rows;
    sqlite3_finalize(stmt);
    benchmark::DoNotOptimize(rows);
  }
  sqlite3_close(db);
}
BENCHMARK(BM_ColumnQueryBaselineSqlite)->Unit(benchmark::kMicrosecond);

}  // namespace

// The ODBC backend's speed (unixODBC and FreeTDS against the TDS listener), each figure beside a
// baseline measured in the same run:
//   - a one-row catalogue query with the pool's connection against a fresh connection each time
//     ("queries/s": the pool's gain);
//   - SELECT * of a 1,000,000-row table read by the backend against unixODBC's own isql reading
//     it through the same driver and listener (output to /dev/null) ("rows/s").
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "db/odbc/odbc_backend.h"
#include "db/tds/tds_listener.h"

namespace {

namespace fs = std::filesystem;
using namespace korvane;

constexpr int kRows = 1000000;

// One embedded server with the table Big (1,000,000 rows) and a listener serving it.
struct Fixture {
  fs::path root = fs::temp_directory_path() / "korvane-bench-odbc";
  std::string server = "embedded:" + (root / "srv").string();
  EmbeddedBackend backend{root / "servers"};
  std::unique_ptr<tds::TdsListener> listener;

  Fixture() {
    fs::remove_all(root);
    std::string numbers = "CREATE TABLE Numbers (N int NOT NULL PRIMARY KEY)\nGO\n";
    for (int n = 0; n < 1000; ++n)
      numbers += "INSERT INTO Numbers VALUES (" + std::to_string(n) + ")\n";
    numbers +=
        "GO\nCREATE TABLE Big (Id int NOT NULL PRIMARY KEY, Name nvarchar(30) NULL, "
        "Amount money NULL, Made datetime NULL)\nGO\n"
        "INSERT INTO Big (Id, Name, Amount, Made) SELECT a.N * 1000 + b.N, N'name of a row', "
        "12.5, '2024-02-29 13:45:30' FROM Numbers a, Numbers b\nGO\n";
    const auto loaded = LoadScript(root / "servers", server, "bench", numbers);
    if (!loaded.ok)
      throw std::runtime_error(loaded.message);
    tds::ServerOptions options;
    options.port = 0;
    options.server = server;
    options.server_label = "bench";
    options.login = "sa";
    options.password = "x";
    listener = std::make_unique<tds::TdsListener>(backend, options);
    std::string error;
    if (!listener->Start(&error))
      throw std::runtime_error(error);
  }
  ~Fixture() {
    listener->Stop();
    fs::remove_all(root);
  }

  ConnectionRequest Request() const {
    ConnectionRequest request;
    request.server = "127.0.0.1," + std::to_string(listener->port());
    request.database = "bench";
    request.sql_auth = true;
    request.login = "sa";
    request.password = "x";
    return request;
  }
};

Fixture& Shared() {
  static Fixture fixture;  // built once for every benchmark of this program
  return fixture;
}

// Opens a session (from the pool when it has one) and runs `sql`; the rows it returned.
std::size_t Rows(OdbcBackend& backend, const ConnectionRequest& request, const std::string& sql) {
  auto opened = backend.Open(request);
  if (!opened.session)
    throw std::runtime_error("cannot connect through ODBC");
  CommandRequest command;
  command.text = sql;
  command.timeout_seconds = 0;
  const CommandOutcome outcome = opened.session->Execute(command);
  if (!outcome.ok || outcome.result_sets.empty())
    throw std::runtime_error("the query failed");
  return outcome.result_sets[0].rows.size();
}

constexpr const char* kCatalogueQuery = "SELECT name FROM sysobjects WHERE name = 'Big'";

void BM_CatalogueQuery_Pooled(benchmark::State& state) {
  Fixture& fixture = Shared();
  OdbcBackend backend({"FreeTDS", ""});
  for (auto _ : state)
    benchmark::DoNotOptimize(Rows(backend, fixture.Request(), kCatalogueQuery));
  state.counters["queries/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_CatalogueQuery_FreshConnection(benchmark::State& state) {
  Fixture& fixture = Shared();
  for (auto _ : state) {
    OdbcBackend backend({"FreeTDS", ""});  // its pool, and the connection, go with it
    benchmark::DoNotOptimize(Rows(backend, fixture.Request(), kCatalogueQuery));
  }
  state.counters["queries/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_SelectAll_OdbcBackend(benchmark::State& state) {
  Fixture& fixture = Shared();
  OdbcBackend backend({"FreeTDS", ""});
  std::size_t rows = 0;
  for (auto _ : state)
    rows += Rows(backend, fixture.Request(), "SELECT * FROM Big");
  state.counters["rows/s"] =
      benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
}

void BM_SelectAll_Isql(benchmark::State& state) {
  Fixture& fixture = Shared();
  const std::string command =
      "echo 'SELECT * FROM Big' | isql -b -q -k "
      "'Driver=FreeTDS;Server=127.0.0.1;Port=" +
      std::to_string(fixture.listener->port()) +
      ";Database=bench;UID=sa;PWD=x;TDS_Version=7.4;ClientCharset=UTF-8' >/dev/null 2>&1";
  for (auto _ : state)
    if (std::system(command.c_str()) != 0)
      state.SkipWithError("isql failed (is unixodbc installed?)");
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kRows,
                                                benchmark::Counter::kIsRate);
}

BENCHMARK(BM_CatalogueQuery_Pooled)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_CatalogueQuery_FreshConnection)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_SelectAll_OdbcBackend)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_SelectAll_Isql)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace

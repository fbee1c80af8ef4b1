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

#include "db/odbc/odbc_backend.h"
#include "served_table_fixture.h"

namespace {

namespace fs = std::filesystem;
using namespace korvane;

constexpr int kRows = bench::kServedRows;

// The served table, and a connection request for it through the listener.
struct Fixture : bench::ServedTableFixture {
  Fixture() : ServedTableFixture("korvane-bench-odbc") {}

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

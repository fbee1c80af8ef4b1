// The ODBC backend's speed (unixODBC and FreeTDS against the TDS listener), each figure beside a
// baseline measured in the same run:
//   - a one-row catalogue query with the pool's connection against a fresh connection each time
//     ("queries/s": the pool's gain);
//   - SELECT * of a 1,000,000-row table read by the backend, whole (Execute) and streamed
//     (OpenCursor, every field looked at; also a row per fetch), against unixODBC's own isql
//     reading it through the same driver and listener (output to /dev/null) ("rows/s");
//   - korvane-cli compare-data of two 1,000,000-row tables by key through ODBC against the same
//     comparison on the embedded server directly ("rows/s": rows of both tables).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

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

// The served tables, a connection request for them through the listener, and a korvane-cli
// profile that knows the listener as a server with its login.
struct Fixture : bench::ServedTableFixture {
  Fixture() : ServedTableFixture("korvane-bench-odbc", true) {
    const std::string add = "printf 'x\\n' | " + Cli() + " server add '" + OdbcServerName() +
                            "' --login sa --password-stdin >/dev/null";
    if (std::system(add.c_str()) != 0)
      throw std::runtime_error("korvane-cli server add failed");
  }

  std::string OdbcServerName() const { return "127.0.0.1," + std::to_string(listener->port()); }

  std::string Cli() const {
    return std::string(KORVANE_CLI_PATH) + " --profile '" + (root / "profile").string() + "'";
  }

  ConnectionRequest Request() const {
    ConnectionRequest request;
    request.server = OdbcServerName();
    request.database = "bench";
    request.sql_auth = true;
    request.login = "sa";
    request.password = "x";
    return request;
  }
};

// Processor time used so far by this program and by its finished children, in milliseconds.
struct ProcessorTime {
  double self_ms = Of(RUSAGE_SELF);
  double children_ms = Of(RUSAGE_CHILDREN);
  double thread_ms = OfThisThread();

  static double OfThisThread() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
  }

  static double Of(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
  }
};

// The processor time of the listener's threads per run since `before`: this program's, less
// the benchmark's own thread (the client, shown in the CPU column).
void CountListenerTime(benchmark::State& state, const ProcessorTime& before) {
  const ProcessorTime after;
  state.counters["listener_cpu_ms"] =
      ((after.self_ms - before.self_ms) - (after.thread_ms - before.thread_ms)) /
      static_cast<double>(state.iterations());
}

Fixture& Shared() {
  static Fixture fixture;  // built once for every benchmark of this program
  return fixture;
}

CommandRequest Command(const std::string& sql) {
  CommandRequest command;
  command.text = sql;
  command.timeout_seconds = 0;
  return command;
}

// Opens a session (from the pool when it has one) and runs `sql`; the rows it returned.
std::size_t Rows(OdbcBackend& backend, const ConnectionRequest& request, const std::string& sql) {
  auto opened = backend.Open(request);
  if (!opened.session)
    throw std::runtime_error("cannot connect through ODBC");
  const CommandOutcome outcome = opened.session->Execute(Command(sql));
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

void BM_SelectAll_OdbcExecute(benchmark::State& state) {
  Fixture& fixture = Shared();
  OdbcBackend backend({"FreeTDS", ""});
  std::size_t rows = 0;
  const ProcessorTime before;
  for (auto _ : state)
    rows += Rows(backend, fixture.Request(), "SELECT * FROM Big");
  CountListenerTime(state, before);
  state.counters["rows/s"] =
      benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
}

// Streams SELECT * of Big through a cursor, looking at every field, with fetches of at most
// state.range(0) rows.
void BM_SelectAll_OdbcCursor(benchmark::State& state) {
  Fixture& fixture = Shared();
  OdbcBackend backend({"FreeTDS", ""}, std::chrono::seconds(60), 1434,
                      static_cast<std::size_t>(state.range(0)));
  std::size_t rows = 0;
  std::size_t bytes = 0;
  const ProcessorTime before;
  for (auto _ : state) {
    auto opened = backend.Open(fixture.Request());
    if (!opened.session)
      throw std::runtime_error("cannot connect through ODBC");
    CursorOutcome cursor = opened.session->OpenCursor(Command("SELECT * FROM Big"));
    if (!cursor.cursor)
      throw std::runtime_error("the query failed");
    const int columns = static_cast<int>(cursor.cursor->Columns().size());
    while (cursor.cursor->Next()) {
      ++rows;
      for (int c = 0; c < columns; ++c)
        bytes += cursor.cursor->Field(c).bytes.size();
    }
    if (!cursor.cursor->Errors().empty())
      throw std::runtime_error("reading the rows failed");
  }
  CountListenerTime(state, before);
  benchmark::DoNotOptimize(bytes);
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
  const ProcessorTime before;
  for (auto _ : state)
    if (std::system(command.c_str()) != 0)
      state.SkipWithError("isql failed (is unixodbc installed?)");
  // isql's own processor time, to set beside the backend's (the CPU column of the others).
  state.counters["isql_cpu_ms"] = ProcessorTime().children_ms - before.children_ms;
  state.counters["isql_cpu_ms"] /= static_cast<double>(state.iterations());
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kRows,
                                                benchmark::Counter::kIsRate);
}

// korvane-cli compare-data of Big against Big2 by key on `server`: 0 or 1 (identical or
// different) is a finished run.
void CompareData(benchmark::State& state, const std::string& server) {
  Fixture& fixture = Shared();
  const std::string command = fixture.Cli() + " compare-data '" + server + "' bench '" + server +
                              "' bench Big Big2 --key Id >/dev/null 2>&1";
  const ProcessorTime before;
  for (auto _ : state) {
    const int status = std::system(command.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1)
      state.SkipWithError("korvane-cli compare-data failed");
  }
  // Where the time goes: korvane-cli's processor time, and this program's (the listener's
  // threads; the benchmark's own thread only waits).
  const ProcessorTime after;
  const double runs = static_cast<double>(state.iterations());
  state.counters["cli_cpu_ms"] = (after.children_ms - before.children_ms) / runs;
  state.counters["listener_cpu_ms"] = (after.self_ms - before.self_ms) / runs;
  const double rows_per_run = kRows + (kRows - kRows / 200);
  state.counters["rows/s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * rows_per_run, benchmark::Counter::kIsRate);
}

void BM_CompareData_Embedded(benchmark::State& state) {
  CompareData(state, Shared().server);
}

void BM_CompareData_Odbc(benchmark::State& state) {
  CompareData(state, Shared().OdbcServerName());
}

BENCHMARK(BM_CatalogueQuery_Pooled)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_CatalogueQuery_FreshConnection)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_SelectAll_OdbcExecute)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_SelectAll_OdbcCursor)
    ->Arg(static_cast<std::int64_t>(kMostRowsPerFetch))
    ->Arg(1)  // a row at a time: the gain of fetching in blocks
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
BENCHMARK(BM_SelectAll_Isql)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_CompareData_Embedded)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_CompareData_Odbc)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

// How the data comparison scales, on the embedded SQL Server stand-in, as `korvane-cli
// compare-data` runs it (count both tables, read them, compare): two tables of 8 columns (int
// key, varchar, int, float, varchar, datetime, int, varchar) with 1% of the rows changed, 0.5%
// missing from the Target and 0.5% extra in it. This is the program that sets the comparison
// against SQLite's `sqldiff` (package sqlite3-tools) on this table shape.
//
// - BM_Sqldiff: `sqldiff --table T` over plain SQLite copies of the same 1,000,000 rows (sqldiff
//   cannot read the stand-in's tables, whose text columns use the engine's own collation), run
//   first as the baseline of the two methods. It runs as a child process: cpu_s is its CPU time,
//   peak_MB the largest resident set of the children so far (sqldiff's, as it is the only big
//   one). Its output is read, and the rows it updates, deletes and inserts are checked against
//   the rows the tables were built with.
// - BM_ScaleByKey / BM_ScaleRecordByRecord: 1,000,000 rows, then 10,000,000. The 10,000,000-row
//   cases run only when KORVANE_BENCH_10M=1 is set (their tables take about 2 GB on disk and
//   half a minute to write, and the comparison by key 0.9 GB of memory); they are skipped
//   otherwise, so that a plain run stays short. --benchmark_filter=/1000000/
//   leaves them out too.
// - BM_KeyKind: 1,000,000 rows by key, identified by the integer ID, by a 20-character text,
//   and by three columns (int, varchar, datetime).
//
// Counters: vs_baseline is the run's wall time over the same method's 1,000,000-row run (or over
// the integer key's) measured earlier in this process, so run the whole program (or a filter that
// keeps the baselines) for it; cpu_vs_baseline the same for the CPU time of every thread of the
// process (the reader threads' too), steadier than wall time on a busy machine. vs_sqldiff and
// cpu_vs_sqldiff set a run of the same row count against BM_Sqldiff's the same way. With
// --benchmark_repetitions=N these set the best run so far against the baseline's best. peak_MB is
// the peak resident set of the comparison alone: the peak is reset before it starts, so the
// maximum that /usr/bin/time -v reports covers only the last benchmark. differences is checked
// against the rows the tables were built with. Tables are written once per process into a
// temporary folder of their own and removed at exit.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "base/clock.h"
#include "bench_support.h"
#include "data_compare_fixture.h"
#include "datacomp/compare_status.h"
#include "datacomp/data_compare.h"
#include "datacomp/data_compare_options.h"

namespace korvane {
namespace {

constexpr std::int64_t kBaseRows = 1000000;
constexpr std::int64_t kLargeRows = 10000000;

enum class KeyKind { kInteger, kText, kThreeColumns };

const bench::OrdersTables* Tables(std::int64_t rows) {
  static std::map<std::int64_t, std::unique_ptr<bench::OrdersTables>> made;
  auto& tables = made[rows];
  if (!tables) {
    const auto start = std::chrono::steady_clock::now();
    tables = std::make_unique<bench::OrdersTables>(std::to_string(rows), rows);
    std::fprintf(stderr, "tables of %lld rows written in %.1f s\n", static_cast<long long>(rows),
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return tables->ok() ? tables.get() : nullptr;
}

// The best wall and CPU seconds of the earlier runs in this process, by benchmark and row count.
struct Timing {
  double wall = 0;
  double cpu = 0;
};
std::map<std::pair<std::string, std::int64_t>, Timing>& Timings() {
  static std::map<std::pair<std::string, std::int64_t>, Timing> timings;
  return timings;
}

// Keeps `timing` under `name` and `rows` if it is the best so far; the best.
const Timing& Record(const std::string& name, std::int64_t rows, const Timing& timing) {
  const auto [best, first] = Timings().try_emplace({name, rows}, timing);
  if (!first) {
    best->second.wall = std::min(best->second.wall, timing.wall);
    best->second.cpu = std::min(best->second.cpu, timing.cpu);
  }
  return best->second;
}

// The counters `prefix` "vs_" and "cpu_vs_" of `best` against the timing under `baseline`, when
// there is one and it is not that of the run itself.
void SetRatios(benchmark::State& state, const Timing& best, const std::string& prefix,
               const std::pair<std::string, std::int64_t>& baseline,
               const std::pair<std::string, std::int64_t>& self) {
  const auto earlier = Timings().find(baseline);
  if (earlier == Timings().end() || earlier->first == self)
    return;
  state.counters["vs_" + prefix] = best.wall / earlier->second.wall;
  state.counters["cpu_vs_" + prefix] = best.cpu / earlier->second.cpu;
}

double Seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// User and system seconds of every thread of the process so far (`who` RUSAGE_SELF), or of its
// waited-for children (RUSAGE_CHILDREN).
double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

std::array<std::string, 3> KeyColumns(KeyKind key) {
  switch (key) {
    case KeyKind::kText:
      return {"Code", "No Field", "No Field"};
    case KeyKind::kThreeColumns:
      return {"Region", "Customer", "Ordered"};
    case KeyKind::kInteger:
      break;
  }
  return {"ID", "No Field", "No Field"};
}

// One comparison of the tables of `rows` rows; the time, differences and peak go into the
// state's counters, and the time into Timings() under `name`. `baseline` names the earlier run
// the time is set against.
void Compare(benchmark::State& state, std::int64_t rows, std::int32_t method, KeyKind key,
             const std::string& name, const std::pair<std::string, std::int64_t>& baseline) {
  const bench::OrdersTables* tables = Tables(rows);
  if (!tables) {
    state.SkipWithError("could not write the tables");
    return;
  }
  bench::SilentUserInterface ui;
  SystemClock clock;
  auto context = tables->Context(ui, clock);
  const DataCompareRequest request = bench::OrdersCompareRequest(method, KeyColumns(key));

  const bool peak_reset = bench::ResetPeakResident();
  Timing timing;
  DataCompareResult result;
  for (auto _ : state) {
    CompareStatus status(clock);
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = CpuSeconds(RUSAGE_SELF);
    result = DataCompare(*context, request, status, {});
    timing.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    timing.cpu = CpuSeconds(RUSAGE_SELF) - cpu_start;
  }
  if (result.status == DataCompareStatus::kFailed) {
    state.SkipWithError(result.outcome.c_str());
    return;
  }
  const bench::OrdersCounts expected = bench::ExpectedOrdersCounts(rows);
  if (result.source_count != expected.source || result.target_count != expected.target ||
      (method == kCompMethodPrimaryKey &&
       result.different_records != expected.changed + expected.missing + expected.extra)) {
    state.SkipWithError(("unexpected counts: " + result.outcome).c_str());
    return;
  }
  const Timing& best = Record(name, rows, timing);
  state.counters["cpu_s"] = timing.cpu;
  state.counters["differences"] = result.different_records;
  state.counters["peak_MB"] = bench::PeakResidentMegabytes();
  if (!peak_reset)
    state.SetLabel("peak of the whole process");
  state.counters["rows_per_s"] = benchmark::Counter(static_cast<double>(state.iterations() * rows),
                                                    benchmark::Counter::kIsRate);
  SetRatios(state, best, "baseline", baseline, {name, rows});
  SetRatios(state, best, "sqldiff", {"sqldiff", rows}, {name, rows});
  state.SetItemsProcessed(state.iterations() * rows);
}

// The rows sqldiff's SQL updates, deletes and inserts.
struct SqldiffCounts {
  std::int64_t updated = 0;
  std::int64_t deleted = 0;
  std::int64_t inserted = 0;
};

// Runs `command`, counting the statements of its output; false if it cannot start or fails.
bool RunSqldiff(const std::string& command, SqldiffCounts& counts) {
  FILE* output = popen(command.c_str(), "r");
  if (!output)
    return false;
  char* line = nullptr;
  std::size_t capacity = 0;
  while (getline(&line, &capacity, output) != -1) {
    const std::string_view text(line);
    if (text.starts_with("UPDATE "))
      ++counts.updated;
    else if (text.starts_with("DELETE "))
      ++counts.deleted;
    else if (text.starts_with("INSERT "))
      ++counts.inserted;
  }
  std::free(line);
  return pclose(output) == 0;
}

// Registered first, so that the methods' runs of the same row count find its timing.
void BM_Sqldiff(benchmark::State& state) {
  const std::int64_t rows = state.range(0);
  const bench::OrdersTables* tables = Tables(rows);
  if (!tables || !tables->WritePlainCopy("Src") || !tables->WritePlainCopy("Tgt")) {
    state.SkipWithError("could not write the tables or their plain copies");
    return;
  }
  const std::string command = "sqldiff --table T '" + tables->PlainFile("Src").string() + "' '" +
                              tables->PlainFile("Tgt").string() + "'";
  Timing timing;
  SqldiffCounts counts;
  bool ran = true;
  for (auto _ : state) {
    counts = {};
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = CpuSeconds(RUSAGE_CHILDREN);
    ran = RunSqldiff(command, counts);
    timing.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    timing.cpu = CpuSeconds(RUSAGE_CHILDREN) - cpu_start;
  }
  if (!ran) {
    state.SkipWithError("sqldiff failed or is not installed (package sqlite3-tools)");
    return;
  }
  const bench::OrdersCounts expected = bench::ExpectedOrdersCounts(rows);
  if (counts.updated != expected.changed || counts.deleted != expected.missing ||
      counts.inserted != expected.extra) {
    state.SkipWithError(("unexpected sqldiff counts: " + std::to_string(counts.updated) +
                         " updated, " + std::to_string(counts.deleted) + " deleted, " +
                         std::to_string(counts.inserted) + " inserted")
                            .c_str());
    return;
  }
  Record("sqldiff", rows, timing);
  rusage children{};
  getrusage(RUSAGE_CHILDREN, &children);
  state.counters["cpu_s"] = timing.cpu;
  state.counters["differences"] =
      static_cast<double>(counts.updated + counts.deleted + counts.inserted);
  state.counters["peak_MB"] = static_cast<double>(children.ru_maxrss) / 1024.0;  // kilobytes
  state.counters["rows_per_s"] = benchmark::Counter(static_cast<double>(state.iterations() * rows),
                                                    benchmark::Counter::kIsRate);
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_Sqldiff)->Arg(kBaseRows)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

bool LargeRunsWanted() {
  const char* wanted = std::getenv("KORVANE_BENCH_10M");
  return wanted && std::string(wanted) == "1";
}

void ScaleRun(benchmark::State& state, std::int32_t method, const std::string& name) {
  const std::int64_t rows = state.range(0);
  if (rows > kBaseRows && !LargeRunsWanted()) {
    state.SkipWithError("set KORVANE_BENCH_10M=1 to run the 10,000,000-row case");
    return;
  }
  Compare(state, rows, method, KeyKind::kInteger, name, {name, kBaseRows});
}

void BM_ScaleByKey(benchmark::State& state) {
  ScaleRun(state, kCompMethodPrimaryKey, "key");
}
BENCHMARK(BM_ScaleByKey)
    ->Arg(kBaseRows)
    ->Arg(kLargeRows)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_ScaleRecordByRecord(benchmark::State& state) {
  ScaleRun(state, kCompMethodRecordByRecord, "record");
}
BENCHMARK(BM_ScaleRecordByRecord)
    ->Arg(kBaseRows)
    ->Arg(kLargeRows)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Arg 0: integer ID (the baseline, run first), 1: 20-character text, 2: three columns.
void BM_KeyKind(benchmark::State& state) {
  const auto key = static_cast<KeyKind>(state.range(0));
  const std::string name = "key kind " + std::to_string(state.range(0));
  Compare(state, kBaseRows, kCompMethodPrimaryKey, key, name, {"key kind 0", kBaseRows});
}
BENCHMARK(BM_KeyKind)
    ->DenseRange(0, 2)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvane

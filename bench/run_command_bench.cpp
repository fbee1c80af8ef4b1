// Round trips of run command on the embedded backend: a one-row catalogue query through the
// whole data-access layer (connection per command, parameters, recordset), against the same
// query executed on a session that stays open (the backend's own cost) as the baseline.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench_support.h"
#include "db/data_access.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"

namespace {

namespace fs = std::filesystem;

constexpr char kQuery[] =
    "select name, refdate, id from sysobjects where OBJECTPROPERTY(id, N'IsUserTable') = 1 "
    "and xtype <> 'S'  and name = 'Orders'  order by name";

fs::path PrepareServer() {
  const fs::path profile = korvane::bench::ScratchFolder("korvane-bench-run-command");
  std::string script;
  for (int i = 0; i < 200; ++i) {
    script += "CREATE TABLE T" + std::to_string(i) +
              " (id int NOT NULL PRIMARY KEY, a varchar(20))\nGO\n";
  }
  script += "CREATE TABLE Orders (OrderID int NOT NULL PRIMARY KEY, Note nvarchar(50))\nGO\n";
  korvane::LoadScript(profile / "servers", "embedded:bench", "Shop", script);
  return profile;
}

void BM_SessionExecute(benchmark::State& state) {
  const fs::path profile = PrepareServer();
  korvane::EmbeddedBackend backend(profile / "servers");
  korvane::ConnectionRequest request;
  request.server = "embedded:bench";
  request.database = "Shop";
  auto session = backend.Open(request).session;
  korvane::CommandRequest command;
  command.text = kQuery;
  for (auto _ : state) {
    benchmark::DoNotOptimize(session->Execute(command));
  }
  fs::remove_all(profile);
}
BENCHMARK(BM_SessionExecute)->Unit(benchmark::kMicrosecond);

void BM_RunCommand(benchmark::State& state) {
  const fs::path profile = PrepareServer();
  korvane::bench::BenchContext bench(profile);
  korvane::ApplicationContext& context = bench.context;
  korvane::ServerRecord server;
  server.Name = "embedded:bench";
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        korvane::RunCommand(context, server, korvane::CommandType::kText, kQuery, "Shop"));
  }
  fs::remove_all(profile);
}
BENCHMARK(BM_RunCommand)->Unit(benchmark::kMicrosecond);

}  // namespace

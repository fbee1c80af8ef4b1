// The catalogue and scripting path on a database of 5,000 tables on the embedded server:
// listing the tables as an object list does, and producing the structure text of every table
// (columns, identity, keys and indexes) as the structure pane shows it. The baseline is the
// engine alone: one query reading every column of every table over an open session, the least
// work any reader of those texts has to do.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/memory_list_control.h"
#include "bench_support.h"
#include "catalog/object_list.h"
#include "db/data_access.h"
#include "db/embedded/script_loader.h"
#include "db/server_list.h"
#include "script/structure_text.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTables = 5000;

// Tables of three shapes: an identity key with a secondary index, a composite key, and a heap
// with a unique constraint; every fifth table lives in a second schema.
std::string BuildScript() {
  std::string script = "CREATE SCHEMA sales\nGO\n";
  for (int i = 0; i < kTables; ++i) {
    const std::string owner = i % 5 == 0 ? "sales." : "dbo.";
    const std::string name = owner + "T" + std::to_string(i);
    switch (i % 3) {
      case 0:
        script += "CREATE TABLE " + name +
                  " (id int IDENTITY(1,1) NOT NULL PRIMARY KEY, code varchar(20) NOT NULL, "
                  "price decimal(10,2) NULL, note nvarchar(200) NULL, added datetime NOT NULL "
                  "DEFAULT (getdate()))\nGO\nCREATE INDEX IX_T" +
                  std::to_string(i) + " ON " + name + " (code, added)\nGO\n";
        break;
      case 1:
        script += "CREATE TABLE " + name +
                  " (a int NOT NULL, b char(4) NOT NULL, qty smallint NULL, ratio float NULL, "
                  "CONSTRAINT PK_T" +
                  std::to_string(i) + " PRIMARY KEY (a, b))\nGO\n";
        break;
      default:
        script += "CREATE TABLE " + name +
                  " (k bigint NOT NULL UNIQUE, v varbinary(16) NULL, t text NULL)\nGO\n";
        break;
    }
  }
  return script;
}

class StructureTextFixture : public benchmark::Fixture {
 public:
  void SetUp(const benchmark::State&) override {
    if (prepared_)
      return;
    fs::remove_all(profile_);
    const korvane::ScriptLoadResult loaded =
        korvane::LoadScript(profile_ / "servers", "embedded:bench", "Big", BuildScript());
    if (!loaded.ok)
      throw std::runtime_error(loaded.message);
    prepared_ = true;
  }

 protected:
  korvane::ServerRecord Server(korvane::ApplicationContext& context) {
    korvane::ServerRecord server;
    server.Name = "embedded:bench";
    korvane::CheckSQLServerVersion(context, server);
    server.NumVersion = korvane::ComputeNumVersion(server.Version);
    return server;
  }

  static inline const fs::path profile_ = fs::temp_directory_path() / "korvane-bench-structure";
  static inline bool prepared_ = false;
};

BENCHMARK_DEFINE_F(StructureTextFixture, ListTables)(benchmark::State& state) {
  korvane::bench::BenchContext bench(profile_);
  korvane::ServerRecord server = Server(bench.context);
  for (auto _ : state) {
    korvane::MemoryListControl list;
    const auto entries = korvane::LoadObjects(bench.context, server, list, nullptr,
                                              korvane::ObjectType::kTables, "Big");
    if (entries.size() != kTables)
      state.SkipWithError("not every table listed");
  }
  state.SetItemsProcessed(state.iterations() * kTables);
}
BENCHMARK_REGISTER_F(StructureTextFixture, ListTables)->Unit(benchmark::kMillisecond);

BENCHMARK_DEFINE_F(StructureTextFixture, AllTableTexts)(benchmark::State& state) {
  korvane::bench::BenchContext bench(profile_);
  korvane::ServerRecord server = Server(bench.context);
  korvane::MemoryListControl list;
  const auto entries = korvane::LoadObjects(bench.context, server, list, nullptr,
                                            korvane::ObjectType::kTables, "Big");
  std::size_t characters = 0;
  for (auto _ : state) {
    for (const korvane::ObjectEntry& entry : entries) {
      const auto text = korvane::GetStructureText(
          bench.context, server, "Big", korvane::ObjectType::kTables, entry.Name, entry.Id);
      if (!text || text->empty()) {
        state.SkipWithError(("no text for " + entry.Name).c_str());
        return;
      }
      characters += text->size();
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * entries.size()));
  state.counters["chars_per_table"] =
      static_cast<double>(characters) / static_cast<double>(state.iterations() * entries.size());
}
BENCHMARK_REGISTER_F(StructureTextFixture, AllTableTexts)->Unit(benchmark::kMillisecond);

// Baseline: every column of every table in one query over an open session.
BENCHMARK_DEFINE_F(StructureTextFixture, EngineColumnScan)(benchmark::State& state) {
  korvane::EmbeddedBackend backend(profile_ / "servers");
  korvane::ConnectionRequest request;
  request.server = "embedded:bench";
  request.database = "Big";
  auto session = backend.Open(request).session;
  korvane::CommandRequest command;
  command.text =
      "SELECT sob.name, sco.name, sco.length, sco.prec, sco.scale, sty.name "
      "FROM sysobjects sob INNER JOIN syscolumns sco ON sob.id = sco.id "
      "INNER JOIN systypes sty ON sco.xtype = sty.xtype AND sco.xusertype = sty.xusertype "
      "WHERE sob.xtype = 'U' ORDER BY sob.id, sco.colorder";
  for (auto _ : state)
    benchmark::DoNotOptimize(session->Execute(command));
  state.SetItemsProcessed(state.iterations() * kTables);
}
BENCHMARK_REGISTER_F(StructureTextFixture, EngineColumnScan)->Unit(benchmark::kMillisecond);

}  // namespace

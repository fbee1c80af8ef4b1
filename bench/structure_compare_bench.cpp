// Database structure comparison on two embedded databases of 2,000 tables and 2,000 procedures
// each, one object in ten differing (a wider column, a changed procedure body):
//   - Compare All Objects (tables and procedures, Simple mode);
//   - the one-type Details runs of tables and of procedures;
//   - reading the structure texts alone, every table and procedure of both sides, so that the
//     runs' time can be split into reading (queries and text building) and comparing.
// Every run counts compared objects per second ("objects/s"); the comparison runs also report
// the share of their time spent inside the structure text reads ("text_read_share", 0 to 1).
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/application_context.h"
#include "base/clock.h"
#include "base/error_report.h"
#include "base/user_interface.h"
#include "bench_support.h"
#include "catalog/object_list.h"
#include "compare/comparison_progress.h"
#include "compare/database_comparison_run.h"
#include "compare/script_text_source.h"
#include "db/data_access.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "db/server_list.h"

namespace {

namespace fs = std::filesystem;
using korvane::ObjectType;

constexpr int kObjects = 2000;  // tables, and procedures, per database

// Every tenth object differs between the two databases.
bool Differs(int i) {
  return i % 10 == 0;
}

std::string DatabaseScript(bool target) {
  std::string script;
  script.reserve(kObjects * 400);
  for (int i = 0; i < kObjects; ++i) {
    const std::string n = std::to_string(i);
    const std::string name_size = target && Differs(i) ? "120" : "100";
    script += "CREATE TABLE dbo.T" + n + " (ID int IDENTITY(1,1) NOT NULL CONSTRAINT PK_T" + n +
              " PRIMARY KEY, Code varchar(20) NOT NULL, Name nvarchar(" + name_size +
              ") NULL, Amount money NULL DEFAULT 0, Created datetime NOT NULL)\nGO\n"
              "CREATE INDEX IX_T" +
              n + "_Code ON dbo.T" + n + " (Code)\nGO\n";
  }
  for (int i = 0; i < kObjects; ++i) {
    const std::string n = std::to_string(i);
    const std::string filter = target && Differs(i) ? "Code LIKE @Code" : "Code = @Code";
    script += "-- Lists the rows of T" + n + "\r\nCREATE PROCEDURE dbo.P" + n +
              " @Code varchar(20) AS\r\nBEGIN\r\n  SET NOCOUNT ON\r\n"
              "  SELECT ID, Code, Name, Amount\r\n  FROM dbo.T" +
              n + "\r\n  WHERE " + filter + "\r\n  ORDER BY Name\r\nEND\r\nGO\n";
  }
  return script;
}

class SilentUserInterface final : public korvane::UserInterface {
 public:
  void ShowMessage(std::string_view text, korvane::MessageIcon, std::string_view) override {
    throw std::runtime_error(std::string(text));
  }
  korvane::Answer Ask(std::string_view, std::string_view, korvane::Answer goes_on,
                      korvane::MessageIcon) override {
    return goes_on;
  }
  std::optional<fs::path> RequestSaveFile(const korvane::FileRequest&) override { return {}; }
  std::optional<fs::path> RequestOpenFile(const korvane::FileRequest&) override { return {}; }
  void SetBusy(bool) override {}
  void ProcessPendingEvents() override {}
  void SetClipboardText(std::string_view) override {}
  int OpenWithDefaultProgram(std::string_view) override { return 1; }
  bool PrintText(std::string_view, std::string_view) override { return false; }
  void ShowErrorReport(const korvane::ErrorReport& report) override {
    throw std::runtime_error(report.error_description);
  }
};

// The structure text reader with a stopwatch: the time spent reading texts during a run.
class TimedTextSource final : public korvane::StructureTextSource {
 public:
  explicit TimedTextSource(korvane::ApplicationContext& context) : inner_(context) {}

  korvane::StructureText ModuleText(const korvane::ComparisonSide& side, ObjectType type,
                                    std::string_view bare_name, std::int32_t id) override {
    return Timed([&] { return inner_.ModuleText(side, type, bare_name, id); });
  }
  korvane::StructureText TableText(const korvane::ComparisonSide& side, std::string_view bare_name,
                                   std::int32_t id, bool with_indexes) override {
    return Timed([&] { return inner_.TableText(side, bare_name, id, with_indexes); });
  }
  korvane::StructureText KeyText(const korvane::ComparisonSide& side, ObjectType type,
                                 std::string_view name, std::int32_t id) override {
    return Timed([&] { return inner_.KeyText(side, type, name, id); });
  }
  void ShowInView(const korvane::ComparisonSide& side, ObjectType type, std::string_view name,
                  std::int32_t id, korvane::TextView& view) override {
    const auto start = std::chrono::steady_clock::now();
    inner_.ShowInView(side, type, name, id, view);
    seconds_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }

  double seconds() const { return seconds_; }

 private:
  template <typename Read>
  korvane::StructureText Timed(Read read) {
    const auto start = std::chrono::steady_clock::now();
    korvane::StructureText text = read();
    seconds_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (text.failed)
      throw std::runtime_error("a structure text query failed");
    return text;
  }

  korvane::ScriptTextSource inner_;
  double seconds_ = 0;
};

// Both databases, built once for the whole program.
class Fixture {
 public:
  static Fixture& Get() {
    static Fixture fixture;
    return fixture;
  }

  korvane::ApplicationContext& context() { return *context_; }

 private:
  Fixture() : root_(korvane::bench::ScratchFolder("korvane-bench-structure-compare")) {
    const std::string server = "embedded:" + (root_ / "srv").string();
    for (const bool target : {false, true}) {
      const auto loaded = korvane::LoadScript(root_ / "servers", server, target ? "Dev" : "Live",
                                              DatabaseScript(target));
      if (!loaded.ok)
        throw std::runtime_error(loaded.message);
    }
    context_ = std::make_unique<korvane::ApplicationContext>(
        korvane::ComputeLocations(root_ / "bin", root_ / "p", korvane::Environment{}), ui_, clock_);
    context_->backends.embedded = std::make_shared<korvane::EmbeddedBackend>(root_ / "servers");
    for (korvane::ServerRecord& record : context_->CurrentServers) {
      record.Name = server;
      korvane::CheckSQLServerVersion(*context_, record);
      record.NumVersion = korvane::ComputeNumVersion(record.Version);
    }
  }
  ~Fixture() { fs::remove_all(root_); }

  fs::path root_;
  SilentUserInterface ui_;
  korvane::SystemClock clock_;
  std::unique_ptr<korvane::ApplicationContext> context_;
};

void RunComparison(benchmark::State& state, std::initializer_list<ObjectType> types, bool details) {
  korvane::ApplicationContext& context = Fixture::Get().context();
  korvane::CompareAllRequest request;
  request.source_database = "Live";
  request.target_database = "Dev";
  request.details = details;
  for (ObjectType type : types)
    request.ticked[korvane::ObjectTypeIndex(type)] = true;
  korvane::SilentComparisonProgress progress;
  double read_seconds = 0;
  double total_seconds = 0;
  for (auto _ : state) {
    TimedTextSource texts(context);
    const auto start = std::chrono::steady_clock::now();
    const korvane::CompareAllOutcome outcome =
        korvane::CompareAll(context, request, texts, progress);
    total_seconds +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    read_seconds += texts.seconds();
    if (!outcome.completed || outcome.query_failed) {
      state.SkipWithError("the comparison did not complete");
      return;
    }
    int different = 0;
    for (const auto& type : outcome.result.types)
      different += static_cast<int>(type.different.size());
    if (different != static_cast<int>(types.size()) * kObjects / 10) {
      state.SkipWithError("unexpected number of differing objects");
      return;
    }
    context.report_buffer.clear();
  }
  const double objects = static_cast<double>(types.size()) * kObjects;
  state.counters["objects/s"] =
      benchmark::Counter(objects, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["text_read_share"] = total_seconds > 0 ? read_seconds / total_seconds : 0;
}

void BM_CompareAll_Simple(benchmark::State& state) {
  RunComparison(state, {ObjectType::kTables, ObjectType::kProcedures}, false);
}
void BM_CompareTables_Details(benchmark::State& state) {
  RunComparison(state, {ObjectType::kTables}, true);
}
void BM_CompareProcedures_Details(benchmark::State& state) {
  RunComparison(state, {ObjectType::kProcedures}, true);
}

// Reading the texts alone: the object lists and every table's or procedure's text on both
// sides, by id, over one open connection per side, as the comparison run reads them.
void ReadTexts(benchmark::State& state, ObjectType type) {
  korvane::ApplicationContext& context = Fixture::Get().context();
  for (auto _ : state) {
    korvane::ScriptTextSource texts(context);
    for (int side : {korvane::kSource, korvane::kTarget}) {
      korvane::ServerRecord& server = context.CurrentServers[side];
      const std::string database = side == korvane::kSource ? "Live" : "Dev";
      auto session = korvane::ADO_Connection_Open(context, server, database);
      if (!session) {
        state.SkipWithError("no connection");
        return;
      }
      auto rows = korvane::LoadObjects_ToRecordset(context, *session, type);
      if (!rows) {
        state.SkipWithError("no object list");
        return;
      }
      const korvane::ComparisonSide where{side, server, database, *session};
      for (const korvane::ObjectEntry& entry : korvane::ReadObjectEntries(*rows)) {
        const korvane::StructureText text =
            type == ObjectType::kTables ? texts.TableText(where, entry.Name, entry.Id, true)
                                        : texts.ModuleText(where, type, entry.Name, entry.Id);
        if (text.failed || text.text.empty()) {
          state.SkipWithError("a text could not be read");
          return;
        }
        benchmark::DoNotOptimize(text.text.data());
      }
    }
  }
  state.counters["objects/s"] =
      benchmark::Counter(kObjects, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ReadTexts_Tables(benchmark::State& state) {
  ReadTexts(state, ObjectType::kTables);
}
void BM_ReadTexts_Procedures(benchmark::State& state) {
  ReadTexts(state, ObjectType::kProcedures);
}

BENCHMARK(BM_CompareAll_Simple)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CompareTables_Details)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CompareProcedures_Details)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadTexts_Tables)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadTexts_Procedures)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

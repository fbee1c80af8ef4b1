// Shared pieces of the record comparison tests: an application context in a scratch profile,
// a progress display and a user interface that record what the engine showed and can press
// Stop after a given number of event pumps, and an opener that answers queries from tables
// kept in memory.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/application_context.h"
#include "app/locations.h"
#include "base/clock.h"
#include "base/user_interface.h"
#include "datacomp/compare_records.h"
#include "db/read_ahead_cursor.h"
#include "support/scratch_folder.h"

namespace korvane::testing {

// A user interface whose event pump sets the run's cancel flag on its n-th call (never when
// stop_at_pump is 0), as a Stop click would.
class StoppingUserInterface final : public UserInterface {
 public:
  void ShowMessage(std::string_view, MessageIcon, std::string_view) override {}
  Answer Ask(std::string_view, std::string_view, Answer goes_on, MessageIcon) override {
    return goes_on;
  }
  std::optional<std::filesystem::path> RequestSaveFile(const FileRequest&) override {
    return std::nullopt;
  }
  std::optional<std::filesystem::path> RequestOpenFile(const FileRequest&) override {
    return std::nullopt;
  }
  void SetBusy(bool busy) override { busy_changes.push_back(busy); }
  void ProcessPendingEvents() override {
    ++pumps;
    if (stop_at_pump != 0 && pumps == stop_at_pump && context != nullptr)
      context->cancel_requested = true;
  }
  void SetClipboardText(std::string_view) override {}
  int OpenWithDefaultProgram(std::string_view) override { return 0; }
  bool PrintText(std::string_view, std::string_view) override { return true; }
  void ShowErrorReport(const ErrorReport&) override {}

  ApplicationContext* context = nullptr;
  int stop_at_pump = 0;
  int pumps = 0;
  std::vector<bool> busy_changes;
};

class RecordingProgress final : public CompareProgress {
 public:
  void ShowStage(int stage) override { calls.push_back("stage " + std::to_string(stage)); }
  void ResetGauge() override { calls.emplace_back("reset"); }
  void ShowProgress(std::string_view label, int percent) override {
    calls.push_back("progress " + std::string(label) + " " + std::to_string(percent) + "%");
  }
  void UpdateTimeElapsed() override { calls.emplace_back("elapsed"); }

  std::vector<std::string> calls;
};

// Rows read from memory until a given number of them, after which reading fails as a dropped
// connection does.
class FailingRowCursor final : public RowCursor {
 public:
  FailingRowCursor(ResultSet rows, std::size_t rows_before_failure)
      : rows_(std::move(rows)), left_(rows_before_failure) {}
  const std::vector<ColumnInfo>& Columns() const override { return rows_.Columns(); }
  bool Next() override {
    if (!errors_.empty())
      return false;
    if (left_ == 0) {
      errors_.push_back({0, 16, 1, "08S01", "Communication link failure"});
      return false;
    }
    --left_;
    return rows_.Next();
  }
  FieldView Field(int index) const override { return rows_.Field(index); }
  const std::vector<ServerMessage>& Errors() const override {
    return errors_.empty() ? rows_.Errors() : errors_;
  }

 private:
  MaterialisedRowCursor rows_;
  std::size_t left_;
  std::vector<ServerMessage> errors_;
};

// Answers a query with a fresh recordset over the rows stored for its text, or fails. As a
// cursor, a side named in `read_failures` fails after that many rows.
class TableOpener final : public RecordsetOpener {
 public:
  std::optional<Recordset> Open(int side, std::string_view query, bool probe) override {
    opened.push_back({side, std::string(query), probe});
    const auto it = results.find({side, std::string(query)});
    if (it == results.end())
      return std::nullopt;
    return Recordset(it->second);
  }
  // With `read_ahead`, each cursor is read ahead on a thread of its own in small batches, as
  // the real opener does, so the rows are prepared there.
  std::unique_ptr<RowCursor> OpenCursor(int side, std::string_view query, bool probe) override {
    std::unique_ptr<RowCursor> cursor = OpenInPlace(side, query, probe);
    if (!cursor || !read_ahead)
      return cursor;
    ReadAheadLimits limits{3, 1 << 20, 2};
    limits.deferred_start = true;
    return std::make_unique<ReadAheadRowCursor>(std::move(cursor), nullptr, limits);
  }
  std::unique_ptr<RowCursor> OpenInPlace(int side, std::string_view query, bool probe) {
    const auto failure = read_failures.find(side);
    if (failure == read_failures.end())
      return RecordsetOpener::OpenCursor(side, query, probe);
    opened.push_back({side, std::string(query), probe});
    const auto it = results.find({side, std::string(query)});
    if (it == results.end())
      return nullptr;
    return std::make_unique<FailingRowCursor>(it->second, failure->second);
  }
  void ReportReadFailure(int side, const RowCursor& cursor, std::string_view query) override {
    reported.push_back(std::to_string(side) + " " + std::string(query) + ": " +
                       cursor.Errors().front().text);
  }

  struct Call {
    int side;
    std::string query;
    bool probe;
    friend bool operator==(const Call&, const Call&) = default;
  };
  std::map<std::pair<int, std::string>, ResultSet> results;
  std::map<int, std::size_t> read_failures;
  bool read_ahead = false;
  std::vector<Call> opened;
  std::vector<std::string> reported;  // read failures, "side query: text"
};

class RecordCompareEnvironment {
 public:
  RecordCompareEnvironment()
      : context_(ComputeLocations(folder_ / "bin", folder_ / "p", Environment{}), ui_, clock_) {
    ui_.context = &context_;
    std::filesystem::create_directories(context_.locations.writable_folder);
  }

  // Back to the state of a new environment: no log, no Stop, nothing recorded.
  void Reset() {
    std::filesystem::remove(context_.locations.data_comp_log);
    context_.cancel_requested = false;
    ui_.stop_at_pump = 0;
    ui_.pumps = 0;
    ui_.busy_changes.clear();
  }

  ApplicationContext& context() { return context_; }
  StoppingUserInterface& ui() { return ui_; }
  std::string Log() const { return ReadFile(context_.locations.data_comp_log); }

 private:
  ScratchFolder folder_;
  StoppingUserInterface ui_;
  ManualClock clock_;
  ApplicationContext context_;
};

// A table of the given columns, every column of the given type name.
inline ResultSet MakeTable(const std::vector<std::string>& columns,
                           std::vector<std::vector<Value>> rows) {
  ResultSet table;
  for (const std::string& name : columns)
    table.columns.push_back({name, ValueType::kText, "varchar"});
  table.rows = std::move(rows);
  return table;
}

}  // namespace korvane::testing

#include "datacomp/data_compare.h"

#include "app/application_context.h"
#include "app/logs.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "datacomp/data_compare_texts.h"
#include "datacomp/record_count.h"
#include "datacomp/table_settings_key.h"
#include "db/data_access.h"
#include "db/read_ahead_cursor.h"
#include "saved/ignored_columns.h"
#include "script/table_structure.h"

namespace korvane {
namespace {

class DataCompareRun {
 public:
  DataCompareRun(ApplicationContext& context, const DataCompareRequest& request,
                 CompareStatus& status)
      : context_(context), request_(request), status_(status) {}

  DataCompareResult Run(const ShowDifferencesWindow& show_window);

 private:
  void Log(std::string_view message) {
    WriteDataCompLog(context_.locations, context_.clock, message);
  }
  // The run's end with an outcome text: logged, then shown or returned.
  void Finish(DataCompareStatus status, std::string outcome, std::string_view log_line) {
    result_.status = status;
    Log(log_line);
    if (request_.unattended) {
      result_.outcome = std::move(outcome);
    } else {
      context_.ui.ShowMessage(outcome, status == DataCompareStatus::kFailed
                                           ? MessageIcon::kExclamation
                                           : MessageIcon::kNone);
    }
  }
  // Steps of the progress dialog: counts both tables and compares their records.
  void ShowCompareStatus();
  // The differences window's texts around the grid the engine filled.
  void ShowUpWindow(const std::array<std::vector<std::string>, 2>& ignored);
  bool CountSide(int side, CompareRecordsSide& side_input);

  ApplicationContext& context_;
  const DataCompareRequest& request_;
  CompareStatus& status_;
  DataCompareResult result_;
  std::string failure_;
  CompareRecordsResult compared_;
  bool compared_run_ = false;
  std::array<CompareRecordsSide, 2> sides_;
};

bool DataCompareRun::CountSide(int side, CompareRecordsSide& side_input) {
  const DataCompareTable& table = request_.tables[static_cast<std::size_t>(side)];
  ServerRecord& server = context_.CurrentServers[static_cast<std::size_t>(side)];
  const RecordCount count =
      CountRecords(context_, server, table.database, table.table, table.object_id);
  side_input.qualified_table = count.qualified_table;
  if (!count.count) {
    failure_ = std::string(kCountFailedMessage) + count.qualified_table;
    return false;
  }
  side_input.record_count = *count.count;
  status_.ShowCount(side, FormatNumber(*count.count));
  context_.ui.ProcessPendingEvents();
  return true;
}

void DataCompareRun::ShowCompareStatus() {
  std::array<std::string, 2> servers;
  std::array<std::string, 2> databases;
  std::array<std::string, 2> tables;
  for (std::size_t side = 0; side < 2; ++side) {
    servers[side] = context_.CurrentServers[side].Name;
    databases[side] = request_.tables[side].database;
    tables[side] = request_.tables[side].table;
  }
  status_.Load(servers, databases, tables);
  context_.cancel_requested = false;
  Log(kCompareStatusStartingLog);

  status_.ShowStage(kCountingSourceStage);
  if (!CountSide(kSource, sides_[0]))
    return;
  if (context_.cancel_requested)
    return;
  status_.ShowStage(kCountingTargetStage);
  if (!CountSide(kTarget, sides_[1]))
    return;
  if (context_.cancel_requested)
    return;
  Log(RecordCountsLog(sides_[0].record_count, sides_[1].record_count));

  CompareRecordsInput input;
  const DataCompareOptions& options = request_.options.options;
  for (std::size_t side = 0; side < 2; ++side) {
    const DataCompareTable& table = request_.tables[side];
    const TableStructure structure =
        GetTableStructure(context_, context_.CurrentServers[side], table.database, table.table,
                          true, IgnoredColumnsKind::Data, table.object_id, "");
    for (const TableColumn& column : structure.columns)
      sides_[side].columns.push_back(column.Name);
    sides_[side].offset = options.sides[side].offset;
    sides_[side].key_columns = options.sides[side].key_columns;
  }
  sides_[0].order_by = request_.options.source_order_by;
  sides_[1].order_by = request_.options.target_order_by;
  input.sides = sides_;
  input.CompMethod = options.CompMethod;
  input.track_differences = request_.track_differences;
  input.mark_differences = true;

  RunCommandRecordsetOpener opener(context_, databases);
  DiffGrid scratch_grid;
  DiffGrid& grid = request_.track_differences ? result_.window.emplace().grid : scratch_grid;
  compared_ = CompareRecords(context_, input, opener, status_, grid);
  compared_run_ = true;
  if (compared_.status == CompareRecordsStatus::kFailed) {
    failure_ = std::string(kCompareFailedMessage) + sides_[0].qualified_table + " and " +
               sides_[1].qualified_table;
  }
}

void DataCompareRun::ShowUpWindow(const std::array<std::vector<std::string>, 2>& ignored) {
  DataDifferencesWindow& window = *result_.window;
  const DataCompareTable& source = request_.tables[0];
  const DataCompareTable& target = request_.tables[1];
  window.caption = DifferencesWindowCaption(source.table, target.table);
  window.table_labels = {DifferencesTableLabel(kSourceTableLabel, source.table, source.database,
                                               context_.CurrentServers[0].Name),
                         DifferencesTableLabel(kTargetTableLabel, target.table, target.database,
                                               context_.CurrentServers[1].Name)};
  const DataCompareOptions& options = request_.options.options;
  ShowUpDifferencesWindow(window, options.CompMethod,
                          {options.sides[0].key_columns, options.sides[1].key_columns}, ignored[0],
                          ignored[1]);
}

DataCompareResult DataCompareRun::Run(const ShowDifferencesWindow& show_window) {
  std::array<std::vector<std::string>, 2> ignored;
  for (std::size_t side = 0; side < 2; ++side) {
    ignored[side] = GetIgnoredColumns(
        context_.locations, IgnoredColumnsKind::Data,
        TableSettingsKey(context_.CurrentServers[side].Name, request_.tables[side].database,
                         request_.tables[side].table));
  }
  const std::size_t ignored_total = ignored[0].size() + ignored[1].size();
  Log(kStartingDataCompareLog);
  Log(std::string(kIgnoredColumnsCountLog) + std::to_string(ignored_total));
  const std::string ignored_text = IgnoredColumnsText(ignored[0], ignored[1]);

  ShowCompareStatus();
  status_.Unload();
  Log(kCompareStatusExitingLog);

  result_.source_count = static_cast<std::int32_t>(sides_[0].record_count);
  result_.target_count = static_cast<std::int32_t>(sides_[1].record_count);
  result_.different_records = compared_.different_records;

  if (!failure_.empty()) {
    result_.window.reset();
    Finish(DataCompareStatus::kFailed, failure_, failure_);
    context_.cancel_requested = false;
    return std::move(result_);
  }
  if (context_.cancel_requested || !compared_run_ ||
      compared_.status == CompareRecordsStatus::kCancelled) {
    result_.window.reset();
    Finish(DataCompareStatus::kCancelled, std::string(kCancelledOutcome), kCancelledOutcome);
    context_.cancel_requested = false;
    return std::move(result_);
  }
  if (compared_.identical) {
    result_.identical = true;
    if (request_.track_differences && (request_.unattended || request_.keep_identical_grid)) {
      // The empty grid, kept for an export that must not leave an older file in place. Two
      // empty tables were never read, so their grid gets its header and counts here.
      DiffGrid& grid = result_.window->grid;
      if (grid.header().empty())
        grid.LoadData(sides_[0].columns);
      grid.SetStatistics(result_.source_count, result_.target_count, 0);
      ShowUpWindow(ignored);
    } else {
      result_.window.reset();
    }
    Finish(DataCompareStatus::kIdentical, IdenticalOutcome(ignored_text), kIdenticalOutcome);
    return std::move(result_);
  }

  result_.status = DataCompareStatus::kDifferent;
  const std::int64_t max_rows = context_.settings.max_rows_in_diff_table;
  Log(std::string(kTrackDifferencesLog) + (request_.track_differences ? "True" : "False"));
  Log(std::string(kDiffRecsCountLog) + std::to_string(result_.different_records));
  Log(std::string(kMaxRowsInDiffTableLog) + std::to_string(max_rows));
  const std::string outcome = DifferencesOutcome(result_.source_count, result_.target_count,
                                                 result_.different_records, ignored_text);
  if (request_.track_differences) {
    DataDifferencesWindow& window = *result_.window;
    if (result_.different_records > max_rows) {
      if (!request_.unattended) {
        context_.ui.ShowMessage(NotAllDifferencesShownMessage(result_.different_records, max_rows),
                                MessageIcon::kInformation, kNoteTitle);
      }
      window.note_label = NotAllShownLabel(max_rows);
      window.note_visible = true;
    }
    ShowUpWindow(ignored);
    if (request_.unattended) {
      result_.outcome = outcome;
    } else {
      if (show_window)
        show_window(window);
      result_.window.reset();
    }
  } else if (request_.unattended) {
    result_.outcome = outcome;
  } else {
    context_.ui.ShowMessage(outcome);
  }
  Log(kExitingDataCompareLog);
  return std::move(result_);
}

}  // namespace

std::optional<Recordset> RunCommandRecordsetOpener::Open(int side, std::string_view query,
                                                         bool probe) {
  const bool suppressed = context_.SuppressConnectionErrors;
  if (probe)
    context_.SuppressConnectionErrors = true;
  const std::size_t index = side == kSource ? 0 : 1;
  RunCommandResult result = RunCommand(context_, context_.CurrentServers[index], CommandType::kText,
                                       query, databases_[index]);
  context_.SuppressConnectionErrors = suppressed;
  if (result.failed() || !result.recordset)
    return std::nullopt;
  return std::move(*result.recordset);
}

std::unique_ptr<RowCursor> RunCommandRecordsetOpener::OpenCursor(int side, std::string_view query,
                                                                 bool probe) {
  const bool suppressed = context_.SuppressConnectionErrors;
  if (probe)
    context_.SuppressConnectionErrors = true;
  const std::size_t index = side == kSource ? 0 : 1;
  OpenRowCursorResult result =
      OpenRowCursor(context_, context_.CurrentServers[index], query, databases_[index]);
  context_.SuppressConnectionErrors = suppressed;
  if (result.failed())
    return nullptr;
  // Each side is fetched on a thread of its own while the comparison works on the main thread;
  // the reader starts once the comparison has said what to prepare of each row.
  ReadAheadLimits limits;
  limits.deferred_start = true;
  return std::make_unique<ReadAheadRowCursor>(std::move(result.cursor), nullptr, limits);
}

void RunCommandRecordsetOpener::ReportReadFailure(int, const RowCursor& cursor,
                                                  std::string_view query) {
  ReportRowCursorFailure(context_, cursor, query);
}

DataCompareResult DataCompare(ApplicationContext& context, const DataCompareRequest& request,
                              CompareStatus& status, const ShowDifferencesWindow& show_window) {
  DataCompareRun run(context, request, status);
  return run.Run(show_window);
}

}  // namespace korvane

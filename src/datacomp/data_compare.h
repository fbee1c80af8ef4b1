// DataCompare: one data comparison of a Source table with a Target table from start to finish,
// after its options were chosen: the ignored columns of both tables, the progress dialog that
// counts the records of both tables and runs the record comparison engine, the outcome and the
// differences window. Interactive runs show their outcome (and the differences window);
// unattended runs (bulk runs, saved comparisons, the command line) show no message and return
// the outcome text. Every step is written to the data comparison log.
//
// The two tables are on the servers of the two side records (ApplicationContext::
// CurrentServers); a count that needed the schema retry leaves its finding in the side record.
//
// A record count that fails makes the run fail: its message ("Error while attempting to count
// records in table: " + table) is shown or returned and no verdict is given, so that two
// unreadable tables are never reported identical. A run whose records could not be read, or
// whose key search failed, fails the same way.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "datacomp/compare_records.h"
#include "datacomp/compare_status.h"
#include "datacomp/data_compare_run_options.h"
#include "datacomp/data_differences_window.h"

namespace korvane {

struct ApplicationContext;

struct DataCompareTable {
  std::string database;
  std::string table;           // as the object list shows it
  std::int32_t object_id = 0;  // below 1: looked up by name
};

struct DataCompareRequest {
  std::array<DataCompareTable, 2> tables;  // [side]
  DataCompareRunOptions options;
  bool unattended = false;
  // The differing records are collected in the differences window (the main window's command
  // passes true; bulk runs false).
  bool track_differences = true;
  // Interactive runs keep the empty grid of identical data in the result too (for a saved
  // process's export); unattended runs that track differences always keep it.
  bool keep_identical_grid = false;
};

enum class DataCompareStatus {
  kIdentical,
  kDifferent,
  kCancelled,
  kFailed,  // a count, a read or a key search failed: no verdict
};

struct DataCompareResult {
  DataCompareStatus status = DataCompareStatus::kFailed;
  // The outcome text of an unattended run: the cancelled, identical or failure text, or the
  // three counts when records differ (also when they were tracked). Empty in interactive runs.
  std::string outcome;
  bool identical = false;
  std::int32_t source_count = 0;
  std::int32_t target_count = 0;
  std::int32_t different_records = 0;
  // The differences window of an unattended run that tracked differences (for export): the
  // differing records, or the empty grid with its header and counts when the data is
  // identical. Interactive runs close theirs before they return (but for the empty grid that
  // keep_identical_grid asks for).
  std::optional<DataDifferencesWindow> window;
};

// Shows the differences window modally and returns when the user closes it.
using ShowDifferencesWindow = std::function<void(const DataDifferencesWindow& window)>;

// The run. `status` is the progress dialog; its Stop button (setting the context's cancel
// flag) is noticed at the next cancel point. `show_window` is called in interactive runs that
// tracked differences and found some.
DataCompareResult DataCompare(ApplicationContext& context, const DataCompareRequest& request,
                              CompareStatus& status, const ShowDifferencesWindow& show_window);

// Opens the engine's queries through run command (or as cursors, OpenRowCursor) on the side
// record's server and the side's database; a probing open suppresses the connection layer's
// failure message.
class RunCommandRecordsetOpener final : public RecordsetOpener {
 public:
  RunCommandRecordsetOpener(ApplicationContext& context, std::array<std::string, 2> databases)
      : context_(context), databases_(std::move(databases)) {}
  std::optional<Recordset> Open(int side, std::string_view query, bool probe) override;
  // The rows read one by one on a connection of their own, held until the cursor ends, and
  // read ahead on a thread of their own (ReadAheadRowCursor), so both sides are fetched at once.
  std::unique_ptr<RowCursor> OpenCursor(int side, std::string_view query, bool probe) override;
  void ReportReadFailure(int side, const RowCursor& cursor, std::string_view query) override;

 private:
  ApplicationContext& context_;
  std::array<std::string, 2> databases_;
};

}  // namespace korvane

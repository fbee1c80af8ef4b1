// The bulk data comparison: the data of every table of the Source database compared with the
// table of the same name in the Target database (or of the selected tables only), each pair with
// the unattended single-pair run (no options dialog, no messages, differences counted but not
// shown), gathered into one report text. DataCompareSelective is the entry of the menu commands
// and of saved comparisons.
//
// Report lines end with CR LF. A table whose counterpart is missing, or whose counterpart has no
// structure text (on servers before version 9 every table counts as found and a missing one is
// recognised by its empty text), is listed as existing in the Source database only, and counts
// as a difference: the report then never ends by saying all data is identical. A table pair
// whose comparison failed (a count, a read or a key search) is listed among the differing tables
// as name + " - comparison failed", and the outcome says a query failed.
//
// Selected table names are matched as the server matches names, ignoring letter case. A
// selective run that names a table neither list holds is refused before any table is compared:
// the message (title "Cannot Compare") names every such table, no report is stored and the run
// does not complete.
//
// The run polls ApplicationContext::cancel_requested before each table and after each step; a
// cancelled run (or one whose counterpart search failed) stores no report and does not complete.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compare/object_selection.h"
#include "compare/report_window.h"

namespace korvane {

struct ApplicationContext;
struct SavedProcess;
class CompareStatus;

inline constexpr std::string_view kWrongDataCompareIndexMessage =
    "Wrong index value in Sub DataCompareSelective, Index = ";
inline constexpr std::string_view kComparingDataInTablesStatus = "Comparing data in tables...";
// What the report says of a table pair whose comparison failed, after its name and " - ".
inline constexpr std::string_view kPairFailedText = "comparison failed";

// What the host window (frmCompareAllTables in data mode) shows while the run goes on.
class BulkDataCompareHost {
 public:
  virtual ~BulkDataCompareHost() = default;
  // The run starts: information label hidden, progress frame shown, elapsed time counting.
  virtual void Started() {}
  virtual void ShowStatus(std::string_view /*text*/) {}
  // The table being compared; empty clears the label.
  virtual void ShowCurrentObject(std::string_view /*name*/) {}
  // The run is over; when it did not complete the window closes.
  virtual void Ended(bool /*completed*/) {}
  // The progress dialog of each table pair's comparison; nothing: a silent one.
  virtual CompareStatus* PairStatus() { return nullptr; }
};

struct BulkDataCompareRequest {
  std::string source_database;
  std::string target_database;
  bool selective = false;
  int source_selected_count = 0;
  int target_selected_count = 0;
  std::vector<std::string> source_selection;  // displayed table names
  std::vector<std::string> target_selection;
};

struct BulkDataCompareOutcome {
  bool completed = false;
  bool some_difference = false;
  // A table list could not be read, or a table pair's comparison failed: the verdicts may be
  // incomplete.
  bool query_failed = false;
  // A selected table was not found; nothing was compared.
  bool refused = false;
  std::string report;  // also stored in the context's report buffer when completed
  int different = 0;
  int source_only = 0;
  int target_only = 0;
  int identical = 0;
};

// The bulk run between context.CurrentServers[0] and [1]. Deletes the error log first.
BulkDataCompareOutcome BulkDataCompare(ApplicationContext& context,
                                       const BulkDataCompareRequest& request,
                                       BulkDataCompareHost& host);

// Picks the tables of both databases to compare (the object-selection dialog); nothing when
// cancelled.
using TableChooser = std::function<std::optional<ObjectSelection>()>;
// Opens the report window with the report buffer as its text.
using DataReportPresenter = std::function<void(const ReportWindowState&)>;

struct DataCompareSelectiveOutcome {
  bool ran = false;  // the checks passed and the bulk run was started
  BulkDataCompareOutcome run;
  ReportWindowState window;  // what the report window was opened with
};

// DataCompareSelective: `index` 0 compares tables. The indexes 1 to 5 name procedures,
// functions, views, triggers and relationships, which hold no data, so they are refused like
// any other value: kWrongDataCompareIndexMessage + index, nothing runs. An empty database name
// shows "Cannot compare - the list of databases is empty." (title "Cannot Compare"). Selective
// runs take their tables from `saved` (a saved process being re-run) or from `choose`, and stop
// when it is cancelled. When the run completes with a report, `present` opens the report window
// titled "Comparison Report" (comparison type 0, sub type 50 selective or 60 all, with the
// saved process's export path and print flag); the report buffer is cleared afterwards.
DataCompareSelectiveOutcome DataCompareSelective(ApplicationContext& context, int index,
                                                 std::string_view source_database,
                                                 std::string_view target_database, bool selective,
                                                 BulkDataCompareHost& host,
                                                 const TableChooser& choose,
                                                 const DataReportPresenter& present,
                                                 const SavedProcess* saved = nullptr);

}  // namespace korvane

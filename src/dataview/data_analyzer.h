// frmDataAnalyze without its window: per column of one table, how many distinct values it holds
// and its ten most (or least) frequently used values with their counts. Values are counted
// here, by their exact text, not by the server, whose collation would merge "A" and "a".
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "datacomp/diff_grid.h"
#include "dataview/table_context.h"
#include "export/html_export.h"

namespace korvane {

struct ApplicationContext;

inline constexpr std::string_view kRecordsToAnalyzeCaption = "Records to be analyzed:";
inline constexpr std::string_view kFrequencyCaption = "Find data used in columns";
inline constexpr std::string_view kMostFrequently = "Most Frequently";
inline constexpr std::string_view kLeastFrequently = "Least Frequently";
inline constexpr std::string_view kStartCaption = "&Start (F5)";
inline constexpr std::string_view kIgnoreColumnsCaption = "Ignore Columns:";
inline constexpr std::string_view kPrintPreviewCaption = "Print Pre&view";
inline constexpr std::string_view kExportCaptionAnalyzer = "&Export";
inline constexpr std::string_view kNothingToPrint = "There is no data to be printed.";
inline constexpr std::string_view kNothingToExport = "There is no data to be exported.";
inline constexpr std::string_view kAnalyzerStartHint =
    "Click button 'Start' (or press F5) to analyze data.";
inline constexpr std::string_view kAnalyzerExplanation =
    "Data Analyzer will scan the values stored in particular columns to find number of unique "
    "values stored in each columns and most frequently (or least frequently, depending on your "
    "choice) values stored in each column.";
inline constexpr std::string_view kAnalyzerStopHint =
    "To stop the process at any time click button 'Stop' (or press F6).";
// Value and count pairs per report row.
inline constexpr int kAnalyzerValuePairs = 10;

// "Data Analyzer" + five spaces + "Table: " + table.
std::string AnalyzerCaption(std::string_view table);

// The report's 23 column headers: "Column Name", "Data Type", "Unique Values", then "Value 1",
// "Count" ... "Value 10", "Count".
std::vector<std::string> AnalyzerHeaders();

// The records-to-analyze field read back: digits with or without "," group separators (as the
// field shows the number "#,##0"), blanks around them allowed. Anything else, or a number that
// does not fit 64 bits, gives 0 (all records).
std::int64_t ParseRecordsToAnalyze(std::string_view text);

// The rows read per column: `records` when it is from 1 to count - 1, else the count.
std::int64_t RowsToAnalyze(std::int64_t records, std::int64_t count);

// "SELECT [column] FROM table", or "SELECT TOP n [column] FROM table" when fewer rows than the
// count are read. The column name is bracket-quoted, so any name reads its own column.
std::string AnalyzerQuery(std::string_view column, std::string_view qualified_table,
                          std::int64_t records, std::int64_t count);

// The distinct values of one column, counted by exact text (case and trailing blanks count),
// in first-seen order; a Null counts as the text "Null".
class ValueCounter {
 public:
  struct Entry {
    std::string text;
    std::int64_t count = 0;
  };

  void Add(std::string_view text);
  const std::vector<Entry>& entries() const { return entries_; }
  // Sorted by count, descending (`least` false) or ascending; equal counts keep first-seen order.
  std::vector<Entry> Sorted(bool least) const;

 private:
  std::vector<Entry> entries_;
  std::unordered_map<std::string, std::size_t> index_;
};

// One report row.
struct AnalyzerRow {
  std::string column;
  std::string data_type;
  std::int64_t unique_values = 0;
  std::vector<ValueCounter::Entry> top;  // at most ten, in report order

  // The row's 23 cells ("Unique Values" and the counts "#,##0"; missing pairs empty).
  std::vector<std::string> Cells() const;
};

// What the window shows during a run.
class AnalyzerProgress {
 public:
  virtual ~AnalyzerProgress() = default;
  // Column `index` (1-based) of `total` starts.
  virtual void ShowColumn(std::string_view column, int index, int total) = 0;
  // Row `row` of `rows` is read: "#,##0", the row bar's percent, "hh:mm:ss".
  virtual void ShowRow(std::string_view row_text, int percent, std::string_view elapsed) = 0;
  // A column is done and its report row added.
  virtual void RowAdded(const AnalyzerRow& row) = 0;
};

struct AnalyzerRequests {
  bool stop = false;
  bool exit = false;
};

struct AnalyzerRun {
  std::vector<AnalyzerRow> rows;
  bool stopped = false;  // Stop or Exit ended the run; the interrupted column has no row
};

// One analysis: the columns without the DataAnalysis ignored ones, each read with
// AnalyzerQuery and counted. A column whose query fails (reported by the connection layer) has
// no row. Events run before each row.
AnalyzerRun RunAnalysis(ApplicationContext& context, const CountedTable& table,
                        std::string_view database, std::string_view table_name,
                        std::int32_t object_id, std::int64_t records, bool least,
                        const AnalyzerRequests& requests, AnalyzerProgress* progress);

// The report as a result grid for the grid writers (its numbered first column is the report
// row's number).
DiffGrid AnalyzerGrid(const std::vector<AnalyzerRow>& rows);

// The page of an HTML export of the report.
HtmlExportPage AnalyzerExportPage(const CountedTable& table, std::string_view table_name);

}  // namespace korvane

// frmDataView without its window: every row of one table in a read-only grid, loaded row by row
// with progress, Stop and Exit. The grid keeps the rows the query returned and the number of
// rows loaded so far; it never copies them, and rows not loaded yet read as empty.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "datacomp/diff_grid.h"
#include "dataview/table_context.h"
#include "db/recordset.h"
#include "export/html_export.h"

namespace korvane {

struct ApplicationContext;

inline constexpr std::string_view kDataViewCaption = "View Data";
inline constexpr std::string_view kNoTableMessage =
    "Cannot continue - there is no structure displayed for selected table.";
inline constexpr std::string_view kCannotContinueTitle = "Cannot Continue";
// The two row colours, alternating row by row: odd rows pale yellow, even rows cyan.
inline constexpr Rgb kDataViewOddRowColour{255, 255, 128};
inline constexpr Rgb kDataViewEvenRowColour = kDataViewAlternateRowColour;
// With auto-scroll, the grid keeps the loading row this many rows below its top.
inline constexpr std::int64_t kAutoScrollRows = 40;

// "Number of records: " + count "#,##0".
std::string DataViewStatistics(std::int64_t count);

// The background of data row `row` (1-based).
Rgb DataViewRowColour(std::int64_t row);

// With auto-scroll on: the grid's new top row after row `row` was written (every 40th row past
// the first 40 scrolls to row - 40); nothing when the grid does not scroll.
std::optional<std::int64_t> AutoScrollTop(std::int64_t row);

// "SELECT * FROM " + the qualified table.
std::string DataViewQuery(std::string_view qualified_table);

class DataViewGrid {
 public:
  // The header ("Row" and the column names), no rows.
  void Prepare(const std::vector<std::string>& column_names);
  // `count` rows, none loaded.
  void SetRowCount(std::int64_t count) { count_ = count; }
  // The rows a query returned; they are shown as LoadRows counts them loaded.
  void SetRows(Recordset rows) { rows_ = std::move(rows); }
  void SetLoaded(std::int64_t loaded) { loaded_ = loaded; }

  const std::vector<std::string>& header() const { return header_; }
  std::size_t ColumnCount() const { return header_.size(); }
  // The grid's data rows: the record count, loaded or not.
  std::int64_t RowCount() const { return count_; }
  std::int64_t LoadedRows() const { return loaded_; }
  // Cell text of data row `row` (1-based) in grid column `column` (0 the row number): empty
  // for a row not loaded yet or a column the row does not have.
  std::string Cell(std::int64_t row, std::size_t column) const;

  // The loaded rows as a result grid for export, in the data view's colours.
  DiffGrid LoadedGrid() const;

 private:
  std::vector<std::string> header_;
  std::int64_t count_ = 0;
  std::int64_t loaded_ = 0;
  Recordset rows_;
};

// What a window shows while the rows load.
class DataViewProgress {
 public:
  virtual ~DataViewProgress() = default;
  // Before row `row` is written: its number "#,##0", the bar's percent and "hh:mm:ss".
  virtual void ShowRow(std::int64_t row, std::string_view row_text, int percent,
                       std::string_view elapsed) = 0;
  // Row `row` was written (the grid counts it loaded).
  virtual void RowLoaded(std::int64_t row) = 0;
  // The grid scrolls so that data row `top` is its top row.
  virtual void ScrollTo(std::int64_t top) = 0;
};

// The window's flags, set by its Stop and Exit while events run.
struct DataViewRequests {
  bool stop = false;
  bool exit = false;
};

struct DataViewLoad {
  std::int64_t loaded = 0;  // rows written
  // The number of the row the load ended at (loaded + 1), as the HTML export reports it.
  std::int64_t loaded_record_number = 0;
  bool query_failed = false;
  bool stopped = false;  // Stop or Exit ended the load early
};

// LoadData: prepares the grid with the table's column names, runs DataViewQuery on the side's
// connection and writes the rows one by one (stopping at EOF, on Stop or Exit), letting window
// events run before each. A failed query is reported by the connection layer and loads nothing.
DataViewLoad LoadDataView(ApplicationContext& context, const CountedTable& table,
                          std::string_view database, std::string_view table_name,
                          std::int32_t object_id, DataViewGrid& grid,
                          const DataViewRequests& requests, DataViewProgress* progress,
                          bool auto_scroll = true);

// The page of an HTML export of the data view.
HtmlExportPage DataViewExportPage(const CountedTable& table, const DataViewLoad& load,
                                  std::string_view statistics_label);

}  // namespace korvane

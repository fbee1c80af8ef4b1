#include "dataview/data_view.h"

#include "app/application_context.h"
#include "base/busy_pointer.h"
#include "base/clock.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "db/data_access.h"
#include "script/table_structure.h"

namespace korvane {

std::string DataViewStatistics(std::int64_t count) {
  return "Number of records: " + FormatNumber(count);
}

Rgb DataViewRowColour(std::int64_t row) {
  return row % 2 == 1 ? kDataViewOddRowColour : kDataViewEvenRowColour;
}

std::optional<std::int64_t> AutoScrollTop(std::int64_t row) {
  if (row > kAutoScrollRows && row % kAutoScrollRows == 0)
    return row - kAutoScrollRows;
  return std::nullopt;
}

std::string DataViewQuery(std::string_view qualified_table) {
  return "SELECT * FROM " + std::string(qualified_table);
}

void DataViewGrid::Prepare(const std::vector<std::string>& column_names) {
  header_.assign(1, std::string(kRowColumnCaption));
  header_.insert(header_.end(), column_names.begin(), column_names.end());
  count_ = 0;
  loaded_ = 0;
  rows_ = Recordset();
}

std::string DataViewGrid::Cell(std::int64_t row, std::size_t column) const {
  if (row < 1 || row > loaded_ || column >= header_.size())
    return {};
  if (column == 0)
    return std::to_string(row);
  const std::vector<Value>* values = rows_.RowAt(static_cast<long>(row));
  if (values == nullptr || column - 1 >= values->size())
    return {};
  return NullText((*values)[column - 1]);
}

DiffGrid DataViewGrid::LoadedGrid() const {
  DiffGrid grid;
  grid.LoadData(
      std::vector<std::string>(header_.begin() + (header_.empty() ? 0 : 1), header_.end()));
  std::vector<std::string> texts(header_.empty() ? 0 : header_.size() - 1);
  for (std::int64_t row = 1; row <= loaded_; ++row) {
    for (std::size_t k = 0; k < texts.size(); ++k)
      texts[k] = Cell(row, k + 1);
    grid.AddRecordToGrid(row, texts, DataViewRowColour(row));
  }
  return grid;
}

DataViewLoad LoadDataView(ApplicationContext& context, const CountedTable& table,
                          std::string_view database, std::string_view table_name,
                          std::int32_t object_id, DataViewGrid& grid,
                          const DataViewRequests& requests, DataViewProgress* progress,
                          bool auto_scroll) {
  DataViewLoad load;
  BusyPointer busy(context.ui);
  const auto started = context.clock.SteadyNow();
  const TableStructure structure = GetTableStructure(
      context, table.server, database, table_name, false, IgnoredColumnsKind::Data, object_id, "");
  std::vector<std::string> names;
  for (const TableColumn& column : structure.columns)
    names.push_back(column.Name);
  grid.Prepare(names);

  RunCommandResult result = RunCommand(context, table.server, CommandType::kText,
                                       DataViewQuery(table.qualified_table), database);
  if (result.failed() || !result.recordset) {
    load.query_failed = true;
    load.loaded_record_number = 1;
    return load;
  }
  Recordset& rows = *result.recordset;
  if (requests.stop || requests.exit || rows.Eof()) {
    load.stopped = requests.stop || requests.exit;
    load.loaded_record_number = 1;
    return load;
  }
  if (names.empty()) {
    // The column reader found nothing (the table changed under us): the query's own fields.
    for (int k = 0; k < rows.FieldCount(); ++k)
      names.push_back(rows.FieldName(k));
    grid.Prepare(names);
  }
  grid.SetRowCount(table.count);
  grid.SetRows(rows.Clone());

  std::int64_t row = 1;
  for (; row <= table.count; ++row) {
    if (row == 1)
      rows.MoveFirst();
    else
      rows.MoveNext();
    if (rows.Eof())
      break;
    if (progress != nullptr) {
      const auto seconds =
          std::chrono::duration_cast<std::chrono::seconds>(context.clock.SteadyNow() - started)
              .count();
      progress->ShowRow(row, FormatNumber(row), static_cast<int>(row * 100 / table.count),
                        FormatElapsed(seconds));
    }
    context.ui.ProcessPendingEvents();
    if (requests.stop || requests.exit) {
      load.stopped = true;
      break;
    }
    grid.SetLoaded(row);
    ++load.loaded;
    if (progress != nullptr) {
      progress->RowLoaded(row);
      if (auto_scroll) {
        if (const std::optional<std::int64_t> top = AutoScrollTop(row))
          progress->ScrollTo(*top);
      }
    }
  }
  load.loaded_record_number = row;
  if (progress != nullptr && !requests.exit)
    progress->ScrollTo(1);
  return load;
}

HtmlExportPage DataViewExportPage(const CountedTable& table, const DataViewLoad& load,
                                  std::string_view statistics_label) {
  HtmlExportPage page;
  page.mode = ExportSourceMode::kDataView;
  page.caption = std::string(kDataViewCaption);
  page.first_label = table.label;
  page.loaded_record_number = load.loaded_record_number;
  page.statistics_label = std::string(statistics_label);
  page.alternate_row_colour = kDataViewAlternateRowColour;
  return page;
}

}  // namespace korvane

#include "dataview/data_analyzer.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "app/application_context.h"
#include "base/busy_pointer.h"
#include "base/clock.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "catalog/sql_names.h"
#include "db/data_access.h"
#include "script/table_structure.h"

namespace korvane {

std::string AnalyzerCaption(std::string_view table) {
  return "Data Analyzer     Table: " + std::string(table);
}

std::vector<std::string> AnalyzerHeaders() {
  std::vector<std::string> headers = {"Column Name", "Data Type", "Unique Values"};
  for (int n = 1; n <= kAnalyzerValuePairs; ++n) {
    headers.push_back("Value " + std::to_string(n));
    headers.emplace_back("Count");
  }
  return headers;
}

std::int64_t ParseRecordsToAnalyze(std::string_view text) {
  text = Trim(text);
  if (text.empty())
    return 0;
  std::int64_t value = 0;
  bool digit_seen = false;
  for (const char c : text) {
    if (c == ',')
      continue;
    if (c < '0' || c > '9')
      return 0;
    const int digit = c - '0';
    if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10)
      return 0;
    value = value * 10 + digit;
    digit_seen = true;
  }
  return digit_seen ? value : 0;
}

std::int64_t RowsToAnalyze(std::int64_t records, std::int64_t count) {
  return records >= 1 && records < count ? records : count;
}

std::string AnalyzerQuery(std::string_view column, std::string_view qualified_table,
                          std::int64_t records, std::int64_t count) {
  if (records >= 1 && records < count)
    return "SELECT TOP " + std::to_string(records) + " " + QuoteName(column) + " FROM " +
           std::string(qualified_table);
  return "SELECT " + QuoteName(column) + " FROM " + std::string(qualified_table);
}

void ValueCounter::Add(std::string_view text) {
  const auto [it, added] = index_.try_emplace(std::string(text), entries_.size());
  if (added)
    entries_.push_back({std::string(text), 1});
  else
    ++entries_[it->second].count;
}

std::vector<ValueCounter::Entry> ValueCounter::Sorted(bool least) const {
  std::vector<Entry> sorted = entries_;
  std::stable_sort(sorted.begin(), sorted.end(), [least](const Entry& a, const Entry& b) {
    return least ? a.count < b.count : a.count > b.count;
  });
  return sorted;
}

std::vector<std::string> AnalyzerRow::Cells() const {
  std::vector<std::string> cells = {column, data_type, FormatNumber(unique_values)};
  for (int n = 0; n < kAnalyzerValuePairs; ++n) {
    const auto index = static_cast<std::size_t>(n);
    if (index < top.size()) {
      cells.push_back(top[index].text);
      cells.push_back(FormatNumber(top[index].count));
    } else {
      cells.emplace_back();
      cells.emplace_back();
    }
  }
  return cells;
}

AnalyzerRun RunAnalysis(ApplicationContext& context, const CountedTable& table,
                        std::string_view database, std::string_view table_name,
                        std::int32_t object_id, std::int64_t records, bool least,
                        const AnalyzerRequests& requests, AnalyzerProgress* progress) {
  AnalyzerRun run;
  BusyPointer busy(context.ui);
  const auto started = context.clock.SteadyNow();
  const TableStructure structure =
      GetTableStructure(context, table.server, database, table_name, true,
                        IgnoredColumnsKind::DataAnalysis, object_id, "");
  const int total = static_cast<int>(structure.columns.size());
  const std::int64_t rows_to_read = RowsToAnalyze(records, table.count);
  for (int index = 0; index < total; ++index) {
    const TableColumn& column = structure.columns[static_cast<std::size_t>(index)];
    if (progress != nullptr)
      progress->ShowColumn(column.Name, index + 1, total);
    if (requests.stop || requests.exit) {
      run.stopped = true;
      break;
    }
    RunCommandResult result = RunCommand(
        context, table.server, CommandType::kText,
        AnalyzerQuery(column.Name, table.qualified_table, records, table.count), database);
    if (result.failed() || !result.recordset)
      continue;
    Recordset& values = *result.recordset;
    ValueCounter counter;
    bool interrupted = false;
    values.MoveFirst();
    for (std::int64_t row = 1; row <= rows_to_read && !values.Eof(); ++row) {
      if (progress != nullptr) {
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(context.clock.SteadyNow() - started)
                .count();
        progress->ShowRow(FormatNumber(row), static_cast<int>(row * 100 / rows_to_read),
                          FormatElapsed(seconds));
      }
      context.ui.ProcessPendingEvents();
      if (requests.stop || requests.exit) {
        interrupted = true;
        break;
      }
      counter.Add(NullText(values.Field(0)));
      values.MoveNext();
    }
    if (interrupted) {
      run.stopped = true;
      break;
    }
    AnalyzerRow row;
    row.column = column.Name;
    row.data_type = std::string(Trim(column.TypeWithSize));
    row.unique_values = static_cast<std::int64_t>(counter.entries().size());
    std::vector<ValueCounter::Entry> sorted = counter.Sorted(least);
    if (sorted.size() > static_cast<std::size_t>(kAnalyzerValuePairs))
      sorted.resize(static_cast<std::size_t>(kAnalyzerValuePairs));
    row.top = std::move(sorted);
    run.rows.push_back(row);
    if (progress != nullptr)
      progress->RowAdded(run.rows.back());
  }
  return run;
}

DiffGrid AnalyzerGrid(const std::vector<AnalyzerRow>& rows) {
  DiffGrid grid;
  grid.LoadData(AnalyzerHeaders());
  std::int64_t number = 0;
  for (const AnalyzerRow& row : rows)
    grid.AddRecordToGrid(++number, row.Cells(), kWhite);
  return grid;
}

HtmlExportPage AnalyzerExportPage(const CountedTable& table, std::string_view table_name) {
  HtmlExportPage page;
  page.mode = ExportSourceMode::kDataAnalyzer;
  page.caption = AnalyzerCaption(table_name);
  page.first_label = table.label;
  return page;
}

}  // namespace korvane

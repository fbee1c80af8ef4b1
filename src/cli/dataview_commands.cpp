#include "cli/dataview_commands.h"

#include <algorithm>
#include <optional>

#include "app/application_context.h"
#include "base/memory_list_control.h"
#include "base/user_interface.h"
#include "catalog/object_list.h"
#include "catalog/object_type.h"
#include "catalog/typed_object_name.h"
#include "cli/cli.h"
#include "cli/cli_support.h"
#include "cli/grid_output.h"
#include "dataview/data_analyzer.h"
#include "dataview/data_view.h"
#include "dataview/ignored_columns_editor.h"
#include "dataview/ignored_columns_viewer.h"
#include "export/grid_export.h"
#include "saved/comparison_codes.h"

namespace korvane {
namespace {

constexpr std::string_view kAnalyzeTitle = "Data Analyzer";
constexpr std::string_view kIgnoredTitle = "Ignore Columns";

void Refuse(ApplicationContext& context, const std::string& text, std::string_view title) {
  context.ui.ShowMessage(text, MessageIcon::kExclamation, title);
}

// Puts the named server into `side` and finds the table as the object list names it.
std::optional<ViewedTable> FindTable(ApplicationContext& context, const std::string& server,
                                     const std::string& database, const std::string& table,
                                     std::string_view title) {
  if (!SetSide(context, kSource, server))
    return std::nullopt;
  const bool suppressed = context.SuppressConnectionErrors;
  context.SuppressConnectionErrors = false;
  MemoryListControl list;
  const std::vector<ObjectEntry> entries = LoadObjects(
      context, context.CurrentServers[kSource], list, nullptr, ObjectType::kTables, database);
  context.SuppressConnectionErrors = suppressed;
  // As listed, or in another letter case, [bracketed] or as schema.name.
  if (const std::optional<ObjectEntry> found = ResolveTypedObjectName(
          context, context.CurrentServers[kSource], database, entries, table))
    return ViewedTable{kSource, database, found->Name, found->Id};
  Refuse(context, "Table '" + table + "' not found in " + database + ".", title);
  return std::nullopt;
}

struct ExportChoice {
  std::filesystem::path file;
  std::int32_t type = 0;  // 0 none, else kExportTypeHtml / kExportTypeCsv
};

// Takes --csv FILE / --html FILE out of `args`; false (message shown) when malformed.
bool TakeExportOption(ApplicationContext& context, std::vector<std::string>& args,
                      ExportChoice& choice, std::string_view usage, std::string_view title) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--csv" && args[i] != "--html")
      continue;
    if (i + 1 >= args.size() || choice.type != 0) {
      Refuse(context, std::string(usage), title);
      return false;
    }
    choice.type = args[i] == "--csv" ? kExportTypeCsv : kExportTypeHtml;
    choice.file = args[i + 1];
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
               args.begin() + static_cast<std::ptrdiff_t>(i + 2));
    --i;
  }
  return true;
}

int WriteExport(ApplicationContext& context, const ExportChoice& choice, const DiffGrid& grid,
                const HtmlExportPage& page, std::string_view title) {
  const ExportOutcome outcome = ExportGridAs(context, choice.type, grid, page, choice.file);
  if (!outcome.written()) {
    Refuse(context,
           "The export file " + choice.file.string() + " was not written: " + outcome.error, title);
    return kExitFailed;
  }
  return kExitDone;
}

std::optional<IgnoredColumnsKind> KindFromName(const std::string& name) {
  if (name == "data")
    return IgnoredColumnsKind::Data;
  if (name == "structure")
    return IgnoredColumnsKind::Structure;
  if (name == "analysis")
    return IgnoredColumnsKind::DataAnalysis;
  return std::nullopt;
}

}  // namespace

int ViewDataCommand(ApplicationContext& context, const std::vector<std::string>& raw_args,
                    std::ostream& out) {
  constexpr std::string_view kUsage = "usage: view-data SERVER DB TABLE [--csv FILE | --html FILE]";
  std::vector<std::string> args = raw_args;
  ExportChoice choice;
  if (!TakeExportOption(context, args, choice, kUsage, kViewDataTitle))
    return kExitFailed;
  if (args.size() != 3) {
    Refuse(context, std::string(kUsage), kViewDataTitle);
    return kExitFailed;
  }
  const std::optional<ViewedTable> table =
      FindTable(context, args[0], args[1], args[2], kViewDataTitle);
  if (!table)
    return kExitFailed;
  const CountedTable counted = CountViewedTable(context, *table);
  if (!counted.opened)
    return kExitFailed;
  DataViewGrid grid;
  const DataViewRequests requests;
  const DataViewLoad load = LoadDataView(context, counted, table->database, table->table,
                                         table->object_id, grid, requests, nullptr, false);
  if (load.query_failed)
    return kExitFailed;
  if (choice.type != 0)
    return WriteExport(context, choice, grid.LoadedGrid(),
                       DataViewExportPage(counted, load, DataViewStatistics(counted.count)),
                       kViewDataTitle);
  WriteGridLine(out, grid.header());
  std::vector<std::string> cells(grid.ColumnCount());
  for (std::int64_t row = 1; row <= grid.LoadedRows(); ++row) {
    for (std::size_t k = 0; k < cells.size(); ++k)
      cells[k] = grid.Cell(row, k);
    WriteGridLine(out, cells);
  }
  return kExitDone;
}

int AnalyzeDataCommand(ApplicationContext& context, const std::vector<std::string>& raw_args,
                       std::ostream& out) {
  constexpr std::string_view kUsage =
      "usage: analyze-data SERVER DB TABLE [--records N] [--least] [--csv FILE | --html FILE]";
  std::vector<std::string> args = raw_args;
  ExportChoice choice;
  if (!TakeExportOption(context, args, choice, kUsage, kAnalyzeTitle))
    return kExitFailed;
  std::vector<std::string> positional;
  std::int64_t records = 0;
  bool least = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--least") {
      least = true;
    } else if (args[i] == "--records" && i + 1 < args.size()) {
      // The window's box reads anything else as 0 (all records); a typed option says so.
      const std::string& count = args[++i];
      if (count.find_first_not_of("0123456789,") != std::string::npos ||
          count.find_first_of("0123456789") == std::string::npos) {
        Refuse(context,
               "--records needs a whole number of records (0 for all), not \"" + count + "\"",
               kAnalyzeTitle);
        return kExitFailed;
      }
      records = ParseRecordsToAnalyze(count);
    } else if (args[i].starts_with("--")) {
      Refuse(context, std::string(kUsage), kAnalyzeTitle);
      return kExitFailed;
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 3) {
    Refuse(context, std::string(kUsage), kAnalyzeTitle);
    return kExitFailed;
  }
  const std::optional<ViewedTable> table =
      FindTable(context, positional[0], positional[1], positional[2], kAnalyzeTitle);
  if (!table)
    return kExitFailed;
  const CountedTable counted = CountViewedTable(context, *table);
  if (!counted.opened)
    return kExitFailed;
  const AnalyzerRequests requests;
  const AnalyzerRun run = RunAnalysis(context, counted, table->database, table->table,
                                      table->object_id, records, least, requests, nullptr);
  if (choice.type != 0)
    return WriteExport(context, choice, AnalyzerGrid(run.rows),
                       AnalyzerExportPage(counted, table->table), kAnalyzeTitle);
  WriteGridLine(out, AnalyzerHeaders());
  for (const AnalyzerRow& row : run.rows)
    WriteGridLine(out, row.Cells());
  return kExitDone;
}

int IgnoredColumnsCommand(ApplicationContext& context, const std::vector<std::string>& args,
                          std::ostream& out) {
  constexpr std::string_view kUsage =
      "usage: ignored-columns list KIND | show SERVER DB TABLE KIND | set SERVER DB TABLE KIND "
      "[COLUMN...]   (KIND: data, structure or analysis)";
  const std::string verb = args.empty() ? std::string() : args[0];
  const bool list = verb == "list" && args.size() == 2;
  const bool show = verb == "show" && args.size() == 5;
  const bool set = verb == "set" && args.size() >= 5;
  if (!list && !show && !set) {
    Refuse(context, std::string(kUsage), kIgnoredTitle);
    return kExitFailed;
  }
  const std::optional<IgnoredColumnsKind> kind = KindFromName(list ? args[1] : args[4]);
  if (!kind) {
    Refuse(context, std::string(kUsage), kIgnoredTitle);
    return kExitFailed;
  }
  if (list) {
    const IgnoredColumnsListing listing = LoadAllIgnoredColumns(context.locations, *kind);
    WriteGridLine(out, IgnoreViewerHeaders());
    for (const IgnoredColumnRecord& record : listing.records)
      WriteGridLine(out, {record.server, record.database, record.table, record.column});
    out << IgnoreViewerCountLabel(listing.records.size()) << "\n";
    return kExitDone;
  }
  const std::optional<ViewedTable> table =
      FindTable(context, args[1], args[2], args[3], kIgnoredTitle);
  if (!table)
    return kExitFailed;
  IgnoreEditorState state = OpenIgnoreEditor(context, *kind, *table);
  if (show) {
    WriteGridLine(out, {"Column", "Data Type", "Ticked"});
    for (const IgnoreEditorRow& row : state.rows)
      WriteGridLine(out, {row.column, row.data_type, row.ticked ? "1" : "0"});
    return kExitDone;
  }
  std::string unknown;
  if (!ChooseIgnoredColumns(state, std::vector<std::string>(args.begin() + 5, args.end()),
                            unknown)) {
    Refuse(context, "Column '" + unknown + "' not found in table " + table->table + ".",
           kIgnoredTitle);
    return kExitFailed;
  }
  // The editor's own refusal asks to tick a column or cancel, which means nothing here.
  if (std::none_of(state.rows.begin(), state.rows.end(),
                   [](const IgnoreEditorRow& row) { return row.ticked; })) {
    Refuse(context,
           "Not every column of table " + table->table +
               " can be ignored: name fewer columns, so that at least one stays in use.",
           kIgnoredTitle);
    return kExitFailed;
  }
  return AcceptIgnoreEditor(context, state) == IgnoreEditorSave::kSaved ? kExitDone : kExitFailed;
}

}  // namespace korvane

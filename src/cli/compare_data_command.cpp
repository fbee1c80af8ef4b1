#include "cli/compare_data_command.h"

#include <array>
#include <optional>

#include "app/application_context.h"
#include "base/memory_list_control.h"
#include "base/text.h"
#include "base/unicode_case.h"
#include "base/user_interface.h"
#include "catalog/object_list.h"
#include "catalog/schema_names.h"
#include "catalog/sql_names.h"
#include "catalog/typed_object_name.h"
#include "cli/cli.h"
#include "cli/cli_support.h"
#include "cli/terminal_progress.h"
#include "datacomp/compare_data_options_state.h"
#include "datacomp/compare_status.h"
#include "datacomp/data_compare_run_options.h"
#include "datacomp/data_compare_start.h"
#include "datacomp/key_columns_argument.h"
#include "datacomp/table_comp_settings.h"
#include "datacomp/table_settings_key.h"
#include "db/backend.h"
#include "db/data_access.h"
#include "db/server_list.h"
#include "export/grid_export.h"
#include "saved/comparison_codes.h"
#include "saved/save_comparison_dialog.h"
#include "saved/saved_comparison_store.h"
#include "script/table_structure.h"

namespace korvane {
namespace {

constexpr std::string_view kUsage =
    "usage: compare-data SSERVER SDB TSERVER TDB STABLE [TTABLE] "
    "[--key S1[:T1][,S2[:T2][,S3[:T3]]] | --by-record] [--csv FILE | --html FILE] [--save NAME]";
constexpr std::string_view kTitle = "Compare Data";
constexpr std::string_view kDifferentStructuresQuestion =
    "Compared tables have different structures.\r\n\r\nDo you still want to compare them?";
constexpr std::string_view kDifferentStructuresTitle = "Different Structures";

// Every column of a table as the options dialog lists it.
std::vector<OptionsColumn> DialogColumns(ApplicationContext& context, int side,
                                         const DataCompareTable& table) {
  const TableStructure structure = GetTableStructure(
      context, context.CurrentServers[static_cast<std::size_t>(side)], table.database, table.table,
      false, IgnoredColumnsKind::Data, table.object_id, "");
  std::vector<OptionsColumn> columns;
  for (const TableColumn& column : structure.columns)
    columns.push_back({column.Name, std::string(Trim(column.TypeWithSize))});
  return columns;
}

// The method chosen on the command line, set and stored through the options dialog's rules.
std::optional<DataCompareOptions> ChooseMethod(
    ApplicationContext& context, const std::array<DataCompareTable, 2>& tables,
    const std::array<std::string, 2>& keys, const std::optional<KeyColumnsArgument>& key_columns) {
  CompareDataOptionsState state = OpenCompareDataOptions(
      context.locations, context.settings_store, keys[0], keys[1],
      DialogColumns(context, kSource, tables[0]), DialogColumns(context, kTarget, tables[1]));
  if (key_columns) {
    std::string missing;
    if (!ChooseKeyColumnsByName(state, *key_columns, context.ui, missing)) {
      if (!missing.empty()) {
        context.ui.ShowMessage("Key column '" + missing + "' is not a column of its table.",
                               MessageIcon::kExclamation, kTitle);
      }
      return std::nullopt;
    }
  } else {
    SelectCompMethod(state, kCompMethodRecordByRecord);
  }
  CompareDataOptionsResult accepted =
      AcceptCompareDataOptions(state, context.locations, keys[0], keys[1], context.ui);
  if (!accepted.accepted)
    return std::nullopt;
  return accepted.options;
}

// The main window asks before comparing the data of tables whose structures differ; the user
// asked for this comparison, so the command goes on (the question is noted).
void ConfirmDifferentStructures(ApplicationContext& context,
                                const std::array<DataCompareTable, 2>& tables) {
  std::array<std::string, 2> texts;
  for (std::size_t side = 0; side < 2; ++side) {
    texts[side] =
        Trim(GetTableText(context, context.CurrentServers[side], tables[side].database,
                          tables[side].table, true, tables[side].object_id, "", false, ""));
  }
  if (texts[0] != texts[1]) {
    context.ui.Ask(kDifferentStructuresQuestion, kDifferentStructuresTitle, Answer::kYes,
                   MessageIcon::kQuestion);
  }
}

// A table named on the command line, resolved against the table list before any query uses it,
// so that only a table the catalogue knows (by its listed name and id) reaches the comparison:
// the listed name, its letter case, [brackets] or schema.name (see ResolveTypedObjectName). An
// unqualified name that the list shows only qualified (same-named tables in several schemas) is
// resolved as the server resolves it for a dbo user: the dbo table; several tables in other
// schemas and none in dbo are refused, naming them. An unqualified name found outside dbo (the
// one table of that name) is compared, and noted on the user interface.
std::optional<DataCompareTable> ResolveTypedTable(ApplicationContext& context, int side,
                                                  const std::string& database,
                                                  const std::string& typed) {
  ServerRecord& server = context.CurrentServers[static_cast<std::size_t>(side)];
  MemoryListControl list;
  const std::vector<ObjectEntry> entries =
      LoadObjects(context, server, list, nullptr, ObjectType::kTables, database);
  const bool qualified = !SplitQualifiedName(typed).qualifier.empty();
  std::optional<ObjectEntry> found =
      ResolveTypedObjectName(context, server, database, entries, typed);
  if (!found && !qualified) {
    const std::string bare = UnbracketName(typed);
    std::vector<const ObjectEntry*> candidates;
    for (const ObjectEntry& entry : entries) {
      if (!entry.Schema.empty() && EqualsFoldingCase(CatalogueName(entry), bare))
        candidates.push_back(&entry);
    }
    for (const ObjectEntry* candidate : candidates) {
      if (EqualsFoldingCase(candidate->Schema, "dbo"))
        found = *candidate;
    }
    if (!found && candidates.size() > 1) {
      std::string names;
      for (const ObjectEntry* candidate : candidates)
        names += (names.empty() ? "" : ", ") + candidate->Name;
      context.ui.ShowMessage("Cannot compare - database " + database + " has no table '" + typed +
                                 "' in the dbo schema but several in other schemas: " + names +
                                 ". Please name the table with its schema.",
                             MessageIcon::kExclamation, kTitle);
      return std::nullopt;
    }
  }
  if (!found) {
    context.ui.ShowMessage("Table " + typed + " not found in " + server.Name + "." + database + ".",
                           MessageIcon::kExclamation, kTitle);
    return std::nullopt;
  }
  if (!qualified) {
    const std::string schema =
        found->Schema.empty()
            ? Db_GetObjSchemaById(context, server, database, found->Id).value_or("")
            : found->Schema;
    if (!schema.empty() && !EqualsFoldingCase(schema, "dbo")) {
      context.ui.ShowMessage("Table '" + typed + "' is not in the dbo schema of database " +
                                 database + "; comparing " + schema + "." +
                                 std::string(CatalogueName(*found)) + ".",
                             MessageIcon::kInformation, kTitle);
    }
  }
  return DataCompareTable{database, found->Name, found->Id};
}

// Saves the completed run as a data comparison process of one pair of tables; the overwrite
// question is answered Yes by the command line.
bool SaveDataProcess(ApplicationContext& context, const std::string& name,
                     const std::array<DataCompareTable, 2>& tables, std::int32_t comp_method,
                     const DataCompareExportRequest& export_request, std::ostream& err) {
  SavedProcess process = SingleTableComparison(context, tables, comp_method);
  const std::array<ServerRecord, 2> sides = context.CurrentServers;

  // The servers are listed first: a process is never reported saved while a server it names
  // could not be listed.
  const bool listed = ListEmbeddedServer(context, sides[0].Name, tables[0].database) &&
                      ListEmbeddedServer(context, sides[1].Name, tables[1].database);
  context.CurrentServers = sides;
  if (!listed)
    return false;
  SavedComparisonStore store(context.locations, context.ui);
  SaveComparisonDialog dialog(store, context.ui, context.clock, process);
  if (dialog.Ok(name, false) != SaveComparisonDialog::OkOutcome::kClosed || !dialog.result().saved)
    return false;
  const std::string saved_name = dialog.result().name;
  if (!export_request.file.empty() &&
      !store.SetExport(saved_name, export_request.file.string(), export_request.export_type)) {
    return false;
  }
  err << "Saved as process " << store.ProcessId(saved_name) << "\n";
  return true;
}

}  // namespace

bool ListEmbeddedServer(ApplicationContext& context, const std::string& server,
                        const std::string& database) {
  if (!IsEmbeddedServerName(server))
    return true;
  LoadServerList(context);
  for (const ServerRecord& entry : context.servers) {
    if (EqualsIgnoringCase(entry.Name, server))
      return true;
  }
  ServerRecord record;
  record.Name = server;
  record.MRUDb = database.empty() ? "master" : database;
  // Another run may list the same server at the same moment: listed either way is fine.
  if (AppendServer(context, record) == AppendServerOutcome::kNotSaved) {
    context.ui.ShowMessage(context.settings_store.last_error(), MessageIcon::kExclamation,
                           kServerListNotSavedTitle);
    return false;
  }
  return true;
}

int RunUnattendedDataCompare(ApplicationContext& context,
                             const std::array<DataCompareTable, 2>& tables,
                             const DataCompareOptions& options,
                             const DataCompareExportRequest& export_request, std::ostream& out,
                             DataCompareResult* result_out, TerminalProgressLine* progress) {
  DataCompareRequest request;
  request.tables = tables;
  request.options = WithOrderBy(options);
  request.unattended = true;
  request.track_differences = !export_request.file.empty();
  CompareStatus silent(context.clock);
  std::optional<TerminalCompareStatus> drawn;
  if (progress)
    drawn.emplace(context.clock, *progress);
  DataCompareResult result =
      DataCompare(context, request, drawn ? static_cast<CompareStatus&>(*drawn) : silent, {});
  int exit_status = kExitFailed;
  switch (result.status) {
    case DataCompareStatus::kIdentical:
      out << result.outcome << "\n";
      exit_status = kExitDone;
      break;
    case DataCompareStatus::kDifferent:
      out << result.outcome << "\n";
      exit_status = kExitDifferent;
      break;
    case DataCompareStatus::kCancelled:
    case DataCompareStatus::kFailed:
      context.ui.ShowMessage(result.outcome, MessageIcon::kExclamation, kTitle);
      break;
  }
  if (exit_status != kExitFailed && !export_request.file.empty()) {
    if (!result.window) {
      context.ui.ShowMessage(
          "No differences window to export; " + export_request.file.string() + " was not written.",
          MessageIcon::kInformation, kTitle);
    } else {
      const ExportOutcome exported =
          ExportGridAs(context, export_request.export_type, result.window->grid,
                       DifferencesWindowPage(*result.window), export_request.file);
      if (!exported.written()) {
        context.ui.ShowMessage(exported.error, MessageIcon::kExclamation, kTitle);
        exit_status = kExitFailed;
      } else if (result.status == DataCompareStatus::kIdentical) {
        context.ui.ShowMessage("The data is identical: " + export_request.file.string() +
                                   " holds the empty differences grid.",
                               MessageIcon::kInformation, kTitle);
      }
    }
  }
  if (result_out)
    *result_out = std::move(result);
  return exit_status;
}

int CompareDataCommand(ApplicationContext& context, const std::vector<std::string>& args,
                       std::ostream& out, std::ostream& err, TerminalProgressLine* progress) {
  UserInterface& ui = context.ui;
  std::vector<std::string> positional;
  std::optional<KeyColumnsArgument> key_columns;
  bool by_record = false;
  DataCompareExportRequest export_request;
  std::optional<std::string> save_name;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool has_value = i + 1 < args.size();
    if (args[i] == "--key" && has_value && !key_columns) {
      key_columns = ParseKeyColumnsArgument(args[++i]);
      if (!key_columns) {
        ui.ShowMessage("--key names one to three columns: S1[:T1][,S2[:T2][,S3[:T3]]]",
                       MessageIcon::kExclamation, kTitle);
        return kExitFailed;
      }
    } else if (args[i] == "--by-record") {
      by_record = true;
    } else if ((args[i] == "--csv" || args[i] == "--html") && has_value &&
               export_request.file.empty() && !args[i + 1].empty()) {
      export_request.export_type = args[i] == "--csv" ? kExportTypeCsv : kExportTypeHtml;
      export_request.file = std::filesystem::absolute(args[++i]);
    } else if (args[i] == "--save" && has_value && !save_name) {
      save_name = args[++i];
    } else if (args[i].starts_with("--")) {
      ui.ShowMessage(kUsage, MessageIcon::kExclamation, kTitle);
      return kExitFailed;
    } else {
      positional.push_back(args[i]);
    }
  }
  if ((positional.size() != 5 && positional.size() != 6) || (by_record && key_columns)) {
    ui.ShowMessage(kUsage, MessageIcon::kExclamation, kTitle);
    return kExitFailed;
  }
  if (!SetSide(context, kSource, positional[0]) || !SetSide(context, kTarget, positional[2]))
    return kExitFailed;

  const std::optional<DataCompareTable> source =
      ResolveTypedTable(context, kSource, positional[1], positional[4]);
  if (!source)
    return kExitFailed;
  const std::optional<DataCompareTable> target = ResolveTypedTable(
      context, kTarget, positional[3], positional.size() == 6 ? positional[5] : positional[4]);
  if (!target)
    return kExitFailed;
  const std::array<DataCompareTable, 2> tables = {*source, *target};
  const std::array<std::string, 2> keys = {
      TableSettingsKey(context.CurrentServers[0].Name, tables[0].database, tables[0].table),
      TableSettingsKey(context.CurrentServers[1].Name, tables[1].database, tables[1].table)};

  ConfirmDifferentStructures(context, tables);
  DataCompareOptions options;
  if (by_record || key_columns) {
    const std::optional<DataCompareOptions> chosen =
        ChooseMethod(context, tables, keys, key_columns);
    if (!chosen)
      return kExitFailed;
    options = *chosen;
  } else {
    options = ReadStoredDataCompareOptions(context.locations.tables_comps_ini, keys[0], keys[1]);
  }

  const int status =
      RunUnattendedDataCompare(context, tables, options, export_request, out, nullptr, progress);
  if (save_name && status != kExitFailed &&
      !SaveDataProcess(context, *save_name, tables, options.CompMethod, export_request, err)) {
    return kExitFailed;
  }
  return status;
}

}  // namespace korvane

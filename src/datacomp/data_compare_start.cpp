#include "datacomp/data_compare_start.h"

#include "app/application_context.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "compare/compare_selected_objects.h"
#include "datacomp/table_settings_key.h"
#include "saved/ignored_columns.h"
#include "script/table_structure.h"

namespace korvane {

bool ConfirmCompareData(std::string_view source_text, std::string_view target_text,
                        bool tables_active, UserInterface& ui) {
  const std::string_view source = Trim(source_text);
  const std::string_view target = Trim(target_text);
  if (source.empty() && target.empty()) {
    ui.ShowMessage(kNothingToCompareMessage, MessageIcon::kInformation, kCannotCompareTitle);
    return false;
  }
  if (!tables_active) {
    ui.ShowMessage(kTablesOnlyMessage, MessageIcon::kInformation);
    return false;
  }
  if (source != target && ui.Ask(kDifferentStructuresQuestion, kDifferentStructuresTitle,
                                 Answer::kYes, MessageIcon::kQuestion) != Answer::kYes) {
    return false;
  }
  return true;
}

std::vector<OptionsColumn> OptionsColumnsOfTable(ApplicationContext& context, int side,
                                                 const DataCompareTable& table) {
  const TableStructure structure =
      GetTableStructure(context, context.CurrentServers[side == kSource ? 0 : 1], table.database,
                        table.table, false, IgnoredColumnsKind::Data, table.object_id, "");
  std::vector<OptionsColumn> columns;
  for (const TableColumn& column : structure.columns)
    columns.push_back({column.Name, std::string(Trim(column.TypeWithSize))});
  return columns;
}

std::array<std::string, 2> DataCompareTableKeys(const ApplicationContext& context,
                                                const std::array<DataCompareTable, 2>& tables) {
  return {TableSettingsKey(context.CurrentServers[0].Name, tables[0].database, tables[0].table),
          TableSettingsKey(context.CurrentServers[1].Name, tables[1].database, tables[1].table)};
}

std::optional<DataCompareResult> StartDataCompare(
    ApplicationContext& context, const std::array<DataCompareTable, 2>& tables, bool unattended,
    bool track_differences, bool& show_requested, const ShowOptionsDialogFor& show_dialog,
    CompareStatus& status, const ShowDifferencesWindowFor& show_window) {
  const std::array<std::string, 2> keys = DataCompareTableKeys(context, tables);
  const std::optional<DataCompareRunOptions> options = ChooseDataCompareOptions(
      context.settings_store, context.locations.tables_comps_ini, keys[0], keys[1], unattended,
      show_requested, [&]() -> std::optional<DataCompareOptions> {
        if (!show_dialog)
          return std::nullopt;
        return show_dialog(tables, keys);
      });
  if (!options)
    return std::nullopt;
  DataCompareRequest request;
  request.tables = tables;
  request.options = *options;
  request.unattended = unattended;
  request.track_differences = track_differences;
  return DataCompare(context, request, status, [&](const DataDifferencesWindow& window) {
    if (show_window)
      show_window(window, request.options.options);
  });
}

SavedProcess SingleTableComparison(const ApplicationContext& context,
                                   const std::array<DataCompareTable, 2>& tables,
                                   std::int32_t comp_method) {
  SavedProcess process;
  process.comp_type = kCompTypeData;
  process.comp_sub_type = kCompSubTypeDataSingleTable;
  process.comp_sub_sub_type = 0;
  process.comp_method = comp_method;
  process.server_name1 = context.CurrentServers[0].Name;
  process.server_name2 = context.CurrentServers[1].Name;
  process.db_name1 = tables[0].database;
  process.db_name2 = tables[1].database;
  process.table_name1 = tables[0].table;
  process.table_name2 = tables[1].table;
  process.obj_id1 = tables[0].object_id;
  process.obj_id2 = tables[1].object_id;
  return process;
}

}  // namespace korvane

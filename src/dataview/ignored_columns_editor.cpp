#include "dataview/ignored_columns_editor.h"

#include "app/application_context.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "datacomp/table_settings_key.h"
#include "script/table_structure.h"

namespace korvane {

std::string_view IgnoreEditorCaption(IgnoredColumnsKind kind) {
  switch (kind) {
    case IgnoredColumnsKind::Data:
      return "Ignore Columns - Data Comparison";
    case IgnoredColumnsKind::Structure:
      return "Ignore Columns - Structure Comparison";
    case IgnoredColumnsKind::DataAnalysis:
      return "Ignore Columns - Data Analysis";
  }
  return {};
}

std::string_view IgnoreEditorInstruction(IgnoredColumnsKind kind) {
  switch (kind) {
    case IgnoredColumnsKind::Data:
      return "Deselect columns which you want to be ignored during data comparison.";
    case IgnoredColumnsKind::Structure:
      return "Deselect columns which you want to be ignored during structure comparison.";
    case IgnoredColumnsKind::DataAnalysis:
      return "Deselect columns which you want to be ignored during data analysis.";
  }
  return {};
}

IgnoreEditorState OpenIgnoreEditor(ApplicationContext& context, IgnoredColumnsKind kind,
                                   const ViewedTable& table) {
  IgnoreEditorState state;
  state.kind = kind;
  state.server = context.CurrentServers[table.side == kTarget ? kTarget : kSource];
  state.table_key = TableSettingsKey(state.server.Name, table.database, table.table);
  state.label = TableLabel(table.table, table.database, state.server.Name);
  const TableStructure structure = GetTableStructure(context, state.server, table.database,
                                                     table.table, false, kind, table.object_id, "");
  const std::vector<std::string> ignored =
      GetIgnoredColumns(context.locations, kind, state.table_key);
  for (const TableColumn& column : structure.columns)
    state.rows.push_back({column.Name, std::string(Trim(column.TypeWithSize)),
                          !IsColumnIgnored(ignored, column.Name)});
  return state;
}

IgnoreEditorSave AcceptIgnoreEditor(ApplicationContext& context, const IgnoreEditorState& state) {
  std::vector<std::string> ignored;
  bool any_ticked = false;
  for (const IgnoreEditorRow& row : state.rows) {
    if (row.ticked)
      any_ticked = true;
    else
      ignored.push_back(row.column);
  }
  if (!any_ticked) {
    context.ui.ShowMessage(kSelectAtLeastOneColumn, MessageIcon::kInformation);
    return IgnoreEditorSave::kNothingTicked;
  }
  if (!SaveIgnoredColumns(context.locations, state.kind, state.table_key, ignored, context.ui)) {
    context.ui.ShowMessage(kIgnoredListNotSaved, MessageIcon::kExclamation);
    return IgnoreEditorSave::kNotSaved;
  }
  return IgnoreEditorSave::kSaved;
}

bool ChooseIgnoredColumns(IgnoreEditorState& state, const std::vector<std::string>& names,
                          std::string& unknown) {
  for (const std::string& name : names) {
    bool found = false;
    for (const IgnoreEditorRow& row : state.rows)
      found = found || EqualsIgnoringCase(row.column, name);
    if (!found) {
      unknown = name;
      return false;
    }
  }
  for (IgnoreEditorRow& row : state.rows)
    row.ticked = !IsColumnIgnored(names, row.column);
  return true;
}

}  // namespace korvane

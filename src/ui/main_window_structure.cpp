// The main window's structure comparison commands: Compare All Objects, the bulk and selective
// one-type comparisons, the CREATE statement of a side's object, Visualize Differences, the
// report window they open, and help.
#include <QString>

#include "app/application_context.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "catalog/catalog_failure.h"
#include "compare/comparison_commands.h"
#include "compare/difference_marker.h"
#include "compare/report_window.h"
#include "compare/script_text_source.h"
#include "db/data_access_check.h"
#include "saved/saved_process.h"
#include "script/sql_create_command.h"
#include "ui/compare_all_dialog.h"
#include "ui/compare_all_tables_dialog.h"
#include "ui/help_topics.h"
#include "ui/list_objects_dialog.h"
#include "ui/main_window.h"
#include "ui/qt_list_control.h"
#include "ui/qt_text_view.h"
#include "ui/report_window.h"
#include "ui/side_control.h"

namespace korvane {
namespace {

std::string SideDatabase(const QWidget& window, int side) {
  return std::string(Trim(SideControl<QtListControl>(window, "pvlDb", side).CurrentText()));
}

// "Cannot compare - the list of databases is empty." when a side has no database.
bool DatabasesChosen(ApplicationContext& context, const std::string& source,
                     const std::string& target) {
  if (!source.empty() && !target.empty())
    return true;
  context.ui.ShowMessage(kEmptyDatabaseListMessage, MessageIcon::kInformation, kCannotCompareTitle);
  return false;
}

}  // namespace

void MainWindow::CompareAllCommand() {
  if (command_running_ || !CheckDataAccess(context_, context_.CurrentServers[kSource].Name))
    return;
  command_running_ = true;
  RunCompareAll(nullptr);
  command_running_ = false;
}

void MainWindow::CompareOneTypeCommand(int type_index, bool details, bool selective) {
  if (command_running_ || !CheckDataAccess(context_, context_.CurrentServers[kSource].Name))
    return;
  command_running_ = true;
  RunCompareOneType(type_index, details, selective, nullptr);
  command_running_ = false;
}

void MainWindow::RunCompareAll(const SavedProcess* saved) {
  const std::string source = SideDatabase(*this, kSource);
  const std::string target = SideDatabase(*this, kTarget);
  if (!DatabasesChosen(context_, source, target))
    return;
  context_.report_buffer.clear();
  ComparisonCommandOutcome outcome;
  RunGuarded(context_.ui, "frmMain", "mnuComparisonAllObj_Click", [&] {
    ScriptTextSource texts(context_);
    CompareAllDialog dialog(context_, source, target, texts, saved, this);
    dialog.exec();
    outcome = dialog.outcome();
  });
  context_.report_buffer.clear();
  if (!outcome.report.empty())
    ShowReport(outcome.window, outcome.report);
}

void MainWindow::RunCompareOneType(int type_index, bool details, bool selective,
                                   const SavedProcess* saved) {
  const std::string source = SideDatabase(*this, kSource);
  const std::string target = SideDatabase(*this, kTarget);
  if (!DatabasesChosen(context_, source, target))
    return;
  const std::optional<ObjectType> type = ObjectTypeFromIndex(type_index);
  if (!type) {
    context_.ui.ShowMessage(std::string(kWrongTypeIndexMessage) + std::to_string(type_index));
    return;
  }
  context_.report_buffer.clear();
  ComparisonCommandOutcome outcome;
  RunGuarded(context_.ui, "frmMain", "mnuComparisonAllObjects_Click", [&] {
    std::optional<ObjectSelection> selection;
    if (selective && saved == nullptr) {
      selection = ListObjectsDialog::ShowUp(context_, source, target, *type, this);
      if (!selection)
        return;  // cancelled
    }
    ScriptTextSource texts(context_);
    CompareAllTablesDialog dialog(context_, source, target, type_index, details, selective,
                                  std::move(selection), texts, saved, this);
    dialog.exec();
    outcome = dialog.outcome();
  });
  context_.report_buffer.clear();
  if (!outcome.report.empty())
    ShowReport(outcome.window, outcome.report);
}

void MainWindow::ShowReport(const ReportWindowState& state, std::string_view text) {
  ReportWindow window(context_, state, text, this);
  window.exec();
}

void MainWindow::BuildCreateStatementCommand(int side) {
  if (command_running_)
    return;
  command_running_ = true;
  std::optional<std::string> script;
  RunGuarded(context_.ui, "frmMain", "BuildSQLCreateStatement", [&] {
    const auto& objects = SideControl<QtListControl>(*this, "pvlSqlObj", side);
    const int row = objects.CurrentRow();
    const std::int32_t id =
        row >= 0 ? static_cast<std::int32_t>(LeadingNumber(objects.Cell(row, 2))) : 0;
    script = BuildSQLCreateStatement(context_, context_.CurrentServers[side],
                                     SideControl<QtTextView>(*this, "txtTXProc", side).Text(),
                                     SideDatabase(*this, side), CurrentObjectType(),
                                     objects.CurrentText(), id);
  });
  command_running_ = false;
  if (!script)
    return;
  ReportWindowState state;
  state.title = std::string(kSqlCreateStatementTitle);
  state.save_button_visible = false;
  ShowReport(state, *script);
}

void MainWindow::VisualizeDifferencesCommand() {
  if (command_running_)
    return;
  command_running_ = true;
  RunGuarded(context_.ui, "frmMain", "mnuVisualizeDifferences_Click", [&] {
    std::vector<CompLine> source_lines;
    std::vector<CompLine> target_lines;
    bool error = false;
    Mark_Differences(SideControl<QtTextView>(*this, "txtTXProc", kSource),
                     SideControl<QtTextView>(*this, "txtTXProc", kTarget), source_lines,
                     target_lines, error, context_.ui);
  });
  command_running_ = false;
}

void MainWindow::HelpCommand(int topic) {
  OpenHelpTopic(context_, topic);
}

}  // namespace korvane

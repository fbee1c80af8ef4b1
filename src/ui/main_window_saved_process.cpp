// The main window as a saved comparison process being re-run sees it (SavedProcessHost): the
// runner (saved/saved_process_runner.h) selects the stored servers, databases and objects through
// these operations and starts the stored command. Also the menu command that runs a process and
// the run of the process the command line named.
#include <QApplication>
#include <array>

#include "app/application_context.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "catalog/catalog_failure.h"
#include "datacomp/compare_status.h"
#include "datacomp/data_compare.h"
#include "datacomp/data_compare_run_options.h"
#include "datacomp/table_comp_settings.h"
#include "datacomp/table_settings_key.h"
#include "db/data_access_check.h"
#include "export/grid_export.h"
#include "export/html_export.h"
#include "run/saved_process_runner.h"
#include "saved/comparison_codes.h"
#include "saved/saved_process.h"
#include "ui/compare_data_window.h"
#include "ui/compare_status_dialog.h"
#include "ui/main_window.h"
#include "ui/qt_list_control.h"
#include "ui/qt_selector.h"
#include "ui/save_comp_run_window.h"
#include "ui/side_control.h"

namespace korvane {
namespace {

// The row whose first column is exactly `name` (letter case counts); -1 when none is.
int RowNamed(const QtListControl& list, std::string_view name) {
  for (int row = 0; row < list.RowCount(); ++row) {
    if (list.Cell(row, 0) == name)
      return row;
  }
  return -1;
}

}  // namespace

void MainWindow::RunSavedComparisonCommand() {
  if (command_running_ || !CheckDataAccess(context_, context_.CurrentServers[kSource].Name))
    return;
  RunGuarded(context_.ui, "frmMain", "mnuFileRunSavedComp_Click",
             [&] { RunSavedProcess(context_, *this, 0); });
}

void MainWindow::RunCommandLineProcess() {
  // The command line's Id is used once, on the first showing.
  const std::int32_t id = context_.RunSavedCompId;
  context_.RunSavedCompId = 0;
  if (id < 1 || !CheckDataAccess(context_, context_.CurrentServers[kSource].Name))
    return;
  RunGuarded(context_.ui, "frmMain", "RunSavedComp", [&] { RunSavedProcess(context_, *this, id); });
}

void MainWindow::SetBusyCursor(bool busy) {
  if (busy == busy_cursor_)
    return;
  busy_cursor_ = busy;
  context_.ui.SetBusy(busy);
}

std::string MainWindow::PickProcess() {
  // The pointer is the normal one while the person picks.
  return SaveCompRunWindow::ShowUp(context_, this);
}

bool MainWindow::SelectServer(int side, std::string_view name) {
  QtSelector& servers = SideControl<QtSelector>(*this, "cmbServer", side);
  for (int index = 0; index < servers.Count(); ++index) {
    if (servers.ItemText(index) != name)
      continue;
    // Picking the server already shown loads it again, as picking another one does.
    if (servers.CurrentIndex() == index)
      catalog_->ServerChanged(side);
    else
      servers.SetCurrentIndex(index);
    return true;
  }
  return false;
}

bool MainWindow::SelectDatabase(int side, std::string_view name) {
  QtListControl& databases = SideControl<QtListControl>(*this, "pvlDb", side);
  const int row = RowNamed(databases, name);
  if (row < 0)
    return false;
  // The object list follows the database also while the busy flag is set.
  const bool busy = command_running_;
  command_running_ = false;
  if (databases.CurrentRow() == row)
    catalog_->DatabaseChanged(side);
  else
    databases.SetCurrentRow(row);
  command_running_ = busy;
  return true;
}

ObjectType MainWindow::CurrentObjectType() const {
  return catalog_->CurrentType();
}

void MainWindow::SelectObjectType(ObjectType type) {
  for (int index = 0; index < type_selector_->Count(); ++index) {
    if (type_selector_->ItemData(index) == ObjectTypeCode(type)) {
      type_selector_->SetCurrentIndex(index);
      return;
    }
  }
}

bool MainWindow::SelectObject(int side, std::string_view name) {
  QtListControl& objects = SideControl<QtListControl>(*this, "pvlSqlObj", side);
  const int row = RowNamed(objects, name);
  if (row < 0)
    return false;
  objects.SetCurrentRow(row);
  return true;
}

std::int32_t MainWindow::SelectedObjectId(int side) const {
  const QtListControl& objects = SideControl<QtListControl>(*this, "pvlSqlObj", side);
  const int row = objects.CurrentRow();
  return row >= 0 ? static_cast<std::int32_t>(LeadingNumber(objects.Cell(row, 2))) : 0;
}

void MainWindow::CompareAllObjects(const SavedProcess& process) {
  RunCompareAll(&process);
}

void MainWindow::CompareObjectsOfType(int type_index, bool details, bool selective,
                                      const SavedProcess& process) {
  RunCompareOneType(type_index, details, selective, &process);
}

void MainWindow::CompareSelectedObjects() {
  // The verdict of two objects is shown as the Compare button shows it.
  const bool busy = command_running_;
  command_running_ = false;
  CompareCommand();
  command_running_ = busy;
}

// Sub type 40: the stored pair of tables (the runner selected them) with the options stored for
// both tables and the method the process holds. When the process stores an export, the differing
// records are written to its file in its type before the differences window shows, without any
// question; an export that could not be written is reported and the window still shows.
// Identical data writes the empty grid, so that no older export stays in place.
void MainWindow::CompareTablePair(const SavedProcess& process) {
  const std::array<DataCompareTable, 2> tables = {
      DataCompareTable{process.db_name1, process.table_name1, process.obj_id1},
      DataCompareTable{process.db_name2, process.table_name2, process.obj_id2}};
  DataCompareOptions options = ReadStoredDataCompareOptions(
      context_.locations.tables_comps_ini,
      TableSettingsKey(context_.CurrentServers[kSource].Name, tables[kSource].database,
                       tables[kSource].table),
      TableSettingsKey(context_.CurrentServers[kTarget].Name, tables[kTarget].database,
                       tables[kTarget].table));
  options.CompMethod = process.comp_method == kCompMethodPrimaryKey ? kCompMethodPrimaryKey
                                                                    : kCompMethodRecordByRecord;
  DataCompareRequest request;
  request.tables = tables;
  request.options = WithOrderBy(options);
  request.track_differences = true;
  request.keep_identical_grid = !process.export_file_path.empty();
  const auto export_grid = [&](const DataDifferencesWindow& differences) {
    if (process.export_file_path.empty())
      return;
    const ExportOutcome exported =
        ExportGridAs(context_, process.export_type, differences.grid,
                     DifferencesWindowPage(differences), process.export_file_path);
    if (!exported.written())
      context_.ui.ShowMessage(exported.error, MessageIcon::kExclamation);
  };
  CompareStatusDialog status(context_, this);
  emit dataCompareStatusOpened(&status);
  const DataCompareResult result =
      DataCompare(context_, request, status, [&](const DataDifferencesWindow& differences) {
        export_grid(differences);
        CompareDataWindow window(context_, differences, process, this);
        window.exec();
      });
  if (result.status == DataCompareStatus::kIdentical && result.window)
    export_grid(*result.window);
}

// Sub types 50 and 60: the bulk run over the databases the runner selected, with the process's
// table selection, export and print request (the report window exports and prints unattended).
// The runner's busy flag is kept as it was.
void MainWindow::CompareSelectedTables(const SavedProcess& process) {
  const bool busy = command_running_;
  RunDataCompareSelective(true, &process);
  command_running_ = busy;
}

void MainWindow::CompareAllTables(const SavedProcess& process) {
  const bool busy = command_running_;
  RunDataCompareSelective(false, &process);
  command_running_ = busy;
}

}  // namespace korvane

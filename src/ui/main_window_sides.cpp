// The main window's sides and catalogue: loading and closing the window, what the catalogue asks
// of it, the layout of the two sides, reactions to the server list and the options, and the
// commands of the sides, the debug menu and the Help menu.
#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>

#include "app/application_context.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "base/version.h"
#include "catalog/catalog_failure.h"
#include "catalog/debug_commands.h"
#include "catalog/object_type_selector.h"
#include "catalog/owners.h"
#include "compare/compare_selected_in_context.h"
#include "compare/compare_selected_objects.h"
#include "compare/structure_text_copy.h"
#include "compare/structure_view_setup.h"
#include "db/data_access_check.h"
#include "script/structure_text.h"
#include "ui/add_server_dialog.h"
#include "ui/color_legend_window.h"
#include "ui/debug_options_dialog.h"
#include "ui/help_topics.h"
#include "ui/main_window.h"
#include "ui/main_window_side.h"
#include "ui/options_dialog.h"
#include "ui/qt_list_control.h"
#include "ui/qt_selector.h"
#include "ui/qt_text.h"
#include "ui/qt_text_view.h"
#include "ui/remove_server_dialog.h"
#include "ui/timeout_dialog.h"
#include "ui/tip_dialog.h"
#include "ui/window_geometry.h"

namespace korvane {

// --- load, activation and shutdown -----------------------------------------------------------

void MainWindow::Load() {
  RunGuarded(context_.ui, "frmMain", "Form_Load", [&] {
    setWindowTitle(ToQString(kApplicationTitle));
    if (const QScreen* screen = this->screen();
        screen != nullptr && screen->size() == QSize(640, 480))
      ApplyCompactLayout();
    else
      RestoreWindowGeometry(context_.settings_store, *this, *splitter_);
    statusBar()->setObjectName("sbStatusBar");
    for (int side : {kSource, kTarget})
      InitializeTXTextControl(*sides_[side]->structure, context_.settings_store);
    CopyFirstServerToSides(context_);
    FillTypeSelector(*type_selector_, context_.settings.analyze_constraints);
    const std::string plural = ObjectTypeName(catalog_->CurrentType(), false);
    SetCompareToolTip("Compare selected " + plural + " (F7)");
    for (int side : {kSource, kTarget})
      SetObjectListHeader(side, "List of all " + plural);
    FillServerSelectors();
    SetConnectState(kNotConnected);
    if (ReadBoolean(context_.settings_store, Setting::kAutoConnect) &&
        CheckDataAccess(context_, context_.CurrentServers[kSource].Name)) {
      InitializeDisplay(true);
    }
  });
  ApplyOwnerLayout();
  loaded_ = true;
}

bool MainWindow::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate && !activation_seen_) {
    activation_seen_ = true;
    // After the activation has been delivered, and only when the window is still open: a
    // window closed at once never shows the tip or asks for a server.
    QTimer::singleShot(0, this, [this] {
      if (isVisible())
        FirstActivation();
    });
  }
  return QMainWindow::event(event);
}

void MainWindow::FirstActivation() {
  if (first_activation_done_)
    return;
  first_activation_done_ = true;
  RunGuarded(context_.ui, "frmMain", "Form_Activate", [&] {
    if (ReadBoolean(context_.settings_store, Setting::kShowTipOfDay))
      ShowTipOfDay();
    if (ServerInfoSet())
      RunCommandLineProcess();
  });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The windows the main window opened go with it.
  if (color_legend_ != nullptr)
    color_legend_->close();
  // The next run opens where this one was left; the compact layout is the screen's, not a choice.
  if (!compact_)
    SaveWindowGeometry(context_.settings_store, *this, *splitter_);
  event->accept();
}

// --- operations the catalogue asks for -------------------------------------------------------

bool MainWindow::ServerInfoSet() {
  if (!CheckDataAccess(context_, context_.CurrentServers[kSource].Name))
    return false;
  if (!context_.CurrentServers[kSource].Name.empty())
    return true;
  context_.ui.ShowMessage(kNoServerMessage, MessageIcon::kInformation, kNoServerTitle);
  AddServerDialog dialog(context_, connection_test_, this);
  if (dialog.exec() == QDialog::Accepted && dialog.added()) {
    FillServerSelectors();
    InitializeDisplay(false);
  }
  return false;
}

void MainWindow::InitializeDisplay(bool load_mru_db) {
  RunGuarded(context_.ui, "frmMain", "InitializeDisplay", [&] {
    for (int side : {kSource, kTarget})
      catalog_->ClearSide(side);
    SetConnectState(kNotConnected);
    if (!ServerInfoSet())
      return;
    SetConnectState(kConnecting);
    const bool source = catalog_->LoadServer(kSource, load_mru_db);
    const bool target = catalog_->LoadServer(kTarget, load_mru_db);
    SetConnectState(source || target ? kConnected : kNotConnected);
  });
}

void MainWindow::SetCompareToolTip(std::string_view text) {
  compare_button_->setToolTip(ToQString(text));
}

void MainWindow::SetObjectListHeader(int side, std::string_view text) {
  if (side == kSource || side == kTarget)
    sides_[side]->object_header->setText(ToQString(text));
}

// --- layout ----------------------------------------------------------------------------------

void MainWindow::FillServerSelectors() {
  for (int side : {kSource, kTarget}) {
    QtSelector& servers = *sides_[side]->servers;
    servers.SetTag(kBusyTag);
    servers.Clear();
    for (const ServerRecord& server : context_.servers)
      servers.AddItem(server.Name);
    if (servers.Count() > 0)
      servers.SetCurrentIndex(0);
    servers.SetTag("");
  }
}

void MainWindow::ApplyOwnerLayout() {
  for (int side : {kSource, kTarget})
    sides_[side]->owner_row->setVisible(context_.settings.show_owners);
}

void MainWindow::ApplyCompactLayout() {
  compact_ = true;
  centralWidget()->layout()->setContentsMargins(2, 2, 2, 2);
  // The command buttons go into two rows and each half's buttons into two rows of three.
  auto* commands = static_cast<QGridLayout*>(findChild<QWidget*>("fraCommands")->layout());
  const char* second_row[] = {"cmdCompareAll", "cmdCompData", "cmdHelp"};
  for (int i = 0; i < 3; ++i) {
    QWidget* button = findChild<QWidget*>(second_row[i]);
    commands->removeWidget(button);
    commands->addWidget(button, 1, 2 + i);
  }
  for (int side : {kSource, kTarget}) {
    Side& s = *sides_[side];
    s.frame->layout()->setSpacing(2);
    s.databases->setMaximumHeight(64);
    PlaceButtons(*s.buttons, s.button_list, 2);
  }
  // The window's minimum follows its layouts; they are brought up to date before the resize.
  for (QLayout* layout : findChildren<QLayout*>())
    layout->invalidate();
  layout()->activate();
  resize(640, 440);
  splitter_->setSizes({320, 320});
}

void MainWindow::SetConnectState(int state) {
  connect_state_ = state;
  connect_button_->setProperty("connectState", state);
  static constexpr const char* kStates[] = {"Connected", "Connecting...", "Not connected"};
  statusBar()->showMessage(tr(kStates[state]));
}

// --- reactions ---------------------------------------------------------------------------------

void MainWindow::ServerListChanged() {
  FillServerSelectors();
  InitializeDisplay(false);
}

void MainWindow::ReactToOptions(OptionsReaction::Kind kind) {
  switch (kind) {
    case OptionsReaction::Kind::kRedoOwnerLayout:
      ApplyOwnerLayout();
      for (int side : {kSource, kTarget}) {
        Side& s = *sides_[side];
        s.owners->SetTag(kBusyTag);
        s.owners->Clear();
        s.owners->SetTag("");
        LoadOwners(context_, context_.CurrentServers[side], Trim(s.databases->CurrentText()),
                   *type_selector_, *s.owners);
      }
      return;
    case OptionsReaction::Kind::kReloadBothSides:
      InitializeDisplay(false);
      return;
    case OptionsReaction::Kind::kCacheSizeNotice:
      return;
    case OptionsReaction::Kind::kRefreshObjectTypes: {
      FillTypeSelector(*type_selector_, context_.settings.analyze_constraints);
      InitializeDisplay(false);
      const std::string plural = ObjectTypeName(catalog_->CurrentType(), false);
      SetCompareToolTip("Compare selected " + plural + " (F7)");
      for (int side : {kSource, kTarget})
        SetObjectListHeader(side, "List of all " + plural);
      return;
    }
  }
}

// --- commands ----------------------------------------------------------------------------------

void MainWindow::ConnectCommand() {
  if (command_running_)
    return;
  if (CheckDataAccess(context_, context_.CurrentServers[kSource].Name))
    InitializeDisplay(true);
}

void MainWindow::RefreshCommand(int side) {
  if (command_running_)
    return;
  if (CheckDataAccess(context_, context_.CurrentServers[side].Name))
    catalog_->RefreshDisplayForPanel(side);
}

SelectionContext MainWindow::CurrentSelection() const {
  SelectionContext selection;
  const ObjectType type = catalog_->CurrentType();
  selection.type_code = ObjectTypeCode(type);
  selection.type_word = ObjectTypeName(type, false);
  for (int side : {kSource, kTarget}) {
    const Side& s = *sides_[side];
    SelectedObject& object = selection.sides[side];
    object.server_name = context_.CurrentServers[side].Name;
    object.database = Trim(s.databases->CurrentText());
    object.object_name = s.objects->CurrentText();
    const int row = s.objects->CurrentRow();
    if (row >= 0)
      object.object_id = static_cast<std::int32_t>(LeadingNumber(s.objects->Cell(row, 2)));
  }
  return selection;
}

void MainWindow::ShowComparisonResult(const SelectedObjectsComparison& result) {
  // The verdict with the two keys in the report window, which can save the comparison as a
  // process of two objects; a saved process re-run this way exports and prints from there.
  ReportWindowState state = result.window;
  if (run_state_.running_saved_process) {
    state.running_saved_process = true;
    state.export_path = run_state_.export_path;
    state.print = run_state_.print;
  }
  ShowReport(state, result.report_text);
}

void MainWindow::CompareCommand() {
  if (command_running_)
    return;
  command_running_ = true;
  context_.ui.SetBusy(true);
  std::optional<SelectedObjectsComparison> result;
  RunGuarded(context_.ui, "frmMain", "cmdCompare_Click", [&] {
    result = korvane::CompareSelectedObjects(
        context_, CurrentSelection(), *sides_[kSource]->structure, *sides_[kTarget]->structure);
  });
  context_.ui.SetBusy(false);
  command_running_ = false;
  if (result)
    ShowComparisonResult(*result);
}

void MainWindow::CompareHighlightedCommand() {
  if (command_running_ || !CheckDataAccess(context_, context_.CurrentServers[kSource].Name))
    return;
  command_running_ = true;
  std::optional<SelectedObjectsComparison> result;
  RunGuarded(context_.ui, "frmMain", "mnuCompareHighlighted_Click", [&] {
    result =
        CompareHighlightedSections(CurrentSelection(), *sides_[kSource]->structure,
                                   *sides_[kTarget]->structure, context_.settings, context_.ui);
  });
  context_.ui.SetBusy(false);
  command_running_ = false;
  if (result)
    ShowComparisonResult(*result);
}

void MainWindow::ColorSchemaCommand() {
  if (color_legend_ == nullptr) {
    color_legend_ = new ColorLegendWindow(this);
    color_legend_->setAttribute(Qt::WA_DeleteOnClose);
  }
  color_legend_->show();
  color_legend_->raise();
}

void MainWindow::CopyToClipboardCommand(int side) {
  if (command_running_)
    return;
  const Side& s = *sides_[side];
  CopyStructureToClipboard(s.objects->CurrentRow() >= 0, *s.structure, context_.ui);
}

void MainWindow::CopyToFileCommand(int side) {
  if (command_running_)
    return;
  const Side& s = *sides_[side];
  CopyStructureToFile(s.objects->CurrentRow() >= 0, *s.structure, s.objects->CurrentText(),
                      context_.locations.data_folder, context_.ui);
}

void MainWindow::GetOwnerCommand(int side) {
  if (command_running_ || !CheckDataAccess(context_, context_.CurrentServers[side].Name))
    return;
  catalog_->GetOwnerCommand(side);
}

void MainWindow::GetAllOwnersCommand(int side) {
  if (command_running_ || !CheckDataAccess(context_, context_.CurrentServers[side].Name))
    return;
  catalog_->GetAllOwnersCommand(side);
}

void MainWindow::AboutCommand() {
  context_.ui.ShowMessage(std::string(kApplicationTitle) + " " + std::string(kProgramVersion) +
                              " (build " + std::to_string(kBuildNumber) + ")",
                          MessageIcon::kInformation);
}

void MainWindow::ShowTipOfDay() {
  TipDialog dialog(context_, this);
  dialog.exec();
}

void MainWindow::AddServerCommand() {
  AddServerDialog dialog(context_, connection_test_, this);
  if (dialog.exec() == QDialog::Accepted && dialog.added())
    emit serverListChanged();
}

void MainWindow::RemoveServerCommand() {
  if (!CanOpenRemoveServerDialog(context_))
    return;
  RemoveServerDialog dialog(context_, this);
  if (dialog.exec() == QDialog::Accepted && dialog.removed())
    emit serverListChanged();
}

void MainWindow::OptionsCommand() {
  const LoadedSettings before = context_.settings;
  OptionsDialog dialog(context_, this);
  dialog.exec();
  if (!dialog.saved())
    return;
  for (const OptionsReaction& reaction : OptionsReactions(before, context_.settings)) {
    if (!reaction.message.empty())
      context_.ui.ShowMessage(reaction.message, MessageIcon::kInformation);
    emit optionsReaction(reaction.kind);
  }
}

void MainWindow::TimeoutCommand() {
  TimeoutDialog dialog(context_, this);
  dialog.exec();
}

void MainWindow::DebugServerVersionCommand() {
  if (!context_.DebugMode)
    return;
  ShowServerVersionAndSides(context_);
}

void MainWindow::DebugObjectSchemaCommand() {
  if (!context_.DebugMode)
    return;
  const SelectedObject object = CurrentSelection().sides[kSource];
  ShowObjectSchemaById(context_, sides_[kSource]->databases->RowCount() > 0, object.database,
                       object.object_name, object.object_id);
}

void MainWindow::DebugOptionsCommand() {
  if (!context_.DebugMode)
    return;
  DebugOptionsDialog dialog(context_, this);
  dialog.exec();
}

}  // namespace korvane

// frmMain: the main window. A Source half (left) and a Target half (right) split by a movable
// splitter, the object-type selector and the command buttons above them, and the menus. The
// selection rules are the catalogue's (MainWindowCatalog); the window lays the controls out,
// forwards their events and provides the operations the rules ask of it.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>
#include <optional>

#include "app/settings.h"
#include "catalog/main_window_catalog.h"
#include "catalog/object_list.h"
#include "dataview/table_context.h"
#include "db/server_list.h"
#include "run/saved_process_host.h"
#include "saved/ignored_columns.h"
#include "ui/color_legend_window.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;

namespace korvane {

struct ApplicationContext;
struct ReportWindowState;
struct SavedProcess;
class CompareAllTablesDataDialog;
class CompareStatusDialog;
class QtListControl;
class QtSelector;
class QtTextView;
struct SelectedObjectsComparison;
struct SelectionContext;

// The tool tip of the commands whose windows the program does not have yet.
inline constexpr std::string_view kNotAvailableYet = "Not available yet";
inline constexpr std::string_view kNoServerTitle = "No SQL Server";
inline constexpr std::string_view kNoServerMessage =
    "There is no SQL server to connect to.\r\n\r\n"
    "Please add server by filling in following form or by clicking menu item 'Tools' -> 'Add "
    "Server' and specifying info for the server.";

// The connect button's states.
inline constexpr int kConnected = 0;
inline constexpr int kConnecting = 1;
inline constexpr int kNotConnected = 2;

class MainWindow final : public QMainWindow, public MainWindowOperations, public SavedProcessHost {
  Q_OBJECT

 public:
  // Loads the window (Form_Load): with "AutoConnect" on, both sides are connected before the
  // constructor returns. The scripting module shows the structure texts.
  explicit MainWindow(ApplicationContext& context, QWidget* parent = nullptr);
  // The same with another renderer of the structure texts.
  MainWindow(ApplicationContext& context, StructureTextRenderer render, QWidget* parent = nullptr);
  ~MainWindow() override;

  QMenu* debugMenu() const { return debug_menu_; }

  // The connection test the add-server dialog runs; the data-access layer's by default.
  void SetConnectionTest(ConnectionTest test) { connection_test_ = std::move(test); }

  // --- MainWindowOperations
  bool ServerInfoSet() override;
  void InitializeDisplay(bool load_mru_db) override;
  void SetCompareToolTip(std::string_view text) override;
  void SetObjectListHeader(int side, std::string_view text) override;
  bool IsLoaded() const override { return loaded_; }
  bool IsCommandRunning() const override { return command_running_; }

  // --- SavedProcessHost (main_window_saved_process.cpp); InitializeDisplay is shared.
  bool IsBusy() const override { return command_running_; }
  void SetBusy(bool busy) override { command_running_ = busy; }
  void SetBusyCursor(bool busy) override;
  void SetRunState(const SavedProcessRunState& state) override { run_state_ = state; }
  std::string PickProcess() override;
  bool SelectServer(int side, std::string_view name) override;
  bool SelectDatabase(int side, std::string_view name) override;
  ObjectType CurrentObjectType() const override;
  void SelectObjectType(ObjectType type) override;
  bool SelectObject(int side, std::string_view name) override;
  std::int32_t SelectedObjectId(int side) const override;
  void CompareAllObjects(const SavedProcess& process) override;
  void CompareObjectsOfType(int type_index, bool details, bool selective,
                            const SavedProcess& process) override;
  void CompareSelectedObjects() override;
  void CompareTablePair(const SavedProcess& process) override;
  void CompareSelectedTables(const SavedProcess& process) override;
  void CompareAllTables(const SavedProcess& process) override;

  int ConnectState() const { return connect_state_; }
  // The layout for a 640 by 480 screen: the window and its controls fit in it.
  void ApplyCompactLayout();
  bool IsCompactLayout() const { return compact_; }
  // The structure view's pop-up menu of a side.
  QMenu* StructureMenu(int side) const;
  // The colour legend window while it is open.
  ColorLegendWindow* ColorLegend() const { return color_legend_.data(); }

 public slots:
  // Help > "&Tip of the Day..."; the first activation opens it too when "ShowTipOfDay" is on.
  void ShowTipOfDay();
  // What happens the first time the window becomes active; later calls do nothing.
  void FirstActivation();

 signals:
  // A server was added or removed: both sides now hold the first entry of the list; the window
  // refills its server selectors and reloads both sides.
  void serverListChanged();
  // The Options dialog saved a change the window reacts to, in the order of the reactions
  // (its message has been shown already). The window carries the reaction out.
  void optionsReaction(korvane::OptionsReaction::Kind kind);
  // A data comparison opened its progress dialog (before the run starts).
  void dataCompareStatusOpened(korvane::CompareStatusDialog* dialog);
  // A bulk data comparison opened its host window (before the run starts).
  void dataBulkCompareOpened(korvane::CompareAllTablesDataDialog* dialog);

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Side;

  void BuildMenus();
  QWidget* BuildCommandRow();
  QWidget* BuildSide(int side);
  QMenu* BuildStructureMenu(int side);
  void Load();

  void FillServerSelectors();
  void ApplyOwnerLayout();
  void SetConnectState(int state);
  void ReactToOptions(OptionsReaction::Kind kind);
  void ServerListChanged();

  // Commands.
  void ConnectCommand();
  void RefreshCommand(int side);
  void CompareCommand();
  void CompareHighlightedCommand();
  void ColorSchemaCommand();
  void CopyToClipboardCommand(int side);
  void CopyToFileCommand(int side);
  void GetOwnerCommand(int side);
  void GetAllOwnersCommand(int side);
  void AboutCommand();
  void AddServerCommand();
  void RemoveServerCommand();
  void OptionsCommand();
  void TimeoutCommand();
  void DebugServerVersionCommand();
  void DebugObjectSchemaCommand();
  void DebugOptionsCommand();
  // Data comparisons (main_window_data.cpp).
  void ConnectDataCommands();
  void CompareDataCommand();
  // Compare Data in Selected Tables (`selective`) or in All Tables; the run a saved process
  // starts too (`saved` is the process being re-run, null for the person's own command).
  void CompareTablesDataCommand(bool selective);
  void RunDataCompareSelective(bool selective, const SavedProcess* saved);

  // Database tools (main_window_tools.cpp): Find Object, Database Information, Attach Database.
  void ConnectToolCommands();
  void FindObjectCommand(int side, bool general);
  void DatabaseInfoCommand(int side);
  void AttachDatabaseCommand();
  // Data view, data analyzer and ignored-column lists (main_window_dataview.cpp).
  void ConnectDataViewCommands();
  std::optional<ViewedTable> SelectedTable(int side);
  void ViewDataCommand(int side);
  void AnalyzeDataCommand(int side);
  void IgnoreColumnsCommand(int side);
  void ListIgnoredColumnsCommand(IgnoredColumnsKind kind);

  // Structure comparison commands (main_window_structure.cpp). The commands check the busy flag
  // and the data access; the runs below them are what a saved process starts (`saved` is the
  // process being re-run, null for the person's own command).
  void CompareAllCommand();
  void CompareOneTypeCommand(int type_index, bool details, bool selective);
  void RunCompareAll(const SavedProcess* saved);
  void RunCompareOneType(int type_index, bool details, bool selective, const SavedProcess* saved);
  void BuildCreateStatementCommand(int side);
  void VisualizeDifferencesCommand();
  void HelpCommand(int topic);
  // Opens the report window modally with `text`.
  void ShowReport(const ReportWindowState& state, std::string_view text);
  // Saved processes (main_window_saved_process.cpp): the menu command and the command line's.
  void RunSavedComparisonCommand();
  void RunCommandLineProcess();

  // The window's two structure views, current selection and settings as the comparison needs.
  SelectionContext CurrentSelection() const;
  void ShowComparisonResult(const SelectedObjectsComparison& result);

  ApplicationContext& context_;
  StructureTextRenderer render_;
  ConnectionTest connection_test_;
  QMenu* debug_menu_ = nullptr;
  QtSelector* type_selector_ = nullptr;
  QPushButton* connect_button_ = nullptr;
  QPushButton* compare_button_ = nullptr;
  QSplitter* splitter_ = nullptr;
  std::array<std::unique_ptr<Side>, 2> sides_;
  std::unique_ptr<MainWindowCatalog> catalog_;
  QPointer<ColorLegendWindow> color_legend_;

  int connect_state_ = kNotConnected;
  bool loaded_ = false;
  bool command_running_ = false;  // the busy flag of the window's commands
  bool activation_seen_ = false;
  bool first_activation_done_ = false;
  bool compact_ = false;
  SavedProcessRunState run_state_;  // the saved process being re-run, if any
  bool busy_cursor_ = false;
  bool data_options_requested_ = false;  // one-shot request to show the data options dialog
};

}  // namespace korvane

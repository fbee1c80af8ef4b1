#include "ui/main_window.h"

#include <QAction>
#include <QCloseEvent>
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

namespace {

constexpr const char* kSideNames[] = {"Source", "Target"};

QString Named(const char* name, int side) {
  return QString("%1_%2").arg(name).arg(side);
}

template <typename Receiver, typename Slot>
QAction* AddItem(QMenu* menu, const QString& caption, const QString& name, Receiver* receiver,
                 Slot slot) {
  QAction* action = menu->addAction(caption, receiver, slot);
  action->setObjectName(name);
  return action;
}

// An item whose window the program does not have yet: there, but disabled and saying so.
QAction* AddUnavailableItem(QMenu* menu, const QString& caption, const QString& name) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  action->setEnabled(false);
  action->setToolTip(ToQString(kNotAvailableYet));
  menu->setToolTipsVisible(true);
  return action;
}

QMenu* AddMenu(QMenu* parent, const QString& caption, const QString& name) {
  QMenu* menu = parent->addMenu(caption);
  menu->setObjectName(name);
  return menu;
}

QPushButton* MakeButton(QWidget* parent, const QString& caption, const QString& name,
                        std::string_view tool_tip) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setToolTip(ToQString(tool_tip));
  return button;
}

QPushButton* MakeUnavailableButton(QWidget* parent, const QString& caption, const QString& name) {
  QPushButton* button = MakeButton(parent, caption, name, kNotAvailableYet);
  button->setEnabled(false);
  return button;
}

// The captions of the object types in the order of the comparison menus, with their keys.
constexpr const char* kTypeKeys[] = {"&Tables",   "&Procedures",    "&Functions",  "&Views",
                                     "T&riggers", "R&elationships", "&Constraints"};

// One item per type index; `act` runs the command of the chosen index.
void AddTypeItems(QMenu* menu, const QString& prefix, const QString& suffix, const char* name,
                  const std::function<void(int)>& act) {
  for (int index = 0; index < 7; ++index) {
    QAction* action = menu->addAction(prefix + kTypeKeys[index] + suffix);
    action->setObjectName(Named(name, index));
    QObject::connect(action, &QAction::triggered, menu, [act, index] { act(index); });
  }
}

}  // namespace

MainWindow::MainWindow(ApplicationContext& context, QWidget* parent)
    : MainWindow(context, MakeStructureTextRenderer(context), parent) {}

MainWindow::MainWindow(ApplicationContext& context, StructureTextRenderer render, QWidget* parent)
    : QMainWindow(parent), context_(context), render_(std::move(render)) {
  setObjectName("frmMain");
  resize(1024, 700);
  BuildMenus();

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(BuildCommandRow());
  splitter_ = new QSplitter(Qt::Horizontal, central);
  splitter_->setObjectName("splMain");
  splitter_->setChildrenCollapsible(false);
  for (int side : {kSource, kTarget})
    splitter_->addWidget(BuildSide(side));
  splitter_->setStretchFactor(0, 1);
  splitter_->setStretchFactor(1, 1);
  layout->addWidget(splitter_, 1);
  setCentralWidget(central);

  catalog_ = std::make_unique<MainWindowCatalog>(context_, *this, *type_selector_,
                                                 sides_[kSource]->Controls(),
                                                 sides_[kTarget]->Controls(), render_);
  catalog_->ConnectSelectionEvents();
  for (int side : {kSource, kTarget}) {
    connect(sides_[side]->objects, &QtListControl::modifierGesture, this,
            [this, side](int state) { catalog_->InformationGesture(side, state); });
  }
  connect(this, &MainWindow::serverListChanged, this, &MainWindow::ServerListChanged);
  connect(this, &MainWindow::optionsReaction, this, &MainWindow::ReactToOptions);

  // Keys the window handles itself, and the function keys of its buttons.
  auto shortcut = [this](QKeySequence keys, std::function<void()> act) {
    auto* key = new QShortcut(keys, this);
    connect(key, &QShortcut::activated, this, std::move(act));
  };
  shortcut(QKeySequence(Qt::Key_F5), [this] { connect_button_->click(); });
  shortcut(QKeySequence(Qt::Key_F6), [this] { type_selector_->setFocus(Qt::ShortcutFocusReason); });
  shortcut(QKeySequence(Qt::Key_F7), [this] { compare_button_->click(); });
  ConnectDataCommands();
  ConnectToolCommands();
  ConnectDataViewCommands();
  shortcut(QKeySequence(Qt::Key_F1), [this] { HelpCommand(kMainWindowHelpTopic); });
  shortcut(QKeySequence(Qt::Key_F8), [this] { CompareAllCommand(); });

  Load();
}

MainWindow::~MainWindow() {
  // The catalogue holds the controls; it goes before them.
  catalog_.reset();
}

// --- building ------------------------------------------------------------------------------

void MainWindow::BuildMenus() {
  QMenu* file_menu = menuBar()->addMenu(tr("&File"));
  file_menu->setObjectName("mnuFile");
  AddItem(file_menu, tr("&Connect to the Server"), "mnuFileConnect", this,
          &MainWindow::ConnectCommand);
  file_menu->addSeparator();
  AddItem(file_menu, tr("Refresh - &Source"), "mnuFileRefresh_0", this,
          [this] { RefreshCommand(kSource); });
  AddItem(file_menu, tr("Refresh - &Target"), "mnuFileRefresh_1", this,
          [this] { RefreshCommand(kTarget); });
  file_menu->addSeparator();
  AddItem(file_menu, tr("&Run Saved Comparison Process"), "mnuFileRunSavedComp", this,
          &MainWindow::RunSavedComparisonCommand);
  file_menu->addSeparator();
  AddItem(file_menu, tr("E&xit"), "mnuFileExit", this, &QWidget::close);

  QMenu* structure_menu = menuBar()->addMenu(tr("&Structure Comparisons"));
  structure_menu->setObjectName("mnuComparison");
  AddItem(structure_menu, tr("Compare &Selected Objects"), "mnuComparisonSelObj", this,
          &MainWindow::CompareCommand);
  AddItem(structure_menu, tr("Compare &All Objects"), "mnuComparisonAllObj", this,
          &MainWindow::CompareAllCommand);
  structure_menu->addSeparator();
  QMenu* bulk = AddMenu(structure_menu, tr("&Bulk Comparisons"), "mnuBulk");
  auto one_type = [this](bool details, bool selective) {
    return
        [this, details, selective](int index) { CompareOneTypeCommand(index, details, selective); };
  };
  AddTypeItems(AddMenu(bulk, tr("&Simple"), "mnuBulkSimple"), "Compare All ", "",
               "mnuBulkSimpleType", one_type(false, false));
  AddTypeItems(AddMenu(bulk, tr("&Details"), "mnuBulkDetails"), "Compare All ", " - Details",
               "mnuBulkDetailsType", one_type(true, false));
  QMenu* selective = AddMenu(structure_menu, tr("&Selective Comparisons"), "mnuSelective");
  AddTypeItems(AddMenu(selective, tr("&Simple"), "mnuSelectiveSimple"), "Compare Selected ", "",
               "mnuSelectiveSimpleType", one_type(false, true));
  AddTypeItems(AddMenu(selective, tr("&Details"), "mnuSelectiveDetails"), "Compare Selected ",
               " - Details", "mnuSelectiveDetailsType", one_type(true, true));

  QMenu* data_menu = menuBar()->addMenu(tr("&Data Comparisons"));
  data_menu->setObjectName("mnuDataComparisons");
  AddItem(data_menu, tr("Compare &Data in Single Pair of Tables"), "mnuDataCompSingle", this,
          &MainWindow::CompareDataCommand);
  AddItem(data_menu, tr("Compare Data in &Selected Tables"), "mnuDataCompSelected", this,
          [this] { CompareTablesDataCommand(true); });
  AddItem(data_menu, tr("Compare Data in &All Tables"), "mnuDataCompAll", this,
          [this] { CompareTablesDataCommand(false); });

  QMenu* sql_menu = menuBar()->addMenu(tr("S&QL"));
  sql_menu->setObjectName("mnuSQL");
  AddItem(sql_menu, tr("Build SQL CREATE Statement - &Source"), "mnuSQLCreate_0", this,
          [this] { BuildCreateStatementCommand(kSource); });
  AddItem(sql_menu, tr("Build SQL CREATE Statement - &Target"), "mnuSQLCreate_1", this,
          [this] { BuildCreateStatementCommand(kTarget); });

  QMenu* tools_menu = menuBar()->addMenu(tr("&Tools"));
  tools_menu->setObjectName("mnuTools");
  AddItem(tools_menu, tr("&Add Server"), "mnuToolsAddServer", this, &MainWindow::AddServerCommand);
  AddItem(tools_menu, tr("&Remove Server"), "mnuToolsRemoveServer", this,
          &MainWindow::RemoveServerCommand);
  tools_menu->addSeparator();
  QMenu* analyzer = AddMenu(tools_menu, tr("Data Analyzer"), "mnuToolsDataAnalyzer");
  AddUnavailableItem(analyzer, tr("Analyze Data in Source Table"), "mnuToolsAnalyze_0");
  AddUnavailableItem(analyzer, tr("Analyze Data in Target Table"), "mnuToolsAnalyze_1");
  tools_menu->addSeparator();
  QMenu* find = AddMenu(tools_menu, tr("&Find Object"), "mnuToolsFindObject");
  AddUnavailableItem(find, tr("In &Source Database"), "mnuToolsFind_0");
  AddUnavailableItem(find, tr("In &Target Database"), "mnuToolsFind_1");
  tools_menu->addSeparator();
  AddUnavailableItem(tools_menu, tr("Atta&ch Database"), "mnuToolsAttach");
  tools_menu->addSeparator();
  AddUnavailableItem(tools_menu, tr("List All Ignored Columns - &Data Comparisons"),
                     "mnuToolsIgnoredData");
  AddUnavailableItem(tools_menu, tr("List All Ignored Columns - &Structure Comparisons"),
                     "mnuToolsIgnoredStruct");
  tools_menu->addSeparator();
  AddItem(tools_menu, tr("&Timeout"), "mnuToolsTimeout", this, &MainWindow::TimeoutCommand);
  AddItem(tools_menu, tr("&Options..."), "mnuToolsOptions", this, &MainWindow::OptionsCommand);

  QMenu* help_menu = menuBar()->addMenu(tr("&Help"));
  help_menu->setObjectName("mnuHelp");
  AddItem(help_menu, tr("&Index..."), "mnuHelpIndex", this,
          [this] { HelpCommand(kMainWindowHelpTopic); });
  AddItem(help_menu, tr("&Tip of the Day..."), "mnuHelpTipOfDay", this, &MainWindow::ShowTipOfDay);
  AddItem(help_menu, tr("Technical &Support"), "mnuHelpSupport", this,
          [this] { HelpCommand(kTechnicalSupportHelpTopic); });
  help_menu->addSeparator();
  AddItem(help_menu, tr("&About..."), "mnuHelpAbout", this, &MainWindow::AboutCommand);

  // The developer menu is there only in debug mode.
  debug_menu_ = menuBar()->addMenu(tr("&Debug"));
  debug_menu_->setObjectName("mnuDebug");
  debug_menu_->menuAction()->setVisible(context_.DebugMode);
  debug_menu_->menuAction()->setEnabled(context_.DebugMode);
  AddItem(debug_menu_, tr("&Get Server Version"), "mnuDebugGetServerVersion", this,
          &MainWindow::DebugServerVersionCommand);
  AddItem(debug_menu_, tr("Db_GetObjSchemaById"), "mnuDebugGetObjSchemaById", this,
          &MainWindow::DebugObjectSchemaCommand);
  AddItem(debug_menu_, tr("&Options"), "mnuDebugOptions", this, &MainWindow::DebugOptionsCommand);
}

QWidget* MainWindow::BuildCommandRow() {
  auto* row = new QWidget(this);
  row->setObjectName("fraCommands");
  auto* layout = new QGridLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* type_label = new QLabel(tr("Object Type"), row);
  type_label->setObjectName("lblType");
  type_selector_ = new QtSelector(row);
  type_selector_->setObjectName("cmbType");
  type_selector_->setToolTip(tr("Select object type (F6)"));
  type_label->setBuddy(type_selector_);

  connect_button_ = MakeButton(row, tr("&Connect"), "cmdConnect", "Connect to the server (F5)");
  connect(connect_button_, &QPushButton::clicked, this, &MainWindow::ConnectCommand);
  compare_button_ = MakeButton(row, tr("Compare &Sel. Proc."), "cmdCompare", "");
  connect(compare_button_, &QPushButton::clicked, this, &MainWindow::CompareCommand);
  QPushButton* compare_all =
      MakeButton(row, tr("Compare &All"), "cmdCompareAll", "Compare all objects (F8)");
  connect(compare_all, &QPushButton::clicked, this, &MainWindow::CompareAllCommand);
  QPushButton* compare_data = MakeUnavailableButton(row, tr("Compare &Data"), "cmdCompData");
  QPushButton* help = MakeButton(row, tr("H&elp"), "cmdHelp", "Display Help file (F1)");
  connect(help, &QPushButton::clicked, this, [this] { HelpCommand(kMainWindowHelpTopic); });

  layout->addWidget(type_label, 0, 0);
  layout->addWidget(type_selector_, 0, 1);
  int column = 2;
  for (QPushButton* button : {connect_button_, compare_button_, compare_all, compare_data, help})
    layout->addWidget(button, 0, column++);
  layout->setColumnStretch(column, 1);
  return row;
}

QWidget* MainWindow::BuildSide(int side) {
  sides_[side] = std::make_unique<Side>();
  Side& s = *sides_[side];
  s.frame = new QWidget(this);
  s.frame->setObjectName(Named("fraSide", side));
  auto* layout = new QVBoxLayout(s.frame);
  layout->setContentsMargins(2, 2, 2, 2);

  s.server_label = new QLabel(QString("SQL Server - %1").arg(kSideNames[side]), s.frame);
  s.server_label->setObjectName(Named("lblServer", side));
  s.servers = new QtSelector(s.frame);
  s.servers->setObjectName(Named("cmbServer", side));
  s.servers->setToolTip(tr("Select server"));
  layout->addWidget(s.server_label);
  layout->addWidget(s.servers);

  auto* database_row = new QHBoxLayout;
  s.database_label = new QLabel(tr("Database"), s.frame);
  s.database_label->setObjectName(Named("lblDb", side));
  auto* database_info = new QLabel(tr("Database Info"), s.frame);
  database_info->setObjectName(Named("lblDbInfo", side));
  database_row->addWidget(s.database_label);
  database_row->addStretch(1);
  database_row->addWidget(database_info);
  database_row->addWidget(MakeUnavailableButton(s.frame, tr("Info"), Named("cmdDbInfo", side)));
  layout->addLayout(database_row);
  s.databases = new QtListControl(s.frame);
  s.databases->setObjectName(Named("pvlDb", side));
  s.databases->setMaximumHeight(120);
  s.databases->SetColumnWidth(0, -1);  // the one column takes the list's width
  layout->addWidget(s.databases);

  s.owner_row = new QWidget(s.frame);
  s.owner_row->setObjectName(Named("fraOwners", side));
  auto* owner_layout = new QHBoxLayout(s.owner_row);
  owner_layout->setContentsMargins(0, 0, 0, 0);
  auto* owner_label = new QLabel(tr("Owner"), s.owner_row);
  owner_label->setObjectName(Named("lblOwners", side));
  s.owners = new QtSelector(s.owner_row);
  s.owners->setObjectName(Named("cmbOwners", side));
  s.owners->setToolTip(tr("Select owner of database object"));
  QPushButton* all_owners =
      MakeButton(s.owner_row, tr("Get All Owners"), Named("cmdGetAllOwners", side), "");
  connect(all_owners, &QPushButton::clicked, this, [this, side] { GetAllOwnersCommand(side); });
  owner_layout->addWidget(owner_label);
  owner_layout->addWidget(s.owners, 1);
  owner_layout->addWidget(all_owners);
  layout->addWidget(s.owner_row);

  s.object_header = new QLabel(s.frame);
  s.object_header->setObjectName(Named("lblSqlObj", side));
  layout->addWidget(s.object_header);
  s.objects = new QtListControl(s.frame);
  s.objects->setObjectName(Named("pvlSqlObj", side));
  layout->addWidget(s.objects, 1);

  s.structure = new QtTextView(s.frame);
  s.structure->setObjectName(Named("txtTXProc", side));
  s.structure->setToolTip(tr("Right click for options"));
  s.structure->setContextMenuPolicy(Qt::CustomContextMenu);
  s.popup = BuildStructureMenu(side);
  connect(s.structure, &QWidget::customContextMenuRequested, this, [this, side](QPoint where) {
    sides_[side]->popup->popup(sides_[side]->structure->viewport()->mapToGlobal(where));
  });
  layout->addWidget(s.structure, 2);

  const bool source = side == kSource;
  QPushButton* clipboard =
      MakeButton(s.frame, tr("Clipboard"), Named("cmdCopyClipboard", side),
                 std::string("Copy selected object structure to the clipboard") +
                     (source ? " (Alt + O)" : " (Alt + Y)"));
  clipboard->setShortcut(QKeySequence(Qt::ALT | (source ? Qt::Key_O : Qt::Key_Y)));
  connect(clipboard, &QPushButton::clicked, this, [this, side] { CopyToClipboardCommand(side); });
  QPushButton* file = MakeButton(s.frame, tr("To File"), Named("cmdCopyFile", side),
                                 std::string("Copy selected object structure to the file") +
                                     (source ? " (Alt + P)" : " (Alt + I)"));
  file->setShortcut(QKeySequence(Qt::ALT | (source ? Qt::Key_P : Qt::Key_I)));
  connect(file, &QPushButton::clicked, this, [this, side] { CopyToFileCommand(side); });
  QPushButton* get_owner = MakeButton(s.frame, tr("Get Owner"), Named("cmdGetOwner", side), "");
  connect(get_owner, &QPushButton::clicked, this, [this, side] { GetOwnerCommand(side); });
  s.button_list = {
      clipboard,
      file,
      get_owner,
      MakeUnavailableButton(s.frame, tr("View Data"), Named("cmdViewData", side)),
      MakeUnavailableButton(s.frame, tr("Find Object"), Named("cmdFind", side)),
      MakeUnavailableButton(s.frame, tr("Analyze Data in Table"), Named("cmdAnalyzeData", side))};
  s.buttons = new QGridLayout;
  PlaceButtons(*s.buttons, s.button_list, 3);
  layout->addLayout(s.buttons);
  return s.frame;
}

QMenu* MainWindow::BuildStructureMenu(int side) {
  auto* menu = new QMenu(this);
  menu->setObjectName(Named("mnuPopup", side));
  AddItem(menu, tr("Refresh"), Named("mnuPopupRefresh", side), this,
          [this, side] { RefreshCommand(side); });
  menu->addSeparator();
  AddItem(menu, tr("Show Color Schema"), Named("mnuPopupColorSchema", side), this,
          &MainWindow::ColorSchemaCommand);
  AddItem(menu, tr("Visualize Differences"), Named("mnuPopupVisualize", side), this,
          &MainWindow::VisualizeDifferencesCommand);
  menu->addSeparator();
  AddUnavailableItem(menu, tr("Ignore Columns"), Named("mnuPopupIgnoreColumns", side));
  AddItem(menu, tr("Compare Highlighted Sections"), Named("mnuPopupCompareHighlighted", side), this,
          &MainWindow::CompareHighlightedCommand);
  menu->addSeparator();
  AddItem(menu, tr("Build SQL CREATE Statement"), Named("mnuPopupCreate", side), this,
          [this, side] { BuildCreateStatementCommand(side); });
  return menu;
}

QMenu* MainWindow::StructureMenu(int side) const {
  return side == kSource || side == kTarget ? sides_[side]->popup : nullptr;
}

}  // namespace korvane

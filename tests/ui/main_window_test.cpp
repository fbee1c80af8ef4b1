#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/application_context.h"
#include "app/locations.h"
#include "app/settings.h"
#include "base/clock.h"
#include "base/settings_store.h"
#include "db/data_access_check.h"
#include "dialog_test_support.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"
#include "ui/korvane_app.h"

namespace korvane {
namespace {

using testing::ScratchFolder;
using testing::WhenShown;

TEST(KorvaneAppTest, StartsWithAnEmptyMainWindowAndEndsWhenItCloses) {
  ScratchFolder folder;
  const ManualClock clock;
  QString title;
  bool visible = false;
  // Once the event loop runs, look at the window the program opened, then close it as a person
  // would with the close box.
  QTimer::singleShot(0, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->objectName() == "frmMain") {
        title = widget->windowTitle();
        visible = widget->isVisible();
        widget->close();
      }
    }
  });
  // No tip of the day: a modal window must not stand in the way of the close.
  std::filesystem::create_directories(folder / "p");
  {
    SettingsStore store(folder / "p" / "settings.reg");
    WriteBoolean(store, Setting::kShowTipOfDay, false);
  }
  QApplication* app = qApp;
  const int status = RunKorvane(*app, {"--profile", (folder / "p").string()}, Environment{},
                                folder / "bin", clock);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(title, "Korvane");
  EXPECT_TRUE(visible);
  EXPECT_TRUE(std::filesystem::exists(folder / "p" / "settings.reg"));
}

// The captions of a menu's items, separators as "-".
QStringList Captions(const QMenu* menu) {
  QStringList captions;
  for (const QAction* action : menu->actions())
    captions << (action->isSeparator() ? QString("-") : action->text());
  return captions;
}

class MainWindowMenuTest : public testing::WindowTest {
 protected:
  QAction* Item(MainWindow& window, const char* name) { return Find<QAction>(window, name); }
};

TEST_F(MainWindowMenuTest, DebugMenuOnlyInDebugMode) {
  MainWindow normal(*context_);
  EXPECT_FALSE(normal.debugMenu()->menuAction()->isVisible());
  EXPECT_FALSE(normal.debugMenu()->menuAction()->isEnabled());
  context_->DebugMode = true;
  MainWindow debugging(*context_);
  EXPECT_TRUE(debugging.debugMenu()->menuAction()->isVisible());
  EXPECT_TRUE(debugging.debugMenu()->menuAction()->isEnabled());
}

TEST_F(MainWindowMenuTest, MenusCarryTheirCaptionsAndAccessKeys) {
  MainWindow window(*context_);
  QStringList menus;
  for (const QAction* action : window.menuBar()->actions())
    menus << action->text();
  EXPECT_EQ(menus, (QStringList{"&File", "&Structure Comparisons", "&Data Comparisons", "S&QL",
                                "&Tools", "&Help", "&Debug"}));
  EXPECT_EQ(Captions(window.findChild<QMenu*>("mnuFile")),
            (QStringList{"&Connect to the Server", "-", "Refresh - &Source", "Refresh - &Target",
                         "-", "&Run Saved Comparison Process", "-", "E&xit"}));
  EXPECT_EQ(Captions(window.findChild<QMenu*>("mnuComparison")),
            (QStringList{"Compare &Selected Objects", "Compare &All Objects", "-",
                         "&Bulk Comparisons", "&Selective Comparisons"}));
  EXPECT_EQ(Captions(window.findChild<QMenu*>("mnuBulk")), (QStringList{"&Simple", "&Details"}));
  EXPECT_EQ(Captions(window.findChild<QMenu*>("mnuBulkSimple")),
            (QStringList{"Compare All &Tables", "Compare All &Procedures", "Compare All &Functions",
                         "Compare All &Views", "Compare All T&riggers",
                         "Compare All R&elationships", "Compare All &Constraints"}));
  EXPECT_EQ(Captions(window.findChild<QMenu*>("mnuBulkDetails")),
            (QStringList{"Compare All &Tables - Details", "Compare All &Procedures - Details",
                         "Compare All &Functions - Details", "Compare All &Views - Details",
                         "Compare All T&riggers - Details", "Compare All R&elationships - Details",
                         "Compare All &Constraints - Details"}));
  const QStringList selected{"Compare Selected &Tables",     "Compare Selected &Procedures",
                             "Compare Selected &Functions",  "Compare Selected &Views",
                             "Compare Selected T&riggers",   "Compare Selected R&elationships",
                             "Compare Selected &Constraints"};
  EXPECT_EQ(Captions(window.findChild<QMenu*>("mnuSelectiveSimple")), selected);
  QStringList selected_details;
  for (const QString& caption : selected)
    selected_details << caption + " - Details";
  EXPECT_EQ(Captions(window.findChild<QMenu*>("mnuSelectiveDetails")), selected_details);
  EXPECT_EQ(Captions(window.findChild<QMenu*>("mnuDataComparisons")),
            (QStringList{"Compare &Data in Single Pair of Tables",
                         "Compare Data in &Selected Tables", "Compare Data in &All Tables"}));
  EXPECT_EQ(Captions(window.findChild<QMenu*>("mnuSQL")),
            (QStringList{"Build SQL CREATE Statement - &Source",
                         "Build SQL CREATE Statement - &Target"}));
  EXPECT_EQ(
      Captions(window.findChild<QMenu*>("mnuTools")),
      (QStringList{"&Add Server", "&Remove Server", "-", "Data Analyzer", "-", "&Find Object", "-",
                   "Atta&ch Database", "-", "List All Ignored Columns - &Data Comparisons",
                   "List All Ignored Columns - &Structure Comparisons", "-", "&Timeout",
                   "&Options..."}));
  EXPECT_EQ(Captions(window.findChild<QMenu*>("mnuToolsDataAnalyzer")),
            (QStringList{"Analyze Data in Source Table", "Analyze Data in Target Table"}));
  EXPECT_EQ(Captions(window.findChild<QMenu*>("mnuToolsFindObject")),
            (QStringList{"In &Source Database", "In &Target Database"}));
  EXPECT_EQ(
      Captions(window.findChild<QMenu*>("mnuHelp")),
      (QStringList{"&Index...", "&Tip of the Day...", "Technical &Support", "-", "&About..."}));
  EXPECT_EQ(Captions(window.debugMenu()),
            (QStringList{"&Get Server Version", "Db_GetObjSchemaById", "&Options"}));
  for (int side : {0, 1}) {
    EXPECT_EQ(Captions(window.StructureMenu(side)),
              (QStringList{"Refresh", "-", "Show Color Schema", "Visualize Differences", "-",
                           "Ignore Columns", "Compare Highlighted Sections", "-",
                           "Build SQL CREATE Statement"}));
  }
}

// Every item of the window leads to a working command: none is left as a disabled placeholder,
// and the items of the tools are enabled.
TEST_F(MainWindowMenuTest, NoItemIsAPlaceholder) {
  MainWindow window(*context_);
  for (QAction* action : window.findChildren<QAction*>())
    EXPECT_NE(action->toolTip().toStdString(), kNotAvailableYet)
        << action->objectName().toStdString();
  for (QPushButton* button : window.findChildren<QPushButton*>())
    EXPECT_NE(button->toolTip().toStdString(), kNotAvailableYet)
        << button->objectName().toStdString();
  for (const char* name : {"cmdViewData_0", "cmdAnalyzeData_0", "cmdFind_1", "cmdDbInfo_1"}) {
    auto* button = window.findChild<QPushButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    EXPECT_TRUE(button->isEnabled()) << name;
  }
  const QStringList available{"mnuFileConnect",
                              "mnuDataCompSingle",
                              "mnuDataCompSelected",
                              "mnuDataCompAll",
                              "mnuFileRefresh_0",
                              "mnuFileRefresh_1",
                              "mnuFileExit",
                              "mnuComparisonSelObj",
                              "mnuToolsAddServer",
                              "mnuToolsAnalyze_0",
                              "mnuToolsAnalyze_1",
                              "mnuToolsIgnoredData",
                              "mnuToolsIgnoredStruct",
                              "mnuToolsFind_0",
                              "mnuToolsFind_1",
                              "mnuToolsAttach",
                              "mnuPopupIgnoreColumns_1",
                              "mnuHelpTipOfDay",
                              "mnuHelpAbout",
                              "mnuPopupRefresh_1",
                              "mnuPopupColorSchema_0",
                              "mnuPopupCompareHighlighted_0",
                              "mnuFileRunSavedComp",
                              "mnuComparisonAllObj",
                              "mnuSQLCreate_0",
                              "mnuSQLCreate_1",
                              "mnuHelpIndex",
                              "mnuHelpSupport",
                              "mnuPopupVisualize_0",
                              "mnuPopupCreate_0",
                              "mnuBulkSimpleType_0",
                              "mnuBulkDetailsType_6",
                              "mnuSelectiveSimpleType_3",
                              "mnuSelectiveDetailsType_5"};
  for (const QString& name : available) {
    auto* action = window.findChild<QAction*>(name);
    ASSERT_NE(action, nullptr) << name.toStdString();
    EXPECT_TRUE(action->isEnabled()) << name.toStdString();
  }
}

TEST_F(MainWindowMenuTest, ControlsCarryTheirCaptionsAndToolTips) {
  MainWindow window(*context_);
  auto text = [&](const char* name) {
    auto* widget = window.findChild<QWidget*>(name);
    EXPECT_NE(widget, nullptr) << name;
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
      return button->text();
    if (auto* label = qobject_cast<QLabel*>(widget))
      return label->text();
    return QString();
  };
  auto tip = [&](const char* name) {
    auto* widget = window.findChild<QWidget*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget == nullptr ? QString() : widget->toolTip();
  };
  EXPECT_EQ(tip("cmbType"), "Select object type (F6)");
  EXPECT_EQ(text("cmdConnect"), "&Connect");
  EXPECT_EQ(tip("cmdConnect"), "Connect to the server (F5)");
  EXPECT_EQ(text("cmdCompare"), "Compare &Sel. Proc.");
  EXPECT_EQ(tip("cmdCompare"), "Compare selected tables (F7)");
  EXPECT_EQ(text("cmdCompareAll"), "Compare &All");
  EXPECT_EQ(text("cmdCompData"), "Compare &Data");
  EXPECT_EQ(text("cmdHelp"), "H&elp");
  EXPECT_EQ(text("lblServer_0"), "SQL Server - Source");
  EXPECT_EQ(text("lblServer_1"), "SQL Server - Target");
  for (const char* name : {"cmbServer_0", "cmbServer_1"})
    EXPECT_EQ(tip(name), "Select server");
  for (const char* name : {"cmbOwners_0", "cmbOwners_1"})
    EXPECT_EQ(tip(name), "Select owner of database object");
  for (const char* name : {"txtTXProc_0", "txtTXProc_1"})
    EXPECT_EQ(tip(name), "Right click for options");
  EXPECT_EQ(text("lblDb_1"), "Database");
  EXPECT_EQ(text("lblOwners_0"), "Owner");
  EXPECT_EQ(text("lblDbInfo_0"), "Database Info");
  EXPECT_EQ(text("lblSqlObj_1"), "List of all tables");
  EXPECT_EQ(text("cmdGetOwner_0"), "Get Owner");
  EXPECT_EQ(text("cmdGetAllOwners_1"), "Get All Owners");
  EXPECT_EQ(tip("cmdCopyClipboard_0"), "Copy selected object structure to the clipboard (Alt + O)");
  EXPECT_EQ(tip("cmdCopyClipboard_1"), "Copy selected object structure to the clipboard (Alt + Y)");
  EXPECT_EQ(tip("cmdCopyFile_0"), "Copy selected object structure to the file (Alt + P)");
  EXPECT_EQ(tip("cmdCopyFile_1"), "Copy selected object structure to the file (Alt + I)");
  const auto shortcut = [&](const char* name) {
    return window.findChild<QAbstractButton*>(name)->shortcut().toString();
  };
  EXPECT_EQ(shortcut("cmdCopyClipboard_0"), "Alt+O");
  EXPECT_EQ(shortcut("cmdCopyClipboard_1"), "Alt+Y");
  EXPECT_EQ(shortcut("cmdCopyFile_0"), "Alt+P");
  EXPECT_EQ(shortcut("cmdCopyFile_1"), "Alt+I");
  // Owners are hidden while "ShowOwners" is off.
  EXPECT_TRUE(window.findChild<QWidget*>("fraOwners_0")->isHidden());
  EXPECT_EQ(window.ConnectState(), kNotConnected);
}

TEST_F(MainWindowMenuTest, RemoveServerWithAnEmptyListOnlySaysSo) {
  MainWindow window(*context_);
  Item(window, "mnuToolsRemoveServer")->trigger();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "There are no servers stored in the list.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
}

TEST_F(MainWindowMenuTest, AddedServerIsAnnounced) {
  MainWindow window(*context_);
  window.SetConnectionTest([](const ServerRecord&) { return true; });
  QSignalSpy changed(&window, &MainWindow::serverListChanged);
  WhenShown("frmAddServer", [](QWidget& dialog) {
    dialog.findChild<QRadioButton*>("optWindowsAuth")->click();
    dialog.findChild<QLineEdit*>("txtServer")->setText("sql01");
    dialog.findChild<QPushButton*>("cmdOK")->click();
  });
  Item(window, "mnuToolsAddServer")->trigger();
  EXPECT_EQ(changed.count(), 1);
  ASSERT_EQ(context_->servers.size(), 1u);
  EXPECT_EQ(context_->servers[0].Name, "sql01");

  WhenShown("frmDeleteServer", [](QWidget& dialog) {
    auto* list = dialog.findChild<QListWidget*>("lstServers");
    list->setCurrentRow(0);
    dialog.findChild<QPushButton*>("cmdRemove")->click();
  });
  Item(window, "mnuToolsRemoveServer")->trigger();
  EXPECT_EQ(changed.count(), 2);
  EXPECT_TRUE(context_->servers.empty());
}

TEST_F(MainWindowMenuTest, SavedOptionsShowTheirReactionsInOrder) {
  MainWindow window(*context_);
  QSignalSpy reactions(&window, &MainWindow::optionsReaction);
  WhenShown("frmOptions", [](QWidget& dialog) {
    dialog.findChild<QRadioButton*>("optClientSide")->click();
    dialog.findChild<QCheckBox*>("chkAnalyzeConstraints")->click();
    dialog.findChild<QPushButton*>("cmdOK")->click();
  });
  Item(window, "mnuToolsOptions")->trigger();
  // Each reload first checks data access, which this profile (no backends) lacks.
  std::vector<testing::RecordedMessage> notices;
  for (const testing::RecordedMessage& message : ui_.messages) {
    if (message.icon == MessageIcon::kCritical)
      EXPECT_EQ(message.title, kDataAccessMissingTitle);
    else
      notices.push_back(message);
  }
  ui_.messages = notices;
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].text,
            "Cursor location setting was changed.\r\n\r\n"
            "Please click OK and wait while the connections are refreshed.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(ui_.messages[1].text,
            "Setting 'Treat Constraints as a separate object type' changed.\r\n\r\n"
            "Please click OK and wait while the display is refreshed.");
  ASSERT_EQ(reactions.count(), 2);
  EXPECT_EQ(reactions.at(0).at(0).value<OptionsReaction::Kind>(),
            OptionsReaction::Kind::kReloadBothSides);
  EXPECT_EQ(reactions.at(1).at(0).value<OptionsReaction::Kind>(),
            OptionsReaction::Kind::kRefreshObjectTypes);
}

TEST_F(MainWindowMenuTest, CancelledOptionsChangeNothing) {
  MainWindow window(*context_);
  QSignalSpy reactions(&window, &MainWindow::optionsReaction);
  WhenShown("frmOptions", [](QWidget& dialog) {
    dialog.findChild<QRadioButton*>("optClientSide")->click();
    dialog.findChild<QPushButton*>("cmdCancel")->click();
  });
  Item(window, "mnuToolsOptions")->trigger();
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(reactions.count(), 0);
  EXPECT_EQ(context_->settings.cursor_location, kServerSideCursor);
}

TEST_F(MainWindowMenuTest, TimeoutTipAndDebugOptionsOpenTheirDialogs) {
  context_->DebugMode = true;
  MainWindow window(*context_);
  WhenShown("frmTimeout", [](QWidget& dialog) {
    dialog.findChild<QLineEdit*>("txtTimeout")->setText("90");
    dialog.findChild<QPushButton*>("cmdOK")->click();
  });
  Item(window, "mnuToolsTimeout")->trigger();
  EXPECT_EQ(context_->settings.timeout, 90u);

  WhenShown("frmTip", [](QWidget& dialog) { dialog.close(); });
  Item(window, "mnuHelpTipOfDay")->trigger();
  EXPECT_EQ(context_->settings_store.GetNumber("Software\\KVN", "ShowTipOfDay", 9), 1u);

  WhenShown("frmOptionsDebug", [](QWidget& dialog) {
    dialog.findChild<QCheckBox*>("chkFilterOfflineDbs")->click();
    dialog.findChild<QPushButton*>("cmdOK")->click();
  });
  Item(window, "mnuDebugOptions")->trigger();
  EXPECT_FALSE(context_->settings.filter_offline_dbs);
}

}  // namespace
}  // namespace korvane

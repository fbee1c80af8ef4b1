// The main window driven headless over a scripted database: loading both sides, choosing
// servers, databases, objects and the object type, comparing, the structure panes, the layout
// and the first activation.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

#include "app/settings.h"
#include "base/files.h"
#include "catalog/object_list.h"
#include "db/data_access_check.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "db/server_list.h"
#include "dialog_test_support.h"
#include "saved/ignored_columns.h"
#include "support/fake_backend.h"
#include "ui/main_window.h"
#include "ui/qt_list_control.h"
#include "ui/qt_selector.h"
#include "ui/qt_text_view.h"

namespace korvane {
namespace {

using testing::Choose;
using testing::ReadReport;
using testing::SeenReport;
using testing::WhenShown;

using testing::FakeBackend;
using testing::Rows;

constexpr std::string_view kDatabaseQuery = "SELECT name FROM sysdatabases ORDER BY name";

CommandOutcome Names(const std::vector<std::string>& names) {
  std::vector<std::vector<Value>> rows;
  for (const std::string& name : names)
    rows.push_back({Value::Text(name)});
  return Rows({"name"}, std::move(rows));
}

CommandOutcome Objects(const std::vector<std::pair<std::string, std::int64_t>>& objects) {
  std::vector<std::vector<Value>> rows;
  for (const auto& [name, id] : objects)
    rows.push_back({Value::Text(name), Value::Text("2024-01-0" + std::to_string(id % 10)),
                    Value::Integer(id)});
  return Rows({"name", "refdate", "id"}, std::move(rows));
}

QStringList Texts(const QtListControl& list) {
  QStringList rows;
  for (int row = 0; row < list.RowCount(); ++row)
    rows << QString::fromStdString(list.Cell(row, 0));
  return rows;
}

// Two servers: embedded:src with the database SrcDb, embedded:tgt with TgtDb and Other. The
// structure texts are keyed by database + "." + object name.
class MainWindowSidesTest : public testing::WindowTest {
 protected:
  MainWindowSidesTest() {
    backend_ = std::make_shared<FakeBackend>();
    context_->backends.embedded = backend_;
    backend_->responder = [this](const ConnectionRequest& connection,
                                 const CommandRequest& command) {
      for (const std::string& database : {connection.database, std::string("*")}) {
        auto answer = answers_.find({database, command.text});
        if (answer != answers_.end())
          return answer->second;
      }
      return Rows({"x"}, {});
    };
    WriteBoolean(context_->settings_store, Setting::kShowTipOfDay, false);
    for (const char* name : {"embedded:src", "embedded:tgt"}) {
      AddServerForm form;
      form.server = name;
      form.sql_auth = false;
      EXPECT_TRUE(AddServer(*context_, form, [](const ServerRecord&) { return true; }).added);
    }
    // Both servers answer the database list; each database its tables.
    answers_[{"master", std::string(kDatabaseQuery)}] = Names({"SrcDb"});
    tables_query_ = BuildObjSQLString(ui_, ObjectType::kTables, true, "", "");
    views_query_ = BuildObjSQLString(ui_, ObjectType::kViews, true, "", "");
    answers_[{"SrcDb", tables_query_}] = Objects({{"A", 1}, {"B", 2}, {"T", 3}});
    answers_[{"TgtDb", tables_query_}] = Objects({{"B", 12}, {"T", 13}});
    answers_[{"Other", tables_query_}] = Objects({{"X", 21}});
    answers_[{"SrcDb", views_query_}] = Objects({{"vA", 4}});
    answers_[{"TgtDb", views_query_}] = Objects({{"vB", 14}});
    texts_ = {{"SrcDb.A", "CREATE A"}, {"SrcDb.B", "[id] int\r\n[name] varchar(10)"},
              {"SrcDb.T", "[x] int"},  {"TgtDb.B", "[id] int\r\n[name] varchar(20)"},
              {"TgtDb.T", "[x] int"},  {"Other.X", "[y] int"}};
  }

  // The target server lists other databases than the source server: answered by server name.
  void SplitDatabaseLists() {
    auto base = backend_->responder;
    backend_->responder = [base](const ConnectionRequest& connection,
                                 const CommandRequest& command) {
      if (command.text == kDatabaseQuery && connection.server == "embedded:tgt")
        return Names({"Other", "TgtDb"});
      return base(connection, command);
    };
  }

  StructureTextRenderer Renderer() {
    return [this](ServerRecord&, ListControl& objects, TextView& view, ObjectType,
                  std::string_view database) {
      ++renders_;
      auto text = texts_.find(std::string(database) + "." + objects.CurrentText());
      view.SetText(text == texts_.end() ? "" : text->second);
      objects.SetTag("");  // as the scripting module's renderer leaves it
    };
  }

  std::unique_ptr<MainWindow> Open() {
    auto window = std::make_unique<MainWindow>(*context_, Renderer());
    window->show();
    return window;
  }

  // Opens the window with both sides loaded: Source on embedded:src, Target on embedded:tgt.
  std::unique_ptr<MainWindow> OpenLoaded() {
    SplitDatabaseLists();
    WriteBoolean(context_->settings_store, Setting::kAutoConnect, true);
    auto window = Open();
    Selector(*window, "cmbServer_1")->setCurrentIndex(1);  // as a person chooses it
    ui_.messages.clear();
    return window;
  }

  QtSelector* Selector(QWidget& window, const char* name) { return Find<QtSelector>(window, name); }
  QtListControl* List(QWidget& window, const char* name) {
    return Find<QtListControl>(window, name);
  }
  QtTextView* View(QWidget& window, const char* name) { return Find<QtTextView>(window, name); }
  QAction* Item(QWidget& window, const char* name) { return Find<QAction>(window, name); }

  // Clicks the control named `control` in the Options dialog, on its page, and then OK.
  void ClickInOptions(MainWindow& window, const char* control) {
    WhenShown("frmOptions", [control](QWidget& dialog) {
      auto* button = dialog.findChild<QAbstractButton*>(control);
      testing::BringForward(button);
      button->click();
      dialog.findChild<QPushButton*>("cmdOK")->click();
    });
    Item(window, "mnuToolsOptions")->trigger();
  }

  std::shared_ptr<FakeBackend> backend_;
  std::map<std::pair<std::string, std::string>, CommandOutcome> answers_;
  std::map<std::string, std::string> texts_;
  std::string tables_query_;
  std::string views_query_;
  int renders_ = 0;
};

// --- load and connect ------------------------------------------------------------------------

TEST_F(MainWindowSidesTest, AutoConnectLoadsBothSidesFromTheFirstServer) {
  WriteBoolean(context_->settings_store, Setting::kAutoConnect, true);
  auto window = Open();
  EXPECT_EQ(window->windowTitle(), "Korvane");
  EXPECT_TRUE(window->IsLoaded());
  EXPECT_EQ(window->ConnectState(), kConnected);
  for (const char* name : {"cmbServer_0", "cmbServer_1"}) {
    QtSelector* servers = Selector(*window, name);
    EXPECT_EQ(servers->count(), 2);
    EXPECT_EQ(servers->CurrentText(), "embedded:src") << name;
  }
  for (const char* name : {"pvlDb_0", "pvlDb_1"})
    EXPECT_EQ(Texts(*List(*window, name)), QStringList{"SrcDb"});
  EXPECT_EQ(Texts(*List(*window, "pvlSqlObj_0")), (QStringList{"A", "B", "T"}));
  EXPECT_EQ(List(*window, "pvlSqlObj_0")->CurrentText(), "A");
  EXPECT_EQ(View(*window, "txtTXProc_0")->Text(), "CREATE A");
  EXPECT_EQ(View(*window, "txtTXProc_1")->Text(), "CREATE A");
  EXPECT_EQ(Selector(*window, "cmbType")->CurrentText(), "Tables");
  EXPECT_EQ(Selector(*window, "cmbType")->Count(), 6);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(MainWindowSidesTest, WithoutAutoConnectOpensUnconnectedAndConnectLoads) {
  auto window = Open();
  EXPECT_EQ(window->ConnectState(), kNotConnected);
  EXPECT_EQ(List(*window, "pvlDb_0")->RowCount(), 0);
  EXPECT_TRUE(backend_->commands.empty());
  Find<QPushButton>(*window, "cmdConnect")->click();
  EXPECT_EQ(window->ConnectState(), kConnected);
  EXPECT_EQ(Texts(*List(*window, "pvlSqlObj_1")), (QStringList{"A", "B", "T"}));

  // Connecting again from the menu clears and reloads both sides.
  answers_[{"SrcDb", tables_query_}] = Objects({{"Z", 9}});
  Item(*window, "mnuFileConnect")->trigger();
  EXPECT_EQ(Texts(*List(*window, "pvlSqlObj_0")), QStringList{"Z"});
  EXPECT_EQ(Texts(*List(*window, "pvlSqlObj_1")), QStringList{"Z"});
}

TEST_F(MainWindowSidesTest, FailedDatabaseListsLeaveTheWindowNotConnected) {
  answers_[{"master", std::string(kDatabaseQuery)}] =
      testing::Failure(0, "08001", "Server does not exist.");
  auto window = Open();
  Find<QPushButton>(*window, "cmdConnect")->click();
  EXPECT_EQ(window->ConnectState(), kNotConnected);
  EXPECT_EQ(List(*window, "pvlDb_0")->RowCount(), 0);
  ASSERT_FALSE(ui_.messages.empty());
  EXPECT_TRUE(ui_.messages[0].text.starts_with("Server connection failed."));
}

TEST_F(MainWindowSidesTest, ChoosingATargetServerLoadsOnlyThatSide) {
  auto window = OpenLoaded();
  EXPECT_EQ(context_->CurrentServers[kTarget].Name, "embedded:tgt");
  EXPECT_EQ(context_->CurrentServers[kSource].Name, "embedded:src");
  EXPECT_EQ(Texts(*List(*window, "pvlDb_1")), (QStringList{"Other", "TgtDb"}));
  EXPECT_EQ(Texts(*List(*window, "pvlSqlObj_1")), QStringList{"X"});
  EXPECT_EQ(View(*window, "txtTXProc_1")->Text(), "[y] int");
  EXPECT_EQ(Texts(*List(*window, "pvlSqlObj_0")), (QStringList{"A", "B", "T"}));
}

TEST_F(MainWindowSidesTest, ChoosingADatabaseListsItsObjectsAndIsRemembered) {
  auto window = OpenLoaded();
  List(*window, "pvlDb_1")->SetCurrentRow(1);  // TgtDb
  EXPECT_EQ(Texts(*List(*window, "pvlSqlObj_1")), (QStringList{"B", "T"}));
  EXPECT_EQ(View(*window, "txtTXProc_1")->Text(), "[id] int\r\n[name] varchar(20)");
  EXPECT_EQ(context_->CurrentServers[kTarget].MRUDb, "TgtDb");
  LoadServerList(*context_);
  EXPECT_EQ(context_->servers[1].MRUDb, "TgtDb");
}

// --- objects and types ---------------------------------------------------------------------------

TEST_F(MainWindowSidesTest, ChoosingASourceObjectSelectsTheTargetObjectOfThatName) {
  context_->settings.auto_sel_target_obj = true;
  auto window = OpenLoaded();
  List(*window, "pvlDb_1")->SetCurrentRow(1);
  QtListControl* source = List(*window, "pvlSqlObj_0");
  QtListControl* target = List(*window, "pvlSqlObj_1");
  source->SetCurrentRow(2);  // T
  EXPECT_EQ(target->CurrentText(), "T");
  EXPECT_EQ(View(*window, "txtTXProc_1")->Text(), "[x] int");
  source->SetCurrentRow(0);  // A: not in the Target list, which stays where it was
  EXPECT_EQ(target->CurrentText(), "T");
  EXPECT_EQ(View(*window, "txtTXProc_0")->Text(), "CREATE A");
}

TEST_F(MainWindowSidesTest, WithoutAutoSelectionTheTargetStaysAsItIs) {
  auto window = OpenLoaded();
  List(*window, "pvlDb_1")->SetCurrentRow(1);
  List(*window, "pvlSqlObj_0")->SetCurrentRow(2);
  EXPECT_EQ(List(*window, "pvlSqlObj_1")->CurrentText(), "B");
}

TEST_F(MainWindowSidesTest, SwitchingTheTypeRetitlesAndRelistsBothSides) {
  auto window = OpenLoaded();
  List(*window, "pvlDb_1")->SetCurrentRow(1);
  QtSelector* types = Selector(*window, "cmbType");
  EXPECT_EQ(Find<QLabel>(*window, "lblSqlObj_0")->text(), "List of all tables");
  EXPECT_EQ(Find<QPushButton>(*window, "cmdCompare")->toolTip(), "Compare selected tables (F7)");
  types->setCurrentIndex(3);  // Views, as a person picks it
  EXPECT_EQ(Find<QLabel>(*window, "lblSqlObj_0")->text(), "List of all views");
  EXPECT_EQ(Find<QLabel>(*window, "lblSqlObj_1")->text(), "List of all views");
  EXPECT_EQ(Find<QPushButton>(*window, "cmdCompare")->toolTip(), "Compare selected views (F7)");
  EXPECT_EQ(Texts(*List(*window, "pvlSqlObj_0")), QStringList{"vA"});
  EXPECT_EQ(Texts(*List(*window, "pvlSqlObj_1")), QStringList{"vB"});
}

TEST_F(MainWindowSidesTest, RefreshKeepsTheSelectedObjectWhenStillListed) {
  auto window = OpenLoaded();
  QtListControl* source = List(*window, "pvlSqlObj_0");
  source->SetCurrentRow(1);  // B
  answers_[{"SrcDb", tables_query_}] = Objects({{"0new", 5}, {"B", 2}, {"T", 3}});
  Item(*window, "mnuFileRefresh_0")->trigger();
  EXPECT_EQ(Texts(*source), (QStringList{"0new", "B", "T"}));
  EXPECT_EQ(source->CurrentText(), "B");
  EXPECT_EQ(View(*window, "txtTXProc_0")->Text(), "[id] int\r\n[name] varchar(10)");

  // The structure view's pop-up refreshes its own side.
  answers_[{"SrcDb", tables_query_}] = Objects({{"T", 3}});
  Item(*window, "mnuPopupRefresh_0")->trigger();
  EXPECT_EQ(Texts(*source), QStringList{"T"});
}

TEST_F(MainWindowSidesTest, InformationGestureShowsTheSelectedRow) {
  auto window = OpenLoaded();
  QtListControl* source = List(*window, "pvlSqlObj_0");
  source->SetCurrentRow(2);
  const QRect row = source->visualItemRect(source->topLevelItem(2));
  QTest::mouseClick(source->viewport(), Qt::LeftButton, Qt::ShiftModifier, row.center());
  EXPECT_TRUE(ui_.messages.empty());  // Shift alone is no gesture
  QTest::mouseClick(source->viewport(), Qt::LeftButton,
                    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier, row.center());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Id: 3, Name: T, Ref. Date: 2024-01-03");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
}

// --- owners -------------------------------------------------------------------------------------

constexpr std::string_view kAllOwnersQuery =
    "SELECT DISTINCT su.name AS Owner FROM sysobjects so INNER JOIN sysusers su ON so.uid = "
    "su.uid ";

TEST_F(MainWindowSidesTest, ShowOwnersFromTheOptionsShowsAndFillsTheOwnerSelectors) {
  auto window = OpenLoaded();
  EXPECT_FALSE(Find<QWidget>(*window, "fraOwners_0")->isVisible());
  answers_[{"*", std::string(kAllOwnersQuery)}] = Rows({"Owner"}, {{Value::Text("dbo")}});
  ClickInOptions(*window, "chkShowOwners");
  EXPECT_TRUE(context_->settings.show_owners);
  for (const char* name : {"fraOwners_0", "fraOwners_1"})
    EXPECT_TRUE(Find<QWidget>(*window, name)->isVisible()) << name;
  QtSelector* owners = Selector(*window, "cmbOwners_0");
  ASSERT_EQ(owners->count(), 2);
  EXPECT_EQ(owners->ItemText(0), "All Owners");
  EXPECT_EQ(owners->ItemText(1), "dbo");
  EXPECT_EQ(owners->CurrentText(), "All Owners");
}

TEST_F(MainWindowSidesTest, GetOwnerNamesTheSelectedObjectsOwner) {
  auto window = OpenLoaded();
  answers_[{"SrcDb",
            "SELECT so.name AS ObjectName, su.name AS Owner FROM sysobjects so INNER JOIN sysusers "
            "su ON so.uid = su.uid WHERE so.name = 'A' AND so.xtype = 'U'"}] =
      Rows({"ObjectName", "Owner"}, {{Value::Text("A"), Value::Text("sales")}});
  Find<QPushButton>(*window, "cmdGetOwner_0")->click();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Owner: sales");
}

// --- compare and the structure panes -------------------------------------------------------------

TEST_F(MainWindowSidesTest, IdenticalObjectsGiveTheVerdictWithTheirKeys) {
  auto window = OpenLoaded();
  List(*window, "pvlDb_1")->SetCurrentRow(1);
  List(*window, "pvlSqlObj_0")->SetCurrentRow(2);  // T
  List(*window, "pvlSqlObj_1")->SetCurrentRow(1);  // T
  ui_.busy_changes.clear();
  SeenReport seen;
  ReadReport(seen);
  Find<QPushButton>(*window, "cmdCompare")->click();
  ASSERT_TRUE(seen.opened) << ::testing::PrintToString(MessageTexts());
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(seen.text,
            "Source: embedded:src.SrcDb.T\r\nTarget: embedded:tgt.TgtDb.T\r\n\r\n"
            "The selected tables are identical.\r\n\r\n"
            "Please note that option 'Ignore Columns Order' is set ON.");
  EXPECT_EQ(seen.title, "Comparison Report");
  // The report window can save the comparison as a process of these two objects.
  EXPECT_EQ(seen.state.sub_type, 35);
  EXPECT_EQ(seen.state.table_1, "T");
  EXPECT_EQ(seen.state.table_2, "T");
  ASSERT_FALSE(ui_.busy_changes.empty());
  EXPECT_TRUE(ui_.busy_changes.front());
  EXPECT_FALSE(ui_.busy_changes.back());
  EXPECT_FALSE(window->IsCommandRunning());
  EXPECT_FALSE(View(*window, "txtTXProc_0")->BackgroundAt(0).has_value());
}

TEST_F(MainWindowSidesTest, DifferentObjectsArePaintedLineByLine) {
  context_->settings.ignore_col_seq = false;
  auto window = OpenLoaded();
  List(*window, "pvlDb_1")->SetCurrentRow(1);
  List(*window, "pvlSqlObj_0")->SetCurrentRow(1);  // B
  SeenReport seen;
  ReadReport(seen);
  Item(*window, "mnuComparisonSelObj")->trigger();
  ASSERT_TRUE(seen.opened);
  EXPECT_EQ(seen.text,
            "Source: embedded:src.SrcDb.B\r\nTarget: embedded:tgt.TgtDb.B\r\n\r\n"
            "The selected tables are different.");
  QtTextView* source = View(*window, "txtTXProc_0");
  QtTextView* target = View(*window, "txtTXProc_1");
  // The first lines agree, the second lines differ.
  ASSERT_TRUE(source->BackgroundAt(source->LineStart(1)).has_value());
  EXPECT_NE(source->BackgroundAt(source->LineStart(0)), source->BackgroundAt(source->LineStart(1)));
  EXPECT_EQ(source->BackgroundAt(source->LineStart(1)), target->BackgroundAt(target->LineStart(1)));
  EXPECT_EQ(source->Text(), "[id] int\r\n[name] varchar(10)");  // painting keeps the text
}

TEST_F(MainWindowSidesTest, TwoEmptyViewsCannotBeCompared) {
  auto window = Open();
  Find<QPushButton>(*window, "cmdCompare")->click();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Cannot compare - the list of objects is empty.");
  EXPECT_EQ(ui_.messages[0].title, "Cannot Compare");
}

TEST_F(MainWindowSidesTest, HighlightedSectionsAreComparedFromThePopUp) {
  auto window = OpenLoaded();
  List(*window, "pvlDb_1")->SetCurrentRow(1);
  List(*window, "pvlSqlObj_0")->SetCurrentRow(1);  // B
  Item(*window, "mnuPopupCompareHighlighted_1")->trigger();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].title, "Compare Highlighted Sections");
  EXPECT_TRUE(ui_.messages[0].text.starts_with(
      "Cannot continue - there is no highlighted section in Source object."));
  ui_.messages.clear();
  View(*window, "txtTXProc_0")->SetSelection(0, 8);  // "[id] int"
  View(*window, "txtTXProc_1")->SetSelection(0, 8);
  SeenReport seen;
  ReadReport(seen);
  Item(*window, "mnuPopupCompareHighlighted_0")->trigger();
  ASSERT_TRUE(seen.opened);
  EXPECT_TRUE(
      seen.text.ends_with("The selected tables are identical.\r\n\r\n"
                          "Please note that option 'Ignore Columns Order' is set ON."))
      << seen.text;
}

TEST_F(MainWindowSidesTest, CopyButtonsCopyTheShownStructure) {
  auto window = OpenLoaded();
  List(*window, "pvlSqlObj_0")->SetCurrentRow(1);
  Find<QPushButton>(*window, "cmdCopyClipboard_0")->click();
  EXPECT_EQ(ui_.clipboard, "[id] int\r\n[name] varchar(10)\r\n");

  const std::filesystem::path file = folder_ / "B.txt";
  ui_.file_choices.push_back(file);
  Find<QPushButton>(*window, "cmdCopyFile_0")->click();
  ASSERT_EQ(ui_.file_requests.size(), 1u);
  EXPECT_EQ(ReadWholeFile(file), std::optional<std::string>("[id] int\r\n[name] varchar(10)\r\n"));
}

TEST_F(MainWindowSidesTest, NothingToCopyWithoutASelectedObject) {
  auto window = Open();
  Find<QPushButton>(*window, "cmdCopyClipboard_1")->click();
  Find<QPushButton>(*window, "cmdCopyFile_1")->click();
  ASSERT_EQ(ui_.messages.size(), 2u);
  for (const auto& message : ui_.messages) {
    EXPECT_EQ(message.text, "There is nothing to copy.");
    EXPECT_EQ(message.title, "Cannot Copy");
  }
  EXPECT_TRUE(ui_.file_requests.empty());
}

TEST_F(MainWindowSidesTest, ColorSchemaWindowListsTheFiveColours) {
  auto window = Open();
  Item(*window, "mnuPopupColorSchema_0")->trigger();
  QWidget* legend = window->ColorLegend();
  ASSERT_NE(legend, nullptr);
  EXPECT_TRUE(legend->isVisible());
  EXPECT_EQ(legend->windowTitle(), "Color Schema");
  EXPECT_EQ(Find<QLabel>(*legend, "lblIntroduction")->text(),
            "Following colors are used to mark differences in structure of compared objects.");
  QStringList captions;
  for (int i = 0; i < 5; ++i)
    captions << Find<QLabel>(*legend, QString("lblColor_%1").arg(i).toUtf8().constData())->text();
  EXPECT_EQ(captions,
            (QStringList{"Inserted (exists only in target)", "Deleted (exists only in source)",
                         "Changed", "Not Changed", "Not Assigned"}));
  EXPECT_EQ(Find<QPushButton>(*legend, "cmdClose")->text(), "&Close");
  // Opening it again shows the same window; closing the main window closes it.
  Item(*window, "mnuPopupColorSchema_1")->trigger();
  EXPECT_EQ(window->ColorLegend(), legend);
  Item(*window, "mnuFileExit")->trigger();
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(legend->isVisible());
}

TEST_F(MainWindowSidesTest, FunctionKeysConnectCompareAndFocusTheTypeSelector) {
  auto window = Open();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QTest::keyClick(window.get(), Qt::Key_F5);
  EXPECT_EQ(window->ConnectState(), kConnected);
  QTest::keyClick(window.get(), Qt::Key_F6);
  EXPECT_TRUE(Selector(*window, "cmbType")->hasFocus());
  SeenReport seen;
  ReadReport(seen);
  QTest::keyClick(window.get(), Qt::Key_F7);
  ASSERT_TRUE(seen.opened);
  EXPECT_TRUE(
      seen.text.ends_with("The selected tables are identical.\r\n\r\n"
                          "Please note that option 'Ignore Columns Order' is set ON."));
}

// --- server list changes
// ---------------------------------------------------------------------------

TEST_F(MainWindowSidesTest, RemovingAServerRefillsTheSelectorsAndReloads) {
  auto window = OpenLoaded();
  WhenShown("frmDeleteServer", [](QWidget& dialog) {
    auto* list = dialog.findChild<QListWidget*>("lstServers");
    list->setCurrentRow(0);  // embedded:src
    dialog.findChild<QPushButton*>("cmdRemove")->click();
  });
  ui_.answers.push_back(Answer::kYes);
  Item(*window, "mnuToolsRemoveServer")->trigger();
  for (const char* name : {"cmbServer_0", "cmbServer_1"}) {
    EXPECT_EQ(Selector(*window, name)->count(), 1) << name;
    EXPECT_EQ(Selector(*window, name)->CurrentText(), "embedded:tgt") << name;
  }
  EXPECT_EQ(Texts(*List(*window, "pvlDb_0")), (QStringList{"Other", "TgtDb"}));
  EXPECT_EQ(window->ConnectState(), kConnected);
}

TEST_F(MainWindowSidesTest, CursorChangeInTheOptionsReloadsBothSides) {
  auto window = OpenLoaded();
  answers_[{"SrcDb", tables_query_}] = Objects({{"fresh", 8}});
  ClickInOptions(*window, "optClientSide");
  // Both sides back on their own servers, without the remembered database.
  EXPECT_EQ(Texts(*List(*window, "pvlSqlObj_0")), QStringList{"fresh"});
  EXPECT_EQ(Texts(*List(*window, "pvlDb_1")), (QStringList{"Other", "TgtDb"}));
}

TEST_F(MainWindowSidesTest, ConstraintsOptionRefillsTheTypeSelector) {
  auto window = OpenLoaded();
  ClickInOptions(*window, "chkAnalyzeConstraints");
  QtSelector* types = Selector(*window, "cmbType");
  ASSERT_EQ(types->count(), 7);
  EXPECT_EQ(types->ItemText(6), "Constraints");
  EXPECT_EQ(types->ItemData(6), 80);
  EXPECT_EQ(types->CurrentText(), "Tables");
}

// --- first activation
// -----------------------------------------------------------------------------

TEST_F(MainWindowSidesTest, FirstActivationShowsTheTipThenChecksTheServer) {
  WriteBoolean(context_->settings_store, Setting::kShowTipOfDay, true);
  auto window = Open();
  bool tip_shown = false;
  WhenShown("frmTip", [&](QWidget& tip) {
    tip_shown = true;
    tip.close();
  });
  window->FirstActivation();
  EXPECT_TRUE(tip_shown);
  EXPECT_TRUE(ui_.messages.empty());  // a server is listed: nothing to ask
  window->FirstActivation();          // later activations do nothing
}

TEST_F(MainWindowSidesTest, FirstActivationWithoutServersAsksForOne) {
  RemoveServerByName(*context_, "embedded:src");
  RemoveServerByName(*context_, "embedded:tgt");
  context_->backends.odbc = std::make_shared<FakeBackend>();
  context_->backends.odbc_driver_available = true;
  auto window = Open();
  WhenShown("frmAddServer",
            [](QWidget& dialog) { dialog.findChild<QPushButton*>("cmdCancel")->click(); });
  window->FirstActivation();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            "There is no SQL server to connect to.\r\n\r\n"
            "Please add server by filling in following form or by clicking menu item 'Tools' -> "
            "'Add Server' and specifying info for the server.");
  EXPECT_EQ(ui_.messages[0].title, "No SQL Server");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(window->ConnectState(), kNotConnected);
}

TEST_F(MainWindowSidesTest, MissingDataAccessStopsTheServerCheck) {
  RemoveServerByName(*context_, "embedded:src");
  RemoveServerByName(*context_, "embedded:tgt");
  auto window = Open();  // no driver for a real server
  window->FirstActivation();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].title, kDataAccessMissingTitle);
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kCritical);
}

// --- layout
// -----------------------------------------------------------------------------------------

TEST_F(MainWindowSidesTest, CompactLayoutFitsA640By480Screen) {
  auto window = OpenLoaded();
  EXPECT_FALSE(window->IsCompactLayout());
  window->ApplyCompactLayout();
  QApplication::processEvents();
  EXPECT_TRUE(window->IsCompactLayout());
  const QSize minimum = window->minimumSizeHint();
  EXPECT_LE(minimum.width(), 640);
  EXPECT_LE(minimum.height(), 480);
  EXPECT_LE(window->width(), 640);
  EXPECT_LE(window->height(), 480);
  for (const char* name :
       {"cmbServer_0", "pvlDb_0", "pvlSqlObj_0", "txtTXProc_0", "cmdCopyClipboard_0", "cmbServer_1",
        "pvlSqlObj_1", "txtTXProc_1", "cmdAnalyzeData_1", "cmdConnect", "cmdHelp", "cmbType"}) {
    QWidget* widget = Find<QWidget>(*window, name);
    EXPECT_TRUE(widget->isVisible()) << name;
    EXPECT_GT(widget->width(), 0) << name;
    // Inside the window.
    const QRect area(widget->mapTo(window.get(), QPoint(0, 0)), widget->size());
    EXPECT_TRUE(window->rect().contains(area)) << name;
  }
  testing::Screenshot(*window, "main_window_compact");
}

TEST_F(MainWindowSidesTest, SplitterHoldsSourceLeftAndTargetRight) {
  auto window = OpenLoaded();
  auto* splitter = Find<QSplitter>(*window, "splMain");
  ASSERT_EQ(splitter->count(), 2);
  EXPECT_EQ(splitter->widget(0)->objectName(), "fraSide_0");
  EXPECT_EQ(splitter->widget(1)->objectName(), "fraSide_1");
  EXPECT_FALSE(splitter->childrenCollapsible());
  splitter->setSizes({300, 700});
  EXPECT_LT(Find<QWidget>(*window, "txtTXProc_0")->width(),
            Find<QWidget>(*window, "txtTXProc_1")->width());
  testing::Screenshot(*window, "main_window");
}

TEST_F(MainWindowSidesTest, SizeAndSplitAreRememberedForTheNextRun) {
  {
    auto window = Open();
    window->resize(900, 620);
    Find<QSplitter>(*window, "splMain")->setSizes({250, 620});
    const QList<int> sizes = Find<QSplitter>(*window, "splMain")->sizes();
    window->close();
    auto again = Open();
    EXPECT_EQ(again->size(), QSize(900, 620));
    EXPECT_EQ(Find<QSplitter>(*again, "splMain")->sizes(), sizes);
  }
  // A store holding no geometry, or text that is none, leaves the default size.
  context_->settings_store.SaveString("Software\\KVN\\Window", "MainGeometry", "not base64 ~");
  auto window = Open();
  EXPECT_EQ(window->size(), QSize(1024, 700));
}

// --- end to end on the embedded engine ----------------------------------------------------------

// Live and Next hold Orders, whose note column differs in size, and the same GetOrders.
class MainWindowEmbeddedTest : public testing::WindowTest {
 protected:
  std::unique_ptr<MainWindow> OpenOrders() {
    const std::filesystem::path servers = context_->locations.servers_folder;
    for (const auto& [database, size] : {std::pair{"Live", "10"}, std::pair{"Next", "20"}}) {
      EXPECT_TRUE(LoadScript(servers, "embedded:e2e", database,
                             "CREATE TABLE dbo.Orders (id int NOT NULL, note varchar(" +
                                 std::string(size) +
                                 ") NULL)\nGO\n"
                                 "CREATE PROCEDURE dbo.GetOrders AS SELECT id FROM dbo.Orders\n")
                      .ok);
    }
    EXPECT_TRUE(AddEmbeddedServer(servers, "embedded:e2e"));
    context_->settings.auto_sel_target_obj = true;
    context_->settings.ignore_col_seq = false;

    auto window = std::make_unique<MainWindow>(*context_);  // the scripting module's texts
    window->show();
    EXPECT_EQ(window->ConnectState(), kConnected);
    Choose(*Find<QtListControl>(*window, "pvlDb_0"), "Live");
    Choose(*Find<QtListControl>(*window, "pvlDb_1"), "Next");
    Choose(*Find<QtListControl>(*window, "pvlSqlObj_0"), "Orders");
    return window;
  }
};

TEST_F(MainWindowEmbeddedTest, LoadsPicksAndComparesWithTheScriptedStructureTexts) {
  const std::unique_ptr<MainWindow> opened = OpenOrders();
  MainWindow& window = *opened;
  EXPECT_EQ(Find<QtListControl>(window, "pvlSqlObj_1")->CurrentText(), "Orders");
  const std::string source = Find<QtTextView>(window, "txtTXProc_0")->Text();
  const std::string target = Find<QtTextView>(window, "txtTXProc_1")->Text();
  EXPECT_NE(source.find("[note]"), std::string::npos) << source;
  EXPECT_NE(source, target);
  SeenReport seen;
  ReadReport(seen);
  Find<QPushButton>(window, "cmdCompare")->click();
  ASSERT_TRUE(seen.opened);
  EXPECT_EQ(seen.text,
            "Source: embedded:e2e.Live.Orders\r\nTarget: embedded:e2e.Next.Orders\r\n\r\n"
            "The selected tables are different.");

  // The procedures are the same.
  ui_.messages.clear();
  Find<QtSelector>(window, "cmbType")->setCurrentIndex(1);  // Procedures
  EXPECT_EQ(Find<QtListControl>(window, "pvlSqlObj_0")->CurrentText(), "GetOrders");
  EXPECT_NE(Find<QtTextView>(window, "txtTXProc_1")->Text().find("SELECT id"), std::string::npos);
  SeenReport identical;
  ReadReport(identical);
  Find<QPushButton>(window, "cmdCompare")->click();
  ASSERT_TRUE(identical.opened);
  EXPECT_EQ(identical.text,
            "Source: embedded:e2e.Live.GetOrders\r\nTarget: embedded:e2e.Next.GetOrders\r\n\r\n"
            "The selected procedures are identical.");
  testing::Screenshot(window, "main_window_embedded");
}

TEST_F(MainWindowEmbeddedTest, CompareLeavesOutTheStructureIgnoredColumns) {
  // The tables differ only in the ignored column; the views still show it.
  for (const std::string database : {"Live", "Next"}) {
    ASSERT_TRUE(SaveIgnoredColumns(context_->locations, IgnoredColumnsKind::Structure,
                                   "embedded:e2e." + database + ".Orders", {"note"}, ui_));
  }
  const std::unique_ptr<MainWindow> window = OpenOrders();
  EXPECT_NE(Find<QtTextView>(*window, "txtTXProc_0")->Text().find("[note]"), std::string::npos);
  SeenReport seen;
  ReadReport(seen);
  Find<QPushButton>(*window, "cmdCompare")->click();
  ASSERT_TRUE(seen.opened);
  EXPECT_EQ(seen.text,
            "Source: embedded:e2e.Live.Orders\r\nTarget: embedded:e2e.Next.Orders\r\n\r\n"
            "The selected tables are identical.\r\n\r\n"
            "Please note that some columns were ignored during comparison.");
}

}  // namespace
}  // namespace korvane

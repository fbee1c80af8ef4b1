// The database tools driven headless from the main window over an embedded server: Find Object
// (both variants), Database Information (with its report and its Cancel) and Attach Database.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/settings.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "db/server_list.h"
#include "dialog_test_support.h"
#include "tools/attach_database.h"
#include "ui/main_window.h"
#include "ui/qt_list_control.h"
#include "ui/qt_selector.h"
#include "ui/report_window.h"

namespace korvane {
namespace {

using testing::Choose;
using testing::ClickButton;
using testing::ReadReport;
using testing::SeenReport;
using testing::WhenOpens;

constexpr const char* kServer = "embedded:tools";

constexpr std::string_view kShopScript = R"(
CREATE TABLE Orders (id int NOT NULL CONSTRAINT PK_Orders PRIMARY KEY)
GO
CREATE TABLE OrderLines (id int NOT NULL, order_id int NULL CONSTRAINT FK_Lines_Orders REFERENCES Orders (id))
GO
CREATE TABLE Customers (id int NOT NULL)
GO
CREATE VIEW v_orders AS SELECT id FROM Orders
GO
CREATE VIEW v_customers AS SELECT id FROM Customers
GO
INSERT INTO Orders VALUES (1)
GO
)";

class DatabaseToolsWindowTest : public testing::WindowTest {
 protected:
  void SetUp() override {
    const std::filesystem::path servers = context_->locations.servers_folder;
    const ScriptLoadResult loaded = LoadScript(servers, kServer, "shop", kShopScript);
    ASSERT_TRUE(loaded.ok) << loaded.message;
    ASSERT_TRUE(AddEmbeddedServer(servers, kServer, false));
  }

  // The main window, connected (AutoConnect) with "shop" chosen on both sides, or unconnected.
  std::unique_ptr<MainWindow> OpenWindow(bool connected = true) {
    WriteBoolean(context_->settings_store, Setting::kAutoConnect, connected);
    auto window = std::make_unique<MainWindow>(*context_);
    window->show();
    if (connected) {
      for (int side : {kSource, kTarget})
        Choose(List(*window, "pvlDb", side), "shop");
    }
    ui_.messages.clear();
    return window;
  }

  QtListControl& List(QWidget& window, const char* name, int side) {
    return *window.findChild<QtListControl*>(QString("%1_%2").arg(name).arg(side));
  }

  // Searches `text` in the open find dialog and chooses `name` with OK.
  void SearchAndChoose(QWidget& dialog, const char* text, const std::string& name,
                       std::vector<std::string>* listed = nullptr) {
    Retype(dialog, "txtSearch", text);
    ClickButton(dialog, "cmdSearch");
    auto* list = Find<QtListControl>(dialog, "pvlSqlObj");
    if (listed != nullptr)
      *listed = testing::ColumnTexts(*list);
    Choose(*list, name);
    ClickButton(dialog, "cmdOK");
  }
};

TEST_F(DatabaseToolsWindowTest, ToolCommandsAreEnabled) {
  auto window = OpenWindow();
  for (const char* name : {"cmdFind_0", "cmdFind_1", "cmdDbInfo_0", "cmdDbInfo_1"}) {
    auto* button = Find<QPushButton>(*window, name);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isEnabled()) << name;
  }
  for (const char* name : {"mnuToolsFind_0", "mnuToolsFind_1", "mnuToolsAttach"}) {
    auto* item = Find<QAction>(*window, name);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isEnabled()) << name;
  }
}

TEST_F(DatabaseToolsWindowTest, FindButtonSelectsTheFoundTable) {
  auto window = OpenWindow();
  std::vector<std::string> listed;
  QString caption;
  QString prompt;
  WhenOpens("frmSearchForObject", [&](QWidget& dialog) {
    caption = dialog.windowTitle();
    prompt = Find<QLabel>(dialog, "lblPrompt")->text();
    Retype(dialog, "txtSearch", "ord");
    ClickButton(dialog, "cmdSearch");
    testing::Screenshot(dialog, "find_object");
    SearchAndChoose(dialog, "ORD", "Orders", &listed);
  });
  ClickButton(*window, "cmdFind_1");
  EXPECT_EQ(caption, "Find Table");
  EXPECT_EQ(prompt,
            "Type the first letters of the name of the table you want to search for and click "
            "button 'Search'.");
  EXPECT_EQ(listed, (std::vector<std::string>{"OrderLines", "Orders"}));
  EXPECT_EQ(List(*window, "pvlSqlObj", kTarget).CurrentText(), "Orders");
  EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
}

TEST_F(DatabaseToolsWindowTest, GeneralFindSwitchesTheWindowToTheFoundType) {
  auto window = OpenWindow();
  bool has_type_selector = false;
  WhenOpens("frmSearchForObject_Gen", [&](QWidget& dialog) {
    auto* types = Find<QtSelector>(dialog, "cmbType");
    has_type_selector = types != nullptr;
    if (types == nullptr)
      return dialog.close();
    for (int index = 0; index < types->Count(); ++index) {
      if (types->ItemData(index) == ObjectTypeCode(ObjectType::kViews))
        types->SetCurrentIndex(index);
    }
    EXPECT_EQ(dialog.windowTitle(), "Find View");
    EXPECT_EQ(Find<QLabel>(dialog, "lblDatabase")->text(), "shop");
    testing::Screenshot(dialog, "find_object_general");
    SearchAndChoose(dialog, "v_c", "v_customers");
    return true;
  });
  Find<QAction>(*window, "mnuToolsFind_0")->trigger();
  ASSERT_TRUE(has_type_selector);
  EXPECT_EQ(window->CurrentObjectType(), ObjectType::kViews);
  EXPECT_EQ(List(*window, "pvlSqlObj", kSource).CurrentText(), "v_customers");
}

TEST_F(DatabaseToolsWindowTest, SearchWithoutTextAsksForLettersAndCancelKeepsTheSelection) {
  auto window = OpenWindow();
  const std::string selected = List(*window, "pvlSqlObj", kSource).CurrentText();
  WhenOpens("frmSearchForObject", [&](QWidget& dialog) {
    ClickButton(dialog, "cmdSearch");
    ClickButton(dialog, "cmdCancel");
  });
  ClickButton(*window, "cmdFind_0");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Type the first letters of the name of the "
                                                     "table you want to search for."});
  EXPECT_EQ(List(*window, "pvlSqlObj", kSource).CurrentText(), selected);
}

TEST_F(DatabaseToolsWindowTest, ToolsRefuseWithoutAConnection) {
  auto window = OpenWindow(false);
  ClickButton(*window, "cmdFind_0");
  ClickButton(*window, "cmdDbInfo_1");
  Find<QAction>(*window, "mnuToolsAttach")->trigger();
  ASSERT_EQ(ui_.messages.size(), 3u);
  EXPECT_EQ(ui_.messages[0].text, "Cannot search for object - the list of databases is empty.");
  EXPECT_EQ(ui_.messages[0].title, "Cannot Search");
  EXPECT_EQ(ui_.messages[1].text, "Cannot display database info - the list of databases is empty.");
  EXPECT_EQ(ui_.messages[1].title, "Cannot Display Info");
  EXPECT_EQ(ui_.messages[2].text, "Please connect to the server first.");
  for (const auto& message : ui_.messages)
    EXPECT_EQ(message.icon, MessageIcon::kExclamation);
}

TEST_F(DatabaseToolsWindowTest, F10ShowsTheSourceDatabaseReportWithoutSaveComparison) {
  auto window = OpenWindow();
  SeenReport seen;
  bool save_visible = true;
  ReadReport(seen, [&](ReportWindow& report) {
    if (auto* save = report.findChild<QPushButton*>("cmdSave"))
      save_visible = save->isVisible();
    testing::Screenshot(report, "database_information_report");
  });
  for (QShortcut* key : window->findChildren<QShortcut*>()) {
    if (key->key() == QKeySequence(Qt::Key_F10))
      emit key->activated();
  }
  ASSERT_TRUE(seen.opened);
  EXPECT_EQ(seen.title, "Database Information");
  EXPECT_FALSE(seen.state.save_button_visible);
  EXPECT_FALSE(save_visible);
  EXPECT_EQ(seen.text.rfind("Jan 02, 2026\r\n\r\nDatabase: shop\r\n\r\nList of tables\r\n"
                            "   1  Customers (0 records)\r\n"
                            "   2  OrderLines (0 records)\r\n"
                            "   3  Orders (1 record)\r\n",
                            0),
            0u)
      << seen.text;
  EXPECT_TRUE(context_->report_buffer.empty());
}

TEST_F(DatabaseToolsWindowTest, CancelledInformationShowsNoReport) {
  auto window = OpenWindow();
  bool seen_dialog = false;
  bool closed_while_running = false;
  auto finished = std::make_shared<bool>(false);
  // Checked at every pending-events point of the analysis; once the procedures are being
  // analysed, the dialog is pictured, refuses to close, and Cancel is clicked.
  std::function<void()> watch = [&, finished] {
    if (*finished)
      return;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->objectName() != "frmGetDbInfo" || !widget->isVisible())
        continue;
      auto* procedures = widget->findChild<QLabel*>("lblStatus_1");
      if (procedures == nullptr || !procedures->isVisible())
        break;
      seen_dialog = true;
      EXPECT_EQ(widget->findChild<QLabel*>("lblStatus_0")->text(), "Analyzing tables... Finished");
      testing::Screenshot(*widget, "database_information_progress");
      widget->close();  // refused while running: it only asks to stop
      closed_while_running = !widget->isVisible();
      ClickButton(*widget, "cmdCancel");
      return;
    }
    QTimer::singleShot(0, watch);
  };
  QTimer::singleShot(0, watch);
  // A report window that opens anyway is noted and closed, so the test cannot hang on it.
  auto report_opened = std::make_shared<bool>(false);
  std::function<void()> close_report = [report_opened, finished, &close_report] {
    if (*finished)
      return;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->objectName() == "frmReport") {
      *report_opened = true;
      modal->close();
    }
    QTimer::singleShot(5, close_report);
  };
  QTimer::singleShot(5, close_report);
  ClickButton(*window, "cmdDbInfo_0");
  *finished = true;
  EXPECT_TRUE(seen_dialog);
  EXPECT_FALSE(closed_while_running);
  EXPECT_FALSE(*report_opened);
}

class AttachWindowTest : public DatabaseToolsWindowTest {
 protected:
  // A database file built in another server folder, to be attached.
  std::string DatabaseFile() {
    const std::filesystem::path other = folder_.path() / "other";
    const ScriptLoadResult loaded = LoadScript(other, "embedded:" + other.string(), "archive",
                                               "CREATE TABLE Kept (id int NOT NULL)\nGO\n");
    EXPECT_TRUE(loaded.ok) << loaded.message;
    for (const auto& entry : std::filesystem::directory_iterator(other)) {
      if (entry.path().stem() == "archive")
        return entry.path().string();
    }
    return {};
  }
};

TEST_F(AttachWindowTest, SingleFileLocksTheLogFieldAndAttachRelistsTheDatabases) {
  auto window = OpenWindow();
  const std::string file = DatabaseFile();
  ASSERT_FALSE(file.empty());
  bool log_enabled_after_check = true;
  WhenOpens("frmAttachDb", [&](QWidget& dialog) {
    Retype(dialog, "txtLogFile", "old.ldf");
    Click(dialog, "chkAttachSingleFile");
    auto* log = Find<QLineEdit>(dialog, "txtLogFile");
    log_enabled_after_check =
        log->isEnabled() || Find<QPushButton>(dialog, "cmdBrowseLogFile")->isEnabled();
    EXPECT_TRUE(log->text().isEmpty());
    ClickButton(dialog, "cmdOK");  // no name yet
    Retype(dialog, "txtDbName", "Archive");
    Retype(dialog, "txtDataFile", file.c_str());
    testing::Screenshot(dialog, "attach_database");
    ClickButton(dialog, "cmdOK");
  });
  Find<QAction>(*window, "mnuToolsAttach")->trigger();
  EXPECT_FALSE(log_enabled_after_check);
  EXPECT_EQ(MessageTexts(),
            (std::vector<std::string>{"Please specify database name.", "Attached Successfully"}));
  const std::vector<std::string> databases = testing::ColumnTexts(List(*window, "pvlDb", kSource));
  EXPECT_NE(std::find(databases.begin(), databases.end(), "Archive"), databases.end());
}

TEST_F(AttachWindowTest, BrowseUsesTheFiltersAndCancelChangesNothing) {
  auto window = OpenWindow();
  ui_.file_choices.push_back(std::filesystem::path("/data/db one.db"));
  QString data_after;
  QString log_after;
  WhenOpens("frmAttachDb", [&](QWidget& dialog) {
    Retype(dialog, "txtLogFile", "kept.ldf");
    ClickButton(dialog, "cmdBrowseDataFile");
    ClickButton(dialog, "cmdBrowseLogFile");  // cancelled: no choice left
    data_after = Find<QLineEdit>(dialog, "txtDataFile")->text();
    log_after = Find<QLineEdit>(dialog, "txtLogFile")->text();
    ClickButton(dialog, "cmdCancel");
  });
  Find<QAction>(*window, "mnuToolsAttach")->trigger();
  EXPECT_EQ(data_after, "/data/db one.db");
  EXPECT_EQ(log_after, "kept.ldf");
  ASSERT_EQ(ui_.file_requests.size(), 2u);
  EXPECT_EQ(ui_.file_requests[0].title, "Select Database File");
  EXPECT_EQ(ui_.file_requests[0].filter, kDatabaseFileFilter);
  EXPECT_EQ(ui_.file_requests[1].title, "Select Log File");
  EXPECT_EQ(ui_.file_requests[1].filter, kLogFileFilter);
}

}  // namespace
}  // namespace korvane

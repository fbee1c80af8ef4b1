// The main window and its tools on tables whose names hold quotes, brackets, dots, blanks and
// letters beyond ASCII, an empty table, a wide table and long texts, loaded into an embedded
// server.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <string>
#include <vector>

#include "app/settings.h"
#include "base/files.h"
#include "base/text.h"
#include "db/embedded/script_loader.h"
#include "dialog_test_support.h"
#include "saved/comparison_codes.h"
#include "saved/ignored_columns.h"
#include "saved/saved_comparison_store.h"
#include "ui/compare_data_window.h"
#include "ui/data_diff_grid_model.h"
#include "ui/eliding_header_view.h"
#include "ui/main_window.h"
#include "ui/qt_list_control.h"
#include "ui/qt_text_view.h"
#include "ui/report_window.h"

namespace korvane {
namespace {

using testing::Choose;

constexpr const char* kServer = "embedded:odd";

// Many: `rows` records whose value column is `shift` + id, inserted 500 at a time.
std::string ManyTable(int rows, int shift) {
  std::string sql = "CREATE TABLE dbo.Many (id int NOT NULL PRIMARY KEY, v int NULL)\nGO\n";
  for (int first = 1; first <= rows; first += 500) {
    sql += "INSERT INTO dbo.Many VALUES ";
    for (int id = first; id < first + 500 && id <= rows; ++id)
      sql += (id == first ? "(" : ", (") + std::to_string(id) + ", " + std::to_string(id + shift) +
             ")";
    sql += "\nGO\n";
  }
  return sql;
}

// Wide: 60 columns and one record whose last value is `last`.
std::string WideTable(const std::string& last) {
  std::string sql = "CREATE TABLE dbo.Wide (id int NOT NULL";
  std::string values = "1";
  for (int column = 1; column < 60; ++column) {
    sql += ", [column number " + std::to_string(column) + "] varchar(30) NULL";
    values += column == 59 ? ", '" + last + "'" : ", 'value " + std::to_string(column) + "'";
  }
  return sql + ")\nGO\nINSERT INTO dbo.Wide VALUES (" + values + ")\nGO\n";
}

// The tables both databases hold; `rows` are the INSERT batches of one of them.
std::string OddScript(const std::string& rows) {
  return "CREATE TABLE dbo.[Order Details] (id int NOT NULL PRIMARY KEY, [Unit Price] money NULL, "
         "[Note's] varchar(50) NULL)\nGO\n"
         "CREATE TABLE dbo.[O'Brien] (id int NOT NULL PRIMARY KEY, name nvarchar(40) NULL)\nGO\n"
         "CREATE TABLE dbo.[a.b] (id int NOT NULL PRIMARY KEY, [c.d] int NULL)\nGO\n"
         "CREATE TABLE dbo.[x]]y] (id int NOT NULL PRIMARY KEY, [p]]q] int NULL)\nGO\n"
         "CREATE TABLE dbo.[Bücher] (id int NOT NULL PRIMARY KEY, [Größe] nvarchar(20) NULL)\nGO\n"
         "CREATE TABLE dbo.Empty (id int NOT NULL PRIMARY KEY)\nGO\n"
         "CREATE TABLE dbo.Notes (id int NOT NULL PRIMARY KEY, body nvarchar(max) NULL)\nGO\n" +
         rows;
}

// The Live records, and the Dev records that differ from them in Order Details (one price),
// Notes (one long text), Wide (its last value) and Many (every value, and 100 more records).
std::string LiveRows() {
  return "INSERT INTO dbo.[Order Details] VALUES (1, 2.5, 'it''s'), (2, 3, NULL)\nGO\n"
         "INSERT INTO dbo.[O'Brien] VALUES (1, N'O''Neil')\nGO\n"
         "INSERT INTO dbo.[a.b] VALUES (1, 1)\nGO\n"
         "INSERT INTO dbo.[x]]y] VALUES (1, 2)\nGO\n"
         "INSERT INTO dbo.[Bücher] VALUES (1, N'groß')\nGO\n"
         "INSERT INTO dbo.Notes VALUES (1, N'" +
         std::string(5000, 'L') + "')\nGO\n" + WideTable("last") + ManyTable(2500, 0);
}

std::string DevRows() {
  return "INSERT INTO dbo.[Order Details] VALUES (1, 2.5, 'it''s'), (2, 4, NULL)\nGO\n"
         "INSERT INTO dbo.[O'Brien] VALUES (1, N'O''Neil')\nGO\n"
         "INSERT INTO dbo.[a.b] VALUES (1, 1)\nGO\n"
         "INSERT INTO dbo.[x]]y] VALUES (1, 2)\nGO\n"
         "INSERT INTO dbo.[Bücher] VALUES (1, N'groß')\nGO\n"
         "INSERT INTO dbo.Notes VALUES (1, N'" +
         std::string(5000, 'L') + "x')\nGO\n" + WideTable("changed") + ManyTable(2600, 1);
}

struct OddTable {
  const char* name;
  const char* escaped;      // as a script that is run names it
  const char* column;       // its last column
  const char* column_line;  // that column's line in the structure text
  long long source_rows;
  long long differing;  // records that differ from the Target's, record by record
};

// In the order the server lists them: letter case does not matter.
const OddTable kOddTables[] = {
    {"a.b", "[a.b]", "c.d", "[c.d] [int] NULL", 1, 0},
    {"Bücher", "[Bücher]", "Größe", "[Größe] [nvarchar] (20) NULL", 1, 0},
    {"Empty", "[Empty]", "id", "[id] [int] NOT NULL", 0, 0},
    {"Many", "[Many]", "v", "[v] [int] NULL", 2500, 2600},
    {"Notes", "[Notes]", "body", "[body] [nvarchar] (-1) NULL", 1, 1},
    {"O'Brien", "[O'Brien]", "name", "[name] [nvarchar] (40) NULL", 1, 0},
    {"Order Details", "[Order Details]", "Note's", "[Note's] [varchar] (50) NULL", 2, 1},
    {"Wide", "[Wide]", "column number 59", "[column number 59] [varchar] (30) NULL", 1, 1},
    {"x]y", "[x]]y]", "p]q", "[p]q] [int] NULL", 1, 0},
};

std::string Label(QWidget& window, const char* name) {
  auto* label = window.findChild<QLabel*>(name);
  EXPECT_NE(label, nullptr) << name;
  return label != nullptr ? label->text().toStdString() : std::string();
}

class OddNamesWindowTest : public testing::WindowTest {
 protected:
  void SetUp() override {
    DrainQueuedChecks();
    const std::filesystem::path servers = context_->locations.servers_folder;
    for (const auto& [database, rows] : {std::pair{"OddLive", LiveRows()}, {"OddDev", DevRows()}}) {
      const ScriptLoadResult loaded = LoadScript(servers, kServer, database, OddScript(rows));
      ASSERT_TRUE(loaded.ok) << database << ": " << loaded.message;
    }
    ASSERT_TRUE(AddEmbeddedServer(servers, kServer));
    context_->settings.auto_sel_target_obj = true;
    WriteBoolean(context_->settings_store, Setting::kShowDataCompOpt, false);
  }

  std::unique_ptr<MainWindow> Open(const std::string& target = "OddDev") {
    auto window = std::make_unique<MainWindow>(*context_);
    window->show();
    EXPECT_EQ(window->ConnectState(), kConnected);
    Choose(*Find<QtListControl>(*window, "pvlDb_0"), "OddLive");
    Choose(*Find<QtListControl>(*window, "pvlDb_1"), target);
    ui_.messages.clear();
    return window;
  }

  // Chooses the table on the Source side, where the Target follows it.
  void ChooseTable(MainWindow& window, const OddTable& table) {
    Choose(*Find<QtListControl>(window, "pvlSqlObj_0"), table.name);
    EXPECT_EQ(Find<QtListControl>(window, "pvlSqlObj_1")->CurrentText(), table.name);
    ui_.messages.clear();
  }

  static int Index(const OddTable& table) { return static_cast<int>(&table - kOddTables); }
};

TEST_F(OddNamesWindowTest, EveryTableIsListedShownComparedAndViewed) {
  auto window = Open();
  std::vector<std::string> expected;
  for (const OddTable& table : kOddTables)
    expected.push_back(table.name);
  EXPECT_EQ(testing::ColumnTexts(*Find<QtListControl>(*window, "pvlSqlObj_0")), expected);

  for (const OddTable& table : kOddTables) {
    SCOPED_TRACE(table.name);
    ChooseTable(*window, table);
    const std::string text = Find<QtTextView>(*window, "txtTXProc_0")->Text();
    EXPECT_NE(text.find(table.column_line), std::string::npos) << text;

    testing::SeenReport seen;
    testing::ReadReport(seen);
    Find<QPushButton>(*window, "cmdCompare")->click();
    EXPECT_EQ(seen.text, std::string("Source: embedded:odd.OddLive.") + table.name +
                             "\r\nTarget: embedded:odd.OddDev." + table.name +
                             "\r\n\r\nThe selected tables are identical.\r\n\r\nPlease note that "
                             "option 'Ignore Columns Order' is set ON.");

    // An empty table is refused; any other opens with its count.
    bool viewed = false;
    if (table.source_rows > 0) {
      testing::WhenOpens("frmDataView", [&](QWidget& view) {
        viewed = true;
        EXPECT_EQ(Label(view, "lblStatistics"),
                  "Number of records: " + FormatNumber(table.source_rows));
        testing::Screenshot(view, "odd_data_view_" + std::to_string(Index(table)));
        testing::ClickButton(view, "cmdExit");
      });
    }
    Click(*window, "cmdViewData_0");
    EXPECT_EQ(viewed, table.source_rows > 0);
    const std::vector<std::string> refused = {"Table " + std::string(table.name) +
                                              " doesn't contain any data."};
    EXPECT_EQ(MessageTexts(), table.source_rows > 0 ? std::vector<std::string>{} : refused);
  }
  testing::Screenshot(*window, "odd_main_window");
}

TEST_F(OddNamesWindowTest, DataOfEveryTableIsComparedUpToTheGridsLimit) {
  context_->settings.max_rows_in_diff_table = 100;
  auto window = Open();
  for (const OddTable& table : kOddTables) {
    SCOPED_TRACE(table.name);
    ChooseTable(*window, table);
    bool shown = false;
    if (table.differing > 0) {
      testing::WhenShown("frmCompareData", [&](QWidget& differences) {
        shown = true;
        EXPECT_EQ(differences.windowTitle().toStdString(), "Differences between data in tables '" +
                                                               std::string(table.name) + "' and '" +
                                                               table.name + "'");
        EXPECT_EQ(Label(differences, "lblStats_5"), FormatNumber(table.differing));
        const DataDiffGridModel& model = *static_cast<CompareDataWindow&>(differences).model();
        // Record by record every difference is a pair of rows; 100 records at the most.
        EXPECT_EQ(model.rowCount(), 2 * std::min<long long>(table.differing, 100));
        EXPECT_EQ(model.headerData(model.columnCount() - 1, Qt::Horizontal, Qt::DisplayRole)
                      .toString()
                      .toStdString(),
                  table.column);
        EXPECT_EQ(Find<QLabel>(differences, "lblNote")->isVisible(), table.differing > 100);
        testing::Screenshot(differences, "odd_compare_data_" + std::to_string(Index(table)));
        Click(differences, "cmdClose");
      });
    }
    Find<QPushButton>(*window, "cmdCompData")->click();
    EXPECT_EQ(shown, table.differing > 0);
    if (table.differing == 0)
      EXPECT_EQ(MessageTexts(),
                std::vector<std::string>{"Data stored in both tables is identical."});
    else if (table.differing > 100)
      EXPECT_EQ(ui_.messages.size(), 1u);  // the note that not every record is shown
    else
      EXPECT_EQ(MessageTexts(), std::vector<std::string>{});
    DrainQueuedChecks();
  }
}

TEST_F(OddNamesWindowTest, FindTakesQuotesBracketsDotsBlanksAndUmlauts) {
  auto window = Open();
  const std::pair<const char*, std::vector<std::string>> searches[] = {
      {"O'", {"O'Brien"}},
      {"a.", {"a.b"}},
      {"x]", {"x]y"}},
      {"Bü", {"Bücher"}},
      {"Order ", {"Order Details"}},
      {"O", {"O'Brien", "Order Details"}}};
  for (const auto& [text, expected] : searches) {
    SCOPED_TRACE(text);
    std::vector<std::string> listed;
    testing::WhenOpens("frmSearchForObject", [&](QWidget& dialog) {
      // Typed as a paste would: the test keyboard has no umlauts.
      Find<QLineEdit>(dialog, "txtSearch")->setText(QString::fromUtf8(text));
      testing::ClickButton(dialog, "cmdSearch");
      listed = testing::ColumnTexts(*Find<QtListControl>(dialog, "pvlSqlObj"));
      testing::ClickButton(dialog, "cmdCancel");
    });
    testing::ClickButton(*window, "cmdFind_0");
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{});
  }
}

TEST_F(OddNamesWindowTest, CreateScriptsNameEveryTableSoThatTheyRun) {
  auto window = Open();
  for (const OddTable& table : kOddTables) {
    SCOPED_TRACE(table.name);
    ChooseTable(*window, table);
    testing::SeenReport seen;
    testing::ReadReport(seen);
    Find<QAction>(*window, "mnuSQLCreate_0")->trigger();
    EXPECT_EQ(seen.title, "SQL CREATE Statement");
    EXPECT_NE(seen.text.find("\r\nCREATE TABLE " + std::string(table.escaped) + " (\r\n"),
              std::string::npos)
        << seen.text;
    EXPECT_EQ(seen.text.find("(-1)"), std::string::npos) << seen.text;
  }
}

TEST_F(OddNamesWindowTest, SavedSinglePairRunsExportTheOddColumns) {
  for (const OddTable& table : kOddTables) {
    SCOPED_TRACE(table.name);
    SavedProcess process;
    // Anything but "]" may name a process.
    process.name = "Run " + std::to_string(Index(table)) + " = [x; 'q' ü";
    process.comp_type = kCompTypeData;
    process.comp_sub_type = kCompSubTypeDataSingleTable;
    process.server_name1 = kServer;
    process.server_name2 = kServer;
    process.db_name1 = "OddLive";
    process.db_name2 = "OddDev";
    process.comp_method = kCompMethodRecordByRecord;
    process.table_name1 = table.name;
    process.table_name2 = table.name;
    const std::filesystem::path exported = folder_.path() / (std::to_string(Index(table)) + ".csv");
    process.export_file_path = exported.string();
    process.export_type = kExportTypeCsv;
    SavedComparisonStore store(context_->locations, ui_);
    ASSERT_TRUE(store.SaveProcess(process));
    context_->RunSavedCompId = store.ProcessId(process.name);
    ASSERT_GT(context_->RunSavedCompId, 0);
    bool shown = false;
    if (table.differing > 0) {
      testing::WhenShown("frmCompareData", [&](QWidget& differences) {
        shown = true;
        differences.close();
      });
    }
    MainWindow window(*context_);
    window.show();
    window.FirstActivation();
    EXPECT_EQ(shown, table.differing > 0);
    const std::string csv = ReadWholeFile(exported).value_or("");
    const std::string header = csv.substr(0, csv.find("\r\n"));
    EXPECT_TRUE(header.starts_with("Row,id")) << header;
    EXPECT_TRUE(header.ends_with(table.column)) << header;
    DrainQueuedChecks();
  }
}

TEST_F(OddNamesWindowTest, IgnoredColumnsAndTheAnalyzerTakeOddColumnNames) {
  auto window = Open();
  for (const OddTable& table : kOddTables) {
    SCOPED_TRACE(table.name);
    if (table.source_rows == 0 || std::string(table.name).find('.') != std::string::npos)
      continue;  // nothing to analyze; a dotted name cannot be told from the key
    ChooseTable(*window, table);
    // The last column left out of the structure comparison through the pane's menu.
    testing::WhenOpens("frmIgnoreColumnsAdd", [&](QWidget& dialog) {
      auto* list = Find<QtListControl>(dialog, "pvlColumns");
      for (int row = 0; row < list->RowCount(); ++row)
        list->SetChecked(row, list->Cell(row, 0) != table.column);
      if (Index(table) == 7)  // Wide
        testing::Screenshot(dialog, "odd_ignore_wide");
      testing::ClickButton(dialog, "cmdOK");
    });
    window->StructureMenu(kSource)->findChild<QAction*>("mnuPopupIgnoreColumns_0")->trigger();
    EXPECT_EQ(GetIgnoredColumns(context_->locations, IgnoredColumnsKind::Structure,
                                std::string(kServer) + ".OddLive." + table.name),
              std::vector<std::string>{table.column});

    bool analyzed = false;
    testing::WhenOpens("frmDataAnalyze", [&](QWidget& analyzer) {
      analyzed = true;
      EXPECT_EQ(analyzer.windowTitle().toStdString(),
                "Data Analyzer     Table: " + std::string(table.name));
      Click(analyzer, "cmdStart");
      auto* grid = Find<QTableWidget>(analyzer, "rptData");
      ASSERT_GE(grid->rowCount(), 1);
      EXPECT_EQ(grid->item(grid->rowCount() - 1, 0)->text().toStdString(), table.column);
      QApplication::processEvents();  // the layout follows the texts the run set
      testing::Screenshot(analyzer, "odd_analyzer_" + std::to_string(Index(table)));
      analyzer.close();
    });
    Click(*window, "cmdAnalyzeData_0");
    EXPECT_TRUE(analyzed);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{});
  }
  std::vector<std::string> viewed;
  testing::WhenOpens("frmIgnoreColumnsView", [&](QWidget& viewer) {
    auto* list = Find<QtListControl>(viewer, "pvlIgnoredColumns");
    for (int row = 0; row < list->RowCount(); ++row)
      viewed.push_back(list->Cell(row, 2) + " | " + list->Cell(row, 3));
    testing::Screenshot(viewer, "odd_ignore_view");
    testing::ClickButton(viewer, "cmdClose");
  });
  Find<QAction>(*window, "mnuToolsIgnoredStruct")->trigger();
  EXPECT_EQ(viewed, (std::vector<std::string>{"Bücher | Größe", "Many | v", "Notes | body",
                                              "O'Brien | name", "Order Details | Note's",
                                              "Wide | column number 59", "x]y | p]q"}));
}

TEST_F(OddNamesWindowTest, OddDatabaseNamesReachEveryTool) {
  const char* databases[] = {"Shop's Dev", "Shop.Dev", "Shop]Dev", "Läden"};
  for (const char* database : databases) {
    const ScriptLoadResult loaded =
        LoadScript(context_->locations.servers_folder, kServer, database,
                   OddScript("INSERT INTO dbo.[O'Brien] VALUES (1, N'x')\nGO\n"));
    ASSERT_TRUE(loaded.ok) << database << ": " << loaded.message;
  }
  auto window = Open();
  for (const std::string database : databases) {
    SCOPED_TRACE(database);
    Choose(*Find<QtListControl>(*window, "pvlDb_1"), database);
    ChooseTable(*window, kOddTables[5]);  // O'Brien, whose one record differs
    bool shown = false;
    testing::WhenShown("frmCompareData", [&](QWidget& differences) {
      shown = true;
      EXPECT_EQ(Label(differences, "lblTable_1"),
                "Target Table: O'Brien (Database: " + database + ", Server: embedded:odd)");
      differences.close();
    });
    Find<QPushButton>(*window, "cmdCompData")->click();
    EXPECT_TRUE(shown);

    testing::SeenReport info;
    testing::ReadReport(info);
    testing::ClickButton(*window, "cmdDbInfo_1");
    EXPECT_NE(info.text.find("\r\nDatabase: " + database + "\r\n"), std::string::npos) << info.text;
    EXPECT_NE(info.text.find("O'Brien (1 record)"), std::string::npos) << info.text;

    testing::SeenReport create;
    testing::ReadReport(create);
    Find<QAction>(*window, "mnuSQLCreate_1")->trigger();
    std::string escaped = database;
    if (const std::size_t bracket = escaped.find(']'); bracket != std::string::npos)
      escaped.insert(bracket, "]");
    EXPECT_TRUE(create.text.starts_with("USE [" + escaped + "]\r\n")) << create.text;
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{});
    DrainQueuedChecks();
  }
}

// Regression: the grids cut long column names at both ends ("olumn number"), so that the 59
// columns of Wide all read alike; the header now keeps both ends and tells the whole name on
// hovering.
TEST_F(OddNamesWindowTest, LongColumnNamesStayTellableInBothGrids) {
  auto window = Open();
  ChooseTable(*window, kOddTables[7]);  // Wide
  std::vector<const char*> checked;
  auto check = [&](QWidget& window, const char* grid) {
    checked.push_back(grid);
    auto* view = Find<QTableView>(window, grid);
    ASSERT_NE(view, nullptr);
    auto* header = dynamic_cast<ElidingHeaderView*>(view->horizontalHeader());
    ASSERT_NE(header, nullptr) << grid;
    // 96 pixels hold neither "column number 58" nor "column number 59" whole.
    const QString shown = header->ShownText(60);
    EXPECT_TRUE(shown.startsWith("col") && shown.endsWith("59") && shown != "column number 59")
        << grid << " " << shown.toStdString();
    EXPECT_NE(header->ShownText(59), shown) << grid;
    const QAbstractItemModel& model = *view->model();
    ASSERT_EQ(model.columnCount(), 61) << grid;
    for (int column = 1; column < model.columnCount(); ++column) {
      const QString name = model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
      EXPECT_EQ(model.headerData(column, Qt::Horizontal, Qt::ToolTipRole).toString(), name)
          << grid << " " << column;
    }
    EXPECT_EQ(model.headerData(60, Qt::Horizontal, Qt::DisplayRole).toString(), "column number 59");
  };
  testing::WhenOpens("frmDataView", [&](QWidget& view) {
    check(view, "grdData");
    testing::ClickButton(view, "cmdExit");
  });
  Click(*window, "cmdViewData_0");
  testing::WhenShown("frmCompareData", [&](QWidget& differences) {
    check(differences, "grdDiff");
    testing::Screenshot(differences, "odd_compare_data_wide");
    Click(differences, "cmdClose");
  });
  Find<QPushButton>(*window, "cmdCompData")->click();
  EXPECT_EQ(checked, (std::vector<const char*>{"grdData", "grdDiff"}));
}

TEST_F(OddNamesWindowTest, DataViewExportsKeepQuotesAndBlanksOfNamesAndValues) {
  auto window = Open();
  ChooseTable(*window, kOddTables[6]);  // Order Details
  const std::pair<const char*, const char*> exports[] = {
      {"optExport_1",
       "\"Row\",\"id\",\"Unit Price\",\"Note's\"\r\n\"1\",\"1\",\"2.5000\",\"it's\"\r\n"
       "\"2\",\"2\",\"3.0000\",\"Null\"\r\n"},
      {"optExport_0", "<TD BGCOLOR = CCCCC><B>&nbsp Note's &nbsp</B></TD>\r\n"}};
  for (const auto& [option, expected] : exports) {
    SCOPED_TRACE(option);
    const std::filesystem::path file = folder_.path() / (std::string(option) + ".out");
    ui_.file_choices = {file};
    ui_.answers = {Answer::kYes, Answer::kNo};  // quotes (CSV only); not viewed now
    testing::WhenOpens("frmDataView", [&](QWidget& view) {
      testing::WhenShown("frmExport", [&](QWidget& dialog) {
        testing::Screenshot(dialog, "odd_export");
        Click(dialog, option);
        testing::ClickButton(dialog, "cmdOK");
      });
      testing::ClickButton(view, "cmdExport");
      testing::ClickButton(view, "cmdExit");
    });
    Click(*window, "cmdViewData_0");
    const std::string written = ReadWholeFile(file).value_or("");
    if (std::string(option) == "optExport_1")
      EXPECT_EQ(written, expected);
    else
      EXPECT_NE(written.find(expected), std::string::npos) << written;
    ui_.messages.clear();
  }
}

}  // namespace
}  // namespace korvane

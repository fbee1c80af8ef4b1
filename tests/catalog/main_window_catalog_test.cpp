#include "catalog/main_window_catalog.h"

#include <gtest/gtest.h>

#include "catalog/object_type_selector.h"
#include "catalog/owners.h"
#include "catalog/server_loader.h"
#include "catalog_fixture.h"
#include "db/server_list.h"

namespace korvane {
namespace {

using testing::CatalogTest;
using testing::kAllOwnersQuery;
using testing::kTablesQuery;
using testing::MemorySide;
using testing::ObjectRows;
using testing::OneColumn;
using testing::OwnerQuery;
using testing::RecordingRenderer;
using testing::Rows;

constexpr std::string_view kViewsQuery =
    "select name, refdate, id from sysobjects where OBJECTPROPERTY(id, N'IsView') = 1 and xtype "
    "<> 'S'  order by name";
class FakeWindow final : public MainWindowOperations {
 public:
  bool ServerInfoSet() override {
    ++server_checks;
    return server_info_set;
  }
  void InitializeDisplay(bool load_mru_db) override { initialized.push_back(load_mru_db); }
  void SetCompareToolTip(std::string_view text) override { tool_tip = text; }
  void SetObjectListHeader(int side, std::string_view text) override {
    headers[static_cast<std::size_t>(side)] = text;
  }
  bool IsLoaded() const override { return loaded; }
  bool IsCommandRunning() const override { return command_running; }

  bool server_info_set = true;
  bool loaded = true;
  bool command_running = false;
  int server_checks = 0;
  std::vector<bool> initialized;
  std::string tool_tip;
  std::array<std::string, 2> headers;
};

class MainWindowCatalogTest : public CatalogTest {
 protected:
  MainWindowCatalogTest()
      : catalog_(context_, window_, types_, source_.Controls(), target_.Controls(),
                 renderer_.Function()) {
    FillTypeSelector(types_, false);
    catalog_.ConnectSelectionEvents();
  }

  // Both sides show their databases ("SrcDb", "TgtDb") with these tables, as after a load.
  void ShowTables(const std::vector<testing::ObjectRow>& source_rows,
                  const std::vector<testing::ObjectRow>& target_rows) {
    RespondIn("SrcDb", kTablesQuery, ObjectRows(source_rows));
    RespondIn("TgtDb", kTablesQuery, ObjectRows(target_rows));
    ListDatabase(source_, "SrcDb");
    ListDatabase(target_, "TgtDb");
    for (int side : {kSource, kTarget})
      catalog_.RefreshDisplayForPanel(side);
    backend_->commands.clear();
    renderer_.calls.clear();
  }

  // Lists one database on a side and selects it without raising the selection event.
  static void ListDatabase(MemorySide& side, const char* database) {
    side.databases.SetTag(kBusyTag);
    side.databases.AddRow(database);
    side.databases.SetCurrentRow(0);
    side.databases.SetTag("");
  }

  MemorySelector types_;
  MemorySide source_;
  MemorySide target_;
  FakeWindow window_;
  RecordingRenderer renderer_;
  MainWindowCatalog catalog_;
};

// --- object type chosen
// ---------------------------------------------------------------------------

TEST_F(MainWindowCatalogTest, TypeChangeRetitlesAndReloadsSourceThenTarget) {
  ShowTables({{"T", "", 1}}, {{"T", "", 2}});
  RespondIn("SrcDb", kViewsQuery, ObjectRows({{"vSrc", "", 3}}));
  RespondIn("TgtDb", kViewsQuery, ObjectRows({{"vTgt", "", 4}}));
  SelectType(types_, ObjectType::kViews, /*suppress_events=*/false);
  EXPECT_EQ(window_.tool_tip, "Compare selected views (F7)");
  EXPECT_EQ(window_.headers[0], "List of all views");
  EXPECT_EQ(window_.headers[1], "List of all views");
  EXPECT_EQ(QueriesWithDatabase(),
            (std::vector<std::pair<std::string, std::string>>{
                {"SrcDb", std::string(kViewsQuery)}, {"TgtDb", std::string(kViewsQuery)}}));
  EXPECT_EQ(Column(source_.objects, 0), (std::vector<std::string>{"vSrc"}));
  EXPECT_EQ(Column(target_.objects, 0), (std::vector<std::string>{"vTgt"}));
  ASSERT_EQ(renderer_.calls.size(), 2u);
  EXPECT_EQ(renderer_.calls[0].server, "srv");
  EXPECT_EQ(renderer_.calls[1].server, "srv2");
  EXPECT_EQ(renderer_.calls[1].type, ObjectType::kViews);
  EXPECT_TRUE(window_.initialized.empty());
}

TEST_F(MainWindowCatalogTest, TypeChangeWithoutDatabasesReloadsBothSidesWithoutMru) {
  SelectType(types_, ObjectType::kProcedures, false);
  EXPECT_EQ(window_.initialized, (std::vector<bool>{false}));
  EXPECT_EQ(window_.tool_tip, "Compare selected procedures (F7)");
  EXPECT_TRUE(Queries().empty());
}

TEST_F(MainWindowCatalogTest, TypeChangeListsNothingOnASideWithoutDatabase) {
  ListDatabase(source_, "SrcDb");
  target_.objects.AddRow("stale");
  RespondIn("SrcDb", kViewsQuery, ObjectRows({{"v", "", 3}}));
  SelectType(types_, ObjectType::kViews, false);
  EXPECT_EQ(
      QueriesWithDatabase(),
      (std::vector<std::pair<std::string, std::string>>{{"SrcDb", std::string(kViewsQuery)}}));
  EXPECT_EQ(target_.objects.RowCount(), 0);
  EXPECT_TRUE(window_.initialized.empty());
}

TEST_F(MainWindowCatalogTest, TypeChangeStopsWhenTheServerCheckFails) {
  window_.server_info_set = false;
  SelectType(types_, ObjectType::kViews, false);
  EXPECT_EQ(window_.server_checks, 1);
  EXPECT_EQ(window_.tool_tip, "");
  EXPECT_TRUE(window_.initialized.empty());
}

TEST_F(MainWindowCatalogTest, TypeChangeIgnoredWhileFillingOrWhileACommandRuns) {
  SelectType(types_, ObjectType::kViews, /*suppress_events=*/true);
  window_.command_running = true;
  SelectType(types_, ObjectType::kTriggers, false);
  EXPECT_EQ(window_.server_checks, 0);
}

TEST_F(MainWindowCatalogTest, TypeChangeRefillsOwnersWhenShown) {
  context_.settings.show_owners = true;
  ShowTables({}, {});
  Respond(kViewsQuery, ObjectRows({}));
  Respond(kAllOwnersQuery, OneColumn("Owner", {"dbo"}));
  SelectType(types_, ObjectType::kViews, false);
  EXPECT_EQ(source_.owners.Texts(), (std::vector<std::string>{"All Owners", "dbo"}));
  EXPECT_EQ(target_.owners.Texts(), (std::vector<std::string>{"All Owners", "dbo"}));
}

// --- database chosen
// ------------------------------------------------------------------------------

TEST_F(MainWindowCatalogTest, DatabaseChoiceLoadsItsObjectsAndOwnersAndIsRemembered) {
  context_.settings.show_owners = true;
  context_.settings_store.SaveNumber("Software\\KVN\\Servers", "Count", 1);
  context_.settings_store.SaveString(ServerKeyPath(1), "Name", "srv");
  LoadServerList(context_);
  server().RegIndex = 1;
  RespondIn("Sales", kTablesQuery, ObjectRows({{"Orders", "", 7}}));
  Respond(kAllOwnersQuery, OneColumn("Owner", {"dbo", "sales"}));
  source_.databases.AddRow("master");
  source_.databases.AddRow(" Sales ");
  source_.databases.SetCurrentRow(1);
  EXPECT_EQ(Column(source_.objects, 0), (std::vector<std::string>{"Orders"}));
  EXPECT_EQ(source_.owners.Texts(), (std::vector<std::string>{"All Owners", "dbo", "sales"}));
  EXPECT_EQ(server().MRUDb, "Sales");
  EXPECT_EQ(context_.servers[0].MRUDb, "Sales");
  EXPECT_EQ(context_.settings_store.GetString(ServerKeyPath(1), "MRUDb", ""), "Sales");
  ASSERT_EQ(renderer_.calls.size(), 1u);
  EXPECT_EQ(renderer_.calls[0].database, "Sales");
  EXPECT_EQ(source_.structure.Text(), "text of Orders");
}

TEST_F(MainWindowCatalogTest, DatabaseChoiceIgnoredWhileFillingOrWhileACommandRuns) {
  ListDatabase(source_, "Sales");
  window_.command_running = true;
  source_.databases.SetCurrentRow(0);
  EXPECT_TRUE(Queries().empty());
}

// --- object chosen
// --------------------------------------------------------------------------------

TEST_F(MainWindowCatalogTest, SourceObjectSelectsTheSameNamedTargetObject) {
  context_.settings.auto_sel_target_obj = true;
  ShowTables({{"A", "", 1}, {"B", "", 2}}, {{"B", "", 5}, {"A", "", 6}});
  source_.objects.SetCurrentRow(1);  // "B"
  EXPECT_EQ(target_.objects.CurrentText(), "B");
  ASSERT_EQ(renderer_.calls.size(), 2u);
  EXPECT_EQ(renderer_.calls[0].server, "srv");
  EXPECT_EQ(renderer_.calls[0].selected, "B");
  EXPECT_TRUE(renderer_.calls[0].list_busy);
  EXPECT_EQ(renderer_.calls[1].server, "srv2");
  EXPECT_EQ(renderer_.calls[1].database, "TgtDb");
  EXPECT_EQ(renderer_.calls[1].selected, "B");
  EXPECT_EQ(target_.structure.Text(), "text of B");
  EXPECT_EQ(source_.objects.Tag(), "");
  EXPECT_EQ(target_.objects.Tag(), "");
}

TEST_F(MainWindowCatalogTest, AbsentOrDifferentlyCasedNamesLeaveTheTargetAlone) {
  context_.settings.auto_sel_target_obj = true;
  ShowTables({{"A", "", 1}, {"b", "", 2}, {"C", "", 3}}, {{"A", "", 5}, {"B", "", 6}});
  source_.objects.SetCurrentRow(2);  // "C": not in the Target list
  EXPECT_EQ(target_.objects.CurrentText(), "A");
  source_.objects.SetCurrentRow(1);  // "b" differs from "B" in case
  EXPECT_EQ(target_.objects.CurrentText(), "A");
  EXPECT_EQ(renderer_.calls.size(), 2u);  // the two Source objects only
}

TEST_F(MainWindowCatalogTest, NoAutomaticSelectionWhenOffNotLoadedOrBusy) {
  ShowTables({{"A", "", 1}, {"B", "", 2}}, {{"A", "", 5}, {"B", "", 6}});
  source_.objects.SetCurrentRow(1);  // the setting is off
  EXPECT_EQ(target_.objects.CurrentText(), "A");
  context_.settings.auto_sel_target_obj = true;
  window_.loaded = false;
  source_.objects.SetCurrentRow(1);
  EXPECT_EQ(target_.objects.CurrentText(), "A");
  window_.loaded = true;
  window_.command_running = true;
  source_.objects.SetCurrentRow(1);
  EXPECT_EQ(target_.objects.CurrentText(), "A");
  EXPECT_EQ(renderer_.calls.size(), 3u);  // the Source object is still shown each time
}

TEST_F(MainWindowCatalogTest, TargetObjectDoesNotSelectTheSource) {
  context_.settings.auto_sel_target_obj = true;
  ShowTables({{"A", "", 1}, {"B", "", 2}}, {{"A", "", 5}, {"B", "", 6}});
  target_.objects.SetCurrentRow(1);
  EXPECT_EQ(source_.objects.CurrentText(), "A");
  ASSERT_EQ(renderer_.calls.size(), 1u);
  EXPECT_EQ(renderer_.calls[0].server, "srv2");
}

TEST_F(MainWindowCatalogTest, SelectionWhileTheListIsBusyDoesNothing) {
  ShowTables({{"A", "", 1}, {"B", "", 2}}, {});
  source_.objects.SetTag(kBusyTag);
  source_.objects.SetCurrentRow(1);
  EXPECT_TRUE(renderer_.calls.empty());
}

TEST_F(MainWindowCatalogTest, FailingStructureTextIsReportedAndTheListFreed) {
  renderer_.failure = "no text";
  source_.objects.AddRow("A");
  source_.objects.SetCurrentRow(0);
  ASSERT_EQ(ui_.error_reports.size(), 1u);
  EXPECT_EQ(ui_.error_reports[0].module_name, "frmMain");
  EXPECT_EQ(ui_.error_reports[0].procedure_name, "pvlSqlObj_SelectChange");
  EXPECT_EQ(ui_.error_reports[0].error_description, "no text");
  EXPECT_EQ(source_.objects.Tag(), "");
}

// --- information gesture
// --------------------------------------------------------------------------

TEST_F(MainWindowCatalogTest, InformationGestureNeedsShiftCtrlAndAlt) {
  ShowTables({{"Orders", "2024-03-07 14:05:09", 1234567}}, {});
  catalog_.InformationGesture(kSource, 3);
  EXPECT_TRUE(ui_.messages.empty());
  catalog_.InformationGesture(kSource, 7);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Id: 1,234,567, Name: Orders, Ref. Date: 2024-03-07 14:05:09");
  catalog_.InformationGesture(kTarget, 7);  // nothing selected there
  EXPECT_EQ(ui_.messages.size(), 1u);
}

// --- refresh
// --------------------------------------------------------------------------------------

TEST_F(MainWindowCatalogTest, RefreshKeepsTheSelectedObjectWhenStillListed) {
  ShowTables({{"A", "", 1}, {"B", "", 2}}, {});
  source_.objects.SetCurrentRow(1);
  RespondIn("SrcDb", kTablesQuery, ObjectRows({{"A", "", 1}, {"AA", "", 9}, {"B", "", 2}}));
  catalog_.RefreshDisplayForPanel(kSource);
  EXPECT_EQ(Column(source_.objects, 0), (std::vector<std::string>{"A", "AA", "B"}));
  EXPECT_EQ(source_.objects.CurrentText(), "B");
  EXPECT_EQ(source_.structure.Text(), "text of B");
}

TEST_F(MainWindowCatalogTest, RefreshFallsBackToTheFirstObjectWhenTheSelectedOneIsGone) {
  ShowTables({{"A", "", 1}, {"B", "", 2}}, {});
  source_.objects.SetCurrentRow(1);
  RespondIn("SrcDb", kTablesQuery, ObjectRows({{"A", "", 1}}));
  catalog_.RefreshDisplayForPanel(kSource);
  EXPECT_EQ(source_.objects.CurrentText(), "A");
  EXPECT_EQ(source_.structure.Text(), "text of A");
}

TEST_F(MainWindowCatalogTest, RefreshKeepsFollowingTheChosenOwner) {
  context_.settings.show_owners = true;
  ShowTables({{"A", "", 1}, {"B", "", 2}}, {});
  Respond(OwnerQuery("A", "U"), Rows({"Owner"}, {{Value::Text("dbo")}}));
  Respond(OwnerQuery("B", "U"), Rows({"Owner"}, {{Value::Text("sales")}}));
  FillOwnerSelector(source_.owners, std::vector<std::string>{"dbo", "sales"});
  source_.owners.SetCurrentIndex(2);  // "sales": raises the owner event
  EXPECT_EQ(Column(source_.objects, 0), (std::vector<std::string>{"B"}));
  catalog_.RefreshDisplayForPanel(kSource);
  EXPECT_EQ(Column(source_.objects, 0), (std::vector<std::string>{"B"}));
  EXPECT_EQ(source_.structure.Text(), "text of B");
}

// --- owner commands
// -------------------------------------------------------------------------------

TEST_F(MainWindowCatalogTest, OwnerCommandsNeedADatabaseAndObjects) {
  catalog_.GetOwnerCommand(kSource);
  catalog_.GetAllOwnersCommand(kSource);
  ListDatabase(source_, "Sales");
  catalog_.GetOwnerCommand(kSource);
  ASSERT_EQ(ui_.messages.size(), 3u);
  EXPECT_EQ(ui_.messages[0].text, "Cannot view - the list of databases is empty.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(ui_.messages[1].text, "Cannot view - the list of databases is empty.");
  EXPECT_EQ(ui_.messages[2].text, "Cannot view - the list of tables is empty.");
  EXPECT_TRUE(Queries().empty());
}

TEST_F(MainWindowCatalogTest, GetOwnerShowsTheOwnerAndGetAllOwnersFillsTheSelector) {
  context_.settings.show_owners = true;
  ShowTables({{"Orders", "", 1}}, {});
  Respond(OwnerQuery("Orders", "U"), Rows({"Owner"}, {{Value::Text("sales")}}));
  Respond(kAllOwnersQuery, OneColumn("Owner", {"dbo", "sales"}));
  catalog_.GetOwnerCommand(kSource);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_NE(ui_.messages[0].text.find("sales"), std::string::npos);
  catalog_.GetAllOwnersCommand(kSource);
  EXPECT_EQ(source_.owners.Texts(), (std::vector<std::string>{"All Owners", "dbo", "sales"}));
}

TEST_F(MainWindowCatalogTest, OwnerSelectorsStayEmptyWhenOwnersAreNotShown) {
  ShowTables({{"Orders", "", 1}}, {});
  catalog_.GetAllOwnersCommand(kSource);
  EXPECT_EQ(source_.owners.Count(), 0);
  EXPECT_TRUE(Queries().empty());
}

// --- server chosen
// --------------------------------------------------------------------------------

TEST_F(MainWindowCatalogTest, ServerChoiceCopiesTheEntryAndLoadsItWithTheMruDatabase) {
  SettingsStore& store = context_.settings_store;
  store.SaveNumber("Software\\KVN\\Servers", "Count", 2);
  store.SaveString(ServerKeyPath(1), "Name", "srv");
  store.SaveString(ServerKeyPath(2), "Name", "other");
  store.SaveString(ServerKeyPath(2), "MRUDb", "Sales");
  store.SaveString(ServerKeyPath(2), "Version", "9.00.1399.06");
  LoadServerList(context_);
  context_.settings.filter_offline_dbs = false;
  target_.objects.AddRow("stale");
  RespondIn("master", kDatabaseListQuery, OneColumn("name", {"master", "Sales"}));
  RespondIn("Sales", kTablesQuery, ObjectRows({{"Orders", "", 7}}));
  target_.servers.AddItem("srv");
  target_.servers.AddItem("other");
  target_.servers.SetCurrentIndex(1);
  const ServerRecord& record = context_.CurrentServers[kTarget];
  EXPECT_EQ(record.Name, "other");
  EXPECT_EQ(record.RegIndex, 2);
  EXPECT_EQ(record.NumVersion, 9);
  EXPECT_EQ(target_.databases.CurrentText(), "Sales");
  EXPECT_EQ(Column(target_.objects, 0), (std::vector<std::string>{"Orders"}));
  EXPECT_EQ(backend_->connections.front().server, "other");
}

TEST_F(MainWindowCatalogTest, ServerChoiceIgnoredWhileTheSelectorIsFilled) {
  target_.servers.SetTag(kBusyTag);
  target_.servers.AddItem("srv");
  target_.servers.SetCurrentIndex(0);
  EXPECT_TRUE(Queries().empty());
  EXPECT_EQ(context_.CurrentServers[kTarget].Name, "srv2");
}

TEST_F(MainWindowCatalogTest, ClearSideEmptiesEveryControl) {
  ShowTables({{"A", "", 1}}, {});
  FillOwnerSelector(source_.owners, std::string_view("dbo,"));
  catalog_.ClearSide(kSource);
  EXPECT_EQ(source_.databases.RowCount(), 0);
  EXPECT_EQ(source_.objects.RowCount(), 0);
  EXPECT_EQ(source_.owners.Count(), 0);
  EXPECT_EQ(source_.structure.Text(), "");
  EXPECT_TRUE(Queries().empty());
}

}  // namespace
}  // namespace korvane

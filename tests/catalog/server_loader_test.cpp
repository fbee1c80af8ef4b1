#include "catalog/server_loader.h"

#include <gtest/gtest.h>

#include "app/settings.h"
#include "catalog/object_type_selector.h"
#include "catalog_fixture.h"
#include "db/server_list.h"

namespace korvane {
namespace {

using testing::CatalogTest;
using testing::Failure;
using testing::kAllOwnersQuery;
using testing::kTablesQuery;
using testing::MemorySide;
using testing::ObjectRows;
using testing::OneColumn;
using testing::RecordingRenderer;

class ServerLoaderTest : public CatalogTest {
 protected:
  ServerLoaderTest() {
    FillTypeSelector(types_, false);
    RespondIn("master", kDatabaseListQuery, OneColumn("name", {"master", "Offline", "Sales"}));
    Respond(kTablesQuery, ObjectRows({{"Orders", "", 7}}));
    RespondIn("Offline", kTablesQuery, Failure(942, "42000", "Database 'Offline' is offline."));
  }
  bool Load(bool preselect) {
    SideControls controls = side_.Controls();
    return LoadServer(context_, server(), controls, types_, renderer_.Function(), preselect);
  }

  MemorySelector types_;
  MemorySide side_;
  RecordingRenderer renderer_;
};

TEST_F(ServerLoaderTest, OfflineDatabasesAreLeftOutQuietly) {
  ASSERT_TRUE(context_.settings.filter_offline_dbs);
  EXPECT_TRUE(Load(false));
  EXPECT_EQ(Column(side_.databases, 0), (std::vector<std::string>{"master", "Sales"}));
  EXPECT_EQ(side_.databases.CurrentText(), "master");
  EXPECT_EQ(side_.databases.Tag(), "");
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(context_.SuppressConnectionErrors);
  const std::string tables(kTablesQuery);
  EXPECT_EQ(QueriesWithDatabase(),
            (std::vector<std::pair<std::string, std::string>>{
                {"master", std::string(kDatabaseListQuery)},
                {"master", tables},     // probe
                {"Offline", tables},    // probe
                {"Sales", tables},      // probe
                {"master", tables}}));  // the object list of the selected database
  EXPECT_EQ(Column(side_.objects, 0), (std::vector<std::string>{"Orders"}));
  ASSERT_EQ(renderer_.calls.size(), 1u);
  EXPECT_EQ(renderer_.calls[0].database, "master");
  EXPECT_EQ(renderer_.calls[0].selected, "Orders");
}

TEST_F(ServerLoaderTest, WithoutFilteringEveryDatabaseIsListedUnprobed) {
  context_.settings.filter_offline_dbs = false;
  EXPECT_TRUE(Load(false));
  EXPECT_EQ(Column(side_.databases, 0), (std::vector<std::string>{"master", "Offline", "Sales"}));
  EXPECT_EQ(Queries().size(), 2u);
}

TEST_F(ServerLoaderTest, FailedDatabaseListStopsWithFalse) {
  RespondIn("master", kDatabaseListQuery, Failure(0, "08001", "Server does not exist."));
  side_.databases.AddRow("stale");
  EXPECT_FALSE(Load(true));
  EXPECT_EQ(side_.databases.RowCount(), 1);  // not touched
  EXPECT_EQ(side_.objects.RowCount(), 0);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_TRUE(ui_.messages[0].text.starts_with("Server connection failed."));
  EXPECT_EQ(Queries().size(), 1u);
}

TEST_F(ServerLoaderTest, MostRecentlyUsedDatabaseIsPreselectedWhenAsked) {
  server().MRUDb = "Sales";
  int events_handled = 0;
  side_.databases.SetSelectionHandler(
      [&](int) { events_handled += side_.databases.IsBusy() ? 0 : 1; });
  EXPECT_TRUE(Load(true));
  EXPECT_EQ(side_.databases.CurrentText(), "Sales");
  EXPECT_EQ(events_handled, 0);  // the side is loaded once, not again by the selection
  EXPECT_EQ(QueriesWithDatabase().back().first, "Sales");
  EXPECT_EQ(renderer_.calls.back().database, "Sales");
}

TEST_F(ServerLoaderTest, MostRecentlyUsedDatabaseIgnoredWithoutFlagOrSetting) {
  server().MRUDb = "Sales";
  EXPECT_TRUE(Load(false));
  EXPECT_EQ(side_.databases.CurrentText(), "master");
  WriteBoolean(context_.settings_store, Setting::kPreserveDbSel, false);
  EXPECT_TRUE(Load(true));
  EXPECT_EQ(side_.databases.CurrentText(), "master");
}

TEST_F(ServerLoaderTest, UnlistedMostRecentlyUsedDatabaseKeepsTheFirst) {
  server().MRUDb = "Offline";  // filtered out
  EXPECT_TRUE(Load(true));
  EXPECT_EQ(side_.databases.CurrentText(), "master");
  server().MRUDb = "sales";  // names are matched exactly
  EXPECT_TRUE(Load(true));
  EXPECT_EQ(side_.databases.CurrentText(), "master");
}

TEST_F(ServerLoaderTest, OwnersAndTheSelectedTypeAreLoaded) {
  context_.settings.show_owners = true;
  context_.settings.filter_offline_dbs = false;
  SelectType(types_, ObjectType::kViews, true);
  const std::string views =
      "select name, refdate, id from sysobjects where OBJECTPROPERTY(id, N'IsView') = 1 and "
      "xtype <> 'S'  order by name";
  Respond(views, ObjectRows({{"vw", "", 3}}));
  Respond(kAllOwnersQuery, OneColumn("Owner", {"dbo", "sales"}));
  EXPECT_TRUE(Load(false));
  EXPECT_EQ(side_.owners.Texts(), (std::vector<std::string>{"All Owners", "dbo", "sales"}));
  EXPECT_EQ(Column(side_.objects, 0), (std::vector<std::string>{"vw"}));
  EXPECT_EQ(Queries(), (std::vector<std::string>{std::string(kDatabaseListQuery),
                                                 std::string(kAllOwnersQuery), views}));
}

TEST_F(ServerLoaderTest, NoDatabaseLeftMeansNoObjectQuery) {
  RespondIn("master", kDatabaseListQuery, OneColumn("name", {"Offline"}));
  side_.objects.AddRow("stale");
  EXPECT_TRUE(Load(true));
  EXPECT_EQ(side_.databases.RowCount(), 0);
  EXPECT_EQ(side_.objects.RowCount(), 0);
  EXPECT_EQ(Queries().size(), 2u);  // the list and the one probe
}

TEST_F(ServerLoaderTest, UnknownVersionIsAskedOnceAndStored) {
  context_.settings.filter_offline_dbs = false;
  server().Version = "";
  RespondIn("Master", "SELECT serverproperty('ProductVersion') AS ServerVer",
            OneColumn("ServerVer", {"9.00.5000.00"}));
  EXPECT_TRUE(Load(false));
  EXPECT_EQ(server().Version, "9.00.5000.00");
  EXPECT_EQ(Queries().front(), "SELECT serverproperty('ProductVersion') AS ServerVer");
}

TEST_F(ServerLoaderTest, CanConnectToDbProbesTheTableListQuietly) {
  EXPECT_TRUE(CanConnectToDb(context_, server(), "Sales"));
  EXPECT_FALSE(CanConnectToDb(context_, server(), "Offline"));
  backend_->refuse_databases = {"Gone"};
  EXPECT_FALSE(CanConnectToDb(context_, server(), "Gone"));
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(context_.SuppressConnectionErrors);
  context_.SuppressConnectionErrors = true;  // an outer probe's state is put back as it was
  EXPECT_FALSE(CanConnectToDb(context_, server(), "Offline"));
  EXPECT_TRUE(context_.SuppressConnectionErrors);
}

TEST_F(ServerLoaderTest, CanConnectToDbHonoursTheSystemObjectSetting) {
  context_.settings.ignore_sys_objects = false;
  Respond(
      "select name, refdate, id from sysobjects where OBJECTPROPERTY(id, N'IsUserTable') = 1 "
      "order by name",
      ObjectRows({}));
  EXPECT_TRUE(CanConnectToDb(context_, server(), "Sales"));
}

}  // namespace
}  // namespace korvane

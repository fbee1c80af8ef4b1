// `compare-data` on the two demo databases, loaded from their creation scripts into an embedded
// server of the profile: the outcome text, the exit status and the stored method.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/application_context.h"
#include "cli/cli.h"
#include "cli/compare_data_command.h"
#include "cli/demo_cli_fixture.h"
#include "datacomp/table_comp_settings.h"

namespace korvane {
namespace {

using testing::CommandRun;

class CompareDataCommandTest : public testing::DemoCliTest {
 protected:
  // compare-data with these arguments.
  CommandRun CompareData(const std::vector<std::string>& args) {
    return Run([&](ApplicationContext& context, std::ostream& out, std::ostream& err) {
      return CompareDataCommand(context, args, out, err);
    });
  }

  CommandRun CompareTable(const std::string& table, std::vector<std::string> options = {}) {
    std::vector<std::string> args = {"embedded:demo", "FernhollowLive", "embedded:demo",
                                     "FernhollowDev", table};
    args.insert(args.end(), options.begin(), options.end());
    return CompareData(args);
  }

  const std::filesystem::path tables_comps_ini_ = Locations().tables_comps_ini;
};

TEST_F(CompareDataCommandTest, OutcomesOfTheDemoTables) {
  const std::string identical = "Data stored in both tables is identical.\n";
  const struct {
    std::vector<std::string> args;  // after the servers and databases
    int status;
    std::string out;
  } cases[] = {
      {{"Categories", "--key", "CategoryID"}, kExitDone, identical},
      // Keys of several columns.
      {{"Inventory", "--key", "WarehouseID,ProductID"}, kExitDifferent, Counts(95, 95, 4)},
      {{"PriceHistory", "--key", "ProductID,ChangedOn"}, kExitDifferent, Counts(10, 13, 3)},
      {{"PriceHistory", "--by-record"}, kExitDifferent, Counts(10, 13, 11)},
      // A table of the sales schema, found by its listed id: (1050,2) changed, (1057,3) only in
      // the Source, the 9 lines of orders 1060 to 1063 only in the Target.
      {{"OrderLines", "--key", "OrderID,LineNumber"}, kExitDifferent, Counts(157, 165, 11)},
      {{"OrderLines", "--by-record"}, kExitDifferent, Counts(157, 165, 18)},
      // The Target tables lack a Source column (Orders: EmployeeID, Shippers: Fax), so the
      // Target query with the Source's columns fails and both sides are compared by position.
      {{"Orders", "--key", "OrderID"}, kExitDifferent, Counts(60, 64, 6)},
      {{"Orders", "--by-record"}, kExitDifferent, Counts(60, 64, 6)},
      {{"Shippers", "--key", "ShipperID"}, kExitDifferent, Counts(4, 4, 4)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const CommandRun run = CompareTable(c.args[0], {c.args.begin() + 1, c.args.end()});
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.out, c.out);
  }
  // Tables of different names.
  const CommandRun run = CompareData({"embedded:demo", "FernhollowLive", "embedded:demo",
                                      "FernhollowLive", "Customers", "Customers", "--by-record"});
  EXPECT_EQ(run.status, kExitDone) << run.err;
  EXPECT_EQ(run.out, identical);
}

TEST_F(CompareDataCommandTest, CustomersByKeyAndByRecordWithTheMethodStored) {
  // By key: 7 and 15 changed, 38 only in the Source, 41 to 43 only in the Target; each
  // differing record counted once. The new Target column LoyaltyTier is not compared, but the
  // structures differ, so the question is noted and answered Yes.
  const std::string key = "embedded:demo.FernhollowLive.Customers";
  const std::string target_key = "embedded:demo.FernhollowDev.Customers";
  CommandRun run = CompareTable("Customers", {"--key", "CustomerID"});
  EXPECT_EQ(run.status, kExitDifferent) << run.err;
  EXPECT_EQ(run.out, Counts(40, 42, 6));
  EXPECT_NE(run.err.find("Different Structures: answered Yes"), std::string::npos) << run.err;
  EXPECT_EQ(ReadTableCompSettings(tables_comps_ini_, key).CompMethod, kCompMethodPrimaryKey);
  EXPECT_EQ(ReadTableCompSettings(tables_comps_ini_, target_key).CompMethod, kCompMethodPrimaryKey);
  EXPECT_EQ(ReadTableCompSettings(tables_comps_ini_, target_key).side.key_columns[0], "CustomerID");

  // Without an option the stored method is used.
  run = CompareTable("Customers");
  EXPECT_EQ(run.status, kExitDifferent);
  EXPECT_EQ(run.out, Counts(40, 42, 6));

  // Record by record: 7 and 15, then the pairs shifted by the missing 38, plus 2 more rows.
  run = CompareTable("Customers", {"--by-record"});
  EXPECT_EQ(run.status, kExitDifferent) << run.err;
  EXPECT_EQ(run.out, Counts(40, 42, 7));
  EXPECT_EQ(ReadTableCompSettings(tables_comps_ini_, key).CompMethod, kCompMethodRecordByRecord);
  EXPECT_EQ(ReadTableCompSettings(tables_comps_ini_, target_key).CompMethod,
            kCompMethodRecordByRecord);
}

TEST_F(CompareDataCommandTest, TypedNamesAreResolvedLikeTheListedOnes) {
  // Letter case, well-formed brackets and the owner's schema name the same listed table.
  for (const char* typed : {"customers", "[Customers]", "dbo.Customers", "[dbo].[CUSTOMERS]"}) {
    SCOPED_TRACE(typed);
    const CommandRun run = CompareTable(typed, {"--key", "CustomerID"});
    EXPECT_EQ(run.status, kExitDifferent) << run.err;
    EXPECT_EQ(run.out, Counts(40, 42, 6));
  }
  // The process and the stored options name the table as the list does.
  EXPECT_EQ(
      ReadTableCompSettings(tables_comps_ini_, "embedded:demo.FernhollowLive.Customers").CompMethod,
      kCompMethodPrimaryKey);
  for (const char* typed : {"sales.OrderLines", "[sales].[OrderLines]"}) {
    SCOPED_TRACE(typed);
    EXPECT_EQ(CompareTable(typed, {"--by-record"}).out, Counts(157, 165, 18));
  }
  EXPECT_EQ(CompareTable("dbo.OrderLines").status, kExitFailed);
}

TEST_F(CompareDataCommandTest, FailuresExitTwoWithoutAVerdict) {
  // A name the catalogue does not list is refused before any query uses it.
  CommandRun run = CompareTable("NoSuchTable");
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "Compare Data: Table NoSuchTable not found in embedded:demo.FernhollowLive.\n");
  run = CompareData(
      {"embedded:demo", "FernhollowLive", "embedded:demo", "FernhollowDev", "Customers", "Nope"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_EQ(run.err, "Compare Data: Table Nope not found in embedded:demo.FernhollowDev.\n");

  run = CompareTable("Customers", {"--key", "NoSuchColumn"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("NoSuchColumn"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(tables_comps_ini_));  // nothing stored

  run = CompareTable("Customers", {"--key", "CustomerID", "--by-record"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_NE(run.err.find("usage: compare-data"), std::string::npos);
  run = CompareData({"embedded:demo", "FernhollowLive", "embedded:demo"});
  EXPECT_EQ(run.status, kExitFailed);
  run = CompareTable("Customers", {"--key", "a,b,c,d"});
  EXPECT_EQ(run.status, kExitFailed);
  run = CompareData({"NoServer", "FernhollowLive", "embedded:demo", "FernhollowDev", "Customers"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_NE(run.err.find("Server 'NoServer' not found."), std::string::npos);
}

// Regression: an unqualified name took the first table of that name the catalogue returned, so
// "Regions" (in dbo and in sales) read the columns of both and failed.
TEST_F(CompareDataCommandTest, UnqualifiedNamesResolveAsTheServerResolvesThem) {
  struct Case {
    std::string typed;
    std::string same_as;  // the qualified name compared
    std::string note;     // on stderr, empty for none
  };
  const std::vector<Case> cases = {
      {"Regions", "dbo.Regions", ""},
      {"REGIONS", "dbo.Regions", ""},
      {"Orders", "sales.Orders",
       "Compare Data: Table 'Orders' is not in the dbo schema of database FernhollowLive; "
       "comparing sales.Orders.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    const CommandRun run = CompareTable(c.typed, {"--by-record"});
    const CommandRun qualified = CompareTable(c.same_as, {"--by-record"});
    EXPECT_NE(run.status, kExitFailed) << run.err;
    EXPECT_EQ(run.status, qualified.status);
    EXPECT_EQ(run.out, qualified.out);
    if (c.note.empty()) {
      EXPECT_EQ(run.err.find("dbo schema"), std::string::npos) << run.err;
    } else {
      EXPECT_NE(run.err.find(c.note), std::string::npos) << run.err;
    }
  }
}

TEST_F(CompareDataCommandTest, NameInSeveralSchemasButNotDboIsRefusedNamingThem) {
  const ScriptLoadResult loaded = LoadScript(Locations().servers_folder, "embedded:demo", "Multi",
                                             "CREATE SCHEMA a AUTHORIZATION dbo\nGO\n"
                                             "CREATE SCHEMA b AUTHORIZATION dbo\nGO\n"
                                             "CREATE TABLE a.T (id int NOT NULL)\n"
                                             "CREATE TABLE b.T (id int NOT NULL)\nGO\n");
  ASSERT_TRUE(loaded.ok) << loaded.message;
  CommandRun run =
      CompareData({"embedded:demo", "Multi", "embedded:demo", "FernhollowLive", "T", "Customers"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("Compare Data: Cannot compare - database Multi has no table 'T' in the "
                         "dbo schema but several in other schemas: a.T, b.T. Please name the "
                         "table with its schema.\n"),
            std::string::npos)
      << run.err;
  // Named with its schema, the table is compared.
  run = CompareData({"embedded:demo", "Multi", "embedded:demo", "Multi", "a.T", "b.T"});
  EXPECT_EQ(run.status, kExitDone) << run.err;
}

}  // namespace
}  // namespace korvane

// `compare-data` on the two demo databases, loaded from their creation scripts into an embedded
// server of the profile: the outcome text, the exit status and the stored method.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>

#include "app/application_context.h"
#include "app/clock.h"
#include "app/locations.h"
#include "app/startup.h"
#include "cli/cli.h"
#include "cli/cli_user_interface.h"
#include "cli/compare_data_command.h"
#include "datacomp/table_comp_settings.h"
#include "db/default_backends.h"
#include "db/embedded/script_loader.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ReadFile;

struct CommandRun {
  int status;
  std::string out;
  std::string err;
};

class CompareDataCommandTest : public ::testing::Test {
 protected:
  // Both demo databases are loaded once; every test starts from a copy of that server.
  static void SetUpTestSuite() {
    loaded_ = std::make_unique<testing::ScratchFolder>();
    const std::filesystem::path demo = std::filesystem::path(KORVANE_SOURCE_DIR) / "demo";
    const std::string v1 = ReadFile(demo / "Fernhollow_v1.sql");
    const std::string v2 = ReadFile(demo / "Fernhollow_v2.sql");
    if (v1.empty() || v2.empty()) {
      load_error_ = "no demo scripts in " + demo.string();
      return;
    }
    for (const auto& [database, script] :
         {std::pair{"FernhollowLive", v1}, std::pair{"FernhollowDev", v2}}) {
      const ScriptLoadResult loaded =
          LoadScript(*loaded_ / "servers", "embedded:demo", database, script);
      if (!loaded.ok) {
        load_error_ = std::string(database) + ": " + loaded.message;
        return;
      }
    }
  }
  static void TearDownTestSuite() { loaded_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(load_error_.empty()) << load_error_;
    const AppLocations locations = ComputeLocations(folder_ / "bin", folder_ / "p", env_);
    std::filesystem::create_directories(locations.servers_folder);
    std::filesystem::copy(*loaded_ / "servers", locations.servers_folder,
                          std::filesystem::copy_options::recursive);
  }

  // One command in a fresh context, as korvane-cli starts one.
  CommandRun Run(std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    CliUserInterface ui(err);
    ApplicationContext context(ComputeLocations(folder_ / "bin", folder_ / "p", env_), ui, clock_);
    RunStartUp(context, "");
    context.backends = CreateDefaultBackends(context.locations, env_);
    tables_comps_ini_ = context.locations.tables_comps_ini;
    const int status = CompareDataCommand(context, args, out, err);
    return {status, out.str(), err.str()};
  }

  CommandRun CompareTable(const std::string& table, std::vector<std::string> options = {}) {
    std::vector<std::string> args = {"embedded:demo", "FernhollowLive", "embedded:demo",
                                     "FernhollowDev", table};
    args.insert(args.end(), options.begin(), options.end());
    return Run(args);
  }

  static std::string Counts(int source, int target, int different) {
    return "Number of records in first table: " + std::to_string(source) +
           "\r\nNumber of records in second table: " + std::to_string(target) +
           "\r\nNumber of different records: " + std::to_string(different) + "\n";
  }

  testing::ScratchFolder folder_;
  Environment env_;
  ManualClock clock_;
  std::filesystem::path tables_comps_ini_;
  static inline std::unique_ptr<testing::ScratchFolder> loaded_;
  static inline std::string load_error_;
};

TEST_F(CompareDataCommandTest, IdenticalTableExitsZero) {
  const CommandRun run = CompareTable("Categories", {"--key", "CategoryID"});
  EXPECT_EQ(run.status, kExitDone) << run.err;
  EXPECT_EQ(run.out, "Data stored in both tables is identical.\n");
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

TEST_F(CompareDataCommandTest, KeysOfSeveralColumns) {
  CommandRun run = CompareTable("Inventory", {"--key", "WarehouseID,ProductID"});
  EXPECT_EQ(run.status, kExitDifferent) << run.err;
  EXPECT_EQ(run.out, Counts(95, 95, 4));
  run = CompareTable("PriceHistory", {"--key", "ProductID,ChangedOn"});
  EXPECT_EQ(run.status, kExitDifferent) << run.err;
  EXPECT_EQ(run.out, Counts(10, 13, 3));
  run = CompareTable("PriceHistory", {"--by-record"});
  EXPECT_EQ(run.out, Counts(10, 13, 11));
}

TEST_F(CompareDataCommandTest, TableOfTheSalesSchemaIsFoundByTheSchemaRetry) {
  // (1050,2) changed, (1057,3) only in the Source, the 9 lines of orders 1060 to 1063 only in
  // the Target.
  CommandRun run = CompareTable("OrderLines", {"--key", "OrderID,LineNumber"});
  EXPECT_EQ(run.status, kExitDifferent) << run.err;
  EXPECT_EQ(run.out, Counts(157, 165, 11));
  run = CompareTable("OrderLines", {"--by-record"});
  EXPECT_EQ(run.out, Counts(157, 165, 18));
}

// The Target tables lack a Source column (Orders: EmployeeID, Shippers: Fax), so the Target
// query with the Source's columns fails and both sides are compared by position.
TEST_F(CompareDataCommandTest, TargetWithoutASourceColumnIsComparedByPosition) {
  CommandRun run = CompareTable("Orders", {"--key", "OrderID"});
  EXPECT_EQ(run.status, kExitDifferent) << run.err;
  EXPECT_EQ(run.out, Counts(60, 64, 6));
  run = CompareTable("Orders", {"--by-record"});
  EXPECT_EQ(run.out, Counts(60, 64, 6));
  run = CompareTable("Shippers", {"--key", "ShipperID"});
  EXPECT_EQ(run.status, kExitDifferent) << run.err;
  EXPECT_EQ(run.out, Counts(4, 4, 4));
}

TEST_F(CompareDataCommandTest, FailuresExitTwoWithoutAVerdict) {
  CommandRun run = CompareTable("NoSuchTable");
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("Compare Data: Error while attempting to count records in table: "
                         "[NoSuchTable]\n"),
            std::string::npos)
      << run.err;

  run = CompareTable("Customers", {"--key", "NoSuchColumn"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("NoSuchColumn"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(tables_comps_ini_));  // nothing stored

  run = CompareTable("Customers", {"--key", "CustomerID", "--by-record"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_NE(run.err.find("usage: compare-data"), std::string::npos);
  run = Run({"embedded:demo", "FernhollowLive", "embedded:demo"});
  EXPECT_EQ(run.status, kExitFailed);
  run = CompareTable("Customers", {"--key", "a,b,c,d"});
  EXPECT_EQ(run.status, kExitFailed);
  run = Run({"NoServer", "FernhollowLive", "embedded:demo", "FernhollowDev", "Customers"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_NE(run.err.find("Server 'NoServer' not found."), std::string::npos);
}

TEST_F(CompareDataCommandTest, TablesOfDifferentNames) {
  const CommandRun run = Run({"embedded:demo", "FernhollowLive", "embedded:demo", "FernhollowLive",
                              "Customers", "Customers", "--by-record"});
  EXPECT_EQ(run.status, kExitDone) << run.err;
  EXPECT_EQ(run.out, "Data stored in both tables is identical.\n");
}

}  // namespace
}  // namespace korvane

// `compare-data-all` on the demo databases: the bulk report, selective runs and refusals.
#include <gtest/gtest.h>

#include "cli/cli.h"
#include "cli/compare_data_all_command.h"
#include "cli/demo_cli_fixture.h"

namespace korvane {
namespace {

using testing::CommandRun;

class CompareDataAllTest : public testing::DemoCliTest {
 protected:
  CommandRun CompareDataAll(std::vector<std::string> options) {
    std::vector<std::string> args = {"embedded:demo", "FernhollowLive", "embedded:demo",
                                     "FernhollowDev"};
    args.insert(args.end(), options.begin(), options.end());
    return Run([&](ApplicationContext& context, std::ostream& out, std::ostream&) {
      return CompareDataAllCommand(context, args, out);
    });
  }
};

constexpr std::string_view kHeader =
    "Comparison of databases\r\n\r\nSource database embedded:demo.FernhollowLive\r\n"
    "Target database embedded:demo.FernhollowDev\r\n";

TEST_F(CompareDataAllTest, AllTablesOfTheDemo) {
  const CommandRun run = CompareDataAll({});
  EXPECT_EQ(run.status, kExitDifferent) << run.err;
  EXPECT_TRUE(run.out.starts_with(std::string(kHeader) +
                                  "\r\nComparison of data in tables\r\n\r\nThere are 17 tables "
                                  "in Source database.\r\nThere are 18 tables in Target "
                                  "database.\r\n\r\nList of tables which differ:\r\n"))
      << run.out;
  EXPECT_NE(run.out.find("List of tables which exist in Target database but not in Source "
                         "database:\r\n\tPromotions\r\n\tReturnRequests\r\n\t(2 tables)\r\n"),
            std::string::npos)
      << run.out;
  EXPECT_TRUE(run.out.ends_with("\n"));
}

TEST_F(CompareDataAllTest, SelectedTables) {
  CommandRun run = CompareDataAll(
      {"--source-tables", "Categories,Warehouses", "--target-tables", "Categories,Warehouses"});
  EXPECT_EQ(run.status, kExitDone) << run.err;
  EXPECT_EQ(run.out, std::string(kHeader) +
                         "\r\n\r\nSelective comparison of tables\r\n\r\n2 objects selected in "
                         "Source database\r\n2 objects selected in Target database\r\n\r\nData "
                         "in all selected tables in both databases is identical.\n");

  // Names are matched ignoring letter case, as the server matches them.
  run = CompareDataAll({"--source-tables", "categories,WAREHOUSES"});
  EXPECT_EQ(run.status, kExitDone) << run.err;
  EXPECT_NE(run.out.find("Data in all selected tables in both databases is identical."),
            std::string::npos);

  // One list serves both sides.
  run = CompareDataAll({"--source-tables", "Categories"});
  EXPECT_EQ(run.status, kExitDone) << run.err;
  EXPECT_NE(run.out.find("1 objects selected in Target database"), std::string::npos);
}

// Regression: a selection naming no existing table reported identical data with status 0.
TEST_F(CompareDataAllTest, SelectedTableNotFoundIsRefusedWithStatus2) {
  const CommandRun run = CompareDataAll({"--source-tables", "Categories,NoSuchTable"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_TRUE(run.out.empty()) << run.out;
  EXPECT_NE(run.err.find("Cannot Compare: Cannot compare - the selected table 'NoSuchTable' was "
                         "not found in the Source database FernhollowLive."),
            std::string::npos)
      << run.err;
}

TEST_F(CompareDataAllTest, Refusals) {
  EXPECT_EQ(CompareDataAll({"--types", "x"}).status, kExitFailed);
  EXPECT_EQ(CompareDataAll({"--source-tables", ","}).status, kExitFailed);
  const CommandRun run = Run([](ApplicationContext& context, std::ostream& out, std::ostream&) {
    return CompareDataAllCommand(context, {"embedded:demo", "FernhollowLive", "NoServer", "X"},
                                 out);
  });
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_NE(run.err.find("Server 'NoServer' not found."), std::string::npos);
}

}  // namespace
}  // namespace korvane

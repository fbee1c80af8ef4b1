// `find-object`, `dbinfo` and `attach` through the command line, on the demo databases.
#include "cli/tools_commands.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "demo_cli_fixture.h"

namespace korvane::testing {
namespace {

class ToolsCommandsTest : public DemoCliTest {};

TEST_F(ToolsCommandsTest, FindObjectPrintsTheNamesTheDialogLists) {
  struct Case {
    const char* type;
    const char* text;
    const char* out;
  };
  const Case cases[] = {
      {"views", "vw_c", "vw_CategoryProductCount\nvw_CustomerOrderSummary\n"},
      {"views", " VW_LOW ", "vw_LowStock\n"},
      {"functions", "fn_Customer", "fn_CustomerFullName\nfn_CustomerStatement\n"},
      {"tables", "zzz", ""},
      {"tables", "%", ""},
      {"tables", "_", ""},
  };
  for (const Case& c : cases) {
    const CommandRun run = Run({"find-object", "embedded:demo", "FernhollowLive", c.type, c.text});
    EXPECT_EQ(run.status, kExitDone) << c.text << run.err;
    EXPECT_EQ(run.out, c.out) << c.text;
  }
}

TEST_F(ToolsCommandsTest, FindObjectWithoutTextShowsThePromptAndFails) {
  const CommandRun run = Run({"find-object", "embedded:demo", "FernhollowLive", "tables", "  "});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("Type the first letters of the name of the table you want to search "
                         "for."),
            std::string::npos)
      << run.err;
}

TEST_F(ToolsCommandsTest, DbinfoPrintsTheReportByteForByte) {
  const CommandRun run = Run({"dbinfo", "embedded:demo", "FernhollowLive"});
  EXPECT_EQ(run.status, kExitDone) << run.err;
  EXPECT_EQ(run.out.rfind("Jan 02, 2026\r\n\r\nDatabase: FernhollowLive\r\n\r\nList of tables\r\n"
                          "   1  Addresses (",
                          0),
            0u)
      << run.out;
  for (const char* heading : {"\r\n\r\nList of procedures\r\n", "\r\n\r\nList of functions\r\n",
                              "\r\n\r\nList of views\r\n", "\r\n\r\nList of relationships\r\n"})
    EXPECT_NE(run.out.find(heading), std::string::npos) << heading;
  EXPECT_EQ(run.out.substr(run.out.size() - 4), "\r\n\r\n");
  EXPECT_EQ(run.out.find("ABORTED"), std::string::npos);
}

TEST_F(ToolsCommandsTest, DbinfoOfAMissingDatabaseFails) {
  const CommandRun run = Run({"dbinfo", "embedded:demo", "NoSuchDb"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_NE(run.err.find("Server connection failed."), std::string::npos) << run.err;
}

TEST_F(ToolsCommandsTest, AttachValidatesThenAttachesOnce) {
  const std::string missing = (folder_ / "no such.db").string();
  const CommandRun refused = Run({"attach", "embedded:demo", "Copy", missing, "--single-file"});
  EXPECT_EQ(refused.status, kExitFailed);
  EXPECT_NE(refused.err.find("File " + missing + " doesn't exist."), std::string::npos)
      << refused.err;
  const CommandRun no_log = Run({"attach", "embedded:demo", "Copy", missing, " "});
  EXPECT_EQ(no_log.status, kExitFailed);
  EXPECT_NE(no_log.err.find("Please specify log file."), std::string::npos) << no_log.err;

  // A copy of a demo database file, under a name with a quote and a blank.
  const std::filesystem::path servers = Locations().servers_folder / "demo";
  std::filesystem::path source;
  for (const auto& entry : std::filesystem::directory_iterator(servers))
    if (entry.path().stem() == "FernhollowDev")
      source = entry.path();
  ASSERT_FALSE(source.empty());
  const std::filesystem::path copy = folder_ / "it's a copy.db";
  std::filesystem::copy_file(source, copy);

  const CommandRun attached =
      Run({"attach", "embedded:demo", "Dev Copy", copy.string(), "--single-file"});
  EXPECT_EQ(attached.status, kExitDone) << attached.err;
  EXPECT_NE(attached.err.find("Attached Successfully"), std::string::npos);
  const CommandRun listed = Run({"databases", "embedded:demo"});
  EXPECT_NE(listed.out.find("Dev Copy\n"), std::string::npos) << listed.out;
  const CommandRun again =
      Run({"attach", "embedded:demo", "Dev Copy", copy.string(), "--single-file"});
  EXPECT_EQ(again.status, kExitFailed);
  EXPECT_NE(again.err.find("already exists"), std::string::npos) << again.err;
}

TEST_F(ToolsCommandsTest, WrongArgumentsAreRefusedWithTheUsage) {
  const std::vector<std::vector<std::string>> cases = {
      {"find-object", "embedded:demo", "FernhollowLive", "tables"},
      {"find-object", "embedded:demo", "FernhollowLive", "gadgets", "x"},
      {"dbinfo", "embedded:demo"},
      {"attach", "embedded:demo", "X", "a.db", "--single"},
  };
  for (const auto& args : cases) {
    const CommandRun run = Run(args);
    EXPECT_EQ(run.status, kExitFailed) << args[0];
    EXPECT_FALSE(run.err.empty());
  }
}

}  // namespace
}  // namespace korvane::testing

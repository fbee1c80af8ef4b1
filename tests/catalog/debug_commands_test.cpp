#include "catalog/debug_commands.h"

#include "catalog_fixture.h"

namespace korvane {
namespace {

using testing::CatalogTest;
using testing::OneColumn;

using DebugCommandsTest = CatalogTest;

TEST_F(DebugCommandsTest, ServerVersionThenBothSideRecords) {
  Respond("SELECT serverproperty('ProductVersion') AS ServerVer", OneColumn("ServerVer", {"8.1"}));
  ServerRecord& source = context_.CurrentServers[kSource];
  source.SQLAuth = true;
  source.LoginName = "sa";
  source.Password = "pw";
  source.MRUDb = "Sales";
  source.RegIndex = 2;
  source.AddSchema = true;
  ShowServerVersionAndSides(context_);
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].text, "8.1");
  EXPECT_EQ(ui_.messages[1].text,
            "Server 1\r\nAddSchema: True\r\nSchemaCheckPerformed: False\r\nSQLAuth: True\r\n"
            "RegIndex: 2\r\nLoginName: sa\r\nMRUDb: Sales\r\nName: srv\r\nPassword: pw\r\n"
            "Version: 8.00.2039\r\n\r\n"
            "Server 2\r\nAddSchema: False\r\nSchemaCheckPerformed: False\r\nSQLAuth: False\r\n"
            "RegIndex: 0\r\nLoginName: \r\nMRUDb: \r\nName: srv2\r\nPassword: \r\n"
            "Version: 8.00.2039");
}

TEST_F(DebugCommandsTest, ObjectSchemaByIdNeedsAConnectedSource) {
  ShowObjectSchemaById(context_, /*source_lists_database=*/false, "", "", 0);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Please connect to the server first.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
  EXPECT_TRUE(Queries().empty());
}

TEST_F(DebugCommandsTest, ObjectSchemaByIdShowsTheVersionAfterTheLookUp) {
  // A version 9 server whose sys.objects cannot be read falls back to version 8's query; the
  // message shows the version the look-up left.
  server().Version = "9.00.5000.00";
  server().NumVersion = 9;
  Respond(testing::SchemaByIdQuery(7), testing::MissingView());
  Respond(testing::OwnerByIdQuery(7), OneColumn("", {"sales"}));
  ShowObjectSchemaById(context_, true, "Shop", "Orders", 7);
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].text, "Server ver: 9.00.5000.00, NumVersion = 8");
  EXPECT_EQ(ui_.messages[1].text, "Object Name: Orders\r\nObject Id: 7\r\nlstrSchema: sales");
}

}  // namespace
}  // namespace korvane

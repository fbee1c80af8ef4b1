// The embedded stand-in's own cursor read ahead: the rows come out as the session's Execute
// gives them, and the session goes back to its pool afterwards.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "db/read_ahead_cursor.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ScratchFolder;

// An order table with a column of every kind the data comparison meets, Nulls, empty texts,
// binaries with zero bytes and one long text.
std::string OrdersScript(int rows) {
  std::string script =
      "CREATE TABLE dbo.Orders (id int NOT NULL PRIMARY KEY, flag bit NULL, qty bigint NULL, "
      "ratio float NULL, price decimal(12,4) NULL, name nvarchar(max) NULL, note varchar(40) "
      "NULL, at datetime NULL, blob varbinary(max) NULL, uid uniqueidentifier NULL)\nGO\n";
  for (int i = 1; i <= rows; ++i) {
    char guid[40];
    std::snprintf(guid, sizeof guid, "%08X-8B86-D011-B42D-00C04FC964FF",
                  static_cast<unsigned>(i) * 2654435761u);
    const bool nulls = i % 7 == 0;
    const std::string name = i == 17 ? std::string(300000, 'w') : "Name " + std::to_string(i);
    script += "INSERT INTO dbo.Orders VALUES (" + std::to_string(i) + ", " +
              (nulls ? "NULL" : std::to_string(i % 2)) + ", " +
              (nulls ? "NULL" : std::to_string(i * -123456789LL)) + ", " +
              (nulls ? "NULL" : std::to_string(i) + ".25e-3") + ", " +
              (nulls ? "NULL" : std::to_string(i) + ".1234") + ", " +
              (nulls ? "NULL" : "N'" + name + "'") + ", " +
              (i % 5 == 0 ? "''" : "'note " + std::to_string(i % 13) + "  '") + ", " +
              (nulls ? "NULL" : "'2024-03-" + std::to_string(1 + i % 28) + " 14:05:09.123'") +
              ", " +
              (i % 3 == 0 ? "CONVERT(varbinary(max), '')"
                          : "0x00FF00" + std::string(i % 4 == 0 ? "00" : "A1")) +
              ", " + (nulls ? "NULL" : "'" + std::string(guid) + "'") + ")\n";
  }
  return script;
}

struct EmbeddedCase {
  std::string name;
  std::string query;
  ReadAheadLimits limits;
};

TEST(ReadAheadRowCursorTest, EmbeddedCursorGivesTheRowsExecuteGives) {
  ScratchFolder folder;
  const std::string server = "embedded:" + (folder / "srv").string();
  const ScriptLoadResult loaded =
      LoadScript(folder / "servers", server, "Shop", OrdersScript(1500));
  ASSERT_TRUE(loaded.ok) << loaded.message;
  EmbeddedBackend backend(folder / "servers");

  const std::vector<EmbeddedCase> cases = {
      {"every row in small batches", "SELECT * FROM dbo.Orders ORDER BY id", {64, 16384, 3}},
      {"every row, default limits", "SELECT * FROM dbo.Orders ORDER BY id DESC", {}},
      {"no rows", "SELECT * FROM dbo.Orders WHERE id < 0", {}},
  };
  for (const EmbeddedCase& c : cases) {
    SCOPED_TRACE(c.name);
    ConnectionRequest connection;
    connection.server = server;
    connection.database = "Shop";
    OpenOutcome opened = backend.Open(connection);
    ASSERT_TRUE(opened.session);
    CommandRequest request;
    request.text = c.query;
    const CommandOutcome executed = opened.session->Execute(request);
    ASSERT_TRUE(executed.ok);
    ASSERT_EQ(executed.result_sets.size(), 1u);
    const ResultSet& expected = executed.result_sets.front();

    std::vector<std::vector<Value>> rows;
    std::vector<ServerMessage> errors;
    {
      CursorOutcome outcome = opened.session->OpenCursor(request);
      ASSERT_TRUE(outcome.cursor);
      ReadAheadRowCursor cursor(std::move(outcome.cursor), nullptr, c.limits);
      ASSERT_EQ(cursor.Columns().size(), expected.columns.size());
      for (std::size_t i = 0; i < expected.columns.size(); ++i) {
        EXPECT_EQ(cursor.Columns()[i].name, expected.columns[i].name);
        EXPECT_EQ(cursor.Columns()[i].type, expected.columns[i].type);
      }
      while (cursor.Next()) {
        std::vector<Value>& row = rows.emplace_back();
        for (int i = 0; i < static_cast<int>(cursor.Columns().size()); ++i)
          row.push_back(ToValue(cursor.Field(i)));
      }
      errors = cursor.Errors();
    }
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(rows.size(), expected.rows.size());
    EXPECT_TRUE(rows == expected.rows);

    // The session serves another command after the read ahead, then waits in the pool.
    EXPECT_TRUE(opened.session->Execute(request).ok);
    opened.session.reset();
    EXPECT_EQ(backend.IdleSessions(), 1u);
  }
}

}  // namespace
}  // namespace korvane

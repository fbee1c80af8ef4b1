// The record counter, above all a series of counts on one held connection: the same quoting,
// the same schema retry and the same failures as the counts that take a pooled connection each,
// and a held connection that is lost on the way.
#include "datacomp/record_count.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/application_context.h"
#include "app/default_backends.h"
#include "app/locations.h"
#include "base/clock.h"
#include "base/text.h"
#include "catalog/sql_names.h"
#include "db/embedded/script_loader.h"
#include "db/server_list.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane::testing {
namespace {

// Wraps a backend and counts the connections opened. Once `Kill` is called, every session opened
// so far is dead: its commands fail as a dropped link does. `refuse_opens` refuses new ones.
class DyingBackend final : public DatabaseBackend {
 public:
  explicit DyingBackend(std::shared_ptr<DatabaseBackend> inner) : inner_(std::move(inner)) {}

  OpenOutcome Open(const ConnectionRequest& request) override {
    ++opens;
    if (refuse_opens) {
      OpenOutcome refused;
      refused.errors.push_back({17, 16, 1, "08001", "SQL Server does not exist."});
      return refused;
    }
    OpenOutcome outcome = inner_->Open(request);
    if (outcome.session)
      outcome.session = std::make_unique<Session>(*this, generation_, std::move(outcome.session));
    return outcome;
  }

  void Kill() { ++generation_; }

  int opens = 0;
  int commands = 0;
  bool refuse_opens = false;

 private:
  class Session final : public DatabaseSession {
   public:
    Session(DyingBackend& owner, int generation, std::unique_ptr<DatabaseSession> inner)
        : owner_(owner), generation_(generation), inner_(std::move(inner)) {}
    CommandOutcome Execute(const CommandRequest& request) override {
      ++owner_.commands;
      if (generation_ != owner_.generation_) {
        CommandOutcome lost;
        lost.errors.push_back({0, 20, 1, "08S01", "Communication link failure"});
        return lost;
      }
      return inner_->Execute(request);
    }

   private:
    DyingBackend& owner_;
    int generation_;
    std::unique_ptr<DatabaseSession> inner_;
  };

  std::shared_ptr<DatabaseBackend> inner_;
  int generation_ = 0;
};

struct NamedTable {
  const char* name;      // as the catalogue holds it
  const char* declared;  // as the creation script writes it
  int rows;
};

// Names that break a count built carelessly: quotes, brackets, dots, blanks, Unicode.
constexpr NamedTable kTables[] = {
    {"O'Brien", "[O'Brien]", 3},     {"[brk]", "[[brk]]]", 2}, {"a]b", "[a]]b]", 4},
    {"one.two", "[one.two]", 5},     {"a.b.c", "[a.b.c]", 6},  {"with space", "[with space]", 1},
    {"Ünïcødé表", "[Ünïcødé表]", 7}, {"brk", "brk", 0},
};

class RecordCountTest : public ::testing::Test {
 protected:
  RecordCountTest()
      : context_(ComputeLocations(folder_ / "bin", folder_ / "p", Environment{}), ui_, clock_) {
    context_.backends = CreateDefaultBackends(context_.locations, Environment{});
    backend_ = std::make_shared<DyingBackend>(context_.backends.embedded);
    context_.backends.embedded = backend_;
  }

  void SetUp() override {
    std::string script =
        "CREATE SCHEMA sales\nGO\nCREATE TABLE sales.Stock (id int NOT NULL)\nGO\n"
        "INSERT INTO sales.Stock VALUES (1)\nINSERT INTO sales.Stock VALUES (2)\nGO\n";
    for (const NamedTable& table : kTables) {
      script += "CREATE TABLE " + std::string(table.declared) + " (id int NOT NULL)\nGO\n";
      for (int row = 1; row <= table.rows; ++row)
        script += "INSERT INTO " + std::string(table.declared) + " VALUES (" + std::to_string(row) +
                  ")\n";
      script += "GO\n";
    }
    const ScriptLoadResult loaded =
        LoadScript(context_.locations.servers_folder, kServer, "shop", script);
    ASSERT_TRUE(loaded.ok) << loaded.message;
    server_.Name = kServer;
    server_.Version = GetServerVersion(context_, server_);
    server_.NumVersion = ComputeNumVersion(server_.Version);
  }

  // The object id of every user table, by name, as an object list reads them.
  std::map<std::string, std::int32_t> TableIds() {
    std::map<std::string, std::int32_t> ids;
    RunCommandResult result =
        RunCommand(context_, server_, CommandType::kText,
                   "SELECT name, id FROM sysobjects WHERE xtype = 'U'", "shop");
    EXPECT_FALSE(result.failed());
    for (Recordset& rows = *result.recordset; !rows.Eof(); rows.MoveNext())
      ids[NullText(rows.Field(0))] = static_cast<std::int32_t>(rows.Field(1).AsInteger());
    return ids;
  }

  // A fresh record of the same server: its schema-check memory starts empty.
  ServerRecord FreshServer() const { return server_; }

  static constexpr std::string_view kServer = "embedded:counts";

  ScratchFolder folder_;
  RecordingUserInterface ui_;
  ManualClock clock_;
  ApplicationContext context_;
  ServerRecord server_;
  std::shared_ptr<DyingBackend> backend_;
};

TEST_F(RecordCountTest, HeldConnectionCountsEveryNameAsThePooledCountDoes) {
  ServerRecord pooled_server = FreshServer();
  ServerRecord held_server = FreshServer();
  RecordCountSeries series(context_, held_server, "shop");
  const std::map<std::string, std::int32_t> ids = TableIds();
  for (const NamedTable& table : kTables) {
    SCOPED_TRACE(table.name);
    // By the owner look-up of the listed table and under a name already qualified.
    const std::int32_t id = ids.at(table.name);
    const RecordCount pooled = CountRecords(context_, pooled_server, "shop", table.name, id);
    const RecordCount by_lookup = series.Count(table.name, id);
    const RecordCount as_named = series.CountAs(table.name, QuoteName(table.name));
    ASSERT_TRUE(by_lookup.count.has_value());
    ASSERT_TRUE(as_named.count.has_value());
    EXPECT_EQ(*by_lookup.count, table.rows);
    EXPECT_EQ(*as_named.count, table.rows);
    EXPECT_EQ(by_lookup.count, pooled.count);
    EXPECT_EQ(by_lookup.qualified_table, pooled.qualified_table);
    EXPECT_EQ(as_named.qualified_table, QuoteName(table.name));
  }
  // Once held, the connection serves every count: none opens another.
  EXPECT_TRUE(series.holding());
  const int opens = backend_->opens;
  const int commands = backend_->commands;
  for (const NamedTable& table : kTables)
    EXPECT_EQ(series.CountAs(table.name, QuoteName(table.name)).count, table.rows) << table.name;
  EXPECT_EQ(backend_->opens, opens);
  EXPECT_EQ(backend_->commands - commands, static_cast<int>(std::size(kTables)));
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(context_.SuppressConnectionErrors);
}

TEST_F(RecordCountTest, SchemaRetryOnTheHeldConnectionCountsUnderTheSchema) {
  ServerRecord server = FreshServer();
  RecordCountSeries series(context_, server, "shop");
  const RecordCount stock = series.CountAs("Stock", QuoteName("Stock"));
  ASSERT_TRUE(stock.count.has_value());
  EXPECT_EQ(*stock.count, 2);
  EXPECT_EQ(stock.qualified_table, "[sales].[Stock]");
  EXPECT_TRUE(server.AddSchema);
  EXPECT_TRUE(series.holding());
  // The held connection still serves the next count.
  const int opens = backend_->opens;
  EXPECT_EQ(series.CountAs("O'Brien", QuoteName("O'Brien")).count, 3);
  EXPECT_EQ(backend_->opens, opens);
  EXPECT_TRUE(ui_.messages.empty());
}

// Fault pinned: a failed count must not cost the series its connection, nor show anything.
TEST_F(RecordCountTest, FailingCountGivesNothingAndKeepsTheHeldConnection) {
  struct Case {
    const char* version;
    const char* table;
  } const cases[] = {{"9.00.5000.00", "Missing"}, {"8.00.2039", "Stock"}};
  for (const Case& test : cases) {
    SCOPED_TRACE(test.version);
    ServerRecord server = FreshServer();
    server.Version = test.version;
    server.NumVersion = ComputeNumVersion(server.Version);
    ServerRecord pooled_server = server;
    RecordCountSeries series(context_, server, "shop");
    const RecordCount failed = series.CountAs(test.table, QuoteName(test.table));
    const RecordCount pooled =
        CountRecordsAs(context_, pooled_server, "shop", test.table, QuoteName(test.table));
    EXPECT_FALSE(failed.count.has_value());
    EXPECT_EQ(failed.count, pooled.count);
    EXPECT_EQ(failed.qualified_table, pooled.qualified_table);
    EXPECT_TRUE(series.holding());
    const int opens = backend_->opens;
    EXPECT_EQ(series.CountAs("a]b", QuoteName("a]b")).count, 4);
    EXPECT_EQ(backend_->opens, opens);
  }
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(context_.SuppressConnectionErrors);
}

TEST_F(RecordCountTest, LostHeldConnectionIsReopenedOnceThenCountsGoThroughThePool) {
  ServerRecord server = FreshServer();
  RecordCountSeries series(context_, server, "shop");
  const auto count = [&](const NamedTable& table) {
    return series.CountAs(table.name, QuoteName(table.name)).count;
  };
  EXPECT_EQ(count(kTables[0]), kTables[0].rows);
  const int first_opens = backend_->opens;
  // Lost: the count in hand is made again on a pooled connection...
  backend_->Kill();
  EXPECT_EQ(count(kTables[1]), kTables[1].rows);
  EXPECT_FALSE(series.holding());
  // ...and the next count holds a new connection.
  EXPECT_EQ(count(kTables[2]), kTables[2].rows);
  EXPECT_TRUE(series.holding());
  EXPECT_EQ(count(kTables[3]), kTables[3].rows);
  EXPECT_EQ(backend_->opens, first_opens + 2);
  // Lost again: no second reopen, every further count takes its own pooled connection.
  backend_->Kill();
  for (int index = 4; index < 7; ++index)
    EXPECT_EQ(count(kTables[index]), kTables[index].rows) << kTables[index].name;
  EXPECT_FALSE(series.holding());
  EXPECT_EQ(backend_->opens, first_opens + 2 + 3);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(RecordCountTest, LostHeldConnectionToAGoneServerFailsAsThePooledCount) {
  ServerRecord server = FreshServer();
  RecordCountSeries series(context_, server, "shop");
  EXPECT_EQ(series.CountAs("O'Brien", QuoteName("O'Brien")).count, 3);
  backend_->Kill();
  backend_->refuse_opens = true;
  for (const NamedTable& table : kTables) {
    SCOPED_TRACE(table.name);
    ServerRecord pooled_server = FreshServer();
    const RecordCount held = series.CountAs(table.name, QuoteName(table.name));
    const RecordCount pooled =
        CountRecordsAs(context_, pooled_server, "shop", table.name, QuoteName(table.name));
    EXPECT_FALSE(held.count.has_value());
    EXPECT_EQ(held.count, pooled.count);
    EXPECT_EQ(held.qualified_table, pooled.qualified_table);
  }
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(context_.SuppressConnectionErrors);
}

}  // namespace
}  // namespace korvane::testing

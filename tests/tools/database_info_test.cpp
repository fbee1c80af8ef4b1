#include "tools/database_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <vector>

#include "support/faulty_backend.h"
#include "tools/embedded_tools_fixture.h"

namespace korvane::testing {
namespace {

TEST(DatabaseInfoTextsTest, LineNumbersAreRightAlignedInFourCharacters) {
  const std::pair<int, const char*> cases[] = {{1, "   1  x\r\n"},
                                               {12, "  12  x\r\n"},
                                               {123, " 123  x\r\n"},
                                               {1000, "1000  x\r\n"},
                                               {12345, "12345  x\r\n"}};
  for (const auto& [number, line] : cases)
    EXPECT_EQ(DatabaseInfoLine(number, "x"), line) << number;
}

TEST(DatabaseInfoTextsTest, RecordCountsAreGroupedAndTheWordFollowsTheNumber) {
  const std::pair<std::int64_t, const char*> cases[] = {{0, "T (0 records)"},
                                                        {1, "T (1 record)"},
                                                        {2, "T (2 records)"},
                                                        {1234, "T (1,234 records)"},
                                                        {1234567, "T (1,234,567 records)"}};
  for (const auto& [count, text] : cases)
    EXPECT_EQ(TableWithRecords("T", count), text) << count;
}

TEST(DatabaseInfoTextsTest, HeadingsStatusesAndHeader) {
  EXPECT_EQ(DatabaseInfoHeading(ObjectType::kTriggers, true),
            "There are no triggers in this database.");
  EXPECT_EQ(DatabaseInfoHeading(ObjectType::kRelationships, false), "List of relationships");
  EXPECT_EQ(AnalyzingStatus(ObjectType::kFunctions), "Analyzing functions...");
  EXPECT_EQ(DatabaseInfoHeader("Dec 04, 2026", "Sales"),
            "Dec 04, 2026\r\n\r\nDatabase: Sales\r\n\r\n");
}

// Counts its time refreshes (each is followed by a test of the cancel flag) and can press
// Cancel at a chosen one; `on_status` runs for every status line shown.
class ScriptedProgress final : public DatabaseInfoProgress {
 public:
  explicit ScriptedProgress(ApplicationContext& context) : context_(context) {}
  void RefreshTime() override {
    if (++refreshes == cancel_at)
      context_.cancel_requested = true;
  }
  void ShowStatus(int index, std::string_view text) override {
    statuses.push_back(std::to_string(index) + " " + std::string(text));
    if (on_status)
      on_status(text);
  }

  int cancel_at = 0;
  int refreshes = 0;
  std::vector<std::string> statuses;
  std::function<void(std::string_view)> on_status;

 private:
  ApplicationContext& context_;
};

std::string Inserts(std::string_view table, int rows) {
  std::string script;
  for (int i = 1; i <= rows; ++i)
    script += "INSERT INTO " + std::string(table) + " VALUES (" + std::to_string(i) + ")\n";
  return script + "GO\n";
}

class DatabaseInfoTest : public EmbeddedToolsTest {
 protected:
  void LoadShop() {
    Load("shop",
         "CREATE TABLE One (id int NOT NULL CONSTRAINT PK_One PRIMARY KEY)\nGO\n"
         "CREATE TABLE Big (id int NOT NULL, one_id int NULL CONSTRAINT FK_Big_One REFERENCES "
         "One (id))\nGO\n"
         "CREATE TABLE Empty (id int NOT NULL)\nGO\n"
         "CREATE PROCEDURE usp_count AS SELECT COUNT(*) FROM Big\nGO\n"
         "CREATE VIEW v_one AS SELECT id FROM One\nGO\n" +
             Inserts("One (id)", 1) + Inserts("Big (id)", 1234));
  }

  DatabaseInfoOutcome Build(ScriptedProgress& progress) {
    return BuildDatabaseInfo(context_, context_.CurrentServers[kSource], "shop", progress);
  }

  static constexpr std::string_view kShopReport =
      "Dec 04, 2026\r\n\r\nDatabase: shop\r\n\r\n"
      "List of tables\r\n"
      "   1  Big (1,234 records)\r\n"
      "   2  Empty (0 records)\r\n"
      "   3  One (1 record)\r\n\r\n"
      "List of procedures\r\n"
      "   1  usp_count\r\n\r\n"
      "There are no functions in this database.\r\n\r\n"
      "List of views\r\n"
      "   1  v_one\r\n\r\n"
      "There are no triggers in this database.\r\n\r\n"
      "List of relationships\r\n"
      "   1  FK_Big_One\r\n\r\n";
};

TEST_F(DatabaseInfoTest, ReportListsEveryKindInOrderByteForByte) {
  LoadShop();
  ScriptedProgress progress(context_);
  const DatabaseInfoOutcome outcome = Build(progress);
  EXPECT_TRUE(outcome.completed);
  EXPECT_FALSE(outcome.failed);
  EXPECT_EQ(outcome.report, kShopReport);
  EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
  EXPECT_EQ(progress.statuses.front(), "0 Analyzing tables...");
  EXPECT_EQ(progress.statuses[1], "0 Big");
  EXPECT_EQ(progress.statuses.back(), "5 Analyzing relationships... Finished");
}

TEST_F(DatabaseInfoTest, EmptyDatabaseSaysThereAreNoneOfEveryKind) {
  Load("shop", "CREATE TABLE Gone (id int NOT NULL)\nGO\nDROP TABLE Gone\nGO\n");
  ScriptedProgress progress(context_);
  const DatabaseInfoOutcome outcome = Build(progress);
  EXPECT_TRUE(outcome.completed);
  EXPECT_EQ(outcome.report,
            "Dec 04, 2026\r\n\r\nDatabase: shop\r\n\r\n"
            "There are no tables in this database.\r\n\r\n"
            "There are no procedures in this database.\r\n\r\n"
            "There are no functions in this database.\r\n\r\n"
            "There are no views in this database.\r\n\r\n"
            "There are no triggers in this database.\r\n\r\n"
            "There are no relationships in this database.\r\n\r\n");
}

// Fault: a name that starts with "[" and ends with "]" was taken as already bracketed, so the
// table literally named [brk] was counted as table brk.
TEST_F(DatabaseInfoTest, BracketedTableNameCountedAsItselfRegression) {
  Load("shop",
       "CREATE TABLE [[brk]]] (id int NOT NULL)\nGO\nCREATE TABLE brk (id int NOT NULL)\nGO\n" +
           Inserts("[[brk]]] (id)", 2) + Inserts("brk (id)", 1));
  ScriptedProgress progress(context_);
  const DatabaseInfoOutcome outcome = Build(progress);
  EXPECT_NE(outcome.report.find("   1  [brk] (2 records)\r\n   2  brk (1 record)\r\n"),
            std::string::npos)
      << outcome.report;
  EXPECT_FALSE(outcome.failed);
}

// Tables of other schemas are counted under their schema, on a server that answers the bulk
// schema query (9.00.5000) and on one whose per-table owner look-up is used instead (8.00).
TEST_F(DatabaseInfoTest, TablesOfEverySchemaCountedUnderTheirOwner) {
  struct Case {
    const char* version;
    const char* script;
    const char* listing;
  } const cases[] = {
      {"9.00.5000.00",
       "CREATE SCHEMA sales\nGO\nCREATE TABLE sales.Orders (id int NOT NULL)\nGO\n"
       "CREATE TABLE Parts (id int NOT NULL)\nGO\n",
       "   1  Orders (3 records)\r\n   2  Parts (2 records)\r\n\r\n"},
      {"8.00.2039",
       "CREATE TABLE Orders (id int NOT NULL)\nGO\nCREATE TABLE Parts (id int NOT NULL)\nGO\n",
       "   1  Orders (3 records)\r\n   2  Parts (2 records)\r\n\r\n"},
  };
  for (const Case& test : cases) {
    const std::string server = std::string("embedded:tools") + test.version;
    std::string error;
    ASSERT_TRUE(
        CreateEmbeddedServer(context_.locations.servers_folder, server, test.version, &error))
        << error;
    const ScriptLoadResult loaded = LoadScript(
        context_.locations.servers_folder, server, "shop",
        std::string(test.script) +
            Inserts(std::string(test.version)[0] == '9' ? "sales.Orders (id)" : "Orders (id)", 3) +
            Inserts("Parts (id)", 2));
    ASSERT_TRUE(loaded.ok) << loaded.message;
    ServerRecord& source = context_.CurrentServers[kSource];
    source.Name = server;
    source.Version = GetServerVersion(context_, source);
    source.NumVersion = ComputeNumVersion(source.Version);
    ScriptedProgress progress(context_);
    const DatabaseInfoOutcome outcome = Build(progress);
    EXPECT_FALSE(outcome.failed) << test.version;
    EXPECT_NE(outcome.report.find("List of tables\r\n" + std::string(test.listing)),
              std::string::npos)
        << test.version << "\n"
        << outcome.report;
    EXPECT_TRUE(ui_.messages.empty()) << test.version;
  }
}

// Same-named tables of dbo and another schema: each line shows its own table's count.
TEST_F(DatabaseInfoTest, SameNamedTablesOfTwoSchemasEachCountedAsThemselves) {
  Load("shop",
       "CREATE SCHEMA sales\nGO\nCREATE TABLE sales.T (id int NOT NULL)\nGO\n"
       "CREATE TABLE dbo.T (id int NOT NULL)\nGO\n" +
           Inserts("sales.T (id)", 5) + Inserts("dbo.T (id)", 2));
  ScriptedProgress progress(context_);
  const DatabaseInfoOutcome outcome = Build(progress);
  EXPECT_FALSE(outcome.failed);
  EXPECT_NE(outcome.report.find("  T (2 records)\r\n"), std::string::npos) << outcome.report;
  EXPECT_NE(outcome.report.find("  T (5 records)\r\n"), std::string::npos) << outcome.report;
}

TEST_F(DatabaseInfoTest, TableDroppedDuringTheInventoryAbortsTheTableListingOnly) {
  LoadShop();
  ScriptedProgress progress(context_);
  progress.on_status = [this](std::string_view text) {
    if (text == "Empty")
      SQL_Execute(context_, context_.CurrentServers[kSource], CommandType::kText,
                  "DROP TABLE Empty", "shop");
  };
  const DatabaseInfoOutcome outcome = Build(progress);
  EXPECT_TRUE(outcome.completed);
  EXPECT_TRUE(outcome.failed);
  const std::string tables =
      "List of tables\r\n   1  Big (1,234 records)\r\n\r\n"
      "*** OPERATION ABORTED - ERROR OCCURRED.***\r\n\r\nList of procedures\r\n";
  EXPECT_NE(outcome.report.find(tables), std::string::npos) << outcome.report;
  EXPECT_NE(outcome.report.find("List of relationships\r\n"), std::string::npos);
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"Error while attempting to count records in table: Empty"});
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
}

TEST_F(DatabaseInfoTest, RunTimeErrorInAListingEndsItWithTheAbortLine) {
  LoadShop();
  ScriptedProgress progress(context_);
  progress.on_status = [](std::string_view text) {
    if (text == "usp_count")
      throw std::runtime_error("status line lost");
  };
  const DatabaseInfoOutcome outcome = Build(progress);
  EXPECT_TRUE(outcome.completed);
  EXPECT_TRUE(outcome.failed);
  EXPECT_EQ(ui_.error_reports.size(), 1u);
  EXPECT_NE(outcome.report.find("List of procedures\r\n\r\n*** OPERATION ABORTED - ERROR "
                                "OCCURRED.***\r\n\r\nThere are no functions"),
            std::string::npos)
      << outcome.report;
}

// Fault: a cancel seen while the last kind was listed let the cut-short report through.
TEST_F(DatabaseInfoTest, CancelAtAnyPointShowsNoReportRegression) {
  LoadShop();
  ScriptedProgress counting(context_);
  ASSERT_TRUE(Build(counting).completed);
  const int points = counting.refreshes;
  // 6 kinds with two tests each, plus one before each of the 3 + 1 + 1 + 1 listed rows.
  ASSERT_EQ(points, 6 * 2 + 6);
  for (int at = 1; at <= points; ++at) {
    ScriptedProgress progress(context_);
    progress.cancel_at = at;
    const DatabaseInfoOutcome outcome = Build(progress);
    EXPECT_FALSE(outcome.completed) << "cancel point " << at;
    EXPECT_TRUE(outcome.report.empty()) << "cancel point " << at;
    // The last point lies inside the relationship listing, which then still ends its kind.
    if (at == points) {
      EXPECT_EQ(progress.statuses.back(), "5 Analyzing relationships... Finished");
    }
  }
}

TEST_F(DatabaseInfoTest, FailedListQueryIsReportedAndTheKindShownEmpty) {
  FakeBackend& fake = UseFakeServer();
  fake.responder = [](const ConnectionRequest&, const CommandRequest& command) {
    if (command.text.find("IsProcedure") != std::string::npos)
      return Failure(4060, "42000", "Cannot open database.");
    return Rows({"name", "refdate", "id"}, {});
  };
  ScriptedProgress progress(context_);
  const DatabaseInfoOutcome outcome = Build(progress);
  EXPECT_TRUE(outcome.completed);
  EXPECT_TRUE(outcome.failed);
  EXPECT_NE(outcome.report.find("There are no procedures in this database."), std::string::npos);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text.rfind("Server connection failed.", 0), 0u);
}

// The tables are counted on one held connection: a run opens as many connections for a database
// of many tables as for one of few.
TEST_F(DatabaseInfoTest, ConnectionsOpenedDoNotGrowWithTheNumberOfTables) {
  auto faulty = std::make_shared<FaultyBackend>(context_.backends.embedded);
  context_.backends.embedded = faulty;
  std::string wide;
  for (int table = 1; table <= 12; ++table)
    wide += "CREATE TABLE W" + std::to_string(table) + " (id int NOT NULL)\nGO\n";
  Load("wide", wide);
  LoadShop();
  std::vector<int> opens;
  for (const char* database : {"shop", "wide"}) {
    const int before = faulty->opens;
    ScriptedProgress progress(context_);
    const DatabaseInfoOutcome outcome =
        BuildDatabaseInfo(context_, context_.CurrentServers[kSource], database, progress);
    EXPECT_TRUE(outcome.completed && !outcome.failed) << database << "\n" << outcome.report;
    opens.push_back(faulty->opens - before);
  }
  EXPECT_EQ(opens[0], opens[1]);
}

// A held connection lost while a table is counted: that count is made again on a new
// connection and the run goes on; with the server gone too, the count fails as any count does.
TEST_F(DatabaseInfoTest, HeldConnectionLostDuringTheCountsRegression) {
  struct Case {
    const char* name;
    std::vector<std::string> lost_at;  // tables whose count loses its connection
    int refused_opens;                 // opens refused from the first loss on
    bool whole_report;
  } const cases[] = {
      {"lost once", {"Big"}, 0, true},
      {"lost twice", {"Big", "One"}, 0, true},
      {"lost with the server gone", {"Big"}, 1000, false},
  };
  LoadShop();
  auto faulty = std::make_shared<FaultyBackend>(context_.backends.embedded);
  context_.backends.embedded = faulty;
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    ui_.messages.clear();
    ScriptedProgress progress(context_);
    progress.on_status = [&](std::string_view text) {
      for (const std::string& table : test.lost_at) {
        if (text == table) {
          faulty->drop_next_results = 1;
          faulty->refuse_next_opens = test.refused_opens;
        }
      }
    };
    const DatabaseInfoOutcome outcome = Build(progress);
    faulty->refuse_next_opens = 0;
    EXPECT_TRUE(outcome.completed);
    if (test.whole_report) {
      EXPECT_FALSE(outcome.failed);
      EXPECT_EQ(outcome.report, kShopReport);
      EXPECT_TRUE(ui_.messages.empty());
      continue;
    }
    EXPECT_TRUE(outcome.failed);
    EXPECT_NE(outcome.report.find("List of tables\r\n\r\n*** OPERATION ABORTED - ERROR "
                                  "OCCURRED.***\r\n\r\nThere are no procedures"),
              std::string::npos)
        << outcome.report;
    const std::vector<std::string> texts = MessageTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0], "Error while attempting to count records in table: Big");
    EXPECT_EQ(std::count(texts.begin(), texts.end(), texts[0]), 1);
  }
}

}  // namespace
}  // namespace korvane::testing

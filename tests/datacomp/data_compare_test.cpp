// The data comparison run against the embedded SQL Server stand-in: the tables are loaded from
// T-SQL scripts, counted, read and compared by the real data-access layer, so the counts,
// outcome texts, log lines and the differences window are what a user gets.
#include "datacomp/data_compare.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

#include "app/application_context.h"
#include "base/clock.h"
#include "base/user_interface.h"
#include "datacomp/data_compare_texts.h"
#include "datacomp/record_count.h"
#include "datacomp/table_settings_key.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "saved/ignored_columns.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ReadFile;

// Renamed has its second column renamed in Dev. Items differ in Dev: 2 changed name, 4 only in
// Live, 5 only in Dev. Stock lives in schema sales only. Empty is empty on both sides.
constexpr std::string_view kLiveScript = R"(
CREATE TABLE Items (ID int NOT NULL PRIMARY KEY, Name varchar(20) NULL, Price int NULL)
GO
INSERT INTO Items (ID, Name, Price) VALUES (1, 'Spade', 10)
INSERT INTO Items (ID, Name, Price) VALUES (2, 'Rake', 12)
INSERT INTO Items (ID, Name, Price) VALUES (3, 'Hoe', 9)
INSERT INTO Items (ID, Name, Price) VALUES (4, 'Fork', 11)
GO
CREATE TABLE Same (ID int NOT NULL PRIMARY KEY, Name varchar(20) NULL, Price int NULL)
GO
INSERT INTO Same (ID, Name, Price) VALUES (1, 'Tent', 100)
INSERT INTO Same (ID, Name, Price) VALUES (2, 'Lamp', 20)
GO
CREATE TABLE Empty (ID int NOT NULL)
GO
CREATE SCHEMA sales
GO
CREATE TABLE sales.Stock (ID int NOT NULL, Qty int NULL)
GO
INSERT INTO sales.Stock (ID, Qty) VALUES (1, 5)
INSERT INTO sales.Stock (ID, Qty) VALUES (2, 7)
GO
CREATE TABLE Renamed (ID int NOT NULL, Colour varchar(10) NULL)
GO
INSERT INTO Renamed (ID, Colour) VALUES (1, 'red')
GO
)";

constexpr std::string_view kDevScript = R"(
CREATE TABLE Items (ID int NOT NULL PRIMARY KEY, Name varchar(20) NULL, Price int NULL)
GO
INSERT INTO Items (ID, Name, Price) VALUES (1, 'Spade', 10)
INSERT INTO Items (ID, Name, Price) VALUES (2, 'Garden rake', 12)
INSERT INTO Items (ID, Name, Price) VALUES (3, 'Hoe', 9)
INSERT INTO Items (ID, Name, Price) VALUES (5, 'Trowel', 4)
GO
CREATE TABLE Same (ID int NOT NULL PRIMARY KEY, Name varchar(20) NULL, Price int NULL)
GO
INSERT INTO Same (ID, Name, Price) VALUES (1, 'Tent', 100)
INSERT INTO Same (ID, Name, Price) VALUES (2, 'Lamp', 25)
GO
CREATE TABLE Empty (ID int NOT NULL)
GO
CREATE SCHEMA sales
GO
CREATE TABLE sales.Stock (ID int NOT NULL, Qty int NULL)
GO
INSERT INTO sales.Stock (ID, Qty) VALUES (1, 5)
INSERT INTO sales.Stock (ID, Qty) VALUES (2, 8)
INSERT INTO sales.Stock (ID, Qty) VALUES (3, 1)
GO
CREATE TABLE Renamed (ID int NOT NULL, Color varchar(10) NULL)
GO
INSERT INTO Renamed (ID, Color) VALUES (1, 'red')
GO
)";

// Records messages like RecordingUserInterface and presses Stop on the n-th event pump.
class StopAtPumpUserInterface final : public UserInterface {
 public:
  void ShowMessage(std::string_view text, MessageIcon icon, std::string_view title) override {
    messages.push_back({std::string(text), icon, std::string(title)});
  }
  Answer Ask(std::string_view, std::string_view, Answer goes_on, MessageIcon) override {
    return goes_on;
  }
  std::optional<std::filesystem::path> RequestSaveFile(const FileRequest&) override {
    return std::nullopt;
  }
  std::optional<std::filesystem::path> RequestOpenFile(const FileRequest&) override {
    return std::nullopt;
  }
  void SetBusy(bool) override {}
  void ProcessPendingEvents() override {
    ++pumps;
    if (stop_at_pump != 0 && pumps == stop_at_pump && context != nullptr)
      context->cancel_requested = true;
  }
  void SetClipboardText(std::string_view) override {}
  int OpenWithDefaultProgram(std::string_view) override { return 0; }
  bool PrintText(std::string_view, std::string_view) override { return true; }
  void ShowErrorReport(const ErrorReport&) override {}

  ApplicationContext* context = nullptr;
  int stop_at_pump = 0;
  int pumps = 0;
  std::vector<testing::RecordedMessage> messages;
};

// A progress dialog that keeps every state it was asked to show.
class RecordingStatus final : public CompareStatus {
 public:
  explicit RecordingStatus(const Clock& clock) : CompareStatus(clock) {}
  std::vector<CompareStatusState> shown;
  // Each time the dialog closed itself: how many states it had shown by then.
  std::vector<std::size_t> unloaded_after;
  std::function<void()> on_unload;

 protected:
  void Changed() override { shown.push_back(state()); }
  void Unload() override {
    unloaded_after.push_back(shown.size());
    if (on_unload)
      on_unload();
  }
};

class DataCompareTest : public ::testing::Test {
 protected:
  DataCompareTest()
      : context_(ComputeLocations(folder_ / "bin", folder_ / "p", Environment{}), ui_, clock_) {
    ui_.context = &context_;
    std::filesystem::create_directories(context_.locations.writable_folder);
    context_.backends.embedded = std::make_shared<EmbeddedBackend>(folder_ / "servers");
    const std::string server = "embedded:" + (folder_ / "srv").string();
    std::string error;
    EXPECT_TRUE(CreateEmbeddedServer(folder_ / "servers", server, "9.00.5000.00", &error)) << error;
    for (const auto& [database, script] :
         {std::pair{"Live", kLiveScript}, std::pair{"Dev", kDevScript}}) {
      const ScriptLoadResult loaded = LoadScript(folder_ / "servers", server, database, script);
      EXPECT_TRUE(loaded.ok) << loaded.message;
    }
    for (ServerRecord& side : context_.CurrentServers) {
      side.Name = server;
      side.Version = "9.00.5000.00";
      side.NumVersion = 9;
    }
  }

  DataCompareRequest Request(std::string table, bool unattended, bool track,
                             std::int32_t method = kCompMethodRecordByRecord) {
    DataCompareRequest request;
    request.tables = {DataCompareTable{"Live", table, 0}, DataCompareTable{"Dev", table, 0}};
    request.options.options.CompMethod = method;
    if (method == kCompMethodPrimaryKey) {
      request.options.options.sides[0].key_columns = {"ID", "No Field", "No Field"};
      request.options.options.sides[1].key_columns = {"ID", "No Field", "No Field"};
    }
    request.unattended = unattended;
    request.track_differences = track;
    return request;
  }

  DataCompareResult Run(const DataCompareRequest& request) {
    return DataCompare(context_, request, status_, [this](const DataDifferencesWindow& window) {
      shown_windows_.push_back(window);
    });
  }

  std::string Log() const { return ReadFile(context_.locations.data_comp_log); }

  testing::ScratchFolder folder_;
  StopAtPumpUserInterface ui_;
  ManualClock clock_{LocalDateTime{2026, 3, 7, 14, 5, 9}};
  ApplicationContext context_;
  RecordingStatus status_{clock_};
  std::vector<DataDifferencesWindow> shown_windows_;
};

// --- Outcomes ---------------------------------------------------------------------------------

TEST_F(DataCompareTest, UnattendedDifferencesByKeyAndByRecord) {
  // By key: 2 changed, 4 only in Live, 5 only in Dev.
  const DataCompareResult by_key = Run(Request("Items", true, false, kCompMethodPrimaryKey));
  EXPECT_EQ(by_key.status, DataCompareStatus::kDifferent);
  EXPECT_FALSE(by_key.identical);
  EXPECT_EQ(by_key.source_count, 4);
  EXPECT_EQ(by_key.target_count, 4);
  EXPECT_EQ(by_key.different_records, 3);
  EXPECT_EQ(by_key.outcome,
            "Number of records in first table: 4\r\n"
            "Number of records in second table: 4\r\n"
            "Number of different records: 3");
  EXPECT_FALSE(by_key.window.has_value());
  EXPECT_TRUE(ui_.messages.empty());

  // Record by record: pairs 2 and 4 differ.
  const DataCompareResult by_record = Run(Request("Items", true, false));
  EXPECT_EQ(by_record.status, DataCompareStatus::kDifferent);
  EXPECT_EQ(by_record.different_records, 2);
  EXPECT_EQ(by_record.outcome,
            "Number of records in first table: 4\r\n"
            "Number of records in second table: 4\r\n"
            "Number of different records: 2");
}

TEST_F(DataCompareTest, IdenticalAndEmptyTables) {
  const DataCompareResult empty = Run(Request("Empty", true, false));
  EXPECT_EQ(empty.status, DataCompareStatus::kIdentical);
  EXPECT_TRUE(empty.identical);
  EXPECT_EQ(empty.outcome, "Data stored in both tables is identical.");

  // Only the Price of record 2 differs in Same: ignoring Price on both sides makes them equal.
  const std::string live_key = TableSettingsKey(context_.CurrentServers[0].Name, "Live", "Same");
  const std::string dev_key = TableSettingsKey(context_.CurrentServers[1].Name, "Dev", "Same");
  ASSERT_TRUE(SaveIgnoredColumns(context_.locations, IgnoredColumnsKind::Data, live_key,
                                 {"Price", "Name"}, ui_));
  ASSERT_TRUE(
      SaveIgnoredColumns(context_.locations, IgnoredColumnsKind::Data, dev_key, {"Price"}, ui_));
  const DataCompareResult same = Run(Request("Same", true, false));
  EXPECT_EQ(same.status, DataCompareStatus::kIdentical);
  EXPECT_EQ(same.outcome,
            "Data stored in both tables is identical.\r\n"
            "Columns ignored during comparison: Source - Price,Name Target - Price");
}

TEST_F(DataCompareTest, OneIgnoredSourceColumnNamedInTheIdenticalOutcome) {
  // Items without Name and Price: record by record the IDs 4 and 5 still differ, so use Same,
  // whose Price differs, with Price ignored on the Source only (the Target's Price column is
  // then compared with nothing and read by position).
  const std::string live_key = TableSettingsKey(context_.CurrentServers[0].Name, "Live", "Same");
  ASSERT_TRUE(
      SaveIgnoredColumns(context_.locations, IgnoredColumnsKind::Data, live_key, {"Price"}, ui_));
  const DataCompareResult same = Run(Request("Same", true, false));
  EXPECT_EQ(same.status, DataCompareStatus::kIdentical);
  EXPECT_EQ(same.outcome,
            "Data stored in both tables is identical.\r\n"
            "Column ignored during comparison: Source - Price");
}

TEST_F(DataCompareTest, InteractiveOutcomesAreShownNotReturned) {
  const DataCompareResult same = Run(Request("Empty", false, true));
  EXPECT_EQ(same.status, DataCompareStatus::kIdentical);
  EXPECT_EQ(same.outcome, "");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Data stored in both tables is identical.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kNone);
  EXPECT_EQ(ui_.messages[0].title, "Korvane");
  EXPECT_TRUE(shown_windows_.empty());

  ui_.messages.clear();
  const DataCompareResult untracked = Run(Request("Items", false, false));
  EXPECT_EQ(untracked.status, DataCompareStatus::kDifferent);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            "Number of records in first table: 4\r\n"
            "Number of records in second table: 4\r\n"
            "Number of different records: 2");
  EXPECT_TRUE(shown_windows_.empty());
}

// --- The differences window ---------------------------------------------------------------------

TEST_F(DataCompareTest, TrackedDifferencesAreShownInTheWindow) {
  const DataCompareResult result = Run(Request("Items", false, true, kCompMethodPrimaryKey));
  EXPECT_EQ(result.status, DataCompareStatus::kDifferent);
  EXPECT_EQ(result.different_records, 3);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(result.window.has_value());  // closed at the end of an interactive run
  ASSERT_EQ(shown_windows_.size(), 1u);
  const DataDifferencesWindow& window = shown_windows_[0];
  const std::string& server = context_.CurrentServers[0].Name;
  EXPECT_EQ(window.caption, "Differences between data in tables 'Items' and 'Items'");
  EXPECT_EQ(window.table_labels[0], "Source Table: Items (Database: Live, Server: " + server + ")");
  EXPECT_EQ(window.table_labels[1], "Target Table: Items (Database: Dev, Server: " + server + ")");
  EXPECT_EQ(window.information_label,
            "Comparison method: Primary Key \r\nSource PK: ID\r\nTarget PK: ID");
  EXPECT_FALSE(window.note_visible);
  EXPECT_FALSE(window.ignored_columns_visible);
  EXPECT_EQ(window.grid.header(), (std::vector<std::string>{"Row", "ID", "Name", "Price"}));
  ASSERT_EQ(window.grid.RowCount(), 4u);
  EXPECT_EQ(window.grid.rows()[0].cells, (std::vector<std::string>{"1", "2", "Rake", "12"}));
  EXPECT_EQ(window.grid.rows()[0].background, kSourceDiffColour);
  EXPECT_EQ(window.grid.rows()[0].text_colours[2], kDifferentCellColour);
  EXPECT_EQ(window.grid.rows()[0].text_colours[1], kEqualCellColour);
  EXPECT_EQ(window.grid.rows()[1].cells, (std::vector<std::string>{"1", "2", "Garden rake", "12"}));
  EXPECT_EQ(window.grid.rows()[1].background, kTargetDiffColour);
  EXPECT_EQ(window.grid.rows()[2].cells, (std::vector<std::string>{"2", "4", "Fork", "11"}));
  EXPECT_EQ(window.grid.rows()[2].background, kSourceOnlyColour);
  EXPECT_EQ(window.grid.rows()[3].cells, (std::vector<std::string>{"1", "5", "Trowel", "4"}));
  EXPECT_EQ(window.grid.rows()[3].background, kTargetOnlyColour);
  EXPECT_EQ(window.grid.statistics(), (std::array<std::string, 3>{"4", "4", "3"}));
}

TEST_F(DataCompareTest, MoreDifferencesThanTheTableShowsGiveTheNote) {
  context_.settings.max_rows_in_diff_table = 2;
  const DataCompareResult result = Run(Request("Items", false, true, kCompMethodPrimaryKey));
  EXPECT_EQ(result.different_records, 3);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].title, "Note");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(ui_.messages[0].text, NotAllDifferencesShownMessage(3, 2));
  ASSERT_EQ(shown_windows_.size(), 1u);
  EXPECT_TRUE(shown_windows_[0].note_visible);
  EXPECT_EQ(shown_windows_[0].note_label, "Only first 2 different records are shown");

  // Exactly as many differences as the table shows: no note.
  ui_.messages.clear();
  shown_windows_.clear();
  context_.settings.max_rows_in_diff_table = 3;
  Run(Request("Items", false, true, kCompMethodPrimaryKey));
  EXPECT_TRUE(ui_.messages.empty());
  ASSERT_EQ(shown_windows_.size(), 1u);
  EXPECT_FALSE(shown_windows_[0].note_visible);
}

// Regression: bigint keys were matched through a double, so neighbouring keys beyond 2^53 paired
// with each other and identical tables were reported different; keys differing in letter case
// beyond ASCII never paired.
TEST_F(DataCompareTest, BigintAndNonAsciiKeysPairAsTheServerComparesThem) {
  const std::string server = context_.CurrentServers[0].Name;
  const std::pair<const char*, const char*> scripts[] = {
      {"KeysLive",
       "CREATE TABLE Big (ID bigint NOT NULL, V varchar(10) NULL)\n"
       "CREATE TABLE Words (ID nvarchar(20) NOT NULL, V int NULL)\nGO\n"
       "INSERT INTO Big VALUES (9007199254740993, 'a')\n"
       "INSERT INTO Big VALUES (9007199254740992, 'b')\n"
       "INSERT INTO Big VALUES (-9007199254740995, 'c')\n"
       "INSERT INTO Words VALUES (N'Äpfel', 1)\n"
       "INSERT INTO Words VALUES (N'σοφίας', 2)\n"
       "INSERT INTO Words VALUES (N'Жук', 3)\nGO\n"},
      {"KeysDev",
       "CREATE TABLE Big (ID bigint NOT NULL, V varchar(10) NULL)\n"
       "CREATE TABLE Words (ID nvarchar(20) NOT NULL, V int NULL)\nGO\n"
       "INSERT INTO Big VALUES (9007199254740992, 'b')\n"
       "INSERT INTO Big VALUES (-9007199254740995, 'c')\n"
       "INSERT INTO Big VALUES (9007199254740993, 'a')\n"
       "INSERT INTO Words VALUES (N'жук', 3)\n"
       "INSERT INTO Words VALUES (N'äPFEL', 1)\n"
       "INSERT INTO Words VALUES (N'ΣΟΦΊΑΣ', 2)\nGO\n"},
  };
  for (const auto& [database, script] : scripts) {
    const ScriptLoadResult loaded = LoadScript(folder_ / "servers", server, database, script);
    ASSERT_TRUE(loaded.ok) << loaded.message;
  }
  const auto compare = [&](const char* table) {
    DataCompareRequest request = Request(table, true, false, kCompMethodPrimaryKey);
    request.tables = {DataCompareTable{"KeysLive", table, 0},
                      DataCompareTable{"KeysDev", table, 0}};
    return Run(request);
  };
  const DataCompareResult big = compare("Big");
  EXPECT_EQ(big.status, DataCompareStatus::kIdentical) << big.outcome;
  // The keys pair (3 changed pairs, not 3 records on each side alone); their texts still differ
  // in letter case, which the field comparison counts.
  const DataCompareResult words = compare("Words");
  EXPECT_EQ(words.different_records, 3) << words.outcome;
}

TEST_F(DataCompareTest, UnattendedTrackedRunKeepsItsWindowAndReturnsTheCounts) {
  context_.settings.max_rows_in_diff_table = 1;
  const DataCompareResult result = Run(Request("Items", true, true, kCompMethodPrimaryKey));
  EXPECT_TRUE(ui_.messages.empty());  // not even the note
  EXPECT_TRUE(shown_windows_.empty());
  ASSERT_TRUE(result.window.has_value());
  EXPECT_TRUE(result.window->note_visible);
  EXPECT_EQ(result.window->grid.RowCount(), 2u);
  EXPECT_EQ(result.outcome,
            "Number of records in first table: 4\r\n"
            "Number of records in second table: 4\r\n"
            "Number of different records: 3");
}

// --- Log ----------------------------------------------------------------------------------------

TEST_F(DataCompareTest, LogOfARunWithDifferences) {
  Run(Request("Items", true, false, kCompMethodPrimaryKey));
  EXPECT_EQ(Log(),
            "14:05:09     Starting DataCompare\r\n"
            "14:05:09     Ignored Columns Count Total: 0\r\n"
            "14:05:09     CompareStatus showup starting\r\n"
            "14:05:09     llngRecsCount1 = 4, llngRecsCount2 = 4\r\n"
            "14:05:09     Entering CompareRecords\r\n"
            "14:05:09     Exiting CompareRecords, llngIndexRec = 5\r\n"
            "14:05:09     CompareStatus showup exiting\r\n"
            "14:05:09     Track Differences: False\r\n"
            "14:05:09     Diff Recs Count: 3\r\n"
            "14:05:09     Max Rows In Diff Table: 5000\r\n"
            "14:05:09     Exiting DataCompare\r\n");
}

TEST_F(DataCompareTest, LogOfAnIdenticalRunNamesTheFirstSentenceOnly) {
  const std::string live_key = TableSettingsKey(context_.CurrentServers[0].Name, "Live", "Same");
  ASSERT_TRUE(
      SaveIgnoredColumns(context_.locations, IgnoredColumnsKind::Data, live_key, {"Price"}, ui_));
  Run(Request("Empty", true, false));
  EXPECT_EQ(Log(),
            "14:05:09     Starting DataCompare\r\n"
            "14:05:09     Ignored Columns Count Total: 0\r\n"
            "14:05:09     CompareStatus showup starting\r\n"
            "14:05:09     llngRecsCount1 = 0, llngRecsCount2 = 0\r\n"
            "14:05:09     CompareStatus showup exiting\r\n"
            "14:05:09     Data stored in both tables is identical.\r\n");
}

TEST_F(DataCompareTest, RenamedColumnIsComparedByPosition) {
  // The Target has no column Colour, so the Target query with the Source's column names must
  // fail and the Target's own columns are read: the rows are then equal.
  const DataCompareResult result = Run(Request("Renamed", true, false));
  EXPECT_EQ(result.status, DataCompareStatus::kIdentical) << result.outcome;
}

// --- Counting -----------------------------------------------------------------------------------

TEST_F(DataCompareTest, ProgressStagesWhileCounting) {
  Run(Request("Items", true, false));
  ASSERT_GE(status_.shown.size(), 4u);
  const CompareStatusState& loaded = status_.shown[0];
  EXPECT_EQ(loaded.databases, (std::array<std::string, 2>{"Live", "Dev"}));
  EXPECT_EQ(loaded.tables, (std::array<std::string, 2>{"Items", "Items"}));
  const CompareStatusState& first = status_.shown[1];
  EXPECT_EQ(first.stage, kCountingSourceStage);
  EXPECT_EQ(first.status, "Counting records in first table...");
  EXPECT_EQ(first.count_labels, (std::array<std::string, 2>{"Counting...", "N/A"}));
  EXPECT_EQ(first.current_record_label, "N/A");
  EXPECT_FALSE(first.gauge_visible);
  EXPECT_FALSE(first.elapsed_visible);
  EXPECT_EQ(status_.shown[2].count_labels, (std::array<std::string, 2>{"4", "N/A"}));
  EXPECT_EQ(status_.shown[3].status, "Counting records in second table...");
  EXPECT_EQ(status_.shown[3].count_labels, (std::array<std::string, 2>{"4", "Counting..."}));
  EXPECT_EQ(status_.state().count_labels, (std::array<std::string, 2>{"4", "4"}));
  EXPECT_EQ(status_.state().stage, kComparingStage);
  EXPECT_TRUE(status_.state().gauge_visible);
  EXPECT_FALSE(status_.state().status_visible);
}

TEST_F(DataCompareTest, FailedCountFailsTheRunWithoutAVerdict) {
  DataCompareRequest request = Request("Empty", true, false);
  request.tables[1].table = "Missing";
  const DataCompareResult result = Run(request);
  EXPECT_EQ(result.status, DataCompareStatus::kFailed);
  EXPECT_FALSE(result.identical);
  EXPECT_EQ(result.outcome, "Error while attempting to count records in table: [Missing]");
  EXPECT_EQ(Log().find("Entering CompareRecords"), std::string::npos);
  EXPECT_NE(Log().find("14:05:09     Error while attempting to count records in table: "
                       "[Missing]\r\n"),
            std::string::npos);

  // Interactive: the message is shown with the exclamation icon, and the run still has no
  // verdict.
  request.unattended = false;
  const DataCompareResult shown = Run(request);
  EXPECT_EQ(shown.status, DataCompareStatus::kFailed);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Error while attempting to count records in table: [Missing]");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
}

TEST_F(DataCompareTest, RecordsThatCannotBeReadFailTheRun) {
  // A stored sort key naming a column the table no longer has: the Source rows cannot be read.
  DataCompareRequest request = Request("Items", true, false);
  request.options.source_order_by = " ORDER BY [Dropped] ";
  const DataCompareResult result = Run(request);
  EXPECT_EQ(result.status, DataCompareStatus::kFailed);
  EXPECT_FALSE(result.identical);
  EXPECT_EQ(result.outcome,
            "Error while attempting to compare records in tables: [Items] and [Items]");
  EXPECT_NE(Log().find("     Error while attempting to compare records in tables: "),
            std::string::npos);
  EXPECT_EQ(Log().find("Exiting DataCompare"), std::string::npos);
}

TEST_F(DataCompareTest, TableOutsideDboIsCountedAfterTheSchemaRetry) {
  // An object id from a list read before the table was made again names no object any more:
  // the table is counted under its bare name, which the server does not find outside dbo, and
  // then under the schema the server gives for its name.
  ServerRecord& server = context_.CurrentServers[0];
  EXPECT_FALSE(server.AddSchema);
  const RecordCount count = CountRecords(context_, server, "Live", "Stock", 987654321);
  ASSERT_TRUE(count.count.has_value());
  EXPECT_EQ(*count.count, 2);
  EXPECT_EQ(count.qualified_table, "[sales].[Stock]");
  EXPECT_TRUE(server.AddSchema);

  // Version 8 servers have no schemas to look up: the count fails.
  ServerRecord old_server = context_.CurrentServers[1];
  old_server.Version = "8.00.2039";
  old_server.NumVersion = 8;
  EXPECT_FALSE(CountRecords(context_, old_server, "Live", "Stock", 0).count.has_value());
  EXPECT_FALSE(context_.SuppressConnectionErrors);  // restored after the count

  // The whole run reads the records under the schema-qualified name.
  const DataCompareResult result = Run(Request("Stock", true, false));
  EXPECT_EQ(result.status, DataCompareStatus::kDifferent);
  EXPECT_EQ(result.source_count, 2);
  EXPECT_EQ(result.target_count, 3);
  EXPECT_EQ(result.different_records, 2);  // record 2 differs, record 3 only in Dev
}

TEST_F(DataCompareTest, CountQuery) {
  EXPECT_EQ(RecordCountQuery("[sales].[Stock]"),
            "SELECT COUNT(*) AS RecsCount FROM [sales].[Stock]");
}

// --- Cancel -------------------------------------------------------------------------------------

TEST_F(DataCompareTest, StopWhileTheTargetIsCountedCancelsBeforeComparing) {
  ui_.stop_at_pump = 2;  // the pump after the Target count
  const DataCompareResult result = Run(Request("Items", true, false));
  EXPECT_EQ(result.status, DataCompareStatus::kCancelled);
  EXPECT_EQ(result.outcome, "Operation cancelled by the user.");
  EXPECT_FALSE(context_.cancel_requested);  // reset after the cancelled outcome
  EXPECT_EQ(Log(),
            "14:05:09     Starting DataCompare\r\n"
            "14:05:09     Ignored Columns Count Total: 0\r\n"
            "14:05:09     CompareStatus showup starting\r\n"
            "14:05:09     CompareStatus showup exiting\r\n"
            "14:05:09     Operation cancelled by the user.\r\n");

  // Interactive: shown with the program's title.
  ui_.pumps = 0;
  const DataCompareResult shown = Run(Request("Items", false, true));
  EXPECT_EQ(shown.status, DataCompareStatus::kCancelled);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Operation cancelled by the user.");
  EXPECT_EQ(ui_.messages[0].title, "Korvane");
  EXPECT_TRUE(shown_windows_.empty());
}

TEST_F(DataCompareTest, StopWhileComparingCancels) {
  ui_.stop_at_pump = 3;  // the first pump of the record comparison engine
  const DataCompareResult result = Run(Request("Items", true, false));
  EXPECT_EQ(result.status, DataCompareStatus::kCancelled);
  EXPECT_EQ(result.outcome, "Operation cancelled by the user.");
  EXPECT_NE(Log().find("Entering CompareRecords"), std::string::npos);
}

// Both sides are read on threads of their own; however a run ends (done, or stopped at a point
// where a side is still being read), its readers stop and every connection goes back to the
// pool before the run returns.
TEST_F(DataCompareTest, EveryWayARunEndsGivesItsConnectionsBack) {
  auto& backend = static_cast<EmbeddedBackend&>(*context_.backends.embedded);
  for (const std::int32_t method : {kCompMethodRecordByRecord, kCompMethodPrimaryKey}) {
    std::size_t pooled_when_done = 0;
    for (const int stop_at_pump : {0, 3, 4}) {
      SCOPED_TRACE("method " + std::to_string(method) + ", stop at pump " +
                   std::to_string(stop_at_pump));
      backend.CloseIdleSessions();
      ui_.pumps = 0;
      ui_.stop_at_pump = stop_at_pump;
      const DataCompareResult result = Run(Request("Items", true, false, method));
      EXPECT_EQ(result.status,
                stop_at_pump == 0 ? DataCompareStatus::kDifferent : DataCompareStatus::kCancelled);
      if (stop_at_pump == 0)
        pooled_when_done = backend.IdleSessions();
      EXPECT_GE(backend.IdleSessions(), 2u);  // at least one session of each database
      EXPECT_EQ(backend.IdleSessions(), pooled_when_done);
    }
  }
}

TEST_F(DataCompareTest, AStaleCancelFromAnEarlierRunIsCleared) {
  context_.cancel_requested = true;
  const DataCompareResult result = Run(Request("Empty", true, false));
  EXPECT_EQ(result.status, DataCompareStatus::kIdentical);
}

TEST_F(DataCompareTest, TheProgressDialogClosesBeforeTheOutcomeAndTheWindow) {
  // Every way a run ends closes the dialog once, after its last state and before the run
  // shows anything.
  std::vector<std::size_t> messages_at_unload;
  std::size_t windows_at_unload = 99;
  status_.on_unload = [&] {
    messages_at_unload.push_back(ui_.messages.size());
    windows_at_unload = shown_windows_.size();
  };
  const DataCompareResult different = Run(Request("Items", false, true));
  EXPECT_EQ(different.status, DataCompareStatus::kDifferent);
  ASSERT_EQ(status_.unloaded_after.size(), 1u);
  EXPECT_EQ(status_.unloaded_after[0], status_.shown.size());
  EXPECT_EQ(windows_at_unload, 0u);
  EXPECT_EQ(shown_windows_.size(), 1u);

  const DataCompareResult same = Run(Request("Empty", false, true));
  EXPECT_EQ(same.status, DataCompareStatus::kIdentical);
  ui_.stop_at_pump = ui_.pumps + 1;  // Stop while the Source is counted
  const DataCompareResult cancelled = Run(Request("Items", false, true));
  EXPECT_EQ(cancelled.status, DataCompareStatus::kCancelled);
  EXPECT_EQ(status_.unloaded_after.size(), 3u);
  ASSERT_EQ(messages_at_unload.size(), 3u);
  EXPECT_EQ(messages_at_unload[1], 0u);  // before "Data stored in both tables is identical."
  EXPECT_EQ(messages_at_unload[2], 1u);  // before "Operation cancelled by the user."
  EXPECT_EQ(ui_.messages.size(), 2u);
}

}  // namespace
}  // namespace korvane

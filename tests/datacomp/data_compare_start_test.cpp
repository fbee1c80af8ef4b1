// The start of an interactive data comparison: the main window command's checks, the columns
// the options dialog lists, and the run start choosing its options from the dialog or from the
// stored settings.
#include "datacomp/data_compare_start.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/application_context.h"
#include "app/settings.h"
#include "base/clock.h"
#include "datacomp/table_comp_settings.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

// --- The command's checks ---------------------------------------------------------------------

struct ConfirmCase {
  const char* name;
  const char* source;
  const char* target;
  bool tables;
  Answer answer;
  bool goes_on;
  const char* shown;  // the message or question, empty when none
  const char* title;
};

TEST(ConfirmCompareDataTest, RefusalsAndTheDifferentStructuresQuestion) {
  const std::string empty_message = "Cannot compare - the list of objects is empty.";
  const std::string tables_only =
      "This functionality is enabled only when Tables are selected as active objects.\r\n\r\n"
      "To set Tables as active objects set focus to Objects Type combo box (using mouse or by "
      "pressing key F6) and select first item from the list.";
  const std::string question =
      "Compared tables have different structures.\r\n\r\nDo you still want to compare them?";
  const ConfirmCase cases[] = {
      {"both empty", "  ", "", true, Answer::kYes, false, empty_message.c_str(), "Cannot Compare"},
      {"empty before type", "", "", false, Answer::kYes, false, empty_message.c_str(),
       "Cannot Compare"},
      {"views", "[a] int", "[a] int", false, Answer::kYes, false, tables_only.c_str(), "Korvane"},
      {"same after trimming", " [a] int ", "[a] int", true, Answer::kYes, true, "", ""},
      {"different, yes", "[a] int", "[a] bigint", true, Answer::kYes, true, question.c_str(),
       "Different Structures"},
      {"different, no", "[a] int", "[a] bigint", true, Answer::kNo, false, question.c_str(),
       "Different Structures"},
      {"one side empty", "[a] int", "", true, Answer::kNo, false, question.c_str(),
       "Different Structures"},
  };
  for (const ConfirmCase& c : cases) {
    testing::RecordingUserInterface ui;
    ui.answers.push_back(c.answer);
    EXPECT_EQ(ConfirmCompareData(c.source, c.target, c.tables, ui), c.goes_on) << c.name;
    if (std::string(c.shown).empty()) {
      EXPECT_TRUE(ui.messages.empty()) << c.name;
      continue;
    }
    ASSERT_EQ(ui.messages.size(), 1u) << c.name;
    EXPECT_EQ(ui.messages[0].text, c.shown) << c.name;
    EXPECT_EQ(ui.messages[0].title, c.title) << c.name;
    const bool is_question = std::string(c.title) == "Different Structures";
    EXPECT_EQ(ui.messages[0].is_question, is_question) << c.name;
    EXPECT_EQ(ui.messages[0].icon, is_question ? MessageIcon::kQuestion : MessageIcon::kInformation)
        << c.name;
  }
}

// --- The run start -----------------------------------------------------------------------------

// Items has no key, so each side is read in the order of its rows: the same rows in another
// order differ record by record and are identical by key.
constexpr std::string_view kLive = R"(
CREATE TABLE Items (ID int NOT NULL, Name varchar(20) NULL, Notes text NULL)
GO
INSERT INTO Items (ID, Name) VALUES (1, 'Spade')
INSERT INTO Items (ID, Name) VALUES (2, 'Rake')
GO
)";
constexpr std::string_view kDev = R"(
CREATE TABLE Items (ID int NOT NULL, Name varchar(20) NULL, Notes text NULL)
GO
INSERT INTO Items (ID, Name) VALUES (2, 'Rake')
INSERT INTO Items (ID, Name) VALUES (1, 'Spade')
GO
)";

class CountingStatus final : public CompareStatus {
 public:
  explicit CountingStatus(const Clock& clock) : CompareStatus(clock) {}
  int changes = 0;

 protected:
  void Changed() override { ++changes; }
};

class StartDataCompareTest : public ::testing::Test {
 protected:
  StartDataCompareTest()
      : context_(ComputeLocations(folder_ / "bin", folder_ / "p", Environment{}), ui_, clock_) {
    std::filesystem::create_directories(context_.locations.writable_folder);
    context_.backends.embedded = std::make_shared<EmbeddedBackend>(folder_ / "servers");
    const std::string server = "embedded:" + (folder_ / "srv").string();
    std::string error;
    EXPECT_TRUE(CreateEmbeddedServer(folder_ / "servers", server, "9.00.5000.00", &error)) << error;
    EXPECT_TRUE(LoadScript(folder_ / "servers", server, "Live", kLive).ok);
    EXPECT_TRUE(LoadScript(folder_ / "servers", server, "Dev", kDev).ok);
    for (ServerRecord& side : context_.CurrentServers) {
      side.Name = server;
      side.Version = "9.00.5000.00";
      side.NumVersion = 9;
    }
  }

  std::optional<DataCompareResult> Start(bool& requested,
                                         std::optional<DataCompareOptions> chosen) {
    return StartDataCompare(
        context_, tables_, false, true, requested,
        [&](const std::array<DataCompareTable, 2>& tables, const std::array<std::string, 2>& keys) {
          ++dialogs_;
          EXPECT_EQ(tables[1].database, "Dev");
          EXPECT_EQ(keys[0], context_.CurrentServers[0].Name + ".Live.Items");
          EXPECT_EQ(keys[1], context_.CurrentServers[1].Name + ".Dev.Items");
          return chosen;
        },
        status_,
        [this](const DataDifferencesWindow& window, const DataCompareOptions& options) {
          shown_.push_back({window.grid.RowCount(), options.CompMethod});
        });
  }

  testing::ScratchFolder folder_;
  testing::RecordingUserInterface ui_;
  ManualClock clock_;
  ApplicationContext context_;
  CountingStatus status_{clock_};
  std::array<DataCompareTable, 2> tables_ = {DataCompareTable{"Live", "Items", 0},
                                             DataCompareTable{"Dev", "Items", 0}};
  int dialogs_ = 0;
  // Each differences window shown: its rows and the method of the run.
  std::vector<std::pair<std::size_t, std::int32_t>> shown_;
};

TEST_F(StartDataCompareTest, OptionsColumnsListEveryColumnWithItsType) {
  const std::vector<OptionsColumn> columns = OptionsColumnsOfTable(context_, kTarget, tables_[1]);
  ASSERT_EQ(columns.size(), 3u);
  EXPECT_EQ(columns[0].name, "ID");
  EXPECT_EQ(columns[0].data_type, "int");
  EXPECT_EQ(columns[1].name, "Name");
  EXPECT_EQ(columns[1].data_type, "varchar (20)");
  EXPECT_EQ(columns[2].data_type, "text");
}

TEST_F(StartDataCompareTest, TheDialogsOptionsAreUsedAndItsCancelEndsSilently) {
  // "ShowDataCompOpt" is on by default. Record by record the rows are in another order.
  bool requested = false;
  DataCompareOptions by_key;
  by_key.CompMethod = kCompMethodPrimaryKey;
  by_key.sides[0].key_columns = {"ID", "No Field", "No Field"};
  by_key.sides[1].key_columns = {"ID", "No Field", "No Field"};
  std::optional<DataCompareResult> result = Start(requested, by_key);
  EXPECT_EQ(dialogs_, 1);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->status, DataCompareStatus::kIdentical);

  result = Start(requested, std::nullopt);
  EXPECT_EQ(dialogs_, 2);
  EXPECT_FALSE(result.has_value());
  const int changes = status_.changes;
  EXPECT_EQ(ui_.messages.size(), 1u);  // the identical outcome only: Cancel shows nothing
  EXPECT_EQ(status_.changes, changes);
}

TEST_F(StartDataCompareTest, WithoutTheDialogTheStoredSettingsAreUsedAndTheRequestIsCleared) {
  WriteBoolean(context_.settings_store, Setting::kShowDataCompOpt, false);
  bool requested = false;
  std::optional<DataCompareResult> result = Start(requested, std::nullopt);
  EXPECT_EQ(dialogs_, 0);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->status, DataCompareStatus::kDifferent);  // record by record, stored default
  EXPECT_EQ(result->different_records, 2);
  ASSERT_EQ(shown_.size(), 1u);  // interactive: the window with the stored method
  EXPECT_EQ(shown_[0], (std::pair<std::size_t, std::int32_t>{4, kCompMethodRecordByRecord}));

  // A request shows the dialog once.
  requested = true;
  result = Start(requested, std::nullopt);
  EXPECT_EQ(dialogs_, 1);
  EXPECT_FALSE(requested);
  EXPECT_FALSE(result.has_value());

  // Stored key settings are read without the dialog.
  TableCompSettings stored;
  stored.CompMethod = kCompMethodPrimaryKey;
  stored.side.key_columns = {"ID", "No Field", "No Field"};
  ASSERT_TRUE(WriteTableCompSettings(context_.locations.tables_comps_ini,
                                     context_.CurrentServers[0].Name + ".Live.Items", stored,
                                     true));
  ASSERT_TRUE(WriteTableCompSettings(context_.locations.tables_comps_ini,
                                     context_.CurrentServers[1].Name + ".Dev.Items", stored,
                                     false));
  result = Start(requested, std::nullopt);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->status, DataCompareStatus::kIdentical);
  EXPECT_EQ(dialogs_, 1);
}

TEST_F(StartDataCompareTest, TheComparisonToSaveDescribesTheTablePair) {
  tables_[0].object_id = 17;
  tables_[1].object_id = 23;
  const SavedProcess process = SingleTableComparison(context_, tables_, kCompMethodPrimaryKey);
  EXPECT_EQ(process.comp_type, 0);
  EXPECT_EQ(process.comp_sub_type, 40);
  EXPECT_EQ(process.comp_sub_sub_type, 0);
  EXPECT_EQ(process.enc_obj_types, "");
  EXPECT_EQ(process.comp_method, 1);
  EXPECT_EQ(process.server_name1, context_.CurrentServers[0].Name);
  EXPECT_EQ(process.db_name1, "Live");
  EXPECT_EQ(process.db_name2, "Dev");
  EXPECT_EQ(process.table_name1, "Items");
  EXPECT_EQ(process.table_name2, "Items");
  EXPECT_EQ(process.obj_id1, 17);
  EXPECT_EQ(process.obj_id2, 23);
  EXPECT_TRUE(process.export_file_path.empty());
}

}  // namespace
}  // namespace korvane

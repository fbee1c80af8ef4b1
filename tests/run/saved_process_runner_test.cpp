// The re-run of saved comparison processes against a recording main window: every refusal with
// its exact text and icon, the dispatch on type and sub type, and the window state each step
// leaves behind.
#include "run/saved_process_runner.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/application_context.h"
#include "base/clock.h"
#include "run/saved_process_host.h"
#include "saved/saved_comparison_store.h"
#include "saved/saved_process.h"
#include "saved/saved_process_samples.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::RecordedMessage;
using testing::RecordingUserInterface;
using testing::ScratchFolder;
using testing::WriteFile;
using Log = std::vector<std::string>;

// A main window that lists fixed servers, databases and objects and records every call with the
// busy flag it saw ("*" marks a call made while the flag was set).
class RecordingHost final : public SavedProcessHost {
 public:
  bool IsBusy() const override { return busy; }
  void SetBusy(bool value) override { busy = value; }
  void SetBusyCursor(bool value) override { Record(value ? "cursor busy" : "cursor normal"); }
  void SetRunState(const SavedProcessRunState& state) override {
    run_states.push_back(state);
    Record(state.running_saved_process ? "run state set" : "run state cleared");
  }
  std::string PickProcess() override {
    Record("pick");
    return picked;
  }
  bool SelectServer(int side, std::string_view name) override {
    Record("server " + std::to_string(side) + " " + std::string(name));
    return Listed(servers, name);
  }
  void InitializeDisplay(bool load_mru_db) override {
    Record(std::string("initialize ") + (load_mru_db ? "mru" : "no-mru"));
  }
  bool SelectDatabase(int side, std::string_view name) override {
    Record("database " + std::to_string(side) + " " + std::string(name));
    return Listed(databases[side], name);
  }
  ObjectType CurrentObjectType() const override { return type; }
  void SelectObjectType(ObjectType new_type) override {
    Record("type " + ObjectTypeName(new_type, false));
    type = new_type;
  }
  bool SelectObject(int side, std::string_view name) override {
    Record("object " + std::to_string(side) + " " + std::string(name));
    if (!Listed(objects[side], name))
      return false;
    selected[side] = std::string(name);
    return true;
  }
  std::int32_t SelectedObjectId(int side) const override {
    const auto found = selected.find(side);
    if (found == selected.end())
      return 0;
    const auto id = ids.find(found->second);
    return id == ids.end() ? 0 : id->second;
  }
  void CompareAllObjects(const SavedProcess& process) override {
    Record("compare all " + process.enc_obj_types);
    // A command that runs under the window's flag and clears it when done.
    if (commands_clear_busy)
      busy = false;
  }
  void CompareObjectsOfType(int type_index, bool details, bool selective,
                            const SavedProcess& process) override {
    Record("compare type " + std::to_string(type_index) + (details ? " details" : " simple") +
           (selective ? " selective " + std::to_string(process.source_selection.size()) + "/" +
                            std::to_string(process.target_selection.size())
                      : ""));
  }
  void CompareSelectedObjects() override { Record("compare selected objects"); }
  void CompareTablePair(const SavedProcess& process) override {
    Record("data pair " + process.table_name1 + " " + process.table_name2 + " ids " +
           std::to_string(process.obj_id1) + " " + std::to_string(process.obj_id2));
  }
  void CompareSelectedTables(const SavedProcess&) override { Record("data selected tables"); }
  void CompareAllTables(const SavedProcess&) override { Record("data all tables"); }

  static bool Listed(const std::vector<std::string>& names, std::string_view name) {
    for (const std::string& listed : names) {
      if (listed == name)
        return true;
    }
    return false;
  }
  void Record(std::string call) { log.push_back((busy ? "*" : "") + call); }

  bool busy = false;
  bool commands_clear_busy = false;
  std::string picked;
  ObjectType type = ObjectType::kTables;
  std::vector<std::string> servers = {"DEV01", "PROD01"};
  std::map<int, std::vector<std::string>> databases = {{kSource, {"Sales"}},
                                                       {kTarget, {"Sales", "SalesCopy"}}};
  std::map<int, std::vector<std::string>> objects;
  std::map<int, std::string> selected;      // the object selected on each side
  std::map<std::string, std::int32_t> ids;  // the catalogue id of each listed object
  std::vector<SavedProcessRunState> run_states;
  Log log;
};

class SavedProcessRunnerTest : public ::testing::Test {
 protected:
  SavedProcessRunnerTest()
      : context_(ComputeLocations(folder_ / "bin", folder_ / "p", Environment{}), ui_, clock_),
        store_(context_.locations, ui_) {}

  // Saves the process and returns its Id.
  std::int32_t Save(const SavedProcess& process) {
    EXPECT_TRUE(store_.SaveProcess(process));
    return store_.ProcessId(process.name);
  }

  // A structure process of one sub type on the listed servers and databases.
  static SavedProcess Structure(std::int32_t sub_type, std::int32_t sub_sub_type,
                                std::string types) {
    SavedProcess process = testing::SelectiveProcedures("Run " + std::to_string(sub_type));
    process.comp_sub_type = sub_type;
    process.comp_sub_sub_type = sub_sub_type;
    process.enc_obj_types = std::move(types);
    if (sub_type != 30) {
      process.sel_comp_count_source = 0;
      process.sel_comp_count_target = 0;
      process.source_selection.clear();
      process.target_selection.clear();
    }
    return process;
  }

  SavedProcessRunOutcome Run(std::int32_t id) {
    ui_.messages.clear();
    host_.log.clear();
    return RunSavedProcess(context_, host_, id);
  }

  // The one message of the run, which must be a refusal with the exclamation icon.
  void ExpectRefusal(const std::string& text) {
    ASSERT_EQ(ui_.messages.size(), 1u) << host_.log.back();
    EXPECT_EQ(ui_.messages[0].text, text);
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
    EXPECT_EQ(ui_.messages[0].title, kApplicationTitle);
    EXPECT_FALSE(host_.busy);
    EXPECT_TRUE(host_.log.back().ends_with("cursor normal"));
  }

  // The calls that prepare the window for the stored DEV01.Sales and PROD01.Sales.
  static Log Prepared() {
    return {"*cursor busy",       "server 0 DEV01",    "server 1 PROD01",
            "*initialize no-mru", "*database 0 Sales", "*database 1 Sales"};
  }
  static Log With(Log log, const Log& more) {
    log.insert(log.end(), more.begin(), more.end());
    return log;
  }

  ScratchFolder folder_;
  RecordingUserInterface ui_;
  ManualClock clock_;
  ApplicationContext context_;
  SavedComparisonStore store_;
  RecordingHost host_;
};

TEST_F(SavedProcessRunnerTest, EmptyStoreIsANoticeAndNothingElse) {
  EXPECT_EQ(Run(3), SavedProcessRunOutcome::kNotRun);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "There are no saved processes to run.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
  EXPECT_TRUE(host_.log.empty());
  EXPECT_FALSE(host_.busy);
}

TEST_F(SavedProcessRunnerTest, UnknownIdAndCancelledPickEndSilently) {
  Save(Structure(10, 0, "1,1,1,1,1,1,0"));
  EXPECT_EQ(Run(42), SavedProcessRunOutcome::kNotRun);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(host_.log, (Log{"*cursor busy", "*cursor normal"}));
  EXPECT_FALSE(host_.busy);

  // Id 0 (the menu) lets the user pick; a cancelled dialog runs nothing.
  EXPECT_EQ(Run(0), SavedProcessRunOutcome::kNotRun);
  EXPECT_EQ(host_.log, (Log{"*pick", "*cursor busy", "*cursor normal"}));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SavedProcessRunnerTest, PickedProcessRunsByName) {
  Save(Structure(20, 10, "0,1,0,0,0,0,0"));
  host_.picked = "Run 20";
  EXPECT_EQ(Run(-1), SavedProcessRunOutcome::kStarted);
  EXPECT_EQ(host_.log.front(), "*pick");
  EXPECT_EQ(host_.log.at(host_.log.size() - 3), "*compare type 1 simple");
}

TEST_F(SavedProcessRunnerTest, MissingDetailsAreRefusedBeforeTheWindowChanges) {
  for (int missing = 0; missing < 4; ++missing) {
    SavedProcess process = Structure(10, 0, "1,0,0,0,0,0,0");
    process.name = "Missing " + std::to_string(missing);
    std::string* fields[] = {&process.server_name1, &process.db_name1, &process.server_name2,
                             &process.db_name2};
    fields[missing]->clear();
    const std::int32_t id = Save(process);
    EXPECT_EQ(Run(id), SavedProcessRunOutcome::kRefused);
    ExpectRefusal("Cannot run saved process - couldn't retrieve all details data.");
    EXPECT_EQ(host_.log, (Log{"*cursor busy", "*cursor normal"}));
  }
}

TEST_F(SavedProcessRunnerTest, PickedProcessWithoutIdIsRefused) {
  // Written by hand without an Id: only the run dialog can name it.
  WriteFile(context_.locations.comps_ini,
            "[Old]\r\nName=Old\r\nCompType=1\r\nCompSubType=10\r\nEncObjTypes=1,0,0,0,0,0\r\n"
            "ServerName1=DEV01\r\nServerName2=PROD01\r\nDbName1=Sales\r\nDbName2=Sales\r\n");
  host_.picked = "Old";
  EXPECT_EQ(Run(0), SavedProcessRunOutcome::kRefused);
  ExpectRefusal("Cannot run saved process - couldn't retrieve Id of the process.");
}

TEST_F(SavedProcessRunnerTest, ServersAreMatchedExactly) {
  SavedProcess process = Structure(10, 0, "1,0,0,0,0,0,0");
  process.server_name1 = "dev01";  // listed as DEV01
  std::int32_t id = Save(process);
  EXPECT_EQ(Run(id), SavedProcessRunOutcome::kRefused);
  ExpectRefusal("Cannot run saved process - path dev01 not found.");
  // The busy flag is clear while a server is chosen, as when the user picks it.
  EXPECT_EQ(host_.log, (Log{"*cursor busy", "server 0 dev01", "cursor normal"}));

  process.server_name1 = "DEV01";
  process.server_name2 = "PROD02";
  id = Save(process);
  EXPECT_EQ(Run(id), SavedProcessRunOutcome::kRefused);
  ExpectRefusal("Cannot run saved process - server PROD02 not found.");
}

TEST_F(SavedProcessRunnerTest, DroppedSourceDatabaseIsNamedEvenWhenTheTargetIsMissingToo) {
  SavedProcess process = Structure(10, 0, "1,0,0,0,0,0,0");
  process.db_name1 = "Archive";
  process.db_name2 = "Gone";
  EXPECT_EQ(Run(Save(process)), SavedProcessRunOutcome::kRefused);
  ExpectRefusal("Cannot run saved process - SQL Server database Archive not found.");
  EXPECT_EQ(host_.log, (Log{"*cursor busy", "server 0 DEV01", "server 1 PROD01",
                            "*initialize no-mru", "*database 0 Archive", "*cursor normal"}));

  process.db_name1 = "Sales";
  EXPECT_EQ(Run(Save(process)), SavedProcessRunOutcome::kRefused);
  ExpectRefusal("Cannot run saved process - SQL Server database Gone not found.");
}

TEST_F(SavedProcessRunnerTest, UnknownComparisonTypeIsRefused) {
  SavedProcess process = Structure(10, 0, "1,0,0,0,0,0,0");
  process.comp_type = 2;
  EXPECT_EQ(Run(Save(process)), SavedProcessRunOutcome::kRefused);
  ExpectRefusal("Cannot run saved process - comparison type not defined.");
  EXPECT_TRUE(host_.run_states.empty());
}

TEST_F(SavedProcessRunnerTest, CompareAllRunsWithTheStoredTypesAndRunState) {
  SavedProcess process = Structure(10, 0, "1,0,1,0,0,0,0");
  process.export_file_path = "/reports/all.txt";
  process.print = true;
  EXPECT_EQ(Run(Save(process)), SavedProcessRunOutcome::kStarted);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(host_.log, With(Prepared(), {"*run state set", "*compare all 1,0,1,0,0,0,0",
                                         "*run state cleared", "*cursor normal"}));
  ASSERT_EQ(host_.run_states.size(), 2u);
  SavedProcessRunState expected;
  expected.running_saved_process = true;
  expected.sub_type = 10;
  expected.sub_sub_type = 0;
  expected.object_types = "1,0,1,0,0,0,0";
  expected.export_path = "/reports/all.txt";
  expected.print = true;
  EXPECT_EQ(host_.run_states[0], expected);
  EXPECT_EQ(host_.run_states[1], SavedProcessRunState{});
  EXPECT_FALSE(host_.busy);
}

TEST_F(SavedProcessRunnerTest, OneTypeRunsTakeTheirModeFromTheSubSubType) {
  const struct {
    std::int32_t sub_type;
    std::int32_t sub_sub_type;
    std::string types;
    std::string call;
  } cases[] = {
      {20, 10, "1,0,0,0,0,0,0", "*compare type 0 simple"},
      {20, 20, "0,0,0,1,0,0,0", "*compare type 3 details"},
      // A Selective code under the bulk sub type is not Details.
      {20, 40, "0,1,0,0,0,0,0", "*compare type 1 simple"},
      {30, 30, "0,1,0,0,0,0,0", "*compare type 1 simple selective 2/1"},
      {30, 40, "0,0,0,0,0,0,1", "*compare type 6 details selective 2/1"},
      // Several types, or six flags of an old file, give index -1: the command refuses it.
      {20, 10, "1,1,0,0,0,0,0", "*compare type -1 simple"},
      {30, 30, "0,1,0,0,0,0", "*compare type -1 simple selective 2/1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.types);
    const std::int32_t id = Save(Structure(c.sub_type, c.sub_sub_type, c.types));
    EXPECT_EQ(Run(id), SavedProcessRunOutcome::kStarted);
    EXPECT_EQ(host_.log,
              With(Prepared(), {"*run state set", c.call, "*run state cleared", "*cursor normal"}));
  }
}

TEST_F(SavedProcessRunnerTest, SelectiveRunUsesStoredSelectionsEvenWhenCountsDisagree) {
  SavedProcess process = Structure(30, 40, "0,1,0,0,0,0,0");
  process.sel_comp_count_target = 3;  // the file holds one name
  const std::int32_t id = Save(process);
  EXPECT_EQ(Run(id), SavedProcessRunOutcome::kStarted);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].title, kInconsistentDataTitle);
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
  EXPECT_NE(ui_.messages[0].text.find("Target objects count: 3\r\n\r\nTarget objects in file: 1"),
            std::string::npos);
  // No list dialog: the stored names go straight to the command.
  EXPECT_EQ(host_.log, With(Prepared(), {"*run state set", "*compare type 1 details selective 2/1",
                                         "*run state cleared", "*cursor normal"}));
}

TEST_F(SavedProcessRunnerTest, UnknownStructureSubTypeIsRefusedWithRunStateCleared) {
  EXPECT_EQ(Run(Save(Structure(25, 0, "1,0,0,0,0,0,0"))), SavedProcessRunOutcome::kRefused);
  ExpectRefusal("Comparison sub type not defined - aborting comparison.");
  EXPECT_EQ(host_.run_states.back(), SavedProcessRunState{});
}

TEST_F(SavedProcessRunnerTest, IndividualRunSelectsTypeAndBothObjects) {
  SavedProcess process = Structure(35, 0, "0,1,0,0,0,0,0");
  process.table_name1 = "dbo.usp_Get";
  process.table_name2 = "sales.usp_Get";
  host_.objects[kSource] = {"dbo.usp_Get"};
  host_.objects[kTarget] = {"sales.usp_Get"};
  EXPECT_EQ(Run(Save(process)), SavedProcessRunOutcome::kStarted);
  EXPECT_TRUE(ui_.messages.empty());
  // The type changes with the busy flag clear (the lists reload); the objects are selected with
  // it set (the Source does not pick a Target by itself).
  EXPECT_EQ(host_.log,
            With(Prepared(), {"*run state set", "type procedures", "*object 0 dbo.usp_Get",
                              "*object 1 sales.usp_Get", "*compare selected objects",
                              "*run state cleared", "*cursor normal"}));
  EXPECT_EQ(host_.type, ObjectType::kProcedures);

  // Already on the type: no change of type.
  EXPECT_EQ(Run(Save(process)), SavedProcessRunOutcome::kStarted);
  EXPECT_EQ(host_.log.at(Prepared().size() + 1), "*object 0 dbo.usp_Get");
}

TEST_F(SavedProcessRunnerTest, IndividualRunRefusesMissingObjectsAndBadTypes) {
  SavedProcess process = Structure(35, 0, "1,0,0,0,0,0,0");
  process.table_name1 = "Orders";
  process.table_name2 = "orders";
  host_.objects[kSource] = {"Orders"};
  host_.objects[kTarget] = {"Orders"};
  EXPECT_EQ(Run(Save(process)), SavedProcessRunOutcome::kRefused);
  ExpectRefusal("Cannot run saved process - object orders not found.");

  process.table_name1 = "Customers";
  EXPECT_EQ(Run(Save(process)), SavedProcessRunOutcome::kRefused);
  ExpectRefusal("Cannot run saved process - object Customers not found.");

  process.enc_obj_types = "1,1,0,0,0,0,0";
  EXPECT_EQ(Run(Save(process)), SavedProcessRunOutcome::kRefused);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            "Wrong index value in Sub mnuComparisonAllObjects_Click, Index = -1");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kNone);
}

TEST_F(SavedProcessRunnerTest, DataRunsDispatchOnTheirSubType) {
  SavedProcess process = testing::SingleTableByKey();
  process.db_name2 = "SalesCopy";
  host_.type = ObjectType::kViews;
  host_.objects[kSource] = {"Orders"};
  host_.objects[kTarget] = {"Orders2"};
  host_.ids = {{"Orders", 1977058079}, {"Orders2", 12}};
  EXPECT_EQ(Run(Save(process)), SavedProcessRunOutcome::kStarted);
  EXPECT_TRUE(ui_.messages.empty());
  // The lists are switched to tables before the stored tables are looked for.
  EXPECT_EQ(host_.log, (Log{"*cursor busy", "server 0 DEV01", "server 1 PROD01",
                            "*initialize no-mru", "*database 0 Sales", "*database 1 SalesCopy",
                            "*run state set", "type tables", "*object 0 Orders",
                            "*object 1 Orders2", "*data pair Orders Orders2 ids 1977058079 12",
                            "*run state cleared", "*cursor normal"}));
  EXPECT_EQ(host_.run_states.front().export_path, "/tmp/orders.csv");
  EXPECT_TRUE(host_.run_states.front().print);

  process.table_name2 = "Orders3";
  EXPECT_EQ(Run(Save(process)), SavedProcessRunOutcome::kRefused);
  ExpectRefusal("Cannot run saved process - table Orders3 not found.");

  process.comp_sub_type = 50;
  EXPECT_EQ(Run(Save(process)), SavedProcessRunOutcome::kStarted);
  EXPECT_EQ(host_.log.at(host_.log.size() - 3), "*data selected tables");
  process.comp_sub_type = 60;
  EXPECT_EQ(Run(Save(process)), SavedProcessRunOutcome::kStarted);
  EXPECT_EQ(host_.log.at(host_.log.size() - 3), "*data all tables");

  process.comp_sub_type = 30;
  EXPECT_EQ(Run(Save(process)), SavedProcessRunOutcome::kRefused);
  ExpectRefusal("Cannot run saved process - comparison sub type not defined.");
}

TEST_F(SavedProcessRunnerTest, StoredTableIdsAreReplacedByTheListedOnes) {
  // A process file whose ids were edited (or outlived their tables) must not decide which
  // tables the comparison queries: the ids come from the rows the stored names selected.
  SavedProcess process = testing::SingleTableByKey();
  process.obj_id1 = 5;
  process.obj_id2 = 0;
  host_.objects[kSource] = {"Orders"};
  host_.objects[kTarget] = {"Orders2"};
  host_.ids = {{"Orders", 301}, {"Orders2", 302}};
  EXPECT_EQ(Run(Save(process)), SavedProcessRunOutcome::kStarted);
  EXPECT_EQ(host_.log.at(host_.log.size() - 3), "*data pair Orders Orders2 ids 301 302");
}

TEST_F(SavedProcessRunnerTest, BusyFlagFoundAtDispatchIsRestored) {
  // The command clears the flag; the run puts back the flag it found before clearing its run
  // state, and clears it itself at its very end.
  host_.commands_clear_busy = true;
  EXPECT_EQ(Run(Save(Structure(10, 0, "1,0,0,0,0,0,0"))), SavedProcessRunOutcome::kStarted);
  EXPECT_EQ(host_.log, With(Prepared(), {"*run state set", "*compare all 1,0,0,0,0,0,0",
                                         "*run state cleared", "*cursor normal"}));
  EXPECT_FALSE(host_.busy);
}

}  // namespace
}  // namespace korvane

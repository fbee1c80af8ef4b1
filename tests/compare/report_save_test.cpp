#include "compare/report_save.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "saved/saved_comparison_store.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::RecordingUserInterface;
using testing::ScratchFolder;

ReportWindowState SelectiveReport() {
  ReportWindowState state;
  state.source_server = "SRV1";
  state.target_server = "SRV2";
  state.source_database = "Sales";
  state.target_database = "Sales2";
  state.comparison_type = 1;
  state.sub_type = 30;
  state.sub_sub_type = 40;
  state.object_types = "0,1,0,0,0,0,0";
  state.comparison_method = -1;
  state.source_count = 2;
  state.target_count = 1;
  state.source_selection = {"GetA", "GetB"};
  state.target_selection = {"GetA"};
  state.object_id_1 = 7;
  state.object_id_2 = 9;
  // What the dialog decides, never taken from the window:
  state.export_path = "/tmp/old.txt";
  state.print = true;
  state.saved_name = "Earlier";
  return state;
}

TEST(SavedProcessOfReportTest, CarriesTheComparisonAndLeavesNameExportAndPrintToTheDialog) {
  const SavedProcess process = SavedProcessOfReport(SelectiveReport());
  EXPECT_EQ(process.comp_type, 1);
  EXPECT_EQ(process.comp_sub_type, 30);
  EXPECT_EQ(process.comp_sub_sub_type, 40);
  EXPECT_EQ(process.enc_obj_types, "0,1,0,0,0,0,0");
  EXPECT_EQ(process.comp_method, -1);
  EXPECT_EQ(process.server_name1, "SRV1");
  EXPECT_EQ(process.server_name2, "SRV2");
  EXPECT_EQ(process.db_name1, "Sales");
  EXPECT_EQ(process.db_name2, "Sales2");
  EXPECT_EQ(process.table_name1, "");
  EXPECT_EQ(process.sel_comp_count_source, 2);
  EXPECT_EQ(process.sel_comp_count_target, 1);
  EXPECT_EQ(process.source_selection, (std::vector<std::string>{"GetA", "GetB"}));
  EXPECT_EQ(process.target_selection, std::vector<std::string>{"GetA"});
  EXPECT_EQ(process.obj_id1, 7);
  EXPECT_EQ(process.obj_id2, 9);
  EXPECT_EQ(process.name, "");
  EXPECT_EQ(process.export_file_path, "");
  EXPECT_FALSE(process.print);
  EXPECT_EQ(process.id, 0);
}

TEST(StoreProcessRecorderTest, WritesExportAndPrintOfAStoredProcessOnly) {
  ScratchFolder folder;
  RecordingUserInterface ui;
  SavedComparisonStore store(folder / "kvn_comps.ini", folder.path(), ui);
  SavedProcess process = SavedProcessOfReport(SelectiveReport());
  process.name = "Nightly";
  ASSERT_TRUE(store.SaveProcess(process));

  StoreProcessRecorder recorder(store);
  EXPECT_TRUE(recorder.SetExport("Nightly", "/tmp/report.txt", 0));
  EXPECT_TRUE(recorder.SetPrint("Nightly", true));
  const SavedProcess stored = store.LoadProcess("Nightly");
  EXPECT_EQ(stored.export_file_path, "/tmp/report.txt");
  EXPECT_EQ(stored.export_type, 0);
  EXPECT_TRUE(stored.print);
  EXPECT_EQ(stored.source_selection, (std::vector<std::string>{"GetA", "GetB"}));

  EXPECT_FALSE(recorder.SetExport("Missing", "/tmp/report.txt", 0));
  EXPECT_FALSE(recorder.SetPrint("Missing", true));
  EXPECT_EQ(store.ProcessNames(), std::vector<std::string>{"Nightly"});
}

}  // namespace
}  // namespace korvane

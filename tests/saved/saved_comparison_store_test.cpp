#include "saved/saved_comparison_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/text.h"
#include "saved/enc_obj_types.h"
#include "saved/ini_file.h"
#include "saved/saved_process_samples.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ReadFile;
using testing::RecordingUserInterface;
using testing::ScratchFolder;
using testing::SelectiveProcedures;
using testing::SingleTableByKey;
using testing::WriteFile;
using Names = std::vector<std::string>;

// The section a save of SelectiveProcedures() writes, with its Id.
std::string SelectiveSection(const std::string& name, int id) {
  return "[" + name + "]\r\n" + "Name=" + name +
         "\r\n"
         "CompType=1\r\n"
         "CompSubType=30\r\n"
         "CompSubSubType=40\r\n"
         "EncObjTypes=0,1,0,0,0,0,0\r\n"
         "CompMethod=-1\r\n"
         "ServerName1=DEV01\r\n"
         "ServerName2=PROD01\r\n"
         "DbName1=Sales\r\n"
         "DbName2=Sales\r\n"
         "TableName1=\r\n"
         "TableName2=\r\n"
         "ExportFilePath=\r\n"
         "ExportType=0\r\n"
         "Id=" +
         std::to_string(id) +
         "\r\n"
         "SelCompCountSource=2\r\n"
         "SelCompCountTarget=1\r\n"
         "Print=False\r\n"
         "ObjId1=0\r\n"
         "ObjId2=0\r\n";
}

class SavedComparisonStoreTest : public ::testing::Test {
 protected:
  // A store file as written by hand: one section per (name, Id text); an empty Id text leaves
  // the key out.
  void WriteStore(const std::vector<std::pair<std::string, std::string>>& sections) {
    std::string text;
    for (const auto& [name, id] : sections) {
      text += "[" + name + "]\r\nName=" + name + "\r\n";
      if (!id.empty())
        text += "Id=" + id + "\r\n";
    }
    WriteFile(ini_, text);
  }

  std::string Key(std::string_view section, std::string_view key) {
    cInifile ini;
    ini.SetPath(ini_);
    ini.SetSection(section);
    ini.SetKey(key);
    return ini.Value();
  }

  std::filesystem::path Selection(int id, SelectionSide side) {
    return SelectionFilePath(folder_.path(), id, side);
  }

  ScratchFolder folder_;
  std::filesystem::path ini_ = folder_ / "kvn_comps.ini";
  RecordingUserInterface ui_;
  SavedComparisonStore store_{ini_, folder_.path(), ui_};
};

// --- Saving ------------------------------------------------------------------------------

TEST_F(SavedComparisonStoreTest, SavingToAnEmptyStoreWritesTheTwentyKeysInOrderWithId1) {
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures()));
  EXPECT_EQ(ReadFile(ini_), SelectiveSection("Nightly check", 1));
  EXPECT_EQ(ReadFile(Selection(1, SelectionSide::kSource)),
            "[dbo].[usp_GetOrders]\r\n[dbo].[usp_PutOrder]\r\n");
  EXPECT_EQ(ReadFile(Selection(1, SelectionSide::kTarget)), "[dbo].[usp_GetOrders]\r\n");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SavedComparisonStoreTest, DataComparisonKeysAreWrittenAsTheirTexts) {
  ASSERT_TRUE(store_.SaveProcess(SingleTableByKey()));
  EXPECT_EQ(ReadFile(ini_),
            "[Orders data]\r\n"
            "Name=Orders data\r\n"
            "CompType=0\r\n"
            "CompSubType=40\r\n"
            "CompSubSubType=0\r\n"
            "EncObjTypes=\r\n"
            "CompMethod=1\r\n"
            "ServerName1=DEV01\r\n"
            "ServerName2=PROD01\r\n"
            "DbName1=Sales\r\n"
            "DbName2=SalesCopy\r\n"
            "TableName1=Orders\r\n"
            "TableName2=Orders2\r\n"
            "ExportFilePath=/tmp/orders.csv\r\n"
            "ExportType=2\r\n"
            "Id=1\r\n"
            "SelCompCountSource=0\r\n"
            "SelCompCountTarget=0\r\n"
            "Print=True\r\n"
            "ObjId1=1977058079\r\n"
            "ObjId2=12\r\n");
  // No selection, no selection files.
  EXPECT_FALSE(std::filesystem::exists(Selection(1, SelectionSide::kSource)));
  EXPECT_FALSE(std::filesystem::exists(Selection(1, SelectionSide::kTarget)));
}

TEST_F(SavedComparisonStoreTest, NewProcessesFollowInFileOrderWithRisingIds) {
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures("First")));
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures("Second")));
  EXPECT_EQ(ReadFile(ini_), SelectiveSection("First", 1) + SelectiveSection("Second", 2));
  EXPECT_EQ(store_.ProcessNames(), (Names{"First", "Second"}));
  EXPECT_EQ(store_.ProcessCount(), 2);
  EXPECT_EQ(store_.ProcessId("Second"), 2);
  EXPECT_EQ(store_.ProcessName(2), "Second");
}

TEST_F(SavedComparisonStoreTest, IdsFillTheSmallestGap) {
  WriteStore({{"a", "1"}, {"b", "2"}, {"d", "4"}});
  ASSERT_TRUE(store_.SaveProcess(SingleTableByKey("c")));
  EXPECT_EQ(store_.ProcessId("c"), 3);
  ASSERT_TRUE(store_.SaveProcess(SingleTableByKey("e")));
  EXPECT_EQ(store_.ProcessId("e"), 5);
}

TEST_F(SavedComparisonStoreTest, IdsAreReadAsNumbersAndMissingIdsCountAsZero) {
  WriteStore({{"no id", ""}, {"text", "2abc"}, {"spaced", " 1"}, {"junk", "x"}, {"neg", "-3"}});
  ASSERT_TRUE(store_.SaveProcess(SingleTableByKey("new")));
  EXPECT_EQ(store_.ProcessId("new"), 3);
  EXPECT_EQ(store_.ProcessId("text"), 2);
  EXPECT_EQ(store_.ProcessId("no id"), 0);
}

TEST_F(SavedComparisonStoreTest, EnumerationIsNeverCutShort) {
  // Names far beyond any read buffer: the last process is still listed, so its Id is never
  // given out again and its selection files are never overwritten.
  std::vector<std::pair<std::string, std::string>> sections;
  Names names;
  for (int i = 1; i <= 500; ++i) {
    names.push_back("Nightly comparison of the production and staging servers, run " +
                    std::to_string(i));
    sections.push_back({names.back(), std::to_string(i)});
  }
  WriteStore(sections);
  WriteFile(Selection(500, SelectionSide::kSource), "[dbo].[Last]\r\n");
  EXPECT_EQ(store_.ProcessNames(), names);
  EXPECT_EQ(store_.ProcessCount(), 500);
  EXPECT_EQ(store_.ProcessName(500), names.back());
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures("new")));
  EXPECT_EQ(store_.ProcessId("new"), 501);
  EXPECT_EQ(ReadFile(Selection(500, SelectionSide::kSource)), "[dbo].[Last]\r\n");
}

TEST_F(SavedComparisonStoreTest, DeletedIdsAreGivenOutAgainWithFreshSelectionFiles) {
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures("one")));
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures("two")));
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures("three")));
  ASSERT_TRUE(store_.DeleteProcess("one"));
  ASSERT_TRUE(store_.DeleteProcess("two"));
  // A stray file of the freed Id must not become part of the next process.
  WriteFile(Selection(1, SelectionSide::kTarget), "stale\r\n");
  SavedProcess source_only = SelectiveProcedures("four");
  source_only.sel_comp_count_target = 0;
  ASSERT_TRUE(store_.SaveProcess(source_only));
  EXPECT_EQ(store_.ProcessId("four"), 1);
  EXPECT_FALSE(std::filesystem::exists(Selection(1, SelectionSide::kTarget)));
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures("five")));
  EXPECT_EQ(store_.ProcessId("five"), 2);
  EXPECT_EQ(store_.ProcessNames(), (Names{"three", "four", "five"}));
}

TEST_F(SavedComparisonStoreTest, OverwritingKeepsTheIdOfTheProcess) {
  // Scripted runs name a process by its Id: saving it again must not move it.
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures("A")));
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures("B")));
  SavedProcess changed = SelectiveProcedures("A");
  changed.db_name2 = "SalesArchive";
  changed.source_selection = {"[dbo].[Only]"};
  changed.sel_comp_count_source = 1;
  changed.sel_comp_count_target = 0;
  ASSERT_TRUE(store_.SaveProcess(changed));

  std::string expected_a = SelectiveSection("A", 1);
  expected_a = ReplaceAll(expected_a, "DbName2=Sales\r\n", "DbName2=SalesArchive\r\n");
  expected_a = ReplaceAll(expected_a, "SelCompCountSource=2", "SelCompCountSource=1");
  expected_a = ReplaceAll(expected_a, "SelCompCountTarget=1", "SelCompCountTarget=0");
  EXPECT_EQ(ReadFile(ini_), expected_a + SelectiveSection("B", 2));
  EXPECT_EQ(store_.ProcessName(1), "A");
  // The Id's selection files are the new ones; no file of a third Id appears.
  EXPECT_EQ(ReadFile(Selection(1, SelectionSide::kSource)), "[dbo].[Only]\r\n");
  EXPECT_FALSE(std::filesystem::exists(Selection(1, SelectionSide::kTarget)));
  EXPECT_FALSE(std::filesystem::exists(Selection(3, SelectionSide::kSource)));
  const SavedProcess loaded = store_.LoadProcess("A");
  EXPECT_EQ(loaded.id, 1);
  EXPECT_EQ(loaded.source_selection, (Names{"[dbo].[Only]"}));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SavedComparisonStoreTest, OverwritingAProcessWithoutIdGivesItTheSmallestFreeId) {
  WriteStore({{"a", "1"}, {"no id", ""}, {"c", "3"}});
  ASSERT_TRUE(store_.SaveProcess(SingleTableByKey("no id")));
  EXPECT_EQ(store_.ProcessId("no id"), 2);
  ASSERT_TRUE(store_.SaveProcess(SingleTableByKey("c")));
  EXPECT_EQ(store_.ProcessId("c"), 3);
  EXPECT_EQ(store_.ProcessNames(), (Names{"a", "no id", "c"}));
}

TEST_F(SavedComparisonStoreTest, ANameDifferingOnlyInCaseWritesIntoTheExistingSection) {
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures("Nightly")));
  ASSERT_TRUE(store_.SaveProcess(SingleTableByKey("NIGHTLY")));
  EXPECT_EQ(store_.ProcessNames(), (Names{"Nightly"}));
  EXPECT_EQ(Key("nightly", "Name"), "NIGHTLY");
  EXPECT_EQ(Key("nightly", "CompType"), "0");
  EXPECT_EQ(store_.ProcessId("Nightly"), 1);
  EXPECT_EQ(store_.FindProcessName("nIGHTLY"), "Nightly");
  EXPECT_EQ(store_.FindProcessName("\tnightly "), "Nightly");
  EXPECT_EQ(store_.FindProcessName("Daily"), std::nullopt);
}

TEST_F(SavedComparisonStoreTest, NamesAndValuesWithSpecialCharactersReadBackUnchanged) {
  const Names names = {"a;b", "[bracket", "key=value", "\"quoted\"", "'single'", "Ünïcode ✓"};
  for (const std::string& name : names) {
    SavedProcess process = SingleTableByKey(name);
    process.server_name1 = "=[x]";
    process.table_name1 = "\"Orders\"";
    process.table_name2 = " padded ";
    process.export_file_path = ";C:\\out [1].csv";
    ASSERT_TRUE(store_.SaveProcess(process)) << name;
  }
  EXPECT_EQ(store_.ProcessNames(), names);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const SavedProcess loaded = store_.LoadProcess(names[i]);
    EXPECT_EQ(loaded.id, static_cast<int>(i + 1)) << names[i];
    EXPECT_EQ(loaded.server_name1, "=[x]");
    EXPECT_EQ(loaded.table_name1, "\"Orders\"");
    EXPECT_EQ(loaded.table_name2, " padded ");
    EXPECT_EQ(loaded.export_file_path, ";C:\\out [1].csv");
    EXPECT_EQ(store_.ProcessName(static_cast<int>(i + 1)), names[i]);
  }
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SavedComparisonStoreTest, SelectionFilesFollowTheCountsNotTheArrays) {
  SavedProcess process = SelectiveProcedures();
  process.sel_comp_count_source = 0;  // count 0: no file even with names at hand
  process.sel_comp_count_target = 3;  // count above the names: every name written
  ASSERT_TRUE(store_.SaveProcess(process));
  EXPECT_FALSE(std::filesystem::exists(Selection(1, SelectionSide::kSource)));
  EXPECT_EQ(ReadFile(Selection(1, SelectionSide::kTarget)), "[dbo].[usp_GetOrders]\r\n");
  EXPECT_EQ(Key("Nightly check", "SelCompCountTarget"), "3");
}

// --- Refused and failed saves ------------------------------------------------------------

TEST_F(SavedComparisonStoreTest, LineBreaksAreRefusedBeforeAnythingIsWritten) {
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures("kept")));
  const std::string before = ReadFile(ini_);
  SavedProcess in_name = SelectiveProcedures("two\r\nlines");
  SavedProcess in_value = SelectiveProcedures("value");
  in_value.db_name1 = "Sales\nDrop";
  SavedProcess in_selection = SelectiveProcedures("selection");
  in_selection.target_selection = {"[dbo].[a\rb]"};
  SavedProcess in_path = SelectiveProcedures("path");
  in_path.export_file_path = "/tmp/a\n.txt";
  for (const SavedProcess* p : {&in_name, &in_value, &in_selection, &in_path}) {
    ui_.messages.clear();
    EXPECT_FALSE(store_.SaveProcess(*p)) << p->name;
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text,
              "Comparison process cannot be saved: its name, servers, databases, tables, "
              "selected objects and export file path must not contain line breaks.");
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
    EXPECT_EQ(ui_.messages[0].title, "Korvane");
  }
  EXPECT_EQ(ReadFile(ini_), before);
  EXPECT_FALSE(std::filesystem::exists(Selection(2, SelectionSide::kSource)));
}

TEST_F(SavedComparisonStoreTest, NamesTheProfileFormatCannotHoldAreRefused) {
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures("kept")));
  const std::string before = ReadFile(ini_);
  for (const std::string name : {"a]b", "[bracketed]", ";comment", " \t;comment", "end]"}) {
    ui_.messages.clear();
    EXPECT_FALSE(store_.SaveProcess(SelectiveProcedures(name))) << name;
    ASSERT_EQ(ui_.messages.size(), 1u) << name;
    EXPECT_EQ(ui_.messages[0].text,
              "Comparison process cannot be saved: its name must not contain \"]\" or start "
              "with \";\".");
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
  }
  EXPECT_EQ(ReadFile(ini_), before);
  EXPECT_FALSE(std::filesystem::exists(Selection(2, SelectionSide::kSource)));
  EXPECT_EQ(store_.ProcessNames(), (Names{"kept"}));
}

TEST_F(SavedComparisonStoreTest, ValuesThatWouldReadBackCutAreRefused) {
  SavedProcess process = SingleTableByKey();
  process.export_file_path = "/" + std::string(253, 'x');  // 254 characters: fine
  ASSERT_TRUE(store_.SaveProcess(process));
  EXPECT_EQ(store_.LoadProcess("Orders data").export_file_path, process.export_file_path);

  process.name = "long";
  process.export_file_path = std::string(250, 'x') + "ééééé";  // 255 characters
  EXPECT_FALSE(store_.SaveProcess(process));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            "Comparison process cannot be saved: its servers, databases, tables and export file "
            "path must not be longer than 254 characters.");
  EXPECT_EQ(store_.ProcessNames(), (Names{"Orders data"}));

  // The name is never read back as a value: a long name is fine.
  process.name = std::string(300, 'n');
  process.export_file_path.clear();
  EXPECT_TRUE(store_.SaveProcess(process));
  EXPECT_EQ(store_.ProcessId(process.name), 2);
}

TEST_F(SavedComparisonStoreTest, ANameTheStoreCannotTakeFailsTheFirstWrite) {
  EXPECT_FALSE(store_.SaveProcess(SelectiveProcedures("")));
  EXPECT_FALSE(store_.SaveProcess(SelectiveProcedures("   ")));
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].text, "Failed to save comparison's process name.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
  EXPECT_FALSE(std::filesystem::exists(ini_));
}

TEST_F(SavedComparisonStoreTest, AStoreThatCannotBeWrittenSavesNothing) {
  std::filesystem::create_directories(ini_);  // a folder where the file belongs
  EXPECT_FALSE(store_.SaveProcess(SelectiveProcedures()));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Failed to save comparison's process name.");
}

TEST_F(SavedComparisonStoreTest, ASelectionFileThatCannotBeWrittenLeavesTheStoreUnchanged) {
  ASSERT_TRUE(store_.SaveProcess(SingleTableByKey("first")));
  const std::string before = ReadFile(ini_);
  std::filesystem::create_directories(Selection(2, SelectionSide::kTarget));
  EXPECT_FALSE(store_.SaveProcess(SelectiveProcedures()));
  EXPECT_EQ(ReadFile(ini_), before);
  EXPECT_TRUE(ui_.messages.empty());
}

// --- Loading -----------------------------------------------------------------------------

TEST_F(SavedComparisonStoreTest, LoadingGivesBackWhatWasSaved) {
  SavedProcess saved = SelectiveProcedures();
  ASSERT_TRUE(store_.SaveProcess(saved));
  saved.id = 1;
  EXPECT_EQ(store_.LoadProcess("Nightly check"), saved);
  // Letter case of the name does not matter; the record keeps the name asked for.
  EXPECT_EQ(store_.LoadProcess("NIGHTLY CHECK").id, 1);

  SavedProcess data = SingleTableByKey();
  ASSERT_TRUE(store_.SaveProcess(data));
  data.id = 2;
  EXPECT_EQ(store_.LoadProcess("Orders data"), data);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SavedComparisonStoreTest, AnEmptyNameGivesTheDefaults) {
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures()));
  const SavedProcess loaded = store_.LoadProcess("");
  EXPECT_EQ(loaded, SavedProcess());
  EXPECT_EQ(loaded.comp_type, -1);
  EXPECT_EQ(loaded.comp_method, -1);
  EXPECT_EQ(loaded.id, 0);
  EXPECT_EQ(store_.ProcessId(""), 0);
}

TEST_F(SavedComparisonStoreTest, MissingKeysReadAsTheirDefaults) {
  WriteFile(ini_, "[bare]\r\nName=bare\r\n");
  const SavedProcess loaded = store_.LoadProcess("bare");
  SavedProcess expected;
  expected.name = "bare";
  expected.comp_type = 0;
  expected.comp_method = 0;
  EXPECT_EQ(loaded, expected);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(store_.LoadProcess("not there").comp_type, 0);
}

TEST_F(SavedComparisonStoreTest, NumbersAreTheLeadingNumbersRounded) {
  WriteFile(ini_,
            "[p]\r\nCompType=1abc\r\nCompSubType= 30\r\nCompSubSubType=2.5\r\n"
            "CompMethod=3.5\r\nExportType=x\r\nId=99999999999\r\nObjId1=-7.5\r\n"
            "ObjId2=12e1\r\n");
  const SavedProcess loaded = store_.LoadProcessKeys("p");
  EXPECT_EQ(loaded.comp_type, 1);
  EXPECT_EQ(loaded.comp_sub_type, 30);
  EXPECT_EQ(loaded.comp_sub_sub_type, 2);
  EXPECT_EQ(loaded.comp_method, 4);
  EXPECT_EQ(loaded.export_type, 0);
  EXPECT_EQ(loaded.id, 0);
  EXPECT_EQ(loaded.obj_id1, -8);
  EXPECT_EQ(loaded.obj_id2, 120);
}

TEST_F(SavedComparisonStoreTest, PrintReadsTrueForTrueInAnyCaseAndNonZeroNumbers) {
  const struct {
    const char* text;
    bool print;
  } cases[] = {{"True", true}, {"true", true}, {"TRUE", true},   {"-1", true}, {"1", true},
               {" 2 ", true},  {"0.5", true},  {"False", false}, {"0", false}, {"", false},
               {"Yes", false}, {"1x", false},  {"Truee", false}, {"-0", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(ReadProcessFlag(c.text), c.print) << "'" << c.text << "'";
  }
  WriteFile(ini_, "[hand]\r\nPrint=-1\r\n");
  EXPECT_TRUE(store_.LoadProcessKeys("hand").print);
  EXPECT_NE(store_.PropertiesText("hand").find("Automatically print final report: Yes"),
            std::string::npos);
}

TEST_F(SavedComparisonStoreTest, ReadProcessNumberHelpers) {
  EXPECT_EQ(ReadProcessNumber(""), 0);
  EXPECT_EQ(ReadProcessNumber("  42  "), 42);
  EXPECT_EQ(ReadProcessNumber("2147483647"), 2147483647);
  EXPECT_EQ(ReadProcessNumber("2147483648"), 0);
  EXPECT_EQ(SmallestFreeProcessId({}), 1);
  EXPECT_EQ(SmallestFreeProcessId({0, -1, 0}), 1);
  EXPECT_EQ(SmallestFreeProcessId({3, 1, 2, 2}), 4);
  EXPECT_EQ(SmallestFreeProcessId({2, 3}), 1);
}

// --- Consistency warnings ----------------------------------------------------------------

TEST_F(SavedComparisonStoreTest, ASelectionFileWithOtherCountWarnsAndIsUsedAsItIs) {
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures()));
  WriteFile(Selection(1, SelectionSide::kSource), "[dbo].[A]\r\n[dbo].[B]\r\n[dbo].[C]\r\n");
  const SavedProcess loaded = store_.LoadProcess("Nightly check");
  EXPECT_EQ(loaded.source_selection, (Names{"[dbo].[A]", "[dbo].[B]", "[dbo].[C]"}));
  EXPECT_EQ(loaded.sel_comp_count_source, 2);
  EXPECT_EQ(loaded.target_selection, (Names{"[dbo].[usp_GetOrders]"}));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            "Inconsistent data while retrieving details of saved comparison process.\r\n\r\n"
            "Comparison Id: 1\r\n\r\n"
            "Source objects count: 2\r\n\r\n"
            "Source objects in file: 3");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
  EXPECT_EQ(ui_.messages[0].title, "Inconsistent Data");
  EXPECT_FALSE(ui_.messages[0].is_question);
}

TEST_F(SavedComparisonStoreTest, MissingSelectionFilesWarnOnBothSides) {
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures()));
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures("second")));
  std::filesystem::remove(Selection(2, SelectionSide::kSource));
  std::filesystem::remove(Selection(2, SelectionSide::kTarget));
  const SavedProcess loaded = store_.LoadProcess("second");
  EXPECT_TRUE(loaded.source_selection.empty());
  EXPECT_TRUE(loaded.target_selection.empty());
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].text,
            "Inconsistent data while retrieving details of saved comparison process.\r\n\r\n"
            "Comparison Id: 2\r\n\r\nSource objects count: 2\r\n\r\nSource objects in file: 0");
  EXPECT_EQ(ui_.messages[1].text,
            "Inconsistent data while retrieving details of saved comparison process.\r\n\r\n"
            "Comparison Id: 2\r\n\r\nTarget objects count: 1\r\n\r\nTarget objects in file: 0");
}

TEST_F(SavedComparisonStoreTest, SelectionFilesWithoutACountAlsoWarn) {
  ASSERT_TRUE(store_.SaveProcess(SingleTableByKey()));
  WriteFile(Selection(1, SelectionSide::kTarget), "[dbo].[Stray]\r\n");
  const SavedProcess loaded = store_.LoadProcess("Orders data");
  EXPECT_EQ(loaded.target_selection, (Names{"[dbo].[Stray]"}));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_NE(ui_.messages[0].text.find("Target objects count: 0\r\n\r\nTarget objects in file: 1"),
            std::string::npos);
  // A count below zero, written by hand, never matches a file.
  WriteFile(ini_, "[neg]\r\nId=9\r\nSelCompCountSource=-1\r\n");
  ui_.messages.clear();
  store_.LoadProcess("neg");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_NE(ui_.messages[0].text.find("Source objects count: -1"), std::string::npos);
}

// --- Listing, export and print settings ----------------------------------------------------

TEST_F(SavedComparisonStoreTest, AnEmptyOrMissingStoreListsNothing) {
  EXPECT_EQ(store_.ProcessCount(), 0);
  EXPECT_TRUE(store_.ProcessNames().empty());
  EXPECT_EQ(store_.ProcessName(1), "");
  WriteFile(ini_, "; comments only\r\n\r\n");
  EXPECT_EQ(store_.ProcessCount(), 0);
}

TEST_F(SavedComparisonStoreTest, ProcessNameTakesTheFirstSectionWithTheId) {
  WriteStore({{"x", "5"}, {"y", "7"}, {"z", "7"}});
  EXPECT_EQ(store_.ProcessName(7), "y");
  EXPECT_EQ(store_.ProcessName(5), "x");
  EXPECT_EQ(store_.ProcessName(6), "");
}

TEST_F(SavedComparisonStoreTest, SetExportAndSetPrintRewriteTheirKeysInPlace) {
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures()));
  ASSERT_TRUE(store_.SetExport("Nightly check", "/home/u/Report.txt", 0));
  ASSERT_TRUE(store_.SetPrint("nightly CHECK", true));
  std::string expected = SelectiveSection("Nightly check", 1);
  expected = ReplaceAll(expected, "ExportFilePath=\r\n", "ExportFilePath=/home/u/Report.txt\r\n");
  expected = ReplaceAll(expected, "Print=False", "Print=True");
  EXPECT_EQ(ReadFile(ini_), expected);
  ASSERT_TRUE(store_.SetExport("Nightly check", "/tmp/x.html", 1));
  ASSERT_TRUE(store_.SetPrint("Nightly check", false));
  const SavedProcess loaded = store_.LoadProcessKeys("Nightly check");
  EXPECT_EQ(loaded.export_file_path, "/tmp/x.html");
  EXPECT_EQ(loaded.export_type, 1);
  EXPECT_FALSE(loaded.print);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SavedComparisonStoreTest, SettingsOfAProcessThatIsNotStoredAreNotWritten) {
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures()));
  const std::string before = ReadFile(ini_);
  EXPECT_FALSE(store_.SetExport("Gone", "/tmp/r.txt", 0));
  EXPECT_FALSE(store_.SetPrint("Gone", true));
  EXPECT_FALSE(store_.SetPrint("", true));
  EXPECT_EQ(ReadFile(ini_), before);
  EXPECT_EQ(store_.ProcessCount(), 1);
}

TEST_F(SavedComparisonStoreTest, AnExportPathThatCannotBeStoredIsRefused) {
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures()));
  const std::string before = ReadFile(ini_);
  EXPECT_FALSE(store_.SetExport("Nightly check", "/tmp/a\nb.txt", 0));
  EXPECT_FALSE(store_.SetExport("Nightly check", "/" + std::string(254, 'p'), 0));
  EXPECT_EQ(ReadFile(ini_), before);
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[1].text,
            "The export file path cannot be added to the saved comparison process: it must be "
            "one line of at most 254 characters.");
  EXPECT_EQ(ui_.messages[1].icon, MessageIcon::kExclamation);
}

// --- Deleting ------------------------------------------------------------------------------

TEST_F(SavedComparisonStoreTest, DeletingRemovesTheSectionAndItsSelectionFiles) {
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures("A")));
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures("B")));
  ASSERT_TRUE(store_.DeleteProcess("a"));
  EXPECT_EQ(ReadFile(ini_), SelectiveSection("B", 2));
  EXPECT_FALSE(std::filesystem::exists(Selection(1, SelectionSide::kSource)));
  EXPECT_FALSE(std::filesystem::exists(Selection(1, SelectionSide::kTarget)));
  EXPECT_TRUE(std::filesystem::exists(Selection(2, SelectionSide::kSource)));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SavedComparisonStoreTest, DeletingWithMissingSelectionFilesSucceedsSilently) {
  ASSERT_TRUE(store_.SaveProcess(SingleTableByKey()));
  EXPECT_TRUE(store_.DeleteProcess("Orders data"));
  EXPECT_EQ(store_.ProcessCount(), 0);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SavedComparisonStoreTest, AProcessWithoutIdOwnsNoSelectionFiles) {
  WriteStore({{"no id", ""}});
  WriteFile(Selection(0, SelectionSide::kSource), "keep\r\n");
  EXPECT_TRUE(store_.DeleteProcess("no id"));
  EXPECT_EQ(store_.ProcessCount(), 0);
  EXPECT_EQ(ReadFile(Selection(0, SelectionSide::kSource)), "keep\r\n");
}

TEST_F(SavedComparisonStoreTest, AStoreThatCannotBeWrittenKeepsTheSelectionFiles) {
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures()));
  std::filesystem::remove(ini_);
  std::filesystem::create_directories(ini_ / "sub");  // unreadable as a file
  EXPECT_FALSE(store_.DeleteProcess("Nightly check"));
  EXPECT_TRUE(std::filesystem::exists(Selection(1, SelectionSide::kSource)));
}

// --- Properties ----------------------------------------------------------------------------

TEST_F(SavedComparisonStoreTest, PropertiesOfASelectiveStructureComparison) {
  SavedProcess process = SelectiveProcedures();
  process.sel_comp_count_source = 1234;
  process.source_selection.assign(1234, "[dbo].[p]");
  ASSERT_TRUE(store_.SaveProcess(process));
  EXPECT_EQ(store_.PropertiesText("Nightly check"),
            "Comparison Process Name: Nightly check\r\n"
            "Comparison Process Id: 1\r\n"
            "\r\n"
            "Comparison Type: Meta-Data Comparison\r\n"
            "Comparison Sub Type: Selective\r\n"
            "Comparison Sub Sub Type: Details\r\n"
            "Object Types: Procedures\r\n"
            "\r\n"
            "Number of objects compared: 1,234\r\n"
            "\r\n"
            "Source: DEV01.Sales\r\n"
            "Target: PROD01.Sales\r\n"
            "\r\n"
            "Automatically print final report: No\r\n");
}

TEST_F(SavedComparisonStoreTest, PropertiesOfADataComparisonWithExportAndObjectIds) {
  ASSERT_TRUE(store_.SaveProcess(SingleTableByKey()));
  EXPECT_EQ(store_.PropertiesText("Orders data"),
            "Comparison Process Name: Orders data\r\n"
            "Comparison Process Id: 1\r\n"
            "\r\n"
            "Comparison Type: Data Comparison\r\n"
            "Comparison Sub Type: Single Table\r\n"
            "Comparison Method: Primary Key\r\n"
            "\r\n"
            "Source: DEV01.Sales.Orders\r\n"
            "Target: PROD01.SalesCopy.Orders2\r\n"
            "\r\n"
            "Export File Path: /tmp/orders.csv\r\n"
            "Export Type: Excel - Comma Separated Values (CSV) file\r\n"
            "\r\n"
            "Automatically print final report: Yes\r\n"
            "\r\n"
            "Source Object Id: 1977058079\r\n"
            "Target Object Id: 12\r\n");
}

TEST_F(SavedComparisonStoreTest, PropertiesLeaveOutWhatIsNotSet) {
  SavedProcess all = SelectiveProcedures("all");
  all.comp_sub_type = 10;
  all.comp_sub_sub_type = 0;
  all.enc_obj_types = "1,0,0,1,0,0,0";
  all.sel_comp_count_source = 0;
  all.sel_comp_count_target = 0;
  all.export_file_path = "/r.txt";  // export type 0 names no type
  all.obj_id2 = 5;                  // without the Source id
  ASSERT_TRUE(store_.SaveProcess(all));
  EXPECT_EQ(store_.PropertiesText("all"),
            "Comparison Process Name: all\r\n"
            "Comparison Process Id: 1\r\n"
            "\r\n"
            "Comparison Type: Meta-Data Comparison\r\n"
            "Comparison Sub Type: All\r\n"
            "Object Types: Tables, Views\r\n"
            "\r\n"
            "Source: DEV01.Sales\r\n"
            "Target: PROD01.Sales\r\n"
            "\r\n"
            "Export File Path: /r.txt\r\n"
            "\r\n"
            "Automatically print final report: No\r\n"
            "Target Object Id: 5\r\n");
}

TEST_F(SavedComparisonStoreTest, PropertiesOfAHandWrittenProcessNameItsOddValues) {
  WriteFile(ini_,
            "[odd]\r\nId=4\r\nCompType=7\r\nCompSubType=99\r\nCompSubSubType=3\r\n"
            "EncObjTypes=garbage\r\nCompMethod=5\r\nExportType=9\r\nSelCompCountSource=3\r\n");
  EXPECT_EQ(store_.PropertiesText("odd"),
            "Comparison Process Name: odd\r\n"
            "Comparison Process Id: 4\r\n"
            "\r\n"
            "Comparison Type: N/A\r\n"
            "Comparison Sub Type: N/A\r\n"
            "Comparison Sub Sub Type: N/A\r\n"
            "Object Types: N/A\r\n"
            "Comparison Method: N/A\r\n"
            "\r\n"
            "Source: .\r\n"
            "Target: .\r\n"
            "Export Type: N/A\r\n"
            "\r\n"
            "Automatically print final report: No\r\n");
}

TEST_F(SavedComparisonStoreTest, ShowPropertiesReadsNoSelectionFiles) {
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures()));
  std::filesystem::remove(Selection(1, SelectionSide::kSource));
  store_.ShowProperties("Nightly check");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, store_.PropertiesText("Nightly check"));
  EXPECT_EQ(ui_.messages[0].title, "Properties");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
}

TEST_F(SavedComparisonStoreTest, EveryOperationShowsTheBusyPointerAndRestoresIt) {
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures()));
  store_.LoadProcess("Nightly check");
  store_.ProcessNames();
  store_.SetPrint("Nightly check", true);
  store_.DeleteProcess("Nightly check");
  ASSERT_FALSE(ui_.busy_changes.empty());
  int depth = 0;
  for (const bool on : ui_.busy_changes) {
    depth += on ? 1 : -1;
    ASSERT_GE(depth, 0);
  }
  EXPECT_EQ(depth, 0);
}

}  // namespace
}  // namespace korvane

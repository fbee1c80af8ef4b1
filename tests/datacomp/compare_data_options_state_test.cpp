#include "datacomp/compare_data_options_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/settings.h"
#include "saved/ignored_columns.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ReadFile;
using testing::RecordingUserInterface;
using testing::ScratchFolder;
using testing::WriteFile;
using Names = std::vector<std::string>;

constexpr int kSrc = 0;
constexpr int kTgt = 1;
constexpr std::string_view kSourceKey = "DEV01.Sales.Orders";
constexpr std::string_view kTargetKey = "PROD.Sales.Orders";

// Orders on both sides; the Target lacks Qty and has Remarks.
std::vector<OptionsColumn> SourceColumns() {
  return {{"OrderID", "int"}, {"Customer", "nvarchar (50)"}, {"Qty", "smallint"}, {"Notes", "text"},
          {"Photo", "image"}, {"Stamp", "timestamp"}};
}
std::vector<OptionsColumn> TargetColumns() {
  return {{"OrderID", "int"},
          {"Customer", "nvarchar (50)"},
          {"Notes", "ntext"},
          {"Remarks", "varchar (20)"},
          {"Stamp", "timestamp"}};
}

CompareDataOptionsState Fresh() {
  CompareDataOptionsInput input;
  input.columns = {SourceColumns(), TargetColumns()};
  return LoadCompareDataOptions(input);
}

Names Ticked(const CompareDataOptionsState& state, int side) {
  Names names;
  for (const ColumnListRow& row : state.columns[side]) {
    if (row.ticked)
      names.push_back(row.name);
  }
  return names;
}

// --- Texts -----------------------------------------------------------------------------------

TEST(CompareDataOptionsTextsTest, WindowTextsAreThoseTheUserKnows) {
  EXPECT_EQ(kCompareDataOptionsCaption, "Data Comparison Options");
  EXPECT_EQ(kMethodTabCaption, "Comparison Method");
  EXPECT_EQ(kMethodTabText, "Specify the comparison method to be used by the program");
  EXPECT_EQ(kSortingTabCaption, "Sorting Data");
  EXPECT_EQ(kSortingTabText, "Specify sort order to be used during comparison");
  EXPECT_EQ(kOffsetTabCaption, "Comparison Offset");
  EXPECT_EQ(kOffsetTabText, "Specify the offset for comparison process");
  EXPECT_EQ(kIgnoreTabCaption, "Ignore Columns");
  EXPECT_EQ(kIgnoreTabText, "Specify the columns to be ignored during comparison");
  EXPECT_EQ(kReportingTabCaption, "Reporting");
  EXPECT_EQ(kContinueButton, "C&ontinue");
  EXPECT_EQ(kCancelButton, "&Cancel");
  EXPECT_EQ(kDoNotShowAgainCheckBox, "Do not show this dialog again");
  EXPECT_EQ(kRecordByRecordOption, "Recod by record comparison");
  EXPECT_EQ(kPrimaryKeyOption, "Primary Key/Index comparison");
  EXPECT_EQ(kRecordByRecordOnlyNote, "This option applies only to 'record by record' comparison.");
  EXPECT_EQ(kOffsetLabel, "Start comparison from record");
  EXPECT_EQ(kSelectAllButton, "&Select All");
  EXPECT_EQ(kDeselectAllButton, "&Deselect All");
}

TEST(CompareDataOptionsTextsTest, MessagesAreBuiltWordForWord) {
  EXPECT_EQ(kUnsortableTypeMessage,
            "The text, ntext, and image data types cannot be compared or sorted.");
  EXPECT_EQ(kSelectAtLeastOneColumnMessage, "Please select at least one column.");
  EXPECT_EQ(kDialogHiddenMessage,
            "This dialog screen will not be shown anymore.\r\n\r\nTo enable showing 'Data "
            "Comparison Options' screen please open the Options screen (by clicking menu item "
            "Tools -> Options...), select tab 'Data Comparison' and click on appropriate check "
            "box.");
  EXPECT_EQ(kAllColumnsIgnoredMessage,
            "All columns cannot be ignored.\r\n\r\nPlease select at least one column to be "
            "processed during the comparison.");
  EXPECT_EQ(SpecifyPredecessorMessage("Primary Sort Key", "Secondary Sort Key"),
            "Please specify Primary Sort Key before specifying Secondary Sort Key.");
  EXPECT_EQ(ColumnCountMismatchMessage(5, 6),
            "Currently there are 5 columns selected for comparison in Source and 6 in Target."
            "\r\n\r\nPlease make sure that the same number of columns to compare is selected for "
            "Source and Target table.");
  EXPECT_EQ(IgnoredKeyColumnMessage("OrderID", "Primary", "Target"),
            "Column 'OrderID' is marked as the column to be ignored during comparison.\r\n"
            "This column is also marked as Primary column (Target) for comparison.\r\n\r\n"
            "Please remove this column from the list of ignored columns.");
}

// --- Loading ---------------------------------------------------------------------------------

TEST(CompareDataOptionsLoadTest, ControlNumbersMapToSideAndRank) {
  EXPECT_EQ(SortKeyComboIndex(kSrc, 0), 0);
  EXPECT_EQ(SortKeyComboIndex(kSrc, 2), 2);
  EXPECT_EQ(SortKeyComboIndex(kTgt, 0), 3);
  EXPECT_EQ(SortKeyComboIndex(kTgt, 2), 5);
  EXPECT_EQ(KeyFieldComboIndex(kSrc, 0), 0);
  EXPECT_EQ(KeyFieldComboIndex(kTgt, 0), 1);
  EXPECT_EQ(KeyFieldComboIndex(kSrc, 1), 2);
  EXPECT_EQ(KeyFieldComboIndex(kTgt, 1), 3);
  EXPECT_EQ(KeyFieldComboIndex(kSrc, 2), 4);
  EXPECT_EQ(KeyFieldComboIndex(kTgt, 2), 5);
}

TEST(CompareDataOptionsLoadTest, NothingStoredStartsEveryComboAtItsFirstItemAllTicked) {
  const CompareDataOptionsState state = Fresh();
  EXPECT_EQ(SortKeyItems(state, kSrc),
            (Names{"Default Order", "OrderID", "Customer", "Qty", "Notes", "Photo", "Stamp"}));
  EXPECT_EQ(KeyFieldItems(state, kTgt),
            (Names{"No Field", "OrderID", "Customer", "Notes", "Remarks", "Stamp"}));
  EXPECT_EQ(SortKeyItems(state, 2), Names{"Default Order"});
  for (int side = 0; side < 2; ++side) {
    EXPECT_EQ(state.sort_key_items[side], (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(state.key_field_items[side], (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(state.offset_texts[side], "0");
    EXPECT_EQ(Ticked(state, side).size(), state.columns[side].size());
  }
  EXPECT_EQ(state.columns[kTgt][2], (ColumnListRow{"Notes", "ntext", true}));
  EXPECT_EQ(state.CompMethod, kCompMethodRecordByRecord);
  EXPECT_FALSE(KeyFieldsEnabled(state));
  EXPECT_FALSE(state.do_not_show_again);
  EXPECT_FALSE(state.ignore_selection_changed);
}

TEST(CompareDataOptionsLoadTest, StoredChoicesAreSelectedAndIgnoredColumnsUnticked) {
  CompareDataOptionsInput input;
  input.columns = {SourceColumns(), TargetColumns()};
  input.ignored = {Names{"stamp", "PHOTO", "NoSuchColumn"}, Names{"Remarks"}};
  input.stored[kSrc].side = {{"Customer", "qty", "Gone"}, 12, {"OrderID", "No Field", ""}};
  input.stored[kSrc].CompMethod = kCompMethodRecordByRecord;
  input.stored[kTgt].side = {{"", "Customer", ""}, -3, {"orderid", "Missing", "Stamp"}};
  input.stored[kTgt].CompMethod = kCompMethodPrimaryKey;
  input.show_data_comp_opt = false;
  const CompareDataOptionsState state = LoadCompareDataOptions(input);

  EXPECT_EQ(Ticked(state, kSrc), (Names{"OrderID", "Customer", "Qty", "Notes"}));
  EXPECT_EQ(Ticked(state, kTgt), (Names{"OrderID", "Customer", "Notes", "Stamp"}));
  // Same spelling, else letter case aside; a column the table no longer has shows the first item.
  EXPECT_EQ(state.sort_key_items[kSrc], (std::array<int, 3>{2, 3, 0}));
  EXPECT_EQ(state.key_field_items[kSrc], (std::array<int, 3>{1, 0, 0}));
  EXPECT_EQ(state.sort_key_items[kTgt], (std::array<int, 3>{0, 2, 0}));
  EXPECT_EQ(state.key_field_items[kTgt], (std::array<int, 3>{1, 0, 5}));
  EXPECT_EQ(state.offset_texts[kSrc], "12");
  EXPECT_EQ(state.offset_texts[kTgt], "0");
  EXPECT_EQ(state.CompMethod, kCompMethodPrimaryKey);  // the Target section's
  EXPECT_TRUE(KeyFieldsEnabled(state));
  EXPECT_TRUE(state.do_not_show_again);
  EXPECT_FALSE(state.ignore_selection_changed);
}

TEST(CompareDataOptionsLoadTest, ExactSpellingWinsOverACaseVariant) {
  CompareDataOptionsInput input;
  input.columns[kSrc] = {{"ID", "int"}, {"Id", "int"}};
  input.stored[kSrc].side.sort_keys = {"Id", "", ""};
  input.stored[kSrc].side.key_columns = {"iD", "", ""};
  const CompareDataOptionsState state = LoadCompareDataOptions(input);
  EXPECT_EQ(state.sort_key_items[kSrc][0], 2);
  EXPECT_EQ(state.key_field_items[kSrc][0], 1);
}

TEST(CompareDataOptionsLoadTest, OpenReadsListsSectionsAndSetting) {
  ScratchFolder folder;
  const AppLocations locations = ComputeLocations(folder / "bin", folder / "profile", {});
  SettingsStore store(locations.settings_file);
  RecordingUserInterface ui;
  ASSERT_TRUE(SaveIgnoredColumns(locations, IgnoredColumnsKind::Data, kSourceKey, {"Qty"}, ui));
  ASSERT_TRUE(
      SaveIgnoredColumns(locations, IgnoredColumnsKind::Structure, kTargetKey, {"Notes"}, ui));
  WriteFile(locations.tables_comps_ini,
            "[DEV01.Sales.Orders]\r\nCompMethod=1\r\nPrimarySortKey=Customer\r\n"
            "[PROD.Sales.Orders]\r\nCompMethod=1\r\nCompKey=OrderID\r\nOffsetStartRec=9\r\n");
  const CompareDataOptionsState state = OpenCompareDataOptions(
      locations, store, kSourceKey, kTargetKey, SourceColumns(), TargetColumns());
  EXPECT_EQ(Ticked(state, kSrc), (Names{"OrderID", "Customer", "Notes", "Photo", "Stamp"}));
  EXPECT_EQ(Ticked(state, kTgt).size(), 5u);  // Structure lists do not count here
  EXPECT_EQ(state.sort_key_items[kSrc][0], 2);
  EXPECT_EQ(state.key_field_items[kTgt][0], 1);
  EXPECT_EQ(state.offset_texts[kTgt], "9");
  EXPECT_EQ(state.CompMethod, kCompMethodPrimaryKey);
  EXPECT_FALSE(state.do_not_show_again);
  WriteBoolean(store, Setting::kShowDataCompOpt, false);
  EXPECT_TRUE(
      OpenCompareDataOptions(locations, store, kSourceKey, kTargetKey, {}, {}).do_not_show_again);
  EXPECT_TRUE(ui.messages.empty());
}

// --- Reactions -------------------------------------------------------------------------------

class CompareDataOptionsReactionsTest : public ::testing::Test {
 protected:
  void ExpectOneMessage(std::string_view text, MessageIcon icon) {
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, text);
    EXPECT_EQ(ui_.messages[0].icon, icon);
    EXPECT_EQ(ui_.messages[0].title, "Korvane");
    EXPECT_FALSE(ui_.messages[0].is_question);
    ui_.messages.clear();
  }

  CompareDataOptionsState state_ = Fresh();
  RecordingUserInterface ui_;
};

TEST_F(CompareDataOptionsReactionsTest, MethodOptionEnablesTheKeyColumnCombos) {
  SelectCompMethod(state_, kCompMethodPrimaryKey);
  EXPECT_TRUE(KeyFieldsEnabled(state_));
  SelectCompMethod(state_, kCompMethodRecordByRecord);
  EXPECT_FALSE(KeyFieldsEnabled(state_));
  SelectCompMethod(state_, 7);
  EXPECT_EQ(state_.CompMethod, kCompMethodRecordByRecord);
}

TEST_F(CompareDataOptionsReactionsTest, SortKeysAreChosenInRankOrder) {
  EXPECT_TRUE(ChooseSortKey(state_, kSrc, 0, 1, ui_));
  EXPECT_TRUE(ChooseSortKey(state_, kSrc, 1, 3, ui_));
  EXPECT_TRUE(ChooseSortKey(state_, kSrc, 2, 2, ui_));
  EXPECT_EQ(state_.sort_key_items[kSrc], (std::array<int, 3>{1, 3, 2}));
  EXPECT_EQ(state_.sort_key_items[kTgt], (std::array<int, 3>{0, 0, 0}));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(CompareDataOptionsReactionsTest, DefaultOrderResetsTheLaterSortKeysOfItsSideOnly) {
  state_.sort_key_items = {{{1, 3, 2}, {1, 2, 5}}};
  EXPECT_TRUE(ChooseSortKey(state_, kSrc, 1, 0, ui_));
  EXPECT_EQ(state_.sort_key_items[kSrc], (std::array<int, 3>{1, 0, 0}));
  EXPECT_TRUE(ChooseSortKey(state_, kTgt, 0, 0, ui_));
  EXPECT_EQ(state_.sort_key_items[kTgt], (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(state_.sort_key_items[kSrc], (std::array<int, 3>{1, 0, 0}));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(CompareDataOptionsReactionsTest, TextNtextAndImageColumnsCannotBeSortKeys) {
  EXPECT_FALSE(ChooseSortKey(state_, kSrc, 0, 4, ui_));  // Notes text
  ExpectOneMessage(kUnsortableTypeMessage, MessageIcon::kExclamation);
  EXPECT_EQ(state_.sort_key_items[kSrc][0], 0);
  EXPECT_FALSE(ChooseSortKey(state_, kSrc, 0, 5, ui_));  // Photo image
  ExpectOneMessage(kUnsortableTypeMessage, MessageIcon::kExclamation);
  EXPECT_FALSE(ChooseSortKey(state_, kTgt, 0, 3, ui_));  // Notes ntext
  ExpectOneMessage(kUnsortableTypeMessage, MessageIcon::kExclamation);
  // A refused choice puts the combo back to its first item, even from a valid column.
  ASSERT_TRUE(ChooseSortKey(state_, kTgt, 0, 1, ui_));
  ASSERT_TRUE(ChooseSortKey(state_, kTgt, 1, 2, ui_));
  EXPECT_FALSE(ChooseSortKey(state_, kTgt, 0, 3, ui_));
  ExpectOneMessage(kUnsortableTypeMessage, MessageIcon::kExclamation);
  EXPECT_EQ(state_.sort_key_items[kTgt], (std::array<int, 3>{0, 2, 0}));
}

TEST_F(CompareDataOptionsReactionsTest, TypeCheckReadsTheTypeNameLetterCaseAndBlanksAside) {
  state_.columns[kSrc] = {{"A", " TEXT ", true},
                          {"B", "NText", true},
                          {"C", "textual", true},
                          {"D", "varchar (10)", true}};
  EXPECT_FALSE(ChooseSortKey(state_, kSrc, 0, 1, ui_));
  EXPECT_FALSE(ChooseSortKey(state_, kSrc, 0, 2, ui_));
  EXPECT_EQ(ui_.messages.size(), 2u);
  EXPECT_TRUE(ChooseSortKey(state_, kSrc, 0, 3, ui_));
  EXPECT_TRUE(ChooseSortKey(state_, kSrc, 1, 4, ui_));
}

TEST_F(CompareDataOptionsReactionsTest, LaterSortKeyNeedsItsPredecessor) {
  EXPECT_FALSE(ChooseSortKey(state_, kSrc, 1, 1, ui_));
  ExpectOneMessage("Please specify Primary Sort Key before specifying Secondary Sort Key.",
                   MessageIcon::kExclamation);
  ASSERT_TRUE(ChooseSortKey(state_, kSrc, 0, 1, ui_));
  EXPECT_FALSE(ChooseSortKey(state_, kSrc, 2, 2, ui_));
  ExpectOneMessage("Please specify Secondary Sort Key before specifying Tertiary Sort Key.",
                   MessageIcon::kExclamation);
  EXPECT_EQ(state_.sort_key_items[kSrc], (std::array<int, 3>{1, 0, 0}));
  // The type check comes first.
  EXPECT_FALSE(ChooseSortKey(state_, kSrc, 2, 4, ui_));
  ExpectOneMessage(kUnsortableTypeMessage, MessageIcon::kExclamation);
}

TEST_F(CompareDataOptionsReactionsTest, ChoicesOutOfRangeChangeNothing) {
  const CompareDataOptionsState before = state_;
  EXPECT_FALSE(ChooseSortKey(state_, kSrc, 0, 7, ui_));
  EXPECT_FALSE(ChooseSortKey(state_, kSrc, 0, -1, ui_));
  EXPECT_FALSE(ChooseSortKey(state_, kSrc, 3, 1, ui_));
  EXPECT_FALSE(ChooseSortKey(state_, 2, 0, 1, ui_));
  SelectCompMethod(state_, kCompMethodPrimaryKey);
  EXPECT_FALSE(ChooseKeyField(state_, kTgt, 0, 6, ui_));
  EXPECT_FALSE(ChooseKeyField(state_, -1, 0, 1, ui_));
  SetOffsetText(state_, 2, "5");
  SetColumnTicked(state_, kSrc, 6, false, ui_);
  SelectCompMethod(state_, kCompMethodRecordByRecord);
  EXPECT_EQ(state_, before);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(CompareDataOptionsReactionsTest, KeyColumnsCanBeChosenOnlyUnderTheKeyMethod) {
  EXPECT_FALSE(ChooseKeyField(state_, kSrc, 0, 1, ui_));
  EXPECT_EQ(state_.key_field_items[kSrc][0], 0);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(CompareDataOptionsReactionsTest, KeyColumnsFollowTheSortKeyRulesWithTheirOwnLabels) {
  SelectCompMethod(state_, kCompMethodPrimaryKey);
  EXPECT_FALSE(ChooseKeyField(state_, kTgt, 1, 1, ui_));
  ExpectOneMessage("Please specify Primary Field before specifying Secondary Field.",
                   MessageIcon::kExclamation);
  ASSERT_TRUE(ChooseKeyField(state_, kTgt, 0, 2, ui_));
  EXPECT_FALSE(ChooseKeyField(state_, kTgt, 2, 1, ui_));
  ExpectOneMessage("Please specify Secondary Field before specifying Tertiary Field.",
                   MessageIcon::kExclamation);
  EXPECT_FALSE(ChooseKeyField(state_, kTgt, 1, 3, ui_));  // Notes ntext
  ExpectOneMessage(kUnsortableTypeMessage, MessageIcon::kExclamation);
  ASSERT_TRUE(ChooseKeyField(state_, kTgt, 1, 1, ui_));
  ASSERT_TRUE(ChooseKeyField(state_, kTgt, 2, 5, ui_));
  EXPECT_TRUE(ChooseKeyField(state_, kTgt, 0, 0, ui_));  // "No Field" resets the later ones
  EXPECT_EQ(state_.key_field_items[kTgt], (std::array<int, 3>{0, 0, 0}));
}

TEST_F(CompareDataOptionsReactionsTest, SourceKeyColumnSelectsTheTargetColumnOfTheSameName) {
  SelectCompMethod(state_, kCompMethodPrimaryKey);
  ASSERT_TRUE(ChooseKeyField(state_, kSrc, 0, 2, ui_));  // Customer
  EXPECT_EQ(state_.key_field_items[kTgt][0], 2);
  ASSERT_TRUE(ChooseKeyField(state_, kSrc, 1, 1, ui_));  // OrderID
  EXPECT_EQ(state_.key_field_items[kTgt][1], 1);
  ASSERT_TRUE(ChooseKeyField(state_, kSrc, 2, 6, ui_));  // Stamp: Target item 5
  EXPECT_EQ(state_.key_field_items[kTgt], (std::array<int, 3>{2, 1, 5}));
  EXPECT_TRUE(ui_.messages.empty());
  // A Source column the Target lacks leaves the Target combo as it was.
  ASSERT_TRUE(ChooseKeyField(state_, kSrc, 2, 3, ui_));  // Qty
  EXPECT_EQ(state_.key_field_items[kTgt][2], 5);
  // "No Field" and Target choices are not mirrored.
  ASSERT_TRUE(ChooseKeyField(state_, kSrc, 1, 0, ui_));
  EXPECT_EQ(state_.key_field_items[kTgt], (std::array<int, 3>{2, 1, 5}));
  ASSERT_TRUE(ChooseKeyField(state_, kTgt, 0, 1, ui_));
  EXPECT_EQ(state_.key_field_items[kSrc], (std::array<int, 3>{2, 0, 0}));
}

TEST_F(CompareDataOptionsReactionsTest, MirroredTargetChoiceObeysTheTargetRules) {
  SelectCompMethod(state_, kCompMethodPrimaryKey);
  state_.columns[kSrc][3].data_type = "varchar (10)";  // Notes sortable in Source only
  ASSERT_TRUE(ChooseKeyField(state_, kSrc, 0, 4, ui_));
  EXPECT_EQ(state_.key_field_items[kTgt][0], 0);
  // Target primary unset: the Target secondary is not picked either.
  ASSERT_TRUE(ChooseKeyField(state_, kSrc, 1, 1, ui_));
  EXPECT_EQ(state_.key_field_items[kTgt], (std::array<int, 3>{0, 0, 0}));
  EXPECT_TRUE(ui_.messages.empty());
  // Same text only: a Target spelt in another case is not picked.
  state_.columns[kTgt][0].name = "orderid";
  ASSERT_TRUE(ChooseKeyField(state_, kSrc, 0, 1, ui_));
  EXPECT_EQ(state_.key_field_items[kTgt][0], 0);
}

TEST_F(CompareDataOptionsReactionsTest, OffsetBoxesKeepDigitsOnly) {
  SetOffsetText(state_, kSrc, "1a2 -3.4");
  SetOffsetText(state_, kTgt, "");
  EXPECT_EQ(state_.offset_texts, (std::array<std::string, 2>{"1234", ""}));
}

TEST_F(CompareDataOptionsReactionsTest, UntickingTheLastColumnAsksForOne) {
  for (std::size_t row = 0; row + 1 < state_.columns[kTgt].size(); ++row)
    SetColumnTicked(state_, kTgt, row, false, ui_);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_TRUE(state_.ignore_selection_changed);
  SetColumnTicked(state_, kTgt, 4, false, ui_);
  ExpectOneMessage("Please select at least one column.", MessageIcon::kInformation);
  EXPECT_TRUE(Ticked(state_, kTgt).empty());  // left unticked; Continue refuses it
  SetColumnTicked(state_, kTgt, 2, true, ui_);
  EXPECT_EQ(Ticked(state_, kTgt), Names{"Notes"});
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(CompareDataOptionsReactionsTest, OnlyRealChangesMarkTheIgnoreSelection) {
  SetColumnTicked(state_, kSrc, 0, true, ui_);
  SelectAllColumns(state_, kSrc);
  EXPECT_FALSE(state_.ignore_selection_changed);
  SetColumnTicked(state_, kSrc, 0, false, ui_);
  EXPECT_TRUE(state_.ignore_selection_changed);
  state_.ignore_selection_changed = false;
  SelectAllColumns(state_, kSrc);
  EXPECT_TRUE(state_.ignore_selection_changed);
  EXPECT_EQ(Ticked(state_, kSrc).size(), 6u);
}

TEST_F(CompareDataOptionsReactionsTest, DeselectAllUnticksEverythingThenAsksForOneColumn) {
  DeselectAllColumns(state_, kSrc, ui_);
  EXPECT_TRUE(Ticked(state_, kSrc).empty());
  EXPECT_EQ(Ticked(state_, kTgt).size(), 5u);
  EXPECT_TRUE(state_.ignore_selection_changed);
  ExpectOneMessage("Please select at least one column.", MessageIcon::kInformation);
}

TEST_F(CompareDataOptionsReactionsTest, DoNotShowAgainWritesTheSettingAtOnce) {
  ScratchFolder folder;
  SettingsStore store(folder / "settings.reg");
  SetDoNotShowAgain(state_, true, store, ui_);
  EXPECT_TRUE(state_.do_not_show_again);
  EXPECT_FALSE(ReadBoolean(store, Setting::kShowDataCompOpt));
  EXPECT_EQ(store.GetNumber("Software\\KVN\\Comparisons", "ShowDataCompOpt", 7), 0u);
  ExpectOneMessage(kDialogHiddenMessage, MessageIcon::kInformation);
  SetDoNotShowAgain(state_, false, store, ui_);
  EXPECT_FALSE(state_.do_not_show_again);
  EXPECT_EQ(store.GetNumber("Software\\KVN\\Comparisons", "ShowDataCompOpt", 7), 1u);
  EXPECT_TRUE(ui_.messages.empty());
}

// --- Continue --------------------------------------------------------------------------------

class CompareDataOptionsAcceptTest : public CompareDataOptionsReactionsTest {
 protected:
  CompareDataOptionsResult Accept() {
    return AcceptCompareDataOptions(state_, locations_, kSourceKey, kTargetKey, ui_);
  }
  Names Ignored(std::string_view key) const {
    return GetIgnoredColumns(locations_, IgnoredColumnsKind::Data, key);
  }

  ScratchFolder folder_;
  AppLocations locations_ = ComputeLocations(folder_ / "bin", folder_ / "profile", {});
};

TEST_F(CompareDataOptionsAcceptTest, SideWithoutTickedColumnIsRefused) {
  DeselectAllColumns(state_, kTgt, ui_);
  ui_.messages.clear();
  EXPECT_FALSE(ValidateColumnSelection(state_, ui_));
  ExpectOneMessage(kAllColumnsIgnoredMessage, MessageIcon::kExclamation);
  EXPECT_FALSE(Accept().accepted);
  ExpectOneMessage(kAllColumnsIgnoredMessage, MessageIcon::kExclamation);
  EXPECT_FALSE(std::filesystem::exists(locations_.tables_comps_ini));
  EXPECT_FALSE(std::filesystem::exists(locations_.ignored_cols_data_ini));
}

TEST_F(CompareDataOptionsAcceptTest, IgnoringAColumnOnOneSideOnlyIsRefusedByTheCount) {
  state_.columns[kSrc].pop_back();  // both tables have five columns
  SetColumnTicked(state_, kSrc, 4, false, ui_);
  EXPECT_FALSE(Accept().accepted);
  ExpectOneMessage(ColumnCountMismatchMessage(4, 5), MessageIcon::kExclamation);
  EXPECT_NE(ColumnCountMismatchMessage(4, 5).find("there are 4 columns"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(locations_.ignored_cols_data_ini));
  // Ignoring one on the other side too makes the counts equal.
  SetColumnTicked(state_, kTgt, 3, false, ui_);
  EXPECT_TRUE(ValidateColumnSelection(state_, ui_));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(CompareDataOptionsAcceptTest, TablesOfDifferentWidthsPassWhileNothingIsUnticked) {
  EXPECT_TRUE(ValidateColumnSelection(state_, ui_));  // 6 and 5 columns, all ticked
  SetColumnTicked(state_, kSrc, 0, false, ui_);       // 5 and 5, one unticked
  EXPECT_TRUE(ValidateColumnSelection(state_, ui_));
  SetColumnTicked(state_, kTgt, 0, false, ui_);  // 5 and 4
  EXPECT_FALSE(ValidateColumnSelection(state_, ui_));
  ExpectOneMessage(ColumnCountMismatchMessage(5, 4), MessageIcon::kExclamation);
}

TEST_F(CompareDataOptionsAcceptTest, IgnoredSortKeysAreRefusedSourceFirstInRankOrder) {
  ASSERT_TRUE(ChooseSortKey(state_, kSrc, 0, 1, ui_));
  ASSERT_TRUE(ChooseSortKey(state_, kSrc, 1, 3, ui_));  // Qty
  ASSERT_TRUE(ChooseSortKey(state_, kTgt, 0, 1, ui_));  // OrderID
  SetColumnTicked(state_, kSrc, 2, false, ui_);         // Qty
  SetColumnTicked(state_, kSrc, 5, false, ui_);         // Stamp: 4 columns left
  SetColumnTicked(state_, kTgt, 0, false, ui_);         // OrderID: 4 columns left
  EXPECT_FALSE(Accept().accepted);
  ExpectOneMessage(IgnoredKeyColumnMessage("Qty", "Secondary Sort Key", "Source"),
                   MessageIcon::kExclamation);
  SetColumnTicked(state_, kSrc, 2, true, ui_);
  SetColumnTicked(state_, kSrc, 4, false, ui_);  // Photo, to keep the counts equal
  EXPECT_FALSE(Accept().accepted);
  ExpectOneMessage(IgnoredKeyColumnMessage("OrderID", "Primary Sort Key", "Target"),
                   MessageIcon::kExclamation);
  EXPECT_FALSE(std::filesystem::exists(locations_.tables_comps_ini));
}

TEST_F(CompareDataOptionsAcceptTest, SortKeyMatchesAnIgnoredColumnLetterCaseAside) {
  state_.columns[kSrc][0].name = "ORDERID";
  state_.columns[kSrc][1].name = "orderid";
  state_.sort_key_items[kSrc] = {1, 0, 0};
  SetColumnTicked(state_, kSrc, 1, false, ui_);
  SetColumnTicked(state_, kTgt, 3, false, ui_);
  EXPECT_FALSE(ValidateKeysNotIgnored(state_, ui_));
  ExpectOneMessage(IgnoredKeyColumnMessage("ORDERID", "Primary Sort Key", "Source"),
                   MessageIcon::kExclamation);
}

TEST_F(CompareDataOptionsAcceptTest, SortKeysAfterADefaultOrderAreNotUsedAndNotChecked) {
  state_.sort_key_items[kSrc] = {1, 0, 3};  // a refused secondary left the tertiary behind
  SetColumnTicked(state_, kSrc, 2, false, ui_);
  SetColumnTicked(state_, kTgt, 3, false, ui_);
  EXPECT_EQ(UsedSortKeys(state_, kSrc), Names{"OrderID"});
  EXPECT_TRUE(ValidateKeysNotIgnored(state_, ui_));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(CompareDataOptionsAcceptTest, KeyMethodChecksKeyColumnsNotSortKeys) {
  SelectCompMethod(state_, kCompMethodPrimaryKey);
  state_.sort_key_items[kSrc] = {3, 0, 0};   // Qty
  state_.key_field_items[kSrc] = {1, 2, 0};  // OrderID, Customer
  state_.key_field_items[kTgt] = {1, 2, 0};
  SetColumnTicked(state_, kSrc, 2, false, ui_);  // Qty: a sort key, fine under this method
  SetColumnTicked(state_, kTgt, 3, false, ui_);
  EXPECT_TRUE(ValidateKeysNotIgnored(state_, ui_));
  SetColumnTicked(state_, kTgt, 0, false, ui_);
  EXPECT_FALSE(ValidateKeysNotIgnored(state_, ui_));
  ExpectOneMessage(IgnoredKeyColumnMessage("OrderID", "Primary", "Target"),
                   MessageIcon::kExclamation);
}

// A secondary key column left out of the query would make the run pair records on the wrong
// field, so it is refused like the primary one.
TEST_F(CompareDataOptionsAcceptTest, IgnoredSecondaryKeyColumnIsRefusedToo) {
  SelectCompMethod(state_, kCompMethodPrimaryKey);
  state_.key_field_items[kSrc] = {1, 2, 0};
  SetColumnTicked(state_, kSrc, 1, false, ui_);  // Customer
  SetColumnTicked(state_, kTgt, 4, false, ui_);
  EXPECT_FALSE(ValidateKeysNotIgnored(state_, ui_));
  ExpectOneMessage(IgnoredKeyColumnMessage("Customer", "Secondary", "Source"),
                   MessageIcon::kExclamation);
}

// Lists stored earlier are not "changed", but a key column chosen now must still be checked
// against them, or the run would pair records on a column its query leaves out.
TEST_F(CompareDataOptionsAcceptTest, KeyColumnInAStoredIgnoreListIsRefusedWithoutChanges) {
  CompareDataOptionsInput input;
  input.columns = {SourceColumns(), TargetColumns()};
  input.ignored[kSrc] = {"OrderID"};
  input.stored[kTgt].CompMethod = kCompMethodPrimaryKey;
  state_ = LoadCompareDataOptions(input);
  ASSERT_TRUE(ChooseKeyField(state_, kSrc, 0, 1, ui_));
  ASSERT_FALSE(state_.ignore_selection_changed);
  EXPECT_FALSE(Accept().accepted);
  ExpectOneMessage(IgnoredKeyColumnMessage("OrderID", "Primary", "Source"),
                   MessageIcon::kExclamation);
  EXPECT_FALSE(std::filesystem::exists(locations_.tables_comps_ini));
}

TEST_F(CompareDataOptionsAcceptTest, NoSortKeyOnEitherSideMeansDefaultOrder) {
  const DataCompareOptions options = CollectDataCompareOptions(state_);
  EXPECT_TRUE(options.use_default_order);
  EXPECT_EQ(options.sides[kSrc].sort_keys, (std::array<std::string, 3>{"", "", ""}));
  EXPECT_EQ(options.sides[kSrc].key_columns,
            (std::array<std::string, 3>{"No Field", "No Field", "No Field"}));
  EXPECT_EQ(options.sides[kSrc].offset, 0);
  EXPECT_EQ(options.CompMethod, kCompMethodRecordByRecord);
}

TEST_F(CompareDataOptionsAcceptTest, SortKeysAreReadUpToTheFirstDefaultOrder) {
  state_.sort_key_items = {{{0, 0, 0}, {2, 0, 1}}};
  DataCompareOptions options = CollectDataCompareOptions(state_);
  EXPECT_FALSE(options.use_default_order);
  EXPECT_EQ(options.sides[kSrc].sort_keys, (std::array<std::string, 3>{"", "", ""}));
  EXPECT_EQ(options.sides[kTgt].sort_keys, (std::array<std::string, 3>{"Customer", "", ""}));
  // Only a later key set still counts as a choice: the run then has no ORDER BY either.
  state_.sort_key_items = {{{0, 0, 1}, {0, 0, 0}}};
  options = CollectDataCompareOptions(state_);
  EXPECT_FALSE(options.use_default_order);
  EXPECT_EQ(options.sides[kSrc].sort_keys, (std::array<std::string, 3>{"", "", ""}));
}

TEST_F(CompareDataOptionsAcceptTest, OffsetsAreTheNumbersInTheBoxes) {
  state_.offset_texts = {"", "0042"};
  DataCompareOptions options = CollectDataCompareOptions(state_);
  EXPECT_EQ(options.sides[kSrc].offset, 0);
  EXPECT_EQ(options.sides[kTgt].offset, 42);
  state_.offset_texts = {"2147483647", "99999999999999999999999"};
  options = CollectDataCompareOptions(state_);
  EXPECT_EQ(options.sides[kSrc].offset, 2147483647);
  EXPECT_EQ(options.sides[kTgt].offset, 2147483647);
}

TEST_F(CompareDataOptionsAcceptTest, ContinueWritesBothSectionsAndReturnsTheOptions) {
  SelectCompMethod(state_, kCompMethodPrimaryKey);
  ASSERT_TRUE(ChooseKeyField(state_, kSrc, 0, 1, ui_));
  ASSERT_TRUE(ChooseSortKey(state_, kSrc, 0, 2, ui_));
  ASSERT_TRUE(ChooseSortKey(state_, kSrc, 1, 1, ui_));
  SetOffsetText(state_, kTgt, "15");
  const CompareDataOptionsResult result = Accept();
  ASSERT_TRUE(result.accepted);
  EXPECT_TRUE(result.stored);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(result.options.CompMethod, kCompMethodPrimaryKey);
  EXPECT_EQ(result.options.sides[kSrc].sort_keys,
            (std::array<std::string, 3>{"Customer", "OrderID", ""}));
  EXPECT_EQ(result.options.sides[kTgt].key_columns,
            (std::array<std::string, 3>{"OrderID", "No Field", "No Field"}));
  EXPECT_EQ(result.options.sides[kTgt].offset, 15);
  EXPECT_EQ(ReadFile(locations_.tables_comps_ini),
            "[DEV01.Sales.Orders]\r\n"
            "PrimarySortKey=Customer\r\n"
            "SecondarySortKey=OrderID\r\n"
            "TertiarySortKey=\r\n"
            "OffsetStartRec=0\r\n"
            "DbType=SQL Server\r\n"
            "CompMethod=1\r\n"
            "CompKey=OrderID\r\n"
            "SecondaryCompKey=No Field\r\n"
            "TertiaryCompKey=No Field\r\n"
            "IgnoreColumn=\r\n"
            "[PROD.Sales.Orders]\r\n"
            "PrimarySortKey=\r\n"
            "SecondarySortKey=\r\n"
            "TertiarySortKey=\r\n"
            "OffsetStartRec=15\r\n"
            "DbType=SQL Server\r\n"
            "CompMethod=1\r\n"
            "CompKey=OrderID\r\n"
            "SecondaryCompKey=No Field\r\n"
            "TertiaryCompKey=No Field\r\n");
  // Untouched column lists are not written.
  EXPECT_FALSE(std::filesystem::exists(locations_.ignored_cols_data_ini));
  // What was stored opens the dialog the same way again.
  SettingsStore store(locations_.settings_file);
  const CompareDataOptionsState reopened = OpenCompareDataOptions(
      locations_, store, kSourceKey, kTargetKey, SourceColumns(), TargetColumns());
  EXPECT_EQ(CollectDataCompareOptions(reopened), result.options);
}

TEST_F(CompareDataOptionsAcceptTest, ChangedColumnListsReplaceTheDataIgnoreLists) {
  ASSERT_TRUE(
      SaveIgnoredColumns(locations_, IgnoredColumnsKind::Data, kSourceKey, {"Old", "Older"}, ui_));
  ASSERT_TRUE(
      SaveIgnoredColumns(locations_, IgnoredColumnsKind::Data, kTargetKey, {"Remarks"}, ui_));
  state_.columns[kTgt][3].ticked = false;        // as loaded: Remarks ignored
  SetColumnTicked(state_, kSrc, 2, false, ui_);  // Qty
  SetColumnTicked(state_, kSrc, 4, false, ui_);  // Photo
  SetColumnTicked(state_, kSrc, 5, false, ui_);  // Stamp
  SetColumnTicked(state_, kTgt, 4, false, ui_);  // Stamp
  const CompareDataOptionsResult result = Accept();
  ASSERT_TRUE(result.accepted);
  EXPECT_TRUE(result.stored);
  EXPECT_FALSE(state_.ignore_selection_changed);
  EXPECT_EQ(Ignored(kSourceKey), (Names{"Qty", "Photo", "Stamp"}));
  EXPECT_EQ(Ignored(kTargetKey), (Names{"Remarks", "Stamp"}));
  EXPECT_TRUE(ui_.messages.empty());
  // Ticking everything again empties the lists.
  SelectAllColumns(state_, kSrc);
  SelectAllColumns(state_, kTgt);
  ASSERT_TRUE(Accept().accepted);
  EXPECT_EQ(Ignored(kSourceKey), Names{});
  EXPECT_EQ(Ignored(kTargetKey), Names{});
  EXPECT_EQ(ReadFile(locations_.ignored_cols_data_ini), "");
}

TEST_F(CompareDataOptionsAcceptTest, FailedWritesDoNotStopTheRun) {
  std::filesystem::create_directories(locations_.tables_comps_ini);
  const CompareDataOptionsResult result = Accept();
  EXPECT_TRUE(result.accepted);
  EXPECT_FALSE(result.stored);
  EXPECT_EQ(result.options, CollectDataCompareOptions(state_));
}

}  // namespace
}  // namespace korvane

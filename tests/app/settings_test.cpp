#include "app/settings.h"

#include <gtest/gtest.h>

#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::RecordingUserInterface;
using testing::ScratchFolder;

class SettingsTest : public ::testing::Test {
 protected:
  ScratchFolder folder_;
  SettingsStore store_{folder_ / "settings.reg"};
  RecordingUserInterface ui_;
};

TEST_F(SettingsTest, EverySettingHasItsKeyKindAndDefault) {
  const LoadedSettings defaults = LoadSettings(store_, /*debug_mode=*/true);
  EXPECT_EQ(defaults, LoadedSettings{});
  EXPECT_EQ(defaults.timeout, 30u);
  EXPECT_EQ(defaults.max_rows_in_diff_table, 5000u);
  EXPECT_EQ(defaults.cache_size, 5u);
  EXPECT_EQ(defaults.cursor_location, kServerSideCursor);
  EXPECT_TRUE(ReadBoolean(store_, Setting::kPreserveDbSel));
  EXPECT_TRUE(ReadBoolean(store_, Setting::kShowTipOfDay));
  EXPECT_TRUE(ReadBoolean(store_, Setting::kShowDataCompOpt));
  EXPECT_TRUE(ReadBoolean(store_, Setting::kPromptToSave));
  EXPECT_FALSE(ReadBoolean(store_, Setting::kAutoConnect));
  EXPECT_EQ(ReadNumber(store_, Setting::kServersCount), 0u);
  EXPECT_EQ(ReadNumber(store_, Setting::kDisplayedTipNum), 0u);
  EXPECT_EQ(ReadString(store_, Setting::kVerNum), "");

  const SettingDefinition& owners = DefinitionOf(Setting::kShowOwners);
  EXPECT_EQ(owners.subkey, "Servers");
  EXPECT_EQ(owners.name, "ShowOwners");
  EXPECT_EQ(DefinitionOf(Setting::kPageWidth).subkey, "TXText");
  EXPECT_EQ(DefinitionOf(Setting::kIgnoreColSeq).subkey, "Comparisons");
  EXPECT_EQ(AllSettings().size(), 25u);
}

TEST_F(SettingsTest, BooleanIsOnOnlyWhenStoredAsOne) {
  store_.SaveNumber("Software\\KVN\\Comparisons", "IgnoreWhitespace", 2);  // default on
  store_.SaveNumber("Software\\KVN\\Comparisons", "CaseSensitive", 1);
  EXPECT_FALSE(ReadBoolean(store_, Setting::kIgnoreWhitespace));
  EXPECT_TRUE(ReadBoolean(store_, Setting::kCaseSensitive));
  store_.SaveString("Software\\KVN\\Comparisons", "IgnoreComments", "0");  // wrong type
  EXPECT_TRUE(ReadBoolean(store_, Setting::kIgnoreComments));
}

TEST_F(SettingsTest, TimeoutStoredAsTextReadsThirty) {
  store_.SaveString("Software\\KVN", "Timeout", "90");
  EXPECT_EQ(LoadSettings(store_, false).timeout, 30u);
}

TEST_F(SettingsTest, FilterOfflineDbsIsHonouredOnlyInDebugMode) {
  WriteBoolean(store_, Setting::kFilterOfflineDbs, false);
  EXPECT_TRUE(LoadSettings(store_, /*debug_mode=*/false).filter_offline_dbs);
  EXPECT_FALSE(LoadSettings(store_, /*debug_mode=*/true).filter_offline_dbs);
}

TEST_F(SettingsTest, CursorLocationFollowsTheServerSideSetting) {
  WriteBoolean(store_, Setting::kCursorConnectionUseServer, false);
  EXPECT_EQ(LoadSettings(store_, false).cursor_location, kClientSideCursor);
}

TEST_F(SettingsTest, VersionCheckWritesVerNumOnlyWhenDifferent) {
  CheckSettingsVersion(store_);
  EXPECT_EQ(ReadString(store_, Setting::kVerNum), "1.3");
  const auto first_write = std::filesystem::last_write_time(store_.file());
  const auto text = testing::ReadFile(store_.file());
  CheckSettingsVersion(store_);
  EXPECT_EQ(testing::ReadFile(store_.file()), text);
  EXPECT_EQ(std::filesystem::last_write_time(store_.file()), first_write);
  WriteString(store_, Setting::kVerNum, "1.2");
  CheckSettingsVersion(store_);
  EXPECT_EQ(ReadString(store_, Setting::kVerNum), "1.3");
}

TEST_F(SettingsTest, PageSizeIsRaisedToItsMinimum) {
  WriteNumber(store_, Setting::kPageWidth, 100);
  WriteNumber(store_, Setting::kPageHeight, 30000);
  const TextViewPageSize size = ReadTextViewPageSize(store_);
  EXPECT_EQ(size.width, 20000u);
  EXPECT_EQ(size.height, 30000u);
}

TEST_F(SettingsTest, OptionsValidationResetsTooFewRowsAndTooSmallCache) {
  OptionsValues values = ReadOptions(store_);
  EXPECT_EQ(values.max_rows_text, "5000");
  EXPECT_EQ(values.cache_size_text, "5");
  values.max_rows_text = "5";
  values.cache_size_text = "";
  ValidateOptions(values, ui_);
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].text,
            "Maximum number of rows displayed in differences table cannot be smaller than 10."
            "\r\n\r\nProgram will reset this value to 10.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
  EXPECT_EQ(ui_.messages[0].title, "Korvane");
  EXPECT_EQ(ui_.messages[1].text,
            "Cache Size cannot be smaller than 1.\r\n\r\nProgram will reset this value to 1.");
  EXPECT_EQ(values.max_rows_text, "10");
  EXPECT_EQ(values.cache_size_text, "1");

  LoadedSettings loaded = LoadSettings(store_, false);
  SaveOptions(store_, values, loaded);
  EXPECT_EQ(ReadNumber(store_, Setting::kMaxRowsInDiffTable), 10u);
  EXPECT_EQ(ReadNumber(store_, Setting::kCacheSize), 1u);
  EXPECT_EQ(loaded.max_rows_in_diff_table, 10u);
}

TEST_F(SettingsTest, ValidOptionsShowNoMessage) {
  OptionsValues values = ReadOptions(store_);
  values.max_rows_text = "10";
  values.cache_size_text = "1";
  ValidateOptions(values, ui_);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SettingsTest, SavingOptionsWritesEverySettingAndTheLoadedCopies) {
  OptionsValues values = ReadOptions(store_);
  values.auto_connect = true;
  values.show_owners = true;
  values.case_sensitive = true;
  values.ignore_whitespace = false;
  values.server_side_cursor = false;
  values.show_data_comp_opt = false;
  values.prompt_to_save = false;
  values.analyze_constraints = true;
  values.max_rows_text = "99999999999";  // more than a setting holds
  LoadedSettings loaded;
  SaveOptions(store_, values, loaded);
  EXPECT_TRUE(ReadBoolean(store_, Setting::kAutoConnect));
  EXPECT_TRUE(ReadBoolean(store_, Setting::kShowOwners));
  EXPECT_FALSE(ReadBoolean(store_, Setting::kShowDataCompOpt));
  EXPECT_FALSE(ReadBoolean(store_, Setting::kPromptToSave));
  EXPECT_EQ(ReadNumber(store_, Setting::kMaxRowsInDiffTable), 2147483647u);
  EXPECT_EQ(store_.GetValue("Software\\KVN\\Servers", "CursorConnectionUseServer")->number, 0u);
  EXPECT_EQ(LoadSettings(store_, false), loaded);
  EXPECT_EQ(ReadOptions(store_).max_rows_text, "2147483647");
}

TEST_F(SettingsTest, ReactionsAfterOptionsFollowTheFixedOrder) {
  using Kind = OptionsReaction::Kind;
  LoadedSettings before;
  LoadedSettings after = before;
  EXPECT_TRUE(OptionsReactions(before, after).empty());

  after.show_owners = true;
  after.cursor_location = kClientSideCursor;
  after.cache_size = 9;
  after.analyze_constraints = true;
  const auto reactions = OptionsReactions(before, after);
  ASSERT_EQ(reactions.size(), 4u);
  EXPECT_EQ(reactions[0].kind, Kind::kRedoOwnerLayout);
  EXPECT_EQ(reactions[0].message, "");
  EXPECT_EQ(reactions[1].kind, Kind::kReloadBothSides);
  EXPECT_EQ(reactions[1].message,
            "Cursor location setting was changed.\r\n\r\n"
            "Please click OK and wait while the connections are refreshed.");
  EXPECT_EQ(reactions[2].kind, Kind::kCacheSizeNotice);
  EXPECT_EQ(reactions[2].message,
            "Cache Size setting was changed.\r\n\r\nPlease note that this setting has meaning "
            "only when Cursor Location is set to server-side.");
  EXPECT_EQ(reactions[3].kind, Kind::kRefreshObjectTypes);
  EXPECT_EQ(reactions[3].message,
            "Setting 'Treat Constraints as a separate object type' changed.\r\n\r\n"
            "Please click OK and wait while the display is refreshed.");
}

TEST_F(SettingsTest, CacheSizeChangeWithServerSideCursorsSaysNothing) {
  LoadedSettings before;
  LoadedSettings after = before;
  after.cache_size = 50;
  EXPECT_TRUE(OptionsReactions(before, after).empty());
}

TEST_F(SettingsTest, TimeoutAcceptsWholeNumbersFromZero) {
  LoadedSettings loaded;
  EXPECT_TRUE(SaveTimeout(store_, loaded, "0", ui_));
  EXPECT_EQ(ReadNumber(store_, Setting::kTimeout), 0u);
  EXPECT_TRUE(SaveTimeout(store_, loaded, "120", ui_));
  EXPECT_EQ(loaded.timeout, 120u);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SettingsTest, TimeoutRefusesEmptyAndNonNumericEntries) {
  LoadedSettings loaded;
  for (const char* entry : {"", "abc", "12x", "-5", "99999999999"}) {
    EXPECT_FALSE(SaveTimeout(store_, loaded, entry, ui_)) << entry;
  }
  ASSERT_EQ(ui_.messages.size(), 5u);
  EXPECT_EQ(ui_.messages[0].text, "Entered value is not valid. Timeout is not changed.");
  EXPECT_EQ(ui_.messages[0].title, "Changes Not Saved");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
  EXPECT_EQ(loaded.timeout, 30u);
  EXPECT_FALSE(store_.GetValue("Software\\KVN", "Timeout").has_value());
}

TEST_F(SettingsTest, TimeoutFieldAcceptsDigitsAndBackspaceOnly) {
  EXPECT_TRUE(IsTimeoutKeyAccepted('0'));
  EXPECT_TRUE(IsTimeoutKeyAccepted('9'));
  EXPECT_TRUE(IsTimeoutKeyAccepted(8));
  EXPECT_FALSE(IsTimeoutKeyAccepted('-'));
  EXPECT_FALSE(IsTimeoutKeyAccepted('a'));
  EXPECT_EQ(DigitsOnly("1a2-3 "), "123");
}

TEST_F(SettingsTest, TimeoutExplanationText) {
  EXPECT_EQ(kTimeoutExplanation,
            "Timeout indicates, in seconds, how long to wait while executing a command before "
            "terminating the attempt. Default is 30.\r\n\r\nSometimes due to delays from network "
            "traffic or heavy server use, server is not as responsive as usual and increasing "
            "timeout can prevent application from cancelling the attempt.\r\n\r\nIf you set the "
            "timeout to zero, KVN will wait indefinitely until the execution is complete.");
}

TEST_F(SettingsTest, DebugOptionsWriteFilterAndPageSize) {
  LoadedSettings loaded;
  SaveDebugOptions(store_, loaded, false, "30000", "abc");
  EXPECT_FALSE(loaded.filter_offline_dbs);
  EXPECT_FALSE(ReadBoolean(store_, Setting::kFilterOfflineDbs));
  EXPECT_EQ(ReadNumber(store_, Setting::kPageWidth), 30000u);
  EXPECT_FALSE(store_.GetValue("Software\\KVN\\TXText", "PageHeight").has_value());
}

}  // namespace
}  // namespace korvane

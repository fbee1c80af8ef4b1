// The Options, Timeout and debug options dialogs, driven as a person would.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "app/settings.h"
#include "dialog_test_support.h"
#include "ui/debug_options_dialog.h"
#include "ui/options_dialog.h"
#include "ui/timeout_dialog.h"

namespace korvane {
namespace {

class OptionsDialogTest : public testing::WindowTest {
 protected:
  const SettingsStore& store() const { return context_->settings_store; }
};

TEST_F(OptionsDialogTest, EveryTabWithItsCaptionAndControl) {
  OptionsDialog dialog(*context_);
  const std::vector<std::string> captions = {
      "Auto Connect",  "Show Owners",         "Rows to Display",     "Case Sensitivity",
      "Whitespace",    "Ignore Comments",     "Ignore Indexes",      "Cursor Location",
      "Cache Size",    "Ignore Sys. Objects", "Data Comparison",     "Preserve Selection",
      "Columns Order", "Target Selection",    "Analyze Constraints", "Prompt to Save"};
  ASSERT_EQ(dialog.tabs()->count(), static_cast<int>(captions.size()));
  for (int i = 0; i < dialog.tabs()->count(); ++i)
    EXPECT_EQ(dialog.tabs()->tabText(i).toStdString(), captions[i]);

  const std::vector<std::pair<const char*, const char*>> boxes = {
      {"chkAutoConnect", "Connect to SQL Server(s) at startup"},
      {"chkShowOwners", "Show Ownership of database objects"},
      {"chkCaseSensitive", "Make comparisons case sensitive"},
      {"chkIgnoreWhitespace", "Ignore whitespaces"},
      {"chkIgnoreComments", "Ignore comments"},
      {"chkIgnoreIndexes", "Ignore indexes"},
      {"chkIgnoreSysObjects", "Ignore system objects"},
      {"chkShowDataCompOpt", "Show Data Comparison Options screen"},
      {"chkPreserveDbSel", "Preserve database selection"},
      {"chkIgnoreColSeq", "Ignore columns order"},
      {"chkAutoSelTargetObj", "Automatically select Target object"},
      {"chkAnalyzeConstraints", "Treat Constraints as a separate object type"},
      {"chkPromptToSave", "Prompt to save comparison process"}};
  for (const auto& [name, caption] : boxes) {
    if (auto* box = Find<QCheckBox>(dialog, name)) {
      EXPECT_EQ(box->text(), caption);
    }
  }
  EXPECT_EQ(Find<QRadioButton>(dialog, "optClientSide")->text(), "Client-side");
  EXPECT_EQ(Find<QRadioButton>(dialog, "optServerSide")->text(), "Server-side");
  EXPECT_EQ(Find<QPushButton>(dialog, "cmdOK")->text(), "OK");
  EXPECT_EQ(Find<QPushButton>(dialog, "cmdApply")->text(), "Apply");
  EXPECT_EQ(Find<QPushButton>(dialog, "cmdCancel")->text(), "Cancel");
}

TEST_F(OptionsDialogTest, OpensShowingTheStoredValues) {
  WriteBoolean(context_->settings_store, Setting::kAutoConnect, true);
  WriteBoolean(context_->settings_store, Setting::kIgnoreWhitespace, false);
  WriteBoolean(context_->settings_store, Setting::kCursorConnectionUseServer, false);
  WriteNumber(context_->settings_store, Setting::kMaxRowsInDiffTable, 777);
  OptionsDialog dialog(*context_);
  EXPECT_TRUE(Find<QCheckBox>(dialog, "chkAutoConnect")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>(dialog, "chkIgnoreWhitespace")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>(dialog, "chkIgnoreComments")->isChecked());  // default
  EXPECT_TRUE(Find<QRadioButton>(dialog, "optClientSide")->isChecked());
  EXPECT_EQ(Find<QLineEdit>(dialog, "txtMaxRows")->text(), "777");
  EXPECT_EQ(Find<QLineEdit>(dialog, "txtCacheSize")->text(), "5");
  dialog.tabs()->setCurrentIndex(7);  // Cursor Location
  testing::Screenshot(dialog, "frmOptions");
}

TEST_F(OptionsDialogTest, OkSavesEveryTabAndUpdatesTheLoadedSettings) {
  OptionsDialog dialog(*context_);
  dialog.show();
  Click(dialog, "chkShowOwners");
  Click(dialog, "chkIgnoreColSeq");  // on by default: now off
  Click(dialog, "optClientSide");
  Click(dialog, "chkPromptToSave");
  Retype(dialog, "txtCacheSize", "25");
  Click(dialog, "cmdOK");
  EXPECT_TRUE(dialog.saved());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(ui_.messages.empty());

  EXPECT_TRUE(ReadBoolean(store(), Setting::kShowOwners));
  EXPECT_FALSE(ReadBoolean(store(), Setting::kIgnoreColSeq));
  EXPECT_FALSE(ReadBoolean(store(), Setting::kPromptToSave));
  EXPECT_EQ(store().GetNumber("Software\\KVN\\Servers", "CursorConnectionUseServer", 9), 0u);
  EXPECT_EQ(ReadNumber(store(), Setting::kCacheSize), 25u);
  EXPECT_EQ(ReadNumber(store(), Setting::kMaxRowsInDiffTable), 5000u);
  EXPECT_TRUE(context_->settings.show_owners);
  EXPECT_FALSE(context_->settings.ignore_col_seq);
  EXPECT_EQ(context_->settings.cursor_location, kClientSideCursor);
  EXPECT_EQ(context_->settings.cache_size, 25u);
}

TEST_F(OptionsDialogTest, FiveRowsShowTheRowsMessageAndSaveTen) {
  OptionsDialog dialog(*context_);
  dialog.show();
  Retype(dialog, "txtMaxRows", "5");
  Retype(dialog, "txtCacheSize", "0");
  Click(dialog, "cmdApply");
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].text,
            "Maximum number of rows displayed in differences table cannot be smaller than 10."
            "\r\n\r\nProgram will reset this value to 10.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
  EXPECT_EQ(ui_.messages[1].text,
            "Cache Size cannot be smaller than 1.\r\n\r\nProgram will reset this value to 1.");
  EXPECT_EQ(Find<QLineEdit>(dialog, "txtMaxRows")->text(), "10");
  EXPECT_EQ(Find<QLineEdit>(dialog, "txtCacheSize")->text(), "1");
  EXPECT_EQ(ReadNumber(store(), Setting::kMaxRowsInDiffTable), 10u);
  EXPECT_EQ(ReadNumber(store(), Setting::kCacheSize), 1u);
  EXPECT_TRUE(dialog.saved());
  EXPECT_TRUE(dialog.isVisible());  // Apply keeps the dialog open
}

TEST_F(OptionsDialogTest, NumberFieldsTakeDigitsOnly) {
  OptionsDialog dialog(*context_);
  dialog.show();
  Retype(dialog, "txtMaxRows", "1a2-b3 ");
  EXPECT_EQ(Find<QLineEdit>(dialog, "txtMaxRows")->text(), "123");
  auto* cache = Find<QLineEdit>(dialog, "txtCacheSize");
  cache->setText("4");
  cache->setCursorPosition(0);
  QTest::keyClicks(cache, "x7");
  EXPECT_EQ(cache->text(), "74");
  EXPECT_EQ(cache->cursorPosition(), 1);
}

TEST_F(OptionsDialogTest, CancelSavesNothing) {
  OptionsDialog dialog(*context_);
  dialog.show();
  Click(dialog, "chkAutoConnect");
  Retype(dialog, "txtMaxRows", "5");
  Click(dialog, "cmdCancel");
  EXPECT_FALSE(dialog.saved());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(store().GetValue("Software\\KVN\\Servers", "AutoConnect").has_value());
  EXPECT_FALSE(store().GetValue("Software\\KVN", "MaxRowsInDiffTable").has_value());
}

class TimeoutDialogTest : public OptionsDialogTest {};

TEST_F(TimeoutDialogTest, ShowsTheExplanationAndTheCurrentTimeout) {
  context_->settings.timeout = 45;
  TimeoutDialog dialog(*context_);
  EXPECT_EQ(Find<QLineEdit>(dialog, "txtTimeout")->text(), "45");
  EXPECT_EQ(Find<QLabel>(dialog, "lblExplanation")->text().toStdString(),
            "Timeout indicates, in seconds, how long to wait while executing a command before "
            "terminating the attempt. Default is 30.\n\nSometimes due to delays from network "
            "traffic or heavy server use, server is not as responsive as usual and increasing "
            "timeout can prevent application from cancelling the attempt.\n\nIf you set the "
            "timeout to zero, KVN will wait indefinitely until the execution is complete.");
  testing::Screenshot(dialog, "frmTimeout");
}

TEST_F(TimeoutDialogTest, TypedLettersAreRefusedAndOkStoresTheSeconds) {
  TimeoutDialog dialog(*context_);
  dialog.show();
  auto* field = Find<QLineEdit>(dialog, "txtTimeout");
  field->selectAll();
  QTest::keyClicks(field, "1x2.5 ");
  EXPECT_EQ(field->text(), "125");
  QTest::keyClick(field, Qt::Key_Backspace);
  EXPECT_EQ(field->text(), "12");
  Click(dialog, "cmdOK");
  EXPECT_TRUE(dialog.saved());
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(ReadNumber(store(), Setting::kTimeout), 12u);
  EXPECT_EQ(context_->settings.timeout, 12u);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(TimeoutDialogTest, ZeroWaitsWithoutLimit) {
  TimeoutDialog dialog(*context_);
  dialog.show();
  Retype(dialog, "txtTimeout", "0");
  QTest::keyClick(Find<QLineEdit>(dialog, "txtTimeout"), Qt::Key_Return);  // OK is the default
  EXPECT_TRUE(dialog.saved());
  EXPECT_EQ(context_->settings.timeout, 0u);
}

TEST_F(TimeoutDialogTest, EmptyOrPastedTextIsRefusedAndNothingChanges) {
  TimeoutDialog dialog(*context_);
  dialog.show();
  auto* field = Find<QLineEdit>(dialog, "txtTimeout");
  field->clear();
  Click(dialog, "cmdOK");
  field->setText("12 s");  // pasting bypasses the keys
  Click(dialog, "cmdOK");
  ASSERT_EQ(ui_.messages.size(), 2u);
  for (const auto& message : ui_.messages) {
    EXPECT_EQ(message.text, "Entered value is not valid. Timeout is not changed.");
    EXPECT_EQ(message.title, "Changes Not Saved");
    EXPECT_EQ(message.icon, MessageIcon::kExclamation);
  }
  EXPECT_FALSE(dialog.saved());
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_FALSE(store().GetValue("Software\\KVN", "Timeout").has_value());
  EXPECT_EQ(context_->settings.timeout, 30u);
}

class DebugOptionsDialogTest : public OptionsDialogTest {};

TEST_F(DebugOptionsDialogTest, OkStoresTheFilterAndThePageSize) {
  DebugOptionsDialog dialog(*context_);
  dialog.show();
  auto* filter = Find<QCheckBox>(dialog, "chkFilterOfflineDbs");
  EXPECT_TRUE(filter->isChecked());
  EXPECT_EQ(Find<QLineEdit>(dialog, "txtPageWidth")->text(), "20000");
  EXPECT_EQ(Find<QLineEdit>(dialog, "txtPageHeight")->text(), "15840");
  Click(dialog, "chkFilterOfflineDbs");
  Retype(dialog, "txtPageWidth", "30000");
  Retype(dialog, "txtPageHeight", "");  // left as it was
  Click(dialog, "cmdOK");
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(store().GetNumber("Software\\KVN\\Servers", "FilterOfflineDbs", 9), 0u);
  EXPECT_FALSE(context_->settings.filter_offline_dbs);
  EXPECT_EQ(store().GetNumber("Software\\KVN\\TXText", "PageWidth", 9), 30000u);
  EXPECT_FALSE(store().GetValue("Software\\KVN\\TXText", "PageHeight").has_value());
}

TEST_F(DebugOptionsDialogTest, TitleTabsAndLabels) {
  DebugOptionsDialog dialog(*context_);
  EXPECT_EQ(dialog.windowTitle(), "Options - Debugging");
  auto* tabs = Find<QTabWidget>(dialog, "tabOptions");
  QStringList captions;
  for (int i = 0; i < tabs->count(); ++i)
    captions << tabs->tabText(i);
  EXPECT_EQ(captions, (QStringList{"Connection Method", "Filter Offline Databases",
                                   "Text Control Settings"}));
  EXPECT_EQ(Find<QCheckBox>(dialog, "chkFilterOfflineDbs")->text(), "Filter offline databases");
  QStringList labels;
  for (const QLabel* label : tabs->widget(2)->findChildren<QLabel*>())
    labels << label->text();
  EXPECT_EQ(labels, (QStringList{"New page width:", "New page height:"}));
  testing::Screenshot(dialog, "frmOptionsDebug");
}

TEST_F(DebugOptionsDialogTest, StoreThatCannotBeWrittenKeepsTheDialogOpen) {
  std::filesystem::create_directories(context_->settings_store.file() / "in-the-way");
  DebugOptionsDialog dialog(*context_);
  dialog.show();
  Click(dialog, "chkFilterOfflineDbs");
  Click(dialog, "cmdOK");
  EXPECT_TRUE(dialog.isVisible());
  ASSERT_FALSE(ui_.messages.empty());
  EXPECT_EQ(ui_.messages.back().title, kSettingsNotSavedTitle);
  EXPECT_TRUE(context_->settings.filter_offline_dbs);
}

TEST_F(DebugOptionsDialogTest, CancelStoresNothing) {
  DebugOptionsDialog dialog(*context_);
  dialog.show();
  Click(dialog, "chkFilterOfflineDbs");
  Click(dialog, "cmdCancel");
  EXPECT_FALSE(store().GetValue("Software\\KVN\\Servers", "FilterOfflineDbs").has_value());
}

}  // namespace
}  // namespace korvane

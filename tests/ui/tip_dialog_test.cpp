#include "ui/tip_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/settings.h"
#include "app/tip_of_day.h"
#include "dialog_test_support.h"

namespace korvane {
namespace {

using testing::WriteFile;

class TipDialogTest : public testing::WindowTest {
 protected:
  void WriteTips(const std::string& tips) {
    WriteFile(context_->locations.tip_of_day_file, "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n" + tips);
  }
  QString TipText(TipDialog& dialog) { return Find<QLabel>(dialog, "lblTipText")->text(); }
  QString Counter(TipDialog& dialog) { return Find<QLabel>(dialog, "lblTipNumber")->text(); }
};

TEST_F(TipDialogTest, ShowsTheNextTipAtEachOpeningAndOnNextTip) {
  WriteTips(
      "one\r\nCompare All (F8) compares every object of the two selected databases.     Choose "
      "Details to see the differing lines as well.\r\nthree\r\n");
  {
    TipDialog dialog(*context_);
    EXPECT_EQ(dialog.windowTitle(), "Tip of the Day");
    EXPECT_EQ(TipText(dialog), "one");
    EXPECT_EQ(Counter(dialog), "Tip number 1/3");
    QTest::mouseClick(Find<QPushButton>(dialog, "cmdNextTip"), Qt::LeftButton);
    EXPECT_EQ(TipText(dialog),
              "Compare All (F8) compares every object of the two selected databases.\n\nChoose "
              "Details to see the differing lines as well.");
    EXPECT_EQ(Counter(dialog), "Tip number 2/3");
    testing::Screenshot(dialog, "frmTip");
    QTest::mouseClick(Find<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
  EXPECT_EQ(ReadNumber(context_->settings_store, Setting::kDisplayedTipNum), 2u);
  TipDialog again(*context_);
  EXPECT_EQ(TipText(again), "three");
  QTest::mouseClick(Find<QPushButton>(again, "cmdNextTip"), Qt::LeftButton);
  EXPECT_EQ(TipText(again), "one");
  EXPECT_EQ(Counter(again), "Tip number 1/3");
}

TEST_F(TipDialogTest, EscapeClosesAndStoresTheCheckBox) {
  WriteTips("one\r\ntwo");
  TipDialog dialog(*context_);
  auto* show_at_startup = Find<QCheckBox>(dialog, "chkLoadTipsAtStartup");
  EXPECT_TRUE(show_at_startup->isChecked());  // the default
  QTest::mouseClick(show_at_startup, Qt::LeftButton);
  EXPECT_FALSE(show_at_startup->isChecked());
  dialog.show();
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(ReadBoolean(context_->settings_store, Setting::kShowTipOfDay));
  EXPECT_EQ(context_->settings_store.GetNumber("Software\\KVN", "ShowTipOfDay", 9), 0u);
  EXPECT_EQ(ReadNumber(context_->settings_store, Setting::kDisplayedTipNum), 1u);

  TipDialog again(*context_);
  EXPECT_FALSE(Find<QCheckBox>(again, "chkLoadTipsAtStartup")->isChecked());
}

TEST_F(TipDialogTest, MissingFileIsExplainedWithTheCounterError) {
  TipDialog dialog(*context_);
  EXPECT_EQ(Counter(dialog), "Error");
  EXPECT_EQ(TipText(dialog).toStdString(),
            "That the TipOfDay.txt file was not found? \n\nCreate a text file named "
            "TipOfDay.txt using NotePad with 1 tip per line, leaving first 6 lines empty. Then "
            "place it in the same directory as the application. \n\nOptionally, reinstall this "
            "program.");
}

TEST_F(TipDialogTest, FileWithOnlyTheHeaderShowsNothing) {
  WriteTips("");
  TipDialog dialog(*context_);
  EXPECT_EQ(TipText(dialog), "");
  EXPECT_EQ(Counter(dialog), "");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(TipDialogTest, ShippedTipFileHoldsTenToFifteenTips) {
  const std::optional<std::vector<std::string>> tips =
      ReadTipFile(std::filesystem::path(KORVANE_SOURCE_DIR) / "demo" / "TipOfDay.txt");
  ASSERT_TRUE(tips.has_value());
  EXPECT_GE(tips->size(), 10u);
  EXPECT_LE(tips->size(), 15u);
  for (const std::string& tip : *tips)
    EXPECT_GT(tip.size(), 40u) << tip;
}

}  // namespace
}  // namespace korvane

#include "ui/error_report_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "base/text.h"
#include "dialog_test_support.h"
#include "ui/qt_user_interface.h"

namespace korvane {
namespace {

class ErrorReportDialogTest : public testing::WindowTest {
 protected:
  ErrorReport report_ = MakeErrorReport(91, "Object variable not set", "mdlQueryCode",
                                        "GetTableStructure", "Error occured while attempting");
};

TEST_F(ErrorReportDialogTest, ShowsTheIntroductionAndTheReport) {
  ErrorReportDialog dialog(report_, ui_);
  EXPECT_EQ(dialog.windowTitle(), "Voluntary Feedback - Please Help Us");
  EXPECT_EQ(Find<QLabel>(dialog, "lblTitle")->text(), "Voluntary Feedback - Please Help Us");
  EXPECT_EQ(Find<QLabel>(dialog, "lblIntroduction")->text().toStdString(),
            ReplaceAll(ErrorReportIntroduction(), "\r\n", "\n"));
  auto* report = Find<QPlainTextEdit>(dialog, "txtReport");
  EXPECT_TRUE(report->isReadOnly());
  EXPECT_EQ(report->toPlainText().toStdString(),
            "1.3 172 Error 91 (mdlQueryCode:GetTableStructure)\n\nObject variable not set\n\n"
            "Error occured while attempting");
  EXPECT_EQ(Find<QLabel>(dialog, "lblReportContents")->text(), "Error Report Contents:");
  EXPECT_EQ(Find<QLabel>(dialog, "lblComments")->text(),
            "How you got this error, and how we can reproduce it:");
  EXPECT_EQ(Find<QLabel>(dialog, "lblEmail")->text(),
            "Your email address, so we can contact you about this problem:");
  EXPECT_EQ(Find<QLabel>(dialog, "lblRecommended")->text(), "(Highly recommended.)");
  EXPECT_EQ(Find<QPushButton>(dialog, "cmdSend")->text(), "Send Error Report");
  EXPECT_EQ(Find<QPushButton>(dialog, "cmdDoNotSend")->text(), "Do Not Send");
  testing::Screenshot(dialog, "frmErrorReport");
}

TEST_F(ErrorReportDialogTest, SendOpensTheReportAddressWithCommentsAndEmail) {
  ErrorReportDialog dialog(report_, ui_, nullptr, "https://example.test/feedback");
  dialog.show();
  QTest::keyClicks(Find<QPlainTextEdit>(dialog, "txtComments"), "  clicked Compare & waited ");
  QTest::keyClicks(Find<QLineEdit>(dialog, "txtEmail"), " me@example.test ");
  QTest::mouseClick(Find<QPushButton>(dialog, "cmdSend"), Qt::LeftButton);
  ASSERT_EQ(ui_.opened.size(), 1u);
  EXPECT_EQ(ui_.opened[0], ErrorReportAddress("https://example.test/feedback", report_,
                                              "clicked Compare & waited", "me@example.test"));
  EXPECT_NE(ui_.opened[0].find("&Comments=clicked+Compare+%26+waited&Email=me%40example.test&"),
            std::string::npos);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ErrorReportDialogTest, BrowserFailureIsReportedAndTheDialogStillCloses) {
  ui_.open_result = 5;
  ErrorReportDialog dialog(report_, ui_);
  dialog.show();
  QTest::mouseClick(Find<QPushButton>(dialog, "cmdSend"), Qt::LeftButton);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Error on launching URL: 5");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kNone);
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ErrorReportDialogTest, DoNotSendSendsNothing) {
  ErrorReportDialog dialog(report_, ui_);
  dialog.show();
  QTest::mouseClick(Find<QPushButton>(dialog, "cmdDoNotSend"), Qt::LeftButton);
  EXPECT_TRUE(ui_.opened.empty());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(ErrorReportDialogTest, ShowsTheNormalPointerWhileOpenAndRestoresTheBusyOne) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  {
    ErrorReportDialog dialog(report_, ui_);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
  }
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  QApplication::restoreOverrideCursor();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ErrorReportDialogTest, TheProgramsUserInterfaceOpensTheDialog) {
  QtUserInterface qt_ui;
  QString shown_report;
  QTimer::singleShot(0, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->objectName() == "frmErrorReport" && widget->isVisible()) {
        shown_report = widget->findChild<QPlainTextEdit*>("txtReport")->toPlainText();
        QTest::mouseClick(widget->findChild<QPushButton*>("cmdDoNotSend"), Qt::LeftButton);
      }
    }
  });
  qt_ui.ShowErrorReport(MakeErrorReport(5, "Invalid call", "mdlA", "ProcB"));
  EXPECT_EQ(shown_report, "1.3 172 Error 5 (mdlA:ProcB)\n\nInvalid call");
}

}  // namespace
}  // namespace korvane

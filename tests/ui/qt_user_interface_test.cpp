// The Qt user interface's question boxes.
#include "ui/qt_user_interface.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace korvane {
namespace {

// Regression: every question had Yes as its default button whatever default the core asked
// for, so Enter on a question whose default is No (the CSV quoting question, the printer
// question, the export overwrite question) answered Yes.
TEST(QuestionBoxTest, DefaultButtonIsTheDefaultAnswer) {
  const struct {
    Answer default_answer;
    MessageIcon icon;
    QMessageBox::StandardButton expected;
  } cases[] = {
      {Answer::kYes, MessageIcon::kQuestion, QMessageBox::Yes},
      {Answer::kNo, MessageIcon::kQuestion, QMessageBox::No},
      {Answer::kNo, MessageIcon::kExclamation, QMessageBox::No},
      {Answer::kYes, MessageIcon::kExclamation, QMessageBox::Yes},
  };
  for (const auto& c : cases) {
    const auto box =
        BuildQuestionBox("Quote every cell?", "Export", c.default_answer, c.icon, nullptr);
    EXPECT_EQ(box->defaultButton(), box->button(c.expected));
    EXPECT_EQ(box->escapeButton(), box->button(QMessageBox::No));
    EXPECT_EQ(box->text(), "Quote every cell?");
    EXPECT_EQ(box->windowTitle(), "Export");
  }
}

TEST(QuestionBoxTest, EnterGivesTheDefaultAnswer) {
  for (const Answer answer : {Answer::kYes, Answer::kNo}) {
    QtUserInterface ui;
    // Enter is pressed on the box once it is up.
    QTimer::singleShot(0, [] {
      if (QWidget* box = QApplication::activeModalWidget())
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(ui.Ask("Go on?", "Question", answer, MessageIcon::kQuestion), answer);
  }
}

}  // namespace
}  // namespace korvane

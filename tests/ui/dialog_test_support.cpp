#include "dialog_test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "ui/qt_list_control.h"
#include "ui/qt_text_view.h"
#include "ui/report_window.h"

namespace korvane::testing {

WindowTest::WindowTest() {
  context_ = std::make_unique<ApplicationContext>(
      ComputeLocations(folder_ / "bin", folder_ / "profile", Environment{}), ui_, clock_);
}

void BringForward(QWidget* widget) {
  for (QWidget* w = widget; w != nullptr && w->parentWidget() != nullptr; w = w->parentWidget()) {
    if (auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget()))
      stack->setCurrentWidget(w);
  }
}

void WindowTest::Click(QWidget& window, const char* name) {
  QWidget* control = Find<QWidget>(window, name);
  if (control == nullptr)
    return;
  BringForward(control);
  EXPECT_TRUE(control->isVisible()) << name;
  // Check boxes and option buttons answer clicks on their box and caption only.
  const bool box = qobject_cast<QCheckBox*>(control) || qobject_cast<QRadioButton*>(control);
  const QPoint where = box ? QPoint(6, control->height() / 2) : control->rect().center();
  QTest::mouseClick(control, Qt::LeftButton, {}, where);
}

void WindowTest::Retype(QWidget& window, const char* name, const char* text) {
  auto* field = Find<QLineEdit>(window, name);
  if (field == nullptr)
    return;
  BringForward(field);
  field->clear();
  QTest::keyClicks(field, text);
}

std::vector<std::string> WindowTest::MessageTexts() const {
  std::vector<std::string> texts;
  for (const RecordedMessage& message : ui_.messages)
    texts.push_back(message.text);
  return texts;
}

std::filesystem::path Screenshot(QWidget& window, const std::string& name) {
  EXPECT_FALSE(QFontDatabase::families().isEmpty()) << "no font: text would be drawn as boxes";
  window.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QImage image = window.grab().toImage();
  const std::filesystem::path folder = KORVANE_UI_SCREENSHOT_DIR;
  std::filesystem::create_directories(folder);
  const std::filesystem::path file = folder / (name + ".png");
  EXPECT_TRUE(image.save(QString::fromStdString(file.string())));

  // Blank: every pixel is (nearly) the colour of the corner.
  const QColor background = image.pixelColor(0, 0);
  int far_pixels = 0;
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) {
      const QColor c = image.pixelColor(x, y);
      const int distance = std::abs(c.red() - background.red()) +
                           std::abs(c.green() - background.green()) +
                           std::abs(c.blue() - background.blue());
      if (distance > 150)
        ++far_pixels;
    }
  }
  EXPECT_GT(image.width(), 100);
  EXPECT_GT(far_pixels, 200) << name << " looks blank";
  return file;
}

// Runs `act` on the window named `name` as soon as it is the active modal window. When it does
// not open, the test fails and whatever modal window is open is closed so the test can end.
void WhenOpens(const QString& name, std::function<void(QWidget&)> act) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, tries, name, act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->objectName() == name && modal->isVisible()) {
      timer->stop();
      timer->deleteLater();
      act(*modal);
      return;
    }
    if (++*tries > 4000) {
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << name.toStdString() << " did not open";
      if (modal != nullptr)
        modal->close();
    }
  });
  timer->start();
}

void ClickButton(QWidget& window, const char* name) {
  auto* button = window.findChild<QPushButton*>(name);
  ASSERT_NE(button, nullptr) << name;
  button->click();
}

void Choose(QtListControl& list, const std::string& text) {
  for (int row = 0; row < list.RowCount(); ++row) {
    if (list.Cell(row, 0) == text) {
      list.SetCurrentRow(row);
      return;
    }
  }
  ADD_FAILURE() << text << " is not listed";
}

// Closes the report window when it opens, keeping what it showed.
void ReadReport(SeenReport& seen, std::function<void(ReportWindow&)> more) {
  WhenOpens("frmReport", [&seen, more](QWidget& window) {
    auto& report = static_cast<ReportWindow&>(window);
    seen.opened = true;
    seen.title = report.windowTitle().toStdString();
    seen.text = report.pane().Text();
    if (more)
      more(report);
    seen.state = report.state();
    report.reject();
  });
}

}  // namespace korvane::testing

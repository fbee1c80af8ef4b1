#include "dialog_test_support.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <cstdlib>

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

}  // namespace korvane::testing

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

#include "app/settings.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "db/server_list.h"
#include "ui/main_window.h"
#include "ui/qt_list_control.h"
#include "ui/qt_text_view.h"
#include "ui/report_window.h"

namespace korvane::testing {

WindowTest::WindowTest() {
  context_ = std::make_unique<ApplicationContext>(
      ComputeLocations(folder_ / "bin", folder_ / "profile", Environment{}), ui_, clock_);
}

bool WindowTest::AddEmbeddedServer(const std::filesystem::path& servers, const std::string& server,
                                   bool auto_connect) {
  context_->backends.embedded = std::make_shared<EmbeddedBackend>(servers);
  AddServerForm form;
  form.server = server;
  form.sql_auth = false;
  const bool added = AddServer(*context_, form, [](const ServerRecord&) { return true; }).added;
  WriteBoolean(context_->settings_store, Setting::kAutoConnect, auto_connect);
  WriteBoolean(context_->settings_store, Setting::kShowTipOfDay, false);
  return added;
}

void WindowTest::DrainQueuedChecks() {
  for (int turn = 0; turn < 1000; ++turn)
    QApplication::processEvents();
}

void DemoWindowTest::LoadDemo(const std::string& server, bool with_dev) {
  loaded_ = std::make_unique<ScratchFolder>();
  load_error_.clear();
  const std::filesystem::path demo = std::filesystem::path(KORVANE_SOURCE_DIR) / "demo";
  std::vector<std::pair<std::string, std::string>> releases = {
      {"FernhollowLive", "Fernhollow_v1.sql"}};
  if (with_dev)
    releases.emplace_back("FernhollowDev", "Fernhollow_v2.sql");
  for (const auto& [database, file] : releases) {
    const std::string script = ReadFile(demo / file);
    const ScriptLoadResult loaded = LoadScript(*loaded_ / "servers", server, database, script);
    if (script.empty() || !loaded.ok) {
      load_error_ = database + ": " + (script.empty() ? "no script " + file : loaded.message);
      return;
    }
  }
}

void DemoWindowTest::UseDemoCopy(const std::string& server) {
  ASSERT_TRUE(load_error_.empty()) << load_error_;
  const std::filesystem::path servers = context_->locations.servers_folder;
  std::filesystem::create_directories(servers);
  std::filesystem::copy(*loaded_ / "servers", servers, std::filesystem::copy_options::recursive);
  std::filesystem::create_directories(context_->locations.writable_folder);
  ASSERT_TRUE(AddEmbeddedServer(servers, server));
}

void DemoWindowTest::UseDemoInPlace(const std::string& server) {
  ASSERT_TRUE(load_error_.empty()) << load_error_;
  EXPECT_TRUE(AddEmbeddedServer(*loaded_ / "servers", server));
}

std::unique_ptr<MainWindow> DemoWindowTest::OpenDemoWindow(const std::string& source,
                                                           const std::string& target,
                                                           const std::string& table) {
  auto window = std::make_unique<MainWindow>(*context_);
  window->show();
  EXPECT_EQ(window->ConnectState(), kConnected);
  Choose(*Find<QtListControl>(*window, "pvlDb_0"), source);
  if (!target.empty())
    Choose(*Find<QtListControl>(*window, "pvlDb_1"), target);
  if (!table.empty())
    Choose(*Find<QtListControl>(*window, "pvlSqlObj_0"), table);
  ui_.messages.clear();
  return window;
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

void WhenShown(const QString& name, std::function<void(QWidget&)> act, int tries) {
  QTimer::singleShot(0, [name, act, tries] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->objectName() == name && widget->isVisible()) {
        act(*widget);
        return;
      }
    }
    if (tries > 0)
      WhenShown(name, act, tries - 1);
    else
      ADD_FAILURE() << name.toStdString() << " did not open";
  });
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

std::vector<std::string> ColumnTexts(const QtListControl& list, int column) {
  std::vector<std::string> texts;
  for (int row = 0; row < list.RowCount(); ++row)
    texts.push_back(list.Cell(row, column));
  return texts;
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

// What the window tests share: an application context on a scratch profile with the recording
// user interface, finding a window's controls by name, and screenshots.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/application_context.h"
#include "app/locations.h"
#include "base/clock.h"
#include "compare/report_window.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
class MainWindow;
class QtListControl;
class ReportWindow;
}  // namespace korvane

namespace korvane::testing {

// Runs `act` on the window named `name` as soon as it is the active modal window. When it does
// not open, the test fails and whatever modal window is open is closed so the test can end.
void WhenOpens(const QString& name, std::function<void(QWidget&)> act);

// Runs `act` on the visible top-level window named `name` as soon as a modal loop shows it;
// until then the check is queued again, `tries` times at the most, and then the test fails.
void WhenShown(const QString& name, std::function<void(QWidget&)> act, int tries = 200);

// Clicks the push button of `window` named `name`.
void ClickButton(QWidget& window, const char* name);

// Selects the row whose first column reads `text`, as a person clicks it.
void Choose(QtListControl& list, const std::string& text);

// The texts of one column of the list, top to bottom.
std::vector<std::string> ColumnTexts(const QtListControl& list, int column = 0);

// What a report window showed before the test closed it.
struct SeenReport {
  bool opened = false;
  std::string title;
  std::string text;
  ReportWindowState state;
};

// Closes the report window (frmReport) when it opens, keeping what it showed; `more` runs on the
// open window first.
void ReadReport(SeenReport& seen, std::function<void(ReportWindow&)> more = nullptr);

class WindowTest : public ::testing::Test {
 protected:
  WindowTest();

  // The control of `window` named `name`; the test fails when there is none.
  template <typename Widget>
  Widget* Find(QWidget& window, const char* name) {
    Widget* widget = window.findChild<Widget*>(QString::fromUtf8(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  // Clicks the control as a person would: a check box or option button on its box, a control
  // on a tab page after bringing the page forward.
  void Click(QWidget& window, const char* name);
  // Empties the field and types the text into it key by key.
  void Retype(QWidget& window, const char* name, const char* text);

  // The message texts shown so far, in order.
  std::vector<std::string> MessageTexts() const;

  // Lists the embedded `server` whose databases lie in `servers` (Windows authentication), with
  // AutoConnect as `auto_connect` and the tip of the day off. False when it was not added.
  bool AddEmbeddedServer(const std::filesystem::path& servers, const std::string& server,
                         bool auto_connect = true);

  // Runs the event loop long enough for the checks earlier tests left queued (they re-queue
  // themselves for a bounded number of turns) to run out before they could act on this test's
  // windows.
  static void DrainQueuedChecks();

  ScratchFolder folder_;
  RecordingUserInterface ui_;
  ManualClock clock_;
  std::unique_ptr<ApplicationContext> context_;
};

// Window tests on the demo databases, loaded once per suite from their creation scripts into
// one embedded server; every test lists a copy of that server in its own profile.
class DemoWindowTest : public WindowTest {
 protected:
  // Loads FernhollowLive, and FernhollowDev with `with_dev`, into `server`. A failure is kept
  // and reported by every test of the suite.
  static void LoadDemo(const std::string& server, bool with_dev);
  static void TearDownTestSuite() { loaded_.reset(); }

  // Copies the loaded servers into this test's profile and lists `server` there, connecting
  // on opening.
  void UseDemoCopy(const std::string& server);
  // Lists `server` from the loaded folder itself, for suites that only read the databases.
  void UseDemoInPlace(const std::string& server);

  // Opens the main window, connected, with `source` chosen on the left, `target` (when given) on
  // the right and `table` (when given) in the left list; the messages shown so far are dropped.
  std::unique_ptr<MainWindow> OpenDemoWindow(const std::string& source, const std::string& target,
                                             const std::string& table);

  static inline std::unique_ptr<ScratchFolder> loaded_;
  static inline std::string load_error_;
};

// Grabs the window (shown and laid out) to <build>/tests/ui/screenshots/<name>.png and returns
// the file. The test fails when no font is installed (Qt would draw empty boxes) or when the
// image is blank: a window with text on it has many pixels far from its background.
// Brings forward every tab page (stacked page) the widget lies on.
void BringForward(QWidget* widget);

std::filesystem::path Screenshot(QWidget& window, const std::string& name);

}  // namespace korvane::testing

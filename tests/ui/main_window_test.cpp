#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QTimer>

#include "app/application_context.h"
#include "app/clock.h"
#include "app/locations.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"
#include "ui/korvane_app.h"

namespace korvane {
namespace {

using testing::ScratchFolder;

TEST(KorvaneAppTest, StartsWithAnEmptyMainWindowAndEndsWhenItCloses) {
  ScratchFolder folder;
  const ManualClock clock;
  QString title;
  bool visible = false;
  // Once the event loop runs, look at the window the program opened, then close it as a person
  // would with the close box.
  QTimer::singleShot(0, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->objectName() == "frmMain") {
        title = widget->windowTitle();
        visible = widget->isVisible();
        widget->close();
      }
    }
  });
  QApplication* app = qApp;
  const int status = RunKorvane(*app, {"--profile", (folder / "p").string()}, Environment{},
                                folder / "bin", clock);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(title, "Korvane");
  EXPECT_TRUE(visible);
  EXPECT_TRUE(std::filesystem::exists(folder / "p" / "settings.reg"));
}

TEST(MainWindowTest, DebugMenuOnlyInDebugMode) {
  ScratchFolder folder;
  testing::RecordingUserInterface ui;
  const ManualClock clock;
  ApplicationContext context(ComputeLocations(folder / "bin", folder / "p", Environment{}), ui,
                             clock);
  MainWindow normal(context);
  EXPECT_FALSE(normal.debugMenu()->menuAction()->isVisible());
  EXPECT_FALSE(normal.debugMenu()->menuAction()->isEnabled());
  context.DebugMode = true;
  MainWindow debugging(context);
  EXPECT_TRUE(debugging.debugMenu()->menuAction()->isVisible());
  EXPECT_TRUE(debugging.debugMenu()->menuAction()->isEnabled());
}

}  // namespace
}  // namespace korvane

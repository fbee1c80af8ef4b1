#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

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

// The captions of a menu's items, separators as "-".
QStringList Captions(const QMenu* menu) {
  QStringList captions;
  for (const QAction* action : menu->actions())
    captions << (action->isSeparator() ? QString("-") : action->text());
  return captions;
}

// Runs `act` on the first visible top-level window named `name` once the event loop runs (that
// is, once the modal window the test opens next is up).
void WhenShown(const QString& name, std::function<void(QWidget&)> act) {
  QTimer::singleShot(0, [name, act] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->objectName() == name && widget->isVisible()) {
        act(*widget);
        return;
      }
    }
    ADD_FAILURE() << name.toStdString() << " did not open";
  });
}

class MainWindowMenuTest : public ::testing::Test {
 protected:
  MainWindowMenuTest() {
    context_ = std::make_unique<ApplicationContext>(
        ComputeLocations(folder_ / "bin", folder_ / "p", Environment{}), ui_, clock_);
  }
  QAction* Item(MainWindow& window, const char* name) {
    auto* action = window.findChild<QAction*>(name);
    EXPECT_NE(action, nullptr) << name;
    return action;
  }

  ScratchFolder folder_;
  testing::RecordingUserInterface ui_;
  ManualClock clock_;
  std::unique_ptr<ApplicationContext> context_;
};

TEST_F(MainWindowMenuTest, MenusCarryTheirCaptionsAndAccessKeys) {
  MainWindow window(*context_);
  QStringList menus;
  for (const QAction* action : window.menuBar()->actions())
    menus << action->text();
  EXPECT_EQ(menus, (QStringList{"&File", "&Tools", "&Help", "&Debug"}));
  EXPECT_EQ(Captions(window.findChild<QMenu*>("mnuTools")),
            (QStringList{"&Add Server", "&Remove Server", "-", "&Timeout", "&Options..."}));
  EXPECT_EQ(Captions(window.findChild<QMenu*>("mnuHelp")), QStringList{"&Tip of the Day..."});
  EXPECT_EQ(Captions(window.debugMenu()), QStringList{"&Options"});
}

TEST_F(MainWindowMenuTest, RemoveServerWithAnEmptyListOnlySaysSo) {
  MainWindow window(*context_);
  Item(window, "mnuToolsRemoveServer")->trigger();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "There are no servers stored in the list.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
}

TEST_F(MainWindowMenuTest, AddedServerIsAnnounced) {
  MainWindow window(*context_);
  window.SetConnectionTest([](const ServerRecord&) { return true; });
  QSignalSpy changed(&window, &MainWindow::serverListChanged);
  WhenShown("frmAddServer", [](QWidget& dialog) {
    dialog.findChild<QRadioButton*>("optWindowsAuth")->click();
    dialog.findChild<QLineEdit*>("txtServer")->setText("sql01");
    dialog.findChild<QPushButton*>("cmdOK")->click();
  });
  Item(window, "mnuToolsAddServer")->trigger();
  EXPECT_EQ(changed.count(), 1);
  ASSERT_EQ(context_->servers.size(), 1u);
  EXPECT_EQ(context_->servers[0].Name, "sql01");

  WhenShown("frmDeleteServer", [](QWidget& dialog) {
    auto* list = dialog.findChild<QListWidget*>("lstServers");
    list->setCurrentRow(0);
    dialog.findChild<QPushButton*>("cmdRemove")->click();
  });
  Item(window, "mnuToolsRemoveServer")->trigger();
  EXPECT_EQ(changed.count(), 2);
  EXPECT_TRUE(context_->servers.empty());
}

TEST_F(MainWindowMenuTest, SavedOptionsShowTheirReactionsInOrder) {
  MainWindow window(*context_);
  QSignalSpy reactions(&window, &MainWindow::optionsReaction);
  WhenShown("frmOptions", [](QWidget& dialog) {
    dialog.findChild<QRadioButton*>("optClientSide")->click();
    dialog.findChild<QCheckBox*>("chkAnalyzeConstraints")->click();
    dialog.findChild<QPushButton*>("cmdOK")->click();
  });
  Item(window, "mnuToolsOptions")->trigger();
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].text,
            "Cursor location setting was changed.\r\n\r\n"
            "Please click OK and wait while the connections are refreshed.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(ui_.messages[1].text,
            "Setting 'Treat Constraints as a separate object type' changed.\r\n\r\n"
            "Please click OK and wait while the display is refreshed.");
  ASSERT_EQ(reactions.count(), 2);
  EXPECT_EQ(reactions.at(0).at(0).value<OptionsReaction::Kind>(),
            OptionsReaction::Kind::kReloadBothSides);
  EXPECT_EQ(reactions.at(1).at(0).value<OptionsReaction::Kind>(),
            OptionsReaction::Kind::kRefreshObjectTypes);
}

TEST_F(MainWindowMenuTest, CancelledOptionsChangeNothing) {
  MainWindow window(*context_);
  QSignalSpy reactions(&window, &MainWindow::optionsReaction);
  WhenShown("frmOptions", [](QWidget& dialog) {
    dialog.findChild<QRadioButton*>("optClientSide")->click();
    dialog.findChild<QPushButton*>("cmdCancel")->click();
  });
  Item(window, "mnuToolsOptions")->trigger();
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(reactions.count(), 0);
  EXPECT_EQ(context_->settings.cursor_location, kServerSideCursor);
}

TEST_F(MainWindowMenuTest, TimeoutTipAndDebugOptionsOpenTheirDialogs) {
  context_->DebugMode = true;
  MainWindow window(*context_);
  WhenShown("frmTimeout", [](QWidget& dialog) {
    dialog.findChild<QLineEdit*>("txtTimeout")->setText("90");
    dialog.findChild<QPushButton*>("cmdOK")->click();
  });
  Item(window, "mnuToolsTimeout")->trigger();
  EXPECT_EQ(context_->settings.timeout, 90u);

  WhenShown("frmTip", [](QWidget& dialog) { dialog.close(); });
  Item(window, "mnuHelpTipOfDay")->trigger();
  EXPECT_EQ(context_->settings_store.GetNumber("Software\\KVN", "ShowTipOfDay", 9), 1u);

  WhenShown("frmOptionsDebug", [](QWidget& dialog) {
    dialog.findChild<QCheckBox*>("chkFilterOfflineDbs")->click();
    dialog.findChild<QPushButton*>("cmdOK")->click();
  });
  Item(window, "mnuDebugOptions")->trigger();
  EXPECT_FALSE(context_->settings.filter_offline_dbs);
}

}  // namespace
}  // namespace korvane

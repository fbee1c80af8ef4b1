#include "app/startup.h"

#include <gtest/gtest.h>

#include "app/application_context.h"
#include "base/clock.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::RecordingUserInterface;
using testing::ScratchFolder;
using testing::WriteFile;

class StartUpTest : public ::testing::Test {
 protected:
  AppLocations Locations() const {
    return ComputeLocations(folder_ / "bin", folder_.path() / "profile", Environment{});
  }
  ScratchFolder folder_;
  RecordingUserInterface ui_;
  ManualClock clock_;
};

TEST_F(StartUpTest, FirstStartWritesVersionAndLocationAndLoadsDefaults) {
  ApplicationContext context(Locations(), ui_, clock_);
  context.CurrentServers[kSource].Name = "left over";
  RunStartUp(context, "");
  EXPECT_FALSE(context.DebugMode);
  EXPECT_EQ(context.RunSavedCompId, 0);
  EXPECT_EQ(context.CurrentServers[kSource], ServerRecord{});
  EXPECT_EQ(context.settings, LoadedSettings{});
  EXPECT_EQ(ReadString(context.settings_store, Setting::kVerNum), "1.3");
  EXPECT_EQ(ReadString(context.settings_store, Setting::kLocation),
            (folder_ / "bin").string() + "/");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(StartUpTest, ReadsTheCommandLineAndStoredSettings) {
  {
    SettingsStore store(Locations().settings_file);
    store.SaveNumber("Software\\KVN", "Timeout", 90);
    store.SaveNumber("Software\\KVN\\Comparisons", "IgnoreColSeq", 0);
  }
  ApplicationContext context(Locations(), ui_, clock_);
  RunStartUp(context, "/RunSavedComp 3.5");
  EXPECT_EQ(context.RunSavedCompId, 4);
  EXPECT_EQ(context.settings.timeout, 90u);
  EXPECT_FALSE(context.settings.ignore_col_seq);
}

TEST_F(StartUpTest, DebugMarkerIsReadOnceAtStartUp) {
  const AppLocations locations = Locations();
  WriteFile(locations.debug_marker, "");
  ApplicationContext context(locations, ui_, clock_);
  RunStartUp(context, "");
  EXPECT_TRUE(context.DebugMode);
  std::filesystem::remove(locations.debug_marker);
  EXPECT_TRUE(context.DebugMode);  // removing the marker changes nothing until the next start
}

}  // namespace
}  // namespace korvane

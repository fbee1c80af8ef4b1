#include "app/logs.h"

#include <gtest/gtest.h>

#include "app/locations.h"
#include "base/clock.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ReadFile;
using testing::ScratchFolder;
using testing::WriteFile;

AppLocations LocationsIn(const ScratchFolder& folder) {
  return ComputeLocations(folder / "bin", folder.path() / "profile", Environment{});
}

TEST(LogsTest, LineIsTimeFiveBlanksTextAndCrLf) {
  const ManualClock clock({2026, 12, 6, 9, 5, 3});
  EXPECT_EQ(LogLine(clock, "Start"), "09:05:03     Start\r\n");
  EXPECT_EQ(LogLine(clock, "a\r\nb"), "09:05:03     a\r\nb\r\n");  // nothing is escaped
}

TEST(LogsTest, DataComparisonLogAppendsAcrossRuns) {
  ScratchFolder folder;
  const AppLocations locations = LocationsIn(folder);
  ManualClock clock({2026, 12, 6, 23, 59, 58});
  WriteDataCompLog(locations, clock, "first run");
  clock.Advance(std::chrono::seconds(3));
  WriteDataCompLog(locations, clock, "second run");
  EXPECT_EQ(ReadFile(locations.data_comp_log),
            "23:59:58     first run\r\n00:00:01     second run\r\n");
}

TEST(LogsTest, UnwritableLogLosesTheLineWithoutAnyFailure) {
  ScratchFolder folder;
  AppLocations locations = LocationsIn(folder);
  WriteFile(folder / "blocker", "a file where the folder should be");
  locations.data_comp_log = folder / "blocker" / "LogDataComp.txt";
  const ManualClock clock;
  WriteDataCompLog(locations, clock, "lost");
  EXPECT_FALSE(std::filesystem::exists(locations.data_comp_log));
}

TEST(LogsTest, ClearErrorLogRemovesOnlyThatFile) {
  ScratchFolder folder;
  const AppLocations locations = LocationsIn(folder);
  ClearErrorLog(locations);  // absent: nothing happens
  EXPECT_FALSE(std::filesystem::exists(locations.writable_folder));
  WriteFile(locations.error_log, "old errors");
  WriteFile(locations.data_comp_log, "kept");
  ClearErrorLog(locations);
  EXPECT_FALSE(std::filesystem::exists(locations.error_log));
  EXPECT_EQ(ReadFile(locations.data_comp_log), "kept");
}

TEST(LogsTest, DebugModeFollowsTheMarkerFile) {
  ScratchFolder folder;
  EXPECT_FALSE(DetectDebugMode(folder / "debug.txt"));
  WriteFile(folder / "debug.txt", "");
  EXPECT_TRUE(DetectDebugMode(folder / "debug.txt"));
}

}  // namespace
}  // namespace korvane

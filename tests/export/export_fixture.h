// A small differences grid and an application context on a scratch profile for export tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "app/application_context.h"
#include "app/locations.h"
#include "app/startup.h"
#include "base/clock.h"
#include "datacomp/diff_grid.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane::testing {

// The grid of a key comparison: one changed pair (Price differs), one Source-only and one
// Target-only record.
inline DiffGrid SmallDifferencesGrid() {
  DiffGrid grid;
  grid.LoadData({"ID", "Name", "Price"});
  grid.AddRecordToGrid_MarkDiff(1, {"7", "Tea", "2.50"}, {"7", "Tea", "2.75"}, kSourceDiffColour,
                                kTargetDiffColour);
  grid.AddRecordToGrid(2, {"8", "Coffee", "4.00"}, kSourceOnlyColour);
  grid.AddRecordToGrid(1, {"9", "Cocoa", "3.10"}, kTargetOnlyColour);
  grid.SetStatistics(2, 2, 3);
  return grid;
}

class ExportTest : public ::testing::Test {
 protected:
  ExportTest()
      : clock_(LocalDateTime{2026, 3, 7, 10, 11, 12}),
        context_(ComputeLocations(folder_ / "bin", folder_ / "p", Environment{}), ui_, clock_) {}

  std::filesystem::path File(const std::string& name) const { return folder_ / name; }

  ScratchFolder folder_;
  RecordingUserInterface ui_;
  ManualClock clock_;
  ApplicationContext context_;
};

}  // namespace korvane::testing

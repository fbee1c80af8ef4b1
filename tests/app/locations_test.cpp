#include "app/locations.h"

#include <gtest/gtest.h>

#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ScratchFolder;
using testing::WriteFile;

TEST(LocationsTest, ProfilePutsEverythingUnderOneFolder) {
  const AppLocations l = ComputeLocations("/opt/korvane/bin", "/tmp/p", Environment{});
  EXPECT_EQ(l.settings_file, "/tmp/p/settings.reg");
  EXPECT_EQ(l.data_folder, "/tmp/p/Documents");
  EXPECT_EQ(l.comps_ini, "/tmp/p/Documents/kvn_comps.ini");
  EXPECT_EQ(l.tables_comps_ini, "/tmp/p/Documents/kvn_tables_comps.ini");
  EXPECT_EQ(l.ignored_cols_data_ini, "/tmp/p/Documents/kvn_ignored_cols_data.ini");
  EXPECT_EQ(l.ignored_cols_struct_ini, "/tmp/p/Documents/kvn_ignored_cols_struct.ini");
  EXPECT_EQ(l.ignored_cols_dataanalysis_ini, "/tmp/p/Documents/kvn_ignored_cols_dataanalysis.ini");
  EXPECT_EQ(l.error_log, "/tmp/p/ErrorLog.txt");
  EXPECT_EQ(l.data_comp_log, "/tmp/p/LogDataComp.txt");
  EXPECT_EQ(l.debug_marker, "/tmp/p/debug.txt");
  EXPECT_EQ(l.servers_folder, "/tmp/p/servers");
  EXPECT_EQ(l.tip_of_day_file, "/opt/korvane/bin/TipOfDay.txt");
}

TEST(LocationsTest, WithoutProfileTheXdgFoldersServe) {
  Environment env;
  env.home = "/home/ann";
  const AppLocations l = ComputeLocations("/usr/bin", std::nullopt, env);
  EXPECT_EQ(l.settings_file, "/home/ann/.config/korvane/settings.reg");
  EXPECT_EQ(l.data_folder, "/home/ann/Documents");
  EXPECT_EQ(l.data_comp_log, "/home/ann/.local/share/korvane/LogDataComp.txt");
  EXPECT_EQ(l.servers_folder, "/home/ann/.local/share/korvane/servers");

  env.xdg_config_home = "/cfg";
  env.xdg_data_home = "/data";
  const AppLocations x = ComputeLocations("/usr/bin", std::nullopt, env);
  EXPECT_EQ(x.settings_file, "/cfg/korvane/settings.reg");
  EXPECT_EQ(x.error_log, "/data/korvane/ErrorLog.txt");
}

TEST(LocationsTest, DocumentsFolderComesFromUserDirs) {
  ScratchFolder folder;
  Environment env;
  env.home = "/home/ann";
  env.xdg_config_home = folder.path().string();
  WriteFile(folder / "user-dirs.dirs",
            "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
            "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  EXPECT_EQ(DocumentsFolder(env), "/home/ann/Dokumente");
  WriteFile(folder / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/\"\n");
  EXPECT_EQ(DocumentsFolder(env), "/home/ann/Documents");  // "home" means not configured
}

TEST(LocationsTest, NoHomeAndNoProfileFallsBackToTheProgramFolder) {
  const AppLocations l = ComputeLocations("/opt/k", std::nullopt, Environment{});
  EXPECT_EQ(l.data_folder, "/opt/k");
  EXPECT_EQ(l.settings_file, "/opt/k/settings.reg");
}

TEST(LaunchArgumentsTest, ProfileOptionWinsOverTheVariable) {
  Environment env;
  env.korvane_profile = "/from/env";
  auto a = ExtractProfileOption({"/RunSavedComp", "3", "--profile", "/opt/p"}, env);
  EXPECT_EQ(a.profile, "/opt/p");
  EXPECT_EQ(a.rest, (std::vector<std::string>{"/RunSavedComp", "3"}));
  EXPECT_EQ(ArgumentText(a.rest), "/RunSavedComp 3");
  a = ExtractProfileOption({"--profile=/x"}, env);
  EXPECT_EQ(a.profile, "/x");
  a = ExtractProfileOption({}, env);
  EXPECT_EQ(a.profile, "/from/env");
  a = ExtractProfileOption({"--profile"}, env);
  EXPECT_FALSE(a.error.empty());
}

TEST(LaunchArgumentsTest, LeadingOnlyStopsAtTheCommandWord) {
  const auto a = ExtractProfileOption(
      {"--profile", "/p", "settings", "set", ".", "X", "string", "--profile"}, Environment{},
      /*leading_only=*/true);
  EXPECT_TRUE(a.error.empty());
  EXPECT_EQ(a.profile, "/p");
  EXPECT_EQ(a.rest.back(), "--profile");
  EXPECT_EQ(a.rest.size(), 6u);
}

}  // namespace
}  // namespace korvane

// Where the program's files live. Everything the program writes goes under one profile folder
// when one is given (--profile DIR or KORVANE_PROFILE), so tests and the demo never touch a
// person's real settings; otherwise under the XDG per-user folders.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

// The environment variables the program consults, read once by the front ends.
struct Environment {
  std::optional<std::string> home;
  std::optional<std::string> xdg_config_home;
  std::optional<std::string> xdg_data_home;
  std::optional<std::string> korvane_profile;
  std::optional<std::string> odbc_driver;  // KORVANE_ODBC_DRIVER: the driver to use
  std::optional<std::string> odbc_extra;   // KORVANE_ODBC_EXTRA: "Key=Value;..." added as given
  // KORVANE_TDS_TEST_HOOKS: faults `serve` injects for tests of clients ("stall-login-ms=2000")
  std::optional<std::string> tds_test_hooks;

  static Environment FromProcess();
};

struct AppLocations {
  std::filesystem::path program_folder;   // the executable's folder; read-only files
  std::filesystem::path settings_file;    // the .reg settings store
  std::filesystem::path data_folder;      // INI files and selection lists
  std::filesystem::path writable_folder;  // logs and the debug marker
  std::filesystem::path servers_folder;   // embedded servers named by a bare name

  std::filesystem::path debug_marker;
  std::filesystem::path tables_comps_ini;
  std::filesystem::path comps_ini;
  std::filesystem::path ignored_cols_data_ini;
  std::filesystem::path ignored_cols_struct_ini;
  std::filesystem::path ignored_cols_dataanalysis_ini;
  std::filesystem::path error_log;
  std::filesystem::path data_comp_log;
  std::filesystem::path tip_of_day_file;
  std::filesystem::path help_folder;
};

// The user's documents folder: XDG_DOCUMENTS_DIR from user-dirs.dirs, else $HOME/Documents;
// empty when neither can be told.
std::filesystem::path DocumentsFolder(const Environment& env);

// All locations for a program in `program_folder`, with an optional profile folder.
AppLocations ComputeLocations(const std::filesystem::path& program_folder,
                              const std::optional<std::filesystem::path>& profile,
                              const Environment& env);

// The folder of the running executable (argv0 serves where the system cannot tell).
std::filesystem::path ExecutableFolder(const char* argv0);

// The arguments after the program name, with the profile option taken out.
struct LaunchArguments {
  std::optional<std::filesystem::path> profile;  // the option wins over KORVANE_PROFILE
  std::vector<std::string> rest;
  std::string error;  // not empty when the option lacks its folder
};
// With `leading_only`, the option is looked for only before the first other argument (the
// command line program's command word).
LaunchArguments ExtractProfileOption(const std::vector<std::string>& args, const Environment& env,
                                     bool leading_only = false);

// The argument text as the command-line reader takes it: the arguments joined by blanks.
std::string ArgumentText(const std::vector<std::string>& args);

}  // namespace korvane

#include "app/locations.h"

#include <cstdlib>
#include <system_error>

#include "base/files.h"
#include "base/text.h"

namespace korvane {
namespace fs = std::filesystem;

namespace {

std::optional<std::string> Variable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0')
    return std::nullopt;
  return std::string(value);
}

fs::path ConfigHome(const Environment& env) {
  if (env.xdg_config_home)
    return *env.xdg_config_home;
  if (env.home)
    return fs::path(*env.home) / ".config";
  return {};
}

fs::path DataHome(const Environment& env) {
  if (env.xdg_data_home)
    return *env.xdg_data_home;
  if (env.home)
    return fs::path(*env.home) / ".local" / "share";
  return {};
}

}  // namespace

Environment Environment::FromProcess() {
  Environment env;
  env.home = Variable("HOME");
  env.xdg_config_home = Variable("XDG_CONFIG_HOME");
  env.xdg_data_home = Variable("XDG_DATA_HOME");
  env.korvane_profile = Variable("KORVANE_PROFILE");
  env.odbc_driver = Variable("KORVANE_ODBC_DRIVER");
  env.odbc_extra = Variable("KORVANE_ODBC_EXTRA");
  env.tds_test_hooks = Variable("KORVANE_TDS_TEST_HOOKS");
  return env;
}

fs::path DocumentsFolder(const Environment& env) {
  const fs::path config = ConfigHome(env);
  if (!config.empty()) {
    if (const auto content = ReadWholeFile(config / "user-dirs.dirs")) {
      for (std::string line : Split(*content, "\n")) {
        if (!line.empty() && line.back() == '\r')
          line.pop_back();
        const std::string_view text = Trim(line);
        constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
        if (!text.starts_with(kKey))
          continue;
        std::string value(text.substr(kKey.size()));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
          value = value.substr(1, value.size() - 2);
        }
        if (value.starts_with("$HOME")) {
          if (!env.home)
            continue;
          value = *env.home + value.substr(5);
        }
        // A documents entry equal to the home folder means "not configured".
        const auto same_folder = [](std::string a, std::string b) {
          while (a.size() > 1 && a.back() == '/')
            a.pop_back();
          while (b.size() > 1 && b.back() == '/')
            b.pop_back();
          return a == b;
        };
        if (!value.empty() && (!env.home || !same_folder(value, *env.home)))
          return value;
      }
    }
  }
  if (env.home)
    return fs::path(*env.home) / "Documents";
  return {};
}

AppLocations ComputeLocations(const fs::path& program_folder,
                              const std::optional<fs::path>& profile, const Environment& env) {
  AppLocations l;
  l.program_folder = program_folder;
  if (profile) {
    std::error_code error;
    const fs::path dir = fs::absolute(*profile, error);
    l.settings_file = dir / "settings.reg";
    l.data_folder = dir / "Documents";
    l.writable_folder = dir;
    l.servers_folder = dir / "servers";
  } else {
    const fs::path config = ConfigHome(env);
    const fs::path data = DataHome(env);
    l.settings_file = (config.empty() ? program_folder : config / "korvane") / "settings.reg";
    l.writable_folder = data.empty() ? program_folder : data / "korvane";
    l.servers_folder = l.writable_folder / "servers";
    l.data_folder = DocumentsFolder(env);
    // Without a documents folder the program's own writable folder serves.
    if (l.data_folder.empty())
      l.data_folder = l.writable_folder;
  }
  l.debug_marker = l.writable_folder / "debug.txt";
  l.tables_comps_ini = l.data_folder / "kvn_tables_comps.ini";
  l.comps_ini = l.data_folder / "kvn_comps.ini";
  l.ignored_cols_data_ini = l.data_folder / "kvn_ignored_cols_data.ini";
  l.ignored_cols_struct_ini = l.data_folder / "kvn_ignored_cols_struct.ini";
  l.ignored_cols_dataanalysis_ini = l.data_folder / "kvn_ignored_cols_dataanalysis.ini";
  l.error_log = l.writable_folder / "ErrorLog.txt";
  l.data_comp_log = l.writable_folder / "LogDataComp.txt";
  l.tip_of_day_file = program_folder / "TipOfDay.txt";
  l.help_folder = program_folder / "docs";
  return l;
}

fs::path ExecutableFolder(const char* argv0) {
  std::error_code error;
#ifdef __linux__
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (!error && !self.empty())
    return self.parent_path();
#endif
  if (argv0 == nullptr || *argv0 == '\0')
    return fs::current_path(error);
  return fs::absolute(fs::path(argv0), error).parent_path();
}

LaunchArguments ExtractProfileOption(const std::vector<std::string>& args, const Environment& env,
                                     bool leading_only) {
  LaunchArguments result;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (leading_only && !result.rest.empty()) {
      result.rest.push_back(arg);
    } else if (arg == "--profile") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        result.error = "--profile needs a folder";
        return result;
      }
      result.profile = args[++i];
    } else if (arg.starts_with("--profile=")) {
      if (arg.size() == 10) {
        result.error = "--profile needs a folder";
        return result;
      }
      result.profile = arg.substr(10);
    } else {
      result.rest.push_back(arg);
    }
  }
  if (!result.profile && env.korvane_profile)
    result.profile = *env.korvane_profile;
  return result;
}

std::string ArgumentText(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& arg : args) {
    if (!text.empty())
      text.push_back(' ');
    text += arg;
  }
  return text;
}

}  // namespace korvane

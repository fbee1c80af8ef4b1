#include "cli/cli.h"

#include <charconv>

#include "app/application_context.h"
#include "app/locations.h"
#include "app/registry_tree.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/text.h"
#include "cli/cli_user_interface.h"

namespace korvane {
namespace {

// KEYPATH relative to Software\KVN: "." for the root key; "/" may stand for "\".
std::string SettingsKeyFromArgument(std::string_view key_path) {
  if (key_path == "." || key_path.empty())
    return SettingsKeyPath("");
  return SettingsKeyPath(ReplaceAll(key_path, "/", "\\"));
}

std::optional<std::uint32_t> ParseDword(std::string_view text) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    base = 16;
  }
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return value;
}

int SettingsCommand(ApplicationContext& context, const std::vector<std::string>& args,
                    std::ostream& out) {
  UserInterface& ui = context.ui;
  if (args.size() == 3 && args[0] == "get") {
    const std::string key = SettingsKeyFromArgument(args[1]);
    const auto value = context.settings_store.GetValue(key, args[2]);
    if (!value) {
      ui.ShowMessage("no value \"" + args[2] + "\" under " + key, MessageIcon::kExclamation,
                     "Settings");
      return kExitFailed;
    }
    switch (value->kind) {
      case RegistryValue::Kind::kDword:
        out << value->number << "\n";
        break;
      case RegistryValue::Kind::kString:
        out << value->text << "\n";
        break;
      case RegistryValue::Kind::kRaw: {
        ui.ShowMessage("\"" + args[2] + "\" is neither a DWORD nor a string value",
                       MessageIcon::kExclamation, "Settings");
        return kExitFailed;
      }
    }
    return kExitDone;
  }
  if (args.size() == 5 && args[0] == "set") {
    const std::string key = SettingsKeyFromArgument(args[1]);
    if (args[3] == "dword") {
      const auto number = ParseDword(args[4]);
      if (!number) {
        ui.ShowMessage("\"" + args[4] +
                           "\" is not a DWORD (0 to 4294967295, or 0x followed by "
                           "up to 8 hex digits)",
                       MessageIcon::kExclamation, "Settings");
        return kExitFailed;
      }
      context.settings_store.SaveNumber(key, args[2], *number);
    } else if (args[3] == "string") {
      context.settings_store.SaveString(key, args[2], args[4]);
    } else {
      ui.ShowMessage("the kind must be dword or string, not \"" + args[3] + "\"",
                     MessageIcon::kExclamation, "Settings");
      return kExitFailed;
    }
    // Read back: a write that did not reach the file is a failure, not a success.
    const auto stored = context.settings_store.GetValue(key, args[2]);
    const bool written =
        stored &&
        (args[3] == "dword"
             ? stored->kind == RegistryValue::Kind::kDword && stored->number == *ParseDword(args[4])
             : stored->kind == RegistryValue::Kind::kString && stored->text == args[4]);
    if (!written) {
      ui.ShowMessage("could not write " + context.settings_store.file().string(),
                     MessageIcon::kCritical, "Settings");
      return kExitFailed;
    }
    return kExitDone;
  }
  ui.ShowMessage("usage: settings get KEYPATH NAME | settings set KEYPATH NAME dword|string VALUE",
                 MessageIcon::kExclamation, "Settings");
  return kExitFailed;
}

}  // namespace

std::string CliUsage() {
  return "Usage: korvane-cli [--profile DIR] COMMAND ...\n"
         "\n"
         "Compares Microsoft SQL Server databases from the command line.\n"
         "\n"
         "Commands:\n"
         "  settings get KEYPATH NAME\n"
         "      Prints a stored setting. KEYPATH is relative to Software\\KVN: \".\" for the\n"
         "      root key, or Comparisons, Servers, Servers\\Server1, TXText ...\n"
         "  settings set KEYPATH NAME dword|string VALUE\n"
         "      Stores a setting.\n"
         "  help, --help\n"
         "      Shows this text.\n"
         "\n"
         "Options:\n"
         "  --profile DIR   keep settings, INI files and logs under DIR (also KORVANE_PROFILE)\n"
         "\n"
         "Exit status: 0 done (and identical), 1 done and different, 2 refused or failed.\n";
}

int RunCli(const std::vector<std::string>& raw_args, const Environment& env,
           const std::filesystem::path& program_folder, const Clock& clock, std::istream& in,
           std::ostream& out, std::ostream& err) {
  (void)in;
  const LaunchArguments launch = ExtractProfileOption(raw_args, env, /*leading_only=*/true);
  CliUserInterface ui(err);
  if (!launch.error.empty()) {
    ui.ShowMessage(launch.error, MessageIcon::kExclamation, kApplicationTitle);
    return kExitFailed;
  }
  const std::vector<std::string>& args = launch.rest;
  if (args.empty()) {
    err << CliUsage();
    return kExitFailed;
  }
  const std::string& command = args[0];
  if (command == "--help" || command == "-h" || command == "help") {
    out << CliUsage();
    return kExitDone;
  }

  ApplicationContext context(ComputeLocations(program_folder, launch.profile, env), ui, clock);
  RunStartUp(context, "");
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "settings")
    return SettingsCommand(context, rest, out);

  ui.ShowMessage("unknown command \"" + command + "\"; see korvane-cli --help",
                 MessageIcon::kExclamation, kApplicationTitle);
  return kExitFailed;
}

}  // namespace korvane

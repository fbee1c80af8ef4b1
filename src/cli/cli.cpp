#include "cli/cli.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>

#include "app/application_context.h"
#include "app/default_backends.h"
#include "app/locations.h"
#include "app/settings.h"
#include "app/startup.h"
#include "base/files.h"
#include "base/memory_list_control.h"
#include "base/memory_text_view.h"
#include "base/registry_tree.h"
#include "base/text.h"
#include "catalog/memory_selector.h"
#include "catalog/object_list.h"
#include "catalog/object_type.h"
#include "catalog/object_type_selector.h"
#include "catalog/server_loader.h"
#include "cli/cli_support.h"
#include "cli/cli_user_interface.h"
#include "cli/compare_command.h"
#include "cli/compare_data_all_command.h"
#include "cli/compare_data_command.h"
#include "cli/compare_objects_command.h"
#include "cli/dataview_commands.h"
#include "cli/grid_output.h"
#include "cli/object_text_commands.h"
#include "cli/run_saved_command.h"
#include "cli/serve_command.h"
#include "cli/terminal_progress.h"
#include "cli/tools_commands.h"
#include "compare/comparison_commands.h"
#include "compare/comparison_progress.h"
#include "compare/script_text_source.h"
#include "db/data_access.h"
#include "db/embedded/script_loader.h"
#include "db/server_list.h"

#ifndef _WIN32
#include <termios.h>
#include <unistd.h>
#endif

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
    if ((key + args[2]).find_first_of("\r\n") != std::string::npos) {
      ui.ShowMessage(
          "a key path or value name cannot hold a line break (CR or LF): the settings file "
          "cannot store it",
          MessageIcon::kExclamation, "Settings");
      return kExitFailed;
    }
    bool written = false;
    if (args[3] == "dword") {
      const auto number = ParseDword(args[4]);
      if (!number) {
        ui.ShowMessage("\"" + args[4] +
                           "\" is not a DWORD (0 to 4294967295, or 0x followed by "
                           "up to 8 hex digits)",
                       MessageIcon::kExclamation, "Settings");
        return kExitFailed;
      }
      written = context.settings_store.SaveNumber(key, args[2], *number);
    } else if (args[3] == "string") {
      written = context.settings_store.SaveString(key, args[2], args[4]);
    } else {
      ui.ShowMessage("the kind must be dword or string, not \"" + args[3] + "\"",
                     MessageIcon::kExclamation, "Settings");
      return kExitFailed;
    }
    if (!written) {
      ui.ShowMessage(context.settings_store.last_error(), MessageIcon::kCritical, "Settings");
      return kExitFailed;
    }
    return kExitDone;
  }
  ui.ShowMessage("usage: settings get KEYPATH NAME | settings set KEYPATH NAME dword|string VALUE",
                 MessageIcon::kExclamation, "Settings");
  return kExitFailed;
}

// Reads a password typed on the terminal without showing it.
std::string AskPasswordOnTerminal(std::istream& in, std::ostream& err) {
  err << "Password: " << std::flush;
  std::string password;
#ifndef _WIN32
  termios old_mode{};
  const bool terminal = ::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &old_mode) == 0;
  if (terminal) {
    termios quiet = old_mode;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
  }
  std::getline(in, password);
  if (terminal)
    ::tcsetattr(STDIN_FILENO, TCSANOW, &old_mode);
#else
  std::getline(in, password);
#endif
  err << "\n";
  return password;
}

bool IsStdinTerminal() {
#ifndef _WIN32
  return ::isatty(STDIN_FILENO) != 0;
#else
  return false;
#endif
}

int ServerCommand(ApplicationContext& context, const std::vector<std::string>& args,
                  std::istream& in, std::ostream& out, std::ostream& err) {
  UserInterface& ui = context.ui;
  const std::string usage =
      "usage: server add NAME [--database DB] [--login L [--password-stdin]] | "
      "server list | server remove NAME";
  if (args.size() == 1 && args[0] == "list") {
    LoadServerList(context);
    out << "Name\tAuthentication\tLogin\tDatabase\tVersion\n";
    for (const ServerRecord& server : context.servers) {
      out << server.Name << "\t" << (server.SQLAuth ? "SQL Server" : "Windows") << "\t"
          << server.LoginName << "\t" << server.MRUDb << "\t" << server.Version << "\n";
    }
    return kExitDone;
  }
  if (args.size() == 2 && args[0] == "remove") {
    LoadServerList(context);
    const bool listed = std::any_of(context.servers.begin(), context.servers.end(),
                                    [&](const ServerRecord& s) { return s.Name == args[1]; });
    if (!listed) {
      ui.ShowMessage("Server '" + args[1] + "' not found.", MessageIcon::kExclamation);
      return kExitFailed;
    }
    return RemoveServerByName(context, args[1]) ? kExitDone : kExitFailed;
  }
  if (args.size() >= 2 && args[0] == "add") {
    AddServerForm form;
    form.server = args[1];
    form.sql_auth = false;
    bool password_stdin = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
      const std::string& option = args[i];
      const bool has_value = i + 1 < args.size();
      if (option == "--database" && has_value) {
        form.database = args[++i];
      } else if (option == "--login" && has_value) {
        form.login = args[++i];
        form.sql_auth = true;
      } else if (option == "--password") {
        // A password on the command line can be read by every local user from the process
        // list for as long as the program runs.
        ui.ShowMessage(kPasswordOptionRefused, MessageIcon::kExclamation, "Add SQL Server");
        return kExitFailed;
      } else if (option == "--password-stdin") {
        password_stdin = true;
      } else {
        ui.ShowMessage(usage, MessageIcon::kExclamation, "Add SQL Server");
        return kExitFailed;
      }
    }
    if (form.sql_auth && password_stdin) {
      std::getline(in, form.password);
      if (!form.password.empty() && form.password.back() == '\r')
        form.password.pop_back();
    } else if (form.sql_auth && IsStdinTerminal()) {
      form.password = AskPasswordOnTerminal(in, err);
    }
    const AddServerOutcome outcome =
        AddServer(context, form, [&context](const ServerRecord& record) {
          return TestNewServerConnection(context, record);
        });
    return outcome.added ? kExitDone : kExitFailed;
  }
  ui.ShowMessage(usage, MessageIcon::kExclamation, "Server");
  return kExitFailed;
}

// The database list of a server as the main window's side shows it after loading the server.
int DatabasesCommand(ApplicationContext& context, const std::vector<std::string>& args,
                     std::ostream& out) {
  if (args.size() != 1) {
    context.ui.ShowMessage("usage: databases SERVER", MessageIcon::kExclamation, "Databases");
    return kExitFailed;
  }
  auto server = ResolveServer(context, args[0]);
  if (!server)
    return kExitFailed;
  MemoryListControl databases;
  MemoryListControl objects;
  MemorySelector owners;
  MemorySelector types;
  MemoryTextView structure;
  FillTypeSelector(types, context.settings.analyze_constraints);
  SideControls side{databases, owners, objects, structure};
  if (!LoadServer(context, *server, side, types, {}, /*preselect_mru=*/false))
    return kExitFailed;
  for (int row = 0; row < databases.RowCount(); ++row)
    out << databases.Cell(row, 0) << "\n";
  return kExitDone;
}

// The objects of one type in a database, one name a line, as the object list shows them.
int ObjectsCommand(ApplicationContext& context, const std::vector<std::string>& args,
                   std::ostream& out) {
  if (args.size() != 3) {
    context.ui.ShowMessage("usage: objects SERVER DB TYPE", MessageIcon::kExclamation, "Objects");
    return kExitFailed;
  }
  auto server = ChooseServer(context, args[0]);
  if (!server)
    return kExitFailed;
  const auto type = ObjectTypeFromName(args[2]);
  if (!type) {
    context.ui.ShowMessage("unknown object type \"" + args[2] +
                               "\"; use tables, procedures, functions, views, triggers, "
                               "relationships or constraints",
                           MessageIcon::kExclamation, "Objects");
    return kExitFailed;
  }
  MemoryListControl list;
  const bool suppressed = context.SuppressConnectionErrors;
  context.SuppressConnectionErrors = false;
  const std::vector<ObjectEntry> entries =
      LoadObjects(context, *server, list, nullptr, *type, args[1]);
  context.SuppressConnectionErrors = suppressed;
  // An empty list is also what a failed query leaves (its message shown).
  if (entries.empty() && !DatabaseAnswers(context, *server, args[1], /*quietly=*/true))
    return kExitFailed;
  for (const ObjectEntry& entry : entries)
    out << entry.Name << "\n";
  return kExitDone;
}

// Two to four groups of digits joined by dots, the first from 1 to 99.
bool IsProductVersion(std::string_view text) {
  const std::vector<std::string> parts = Split(text, ".");
  if (parts.size() < 2 || parts.size() > 4 || parts[0].size() > 2 || parts[0] == "0" ||
      parts[0] == "00")
    return false;
  return std::all_of(parts.begin(), parts.end(), [](const std::string& part) {
    return !part.empty() && part.size() <= 9 &&
           part.find_first_not_of("0123456789") == std::string::npos;
  });
}

// Builds or changes a database of an embedded server from a T-SQL script.
int LoadCommand(ApplicationContext& context, const std::vector<std::string>& args) {
  UserInterface& ui = context.ui;
  std::vector<std::string> positional;
  std::string product_version;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--product-version" && i + 1 < args.size()) {
      product_version = args[++i];
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 3) {
    ui.ShowMessage("usage: load SERVER DATABASE SCRIPT.sql [--product-version 8.00.2039]",
                   MessageIcon::kExclamation, "Load");
    return kExitFailed;
  }
  // A blank name would load into the server's default database (master), as an unset shell
  // variable would make it do unnoticed.
  if (positional[1].find_first_not_of(" \t\r\n") == std::string::npos) {
    ui.ShowMessage("the database name is empty; name the database to load into",
                   MessageIcon::kExclamation, "Load");
    return kExitFailed;
  }
  // The version decides which catalogue the server answers with; it must read as a number.
  if (!product_version.empty() && !IsProductVersion(product_version)) {
    ui.ShowMessage("--product-version takes a version such as 8.00.2039 or 9.00.5000.00, not \"" +
                       product_version + "\"",
                   MessageIcon::kExclamation, "Load");
    return kExitFailed;
  }
  const std::string& server = positional[0];
  if (!IsEmbeddedServerName(server)) {
    ui.ShowMessage(
        "scripts load into embedded servers only (embedded:FOLDER), not '" + server + "'",
        MessageIcon::kExclamation, "Load");
    return kExitFailed;
  }
  // Read in pieces, one batch at a time: the script is never held whole.
  std::ifstream script(positional[2], std::ios::binary);
  if (!script || std::filesystem::is_directory(positional[2])) {
    ui.ShowMessage("cannot read " + positional[2], MessageIcon::kExclamation, "Load");
    return kExitFailed;
  }
  // Scripts saved as UTF-16 (with its byte-order mark) would only fail on their first word.
  std::string head;
  for (int c = 0; head.size() < 2 && (c = script.get()) != std::char_traits<char>::eof();)
    head.push_back(static_cast<char>(c));
  const std::string_view wide_kind = head == "\xFF\xFE"   ? "UTF-16 LE"
                                     : head == "\xFE\xFF" ? "UTF-16 BE"
                                                          : "";
  if (!wide_kind.empty()) {
    ui.ShowMessage(positional[2] + " is a " + std::string(wide_kind) +
                       " text; save it as UTF-8 and load it again",
                   MessageIcon::kExclamation, "Load");
    return kExitFailed;
  }
  // Put back in place, not sought: a script may come through a pipe.
  script.clear();
  for (std::size_t i = 0; i < head.size(); ++i)
    script.unget();
  if (!product_version.empty()) {
    std::string error;
    // An existing server keeps its version; a new one reports the version asked for.
    CreateEmbeddedServer(context.locations.servers_folder, server, product_version, &error);
  }
  const ScriptLoadResult result =
      LoadScript(context.locations.servers_folder, server, positional[1], script);
  if (!result.ok) {
    ui.ShowMessage(positional[2] + ": " + result.message, MessageIcon::kExclamation, "Load");
    return kExitFailed;
  }
  return kExitDone;
}

// Runs any query and prints its rows as tab-separated text with a header line.
int QueryCommand(ApplicationContext& context, const std::vector<std::string>& args,
                 std::ostream& out) {
  if (args.size() != 3) {
    context.ui.ShowMessage("usage: query SERVER DB \"T-SQL\"", MessageIcon::kExclamation, "Query");
    return kExitFailed;
  }
  auto server = ResolveServer(context, args[0]);
  if (!server)
    return kExitFailed;
  RunCommandResult result = RunCommand(context, *server, CommandType::kText, args[2], args[1]);
  if (result.failed())
    return kExitFailed;
  if (!result.recordset)
    return kExitDone;
  Recordset& rows = *result.recordset;
  std::vector<std::string> cells(static_cast<size_t>(rows.FieldCount()));
  for (int c = 0; c < rows.FieldCount(); ++c)
    cells[static_cast<size_t>(c)] = rows.FieldName(c);
  if (!cells.empty())
    WriteGridLine(out, cells);
  for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
    for (int c = 0; c < rows.FieldCount(); ++c)
      cells[static_cast<size_t>(c)] = NullText(rows.Field(c));
    WriteGridLine(out, cells);
  }
  return kExitDone;
}

}  // namespace

std::string CommandUsage(std::string_view command) {
  // Entries start with two blanks and the command word; their lines after the first are
  // indented further.
  const std::string usage = CliUsage();
  const std::string start = "  " + std::string(command);
  std::string entries;
  bool inside = false;
  for (std::size_t pos = usage.find("Commands:\n"); pos < usage.size();) {
    const std::size_t end = std::min(usage.find('\n', pos), usage.size() - 1) + 1;
    const std::string_view line(usage.data() + pos, end - pos);
    if (line == "\n" || line.starts_with("Options:"))
      break;
    if (line.starts_with("  ") && line[2] != ' ')
      inside = !command.empty() && line.starts_with(start) &&
               std::string_view(" ,\n").find(line[start.size()]) != std::string_view::npos;
    if (inside)
      entries += line;
    pos = end;
  }
  return entries;
}

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
         "  server add NAME [--database DB] [--login L [--password-stdin]]\n"
         "      Adds a server to the list after testing that it answers. Without --login,\n"
         "      Windows authentication. The password of a login is read from the first\n"
         "      line of standard input with --password-stdin, else asked on the terminal.\n"
         "      NAME may be embedded:FOLDER for the embedded server.\n"
         "  server list\n"
         "      Lists the servers (tab-separated, with a header line).\n"
         "  server remove NAME\n"
         "      Removes a server from the list.\n"
         "  load SERVER DATABASE SCRIPT.sql [--product-version V]\n"
         "      Runs a T-SQL creation script against a database of an embedded server\n"
         "      (embedded:FOLDER), creating the server and the database when missing; a new\n"
         "      server reports version V (default 9.00.5000.00; 8.00.2039 acts as SQL Server\n"
         "      2000). The script loads whole or not at all. It is read one GO batch at a\n"
         "      time: memory follows the largest batch, not the script. \"GO n\" repeats a\n"
         "      batch at most 10000 times. The script is UTF-8 (a UTF-16 one is refused).\n"
         "  query SERVER DB \"T-SQL\"\n"
         "      Runs a query and prints its rows, tab-separated, with a header line; a tab,\n"
         "      CR, LF or backslash inside a cell is written \\t, \\r, \\n or \\\\.\n"
         "  compare SSERVER SDB TSERVER TDB [--types LIST] [--details]\n"
         "          [--source-objects A,B --target-objects C,D] [--save NAME]\n"
         "      Compares the objects of two databases and prints the report. LIST names\n"
         "      object types (tables,procedures,functions,views,triggers,relationships,\n"
         "      constraints); one type alone compares all objects of that type, and\n"
         "      --details then lists their differing lines. --source-objects and\n"
         "      --target-objects (displayed names, joined by \",\") compare only these\n"
         "      objects of the one type. --save stores the run as a comparison process\n"
         "      NAME (overwriting one of that name), adds an embedded server it names to\n"
         "      the server list, and prints \"Saved as process N\" on stderr.\n"
         "      Exit status 0 when everything is identical, 1 when something differs.\n"
         "  compare-objects SSERVER SDB TSERVER TDB TYPE SNAME TNAME\n"
         "      Compares two objects of a type (named as the object list shows them) and\n"
         "      prints the verdict. Exit status 0 identical, 1 different.\n"
         "  run-saved ID\n"
         "      Runs the saved comparison process with this Id unattended: its servers\n"
         "      (as named in the server list) and databases, its command; prints the\n"
         "      report and exports it to the process's export file, overwriting it. A\n"
         "      print request is noted on stderr (no printer here). Exit status 0 when\n"
         "      everything is identical, 1 when something differs, 2 when the export failed.\n"
         "  compare-data SSERVER SDB TSERVER TDB STABLE [TTABLE] [--key S1[:T1],... | "
         "--by-record]\n"
         "               [--csv FILE | --html FILE] [--save NAME]\n"
         "      Compares the rows of two tables with their stored options (--key or\n"
         "      --by-record sets and stores the method) and prints the outcome. STABLE and\n"
         "      TTABLE are looked up in the table lists (as objects lists them; letter case,\n"
         "      [brackets] and a schema. prefix may differ); a table not listed is refused.\n"
         "      A table named without its schema is the dbo table, else the one table of\n"
         "      that name in another schema (several: refused, name it as schema.table).\n"
         "      --csv/--html write the differing records to FILE (identical data: the\n"
         "      empty grid, noted on stderr); --save NAME saves the run as a data\n"
         "      comparison process (see run-saved).\n"
         "      Exit status 0 when the data is identical, 1 when it differs.\n"
         "  compare-data-all SSERVER SDB TSERVER TDB [--source-tables A,B --target-tables C,D]\n"
         "      Compares the data of all tables (or of the named ones, matched ignoring\n"
         "      case; a name not found is refused) of two databases and prints the report.\n"
         "  databases SERVER\n"
         "      Lists the databases of a server (those that answer, as the window lists them).\n"
         "  objects SERVER DB TYPE\n"
         "      Lists the objects of a type: tables, procedures, functions, views, triggers,\n"
         "      relationships or constraints.\n"
         "  text SERVER DB TYPE NAME\n"
         "      Prints the structure text the window shows for an object (NAME as objects\n"
         "      lists it), byte for byte, lines ending with CR LF.\n"
         "  create-statement SERVER DB TYPE NAME\n"
         "      Prints the SQL CREATE statement script of an object.\n"
         "  find-object SERVER DB TYPE TEXT\n"
         "      Lists the objects of a type whose names start with TEXT, as objects does.\n"
         "  dbinfo SERVER DB\n"
         "      Prints the database information report: every table with its number of\n"
         "      records, then the procedures, functions, views, triggers and relationships.\n"
         "  attach SERVER NAME DATAFILE (LOGFILE | --single-file)\n"
         "      Attaches a database file (and its log file) to the server under NAME.\n"
         "  view-data SERVER DB TABLE [--csv FILE | --html FILE]\n"
         "      Prints every row of a table (the \"Row\" number first), or writes the data\n"
         "      view's export file. TABLE as objects lists it (here and below: letter case,\n"
         "      [brackets] and a schema. prefix may differ).\n"
         "  analyze-data SERVER DB TABLE [--records N] [--least] [--csv FILE | --html FILE]\n"
         "      Counts the distinct values of each column (those not in the table's\n"
         "      analysis ignore list) and prints the ten most (--least: least) used ones.\n"
         "      --records reads the first N records of each column (0: all of them).\n"
         "  ignored-columns list KIND | show SERVER DB TABLE KIND |\n"
         "                  set SERVER DB TABLE KIND [COLUMN...]\n"
         "      KIND is data, structure or analysis. list prints every ignored column of\n"
         "      the kind; show prints a table's columns with 1 (used) or 0 (ignored); set\n"
         "      makes the named columns the table's ignored ones (none: clears the list).\n"
         "  serve SERVER [--port N] [--listen ADDRESS] --login NAME --password-stdin\n"
         "        [--tls-cert FILE --tls-key FILE]\n"
         "      Serves an embedded server over TDS, so that SQL Server clients (FreeTDS's\n"
         "      tsql and ODBC driver, tedious, ...) can query its databases; accepts only\n"
         "      this login and the password read from stdin (not empty). Listens on\n"
         "      127.0.0.1 (port 1433 unless --port; --port 0 picks a free one) and prints\n"
         "      the port on stdout; runs until SIGINT or SIGTERM. With a PEM certificate\n"
         "      and key it offers TLS 1.2 and refuses clients that cannot encrypt; a\n"
         "      --listen address other than loopback needs it.\n"
         "  help, --help [COMMAND]\n"
         "      Shows this text, or the entry of one command (also: COMMAND --help).\n"
         "\n"
         "Options:\n"
         "  --profile DIR   keep settings, INI files and logs under DIR (also KORVANE_PROFILE)\n"
         "\n"
         "Runs side by side take turns changing the settings and INI files. A change that\n"
         "waits more than 10 seconds (KORVANE_LOCK_TIMEOUT_MS) for another run is not made;\n"
         "a command that had to make it exits 2.\n"
         "\n"
         "While compare-data, compare-data-all or run-saved of a data process compares rows\n"
         "and stderr is a terminal, one progress line on stderr shows the table, the stage,\n"
         "the rows compared, the rows per second and the elapsed time; it is erased before\n"
         "any other output and on Ctrl-C. Nothing is drawn when stderr is not a terminal\n"
         "or TERM=dumb.\n"
         "\n"
         "Exit status: 0 done (and identical), 1 done and different, 2 refused or failed.\n";
}

int RunCli(const std::vector<std::string>& raw_args, const Environment& env,
           const std::filesystem::path& program_folder, const Clock& clock, std::istream& in,
           std::ostream& out, std::ostream& err, const std::function<int()>& err_terminal_columns) {
  const LaunchArguments launch = ExtractProfileOption(raw_args, env, /*leading_only=*/true);
  CliUserInterface ui(err);
  std::optional<TerminalProgressLine> progress_line;
  if (err_terminal_columns) {
    progress_line.emplace(err, clock, err_terminal_columns);
    ui.SetProgressLine(&*progress_line);
  }
  TerminalProgressLine* const progress = progress_line ? &*progress_line : nullptr;
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
  const auto is_help = [](const std::string& word) {
    return word == "--help" || word == "-h" || word == "help";
  };
  if (is_help(command) || (args.size() == 2 && is_help(args[1]))) {
    if (args.size() == 1) {
      out << CliUsage();
      return kExitDone;
    }
    // "help COMMAND" and "COMMAND --help": that command's entry of the usage text.
    const std::string& asked = is_help(command) ? args[1] : command;
    const std::string entries = CommandUsage(asked);
    if (entries.empty()) {
      ui.ShowMessage("unknown command \"" + asked + "\"; see korvane-cli --help",
                     MessageIcon::kExclamation, kApplicationTitle);
      return kExitFailed;
    }
    out << entries;
    return kExitDone;
  }

  // Read after the command word it would be taken for one of the command's own arguments.
  const bool late_profile = std::any_of(args.begin() + 1, args.end(), [](const std::string& arg) {
    return arg == "--profile" || arg.starts_with("--profile=");
  });
  if (late_profile) {
    ui.ShowMessage(
        "--profile stands before the command word: korvane-cli --profile DIR " + command + " ...",
        MessageIcon::kExclamation, kApplicationTitle);
    return kExitFailed;
  }
  // No thread has started yet: every thread of the run leaves a Ctrl-C to the line's watcher.
  if (progress != nullptr &&
      (command == "compare-data" || command == "compare-data-all" || command == "run-saved"))
    progress->EraseOnInterrupt();
  ApplicationContext context(ComputeLocations(program_folder, launch.profile, env), ui, clock);
  RunStartUp(context, "");
  context.backends = CreateDefaultBackends(context.locations, env);
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "settings")
    return SettingsCommand(context, rest, out);
  if (command == "server")
    return ServerCommand(context, rest, in, out, err);
  if (command == "databases")
    return DatabasesCommand(context, rest, out);
  if (command == "load")
    return LoadCommand(context, rest);
  if (command == "compare")
    return CompareCommand(context, rest, out, err);
  if (command == "compare-objects")
    return CompareObjectsCommand(context, rest, out);
  if (command == "run-saved")
    return RunSavedCommand(context, rest, out, progress);
  if (command == "compare-data")
    return CompareDataCommand(context, rest, out, err, progress);
  if (command == "compare-data-all")
    return CompareDataAllCommand(context, rest, out, progress);
  if (command == "query")
    return QueryCommand(context, rest, out);
  if (command == "objects")
    return ObjectsCommand(context, rest, out);
  if (command == "text")
    return TextCommand(context, rest, out);
  if (command == "create-statement")
    return CreateStatementCommand(context, rest, out);
  if (command == "find-object")
    return FindObjectCommand(context, rest, out);
  if (command == "dbinfo")
    return DatabaseInfoCommand(context, rest, out);
  if (command == "attach")
    return AttachCommand(context, rest);
  if (command == "view-data")
    return ViewDataCommand(context, rest, out);
  if (command == "analyze-data")
    return AnalyzeDataCommand(context, rest, out);
  if (command == "ignored-columns")
    return IgnoredColumnsCommand(context, rest, out);
  if (command == "serve")
    return ServeCommand(context, rest, env, in, out);

  ui.ShowMessage("unknown command \"" + command + "\"; see korvane-cli --help",
                 MessageIcon::kExclamation, kApplicationTitle);
  return kExitFailed;
}

}  // namespace korvane

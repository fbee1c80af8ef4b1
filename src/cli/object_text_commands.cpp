#include "cli/object_text_commands.h"

#include <optional>
#include <string_view>

#include "app/application_context.h"
#include "base/memory_list_control.h"
#include "base/memory_text_view.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "catalog/object_list.h"
#include "catalog/object_type.h"
#include "cli/cli.h"
#include "cli/cli_support.h"
#include "script/sql_create_command.h"
#include "script/structure_text.h"

namespace korvane {
namespace {

// One object shown in a structure pane, as selecting it in the main window shows it.
struct ShownObject {
  ServerRecord server;
  std::string database;
  ObjectType type{};
  ObjectEntry entry;
  std::string text;  // the pane's text, lines ending with CR LF
};

std::optional<ShownObject> ShowObject(ApplicationContext& context,
                                      const std::vector<std::string>& args,
                                      std::string_view command, std::string_view title) {
  UserInterface& ui = context.ui;
  if (args.size() != 4) {
    ui.ShowMessage("usage: " + std::string(command) + " SERVER DB TYPE NAME",
                   MessageIcon::kExclamation, title);
    return std::nullopt;
  }
  const std::optional<ObjectType> type = ObjectTypeFromName(args[2]);
  if (!type) {
    ui.ShowMessage("unknown object type \"" + args[2] +
                       "\"; use tables, procedures, functions, views, triggers, relationships "
                       "or constraints",
                   MessageIcon::kExclamation, title);
    return std::nullopt;
  }
  std::optional<ServerRecord> server = ChooseServer(context, args[0]);
  if (!server)
    return std::nullopt;
  ShownObject shown{*server, args[1], *type, {}, {}};

  // Connection failures are the user's answer here, not something to keep quiet about.
  const bool suppressed = context.SuppressConnectionErrors;
  context.SuppressConnectionErrors = false;
  MemoryListControl list;
  const std::vector<ObjectEntry> entries =
      LoadObjects(context, shown.server, list, nullptr, shown.type, shown.database);
  context.SuppressConnectionErrors = suppressed;

  int row = -1;
  for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
    if (entries[static_cast<std::size_t>(i)].Name == args[3]) {
      row = i;
      break;
    }
  }
  if (row < 0) {
    ui.ShowMessage("Object '" + args[3] + "' not found in " + args[1] + ".",
                   MessageIcon::kExclamation, title);
    return std::nullopt;
  }
  shown.entry = entries[static_cast<std::size_t>(row)];
  list.SetCurrentRow(row);
  MemoryTextView view;
  UpdateProcedureTextBox(context, shown.server, view, list, shown.type, shown.database, "", 0);
  shown.text = view.Text();
  return shown;
}

}  // namespace

int TextCommand(ApplicationContext& context, const std::vector<std::string>& args,
                std::ostream& out) {
  const std::optional<ShownObject> shown = ShowObject(context, args, "text", "Text");
  if (!shown)
    return kExitFailed;
  out << shown->text;
  return kExitDone;
}

int CreateStatementCommand(ApplicationContext& context, const std::vector<std::string>& args,
                           std::ostream& out) {
  std::optional<ShownObject> shown =
      ShowObject(context, args, "create-statement", kSqlCreateStatementTitle);
  if (!shown)
    return kExitFailed;
  const std::optional<std::string> script =
      BuildSQLCreateStatement(context, shown->server, shown->text, shown->database, shown->type,
                              shown->entry.Name, shown->entry.Id);
  if (!script)
    return kExitFailed;
  out << *script;
  return kExitDone;
}

}  // namespace korvane

#include "cli/tools_commands.h"

#include <optional>

#include "app/application_context.h"
#include "base/memory_list_control.h"
#include "base/user_interface.h"
#include "catalog/object_type.h"
#include "cli/cli.h"
#include "cli/cli_support.h"
#include "tools/attach_database.h"
#include "tools/database_info.h"
#include "tools/find_object.h"

namespace korvane {
namespace {

// Nobody watches the command line's progress, and nothing cancels it.
class SilentProgress final : public DatabaseInfoProgress {
 public:
  void RefreshTime() override {}
  void ShowStatus(int, std::string_view) override {}
};

// Connection failures are the answer the person asked for on the command line.
class ConnectionErrorsShown {
 public:
  explicit ConnectionErrorsShown(ApplicationContext& context)
      : context_(context), saved_(context.SuppressConnectionErrors) {
    context_.SuppressConnectionErrors = false;
  }
  ~ConnectionErrorsShown() { context_.SuppressConnectionErrors = saved_; }
  ConnectionErrorsShown(const ConnectionErrorsShown&) = delete;
  ConnectionErrorsShown& operator=(const ConnectionErrorsShown&) = delete;

 private:
  ApplicationContext& context_;
  bool saved_;
};

}  // namespace

int FindObjectCommand(ApplicationContext& context, const std::vector<std::string>& args,
                      std::ostream& out) {
  constexpr std::string_view kTitle = "Find Object";
  if (args.size() != 4) {
    context.ui.ShowMessage("usage: find-object SERVER DB TYPE TEXT", MessageIcon::kExclamation,
                           kTitle);
    return kExitFailed;
  }
  const std::optional<ObjectType> type = ObjectTypeFromName(args[2]);
  if (!type) {
    context.ui.ShowMessage("unknown object type \"" + args[2] +
                               "\"; use tables, procedures, functions, views, triggers, "
                               "relationships or constraints",
                           MessageIcon::kExclamation, kTitle);
    return kExitFailed;
  }
  std::optional<ServerRecord> server = ChooseServer(context, args[0]);
  if (!server)
    return kExitFailed;
  ConnectionErrorsShown shown(context);
  MemoryListControl list;
  const auto found = SearchObjects(context, *server, list, nullptr, *type, args[1], args[3]);
  if (!found || (found->empty() && !DatabaseAnswers(context, *server, args[1], /*quietly=*/true)))
    return kExitFailed;
  for (const ObjectEntry& entry : *found)
    out << entry.Name << "\n";
  return kExitDone;
}

int DatabaseInfoCommand(ApplicationContext& context, const std::vector<std::string>& args,
                        std::ostream& out) {
  if (args.size() != 2) {
    context.ui.ShowMessage("usage: dbinfo SERVER DB", MessageIcon::kExclamation,
                           kDatabaseInformationTitle);
    return kExitFailed;
  }
  std::optional<ServerRecord> server = ChooseServer(context, args[0]);
  if (!server)
    return kExitFailed;
  ConnectionErrorsShown shown(context);
  // A database that does not answer would get a report whose every list failed, reading
  // "There are no tables in this database." and so on: it gets the connection message alone.
  if (!DatabaseAnswers(context, *server, args[1], /*quietly=*/false))
    return kExitFailed;
  SilentProgress progress;
  const DatabaseInfoOutcome outcome = BuildDatabaseInfo(context, *server, args[1], progress);
  out << outcome.report;
  return outcome.completed && !outcome.failed ? kExitDone : kExitFailed;
}

int AttachCommand(ApplicationContext& context, const std::vector<std::string>& args) {
  const bool single_file = args.size() == 4 && args[3] == "--single-file";
  if (args.size() != 4 || (!single_file && args[3].starts_with("--"))) {
    context.ui.ShowMessage("usage: attach SERVER NAME DATAFILE (LOGFILE | --single-file)",
                           MessageIcon::kExclamation, "Attach Database");
    return kExitFailed;
  }
  std::optional<ServerRecord> server = ResolveServer(context, args[0]);
  if (!server)
    return kExitFailed;
  AttachRequest request;
  request.database_name = args[1];
  request.data_file = args[2];
  request.single_file = single_file;
  if (!single_file)
    request.log_file = args[3];
  return AttachDatabase(context, *server, request).outcome == AttachOutcome::kAttached
             ? kExitDone
             : kExitFailed;
}

}  // namespace korvane

#include "cli/cli_support.h"

#include <algorithm>

#include "app/application_context.h"
#include "base/memory_list_control.h"
#include "base/user_interface.h"
#include "catalog/object_list.h"
#include "catalog/typed_object_name.h"
#include "compare/database_comparison_result.h"
#include "db/data_access.h"
#include "db/server_list.h"

namespace korvane {

std::optional<ServerRecord> ResolveServer(ApplicationContext& context, const std::string& name) {
  LoadServerList(context);
  for (const ServerRecord& entry : context.servers) {
    if (entry.Name == name) {
      ServerRecord record;
      CopyEntryToSide(entry, record);
      return record;
    }
  }
  if (IsEmbeddedServerName(name)) {
    ServerRecord record;
    record.Name = name;
    return record;
  }
  context.ui.ShowMessage("Server '" + name + "' not found.", MessageIcon::kExclamation);
  return std::nullopt;
}

bool DatabaseAnswers(ApplicationContext& context, const ServerRecord& server,
                     const std::string& database, bool quietly) {
  const bool suppressed = context.SuppressConnectionErrors;
  context.SuppressConnectionErrors = quietly;
  const bool answered =
      !RunCommand(context, server, CommandType::kText, "SELECT 1", database).failed();
  context.SuppressConnectionErrors = suppressed;
  return answered;
}

std::optional<ServerRecord> ChooseServer(ApplicationContext& context, const std::string& name) {
  auto server = ResolveServer(context, name);
  if (!server)
    return std::nullopt;
  CheckSQLServerVersion(context, *server);
  server->NumVersion = ComputeNumVersion(server->Version);
  return server;
}

bool SetSide(ApplicationContext& context, int side, const std::string& name) {
  auto server = ChooseServer(context, name);
  if (!server)
    return false;
  context.CurrentServers[static_cast<std::size_t>(side)] = *server;
  return true;
}

std::optional<ObjectEntry> FindTypedObject(ApplicationContext& context, int side,
                                           std::string_view database, ObjectType type,
                                           std::string_view name, std::string_view title) {
  ServerRecord& server = context.CurrentServers[static_cast<std::size_t>(side)];
  MemoryListControl list;
  const std::vector<ObjectEntry> entries =
      LoadObjects(context, server, list, nullptr, type, database);
  std::optional<ObjectEntry> found =
      ResolveTypedObjectName(context, server, database, entries, name);
  if (!found) {
    context.ui.ShowMessage(ObjectTypeName(type, true) + " " + std::string(name) + " not found in " +
                               server.Name + "." + std::string(database) + ".",
                           MessageIcon::kExclamation, title);
  }
  return found;
}

bool HasDifferences(const DatabaseComparisonResult& result) {
  return std::any_of(result.types.begin(), result.types.end(),
                     [](const TypeComparison& type) { return AnyDifference(type); });
}

}  // namespace korvane

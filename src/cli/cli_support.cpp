#include "cli/cli_support.h"

#include <algorithm>

#include "app/application_context.h"
#include "app/user_interface.h"
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

bool HasDifferences(const DatabaseComparisonResult& result) {
  return std::any_of(result.types.begin(), result.types.end(),
                     [](const TypeComparison& type) { return AnyDifference(type); });
}

}  // namespace korvane

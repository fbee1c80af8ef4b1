#include "catalog/server_loader.h"

#include <string>
#include <vector>

#include "app/application_context.h"
#include "app/settings.h"
#include "base/text.h"
#include "catalog/catalog_failure.h"
#include "catalog/object_type_selector.h"
#include "catalog/owners.h"
#include "catalog/suppressed_connection_errors.h"
#include "db/data_access.h"

namespace korvane {

bool CanConnectToDb(ApplicationContext& context, const ServerRecord& server,
                    std::string_view database) {
  return RunGuarded(context.ui, "frmMain", "CanConnectToDb", false, [&] {
    SuppressedConnectionErrors quiet(context);
    const std::string query = BuildObjSQLString(context.ui, ObjectType::kTables,
                                                context.settings.ignore_sys_objects, "", "");
    return !RunCommand(context, server, CommandType::kText, query, database).failed();
  });
}

bool LoadServer(ApplicationContext& context, ServerRecord& server, SideControls& side,
                const Selector& type_selector, const StructureTextRenderer& render,
                bool preselect_mru) {
  return RunGuarded(context.ui, "frmMain", "LoadServer", false, [&] {
    CheckSQLServerVersion(context, server);
    RunCommandResult result =
        RunCommand(context, server, CommandType::kText, kDatabaseListQuery, "master");
    if (result.failed())
      return false;
    std::vector<std::string> names;
    if (result.recordset) {
      for (Recordset& rows = *result.recordset; !rows.Eof(); rows.MoveNext()) {
        const Value& name = rows.Field("name");
        names.push_back(name.is_null() ? std::string() : NullText(name));
      }
      result.recordset->Close();
    }

    ListControl& databases = side.databases;
    databases.SetTag(kBusyTag);
    databases.Clear(false);
    for (const std::string& name : names) {
      if (!context.settings.filter_offline_dbs || CanConnectToDb(context, server, name))
        databases.AddRow(name);
    }
    if (databases.RowCount() > 0)
      databases.SetCurrentRow(0);
    // Still marked busy, so that this second selection does not load the side twice.
    if (preselect_mru && ReadBoolean(context.settings_store, Setting::kPreserveDbSel) &&
        !server.MRUDb.empty()) {
      SelectRowByText(databases, server.MRUDb);
    }
    databases.SetTag("");

    const std::string database(Trim(databases.CurrentText()));
    const ObjectType type = SelectedObjectType(type_selector);
    side.objects.Clear(false);
    if (database.empty()) {
      // Every database was left out: there is nothing whose objects could be listed.
      LoadListView(context.ui, side.objects, {});
      return true;
    }
    LoadOwners(context, server, database, type_selector, side.owners);
    LoadObjects(context, server, side.objects, &side.structure, type, database, render);
    return true;
  });
}

}  // namespace korvane

// Loading a server into one side of the main window: its database list (without the databases
// that do not answer, while "FilterOfflineDbs" is on), the selected database (the most recently
// used one when asked), its owners and the first object list.
#pragma once

#include <string_view>

#include "catalog/object_list.h"
#include "catalog/selector.h"
#include "catalog/side_controls.h"
#include "db/server_record.h"

namespace korvane {

struct ApplicationContext;

inline constexpr std::string_view kDatabaseListQuery =
    "SELECT name FROM sysdatabases ORDER BY name";

// True when the database answers the table-list query; never shows a failure message.
bool CanConnectToDb(ApplicationContext& context, const ServerRecord& server,
                    std::string_view database);

// Fills the side from the server (LoadServer): version check, database list, selection of the
// first database or, with `preselect_mru` and "PreserveDbSel" on, of server.MRUDb when listed,
// the owners and the objects of the type selected in `type_selector`. False, with the database
// list left empty, when the database list could not be read.
bool LoadServer(ApplicationContext& context, ServerRecord& server, SideControls& side,
                const Selector& type_selector, const StructureTextRenderer& render,
                bool preselect_mru);

}  // namespace korvane

// The object lists of a side: the catalogue queries that list the objects of one type in a
// database, the conversion of their rows into object entries, and the filling of a list control
// with three columns (0 the name, 1 the reference date in upper case, 2 the hidden id).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/list_control.h"
#include "base/text_view.h"
#include "catalog/object_entry.h"
#include "catalog/object_type.h"
#include "db/recordset.h"
#include "db/server_record.h"

namespace korvane {

struct ApplicationContext;
class DatabaseSession;
class UserInterface;

// Shows the structure text of the object selected in `objects` (read from its current row: name
// in column 0, id in column 2) in `view`. The scripting module provides it; the catalogue only
// decides when it runs.
using StructureTextRenderer =
    std::function<void(ServerRecord& server, ListControl& objects, TextView& view, ObjectType type,
                       std::string_view database)>;

inline constexpr std::string_view kWrongObjectTypeMessage =
    "BuildObjSQLString, wrong object type passed";
inline constexpr std::string_view kCountObjectsWrongTypeMessage =
    "Function CountObjects - wrong parameter passed.";

// The query listing the objects of a type (columns name, refdate, id, sorted by name). For
// procedures to tables: system objects left out when `ignore_sys_objects`, only the object
// called `name` when it is not empty, and " and [name] " + `filter` when the filter (an SQL
// condition such as LIKE 'ab%', built safe by its caller) is not empty. Relationships and
// constraints have fixed queries. Any other type shows kWrongObjectTypeMessage and gives "".
std::string BuildObjSQLString(UserInterface& ui, ObjectType type, bool ignore_sys_objects,
                              std::string_view name, std::string_view filter);

// The number of objects of a type (procedures to tables, relationships) in the database,
// system objects included; -1 when the query failed or the type has no count query (after
// kCountObjectsWrongTypeMessage).
std::int64_t CountObjects(ApplicationContext& context, const ServerRecord& server,
                          std::string_view database, ObjectType type);

// The rows of an object-list query as entries: name, reference date and id from the first
// three columns.
std::vector<ObjectEntry> ReadObjectEntries(Recordset& rows);

// True when two neighbouring entries have the same name.
bool HasNeighbouringDuplicates(const std::vector<ObjectEntry>& entries);

// Fills the list from the entries (LoadListView): busy meanwhile, cleared with its columns, id
// column hidden, one row per entry, row 0 selected when there is one.
void LoadListView(UserInterface& ui, ListControl& list, const std::vector<ObjectEntry>& entries);

// Fills a side's object list with the objects of `type` in `database` and returns the entries
// shown. On servers of version 9 and later same-named objects are qualified with their schemas
// (which may set server.NumVersion to 8, see Db_GetObjSchemaById). When `render` is given and
// `view` is not null, the selected object's structure text is shown in `view` afterwards. A
// failed query leaves the list empty.
std::vector<ObjectEntry> LoadObjects(ApplicationContext& context, ServerRecord& server,
                                     ListControl& list, TextView* view, ObjectType type,
                                     std::string_view database,
                                     const StructureTextRenderer& render = {},
                                     std::string_view filter = {});

// The objects of a type as a recordset (name, refdate, id) read over an open connection to the
// database; nothing when the query failed.
std::optional<Recordset> LoadObjects_ToRecordset(ApplicationContext& context,
                                                 DatabaseSession& session, ObjectType type);

}  // namespace korvane

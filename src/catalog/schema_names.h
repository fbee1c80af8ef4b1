// Schema names of objects: looking a schema up by object id or by name, telling same-named
// objects of different schemas apart in object lists, qualifying a name for generated SQL, and
// the one schema-qualified retry of a query that named a table the server did not find.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/object_entry.h"
#include "catalog/object_type.h"
#include "db/server_record.h"

namespace korvane {

struct ApplicationContext;

// Reads the definition text of the named module (the scripting module's module text reader).
// Only trigger schemas need it; without one a trigger's schema reads as empty.
using ModuleTextReader = std::function<std::string(ServerRecord& server, std::string_view database,
                                                   std::string_view name, ObjectType type)>;

// The schema of the object with this id: empty for an id below 1. Servers of version 9 and
// later are asked through sys.objects; when that query fails, server.NumVersion becomes 8 (until
// a server entry is next copied into the record) and the older sysobjects query is used, which
// the caller does not notice. Nothing when the older query fails too.
std::optional<std::string> Db_GetObjSchemaById(ApplicationContext& context, ServerRecord& server,
                                               std::string_view database, std::int32_t id);

// The schema of the named object from the INFORMATION_SCHEMA views (procedures, functions,
// views, tables) or, for a trigger, from its definition; empty when unknown.
std::string GetSchemaForObject(ApplicationContext& context, ServerRecord& server,
                               std::string_view database, std::string_view name, ObjectType type,
                               const ModuleTextReader& read_module_text = {});

// The schema part of the trigger name in a CREATE TRIGGER statement: "sales" for
// "CREATE TRIGGER [sales].[trgOrders] ON ..." or "create trigger sales.trg on ..."; empty when
// the trigger name has no schema part or the text holds no CREATE TRIGGER.
std::string TriggerSchemaFromDefinition(std::string_view definition);

// Gives every entry that shares its name with a neighbour its schema (looked up by id) and the
// name Schema + "." + Name. Entries are sorted by name.
void QualifyDuplicateNames(ApplicationContext& context, ServerRecord& server, ObjectType type,
                           std::string_view database, std::vector<ObjectEntry>& entries);

// The name for generated SQL: bracketed, and qualified as "[owner].[name]" unless the owner or
// schema is "dbo" or unknown. A name that already carries a qualifier ("sales.Orders", as
// duplicate names are listed) is qualified with it. With an id of 1 or more the name comes from
// an object list, that is from the catalogue, and is always quoted whole ("[x]" gives
// "[[x]]]"); its qualifier counts only when it is the schema the id has on a server of version
// 9 or later, so a name holding a dot of its own ("x.y") stays whole. Without an id a name
// already in brackets is kept as typed.
std::string GetExtendedObjectName(ApplicationContext& context, ServerRecord& server,
                                  std::string_view database, std::string_view name, ObjectType type,
                                  std::int32_t id, const ModuleTextReader& read_module_text = {});

// For callers that queried a table by its bare name and got `error_number`: when that is the
// provider's missing-table error and the server is of version 9 or later, looks the table's
// schema up once per such failure (never again on this side once a look-up found none).
// `retry` is true when the query is worth repeating with `name`, "[schema].[table]".
struct MissingTableRetry {
  bool retry = false;
  std::string name;
};
MissingTableRetry QualifyTableAfterMissingTableError(ApplicationContext& context,
                                                     ServerRecord& server,
                                                     std::string_view table_name,
                                                     std::string_view database,
                                                     std::int32_t error_number);

}  // namespace korvane

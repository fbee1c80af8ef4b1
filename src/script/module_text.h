// The source text of a stored procedure, function, view or trigger as the server keeps it in
// syscomments: the rows of the object, joined in colid order with nothing between them (a long
// definition is cut into pieces, possibly inside a word), then trimmed. When the object id is
// known the text of that object is read; otherwise the object is found by its name alone (so
// same-named objects of different owners give one text), and a listed "schema.name" that is not
// found so is looked up once more as the bare name within the schema.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "catalog/object_type.h"
#include "catalog/schema_names.h"
#include "db/recordset.h"
#include "db/server_record.h"

namespace korvane {

struct ApplicationContext;
class DatabaseSession;

// The query by id when `object_id` is 1 or more; otherwise by name, and with a schema by the
// bare name within that schema (the retry for a listed "schema.name" that the query by name did
// not find).
std::string BuildModuleTextQuery(std::string_view name, std::string_view schema = {},
                                 std::int32_t object_id = 0);

// The trimmed concatenation of the rows' "text" values (Null pieces join as nothing).
std::string JoinModuleText(Recordset& rows);

// The module text; empty when the query failed or found nothing. The type is not used by the
// query; it is carried for the callers' convenience. Callers that know the object id pass it.
std::string GetProcedureText(ApplicationContext& context, const ServerRecord& server,
                             std::string_view database, std::string_view name, ObjectType type,
                             std::int32_t object_id = 0);
// The same over an already open connection (many objects over one connection).
std::string GetProcedureText(ApplicationContext& context, DatabaseSession& session,
                             std::string_view name, ObjectType type, std::int32_t object_id = 0);

// The module text reader the catalogue uses to find a trigger's schema.
ModuleTextReader MakeModuleTextReader(ApplicationContext& context);

}  // namespace korvane

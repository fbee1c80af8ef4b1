// The source text of one stored procedure, function, view or trigger found by its object id:
// the syscomments rows of that object alone, joined and trimmed as the text read by name. Unlike
// the text read by name it never mixes in a same-named object of another schema.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "db/server_record.h"

namespace korvane {

struct ApplicationContext;
class DatabaseSession;

// The query for the object with id `id`, pieces in colid order.
std::string BuildModuleTextByIdQuery(std::int32_t id);

// The module text of the object with id `id` over an already open connection; empty when the
// query failed or found nothing.
std::string GetProcedureTextById(ApplicationContext& context, DatabaseSession& session,
                                 std::int32_t id);
// The same over a connection of its own to `database`.
std::string GetProcedureTextById(ApplicationContext& context, const ServerRecord& server,
                                 std::string_view database, std::int32_t id);

}  // namespace korvane

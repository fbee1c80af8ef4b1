// Statements wrapped in dynamic SQL, for running a script against another database named at
// run time by a @Database variable, failures collected in @ErrorVal: the wrapper of a CREATE
// statement, the index statements of a view and the default constraints of a table.
#pragma once

#include <string>
#include <string_view>

#include "catalog/object_type.h"
#include "db/recordset.h"
#include "db/server_record.h"

namespace korvane {

struct ApplicationContext;

inline constexpr std::string_view kErrorValLine = "IF @@ERROR <> 0 SET @ErrorVal = @@ERROR";

// The statement from its first "create" (any case) on, every ' made four (it sits two literal
// levels deep), run in `database` by name or, without one, in @Database followed by the
// @ErrorVal line and a blank line. An empty statement stays empty.
std::string WrapInExec(std::string_view statement, std::string_view database);

std::string BuildViewIndexQuery(std::string_view view);
std::string BuildDefaultConstraintQuery(std::string_view table);

// The statements of the rows of the view index query (columns index, indid, column).
std::string BuildViewIndexStatements(Recordset& rows, std::string_view view);
// The statement of the rows of the default constraint query (columns constraint, default,
// column); empty for no rows.
std::string BuildDefaultConstraintStatement(Recordset& rows, std::string_view table);

// The index statements of a view (type code 30); empty for any other type, a view without
// indexes, or a failed query.
std::string GetExtras(ApplicationContext& context, const ServerRecord& server,
                      std::string_view database, std::string_view name, ObjectType type);

// The statement adding the table's default constraints; empty when it has none.
std::string GetTableConstraints(ApplicationContext& context, const ServerRecord& server,
                                std::string_view database, std::string_view table);

}  // namespace korvane

// What the ODBC backend makes of a driver's diagnostic records before callers see them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "db/backend.h"

namespace korvane {

// The server's own text of a message: a message the server sent (native number not 0) loses the
// bracket groups the driver manager and driver put before it ("[FreeTDS][SQL Server]Invalid
// object name 'x'." -> "Invalid object name 'x'."). The driver's own messages keep them: they
// say which component failed.
std::string ServerTextOf(std::int32_t native_number, std::string_view text);

// Puts the records in the order callers read them: errors before informational (01xxx) records,
// and a database that cannot be opened (4060, 4064) ahead of the "Login failed" (18456) that
// follows from it, whichever order the driver ranked them in.
void OrderDiagnostics(std::vector<ServerMessage>& messages);

}  // namespace korvane

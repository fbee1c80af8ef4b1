// Return codes and diagnostic records of ODBC handles, as the backend reports them.
#pragma once

#include <sql.h>

#include <string>
#include <vector>

#include "db/backend.h"

namespace korvane {

inline bool Succeeded(SQLRETURN rc) {
  return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

// Every diagnostic record of a handle, as the server (or driver) said it, in the order callers
// read them (OrderDiagnostics).
std::vector<ServerMessage> Diagnostics(SQLSMALLINT type, SQLHANDLE handle);

// `messages`, or one generic message saying `text` when the driver left none.
std::vector<ServerMessage> OrGeneric(std::vector<ServerMessage> messages, std::string text);

}  // namespace korvane

// The check that the components needed to reach a server are there: always for the embedded
// stand-in; for a real server, the ODBC driver manager and a SQL Server ODBC driver.
#pragma once

#include <string>
#include <string_view>

namespace korvane {

struct DataAccessContext;

inline constexpr std::string_view kDataAccessMissingTitle =
    "Cannot Continue - ODBC Driver Missing Or Out Of Date";

// The message shown when no SQL Server ODBC driver can be used.
std::string DataAccessMissingMessage();

// True when `server_name` can be reached with what is installed; otherwise shows the message
// (critical icon) and returns false.
bool CheckDataAccess(DataAccessContext& context, std::string_view server_name);

}  // namespace korvane

// Connection strings. The OLE DB form is what the program has always produced and is kept
// exactly; the ODBC form is what the ODBC backend hands to the driver manager, built from the
// same record with every value escaped, so a password with a ";" can neither break nor extend
// the string.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "db/server_record.h"

namespace korvane {

// "Provider=SQLOLEDB.1;Persist Security Info=False;Data Source=<Name>;"
// ["Initial Catalog=<database>;"] + ("Password=<pwd>;User ID=<login>" | "Integrated
// Security=SSPI"). Values are inserted as they are.
std::string BuildConnectionString(const ServerRecord& record, std::string_view database,
                                  bool include_catalog);

// An ODBC attribute value: as it is when it is safe, else wrapped in braces with "}" doubled.
std::string OdbcValue(std::string_view value);

// An attribute value as FreeTDS reads it: it takes a braced value up to the first "};" and does
// not undouble "}}". As it is without ";" and a leading "{"; braced as it is when it has no
// "};"; nullopt when it cannot be written at all.
std::optional<std::string> FreeTdsOdbcValue(std::string_view value);

// A SQL Server name split into its parts: "host", "host,port", "host\instance".
struct ServerAddress {
  std::string host;
  std::string port;      // empty when not given
  std::string instance;  // empty when not given
};
ServerAddress ParseServerAddress(std::string_view name);

struct OdbcDriverChoice {
  std::string name;   // as registered with the driver manager, e.g. "FreeTDS"
  std::string extra;  // extra "Key=Value;..." pairs appended as they are
};

// "Driver={...};Server=...;[Port=...;][Database=...;](UID=...;PWD=...|Trusted_Connection=yes)"
// plus, for FreeTDS, "TDS_Version=7.4;ClientCharset=UTF-8;TextSize=2147483647" and, for
// Microsoft's ODBC Driver 18, "Encrypt=Optional" (each unless the extra pairs name its key),
// then the extra pairs. Empty, with `refused` set to a message for the user, when a login,
// password or database name cannot be given to the driver.
std::string BuildOdbcConnectionString(const ServerRecord& record, std::string_view database,
                                      bool include_catalog, const OdbcDriverChoice& driver,
                                      std::string* refused = nullptr);

}  // namespace korvane

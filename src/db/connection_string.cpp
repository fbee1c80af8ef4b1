#include "db/connection_string.h"

#include "app/text.h"

namespace korvane {

std::string BuildConnectionString(const ServerRecord& record, std::string_view database,
                                  bool include_catalog) {
  std::string text = "Provider=SQLOLEDB.1;Persist Security Info=False;";
  text += "Data Source=" + record.Name + ";";
  if (include_catalog)
    text += "Initial Catalog=" + std::string(database) + ";";
  if (record.SQLAuth) {
    text += "Password=" + record.Password + ";User ID=" + record.LoginName;
  } else {
    text += "Integrated Security=SSPI";
  }
  return text;
}

std::string OdbcValue(std::string_view value) {
  const bool safe = value.find_first_of(";{}=") == std::string_view::npos &&
                    (value.empty() || (value.front() != ' ' && value.back() != ' '));
  if (safe)
    return std::string(value);
  return "{" + ReplaceAll(value, "}", "}}") + "}";
}

ServerAddress ParseServerAddress(std::string_view name) {
  ServerAddress address;
  std::string_view rest = Trim(name);
  const std::size_t comma = rest.find(',');
  if (comma != std::string_view::npos) {
    address.port = std::string(Trim(rest.substr(comma + 1)));
    rest = rest.substr(0, comma);
  }
  const std::size_t slash = rest.find('\\');
  if (slash != std::string_view::npos) {
    address.instance = std::string(rest.substr(slash + 1));
    rest = rest.substr(0, slash);
  }
  address.host = std::string(Trim(rest));
  // "(local)" and "." name this machine, as SQL Server clients take them.
  if (address.host == "(local)" || address.host == ".")
    address.host = "localhost";
  return address;
}

std::string BuildOdbcConnectionString(const ServerRecord& record, std::string_view database,
                                      bool include_catalog, const OdbcDriverChoice& driver) {
  const bool freetds = EqualsIgnoringCase(driver.name, "FreeTDS");
  const ServerAddress address = ParseServerAddress(record.Name);
  std::string text = "Driver={" + ReplaceAll(driver.name, "}", "}}") + "};";
  if (freetds) {
    std::string server = address.host;
    if (!address.instance.empty())
      server += "\\" + address.instance;
    text += "Server=" + OdbcValue(server) + ";";
    if (!address.port.empty())
      text += "Port=" + OdbcValue(address.port) + ";";
  } else {
    std::string server = address.host;
    if (!address.instance.empty())
      server += "\\" + address.instance;
    if (!address.port.empty())
      server += "," + address.port;
    text += "Server=" + OdbcValue(server) + ";";
  }
  if (include_catalog && !database.empty())
    text += "Database=" + OdbcValue(database) + ";";
  if (record.SQLAuth) {
    text += "UID=" + OdbcValue(record.LoginName) + ";PWD=" + OdbcValue(record.Password) + ";";
  } else {
    text += "Trusted_Connection=yes;";
  }
  // A fixed protocol version: with "auto" FreeTDS probes versions without honouring the login
  // time-out, and hangs on a server that accepts and never answers. SQL Server 2000 and 2005
  // answer a 7.4 login with their own version. KORVANE_ODBC_EXTRA may name another.
  if (freetds && FindIgnoringCase(driver.extra, "TDS_Version") == std::string::npos) {
    text += "TDS_Version=7.4;";
  }
  if (freetds) {
    text += "ClientCharset=UTF-8;";
  }
  if (!driver.extra.empty()) {
    text += driver.extra;
    if (text.back() != ';')
      text += ";";
  }
  return text;
}

}  // namespace korvane

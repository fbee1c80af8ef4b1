#include "db/connection_string.h"

#include <algorithm>

#include "base/text.h"

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

std::optional<std::string> FreeTdsOdbcValue(std::string_view value) {
  if (value.find(';') == std::string_view::npos && !value.starts_with('{'))
    return std::string(value);
  if (value.find("};") == std::string_view::npos)
    return "{" + std::string(value) + "}";
  return std::nullopt;
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

namespace {

// True when the "Key=Value;..." pairs name `key` (any case).
bool NamesKey(std::string_view pairs, std::string_view key) {
  for (const std::string& pair : Split(pairs, ";")) {
    const std::size_t equals = pair.find('=');
    if (equals != std::string::npos && EqualsIgnoringCase(Trim(pair.substr(0, equals)), key))
      return true;
  }
  return false;
}

}  // namespace

std::string BuildOdbcConnectionString(const ServerRecord& record, std::string_view database,
                                      bool include_catalog, const OdbcDriverChoice& driver,
                                      std::string* refused) {
  const bool freetds = EqualsIgnoringCase(driver.name, "FreeTDS");
  // A value the driver would read otherwise than written is refused rather than changed.
  bool ok = true;
  const auto value = [&](std::string_view what, std::string_view v) -> std::string {
    if (!freetds)
      return OdbcValue(v);
    if (std::optional<std::string> written = FreeTdsOdbcValue(v))
      return *written;
    if (ok && refused != nullptr) {
      *refused = "The " + std::string(what) +
                 " holds \"};\", which the FreeTDS ODBC driver cannot be given. Change it, or "
                 "use Microsoft's ODBC Driver for SQL Server (KORVANE_ODBC_DRIVER).";
    }
    ok = false;
    return {};
  };
  const ServerAddress address = ParseServerAddress(record.Name);
  std::string text = "Driver={" + ReplaceAll(driver.name, "}", "}}") + "};";
  std::string server = address.host;
  if (!address.instance.empty())
    server += "\\" + address.instance;
  if (freetds) {
    text += "Server=" + value("server name", server) + ";";
    if (!address.port.empty())
      text += "Port=" + value("port", address.port) + ";";
  } else {
    if (!address.port.empty())
      server += "," + address.port;
    text += "Server=" + OdbcValue(server) + ";";
  }
  if (include_catalog && !database.empty())
    text += "Database=" + value("database name", database) + ";";
  if (record.SQLAuth) {
    text += "UID=" + value("login name", record.LoginName) +
            ";PWD=" + value("password", record.Password) + ";";
  } else {
    text += "Trusted_Connection=yes;";
  }
  // A fixed protocol version: with "auto" FreeTDS probes versions without honouring the login
  // time-out, and hangs on a server that accepts and never answers. SQL Server 2000 and 2005
  // answer a 7.4 login with their own version. KORVANE_ODBC_EXTRA may name another.
  if (freetds && !NamesKey(driver.extra, "TDS_Version"))
    text += "TDS_Version=7.4;";
  if (freetds)
    text += "ClientCharset=UTF-8;";
  // FreeTDS sends no SET TEXTSIZE: long text would be cut at the server's default.
  if (freetds && !NamesKey(driver.extra, "TextSize"))
    text += "TextSize=2147483647;";
  // Driver 18 encrypts and checks the certificate by default, which servers with their own
  // self-signed certificate fail; Driver 17 and older clients encrypt only when asked.
  if (EqualsIgnoringCase(driver.name, "ODBC Driver 18 for SQL Server") &&
      !NamesKey(driver.extra, "Encrypt")) {
    text += "Encrypt=Optional;";
  }
  if (!driver.extra.empty()) {
    text += driver.extra;
    if (text.back() != ';')
      text += ";";
  }
  if (!ok) {
    std::fill(text.begin(), text.end(), '\0');
    return {};
  }
  return text;
}

}  // namespace korvane

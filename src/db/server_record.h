// One server of the server list, and the record each side of the main window works with.
#pragma once

#include <string>

namespace korvane {

struct ServerRecord {
  std::string Name;
  bool SQLAuth = false;  // true: SQL Server login and password; false: Windows authentication
  std::string LoginName;
  std::string Password;
  std::string MRUDb;    // most recently used database
  int RegIndex = 0;     // N of the key "Servers\Server" + N
  std::string Version;  // product version text as the server reports it, e.g. "9.00.5000.00"
  int NumVersion = 0;   // its major number
  bool SchemaCheckPerformed = false;
  bool AddSchema = false;

  friend bool operator==(const ServerRecord&, const ServerRecord&) = default;
};

}  // namespace korvane

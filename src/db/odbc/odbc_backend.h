// Real SQL Server through ODBC (unixODBC with FreeTDS, or Microsoft's driver where installed).
// Connections are pooled per connection string: a command takes an idle connection when there is
// one, and gives it back when its session ends; idle connections are closed after a while.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/backend.h"
#include "db/connection_string.h"
#include "db/odbc/odbc_fetch_plan.h"

namespace korvane {

// The SQL Server drivers registered with the driver manager, in its order.
std::vector<std::string> InstalledSqlServerDrivers();

// The driver to use: `forced` (KORVANE_ODBC_DRIVER) when given, else the first installed of
// "ODBC Driver 18 for SQL Server", "ODBC Driver 17 for SQL Server", "FreeTDS"; empty when none.
std::string ChooseOdbcDriver(const std::vector<std::string>& installed,
                             const std::optional<std::string>& forced);

class OdbcBackend final : public DatabaseBackend {
 public:
  // `driver.name` empty means no SQL Server driver is installed: every Open fails with IM002.
  // With FreeTDS, the port of a named instance is asked of the SQL Server Browser on UDP
  // `browser_port` within the login time-out. One fetch brings at most `most_rows_per_fetch`
  // rows (1: a row at a time).
  explicit OdbcBackend(OdbcDriverChoice driver,
                       std::chrono::seconds idle_limit = std::chrono::seconds(60),
                       int browser_port = 1434,
                       std::size_t most_rows_per_fetch = kMostRowsPerFetch);
  ~OdbcBackend() override;
  OdbcBackend(const OdbcBackend&) = delete;
  OdbcBackend& operator=(const OdbcBackend&) = delete;

  OpenOutcome Open(const ConnectionRequest& request) override;

  // Connections waiting in the pool (for tests and diagnostics).
  std::size_t IdleConnections() const;

  struct Pool;

 private:
  OdbcDriverChoice driver_;
  int browser_port_;
  std::shared_ptr<Pool> pool_;
};

}  // namespace korvane

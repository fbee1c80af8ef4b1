#include "app/default_backends.h"

#include "app/locations.h"
#include "db/embedded/embedded_backend.h"
#include "db/odbc/odbc_backend.h"

namespace korvane {

DatabaseBackends CreateDefaultBackends(const AppLocations& locations, const Environment& env) {
  DatabaseBackends backends;
  backends.embedded = std::make_shared<EmbeddedBackend>(locations.servers_folder);
  OdbcDriverChoice driver;
  driver.name = ChooseOdbcDriver(InstalledSqlServerDrivers(), env.odbc_driver);
  driver.extra = env.odbc_extra.value_or("");
  backends.odbc_driver_available = !driver.name.empty();
  backends.odbc = std::make_shared<OdbcBackend>(std::move(driver));
  return backends;
}

}  // namespace korvane

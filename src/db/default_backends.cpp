#include "db/default_backends.h"

#include "app/locations.h"
#include "db/odbc/odbc_backend.h"

namespace korvane {

DatabaseBackends CreateDefaultBackends(const AppLocations& locations, const Environment& env) {
  (void)locations;
  DatabaseBackends backends;
  OdbcDriverChoice driver;
  driver.name = ChooseOdbcDriver(InstalledSqlServerDrivers(), env.odbc_driver);
  driver.extra = env.odbc_extra.value_or("");
  backends.odbc_driver_available = !driver.name.empty();
  backends.odbc = std::make_shared<OdbcBackend>(std::move(driver));
  return backends;
}

}  // namespace korvane

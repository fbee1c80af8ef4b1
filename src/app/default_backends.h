// The backends a front end starts with: ODBC with the driver chosen from what is installed (or
// KORVANE_ODBC_DRIVER), and the embedded stand-in for "embedded:" server names.
#pragma once

#include "db/backend.h"

namespace korvane {

struct AppLocations;
struct Environment;

DatabaseBackends CreateDefaultBackends(const AppLocations& locations, const Environment& env);

}  // namespace korvane

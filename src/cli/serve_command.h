// korvane-cli serve: an embedded server over TDS, for any SQL Server client.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "app/application_context.h"
#include "app/locations.h"

namespace korvane {

// serve SERVER [--port N] [--listen ADDR] --login NAME --password-stdin: listens until SIGINT
// or SIGTERM, printing the port on `out` once clients can connect. Exit status 2 when the
// arguments are refused or the address cannot be used.
int ServeCommand(ApplicationContext& context, const std::vector<std::string>& args,
                 const Environment& env, std::istream& in, std::ostream& out);

}  // namespace korvane

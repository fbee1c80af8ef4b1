// `korvane-cli text` and `korvane-cli create-statement`: what a structure pane shows for one
// object, and the CREATE script built from it.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace korvane {

struct ApplicationContext;

// text SERVER DB TYPE NAME
//
// Writes to `out` exactly the text the structure pane shows when NAME (a displayed name, as
// `objects` lists it) is selected in the object list of TYPE: lines end with CR LF, nothing is
// added. Exit status 0, or 2 when the server, type or object is unknown.
int TextCommand(ApplicationContext& context, const std::vector<std::string>& args,
                std::ostream& out);

// create-statement SERVER DB TYPE NAME
//
// Writes the script of the SQL CREATE Statement command for that object, as the report window
// would show it. Exit status 0, or 2 after a message when no script could be built.
int CreateStatementCommand(ApplicationContext& context, const std::vector<std::string>& args,
                           std::ostream& out);

}  // namespace korvane

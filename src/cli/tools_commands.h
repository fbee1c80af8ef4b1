// `korvane-cli find-object`, `dbinfo` and `attach`: the database tools of the main window.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace korvane {

struct ApplicationContext;

// find-object SERVER DB TYPE TEXT
//
// Writes the names the find dialog lists for TEXT, one a line, as `objects` prints them. A search
// that finds nothing prints nothing and exits 0; an empty TEXT shows the dialog's prompt and
// exits 2.
int FindObjectCommand(ApplicationContext& context, const std::vector<std::string>& args,
                      std::ostream& out);

// dbinfo SERVER DB
//
// Writes the database information report byte for byte. Exit status 0; 2 when a list query or a
// record count failed (the report is still written, with its abort line).
int DatabaseInfoCommand(ApplicationContext& context, const std::vector<std::string>& args,
                        std::ostream& out);

// attach SERVER NAME DATAFILE (LOGFILE | --single-file)
//
// Attaches a database file to the server as the Attach Database dialog does; its messages go to
// stderr. Exit status 0 after "Attached Successfully", else 2.
int AttachCommand(ApplicationContext& context, const std::vector<std::string>& args);

}  // namespace korvane

// Helpers the korvane-cli commands share: naming servers and reading results.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "catalog/object_entry.h"
#include "catalog/object_type.h"
#include "db/server_record.h"

namespace korvane {

struct ApplicationContext;
struct DatabaseComparisonResult;

// The record of a server named on the command line: a listed server (by its name), or an
// embedded folder (`embedded:PATH` / `embedded:NAME`). Says "Server 'X' not found." otherwise.
std::optional<ServerRecord> ResolveServer(ApplicationContext& context, const std::string& name);

// The record of a named server with its version known (read from the server when the list does
// not hold it), as choosing it in a side of the main window gives it: the version decides how
// object lists qualify same-named objects.
std::optional<ServerRecord> ChooseServer(ApplicationContext& context, const std::string& name);

// Puts a named server into a side record with its version known, as choosing it in the window
// does. False (with the message shown) when the server is unknown.
bool SetSide(ApplicationContext& context, int side, const std::string& name);

// The object of `type` in `database` on the side's server that a name given on the command line
// stands for (see ResolveTypedObjectName), read from the object list as the window lists it.
// Says TYPE + " " + NAME + " not found in " + SERVER + "." + DB + "." (with `title`) otherwise,
// so that no name the catalogue does not know reaches a query.
std::optional<ObjectEntry> FindTypedObject(ApplicationContext& context, int side,
                                           std::string_view database, ObjectType type,
                                           std::string_view name, std::string_view title);

// Whether `database` on `server` answers a query. A failure shows the connection message unless
// `quietly` (when the caller's own query has shown it already). Commands whose lists would read
// "There are no ..." after a failed query ask this first.
bool DatabaseAnswers(ApplicationContext& context, const ServerRecord& server,
                     const std::string& database, bool quietly);

// True when any type of a database comparison found a difference: a differing or one-sided
// object, or objects of the type on one side only.
bool HasDifferences(const DatabaseComparisonResult& result);

}  // namespace korvane

// Names typed by a user or read from a file stand for an object only once the catalogue knows
// them: they are resolved to a row of an object list, and so to the object's id, before any
// query uses them. A name the catalogue does not know is never put into SQL text.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "catalog/object_entry.h"
#include "db/server_record.h"

namespace korvane {

struct ApplicationContext;

// The entry of `entries` (the object list of one type in `database`, as LoadObjects returns it)
// that `typed` names, or nothing. Tried in order, each only when the one before found nothing:
//  1. the listed name exactly, as the window selects it;
//  2. the listed name compared without regard to case (the server's default collation), the
//     text inside well-formed brackets standing for the name ("[Orders]");
//  3. a schema-qualified name ("sales.Orders", "[sales].[Orders]") whose schema (on servers
//     before version 9: owner) is the object's, looked up by id for unqualified entries.
// A text that matches several entries in one step names none of them.
std::optional<ObjectEntry> ResolveTypedObjectName(ApplicationContext& context, ServerRecord& server,
                                                  std::string_view database,
                                                  const std::vector<ObjectEntry>& entries,
                                                  std::string_view typed);

}  // namespace korvane

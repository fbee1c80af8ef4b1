// The header of a CREATE script: the database to use, a comment naming the object and the
// time of scripting, the session options, and the statement that drops an existing object of
// that name, each batch ended by GO.
#pragma once

#include <string>
#include <string_view>

#include "base/clock.h"
#include "catalog/object_type.h"

namespace korvane {

// "Procedure", "Function", "View", "Trigger", "Table", "Relationship"; empty for other codes.
std::string_view ScriptTypeWord(ObjectType type);
// The condition on sysobjects that tells an object of the type; empty for other codes.
std::string_view ScriptExistenceTest(ObjectType type);

// "2026-01-02 03:04:05": four-digit year, two digits for the rest, 24-hour clock.
std::string FormatScriptDate(const LocalDateTime& time);

// The three lines dropping the object when it exists (no line break after the last).
std::string BuildDropStatement(ObjectType type, std::string_view qualified_name);

// The header, its last line "GO" without a line break after it. `drop_statement`, when given,
// receives the drop statement. The qualified name is "[owner].[name]" or "[name]".
std::string BuildScriptHeader(const Clock& clock, std::string_view database, ObjectType type,
                              std::string_view qualified_name,
                              std::string* drop_statement = nullptr);

}  // namespace korvane

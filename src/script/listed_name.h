// Object lists of servers of version 9 and later show same-named objects of different schemas
// as "schema.name". The catalogue stores the bare name, so a reader that looks such an entry up
// by name finds nothing; it then asks once more for the bare name within the schema.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvane {

struct ListedSchemaName {
  std::string schema;  // as stored, without brackets
  std::string name;
};

// The schema and bare name of a listed "schema.name" ("[sales].[Orders]" as well); nothing for
// a name without a qualifier.
std::optional<ListedSchemaName> SplitListedName(std::string_view listed_name);

// " AND OBJECT_SCHEMA_NAME(" + id_column + ") = '" + schema + "'", the schema made safe.
std::string SchemaCondition(std::string_view id_column, std::string_view schema);

}  // namespace korvane

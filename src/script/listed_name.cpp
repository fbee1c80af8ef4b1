#include "script/listed_name.h"

#include "catalog/sql_names.h"

namespace korvane {

std::optional<ListedSchemaName> SplitListedName(std::string_view listed_name) {
  const QualifiedName parts = SplitQualifiedName(listed_name);
  if (parts.qualifier.empty() || parts.name.empty())
    return std::nullopt;
  return ListedSchemaName{UnbracketName(parts.qualifier), UnbracketName(parts.name)};
}

std::string SchemaCondition(std::string_view id_column, std::string_view schema) {
  return " AND OBJECT_SCHEMA_NAME(" + std::string(id_column) + ") = '" + EscapeSqlLiteral(schema) +
         "'";
}

}  // namespace korvane

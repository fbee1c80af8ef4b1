// The structure text of a table: one line per column, in column order, and (unless indexes are
// ignored) a blank line and the index lines. Every call reads the catalogue again.
//
// A column line is "[name] [type] ", the size, the identity clause and NULL / NOT NULL:
//   [CustomerID] [int] IDENTITY(1,1) NOT NULL
//   [Name] [nvarchar] (50) NULL          sized types: a space before "(prec)"
//   [Price] [decimal](18,2) NOT NULL     scaled types: no space before "(prec,scale)"
//   [Flags] [int] IDENTITY NOT NULL      an identity whose seed the server reports as Null
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/server_record.h"
#include "saved/ignored_columns.h"
#include "script/catalog_fields.h"
#include "script/table_column.h"

namespace korvane {

struct ApplicationContext;

inline constexpr std::string_view kTableStructureErrorIntro =
    "Error occured while attempting to get the structure of table";

// The column query. An object id of 1 or more selects the table by id, anything else by name;
// with a schema, by the bare name `filter_name` within the schema (the retry for a listed
// "schema.name" that the query by name did not find). ident_seed and ident_incr are asked for
// `identity_name`, the table name when it is empty.
std::string BuildColumnQuery(std::string_view table, std::int32_t object_id,
                             std::string_view schema = {}, std::string_view filter_name = {},
                             std::string_view identity_name = {});

// The name the server resolves a table's identity by: the bare name in dbo (or with no schema
// known), otherwise "[schema].[name]".
std::string IdentityTableName(std::string_view schema, std::string_view name);

// True for the types shown with "(prec)": nvarchar, varchar, binary, char, nchar, varbinary;
// and for the types shown with "(prec,scale)": decimal, numeric. Any letter case.
bool IsSizedType(std::string_view type_name);
bool IsScaledType(std::string_view type_name);

struct TableStructure {
  // The column lines, each followed by the line suffix, joined by CR LF; trimmed of blanks at
  // both ends.
  std::string text;
  std::vector<TableColumn> columns;  // the columns not left out, in column order
  int last_column_index = -1;        // columns.size() - 1
  int ignored_count = 0;             // names in the table's ignored list (0 when not asked)
  bool completed = false;            // the routine ran to its end
};

// Reads the columns of one table. With `ignore_columns` the columns listed under `kind` for
// the table's key (server name "." database "." table) are left out. A query that cannot be
// run gives an empty text and list (no message is shown); an unexpected failure is reported
// and gives what was read up to it. A table read by id whose identity seed cannot be resolved
// by its bare name (a table outside dbo) is read once more with its schema-qualified name.
TableStructure GetTableStructure(ApplicationContext& context, const ServerRecord& server,
                                 std::string_view database, std::string_view table,
                                 bool ignore_columns, IgnoredColumnsKind kind,
                                 std::int32_t object_id, std::string_view line_suffix,
                                 NameQuoting quoting = NameQuoting::kAsStored);

// The table's structure text: the column text (structure ignored-column list) and, when
// `clustered_only` is set or the "IgnoreIndexes" option is off, CR LF CR LF and the index text
// (which ends with CR LF). `ignored_count`, when given, receives the ignored-list size.
std::string GetTableText(ApplicationContext& context, const ServerRecord& server,
                         std::string_view database, std::string_view table, bool ignore_columns,
                         std::int32_t object_id, std::string_view line_suffix, bool clustered_only,
                         std::string_view clustered_name_suffix, int* ignored_count = nullptr,
                         NameQuoting quoting = NameQuoting::kAsStored);

}  // namespace korvane

// The index text of a table, appended to its column lines: one line per index, in index id
// order, each listing its key columns in key order:
//   CONSTRAINT [PK_Orders] PRIMARY KEY CLUSTERED ([OrderID])   clustered, name starting "pk"
//   CLUSTERED INDEX [IX_Main] ([A])                             clustered, any other name
//   INDEX [IX_Date] ([OrderDate], [CustomerID])                 every other index
// The indexes are read from the table itself (by id when known, otherwise by name), so a table
// without constraints, defaults or triggers shows its indexes like any other.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "db/recordset.h"
#include "db/server_record.h"
#include "script/catalog_fields.h"

namespace korvane {

struct ApplicationContext;

// The index query; `clustered_only` asks for the clustered index (indid 1) alone. An object id
// of 1 or more selects the table by id; otherwise by name, and with a schema by the bare name
// within it (the retry for a listed "schema.name").
std::string BuildIndexQuery(std::string_view table, bool clustered_only,
                            std::string_view schema = {}, std::int32_t object_id = 0);

// The index text of the rows of the index query (columns column, index, indid): empty for no
// rows, otherwise ending with CR LF. The clustered-name suffix is added to the name of a
// clustered index when it is the first one.
std::string BuildIndexText(Recordset& rows, std::string_view clustered_name_suffix,
                           NameQuoting quoting = NameQuoting::kAsStored);

// Runs the index query; empty when the table has no index rows or the query failed.
std::string GetTableIndexes(ApplicationContext& context, const ServerRecord& server,
                            std::string_view database, std::string_view table, bool clustered_only,
                            std::string_view clustered_name_suffix,
                            NameQuoting quoting = NameQuoting::kAsStored,
                            std::int32_t object_id = 0);

}  // namespace korvane

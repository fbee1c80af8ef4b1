// The structure texts of a relationship (a foreign key) and of a constraint (a clustered
// primary key), four lines each, joined by CR LF and trimmed:
//   TABLE Orders                          CONSTRAINT [PK_Orders]
//   CONSTRAINT [FK_Orders_Customers]      PRIMARY KEY CLUSTERED
//   FOREIGN KEY [CustomerID]              ON COLUMN [OrderID]
//   REFERENCES [Customers] [CustomerID]   ON TABLE [Orders]
// Keys over several columns list every column in key order, joined by ", ":
//   FOREIGN KEY [A], [B]   REFERENCES [T] [X], [Y]   ON COLUMN [A], [B]
// so that keys differing in a later column get different texts.
#pragma once

#include <string>
#include <string_view>

#include "db/recordset.h"
#include "db/server_record.h"
#include "script/catalog_fields.h"

namespace korvane {

struct ApplicationContext;

// The key queries: by name, or by id when `id` is 1 or more (a relationship's own id, the id of a
// constraint's table), so that same-named keys of different schemas are told apart.
std::string BuildRelationshipQuery(std::string_view relationship, std::int32_t id = 0);
std::string BuildConstraintQuery(std::string_view constraint, std::int32_t table_id = 0);

// The texts of the key named by the first row (rows ordered by key, then key column); empty
// when there is no row. Rows of another key of the same name that follow are left out.
std::string BuildRelationshipText(Recordset& rows, NameQuoting quoting = NameQuoting::kAsStored);
std::string BuildConstraintText(Recordset& rows);

// Run the queries; empty when the object is not found or the query failed. A constraint that
// is not the clustered index of its table gives an empty text.
std::string GetRelationshipText(ApplicationContext& context, const ServerRecord& server,
                                std::string_view database, std::string_view relationship,
                                NameQuoting quoting = NameQuoting::kAsStored, std::int32_t id = 0);
std::string GetConstraintText(ApplicationContext& context, const ServerRecord& server,
                              std::string_view database, std::string_view constraint,
                              std::int32_t table_id = 0);

}  // namespace korvane

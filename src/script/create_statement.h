// The CREATE script of one object: a header (database, comment, session options, drop of an
// existing object) and the statement built from the object's structure text.
//
// For a table with a clustered primary key and the line suffix ",":
//   CREATE TABLE [Orders] (
//   [OrderID] [int] IDENTITY(1,1) NOT NULL,
//   [OrderDate] [datetime] NULL,
//
//   CONSTRAINT [PK_Orders] PRIMARY KEY CLUSTERED ([OrderID])
//   (a line holding one space)
//   )
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "catalog/object_type.h"
#include "db/server_record.h"

namespace korvane {

struct ApplicationContext;

inline constexpr std::string_view kWrongCreateParametersMessage =
    "Cannot build SQL CREATE statement - wrong parameters passed";
inline constexpr std::string_view kWrongCreateParametersTitle = "Error";

struct CreateStatementRequest {
  std::string server_name;
  std::string database;
  std::string name;  // as listed
  ObjectType type = ObjectType::kTables;
  std::int32_t id = 0;
  std::string line_suffix;  // ended every column line with it ("," for a script)
  std::string new_name;     // when not empty, the object is scripted under this name
  std::string clustered_name_suffix;
  bool statement_only = false;  // leave the header out
};

// The script; empty (after kWrongCreateParametersMessage) when the server name, database or
// name is empty or the type code is 0. `drop_statement`, when given, receives the header's drop
// statement. Names put into the script's SQL are made safe: a "]" inside a bracketed name is
// doubled and a quote inside a literal doubled.
std::string BuildCreateStatement(ApplicationContext& context, ServerRecord& server,
                                 const CreateStatementRequest& request,
                                 std::string* drop_statement = nullptr);

}  // namespace korvane

// SQL Server's built-in data types as the catalogue describes them (systypes rows, syscolumns
// length/prec/scale conventions) and how the engine stores and reads them in SQLite.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/value.h"

namespace korvane::embedded {

struct BuiltInType {
  std::string_view name;
  int xtype;
  int xusertype;
  int length;  // systypes.length
  int prec;    // systypes.prec (0 when not numeric)
  int scale;   // -1: NULL
  bool variable;
  bool allow_nulls;
  bool version9_only;
};

// Every built-in type, in xusertype order (the rows of systypes).
const std::vector<BuiltInType>& BuiltInTypes();
const BuiltInType* FindBuiltInType(std::string_view name);

// A column's or parameter's declared type, with the values syscolumns shows for it.
struct DeclaredType {
  std::string name;  // the built-in type's name in lower case ("nvarchar", "real", ...)
  int xtype = 0;
  int xusertype = 0;
  int length = 0;  // bytes; -1 for (max) and xml
  int xprec = 0;
  int xscale = 0;
  int prec = 0;    // characters for character types, digits for numbers, -1 for (max)
  int scale = -1;  // -1: NULL
  bool is_max = false;
  bool is_character = false;  // char, varchar, nchar, nvarchar, text, ntext

  // The type as written in T-SQL: "nvarchar(50)", "decimal(18,2)", "varchar(max)", "int".
  std::string SqlText() const;
  // The type declared on the SQLite storage column (affinity and the reader's type).
  std::string StorageDeclaration() const;
};

// Builds the declared type from a type name and its arguments as written ("50", "max", "18","2").
// nullopt when the name is not a built-in type; SqlError for invalid sizes.
std::optional<DeclaredType> MakeDeclaredType(std::string_view name,
                                             const std::vector<std::string>& args, int version);

// How a stored value of a SQLite column declared `declaration` is handed out.
struct ResultType {
  ValueType type = ValueType::kText;
  std::string type_name;  // "int", "nvarchar", ...
  int scale = 0;          // digits after the point for exact numbers
};
std::optional<ResultType> ResultTypeFromDeclaration(std::string_view declaration);

}  // namespace korvane::embedded

#include "db/embedded/sql_types.h"

#include <cstdlib>

#include "base/text.h"
#include "db/embedded/sql_error.h"

namespace korvane::embedded {

const std::vector<BuiltInType>& BuiltInTypes() {
  // name, xtype, xusertype, length, prec, scale, variable, allownulls, 2005 only.
  // Chosen where the documentation is silent (unverified): datetime scale 3, smalldatetime 0;
  // decimal/numeric column length = storage bytes (5, 9, 13, 17 for precision up to 9, 19, 28,
  // 38).
  // prec of text/ntext/image: the values servers report (2147483647 / 1073741823).
  static const std::vector<BuiltInType> kTypes = {
      {"image", 34, 34, 16, 2147483647, -1, false, true, false},
      {"text", 35, 35, 16, 2147483647, -1, false, true, false},
      {"uniqueidentifier", 36, 36, 16, 0, -1, false, true, false},
      {"tinyint", 48, 48, 1, 3, 0, false, true, false},
      {"smallint", 52, 52, 2, 5, 0, false, true, false},
      {"int", 56, 56, 4, 10, 0, false, true, false},
      {"smalldatetime", 58, 58, 4, 16, 0, false, true, false},
      {"real", 59, 59, 4, 24, -1, false, true, false},
      {"money", 60, 60, 8, 19, 4, false, true, false},
      {"datetime", 61, 61, 8, 23, 3, false, true, false},
      {"float", 62, 62, 8, 53, -1, false, true, false},
      {"sql_variant", 98, 98, 8016, 0, -1, false, true, false},
      {"ntext", 99, 99, 16, 1073741823, -1, false, true, false},
      {"bit", 104, 104, 1, 1, 0, false, true, false},
      {"decimal", 106, 106, 17, 38, 38, false, true, false},
      {"numeric", 108, 108, 17, 38, 38, false, true, false},
      {"smallmoney", 122, 122, 4, 10, 4, false, true, false},
      {"bigint", 127, 127, 8, 19, 0, false, true, false},
      {"varbinary", 165, 165, 8000, 8000, -1, true, true, false},
      {"varchar", 167, 167, 8000, 8000, -1, true, true, false},
      {"binary", 173, 173, 8000, 8000, -1, false, true, false},
      {"char", 175, 175, 8000, 8000, -1, false, true, false},
      {"timestamp", 189, 189, 8, 8, -1, false, false, false},
      {"nvarchar", 231, 231, 8000, 4000, -1, true, true, false},
      {"nchar", 239, 239, 8000, 4000, -1, false, true, false},
      {"xml", 241, 241, -1, -1, -1, false, true, true},
      {"sysname", 231, 256, 256, 128, -1, true, false, false},
  };
  return kTypes;
}

const BuiltInType* FindBuiltInType(std::string_view name) {
  for (const auto& type : BuiltInTypes())
    if (EqualsIgnoringCase(type.name, name))
      return &type;
  return nullptr;
}

std::string DeclaredType::SqlText() const {
  if (name == "char" || name == "varchar" || name == "binary" || name == "varbinary" ||
      name == "nchar" || name == "nvarchar")
    return name + "(" + (is_max ? std::string("max") : std::to_string(prec)) + ")";
  if (name == "decimal" || name == "numeric")
    return name + "(" + std::to_string(prec) + "," + std::to_string(scale) + ")";
  return name;
}

std::string DeclaredType::StorageDeclaration() const {
  if (is_max)
    return name + "(-1)";
  if (name == "sysname")
    return "nvarchar(128)";
  return SqlText();
}

std::optional<DeclaredType> MakeDeclaredType(std::string_view name,
                                             const std::vector<std::string>& args, int version) {
  std::string lower = ToLowerAscii(name);
  if (lower == "rowversion")
    lower = "timestamp";
  if (lower == "integer")
    lower = "int";
  if (lower == "dec")
    lower = "decimal";
  if (lower == "character")
    lower = "char";
  if (lower == "double")
    lower = "float";
  const BuiltInType* base = FindBuiltInType(lower);
  if (!base || (base->version9_only && version < 9))
    return std::nullopt;
  DeclaredType type;
  type.name = std::string(base->name);
  type.xtype = base->xtype;
  type.xusertype = base->xusertype;
  type.length = base->length;
  type.prec = base->prec;
  type.scale = base->scale;
  // xprec holds digits for numbers and dates only (timestamp's prec of 8 is its length).
  type.xprec = base->prec > 255 || lower == "timestamp" ? 0 : std::max(base->prec, 0);
  type.xscale = std::max(base->scale, 0);
  auto number = [&](const std::string& text) {
    if (!IsNumeric(text))
      ThrowSyntaxNear(text);
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
  };
  const bool sized = lower == "char" || lower == "varchar" || lower == "binary" ||
                     lower == "varbinary" || lower == "nchar" || lower == "nvarchar";
  const bool wide = lower == "nchar" || lower == "nvarchar";
  type.is_character = lower == "char" || lower == "varchar" || lower == "nchar" ||
                      lower == "nvarchar" || lower == "text" || lower == "ntext" ||
                      lower == "sysname";
  if (sized) {
    int size = 1;
    type.xprec = 0;
    type.xscale = 0;
    if (!args.empty()) {
      if (EqualsIgnoringCase(args[0], "max")) {
        if (version < 9 || lower == "char" || lower == "nchar" || lower == "binary")
          ThrowSyntaxNear("max");
        type.is_max = true;
        type.length = -1;
        type.prec = -1;
        type.scale = -1;
        return type;
      }
      size = number(args[0]);
    }
    const int limit = wide ? 4000 : 8000;
    if (size < 1 || size > limit)
      throw SqlError(131, "The size (" + std::to_string(size) + ") given to the type '" + lower +
                              "' exceeds the maximum allowed for any data type (" +
                              std::to_string(limit) + ").");
    type.prec = size;
    type.length = wide ? size * 2 : size;
    type.scale = -1;
    return type;
  }
  if (lower == "decimal" || lower == "numeric") {
    const int p = args.empty() ? 18 : number(args[0]);
    const int s = args.size() > 1 ? number(args[1]) : 0;
    if (p < 1 || p > 38 || s < 0 || s > p)
      throw SqlError(2750, "Column or parameter #1: Specified column precision " +
                               std::to_string(p) + " is greater than the maximum precision of 38.");
    type.prec = type.xprec = p;
    type.scale = type.xscale = s;
    type.length = p <= 9 ? 5 : p <= 19 ? 9 : p <= 28 ? 13 : 17;
    return type;
  }
  if (lower == "float") {
    const int n = args.empty() ? 53 : number(args[0]);
    if (n < 1 || n > 53)
      throw SqlError(2750, "Column or parameter #1: Specified column precision " +
                               std::to_string(n) + " is greater than the maximum precision of 53.");
    if (n <= 24)
      return MakeDeclaredType("real", {}, version);
    type.scale = -1;
    return type;
  }
  if (!args.empty())
    throw SqlError(2716,
                   "Column, parameter, or variable #1: Cannot specify a column width on "
                   "data type " +
                       lower + ".");
  if (lower == "sysname")
    type.is_character = true;
  return type;
}

std::optional<ResultType> ResultTypeFromDeclaration(std::string_view declaration) {
  if (declaration.empty())
    return std::nullopt;
  const std::size_t paren = declaration.find('(');
  const std::string name = ToLowerAscii(Trim(declaration.substr(0, paren)));
  ResultType result;
  result.type_name = name;
  if (name == "tinyint" || name == "smallint" || name == "int" || name == "bigint") {
    result.type = ValueType::kInteger;
  } else if (name == "bit") {
    result.type = ValueType::kBoolean;
  } else if (name == "decimal" || name == "numeric") {
    result.type = ValueType::kDecimal;
    const std::size_t comma = declaration.find(',');
    result.scale = comma == std::string_view::npos
                       ? 0
                       : static_cast<int>(LeadingNumber(declaration.substr(comma + 1)));
  } else if (name == "money" || name == "smallmoney") {
    result.type = ValueType::kDecimal;
    result.scale = 4;
  } else if (name == "float" || name == "real") {
    result.type = ValueType::kFloat;
  } else if (name == "datetime" || name == "smalldatetime") {
    result.type = ValueType::kDateTime;
  } else if (name == "char" || name == "varchar" || name == "nchar" || name == "nvarchar" ||
             name == "text" || name == "ntext" || name == "xml" || name == "sql_variant" ||
             name == "sysname") {
    result.type = ValueType::kText;
  } else if (name == "binary" || name == "varbinary" || name == "image" || name == "timestamp") {
    result.type = ValueType::kBinary;
  } else if (name == "uniqueidentifier") {
    result.type = ValueType::kGuid;
  } else {
    return std::nullopt;
  }
  return result;
}

}  // namespace korvane::embedded

// The type of a computed column's expression, derived as SQL Server derives it: the operand of
// higher type precedence wins, exact numbers get the precision and scale of the server's rules
// for + - * / %, strings joined by + add their lengths, CASE and COALESCE take the type of
// highest precedence among their results, and a function gives its documented return type.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "db/embedded/sql_tokenizer.h"
#include "db/embedded/sql_types.h"

namespace korvane::embedded {

struct ComputedColumnType {
  DeclaredType type;
  // False only where the expression can never be NULL: ISNULL(..., constant) at the top.
  bool nullable = true;
  // Indexes of the "+" tokens that join strings rather than add numbers.
  std::vector<std::size_t> concatenations;
};

// The type of tokens [begin, end). `column_type` gives the type of a column of the table by name
// (nullopt: no such column). Throws SqlError: 207 for an unknown column, 50000 naming
// `column_name` and the part of the expression whose type the engine cannot tell.
ComputedColumnType DeriveComputedColumnType(
    const std::vector<Token>& tokens, std::size_t begin, std::size_t end,
    const std::function<std::optional<DeclaredType>(const std::string&)>& column_type,
    int major_version, const std::string& column_name);

}  // namespace korvane::embedded

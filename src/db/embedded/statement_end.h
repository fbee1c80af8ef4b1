// Where a T-SQL statement ends inside a batch or a procedure body: the batch executor and the
// TDS listener's procedure runner split their tokens by the same rules.
#pragma once

#include <cstddef>
#include <vector>

#include "db/embedded/sql_tokenizer.h"

namespace korvane::embedded {

// Whether the word can open a statement of its own (SELECT, INSERT, IF, BEGIN, ...).
bool IsStatementStart(const Token& t);

// The index of the token after the statement that opens at tokens[start]: the next ';' or the
// next word that starts another statement, outside parentheses and CASE ... END; `end` when
// the statement runs to it. Words that only continue the statement (UNION SELECT, INSERT ...
// SELECT, UPDATE ... SET, ON DELETE SET, ALTER TABLE's SET, ALTER COLUMN and DROP of a
// column or constraint, WITH) do not end it. tokens[end] must exist (the tokenizer's end
// token stands there at the latest).
std::size_t StatementEnd(const std::vector<Token>& tokens, std::size_t start, std::size_t end);

}  // namespace korvane::embedded

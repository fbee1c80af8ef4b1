// Runs one T-SQL batch (the text between two GO lines) against an open database: splits it into
// statements, runs each (SELECT, INSERT, UPDATE, DELETE, the DDL the loader knows, IF guards,
// SET options) and collects the result sets. A failing statement raises SqlError with the line
// (within the batch) of the token that failed; the caller rolls back.
#pragma once

#include <algorithm>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "db/backend.h"
#include "db/embedded/embedded_database.h"
#include "db/embedded/sql_types.h"

namespace korvane::embedded {

// Attaches a database file to the server (sp_attach_db); supplied by the server layer.
using AttachHandler =
    std::function<void(const std::string& name, const std::vector<std::string>& files)>;

// A SELECT prepared and described, not yet stepped: the statement, the columns as the result set
// would describe them and the type each column's values are read as.
struct PreparedSelect {
  SqliteStatement statement;
  std::vector<ColumnInfo> columns;
  std::vector<std::optional<ResultType>> types;
};

class BatchExecutor {
 public:
  explicit BatchExecutor(EmbeddedDatabase& database) : db_(database) {}

  void set_attach_handler(AttachHandler handler) { attach_ = std::move(handler); }
  // A batch longer than this is tokenized and run a window of about this many bytes at a time,
  // whole statements (and IF, WHILE and BEGIN ... END units) at once, so that a script without
  // GO lines does not hold the tokens of all its statements.
  void set_window_bytes(std::size_t bytes) { window_bytes_ = std::max<std::size_t>(bytes, 1); }

  std::vector<ResultSet> Run(std::string_view batch);

  // The batch's one SELECT, prepared for reading row by row; nothing when the batch is anything
  // else, or when a column's type would only be known from its values (an expression), as Run
  // then gives the same rows. Throws SqlError as Run would for a SELECT that cannot be prepared.
  std::optional<PreparedSelect> PrepareSingleSelect(std::string_view batch);

 private:
  struct Range {
    std::size_t begin;
    std::size_t end;
  };
  std::vector<ResultSet> RunInWindows(std::string_view batch);
  std::vector<Range> SplitStatements(const std::vector<Token>& tokens) const;
  // Index of the statement after the unit at k (a statement, a BEGIN ... END block, or an IF
  // with what it guards and its ELSE part).
  std::size_t UnitEnd(const std::vector<Token>& tokens, const std::vector<Range>& ranges,
                      std::size_t k) const;
  bool IsBlockStart(const std::vector<Token>& tokens, Range range) const;
  std::size_t RunUnit(const std::vector<Token>& tokens, const std::vector<Range>& ranges,
                      std::size_t k, std::string_view batch, std::vector<ResultSet>* results);
  void RunStatement(const std::vector<Token>& tokens, Range range, std::string_view batch,
                    bool first_in_batch, std::vector<ResultSet>* results);
  PreparedSelect PrepareSelect(const std::vector<Token>& tokens, Range range);
  ResultSet Select(const std::vector<Token>& tokens, Range range);
  bool Condition(const std::vector<Token>& tokens, std::size_t begin, std::size_t end);
  void Execute(const std::vector<Token>& tokens, Range range);

  EmbeddedDatabase& db_;
  AttachHandler attach_;
  std::vector<Token> spare_tokens_;
  std::size_t window_bytes_ = 256 * 1024;
  bool continuing_ = false;  // a window after the batch's first is running
};

}  // namespace korvane::embedded

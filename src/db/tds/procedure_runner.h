// Runs a stored procedure of the embedded server for a client: reads its definition, binds the
// arguments (and the defaults of those not given) to its parameters, and runs its body statement
// by statement. The engine itself takes no variables, so the runner keeps them: DECLARE,
// SET @v = expr, SELECT @v = expr [FROM ...] and RETURN are evaluated here (each expression by
// the engine as a SELECT), every other statement runs on the engine with the current variable
// values written in as literals. An IF or WHILE runs with the rest of the body as one batch.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "db/backend.h"

namespace korvane::tds {

struct ProcedureArgument {
  std::string name;  // "@a"; empty for a positional argument
  Value value;
  bool output = false;
  // When set, the value is this T-SQL expression (a literal of an EXEC statement), evaluated
  // by the engine.
  std::optional<std::string> expression;
  bool use_default = false;  // EXEC p DEFAULT: the parameter's default applies
};

struct ProcedureOutcome {
  bool found = false;  // false: no such procedure (error 2812 in `errors`)
  bool ok = false;
  std::vector<ServerMessage> errors;
  std::vector<ResultSet> result_sets;
  std::int32_t return_status = 0;
  struct Output {
    int ordinal = 0;  // position among the arguments
    std::string name;
    std::string type;  // the parameter's declared base type ("int", "nvarchar")
    Value value;
  };
  std::vector<Output> outputs;  // the arguments passed as OUTPUT, in argument order
};

// The parameters of a CREATE PROCEDURE text: names, declared types, defaults (as T-SQL), output.
struct ProcedureParameter {
  std::string name;
  std::string type;
  std::optional<std::string> default_text;
  bool output = false;
};
struct ProcedureDefinition {
  std::vector<ProcedureParameter> parameters;
  std::string body;
};
std::optional<ProcedureDefinition> ParseProcedureDefinition(const std::string& text);

// `cancel`, when set, stops the procedure once it turns true.
ProcedureOutcome RunProcedure(DatabaseSession& session, const std::string& name,
                              const std::vector<ProcedureArgument>& arguments,
                              const std::atomic<bool>* cancel = nullptr);

// A batch that is one EXEC[UTE] of a procedure with literal arguments: its name and arguments.
struct ExecCall {
  std::string procedure;
  std::vector<ProcedureArgument> arguments;
};
std::optional<ExecCall> ParseExecCall(const std::string& sql);

}  // namespace korvane::tds

#include "db/tds/procedure_runner.h"

#include <algorithm>

#include "base/text.h"
#include "db/embedded/sql_error.h"
#include "db/embedded/sql_tokenizer.h"
#include "db/embedded/statement_end.h"
#include "db/tds/rpc_request.h"

namespace korvane::tds {
namespace {

using embedded::Token;
using embedded::TokenKind;

struct Range {
  std::size_t begin;
  std::size_t end;  // token indices, end excluded
};

// Splits the body's tokens into statements. A bare BEGIN or END is a statement of its own;
// an IF or WHILE takes the rest of the body.
std::vector<Range> SplitStatements(const std::vector<Token>& tokens) {
  std::vector<Range> ranges;
  const std::size_t n = tokens.size() - 1;
  std::size_t start = 0;
  while (start < n) {
    const Token& first = tokens[start];
    if (first.IsPunct(";")) {
      ++start;
      continue;
    }
    const bool transaction_word = start + 1 < n && (tokens[start + 1].IsWord("TRAN") ||
                                                    tokens[start + 1].IsWord("TRANSACTION"));
    if ((first.IsWord("BEGIN") && !transaction_word) || first.IsWord("END")) {
      ranges.push_back({start, start + 1});
      ++start;
      continue;
    }
    if (first.IsWord("IF") || first.IsWord("WHILE")) {
      ranges.push_back({start, n});
      break;
    }
    const std::size_t end = embedded::StatementEnd(tokens, start, n);
    ranges.push_back({start, end});
    start = end;
  }
  return ranges;
}

std::string BaseTypeName(const std::string& type) {
  const std::size_t paren = type.find('(');
  return ToLowerAscii(Trim(std::string_view(type).substr(0, paren)));
}

class Runner {
 public:
  Runner(DatabaseSession& session, ProcedureOutcome& outcome, const std::atomic<bool>* cancel)
      : session_(session), outcome_(outcome), cancel_(cancel) {}

  struct Variable {
    std::string name;
    std::string type;
    Value value;
  };
  std::vector<Variable> variables;

  Variable* Find(std::string_view name) {
    for (Variable& v : variables)
      if (EqualsIgnoringCase(v.name, name))
        return &v;
    return nullptr;
  }

  // The text with the variables written in as literals; false (error noted) when one is unknown.
  bool Bind(const std::string& text, std::string* bound) {
    std::vector<std::pair<std::string, Value>> values;
    values.reserve(variables.size());
    for (const Variable& v : variables)
      values.emplace_back(v.name, v.value);
    std::string error;
    if (BindParameters(text, values, bound, &error))
      return true;
    Fail(137, error);
    return false;
  }

  void Fail(std::int32_t number, std::string text) {
    ServerMessage message;
    message.number = number;
    message.severity = 16;
    message.text = std::move(text);
    outcome_.errors.push_back(std::move(message));
  }

  // Runs `sql` (already bound) on the engine; false when it failed (its errors noted).
  bool Run(const std::string& sql, std::vector<ResultSet>* results) {
    CommandRequest request;
    request.text = sql;
    request.timeout_seconds = 0;
    request.cancel = cancel_;
    CommandOutcome outcome = session_.Execute(request);
    if (!outcome.ok) {
      outcome_.errors.insert(outcome_.errors.end(), outcome.errors.begin(), outcome.errors.end());
      return false;
    }
    for (auto& result : outcome.result_sets)
      results->push_back(std::move(result));
    return true;
  }

  // The values of SELECT expr, expr... (FROM ...): the last row's, or NULLs without rows.
  bool Evaluate(const std::string& select_list, std::size_t count, std::vector<Value>* values) {
    std::string bound;
    if (!Bind("SELECT " + select_list, &bound))
      return false;
    std::vector<ResultSet> results;
    if (!Run(bound, &results))
      return false;
    values->assign(count, Value::Null());
    if (!results.empty() && !results.back().rows.empty()) {
      const auto& row = results.back().rows.back();
      for (std::size_t k = 0; k < count && k < row.size(); ++k)
        (*values)[k] = row[k];
    }
    return true;
  }

  // A value converted as the variable's declared type would hold it (integers stay integers).
  static Value Coerce(const Value& value, const std::string& type) {
    const std::string base = BaseTypeName(type);
    if (value.is_null())
      return value;
    const bool integer =
        base == "int" || base == "bigint" || base == "smallint" || base == "tinyint";
    if (integer && value.type() == ValueType::kFloat)
      return Value::Integer(static_cast<std::int64_t>(value.AsFloat()));
    if (integer && value.type() == ValueType::kDecimal)
      return Value::Integer(static_cast<std::int64_t>(LeadingNumber(value.AsDecimalDigits())));
    if (integer && value.type() == ValueType::kText && IsNumeric(value.AsText()))
      return Value::Integer(static_cast<std::int64_t>(LeadingNumber(value.AsText())));
    if ((base.find("char") != std::string::npos || base == "sysname") &&
        value.type() != ValueType::kText)
      return Value::Text(NullText(value));
    return value;
  }

  // Runs the body; false when a statement failed.
  bool RunBody(const std::string& body) {
    std::vector<Token> tokens;
    try {
      tokens = embedded::Tokenize(body);
    } catch (const embedded::SqlError& error) {
      outcome_.errors.push_back(error.message());
      return false;
    }
    const auto text_of = [&](std::size_t begin, std::size_t end) {
      if (begin >= end)
        return std::string();
      return body.substr(tokens[begin].offset, tokens[end - 1].end - tokens[begin].offset);
    };
    for (const Range& range : SplitStatements(tokens)) {
      const Token& first = tokens[range.begin];
      if (first.IsWord("BEGIN") || first.IsWord("END"))
        continue;
      if (first.IsWord("RETURN")) {
        if (range.end > range.begin + 1) {
          std::vector<Value> values;
          if (!Evaluate(text_of(range.begin + 1, range.end), 1, &values))
            return false;
          outcome_.return_status = static_cast<std::int32_t>(
              Coerce(values[0], "int").is_null() ? 0 : Coerce(values[0], "int").AsInteger());
        }
        return true;
      }
      if (first.IsWord("DECLARE")) {
        if (!Declare(tokens, range, text_of))
          return false;
        continue;
      }
      if (first.IsWord("SET") && range.begin + 2 < range.end &&
          tokens[range.begin + 1].kind == TokenKind::kVariable &&
          tokens[range.begin + 2].IsPunct("=")) {
        Variable* variable = Find(tokens[range.begin + 1].text);
        if (!variable) {
          Fail(137, "Must declare the scalar variable \"" + tokens[range.begin + 1].text + "\".");
          return false;
        }
        std::vector<Value> values;
        if (!Evaluate(text_of(range.begin + 3, range.end), 1, &values))
          return false;
        variable->value = Coerce(values[0], variable->type);
        continue;
      }
      if (first.IsWord("SET"))
        continue;  // session options change nothing the engine keeps
      if (first.IsWord("SELECT") && range.begin + 2 < range.end &&
          tokens[range.begin + 1].kind == TokenKind::kVariable &&
          tokens[range.begin + 2].IsPunct("=")) {
        if (!AssignSelect(tokens, range, body))
          return false;
        continue;
      }
      std::string bound;
      if (!Bind(text_of(range.begin, range.end), &bound))
        return false;
      if (!Run(bound, &outcome_.result_sets))
        return false;
    }
    return true;
  }

 private:
  template <typename TextOf>
  bool Declare(const std::vector<Token>& tokens, Range range, TextOf text_of) {
    std::size_t i = range.begin + 1;
    while (i < range.end) {
      if (tokens[i].kind != TokenKind::kVariable) {
        Fail(102, "Incorrect syntax near '" + tokens[i].text + "'.");
        return false;
      }
      Variable variable;
      variable.name = tokens[i].text;
      ++i;
      if (i < range.end && tokens[i].IsWord("AS"))
        ++i;
      const std::size_t type_begin = i;
      int depth = 0;
      std::size_t equals = 0;
      for (; i < range.end; ++i) {
        if (tokens[i].IsPunct("("))
          ++depth;
        else if (tokens[i].IsPunct(")"))
          --depth;
        else if (depth == 0 && tokens[i].IsPunct(","))
          break;
        else if (depth == 0 && tokens[i].IsPunct("=") && equals == 0)
          equals = i;
      }
      variable.type = text_of(type_begin, equals ? equals : i);
      if (equals) {
        std::vector<Value> values;
        if (!Evaluate(text_of(equals + 1, i), 1, &values))
          return false;
        variable.value = Coerce(values[0], variable.type);
      }
      variables.push_back(std::move(variable));
      if (i < range.end && tokens[i].IsPunct(","))
        ++i;
    }
    return true;
  }

  // SELECT @a = expr, @b = expr [FROM ...]: the expressions selected, the last row assigned.
  bool AssignSelect(const std::vector<Token>& tokens, Range range, const std::string& body) {
    std::vector<Variable*> targets;
    std::string list;
    std::size_t copied = tokens[range.begin + 1].offset;
    int depth = 0;
    bool expect_target = true;
    for (std::size_t i = range.begin + 1; i < range.end; ++i) {
      const Token& t = tokens[i];
      if (depth == 0 && t.IsWord("FROM"))
        break;
      if (expect_target) {
        if (t.kind != TokenKind::kVariable || i + 1 >= range.end || !tokens[i + 1].IsPunct("=")) {
          Fail(141,
               "A SELECT statement that assigns a value to a variable must not be combined with "
               "data-retrieval operations.");
          return false;
        }
        Variable* variable = Find(t.text);
        if (!variable) {
          Fail(137, "Must declare the scalar variable \"" + t.text + "\".");
          return false;
        }
        targets.push_back(variable);
        list.append(body, copied, t.offset - copied);
        copied = tokens[i + 1].end;
        ++i;
        expect_target = false;
        continue;
      }
      if (t.IsPunct("("))
        ++depth;
      else if (t.IsPunct(")"))
        --depth;
      else if (depth == 0 && t.IsPunct(","))
        expect_target = true;
    }
    list.append(body, copied, tokens[range.end - 1].end - copied);
    std::vector<Value> values;
    if (!Evaluate(list, targets.size(), &values))
      return false;
    for (std::size_t k = 0; k < targets.size(); ++k)
      targets[k]->value = Coerce(values[k], targets[k]->type);
    return true;
  }

  DatabaseSession& session_;
  ProcedureOutcome& outcome_;
  const std::atomic<bool>* cancel_;
};

std::optional<std::string> ProcedureText(DatabaseSession& session, const std::string& name,
                                         std::vector<ServerMessage>* errors) {
  CommandRequest request;
  request.text =
      "SELECT c.text FROM syscomments c, sysobjects o WHERE o.id = c.id AND o.xtype = 'P' AND "
      "o.name = N'" +
      ReplaceAll(name, "'", "''") + "' ORDER BY c.colid";
  request.timeout_seconds = 0;
  CommandOutcome outcome = session.Execute(request);
  if (!outcome.ok) {
    *errors = outcome.errors;
    return std::nullopt;
  }
  if (outcome.result_sets.empty() || outcome.result_sets[0].rows.empty())
    return std::nullopt;
  std::string text;
  for (const auto& row : outcome.result_sets[0].rows)
    if (!row.empty() && row[0].type() == ValueType::kText)
      text += row[0].AsText();
  return text;
}

}  // namespace

std::optional<ProcedureDefinition> ParseProcedureDefinition(const std::string& text) {
  std::vector<Token> tokens;
  try {
    tokens = embedded::Tokenize(text);
  } catch (const embedded::SqlError&) {
    return std::nullopt;
  }
  std::size_t i = 0;
  const std::size_t n = tokens.size() - 1;
  if (i < n && (tokens[i].IsWord("CREATE") || tokens[i].IsWord("ALTER")))
    ++i;
  if (i >= n || !(tokens[i].IsWord("PROC") || tokens[i].IsWord("PROCEDURE")))
    return std::nullopt;
  ++i;
  // The (multi-part) name and an optional group number.
  if (i >= n || !tokens[i].IsName())
    return std::nullopt;
  ++i;
  while (i + 1 < n && tokens[i].IsPunct(".")) {
    ++i;
    if (tokens[i].IsName())
      ++i;
  }
  if (i + 1 < n && tokens[i].IsPunct(";") && tokens[i + 1].kind == TokenKind::kNumber)
    i += 2;
  ProcedureDefinition definition;
  const bool parenthesised = i < n && tokens[i].IsPunct("(");
  if (parenthesised)
    ++i;
  while (i < n && tokens[i].kind == TokenKind::kVariable) {
    ProcedureParameter parameter;
    parameter.name = tokens[i++].text;
    if (i < n && tokens[i].IsWord("AS"))
      ++i;
    const std::size_t type_begin = i;
    int depth = 0;
    std::size_t type_end = i;
    for (; i < n; ++i) {
      const Token& t = tokens[i];
      if (t.IsPunct("("))
        ++depth;
      else if (t.IsPunct(")")) {
        if (depth == 0)
          break;
        --depth;
      } else if (depth == 0 && (t.IsPunct(",") || t.IsPunct("=") || t.IsWord("OUTPUT") ||
                                t.IsWord("OUT") || t.IsWord("AS") || t.IsWord("WITH") ||
                                t.IsWord("READONLY") || t.IsWord("VARYING")))
        break;
      type_end = i + 1;
    }
    if (type_end <= type_begin)
      return std::nullopt;
    parameter.type = text.substr(tokens[type_begin].offset,
                                 tokens[type_end - 1].end - tokens[type_begin].offset);
    if (i < n && tokens[i].IsWord("VARYING"))
      ++i;
    if (i < n && tokens[i].IsPunct("=")) {
      ++i;
      const std::size_t begin = i;
      if (i < n && tokens[i].IsPunct("-"))
        ++i;
      if (i >= n)
        return std::nullopt;
      ++i;
      parameter.default_text =
          text.substr(tokens[begin].offset, tokens[i - 1].end - tokens[begin].offset);
    }
    if (i < n && (tokens[i].IsWord("OUTPUT") || tokens[i].IsWord("OUT"))) {
      parameter.output = true;
      ++i;
    }
    if (i < n && tokens[i].IsWord("READONLY"))
      ++i;
    definition.parameters.push_back(std::move(parameter));
    if (i < n && tokens[i].IsPunct(","))
      ++i;
  }
  if (parenthesised) {
    if (i >= n || !tokens[i].IsPunct(")"))
      return std::nullopt;
    ++i;
  }
  // WITH RECOMPILE / ENCRYPTION / EXECUTE AS ... up to AS.
  while (i < n && !tokens[i].IsWord("AS"))
    ++i;
  if (i >= n)
    return std::nullopt;
  definition.body = text.substr(tokens[i].end);
  return definition;
}

ProcedureOutcome RunProcedure(DatabaseSession& session, const std::string& name,
                              const std::vector<ProcedureArgument>& arguments,
                              const std::atomic<bool>* cancel) {
  ProcedureOutcome outcome;
  std::string bare = name;
  if (const std::size_t dot = bare.rfind('.'); dot != std::string::npos)
    bare = bare.substr(dot + 1);
  if (bare.size() >= 2 && bare.front() == '[' && bare.back() == ']')
    bare = bare.substr(1, bare.size() - 2);
  Runner runner(session, outcome, cancel);
  const auto text = ProcedureText(session, bare, &outcome.errors);
  if (!text) {
    if (outcome.errors.empty())
      runner.Fail(2812, "Could not find stored procedure '" + name + "'.");
    return outcome;
  }
  outcome.found = true;
  const auto definition = ParseProcedureDefinition(*text);
  if (!definition) {
    runner.Fail(50000, "The definition of procedure '" + bare + "' cannot be read.");
    return outcome;
  }
  // Arguments by name, or by position up to the first named one.
  std::vector<std::optional<std::size_t>> given(definition->parameters.size());
  for (std::size_t a = 0; a < arguments.size(); ++a) {
    std::size_t target = a;
    if (!arguments[a].name.empty()) {
      auto found = std::find_if(definition->parameters.begin(), definition->parameters.end(),
                                [&](const ProcedureParameter& p) {
                                  return EqualsIgnoringCase(p.name, arguments[a].name);
                                });
      if (found == definition->parameters.end()) {
        runner.Fail(8145, arguments[a].name + " is not a parameter for procedure " + bare + ".");
        return outcome;
      }
      target = static_cast<std::size_t>(found - definition->parameters.begin());
    } else if (target >= definition->parameters.size()) {
      runner.Fail(8144, "Procedure or function " + bare + " has too many arguments specified.");
      return outcome;
    }
    given[target] = a;
  }
  for (std::size_t p = 0; p < definition->parameters.size(); ++p) {
    const ProcedureParameter& parameter = definition->parameters[p];
    Runner::Variable variable;
    variable.name = parameter.name;
    variable.type = parameter.type;
    if (given[p] && !arguments[*given[p]].use_default) {
      const ProcedureArgument& argument = arguments[*given[p]];
      if (argument.expression) {
        std::vector<Value> values;
        if (!runner.Evaluate(*argument.expression, 1, &values))
          return outcome;
        variable.value = Runner::Coerce(values[0], parameter.type);
      } else {
        variable.value = Runner::Coerce(argument.value, parameter.type);
      }
    } else if (parameter.default_text) {
      std::vector<Value> values;
      if (!runner.Evaluate(*parameter.default_text, 1, &values))
        return outcome;
      variable.value = Runner::Coerce(values[0], parameter.type);
    } else {
      runner.Fail(201, "Procedure or function '" + bare + "' expects parameter '" + parameter.name +
                           "', which was not supplied.");
      return outcome;
    }
    runner.variables.push_back(std::move(variable));
  }
  outcome.ok = runner.RunBody(definition->body);
  if (!outcome.ok) {
    if (outcome.return_status == 0)
      outcome.return_status = -6;  // what the server returns after an error in a procedure
    return outcome;
  }
  for (std::size_t p = 0; p < definition->parameters.size(); ++p) {
    if (!given[p] || !arguments[*given[p]].output)
      continue;
    ProcedureOutcome::Output output;
    output.ordinal = static_cast<int>(*given[p]);
    output.name = definition->parameters[p].name;
    output.type = BaseTypeName(definition->parameters[p].type);
    output.value = runner.variables[p].value;
    outcome.outputs.push_back(std::move(output));
  }
  std::sort(outcome.outputs.begin(), outcome.outputs.end(),
            [](const auto& a, const auto& b) { return a.ordinal < b.ordinal; });
  return outcome;
}

std::optional<ExecCall> ParseExecCall(const std::string& sql) {
  std::vector<Token> tokens;
  try {
    tokens = embedded::Tokenize(sql);
  } catch (const embedded::SqlError&) {
    return std::nullopt;
  }
  const std::size_t n = tokens.size() - 1;
  std::size_t i = 0;
  if (i >= n || !(tokens[i].IsWord("EXEC") || tokens[i].IsWord("EXECUTE")))
    return std::nullopt;
  ++i;
  ExecCall call;
  if (i >= n || !tokens[i].IsName())
    return std::nullopt;
  call.procedure = tokens[i++].text;
  while (i + 1 < n && tokens[i].IsPunct(".")) {
    ++i;
    if (tokens[i].IsName())
      call.procedure = tokens[i++].text;
  }
  while (i < n && !tokens[i].IsPunct(";")) {
    ProcedureArgument argument;
    if (tokens[i].kind == TokenKind::kVariable && i + 1 < n && tokens[i + 1].IsPunct("=")) {
      argument.name = tokens[i].text;
      i += 2;
    }
    const std::size_t begin = i;
    if (i < n && (tokens[i].IsPunct("-") || tokens[i].IsPunct("+")))
      ++i;
    if (i >= n)
      return std::nullopt;
    const Token& literal = tokens[i];
    if (literal.kind != TokenKind::kNumber && literal.kind != TokenKind::kString &&
        !literal.IsWord("NULL") && !literal.IsWord("DEFAULT"))
      return std::nullopt;
    ++i;
    argument.expression =
        sql.substr(tokens[begin].offset, tokens[i - 1].end - tokens[begin].offset);
    if (i < n && (tokens[i].IsWord("OUTPUT") || tokens[i].IsWord("OUT"))) {
      argument.output = true;
      ++i;
    }
    if (literal.IsWord("DEFAULT")) {
      argument.expression.reset();
      argument.use_default = true;
    }
    call.arguments.push_back(std::move(argument));
    if (i < n && tokens[i].IsPunct(",")) {
      ++i;
      if (i >= n || tokens[i].IsPunct(";"))
        return std::nullopt;  // a comma with no argument after it
    } else if (i < n && !tokens[i].IsPunct(";")) {
      return std::nullopt;
    }
  }
  while (i < n && tokens[i].IsPunct(";"))
    ++i;
  if (i != n)
    return std::nullopt;
  return call;
}

}  // namespace korvane::tds

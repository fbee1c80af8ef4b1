// RPC requests: a procedure called by name or by the id of a system procedure, with typed
// parameters, and the parameters' values turned into T-SQL literals for the engine, which
// takes no variables.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "db/backend.h"

namespace korvane::tds {

// System procedures a client may call by id.
inline constexpr int kProcExecuteSql = 10;
inline constexpr int kProcPrepare = 11;
inline constexpr int kProcExecute = 12;
inline constexpr int kProcPrepExec = 13;
inline constexpr int kProcUnprepare = 15;

struct RpcParameter {
  std::string name;  // "@a", or empty for a positional parameter
  bool output = false;
  Value value;
  std::string sql_type;  // the parameter's type as T-SQL writes it: "int", "nvarchar(4000)"
};

struct RpcRequest {
  int procedure_id = 0;        // a system procedure's id, 0 when called by name
  std::string procedure_name;  // as sent; for an id call, the system procedure's name
  std::vector<RpcParameter> parameters;
};

// Parses an RPC payload (after ALL_HEADERS). Only the first call of a message is read; the
// values of the types the protocol defines become Values (date and time types as DateTimeValue,
// datetimeoffset as its UTC time). nullopt with `error` set on a malformed or unsupported
// request.
std::optional<RpcRequest> ParseRpc(std::span<const std::uint8_t> payload, std::uint32_t tds_version,
                                   std::string* error);

// The name of system procedure `id` ("sp_executesql"), empty for ids not served.
std::string SystemProcedureName(int id);
// The id of a system procedure called by name (case-insensitive, with or without "sys."),
// 0 for other names.
int SystemProcedureId(const std::string& name);

// A value as a T-SQL literal: NULL, 42, 1.5E+20, N'O''Brien', 0x0A1B,
// CAST('2024-02-29 13:45:30.123' AS datetime).
std::string SqlLiteral(const Value& value);

// A declaration list "@P1 INT, @P2 VARCHAR(20) OUTPUT": the names in order and whether each
// is an output parameter.
struct DeclaredParameter {
  std::string name;
  std::string type;
  bool output = false;
};
std::vector<DeclaredParameter> ParseParameterDeclarations(const std::string& declarations);

// Replaces each variable of `sql` that names a parameter (ignoring case) by the literal of its
// value; other text, string literals and comments stay as they are. False with `error` set when
// the text cannot be read or a variable has no value.
bool BindParameters(const std::string& sql,
                    const std::vector<std::pair<std::string, Value>>& values, std::string* bound,
                    std::string* error);

}  // namespace korvane::tds

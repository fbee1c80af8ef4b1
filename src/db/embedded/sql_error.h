// Errors as SQL Server raises them, used inside the embedded engine. The engine's internals throw
// SqlError; the backend and the loader catch it at their boundary and hand out ServerMessage
// values, so no exception leaves db/embedded.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "db/backend.h"

namespace korvane::embedded {

// A message with SQL Server's severity and the SQLSTATE a Microsoft ODBC driver reports for it.
ServerMessage MakeServerMessage(int number, std::string text);

class SqlError : public std::runtime_error {
 public:
  explicit SqlError(ServerMessage message)
      : std::runtime_error(message.text), message_(std::move(message)) {}
  SqlError(int number, std::string text) : SqlError(MakeServerMessage(number, std::move(text))) {}

  const ServerMessage& message() const { return message_; }
  int line() const { return line_; }
  void set_line(int line) { line_ = line; }

 private:
  ServerMessage message_;
  int line_ = 0;  // line within the batch (1-based), 0 when unknown
};

// The messages the engine raises, texts as SQL Server 2005 words them.
[[noreturn]] void ThrowInvalidObject(std::string_view name);         // 208
[[noreturn]] void ThrowInvalidColumn(std::string_view name);         // 207
[[noreturn]] void ThrowSyntaxNear(std::string_view token);           // 102
[[noreturn]] void ThrowSyntaxNearKeyword(std::string_view keyword);  // 156
[[noreturn]] void ThrowObjectExists(std::string_view name);          // 2714
// A construct the embedded server does not implement: a clear text naming it (number 50000).
[[noreturn]] void ThrowUnsupported(std::string_view construct);

}  // namespace korvane::embedded

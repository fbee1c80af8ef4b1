#include "db/odbc/odbc_diagnostics.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "db/odbc/odbc_messages.h"

namespace korvane {

std::vector<ServerMessage> Diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  std::vector<ServerMessage> messages;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    std::array<SQLCHAR, 2048> text{};
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SQLGetDiagRec(type, handle, record, state, &native, text.data(),
                                       static_cast<SQLSMALLINT>(text.size()), &length);
    if (!Succeeded(rc))
      break;
    ServerMessage message;
    message.number = native;
    message.sqlstate = reinterpret_cast<const char*>(state);
    message.text = ServerTextOf(
        native, std::string_view(reinterpret_cast<const char*>(text.data()),
                                 std::min<std::size_t>(
                                     static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)),
                                     text.size() - 1)));
    // Informational records (01xxx) say nothing about the failure.
    if (message.sqlstate.starts_with("01") && !messages.empty())
      continue;
    messages.push_back(std::move(message));
  }
  OrderDiagnostics(messages);
  return messages;
}

std::vector<ServerMessage> OrGeneric(std::vector<ServerMessage> messages, std::string text) {
  if (messages.empty())
    messages.push_back({0, 16, 1, "HY000", std::move(text)});
  return messages;
}

}  // namespace korvane

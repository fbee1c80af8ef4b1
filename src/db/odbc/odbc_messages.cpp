#include "db/odbc/odbc_messages.h"

#include <algorithm>

namespace korvane {

std::string ServerTextOf(std::int32_t native_number, std::string_view text) {
  if (native_number == 0)
    return std::string(text);
  std::string_view rest = text;
  while (rest.starts_with('[')) {
    const std::size_t close = rest.find(']');
    if (close == std::string_view::npos)
      break;
    rest.remove_prefix(close + 1);
  }
  // A message that was nothing but brackets keeps them rather than become empty.
  return rest.empty() ? std::string(text) : std::string(rest);
}

void OrderDiagnostics(std::vector<ServerMessage>& messages) {
  std::stable_partition(messages.begin(), messages.end(),
                        [](const ServerMessage& m) { return !m.sqlstate.starts_with("01"); });
  const auto login_failed = std::find_if(messages.begin(), messages.end(),
                                         [](const ServerMessage& m) { return m.number == 18456; });
  const auto cannot_open =
      std::find_if(messages.begin(), messages.end(),
                   [](const ServerMessage& m) { return m.number == 4060 || m.number == 4064; });
  if (login_failed != messages.end() && cannot_open != messages.end() &&
      cannot_open > login_failed) {
    std::rotate(login_failed, cannot_open, cannot_open + 1);
  }
}

}  // namespace korvane

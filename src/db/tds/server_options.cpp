#include "db/tds/server_options.h"

#include <charconv>

#include "base/text.h"

namespace korvane::tds {

bool ParseTestHooks(const std::string& text, TestHooks* hooks) {
  for (const std::string& part : Split(text, ",")) {
    const std::string_view item = Trim(part);
    if (item.empty())
      continue;
    const std::size_t equals = item.find('=');
    if (equals == std::string_view::npos)
      return false;
    const std::string_view name = Trim(item.substr(0, equals));
    const std::string_view number = Trim(item.substr(equals + 1));
    int value = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size())
      return false;
    if (name == "drop-after-rows")
      hooks->drop_after_rows = value;
    else if (name == "stall-login-ms")
      hooks->stall_login_ms = value;
    else if (name == "stall-query-ms")
      hooks->stall_query_ms = value;
    else
      return false;
  }
  return true;
}

}  // namespace korvane::tds

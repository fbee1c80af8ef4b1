#include "db/backend.h"

#include "base/text.h"

namespace korvane {

bool IsEmbeddedServerName(std::string_view server_name) {
  const std::string_view name = Trim(server_name);
  return name.size() >= kEmbeddedPrefix.size() &&
         EqualsIgnoringCase(name.substr(0, kEmbeddedPrefix.size()), kEmbeddedPrefix);
}

DatabaseBackend* DatabaseBackends::For(std::string_view server_name) const {
  return IsEmbeddedServerName(server_name) ? embedded.get() : odbc.get();
}

}  // namespace korvane

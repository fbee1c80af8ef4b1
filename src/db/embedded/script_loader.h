// Builds or changes a database of an embedded server from a T-SQL script, as a query tool would
// run it: GO separates batches, each batch runs statement by statement. The whole script is one
// transaction: when any statement fails, nothing of the script remains (and a database the load
// created is removed again).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "db/backend.h"

namespace korvane {

// The most times "GO n" may run one batch; a larger count fails the load before anything runs.
inline constexpr int kMaxBatchRepeat = 10000;

struct ScriptLoadResult {
  bool ok = false;
  // On failure: "Msg 208, Level 16, State 1, Line 12" + LF + the message text.
  std::string message;
  int line = 0;  // line of the script where the failing statement starts
  ServerMessage error;
};

// `server`: "embedded:<folder>", or the folder itself (a path when it contains "/", else a name
// under `servers_folder`). The server folder (with the default product version) and the
// database are created when missing.
ScriptLoadResult LoadScript(const std::filesystem::path& servers_folder, std::string_view server,
                            std::string_view database, std::string_view script);

// Creates an empty server folder reporting `product_version` ("8.00.2039" for version 8).
// False with `error` set when it exists already or cannot be made.
bool CreateEmbeddedServer(const std::filesystem::path& servers_folder, std::string_view server,
                          std::string_view product_version, std::string* error);

}  // namespace korvane

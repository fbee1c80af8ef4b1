// Builds or changes a database of an embedded server from a T-SQL script, as a query tool would
// run it: GO separates batches, each batch runs statement by statement as it is read, so the
// script is never held whole. The whole script is one transaction: when any statement fails,
// nothing of the script remains (and a database the load created is removed again).
#pragma once

#include <cstddef>
#include <filesystem>
#include <istream>
#include <string>
#include <string_view>

#include "db/backend.h"

namespace korvane {

// The most times "GO n" may run one batch; a larger count fails the load, leaving nothing.
inline constexpr int kMaxBatchRepeat = 10000;

// How many bytes of a script the loader reads at a time.
inline constexpr std::size_t kScriptPieceSize = 256 * 1024;

struct ScriptLoadResult {
  bool ok = false;
  // On failure: "Msg 208, Level 16, State 1, Line 12" + LF + the message text.
  std::string message;
  int line = 0;  // line of the script where the failing statement starts
  ServerMessage error;
  // The most bytes of the script the loader held at once (the batch being run and the piece
  // read ahead): bounded by the largest batch, whatever the script's size.
  std::size_t largest_buffer = 0;
};

// `server`: "embedded:<folder>", or the folder itself (a path when it contains "/", else a name
// under `servers_folder`). The server folder (with the default product version) and the
// database are created when missing.
ScriptLoadResult LoadScript(const std::filesystem::path& servers_folder, std::string_view server,
                            std::string_view database, std::string_view script);
// The same for a script read from `script` in pieces of `piece_size` bytes, one batch at a
// time (a read error fails the load and leaves nothing, like a failing statement). A batch
// longer than four pieces runs a window of about that size at a time, whole statements at once.
ScriptLoadResult LoadScript(const std::filesystem::path& servers_folder, std::string_view server,
                            std::string_view database, std::istream& script,
                            std::size_t piece_size = kScriptPieceSize);

// Creates an empty server folder reporting `product_version` ("8.00.2039" for version 8).
// False with `error` set when it exists already or cannot be made.
bool CreateEmbeddedServer(const std::filesystem::path& servers_folder, std::string_view server,
                          std::string_view product_version, std::string* error);

}  // namespace korvane

// The data-access layer: every database access of the program goes through run command, which
// opens a connection for one command, runs it with the user's time-out, hands back the rows and
// reports a failure once, in one fixed message, unless the caller is probing
// (SuppressConnectionErrors). Connections are pooled by the backend, so a command costs no login.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "db/backend.h"
#include "db/recordset.h"
#include "db/server_record.h"

namespace korvane {

struct DataAccessContext;

// Error numbers as the program's callers see them (the provider's HRESULTs, as signed numbers).
inline constexpr std::int32_t kMissingTableError = static_cast<std::int32_t>(0x80040E37);
inline constexpr std::int32_t kCommandError = static_cast<std::int32_t>(0x80040E14);
inline constexpr std::int32_t kIntegrityError = static_cast<std::int32_t>(0x80040E2F);
inline constexpr std::int32_t kDataOverflowError = static_cast<std::int32_t>(0x80040E57);
inline constexpr std::int32_t kConversionError = static_cast<std::int32_t>(0x80040E07);
inline constexpr std::int32_t kTimeoutError = static_cast<std::int32_t>(0x80040E31);
inline constexpr std::int32_t kAuthenticationError = static_cast<std::int32_t>(0x80040E4D);
inline constexpr std::int32_t kGeneralError = static_cast<std::int32_t>(0x80004005);
inline constexpr std::int32_t kUnhandledParameterType = 13;

// The caller-visible error number of what a server (or the client) said.
std::int32_t ErrorNumberOf(const ServerMessage& message);

struct RunCommandResult {
  // The value of the "Return" parameter (0 when the command returned none); -1 on failure.
  std::int32_t result = -1;
  // The first result set's rows; empty when nothing was run or the command failed.
  std::optional<Recordset> recordset;
  std::int32_t error_number = 0;
  std::string error_description;

  bool failed() const { return result == -1; }
};

// "Server connection failed." ... "Command failed: " + the command text.
std::string ConnectionFailureMessage(std::int32_t error_number, std::string_view description,
                                     std::string_view command_text);

// Runs one command on a new connection to `database` of `server`. `inputs` become input
// parameters in order; each non-null pointer of `in_out` (up to five) an input-output parameter
// whose value is read back after the call. An empty text only tests that the connection opens.
RunCommandResult RunCommand(DataAccessContext& context, const ServerRecord& server,
                            CommandType type, std::string_view text, std::string_view database,
                            const std::vector<Value>& inputs = {},
                            std::span<Value* const> in_out = {});

// Runs one command on an already open connection.
RunCommandResult RunCommandOnConnection(DataAccessContext& context, DatabaseSession& session,
                                        CommandType type, std::string_view text);

// The rows of one text command read row by row instead of as a recordset: opened as RunCommand
// opens its recordset (a pooled connection to `database`, the user's time-out, a failure to open
// reported once in the same message unless SuppressConnectionErrors is on). The cursor holds the
// connection until it is destroyed. Reading never shows anything, so the cursor may be read on
// another thread; a failure while reading ends Next() with Errors() set, and the caller reports
// it on its own thread with ReportRowCursorFailure. `cancel`, when given, stops a read in
// progress once it turns true (another thread sets it).
struct OpenRowCursorResult {
  std::unique_ptr<RowCursor> cursor;  // null on failure
  std::int32_t error_number = 0;
  std::string error_description;

  bool failed() const { return cursor == nullptr; }
};
OpenRowCursorResult OpenRowCursor(DataAccessContext& context, const ServerRecord& server,
                                  std::string_view text, std::string_view database,
                                  const std::atomic<bool>* cancel = nullptr);

// Reports a failure a cursor met while reading (its Errors()) in the message RunCommand shows,
// unless SuppressConnectionErrors is on. Nothing when the cursor met none.
void ReportRowCursorFailure(DataAccessContext& context, const RowCursor& cursor,
                            std::string_view text);

// Like RunCommand without rows: for statements that change something.
RunCommandResult SQL_Execute(DataAccessContext& context, const ServerRecord& server,
                             CommandType type, std::string_view text, std::string_view database,
                             const std::vector<Value>& inputs = {},
                             std::span<Value* const> in_out = {});

// An open connection to `database` (empty: the login's default), or null.
std::unique_ptr<DatabaseSession> ADO_Connection_Open(DataAccessContext& context,
                                                     const ServerRecord& server,
                                                     std::string_view database);

// The server's product version text ("9.00.5000.00"), or empty; never shows a failure.
std::string GetServerVersion(DataAccessContext& context, const ServerRecord& server);

// Fills server.Version when empty: from the stored entry, else from the server (and stores it).
void CheckSQLServerVersion(DataAccessContext& context, ServerRecord& server);

// The connection test of a new server-list entry, with failure messages suppressed.
bool TestNewServerConnection(DataAccessContext& context, const ServerRecord& record);

}  // namespace korvane

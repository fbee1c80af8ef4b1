// Attach Database: the validation of the dialog's fields and the attach itself, which runs the
// server's system procedure on master as a stored-procedure call with typed parameters (the
// paths never become part of an SQL text).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/user_interface.h"
#include "db/server_record.h"

namespace korvane {

struct ApplicationContext;

inline constexpr std::string_view kConnectFirstMessage = "Please connect to the server first.";
inline constexpr std::string_view kSpecifyDatabaseNameMessage = "Please specify database name.";
inline constexpr std::string_view kSpecifyDatabaseFileMessage = "Please specify database file.";
inline constexpr std::string_view kSpecifyLogFileMessage = "Please specify log file.";
inline constexpr std::string_view kAttachedSuccessfullyMessage = "Attached Successfully";
inline constexpr std::string_view kSelectDatabaseFileTitle = "Select Database File";
inline constexpr std::string_view kSelectLogFileTitle = "Select Log File";
inline constexpr std::string_view kAttachProcedure = "sp_attach_db";
inline constexpr std::string_view kAttachSingleFileProcedure = "sp_attach_single_file_db";
// The browse filters: the file kind of the server, then any file (the embedded server's data
// files end in .db).
inline constexpr std::string_view kDatabaseFileFilter =
    "SQL Server Database files (*.mdf)|*.mdf|All Files (*)|*";
inline constexpr std::string_view kLogFileFilter =
    "SQL Server Log files (*.ldf)|*.ldf|All Files (*)|*";

// What the dialog holds.
struct AttachRequest {
  std::string database_name;
  std::string data_file;
  std::string log_file;  // used only when single_file is off
  bool single_file = false;
};

// The field a failed validation puts the focus into.
enum class AttachField { kDatabaseName, kDataFile, kLogFile };

struct AttachValidationFailure {
  std::string message;
  AttachField field = AttachField::kDatabaseName;
};

// "File " + path + " doesn't exist.".
std::string FileMissingMessage(std::string_view path);

// The checks of OK in their order, on the trimmed texts. The existence checks look where the
// program runs.
std::optional<AttachValidationFailure> ValidateAttachRequest(const AttachRequest& request);

// The request as it is sent: every text trimmed, the log file dropped for a single file.
AttachRequest TrimmedAttachRequest(const AttachRequest& request);

enum class AttachOutcome {
  kInvalid,   // a check failed; its message has been shown (exclamation icon)
  kFailed,    // connecting or the procedure failed; the error has been shown (critical icon)
  kAttached,  // "Attached Successfully" has been shown
};

struct AttachResult {
  AttachOutcome outcome = AttachOutcome::kInvalid;
  AttachField focus = AttachField::kDatabaseName;  // for kInvalid
};

// OK of the dialog: validates, then runs sp_attach_db (dbname 256, filename1 520, filename2 520)
// or sp_attach_single_file_db (without filename2) on master of `server` with the "Timeout"
// setting, sending exactly the trimmed texts that were validated.
AttachResult AttachDatabase(ApplicationContext& context, const ServerRecord& server,
                            const AttachRequest& request);

}  // namespace korvane

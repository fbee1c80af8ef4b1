#include "tools/attach_database.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "app/application_context.h"
#include "base/busy_pointer.h"
#include "base/text.h"
#include "db/backend.h"

namespace korvane {
namespace {

inline constexpr int kNameParameterSize = 256;
inline constexpr int kFileParameterSize = 520;

bool FileExists(std::string_view path) {
  std::error_code error;
  const std::filesystem::file_status status =
      std::filesystem::status(std::filesystem::path(std::string(path)), error);
  return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

CommandParameter TextParameter(std::string name, int size, std::string_view value) {
  CommandParameter parameter;
  parameter.name = std::move(name);
  parameter.type = ParameterType::kWideText;
  parameter.direction = ParameterDirection::kInput;
  parameter.size = size;
  parameter.value = Value::Text(std::string(value));
  return parameter;
}

std::string FirstDescription(const std::vector<ServerMessage>& errors) {
  return errors.empty() || errors.front().text.empty() ? std::string("Unspecified error")
                                                       : errors.front().text;
}

}  // namespace

std::string FileMissingMessage(std::string_view path) {
  return "File " + std::string(path) + " doesn't exist.";
}

AttachRequest TrimmedAttachRequest(const AttachRequest& request) {
  AttachRequest trimmed;
  trimmed.database_name = Trim(request.database_name);
  trimmed.data_file = Trim(request.data_file);
  trimmed.single_file = request.single_file;
  if (!request.single_file)
    trimmed.log_file = Trim(request.log_file);
  return trimmed;
}

std::optional<AttachValidationFailure> ValidateAttachRequest(const AttachRequest& request) {
  const AttachRequest trimmed = TrimmedAttachRequest(request);
  if (trimmed.database_name.empty())
    return AttachValidationFailure{std::string(kSpecifyDatabaseNameMessage),
                                   AttachField::kDatabaseName};
  if (trimmed.data_file.empty())
    return AttachValidationFailure{std::string(kSpecifyDatabaseFileMessage),
                                   AttachField::kDataFile};
  if (!trimmed.single_file && trimmed.log_file.empty())
    return AttachValidationFailure{std::string(kSpecifyLogFileMessage), AttachField::kLogFile};
  if (!FileExists(trimmed.data_file))
    return AttachValidationFailure{FileMissingMessage(trimmed.data_file), AttachField::kDataFile};
  if (!trimmed.single_file && !FileExists(trimmed.log_file))
    return AttachValidationFailure{FileMissingMessage(trimmed.log_file), AttachField::kLogFile};
  return std::nullopt;
}

AttachResult AttachDatabase(ApplicationContext& context, const ServerRecord& server,
                            const AttachRequest& request) {
  AttachResult result;
  if (const auto failure = ValidateAttachRequest(request)) {
    context.ui.ShowMessage(failure->message, MessageIcon::kExclamation);
    result.focus = failure->field;
    return result;
  }
  const AttachRequest sent = TrimmedAttachRequest(request);
  result.outcome = AttachOutcome::kFailed;
  std::vector<ServerMessage> errors;
  {
    BusyPointer busy(context.ui);
    DatabaseBackend* backend = context.backends.For(server.Name);
    if (backend == nullptr) {
      errors.push_back(ServerMessage{0, 16, 1, "IM002",
                                     "No driver is available for server '" + server.Name + "'."});
    } else {
      ConnectionRequest connection;
      connection.server = server.Name;
      connection.database = "master";
      connection.sql_auth = server.SQLAuth;
      connection.login = server.LoginName;
      connection.password = server.Password;
      OpenOutcome opened = backend->Open(connection);
      if (!opened.session) {
        errors = std::move(opened.errors);
      } else {
        CommandRequest command;
        command.type = CommandType::kStoredProcedure;
        command.text = sent.single_file ? kAttachSingleFileProcedure : kAttachProcedure;
        command.timeout_seconds = static_cast<int>(context.settings.timeout);
        CommandParameter return_value;
        return_value.name = "Return";
        return_value.direction = ParameterDirection::kReturnValue;
        command.parameters.push_back(return_value);
        command.parameters.push_back(
            TextParameter("dbname", kNameParameterSize, sent.database_name));
        command.parameters.push_back(
            TextParameter("filename1", kFileParameterSize, sent.data_file));
        if (!sent.single_file)
          command.parameters.push_back(
              TextParameter("filename2", kFileParameterSize, sent.log_file));
        CommandOutcome executed = opened.session->Execute(command);
        if (!executed.ok)
          errors = std::move(executed.errors);
        else
          result.outcome = AttachOutcome::kAttached;
      }
    }
  }
  if (result.outcome == AttachOutcome::kAttached) {
    context.ui.ShowMessage(kAttachedSuccessfullyMessage, MessageIcon::kNone);
    return result;
  }
  context.ui.ShowMessage(FirstDescription(errors), MessageIcon::kCritical);
  return result;
}

}  // namespace korvane

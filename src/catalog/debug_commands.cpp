#include "catalog/debug_commands.h"

#include "app/application_context.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "catalog/schema_names.h"
#include "db/data_access.h"

namespace korvane {
namespace {

std::string_view Flag(bool on) {
  return on ? "True" : "False";
}

std::string RecordText(std::string_view heading, const ServerRecord& record) {
  std::string text(heading);
  const auto line = [&text](std::string_view label, std::string_view value) {
    text.append(kCrLf).append(label).append(value);
  };
  line("AddSchema: ", Flag(record.AddSchema));
  line("SchemaCheckPerformed: ", Flag(record.SchemaCheckPerformed));
  line("SQLAuth: ", Flag(record.SQLAuth));
  line("RegIndex: ", std::to_string(record.RegIndex));
  line("LoginName: ", record.LoginName);
  line("MRUDb: ", record.MRUDb);
  line("Name: ", record.Name);
  line("Password: ", record.Password);
  line("Version: ", record.Version);
  return text;
}

}  // namespace

std::string SideRecordsText(const std::array<ServerRecord, 2>& sides) {
  std::string text = RecordText("Server 1", sides[kSource]);
  text.append(kCrLf).append(kCrLf).append(RecordText("Server 2", sides[kTarget]));
  return text;
}

std::string ServerVersionLine(const ServerRecord& server) {
  return "Server ver: " + server.Version + ", NumVersion = " + std::to_string(server.NumVersion);
}

std::string ObjectSchemaText(std::string_view object_name, std::int32_t object_id,
                             std::string_view schema) {
  std::string text = "Object Name: ";
  text.append(object_name).append(kCrLf).append("Object Id: ").append(std::to_string(object_id));
  text.append(kCrLf).append("lstrSchema: ").append(schema);
  return text;
}

void ShowServerVersionAndSides(ApplicationContext& context) {
  context.ui.ShowMessage(GetServerVersion(context, context.CurrentServers[kSource]));
  context.ui.ShowMessage(SideRecordsText(context.CurrentServers));
}

void ShowObjectSchemaById(ApplicationContext& context, bool source_lists_database,
                          std::string_view database, std::string_view object_name,
                          std::int32_t object_id) {
  if (!source_lists_database) {
    context.ui.ShowMessage(kConnectFirstMessage, MessageIcon::kExclamation);
    return;
  }
  ServerRecord& server = context.CurrentServers[kSource];
  const std::string schema =
      Db_GetObjSchemaById(context, server, database, object_id).value_or(std::string());
  context.ui.ShowMessage(ServerVersionLine(server));
  context.ui.ShowMessage(ObjectSchemaText(object_name, object_id, schema));
}

}  // namespace korvane

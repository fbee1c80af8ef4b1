// The commands of the "&Debug" menu that show what the program holds: the server version and
// the two side records, and the schema of the selected Source object looked up by its id.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "db/server_record.h"

namespace korvane {

struct ApplicationContext;

inline constexpr std::string_view kConnectFirstMessage = "Please connect to the server first.";

// Both side records under the headings "Server 1" and "Server 2", one "Label: value" line per
// field, CR LF line ends, a blank line between the two.
std::string SideRecordsText(const std::array<ServerRecord, 2>& sides);

// "Server ver: " + Version + ", NumVersion = " + NumVersion.
std::string ServerVersionLine(const ServerRecord& server);

// "Object Name: ", "Object Id: " and "lstrSchema: " lines with their values.
std::string ObjectSchemaText(std::string_view object_name, std::int32_t object_id,
                             std::string_view schema);

// "&Get Server Version": the Source server's product version in a message, then the side
// records (SideRecordsText).
void ShowServerVersionAndSides(ApplicationContext& context);

// "Db_GetObjSchemaById" for the selected Source object: "Please connect to the server first."
// (exclamation icon) when the Source side lists no database; otherwise looks the schema up by
// the object's id in `database` and shows ServerVersionLine, then ObjectSchemaText.
void ShowObjectSchemaById(ApplicationContext& context, bool source_lists_database,
                          std::string_view database, std::string_view object_name,
                          std::int32_t object_id);

}  // namespace korvane

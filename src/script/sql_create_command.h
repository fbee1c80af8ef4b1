// The "SQL CREATE Statement" command of a structure view (and of the main menu): the script of
// the object shown on that side, for the report window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "catalog/object_type.h"
#include "db/server_record.h"

namespace korvane {

struct ApplicationContext;

inline constexpr std::string_view kSqlCreateStatementTitle = "SQL CREATE Statement";
inline constexpr std::string_view kNoStructureDisplayedMessage =
    "Cannot continue - there is no structure displayed for selected object.";
inline constexpr std::string_view kCannotContinueTitle = "Cannot Continue";
inline constexpr std::string_view kCreateStatementFailedMessage =
    "Couldn't generate SQL CREATE statement.";

// The script to show in the report window titled kSqlCreateStatementTitle, or nothing after a
// message: the side's view shows no text (blanks aside), or no script could be built. The
// script has the header and every column line ends with ",".
std::optional<std::string> BuildSQLCreateStatement(ApplicationContext& context,
                                                   ServerRecord& server,
                                                   std::string_view shown_text,
                                                   std::string_view database, ObjectType type,
                                                   std::string_view name, std::int32_t id);

}  // namespace korvane

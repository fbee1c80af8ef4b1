#include "db/embedded/sql_error.h"

namespace korvane::embedded {

ServerMessage MakeServerMessage(int number, std::string text) {
  ServerMessage message;
  message.number = number;
  message.text = std::move(text);
  message.state = 1;
  // SQLSTATEs as the Microsoft ODBC drivers derive them from the message number.
  switch (number) {
    case 208:
      message.severity = 16;
      message.sqlstate = "42S02";
      break;
    case 207:
      message.severity = 16;
      message.sqlstate = "42S22";
      break;
    case 2714:
      message.severity = 16;
      message.sqlstate = "42S01";
      break;
    case 102:
    case 156:
    case 105:
    case 113:
    case 111:
    case 137:
    case 170:
    case 195:
      message.severity = 15;
      message.sqlstate = "42000";
      break;
    case 515:
    case 547:
      message.severity = 16;
      message.sqlstate = "23000";
      break;
    case 2627:
    case 2601:
      message.severity = 14;
      message.sqlstate = "23000";
      break;
    case 8152:
      message.severity = 16;
      message.sqlstate = "22001";
      break;
    case 245:
    case 8114:
      message.severity = 16;
      message.sqlstate = "22018";
      break;
    case 4060:
      message.severity = 11;
      message.sqlstate = "42000";
      break;
    case 911:
      message.severity = 16;
      message.sqlstate = "08004";
      break;
    case 0:
    case 17:
      message.severity = 16;
      message.sqlstate = "08001";
      break;
    default:
      message.severity = 16;
      message.sqlstate = "42000";
      break;
  }
  return message;
}

void ThrowInvalidObject(std::string_view name) {
  throw SqlError(208, "Invalid object name '" + std::string(name) + "'.");
}

void ThrowInvalidColumn(std::string_view name) {
  throw SqlError(207, "Invalid column name '" + std::string(name) + "'.");
}

void ThrowSyntaxNear(std::string_view token) {
  throw SqlError(102, "Incorrect syntax near '" + std::string(token) + "'.");
}

void ThrowSyntaxNearKeyword(std::string_view keyword) {
  throw SqlError(156, "Incorrect syntax near the keyword '" + std::string(keyword) + "'.");
}

void ThrowObjectExists(std::string_view name) {
  throw SqlError(2714,
                 "There is already an object named '" + std::string(name) + "' in the database.");
}

void ThrowUnsupported(std::string_view construct) {
  throw SqlError(50000, "The embedded server does not support " + std::string(construct) + ".");
}

}  // namespace korvane::embedded

#include "script/script_header.h"

#include <cstdio>

#include "catalog/sql_names.h"

namespace korvane {

std::string_view ScriptTypeWord(ObjectType type) {
  switch (type) {
    case ObjectType::kProcedures:
      return "Procedure";
    case ObjectType::kFunctions:
      return "Function";
    case ObjectType::kViews:
      return "View";
    case ObjectType::kTriggers:
      return "Trigger";
    case ObjectType::kTables:
      return "Table";
    case ObjectType::kRelationships:
      return "Relationship";
    default:
      return {};
  }
}

std::string_view ScriptExistenceTest(ObjectType type) {
  switch (type) {
    case ObjectType::kProcedures:
      return "OBJECTPROPERTY(id, 'IsProcedure') = 1";
    case ObjectType::kFunctions:
      return "xtype in ('FN', 'IF', 'TF')";
    case ObjectType::kViews:
      return "OBJECTPROPERTY(id, 'IsView') = 1";
    case ObjectType::kTriggers:
      return "OBJECTPROPERTY(id, 'IsTrigger') = 1";
    case ObjectType::kTables:
      return "OBJECTPROPERTY(id, 'IsTable') = 1";
    case ObjectType::kRelationships:
      return "OBJECTPROPERTY(id, 'IsRelationship') = 1";
    default:
      return {};
  }
}

std::string FormatScriptDate(const LocalDateTime& time) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
  return text;
}

namespace {

// The name as the header's block comment shows it. A "*/" in a name would end the comment early,
// so that the rest of the name ran as statements with the script, and "/*" would open a nested
// comment that swallowed the statements after it: a blank is put between the two characters.
std::string CommentSafe(std::string_view text) {
  std::string safe;
  safe.reserve(text.size());
  for (const char c : text) {
    if (!safe.empty() && ((safe.back() == '*' && c == '/') || (safe.back() == '/' && c == '*')))
      safe += ' ';
    safe += c;
  }
  return safe;
}

}  // namespace

std::string BuildDropStatement(ObjectType type, std::string_view qualified_name) {
  const std::string name(qualified_name);
  return "IF EXISTS (SELECT * FROM dbo.sysobjects\r\nWHERE id = object_id('" +
         EscapeSqlLiteral(qualified_name) + "') AND " + std::string(ScriptExistenceTest(type)) +
         ")\r\nDROP " + std::string(ScriptTypeWord(type)) + name;
}

std::string BuildScriptHeader(const Clock& clock, std::string_view database, ObjectType type,
                              std::string_view qualified_name, std::string* drop_statement) {
  const std::string drop = BuildDropStatement(type, qualified_name);
  if (drop_statement != nullptr)
    *drop_statement = drop;
  return "USE " + QuoteName(database) +
         "\r\nGO\r\n/****** Object: " + std::string(ScriptTypeWord(type)) + " " +
         CommentSafe(qualified_name) +
         "      ---- Script Date: " + FormatScriptDate(clock.LocalNow()) +
         " ******/\r\nSET ANSI_NULLS ON\r\nGO\r\nSET QUOTED_IDENTIFIER ON\r\nGO\r\n" + drop +
         "\r\nGO";
}

}  // namespace korvane

#include "catalog/schema_names.h"

#include "app/application_context.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "catalog/catalog_failure.h"
#include "catalog/owners.h"
#include "catalog/sql_names.h"
#include "catalog/suppressed_connection_errors.h"
#include "db/data_access.h"
#include "db/server_list.h"

namespace korvane {
namespace {

// The first field of the first row, or nothing when the query failed.
std::optional<std::string> QueryFirstField(ApplicationContext& context, const ServerRecord& server,
                                           std::string_view database, const std::string& query) {
  RunCommandResult result = RunCommand(context, server, CommandType::kText, query, database);
  if (result.failed())
    return std::nullopt;
  std::string value;
  if (result.recordset) {
    if (!result.recordset->Eof() && !result.recordset->Field(0).is_null())
      value = NullText(result.recordset->Field(0));
    result.recordset->Close();
  }
  return value;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void SkipBlanks(std::string_view text, std::size_t& at) {
  while (at < text.size() && IsBlank(text[at]))
    ++at;
}

// One part of a multi-part name at `at`: [bracketed] (with "]]" as "]"), "quoted" (with """" as
// """), or plain up to a blank, "." or "(". Nothing when no part starts there.
std::optional<std::string> ReadNamePart(std::string_view text, std::size_t& at) {
  if (at >= text.size())
    return std::nullopt;
  const char open = text[at];
  if (open == '[' || open == '"') {
    const char close = open == '[' ? ']' : '"';
    std::string part;
    for (std::size_t i = at + 1; i < text.size(); ++i) {
      if (text[i] != close) {
        part += text[i];
      } else if (i + 1 < text.size() && text[i + 1] == close) {
        part += close;
        ++i;
      } else {
        at = i + 1;
        return part;
      }
    }
    return std::nullopt;  // unterminated
  }
  const std::size_t start = at;
  while (at < text.size() && !IsBlank(text[at]) && text[at] != '.' && text[at] != '(' &&
         text[at] != ';') {
    ++at;
  }
  if (at == start)
    return std::nullopt;
  return std::string(text.substr(start, at - start));
}

}  // namespace

std::optional<std::string> Db_GetObjSchemaById(ApplicationContext& context, ServerRecord& server,
                                               std::string_view database, std::int32_t id) {
  return RunGuarded(
      context.ui, "modSql", "Db_GetObjSchemaById", std::optional<std::string>{},
      [&]() -> std::optional<std::string> {
        if (id < 1)
          return std::string();
        const std::string id_text = std::to_string(id);
        if (server.NumVersion >= 9) {
          std::optional<std::string> schema;
          {
            // The newer catalogue failing is not worth a message: the older one is asked next.
            SuppressedConnectionErrors quiet(context);
            schema = QueryFirstField(context, server, database,
                                     "SELECT OBJECT_SCHEMA_NAME([object_id]) FROM sys.objects "
                                     "WHERE [object_id] = " +
                                         id_text);
          }
          if (schema)
            return schema;
          server.NumVersion = 8;
        }
        return QueryFirstField(context, server, database,
                               "SELECT USER_NAME(uid) FROM sysobjects WHERE [id] = " + id_text);
      });
}

std::string TriggerSchemaFromDefinition(std::string_view definition) {
  constexpr std::string_view kCreateTrigger = "CREATE TRIGGER";
  const std::size_t found = FindIgnoringCase(definition, kCreateTrigger);
  if (found == std::string_view::npos)
    return {};
  std::size_t at = found + kCreateTrigger.size();
  std::vector<std::string> parts;
  for (;;) {
    SkipBlanks(definition, at);
    std::optional<std::string> part = ReadNamePart(definition, at);
    if (!part)
      break;
    parts.push_back(std::move(*part));
    SkipBlanks(definition, at);
    if (at >= definition.size() || definition[at] != '.')
      break;
    ++at;
  }
  return parts.size() >= 2 ? parts[parts.size() - 2] : std::string();
}

std::string GetSchemaForObject(ApplicationContext& context, ServerRecord& server,
                               std::string_view database, std::string_view name, ObjectType type,
                               const ModuleTextReader& read_module_text) {
  return RunGuarded(context.ui, "mdlMisc", "GetSchemaForObject", std::string(), [&] {
    const std::string literal = EscapeSqlLiteral(name);
    std::string query;
    switch (type) {
      case ObjectType::kProcedures:
      case ObjectType::kFunctions:
        query = "SELECT ROUTINE_SCHEMA FROM INFORMATION_SCHEMA.ROUTINES WHERE ROUTINE_NAME = '" +
                literal + "'";
        break;
      case ObjectType::kViews:
        query = "SELECT TABLE_SCHEMA FROM INFORMATION_SCHEMA.VIEWS WHERE TABLE_NAME = '" + literal +
                "'";
        break;
      case ObjectType::kTables:
        query = "SELECT TABLE_SCHEMA FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_NAME = '" +
                literal + "'";
        break;
      case ObjectType::kTriggers:
        if (!read_module_text)
          return std::string();
        return TriggerSchemaFromDefinition(read_module_text(server, database, name, type));
      default:
        return std::string();
    }
    return QueryFirstField(context, server, database, query).value_or(std::string());
  });
}

void QualifyDuplicateNames(ApplicationContext& context, ServerRecord& server,
                           [[maybe_unused]] ObjectType type, std::string_view database,
                           std::vector<ObjectEntry>& entries) {
  std::vector<bool> looked_up(entries.size(), false);
  auto look_up = [&](std::size_t index) {
    if (looked_up[index])
      return;  // a name shared by three or more entries: each is asked once
    looked_up[index] = true;
    const std::string schema =
        Db_GetObjSchemaById(context, server, database, entries[index].Id).value_or(std::string());
    if (!schema.empty())
      entries[index].Schema = schema;
    context.ui.ProcessPendingEvents();
  };
  for (std::size_t i = 1; i < entries.size(); ++i) {
    if (entries[i - 1].Name != entries[i].Name)
      continue;
    look_up(i - 1);
    look_up(i);
  }
  for (ObjectEntry& entry : entries) {
    if (!entry.Schema.empty())
      entry.Name = entry.Schema + "." + entry.Name;
  }
}

std::string GetExtendedObjectName(ApplicationContext& context, ServerRecord& server,
                                  std::string_view database, std::string_view name, ObjectType type,
                                  std::int32_t id, const ModuleTextReader& read_module_text) {
  // An object with an id is a row of an object list: its name (and the schema the list put in
  // front of a duplicate name) is read from the catalogue and quoted whole, even when it starts
  // with "[". A name without an id may have been typed, brackets included.
  const bool from_catalogue = id >= 1;
  QualifiedName parts = SplitQualifiedName(name);
  if (from_catalogue && !parts.qualifier.empty()) {
    // A listed name carries a schema only where a list qualified same-named objects (servers of
    // version 9 and later), and then it is the object's own schema; any other dot is part of
    // the object's name ("x.y").
    bool listed_schema = false;
    if (ComputeNumVersion(server.Version) >= 9) {
      const std::optional<std::string> schema =
          RunGuarded(context.ui, "mdlMisc", "GetExtendedObjectName", std::optional<std::string>{},
                     [&] { return Db_GetObjSchemaById(context, server, database, id); });
      listed_schema = schema && *schema == parts.qualifier;
    }
    if (!listed_schema)
      parts = {std::string(), std::string(name)};
  }
  const auto bracket = [from_catalogue](std::string_view text) {
    return from_catalogue ? QuoteName(text) : BracketName(text);
  };
  const std::string bracketed = bracket(parts.name);
  // what the catalogue stores
  const std::string bare = from_catalogue ? parts.name : UnbracketName(parts.name);
  return RunGuarded(context.ui, "mdlMisc", "GetExtendedObjectName", bracketed, [&] {
    if (!parts.qualifier.empty()) {
      // The list already told the owner apart ("sales.Orders"); asking the server for the owner
      // of the bare name could answer with another schema's object of that name.
      if (parts.qualifier == "dbo" || (!from_catalogue && parts.qualifier == "[dbo]"))
        return bracketed;
      return bracket(parts.qualifier) + "." + bracketed;
    }
    if (ComputeNumVersion(server.Version) >= 9) {
      std::string schema;
      if (id < 1) {
        schema = GetSchemaForObject(context, server, database, bare, type, read_module_text);
      } else {
        std::optional<std::string> by_id = Db_GetObjSchemaById(context, server, database, id);
        if (!by_id)
          return bracketed;
        schema = std::move(*by_id);
      }
      if (!schema.empty() && schema != "dbo")
        return QuoteName(schema) + "." + bracketed;
    }
    const std::string owner = GetOwner(context, server, database, bare, type);
    if (owner.empty() || owner == "dbo")
      return bracketed;
    return QuoteName(owner) + "." + bracketed;
  });
}

MissingTableRetry QualifyTableAfterMissingTableError(ApplicationContext& context,
                                                     ServerRecord& server,
                                                     std::string_view table_name,
                                                     std::string_view database,
                                                     std::int32_t error_number) {
  MissingTableRetry outcome{false, std::string(table_name)};
  if (error_number != kMissingTableError)
    return outcome;
  if (server.SchemaCheckPerformed && !server.AddSchema)
    return outcome;
  if (ComputeNumVersion(server.Version) < 9)
    return outcome;
  server.SchemaCheckPerformed = true;
  const std::string schema =
      GetSchemaForObject(context, server, database, table_name, ObjectType::kTables);
  if (schema.empty())
    return outcome;
  // The table name was read from the catalogue: it is quoted whole, even when it starts with "[".
  outcome.name = QuoteName(schema) + "." + QuoteName(table_name);
  server.AddSchema = true;
  outcome.retry = true;
  return outcome;
}

}  // namespace korvane

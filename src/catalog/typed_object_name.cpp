#include "catalog/typed_object_name.h"

#include <string>

#include "base/text.h"
#include "catalog/schema_names.h"
#include "catalog/sql_names.h"

namespace korvane {
namespace {

// The one entry `matches` accepts; nothing when none or several do.
template <typename Predicate>
std::optional<ObjectEntry> OnlyMatch(const std::vector<ObjectEntry>& entries, Predicate&& matches) {
  std::optional<ObjectEntry> found;
  for (const ObjectEntry& entry : entries) {
    if (!matches(entry))
      continue;
    if (found)
      return std::nullopt;
    found = entry;
  }
  return found;
}

// The name of an entry without the schema the list put in front of a duplicate.
std::string_view BareListedName(const ObjectEntry& entry) {
  std::string_view name = entry.Name;
  if (!entry.Schema.empty() && name.size() > entry.Schema.size() &&
      name.starts_with(entry.Schema) && name[entry.Schema.size()] == '.') {
    name.remove_prefix(entry.Schema.size() + 1);
  }
  return name;
}

}  // namespace

std::optional<ObjectEntry> ResolveTypedObjectName(ApplicationContext& context, ServerRecord& server,
                                                  std::string_view database,
                                                  const std::vector<ObjectEntry>& entries,
                                                  std::string_view typed) {
  if (typed.empty())
    return std::nullopt;
  for (const ObjectEntry& entry : entries) {
    if (entry.Name == typed)
      return entry;
  }

  // What the text stands for: inside well-formed brackets the name is what the brackets hold.
  const std::string unbracketed = UnbracketName(typed);
  if (auto found = OnlyMatch(entries, [&](const ObjectEntry& entry) {
        return EqualsIgnoringCase(entry.Name, unbracketed);
      })) {
    return found;
  }

  const QualifiedName parts = SplitQualifiedName(typed);
  if (parts.qualifier.empty() || parts.name.empty())
    return std::nullopt;
  // Each part is either one well-formed bracketed identifier or plain text.
  const std::string qualifier = UnbracketName(parts.qualifier);
  const std::string name = UnbracketName(parts.name);
  if (auto found = OnlyMatch(entries, [&](const ObjectEntry& entry) {
        return !entry.Schema.empty() && EqualsIgnoringCase(entry.Schema, qualifier) &&
               EqualsIgnoringCase(BareListedName(entry), name);
      })) {
    return found;
  }
  return OnlyMatch(entries, [&](const ObjectEntry& entry) {
    if (!entry.Schema.empty() || !EqualsIgnoringCase(entry.Name, name))
      return false;
    const std::optional<std::string> schema =
        Db_GetObjSchemaById(context, server, database, entry.Id);
    return schema && EqualsIgnoringCase(*schema, qualifier);
  });
}

}  // namespace korvane

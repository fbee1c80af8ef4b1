#include "compare/script_text_source.h"

#include "app/application_context.h"
#include "base/memory_list_control.h"
#include "script/key_text.h"
#include "script/module_text.h"
#include "script/structure_text.h"
#include "script/table_structure.h"

namespace korvane {

StructureText ScriptTextSource::ModuleText(const ComparisonSide& side, ObjectType type,
                                           std::string_view bare_name, std::int32_t id) {
  StructureText result;
  result.text = GetProcedureText(context_, side.session, bare_name, type, id);
  return result;
}

StructureText ScriptTextSource::TableText(const ComparisonSide& side, std::string_view bare_name,
                                          std::int32_t id, bool with_indexes) {
  StructureText result;
  // The table text leaves the indexes out while "IgnoreIndexes" is on; a run that asks for a
  // table without them sets it for this one call.
  const bool ignore_indexes = context_.settings.ignore_indexes;
  if (!with_indexes)
    context_.settings.ignore_indexes = true;
  result.text = GetTableText(context_, side.server, side.database, bare_name,
                             /*ignore_columns=*/true, id, "", /*clustered_only=*/false, "",
                             &result.ignored_columns);
  context_.settings.ignore_indexes = ignore_indexes;
  return result;
}

StructureText ScriptTextSource::KeyText(const ComparisonSide& side, ObjectType type,
                                        std::string_view name, std::int32_t id) {
  StructureText result;
  result.text = type == ObjectType::kRelationships
                    ? GetRelationshipText(context_, side.server, side.database, name,
                                          NameQuoting::kAsStored, id)
                    : GetConstraintText(context_, side.server, side.database, name, id);
  return result;
}

void ScriptTextSource::ShowInView(const ComparisonSide& side, ObjectType type,
                                  std::string_view name, std::int32_t id, TextView& view) {
  MemoryListControl no_list;
  UpdateProcedureTextBox(context_, side.server, view, no_list, type, side.database, name, id);
}

}  // namespace korvane

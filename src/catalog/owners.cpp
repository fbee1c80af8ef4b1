#include "catalog/owners.h"

#include "app/application_context.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "catalog/catalog_failure.h"
#include "catalog/sql_names.h"
#include "db/data_access.h"

namespace korvane {

std::string_view ObjectTypeLetter(ObjectType type) {
  switch (type) {
    case ObjectType::kProcedures:
      return "P";
    case ObjectType::kFunctions:
      return "FN";
    case ObjectType::kViews:
      return "V";
    case ObjectType::kTriggers:
      return "TR";
    case ObjectType::kTables:
      return "U";
    case ObjectType::kRelationships:
      return "F";
    default:
      return {};
  }
}

std::string GetOwner(ApplicationContext& context, const ServerRecord& server,
                     std::string_view database, std::string_view name, ObjectType type) {
  return RunGuarded(context.ui, "modOwner", "GetOwner", std::string(), [&] {
    const std::string_view letter = ObjectTypeLetter(type);
    if (letter.empty())
      return std::string();
    const std::string query =
        "SELECT so.name AS ObjectName, su.name AS Owner "
        "FROM sysobjects so INNER JOIN sysusers su ON so.uid = su.uid "
        "WHERE so.name = '" +
        EscapeSqlLiteral(name) + "' AND so.xtype = '" + std::string(letter) + "'";
    RunCommandResult result = RunCommand(context, server, CommandType::kText, query, database);
    std::string owner;
    if (!result.failed() && result.recordset) {
      if (!result.recordset->Eof() && !result.recordset->Field("Owner").is_null())
        owner = NullText(result.recordset->Field("Owner"));
      result.recordset->Close();
    }
    return owner;
  });
}

std::vector<std::string> GetAllOwnerNames(ApplicationContext& context, const ServerRecord& server,
                                          std::string_view database) {
  return RunGuarded(context.ui, "modOwner", "GetAllOwners", std::vector<std::string>{}, [&] {
    std::vector<std::string> owners;
    RunCommandResult result = RunCommand(context, server, CommandType::kText,
                                         "SELECT DISTINCT su.name AS Owner "
                                         "FROM sysobjects so INNER JOIN sysusers su ON so.uid = "
                                         "su.uid ",
                                         database);
    if (result.failed() || !result.recordset)
      return owners;
    for (Recordset& rows = *result.recordset; !rows.Eof(); rows.MoveNext()) {
      const Value& owner = rows.Field("Owner");
      if (!owner.is_null() && !NullText(owner).empty())
        owners.push_back(NullText(owner));
    }
    result.recordset->Close();
    return owners;
  });
}

std::string GetAllOwners(ApplicationContext& context, const ServerRecord& server,
                         std::string_view database, [[maybe_unused]] ObjectType type) {
  std::string text;
  for (const std::string& owner : GetAllOwnerNames(context, server, database))
    text += owner + ",";
  return text;
}

void FillOwnerSelector(Selector& selector, const std::vector<std::string>& owners) {
  selector.SetTag(kBusyTag);
  selector.Clear();
  selector.AddItem(kAllOwners);
  for (const std::string& owner : owners) {
    if (!owner.empty())
      selector.AddItem(owner);
  }
  selector.SetCurrentIndex(0);
  selector.SetTag("");
}

void FillOwnerSelector(Selector& selector, std::string_view owner_list_text) {
  FillOwnerSelector(selector, Split(owner_list_text, ","));
}

void LoadOwners(ApplicationContext& context, const ServerRecord& server, std::string_view database,
                [[maybe_unused]] const Selector& type_selector, Selector& owner_selector) {
  // The owner list does not depend on the selected type.
  if (!context.settings.show_owners)
    return;
  // A name list rather than the "a,b," text: an owner whose name holds a comma stays one entry.
  FillOwnerSelector(owner_selector, GetAllOwnerNames(context, server, database));
}

void FilterObjectsByOwner(ApplicationContext& context, ServerRecord& server, SideControls& side,
                          ObjectType type, const StructureTextRenderer& render) {
  const std::string owner = side.owners.CurrentText();
  side.objects.Clear(false);
  side.structure.SetText("");
  const std::string database(Trim(side.databases.CurrentText()));
  // The structure text is shown once, below, for the narrowed list.
  const std::vector<ObjectEntry> entries =
      LoadObjects(context, server, side.objects, nullptr, type, database);
  side.objects.SetTag(kBusyTag);
  side.objects.SetRedraw(false);
  if (!owner.empty() && owner != kAllOwners) {
    for (int row = side.objects.RowCount() - 1; row >= 0; --row) {
      // Rows qualified as "schema.name" carry their owner; the others are asked by name.
      const std::size_t index = static_cast<std::size_t>(row);
      const bool known = index < entries.size() && !entries[index].Schema.empty();
      const std::string row_owner =
          known ? entries[index].Schema
                : GetOwner(context, server, database, side.objects.Cell(row, 0), type);
      if (row_owner != owner)
        side.objects.RemoveRow(row);
    }
    if (side.objects.RowCount() > 0)
      side.objects.SetCurrentRow(0);
  }
  if (render)
    render(server, side.objects, side.structure, type, database);
  side.objects.SetTag("");
  side.objects.SetRedraw(true);
  context.ui.ProcessPendingEvents();
}

}  // namespace korvane

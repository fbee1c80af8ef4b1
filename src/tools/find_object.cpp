#include "tools/find_object.h"

#include "app/application_context.h"
#include "base/list_control.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "catalog/catalog_failure.h"
#include "catalog/sql_names.h"

namespace korvane {
namespace {

std::string LowerSingular(ObjectType type) {
  return ToLowerAscii(ObjectTypeName(type, true));
}

// The name an entry stands for without the schema the list may have put before it.
std::string_view BareName(const ObjectEntry& entry) {
  std::string_view name = entry.Name;
  if (!entry.Schema.empty() && name.size() > entry.Schema.size() &&
      name.substr(0, entry.Schema.size()) == entry.Schema && name[entry.Schema.size()] == '.')
    name.remove_prefix(entry.Schema.size() + 1);
  return name;
}

// Types whose list query does not hold every row to the name filter: relationships and
// constraints have fixed queries without one, and the function query joins its three kinds with
// "or", so the filter binds to table functions alone.
bool ListedPastTheNameFilter(ObjectType type) {
  return type == ObjectType::kFunctions || type == ObjectType::kRelationships ||
         type == ObjectType::kConstraints;
}

}  // namespace

std::string FindObjectCaption(ObjectType type) {
  return "Find " + ObjectTypeName(type, true);
}

std::string FindObjectPrompt(ObjectType type) {
  return "Type the first letters of the name of the " + LowerSingular(type) +
         " you want to search for";
}

std::string FindObjectLabel(ObjectType type) {
  return FindObjectPrompt(type) + " and click button 'Search'.";
}

std::string SearchNoObjectsMessage(ObjectType type) {
  return "Cannot search for object - the list of " + ObjectTypeName(type, false) + " is empty.";
}

std::string SelectObjectToViewMessage(ObjectType type) {
  return "Please select the " + LowerSingular(type) + " you want to view.";
}

std::optional<std::string> FindObjectPreCheck(bool database_chosen, bool object_chosen,
                                              ObjectType type) {
  if (!database_chosen)
    return std::string(kSearchNoDatabaseMessage);
  if (!object_chosen)
    return SearchNoObjectsMessage(type);
  return std::nullopt;
}

std::string SearchNameFilter(std::string_view text) {
  return "LIKE '" + EscapeSqlLiteral(EscapeLikeWildcards(text)) + "%'";
}

bool StartsWithIgnoringCase(std::string_view name, std::string_view prefix) {
  return name.size() >= prefix.size() && EqualsIgnoringCase(name.substr(0, prefix.size()), prefix);
}

std::optional<std::vector<ObjectEntry>> SearchObjects(ApplicationContext& context,
                                                      ServerRecord& server, ListControl& list,
                                                      TextView* view, ObjectType type,
                                                      std::string_view database,
                                                      std::string_view typed_text,
                                                      const StructureTextRenderer& render) {
  const std::string_view text = Trim(typed_text);
  if (text.empty()) {
    context.ui.ShowMessage(FindObjectPrompt(type) + ".", MessageIcon::kExclamation);
    return std::nullopt;
  }
  if (!ListedPastTheNameFilter(type))
    return LoadObjects(context, server, list, view, type, database, render, SearchNameFilter(text));

  // Keep only the rows that match: the list query let others through.
  const std::string filter =
      type == ObjectType::kFunctions ? SearchNameFilter(text) : std::string();
  std::vector<ObjectEntry> entries =
      LoadObjects(context, server, list, nullptr, type, database, {}, filter);
  std::erase_if(entries, [text](const ObjectEntry& entry) {
    return !StartsWithIgnoringCase(BareName(entry), text);
  });
  LoadListView(context.ui, list, entries);
  if (render && view != nullptr && !entries.empty())
    render(server, list, *view, type, database);
  return entries;
}

FindObjectChoice ChooseFoundObject(UserInterface& ui, const ListControl& list, ObjectType type) {
  FindObjectChoice choice;
  choice.type = type;
  if (list.RowCount() == 0)
    return choice;
  const std::string shown(Trim(list.CurrentText()));
  const std::size_t dot = shown.rfind('.');
  choice.name = dot == std::string::npos ? shown : shown.substr(dot + 1);
  if (choice.name.empty()) {
    ui.ShowMessage(SelectObjectToViewMessage(type), MessageIcon::kInformation, kCannotViewTitle);
    choice.kind = FindObjectChoice::Kind::kStayOpen;
    return choice;
  }
  const double id = LeadingNumber(list.Cell(list.CurrentRow(), 2));
  choice.id = id >= -2147483648.0 && id <= 2147483647.0 ? static_cast<std::int32_t>(id) : -1;
  choice.kind = FindObjectChoice::Kind::kFound;
  return choice;
}

int SelectObjectById(ListControl& objects, std::int32_t id) {
  const std::string key = std::to_string(id);
  for (int row = 0; row < objects.RowCount(); ++row) {
    if (objects.Cell(row, 2) == key) {
      objects.SetCurrentRow(row);
      return row;
    }
  }
  return -1;
}

}  // namespace korvane

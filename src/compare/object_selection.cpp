#include "compare/object_selection.h"

#include "app/application_context.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "compare/database_comparison_result.h"
#include "compare/database_comparison_run.h"

namespace korvane {
namespace {

std::vector<std::string> NamesOf(const std::optional<std::vector<ObjectEntry>>& entries) {
  std::vector<std::string> names;
  if (entries) {
    for (const ObjectEntry& entry : *entries)
      names.push_back(entry.Name);
  }
  return names;
}

std::vector<std::string> TickedNames(const std::vector<ObjectSelectionLists::Row>& rows) {
  std::vector<std::string> names;
  for (const ObjectSelectionLists::Row& row : rows) {
    if (row.ticked)
      names.push_back(row.name);
  }
  return names;
}

}  // namespace

ObjectSelectionLists::ObjectSelectionLists(const std::vector<std::string>& source_names,
                                           const std::vector<std::string>& target_names) {
  for (const std::string& name : source_names)
    rows_[kSourceSide].push_back({name, false});
  for (const std::string& name : target_names)
    rows_[kTargetSide].push_back({name, false});
}

ObjectSelectionLists ObjectSelectionLists::Load(ApplicationContext& context,
                                                std::string_view source_database,
                                                std::string_view target_database, ObjectType type) {
  return ObjectSelectionLists(
      NamesOf(LoadComparisonObjects(context, context.CurrentServers[kSourceSide], source_database,
                                    type)),
      NamesOf(LoadComparisonObjects(context, context.CurrentServers[kTargetSide], target_database,
                                    type)));
}

void ObjectSelectionLists::SetTicked(int side, int row, bool ticked) {
  if (side < 0 || side > 1)
    return;
  std::vector<Row>& own = rows_[side];
  if (row < 0 || row >= static_cast<int>(own.size()))
    return;
  own[row].ticked = ticked;
  for (Row& other : rows_[1 - side]) {
    if (other.name == own[row].name) {
      other.ticked = ticked;
      break;
    }
  }
}

void ObjectSelectionLists::SetAllTicked(bool ticked) {
  for (std::vector<Row>& side : rows_) {
    for (Row& row : side)
      row.ticked = ticked;
  }
}

std::optional<ObjectSelection> ObjectSelectionLists::Accept(UserInterface& ui) const {
  ObjectSelection selection;
  selection.source = TickedNames(rows_[kSourceSide]);
  selection.target = TickedNames(rows_[kTargetSide]);
  if (selection.source.empty() && selection.target.empty()) {
    ui.ShowMessage(kSelectAtLeastOneObjectMessage, MessageIcon::kInformation);
    return std::nullopt;
  }
  if (selection.source.empty()) {
    ui.ShowMessage(kSelectSourceObjectMessage, MessageIcon::kInformation);
    return std::nullopt;
  }
  if (selection.target.empty()) {
    ui.ShowMessage(kSelectTargetObjectMessage, MessageIcon::kInformation);
    return std::nullopt;
  }
  selection.source_count = static_cast<int>(selection.source.size());
  selection.target_count = static_cast<int>(selection.target.size());
  selection.all_selected = selection.source.size() == rows_[kSourceSide].size() &&
                           selection.target.size() == rows_[kTargetSide].size();
  return selection;
}

std::string ObjectSelectionTypeWord(ObjectType type) {
  return ToUpperAscii(ObjectTypeName(type, false));
}

}  // namespace korvane

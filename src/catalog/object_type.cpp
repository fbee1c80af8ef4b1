#include "catalog/object_type.h"

#include "base/text.h"

namespace korvane {
namespace {

struct TypeInfo {
  ObjectType type;
  std::string_view label;
  std::string_view plural;
  std::string_view singular;
  std::string_view predicate;
};

constexpr std::array<TypeInfo, 7> kTypes = {{
    {ObjectType::kTables, "Tables", "tables", "Table", "OBJECTPROPERTY(id, N'IsUserTable') = 1"},
    {ObjectType::kProcedures, "Procedures", "procedures", "Procedure",
     "OBJECTPROPERTY(id, N'IsProcedure') = 1"},
    // Two blanks before the second "or": the text the program has always sent.
    {ObjectType::kFunctions, "Functions", "functions", "Function",
     "OBJECTPROPERTY(id, N'IsInlineFunction') = 1 or OBJECTPROPERTY(id, N'IsScalarFunction') = 1 "
     " or OBJECTPROPERTY(id, N'IsTableFunction') = 1"},
    {ObjectType::kViews, "Views", "views", "View", "OBJECTPROPERTY(id, N'IsView') = 1"},
    {ObjectType::kTriggers, "Triggers", "triggers", "Trigger",
     "OBJECTPROPERTY(id, N'IsTrigger') = 1"},
    {ObjectType::kRelationships, "Relationships", "relationships", "Relationship", ""},
    {ObjectType::kConstraints, "Constraints", "constraints", "Constraint", ""},
}};

const TypeInfo* Find(ObjectType type) {
  for (const TypeInfo& info : kTypes) {
    if (info.type == type)
      return &info;
  }
  return nullptr;
}

}  // namespace

std::string ObjectTypeName(ObjectType type, bool singular) {
  const TypeInfo* info = Find(type);
  if (info == nullptr)
    return singular ? "Object" : "objects";
  return std::string(singular ? info->singular : info->plural);
}

std::string ObjectTypeLabel(ObjectType type) {
  const TypeInfo* info = Find(type);
  return info == nullptr ? std::string() : std::string(info->label);
}

std::string_view ObjectTypePredicate(ObjectType type) {
  const TypeInfo* info = Find(type);
  return info == nullptr ? std::string_view() : info->predicate;
}

std::optional<ObjectType> ObjectTypeFromIndex(int index) {
  if (index < 0 || index >= static_cast<int>(kObjectTypeOrder.size()))
    return std::nullopt;
  return kObjectTypeOrder[static_cast<std::size_t>(index)];
}

int ObjectTypeIndex(ObjectType type) {
  for (std::size_t i = 0; i < kObjectTypeOrder.size(); ++i) {
    if (kObjectTypeOrder[i] == type)
      return static_cast<int>(i);
  }
  return -1;
}

std::optional<ObjectType> ObjectTypeFromName(std::string_view name) {
  const std::string_view trimmed = Trim(name);
  for (const TypeInfo& info : kTypes) {
    if (EqualsIgnoringCase(trimmed, info.plural) || EqualsIgnoringCase(trimmed, info.singular))
      return info.type;
  }
  return std::nullopt;
}

}  // namespace korvane

// The seven kinds of database object the program works on, their codes, names and catalogue
// predicates. A code is a 32-bit number; codes other than the seven are carried through and
// named "objects" / "Object".
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

enum class ObjectType : std::int32_t {
  kProcedures = 10,
  kFunctions = 20,
  kViews = 30,
  kTriggers = 40,
  kTables = 50,
  kRelationships = 60,
  kConstraints = 80,
};

inline constexpr std::int32_t ObjectTypeCode(ObjectType type) {
  return static_cast<std::int32_t>(type);
}
inline constexpr ObjectType ObjectTypeFromCode(std::int32_t code) {
  return static_cast<ObjectType>(code);
}

// The types in the order of the type selector and of the comparison menus and saved processes
// (type index 0 to 6).
inline constexpr std::array<ObjectType, 7> kObjectTypeOrder = {
    ObjectType::kTables,   ObjectType::kProcedures,    ObjectType::kFunctions,  ObjectType::kViews,
    ObjectType::kTriggers, ObjectType::kRelationships, ObjectType::kConstraints};

// The singular name ("Table") when `singular`, else the lower-case plural ("tables");
// "Object" / "objects" for any other code.
std::string ObjectTypeName(ObjectType type, bool singular);

// The type selector's label ("Tables"); empty for any other code.
std::string ObjectTypeLabel(ObjectType type);

// The sysobjects condition that lists the objects of a type (procedures to tables); empty for
// relationships, constraints and any other code, which have queries of their own.
std::string_view ObjectTypePredicate(ObjectType type);

// Type index 0 to 6 (tables, procedures, functions, views, triggers, relationships,
// constraints) and back; nothing for anything else.
std::optional<ObjectType> ObjectTypeFromIndex(int index);
int ObjectTypeIndex(ObjectType type);  // -1 for any other code

// The type named by its plural or singular name, ignoring case ("tables", "Table"); nothing
// when the text names no type.
std::optional<ObjectType> ObjectTypeFromName(std::string_view name);

}  // namespace korvane

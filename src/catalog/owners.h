// Owners of database objects: the owner of one object, the owners of a database, the owner
// selector of a side ("All Owners" first) and the narrowing of a side's object list to the
// objects of the chosen owner. Used only while "ShowOwners" is on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalog/object_list.h"
#include "catalog/object_type.h"
#include "catalog/selector.h"
#include "catalog/side_controls.h"
#include "db/server_record.h"

namespace korvane {

struct ApplicationContext;

inline constexpr std::string_view kAllOwners = "All Owners";

// The sysobjects xtype letter owner look-ups use: "P", "FN", "V", "TR", "U", "F"; empty for any
// other type. Functions are looked up as scalar functions ("FN") only.
std::string_view ObjectTypeLetter(ObjectType type);

// The owner of the named object of this type; empty when the type has no letter, the query
// failed or found nothing.
std::string GetOwner(ApplicationContext& context, const ServerRecord& server,
                     std::string_view database, std::string_view name, ObjectType type);

// The owners of the database's objects, in the order the server returns them, empty names left
// out; empty when the query failed.
std::vector<std::string> GetAllOwnerNames(ApplicationContext& context, const ServerRecord& server,
                                          std::string_view database);

// The owner list text: each owner followed by ",". The type does not narrow the list.
std::string GetAllOwners(ApplicationContext& context, const ServerRecord& server,
                         std::string_view database, ObjectType type);

// Fills the selector with "All Owners" and then the owners, selecting "All Owners"; its
// selection events are suppressed meanwhile.
void FillOwnerSelector(Selector& selector, const std::vector<std::string>& owners);
// The same from an owner list text (split at ",", empty parts left out).
void FillOwnerSelector(Selector& selector, std::string_view owner_list_text);

// Refills a side's owner selector for the database while "ShowOwners" is on; does nothing (and
// asks nothing) while it is off.
void LoadOwners(ApplicationContext& context, const ServerRecord& server, std::string_view database,
                const Selector& type_selector, Selector& owner_selector);

// Reloads the side's object list for the selected database and type and, unless the owner
// selector shows "All Owners", keeps only the objects of the chosen owner; then shows the
// selected object's structure text. Rows whose owner cannot be read are removed.
void FilterObjectsByOwner(ApplicationContext& context, ServerRecord& server, SideControls& side,
                          ObjectType type, const StructureTextRenderer& render);

}  // namespace korvane

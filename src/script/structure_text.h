// The structure text of any object (by type code), and its display in a side's structure view
// for the object selected in the side's object list (columns: 0 name, 2 id).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/list_control.h"
#include "base/text_view.h"
#include "catalog/object_list.h"
#include "catalog/object_type.h"
#include "db/server_record.h"

namespace korvane {

struct ApplicationContext;

inline constexpr std::string_view kNothingToShow = "<<Nothing to show>>";
inline constexpr std::string_view kShouldNotHappenMessage = "SHOULDN't HAPPEN";

// The text a structure view shows for the object: module text for procedures, functions, views
// and triggers; for tables the column lines and (unless "IgnoreIndexes" is on) the index lines;
// the relationship or constraint text. Modules and tables are read by id when `id` is 1 or
// more. Nothing for any other type code. Empty when the object cannot be read.
std::optional<std::string> GetStructureText(ApplicationContext& context, ServerRecord& server,
                                            std::string_view database, ObjectType type,
                                            std::string_view name, std::int32_t id);

// Shows the structure text of one object in `view`: the object with the given id (when 1 or
// more) or the list's selected object, selecting the list's first row when nothing is selected.
// With nothing to show the view shows "<<Nothing to show>>"; an empty text clears the view; an
// unknown type code shows "SHOULDN't HAPPEN". Module texts are read by id when it is known. The
// list's tag is cleared at the end.
void UpdateProcedureTextBox(ApplicationContext& context, ServerRecord& server, TextView& view,
                            ListControl& objects, ObjectType type, std::string_view database,
                            std::string_view name, std::int32_t id);

// The catalogue's renderer: UpdateProcedureTextBox for the list's selected object.
StructureTextRenderer MakeStructureTextRenderer(ApplicationContext& context);

}  // namespace korvane

// Find Object: the texts of the search dialog, its search and OK commands, and the selection of
// the found object in a side's object list. The plain dialog is bound to one object type; the
// general one lets the person choose the type inside the dialog.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/object_entry.h"
#include "catalog/object_list.h"
#include "catalog/object_type.h"

namespace korvane {

struct ApplicationContext;
class ListControl;
class TextView;

inline constexpr std::string_view kCannotSearchTitle = "Cannot Search";
inline constexpr std::string_view kSearchNoDatabaseMessage =
    "Cannot search for object - the list of databases is empty.";
inline constexpr std::string_view kCannotViewTitle = "Cannot View";

// "Find " + the singular type name ("Find Procedure").
std::string FindObjectCaption(ObjectType type);

// "Type the first letters of the name of the " + lower-case singular + " you want to search for".
std::string FindObjectPrompt(ObjectType type);

// The dialog's label: the prompt + " and click button 'Search'.".
std::string FindObjectLabel(ObjectType type);

// "Cannot search for object - the list of " + plural + " is empty.".
std::string SearchNoObjectsMessage(ObjectType type);

// "Please select the " + lower-case singular + " you want to view.".
std::string SelectObjectToViewMessage(ObjectType type);

// The checks of the main window's find command before the dialog opens: the message to show
// (title kCannotSearchTitle, exclamation icon), or nothing when the dialog may open.
std::optional<std::string> FindObjectPreCheck(bool database_chosen, bool object_chosen,
                                              ObjectType type);

// The name filter of a search for names starting with `text`: "LIKE '" + text + "%'" with the
// quotes of the text doubled and its wildcard letters escaped, so the letters match as typed.
std::string SearchNameFilter(std::string_view text);

// True when `name` starts with `prefix`, ASCII letters compared without regard to case.
bool StartsWithIgnoringCase(std::string_view name, std::string_view prefix);

// Search: trims the typed text; an empty text shows the prompt + "." (exclamation icon) and
// queries nothing (returns nothing). Otherwise fills `list` (and shows the selected object's
// structure in `view` when `render` is given) with the objects of `type` in `database` whose
// names start with the text, and returns them. Relationships, constraints and functions, whose
// list queries do not apply the name filter to every row, are filtered here by the typed prefix,
// ignoring letter case.
std::optional<std::vector<ObjectEntry>> SearchObjects(ApplicationContext& context,
                                                      ServerRecord& server, ListControl& list,
                                                      TextView* view, ObjectType type,
                                                      std::string_view database,
                                                      std::string_view typed_text,
                                                      const StructureTextRenderer& render = {});

// What OK does with the dialog's list.
struct FindObjectChoice {
  enum class Kind {
    kCloseWithoutResult,  // the list is empty
    kStayOpen,            // no row chosen; the message has been shown
    kFound,
  };
  Kind kind = Kind::kCloseWithoutResult;
  std::string name;  // the part after the last "."
  std::int32_t id = -1;
  ObjectType type = ObjectType::kTables;
};

// OK: the current row's name (after its last ".") and id. Shows
// SelectObjectToViewMessage (title kCannotViewTitle, information icon) when no row is chosen.
FindObjectChoice ChooseFoundObject(UserInterface& ui, const ListControl& list, ObjectType type);

// Makes the row whose id column (column 2) reads `id` the current row of `objects`; returns its
// index, or -1 (selection unchanged) when no row has that id.
int SelectObjectById(ListControl& objects, std::int32_t id);

}  // namespace korvane

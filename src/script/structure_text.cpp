#include "script/structure_text.h"

#include <exception>

#include "app/application_context.h"
#include "base/error_report.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "script/key_text.h"
#include "script/module_text.h"
#include "script/table_structure.h"

namespace korvane {

std::optional<std::string> GetStructureText(ApplicationContext& context, ServerRecord& server,
                                            std::string_view database, ObjectType type,
                                            std::string_view name, std::int32_t id) {
  switch (type) {
    case ObjectType::kProcedures:
    case ObjectType::kFunctions:
    case ObjectType::kViews:
    case ObjectType::kTriggers:
      return GetProcedureText(context, server, database, name, type, id);
    case ObjectType::kTables:
      return GetTableText(context, server, database, name, false, id, "", false, "");
    case ObjectType::kRelationships:
      return GetRelationshipText(context, server, database, name, NameQuoting::kAsStored, id);
    case ObjectType::kConstraints:
      return GetConstraintText(context, server, database, name, id);
  }
  return std::nullopt;
}

void UpdateProcedureTextBox(ApplicationContext& context, ServerRecord& server, TextView& view,
                            ListControl& objects, ObjectType type, std::string_view database,
                            std::string_view name, std::int32_t id) {
  int line = 0;  // the step reached, for the error report
  try {
    line = 1;
    // The list selects one row at most: the count is 0 or 1.
    int count = id >= 1 ? 1 : (objects.CurrentRow() >= 0 ? 1 : 0);
    line = 2;
    if (count == 0 && objects.RowCount() > 0) {
      objects.SetCurrentRow(0);
      count = 1;
    }
    line = 3;
    if (count != 1) {
      view.SetText(kNothingToShow);
    } else {
      line = 4;
      const int row = objects.CurrentRow();
      const std::int32_t object_id =
          id >= 1 ? id : RoundToInt32(LeadingNumber(objects.Cell(row, 2))).value_or(0);
      const std::string object_name = !name.empty() ? std::string(name) : objects.Cell(row, 0);
      line = 5;
      const std::optional<std::string> text =
          GetStructureText(context, server, database, type, object_name, object_id);
      line = 6;
      if (!text) {
        context.ui.ShowMessage(kShouldNotHappenMessage);
      } else {
        // An empty text clears the view: the previous object's text must not stay on screen
        // under the new object's name, where later commands would compare or script it.
        line = 7;
        view.SetText(*text);
        view.SetSelection(0, 0);
      }
    }
  } catch (...) {
    ReportUnexpectedFailure(context.ui, std::current_exception(), "modNew",
                            "UpdateProcedureTextBox", "Line num: " + std::to_string(line));
  }
  objects.SetTag("");
  context.ui.SetBusy(false);
}

StructureTextRenderer MakeStructureTextRenderer(ApplicationContext& context) {
  return [&context](ServerRecord& server, ListControl& objects, TextView& view, ObjectType type,
                    std::string_view database) {
    UpdateProcedureTextBox(context, server, view, objects, type, database, "", 0);
  };
}

}  // namespace korvane

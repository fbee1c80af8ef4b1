#include "compare/compare_selected_in_context.h"

#include "app/application_context.h"
#include "saved/ignored_columns.h"
#include "script/table_structure.h"

namespace korvane {
namespace {

// A table's text rebuilt without the columns of its structure ignored-column list.
class StructureIgnoredColumns final : public IgnoredColumnsTableText {
 public:
  explicit StructureIgnoredColumns(ApplicationContext& context) : context_(context) {}

  std::optional<std::string> TextWithoutIgnoredColumns(int side, const SelectedObject& object,
                                                       std::string_view key) override {
    if (GetIgnoredColumns(context_.locations, IgnoredColumnsKind::Structure, key).empty())
      return std::nullopt;
    return GetTableText(context_, context_.CurrentServers[side], object.database,
                        object.object_name, /*ignore_columns=*/true, object.object_id, "",
                        /*clustered_only=*/false, "");
  }

 private:
  ApplicationContext& context_;
};

}  // namespace

std::optional<SelectedObjectsComparison> CompareSelectedObjects(ApplicationContext& context,
                                                                const SelectionContext& selection,
                                                                TextView& source_view,
                                                                TextView& target_view) {
  StructureIgnoredColumns ignored_columns(context);
  return CompareSelProcs(false, "", "", selection, source_view, target_view, context.settings,
                         context.ui, &ignored_columns);
}

}  // namespace korvane

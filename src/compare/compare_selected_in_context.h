// The Compare command on the objects selected in the two object lists, as the main window and
// `korvane-cli compare-objects` both run it: tables are compared without the columns of their
// structure ignored-column lists.
#pragma once

#include <optional>

#include "compare/compare_selected_objects.h"

namespace korvane {

struct ApplicationContext;
class TextView;

// CompareSelProcs on the two views with the context's settings and user interface, a table's
// text rebuilt from the catalogue (by the selected object's id when it has one) without the
// columns its structure ignored-column list names.
std::optional<SelectedObjectsComparison> CompareSelectedObjects(ApplicationContext& context,
                                                                const SelectionContext& selection,
                                                                TextView& source_view,
                                                                TextView& target_view);

}  // namespace korvane

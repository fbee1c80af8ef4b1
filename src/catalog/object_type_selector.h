// Filling and reading the main window's object-type selector (item data = the type code).
#pragma once

#include "catalog/object_type.h"
#include "catalog/selector.h"

namespace korvane {

// Fills the selector with "Tables", "Procedures", "Functions", "Views", "Triggers",
// "Relationships" (and "Constraints" when `analyze_constraints`), selects Tables; its selection
// events are suppressed meanwhile.
void FillTypeSelector(Selector& selector, bool analyze_constraints);

// Selects the entry whose item data is the type's code, unless it is already selected; with
// `suppress_events` the selector is marked busy meanwhile, so its handler does nothing.
void SelectType(Selector& selector, ObjectType type, bool suppress_events);

// The type of the selected entry (code 0 when nothing is selected).
ObjectType SelectedObjectType(const Selector& selector);

}  // namespace korvane

#include "catalog/object_type_selector.h"

#include <string>

namespace korvane {

void FillTypeSelector(Selector& selector, bool analyze_constraints) {
  selector.SetTag(kBusyTag);
  selector.Clear();
  for (ObjectType type : kObjectTypeOrder) {
    if (type == ObjectType::kConstraints && !analyze_constraints)
      continue;
    selector.AddItem(ObjectTypeLabel(type), ObjectTypeCode(type));
  }
  selector.SetCurrentIndex(0);
  selector.SetTag("");
}

void SelectType(Selector& selector, ObjectType type, bool suppress_events) {
  for (int index = 0; index < selector.Count(); ++index) {
    if (selector.ItemData(index) != ObjectTypeCode(type))
      continue;
    if (selector.CurrentIndex() == index)
      return;
    const std::string tag = selector.Tag();
    if (suppress_events)
      selector.SetTag(kBusyTag);
    selector.SetCurrentIndex(index);
    if (suppress_events)
      selector.SetTag(tag);
    return;
  }
}

ObjectType SelectedObjectType(const Selector& selector) {
  return ObjectTypeFromCode(selector.CurrentData());
}

}  // namespace korvane

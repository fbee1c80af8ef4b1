#include "compare/structure_view_setup.h"

#include "app/settings.h"
#include "base/text_view.h"

namespace korvane {

void InitializeTXTextControl(TextView& box, const SettingsStore& store) {
  box.SetText("");
  const TextViewPageSize size = ReadTextViewPageSize(store);
  box.SetPageSize(size.width, size.height);
}

}  // namespace korvane

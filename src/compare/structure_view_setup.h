// Setting up a structure view when its window is built.
#pragma once

namespace korvane {

class SettingsStore;
class TextView;

// Clears the view and gives it the page size of the settings ("PageWidth" and "PageHeight"
// under TXText, in twips, raised to 20000 by 15840 at least).
void InitializeTXTextControl(TextView& box, const SettingsStore& store);

}  // namespace korvane

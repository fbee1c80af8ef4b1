// The controls of one half (side) of the main window that the catalogue fills and reads.
#pragma once

#include "base/list_control.h"
#include "base/text_view.h"
#include "catalog/selector.h"

namespace korvane {

struct SideControls {
  ListControl& databases;       // the server's databases (one column)
  Selector& owners;             // "All Owners" and the owners of the selected database
  ListControl& objects;         // the objects of the current type
  TextView& structure;          // the selected object's structure text
  Selector* servers = nullptr;  // the registered servers; may be absent outside the window
};

}  // namespace korvane

// The busy pointer for the length of a scope.
#pragma once

#include "base/user_interface.h"

namespace korvane {

// Keeps the busy pointer on for the life of a scope (one command or operation).
class BusyPointer {
 public:
  explicit BusyPointer(UserInterface& ui) : ui_(ui) { ui_.SetBusy(true); }
  ~BusyPointer() { ui_.SetBusy(false); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  UserInterface& ui_;
};

}  // namespace korvane

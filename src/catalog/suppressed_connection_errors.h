// Switches the connection-failure message off for the life of one probing operation and puts
// the previous state back, also when the operation ends early.
#pragma once

#include "app/application_context.h"

namespace korvane {

class SuppressedConnectionErrors {
 public:
  explicit SuppressedConnectionErrors(ApplicationContext& context)
      : context_(context), previous_(context.SuppressConnectionErrors) {
    context_.SuppressConnectionErrors = true;
  }
  ~SuppressedConnectionErrors() { context_.SuppressConnectionErrors = previous_; }
  SuppressedConnectionErrors(const SuppressedConnectionErrors&) = delete;
  SuppressedConnectionErrors& operator=(const SuppressedConnectionErrors&) = delete;

 private:
  ApplicationContext& context_;
  bool previous_;
};

}  // namespace korvane

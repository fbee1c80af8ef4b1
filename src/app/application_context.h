// The one application context: everything the program keeps for the whole run. The front ends
// create it, start-up fills it, and it is passed down to every command; nothing else in the
// program is global.
#pragma once

#include <cstdint>
#include <string>

#include "app/locations.h"
#include "app/settings.h"
#include "db/data_access_context.h"

namespace korvane {

struct ApplicationContext : DataAccessContext {
  ApplicationContext(AppLocations locations_in, UserInterface& ui_in, const Clock& clock_in)
      : DataAccessContext(locations_in.settings_file, ui_in, clock_in),
        locations(std::move(locations_in)) {}

  ApplicationContext(const ApplicationContext&) = delete;
  ApplicationContext& operator=(const ApplicationContext&) = delete;

  std::uint32_t CommandTimeoutSeconds() const override { return settings.timeout; }

  AppLocations locations;
  LoadedSettings settings;          // the settings loaded at start-up
  bool DebugMode = false;           // the debug marker existed at start-up
  std::int32_t RunSavedCompId = 0;  // the saved comparison the command line asked for; 0 none

  // Run state shared by the long operations.
  bool cancel_requested = false;  // set by Stop, Cancel and Esc; polled by long runs
  bool extended_names = false;    // object names qualified with their schema
  std::string report_buffer;      // the text of the last comparison report
};

}  // namespace korvane

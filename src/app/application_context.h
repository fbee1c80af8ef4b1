// The one application context: everything the program keeps for the whole run. The front ends
// create it, start-up fills it, and it is passed down to every command; nothing else in the
// program is global.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/locations.h"
#include "app/settings.h"
#include "app/settings_store.h"
#include "db/backend.h"
#include "db/server_record.h"

namespace korvane {

class Clock;
class UserInterface;

inline constexpr int kSource = 0;
inline constexpr int kTarget = 1;

struct ApplicationContext {
  ApplicationContext(AppLocations locations_in, UserInterface& ui_in, const Clock& clock_in)
      : locations(std::move(locations_in)),
        settings_store(locations.settings_file),
        ui(ui_in),
        clock(clock_in) {}

  ApplicationContext(const ApplicationContext&) = delete;
  ApplicationContext& operator=(const ApplicationContext&) = delete;

  AppLocations locations;
  SettingsStore settings_store;
  LoadedSettings settings;          // the settings loaded at start-up
  bool DebugMode = false;           // the debug marker existed at start-up
  std::int32_t RunSavedCompId = 0;  // the saved comparison the command line asked for; 0 none
  std::array<ServerRecord, 2> CurrentServers;  // index kSource and kTarget
  std::vector<ServerRecord> servers;           // the server list, in list order
  DatabaseBackends backends;                   // what answers as SQL Server

  // Run state shared by the long operations.
  bool SuppressConnectionErrors = false;
  bool cancel_requested = false;            // set by Stop, Cancel and Esc; polled by long runs
  bool extended_names = false;              // object names qualified with their schema
  std::string report_buffer;                // the text of the last comparison report
  bool servers_count_notice_shown = false;  // a too large stored server count was reported

  UserInterface& ui;
  const Clock& clock;
};

}  // namespace korvane

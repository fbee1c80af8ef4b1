// What data access and the server list use of the program's state: the backends, the settings
// store, the server list and the two sides, the person at the screen and the clock. The
// application context derives from it, so the commands hand the whole context down unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "base/settings_store.h"
#include "db/backend.h"
#include "db/server_record.h"

namespace korvane {

class Clock;
class UserInterface;

inline constexpr int kSource = 0;
inline constexpr int kTarget = 1;

struct DataAccessContext {
  DataAccessContext(const std::filesystem::path& settings_file, UserInterface& ui_in,
                    const Clock& clock_in)
      : settings_store(settings_file), ui(ui_in), clock(clock_in) {}
  virtual ~DataAccessContext() = default;

  DataAccessContext(const DataAccessContext&) = delete;
  DataAccessContext& operator=(const DataAccessContext&) = delete;

  // The command time-out in seconds from the loaded settings; 0 waits indefinitely.
  virtual std::uint32_t CommandTimeoutSeconds() const = 0;

  SettingsStore settings_store;
  std::array<ServerRecord, 2> CurrentServers;  // index kSource and kTarget
  std::vector<ServerRecord> servers;           // the server list, in list order
  DatabaseBackends backends;                   // what answers as SQL Server

  bool SuppressConnectionErrors = false;
  bool servers_count_notice_shown = false;  // a too large stored server count was reported

  UserInterface& ui;
  const Clock& clock;
};

}  // namespace korvane

// What the benchmark programs share: a user interface that answers nothing and shows nothing,
// and a context over embedded servers kept in a scratch profile.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "app/application_context.h"
#include "app/locations.h"
#include "base/clock.h"
#include "base/user_interface.h"
#include "db/embedded/embedded_backend.h"

namespace korvane::bench {

class SilentUserInterface final : public UserInterface {
 public:
  void ShowMessage(std::string_view, MessageIcon, std::string_view) override {}
  Answer Ask(std::string_view, std::string_view, Answer goes_on, MessageIcon) override {
    return goes_on;
  }
  std::optional<std::filesystem::path> RequestSaveFile(const FileRequest&) override { return {}; }
  std::optional<std::filesystem::path> RequestOpenFile(const FileRequest&) override { return {}; }
  void SetBusy(bool) override {}
  void ProcessPendingEvents() override {}
  void SetClipboardText(std::string_view) override {}
  int OpenWithDefaultProgram(std::string_view) override { return 0; }
  bool PrintText(std::string_view, std::string_view) override { return true; }
  void ShowErrorReport(const ErrorReport&) override {}
};

// A new empty folder under the temporary folder, named `prefix` and a random suffix, so that two
// benchmark programs run at once never write into (or remove) each other's files. The caller
// removes it.
inline std::filesystem::path ScratchFolder(std::string_view prefix) {
  std::random_device entropy;
  for (;;) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        (std::string(prefix) + "-" + std::to_string(entropy()) + std::to_string(entropy() % 1000));
    if (std::filesystem::create_directory(folder))
      return folder;
  }
}

// An application context whose embedded servers live under `profile`/servers.
struct BenchContext {
  explicit BenchContext(const std::filesystem::path& profile)
      : context(ComputeLocations(profile, profile, Environment{}), ui, clock) {
    context.backends.embedded = std::make_shared<EmbeddedBackend>(profile / "servers");
  }

  SilentUserInterface ui;
  SystemClock clock;
  ApplicationContext context;
};

// A context whose two sides are the version 9 embedded server `server` of `folder` (its servers
// under `folder`/servers, the profile under `folder`/p).
inline std::unique_ptr<ApplicationContext> EmbeddedServerContext(
    const std::filesystem::path& folder, const std::string& server, UserInterface& ui,
    const Clock& clock) {
  auto context = std::make_unique<ApplicationContext>(
      ComputeLocations(folder / "bin", folder / "p", Environment{}), ui, clock);
  std::filesystem::create_directories(context->locations.writable_folder);
  context->backends.embedded = std::make_shared<EmbeddedBackend>(folder / "servers");
  for (ServerRecord& side : context->CurrentServers) {
    side.Name = server;
    side.Version = "9.00.5000.00";
    side.NumVersion = 9;
  }
  return context;
}

}  // namespace korvane::bench

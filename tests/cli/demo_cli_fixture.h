// The two demo databases loaded once from their creation scripts into an embedded server; every
// test copies that server into a fresh profile and runs commands in fresh contexts, as
// korvane-cli does.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>

#include "app/application_context.h"
#include "app/default_backends.h"
#include "app/startup.h"
#include "cli/cli_user_interface.h"
#include "cli_profile_fixture.h"
#include "db/embedded/script_loader.h"

namespace korvane::testing {

class DemoCliTest : public CliProfileTest {
 protected:
  static void SetUpTestSuite() {
    loaded_ = std::make_unique<ScratchFolder>();
    const std::filesystem::path demo = std::filesystem::path(KORVANE_SOURCE_DIR) / "demo";
    const std::string v1 = ReadFile(demo / "Fernhollow_v1.sql");
    const std::string v2 = ReadFile(demo / "Fernhollow_v2.sql");
    if (v1.empty() || v2.empty()) {
      load_error_ = "no demo scripts in " + demo.string();
      return;
    }
    for (const auto& [database, script] :
         {std::pair{"FernhollowLive", v1}, std::pair{"FernhollowDev", v2}}) {
      const ScriptLoadResult loaded =
          LoadScript(*loaded_ / "servers", "embedded:demo", database, script);
      if (!loaded.ok) {
        load_error_ = std::string(database) + ": " + loaded.message;
        return;
      }
    }
  }
  static void TearDownTestSuite() { loaded_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(load_error_.empty()) << load_error_;
    const AppLocations locations = Locations();
    std::filesystem::create_directories(locations.servers_folder);
    std::filesystem::copy(*loaded_ / "servers", locations.servers_folder,
                          std::filesystem::copy_options::recursive);
  }

  using CliProfileTest::Run;

  // Runs `command` in a fresh context, as korvane-cli starts one.
  // The command writes to `out`; `err` is the stream its messages go to.
  CommandRun Run(
      const std::function<int(ApplicationContext&, std::ostream&, std::ostream&)>& command) {
    std::ostringstream out;
    std::ostringstream err;
    CliUserInterface ui(err);
    ApplicationContext context(Locations(), ui, clock_);
    RunStartUp(context, "");
    context.backends = CreateDefaultBackends(context.locations, env_);
    const int status = command(context, out, err);
    return {status, out.str(), err.str()};
  }

  static inline std::unique_ptr<ScratchFolder> loaded_;
  static inline std::string load_error_;
};

}  // namespace korvane::testing

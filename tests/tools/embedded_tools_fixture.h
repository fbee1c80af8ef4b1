// The fixture of the database tool tests: an application context on a scratch profile whose
// embedded server holds databases built from small T-SQL scripts, with the recording user
// interface.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/application_context.h"
#include "app/default_backends.h"
#include "app/locations.h"
#include "base/clock.h"
#include "db/data_access.h"
#include "db/embedded/script_loader.h"
#include "db/server_list.h"
#include "support/fake_backend.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane::testing {

class EmbeddedToolsTest : public ::testing::Test {
 protected:
  EmbeddedToolsTest()
      : context_(ComputeLocations(folder_ / "bin", folder_ / "p", Environment{}), ui_, clock_) {
    context_.backends = CreateDefaultBackends(context_.locations, Environment{});
    clock_.Set({2026, 12, 4, 10, 0, 0});
  }

  // Builds (or adds to) database `database` of the test server from a T-SQL script.
  void Load(std::string_view database, std::string_view script) {
    const ScriptLoadResult loaded =
        LoadScript(context_.locations.servers_folder, kServer, database, script);
    ASSERT_TRUE(loaded.ok) << loaded.message;
    server_.Name = kServer;
    server_.Version = GetServerVersion(context_, server_);
    server_.NumVersion = ComputeNumVersion(server_.Version);
    context_.CurrentServers[kSource] = server_;
  }

  // Makes the Source server one whose answers the test scripts (every command: no rows).
  FakeBackend& UseFakeServer() {
    fake_ = std::make_shared<FakeBackend>();
    context_.backends.odbc = fake_;
    server_.Name = "fake";
    server_.Version = "8.00.2039";
    server_.NumVersion = 8;
    context_.CurrentServers[kSource] = server_;
    return *fake_;
  }

  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const RecordedMessage& message : ui_.messages)
      texts.push_back(message.text);
    return texts;
  }

  static constexpr std::string_view kServer = "embedded:tools";

  ScratchFolder folder_;
  RecordingUserInterface ui_;
  ManualClock clock_;
  ApplicationContext context_;
  ServerRecord server_;
  std::shared_ptr<FakeBackend> fake_;
};

}  // namespace korvane::testing

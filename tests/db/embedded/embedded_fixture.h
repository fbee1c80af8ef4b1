// A scratch embedded server for the engine's tests: load T-SQL fixtures, run queries through the
// backend interface, read cells as text.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "support/scratch_folder.h"

namespace korvane::testing {

class EmbeddedServerTest : public ::testing::Test {
 protected:
  // The server "embedded:<scratch>/srv", created with the given product version.
  void MakeServer(const std::string& version);
  std::string server_name() const { return "embedded:" + (scratch_.path() / "srv").string(); }
  // Loads the script into the database and fails the test when the load fails.
  void Load(const std::string& database, const std::string& script);
  ScriptLoadResult TryLoad(const std::string& database, const std::string& script);
  // Runs a batch on the database; fails the test unless it succeeds.
  ResultSet Query(const std::string& database, const std::string& sql);
  CommandOutcome Run(const std::string& database, const std::string& sql);
  // Every row of a result set as text cells (NullText) joined by "|".
  static std::vector<std::string> Rows(const ResultSet& result);
  std::vector<std::string> QueryRows(const std::string& database, const std::string& sql) {
    return Rows(Query(database, sql));
  }

  ScratchFolder scratch_;
  EmbeddedBackend backend_{scratch_.path() / "servers"};
};

}  // namespace korvane::testing

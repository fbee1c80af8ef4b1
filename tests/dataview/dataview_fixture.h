// The data view and analyzer tests: an application context on a scratch profile whose Source
// side is an embedded server holding the tables of a small script, and a user interface that
// records messages and can act (press Stop) on a chosen event pump.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/application_context.h"
#include "app/locations.h"
#include "base/clock.h"
#include "base/user_interface.h"
#include "dataview/table_context.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "support/scratch_folder.h"

namespace korvane::testing {

class PumpingUserInterface final : public UserInterface {
 public:
  void ShowMessage(std::string_view text, MessageIcon icon, std::string_view title) override {
    messages.push_back({std::string(text), icon, std::string(title)});
  }
  Answer Ask(std::string_view, std::string_view, Answer goes_on, MessageIcon) override {
    return goes_on;
  }
  std::optional<std::filesystem::path> RequestSaveFile(const FileRequest& request) override {
    requests.push_back(request);
    return save_choice;
  }
  std::optional<std::filesystem::path> RequestOpenFile(const FileRequest&) override {
    return std::nullopt;
  }
  void SetBusy(bool) override {}
  void ProcessPendingEvents() override {
    ++pumps;
    if (on_pump)
      on_pump(pumps);
  }
  void SetClipboardText(std::string_view text) override { clipboard = text; }
  int OpenWithDefaultProgram(std::string_view file) override {
    opened.emplace_back(file);
    return open_result;
  }
  bool PrintText(std::string_view, std::string_view) override { return true; }
  void ShowErrorReport(const ErrorReport&) override { ++error_reports; }

  struct Message {
    std::string text;
    MessageIcon icon;
    std::string title;
  };
  std::vector<Message> messages;
  std::vector<FileRequest> requests;
  std::optional<std::filesystem::path> save_choice;
  std::function<void(int)> on_pump;
  int pumps = 0;
  std::string clipboard;
  std::vector<std::string> opened;
  int open_result = 0;
  int error_reports = 0;
};

class DataViewFixture : public ::testing::Test {
 protected:
  static constexpr const char* kServer = "embedded:views";
  static constexpr const char* kDatabase = "Shop";

  DataViewFixture() {
    context_ = std::make_unique<ApplicationContext>(
        ComputeLocations(folder_ / "bin", folder_ / "p", Environment{}), ui_, clock_);
    context_->backends.embedded =
        std::make_shared<EmbeddedBackend>(context_->locations.servers_folder);
    ServerRecord& server = context_->CurrentServers[kSource];
    server.Name = kServer;
    server.Version = "9.00.5000.00";
    server.NumVersion = 9;
  }

  // Loads `script` into the Shop database; the test fails when it does not load.
  void Load(const std::string& script) {
    const ScriptLoadResult loaded =
        LoadScript(context_->locations.servers_folder, kServer, kDatabase, script);
    ASSERT_TRUE(loaded.ok) << loaded.message;
  }

  // A table of `rows` rows: Id 1..rows and Name "n" + Id.
  static std::string NumberedTable(const std::string& name, int rows) {
    std::string script = "CREATE TABLE [" + name + "] (Id int NOT NULL, Name varchar(20) NULL)\n";
    for (int id = 1; id <= rows; ++id)
      script += "INSERT INTO [" + name + "] VALUES (" + std::to_string(id) + ", 'n" +
                std::to_string(id) + "')\n";
    return script + "GO\n";
  }

  ViewedTable Table(const std::string& name) const { return {kSource, kDatabase, name, 0}; }

  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& message : ui_.messages)
      texts.push_back(message.text);
    return texts;
  }

  ScratchFolder folder_;
  PumpingUserInterface ui_;
  ManualClock clock_;
  std::unique_ptr<ApplicationContext> context_;
};

}  // namespace korvane::testing

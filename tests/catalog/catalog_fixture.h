// The fixture of the catalogue tests: an application context whose database answers are
// scripted per query text (and database), with every command the catalogue sent recorded.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/application_context.h"
#include "base/clock.h"
#include "base/memory_list_control.h"
#include "base/memory_text_view.h"
#include "catalog/memory_selector.h"
#include "catalog/object_list.h"
#include "catalog/side_controls.h"
#include "support/fake_backend.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane::testing {

// One object row: name, reference date, id.
using ObjectRow = std::tuple<std::string, std::string, std::int64_t>;

inline CommandOutcome ObjectRows(const std::vector<ObjectRow>& rows) {
  std::vector<std::vector<Value>> values;
  for (const auto& [name, refdate, id] : rows)
    values.push_back({Value::Text(name), Value::Text(refdate), Value::Integer(id)});
  return Rows({"name", "refdate", "id"}, std::move(values));
}

inline CommandOutcome OneColumn(std::string column, const std::vector<std::string>& texts) {
  std::vector<std::vector<Value>> values;
  for (const std::string& text : texts)
    values.push_back({Value::Text(text)});
  return Rows({std::move(column)}, std::move(values));
}

inline CommandOutcome MissingView() {
  return Failure(208, "42S02", "Invalid object name 'sys.objects'.");
}

// The schema look-up by id on servers of version 9, and the older one it falls back to.
inline std::string SchemaByIdQuery(std::int64_t id) {
  return "SELECT OBJECT_SCHEMA_NAME([object_id]) FROM sys.objects WHERE [object_id] = " +
         std::to_string(id);
}
inline std::string OwnerByIdQuery(std::int64_t id) {
  return "SELECT USER_NAME(uid) FROM sysobjects WHERE [id] = " + std::to_string(id);
}
// The owner look-up of a name and its type letter, and one row of its answer.
inline std::string OwnerQuery(std::string_view name, std::string_view letter) {
  return "SELECT so.name AS ObjectName, su.name AS Owner FROM sysobjects so INNER JOIN sysusers "
         "su ON so.uid = su.uid WHERE so.name = '" +
         std::string(name) + "' AND so.xtype = '" + std::string(letter) + "'";
}
inline CommandOutcome OwnerRow(std::string owner) {
  return Rows({"ObjectName", "Owner"}, {{Value::Text("x"), Value::Text(std::move(owner))}});
}
inline std::string TableSchemaQuery(std::string_view name) {
  return "SELECT TABLE_SCHEMA FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_NAME = '" +
         std::string(name) + "'";
}
inline constexpr std::string_view kAllOwnersQuery =
    "SELECT DISTINCT su.name AS Owner FROM sysobjects so INNER JOIN sysusers su ON so.uid = "
    "su.uid ";

// The table list query with system objects left out (the default setting).
inline constexpr std::string_view kTablesQuery =
    "select name, refdate, id from sysobjects where OBJECTPROPERTY(id, N'IsUserTable') = 1 and "
    "xtype <> 'S'  order by name";

class CatalogTest : public ::testing::Test {
 protected:
  CatalogTest()
      : context_(ComputeLocations(folder_ / "bin", folder_ / "p", Environment{}), ui_, clock_) {
    backend_ = std::make_shared<FakeBackend>();
    context_.backends.odbc = backend_;
    backend_->responder = [this](const ConnectionRequest& connection,
                                 const CommandRequest& command) {
      auto in_database = answers_.find({connection.database, command.text});
      if (in_database != answers_.end())
        return in_database->second;
      auto anywhere = answers_.find({"*", command.text});
      if (anywhere != answers_.end())
        return anywhere->second;
      unexpected_.push_back(command.text);
      return Failure(102, "42000", "Unexpected query in test.");
    };
    ServerRecord& source = context_.CurrentServers[kSource];
    source.Name = "srv";
    source.Version = "8.00.2039";
    source.NumVersion = 8;
    ServerRecord& target = context_.CurrentServers[kTarget];
    target.Name = "srv2";
    target.Version = "8.00.2039";
    target.NumVersion = 8;
  }

  ~CatalogTest() override { EXPECT_TRUE(unexpected_.empty()) << unexpected_.front(); }

  // The answer to this exact query text in any database, or in the one named.
  void Respond(std::string_view query, CommandOutcome outcome) {
    answers_[{"*", std::string(query)}] = std::move(outcome);
  }
  void RespondIn(std::string_view database, std::string_view query, CommandOutcome outcome) {
    answers_[{std::string(database), std::string(query)}] = std::move(outcome);
  }

  // Every command text sent, in order.
  std::vector<std::string> Queries() const {
    std::vector<std::string> texts;
    for (const auto& [connection, command] : backend_->commands)
      texts.push_back(command.text);
    return texts;
  }
  // Every command as (database, text), in order.
  std::vector<std::pair<std::string, std::string>> QueriesWithDatabase() const {
    std::vector<std::pair<std::string, std::string>> sent;
    for (const auto& [connection, command] : backend_->commands)
      sent.emplace_back(connection.database, command.text);
    return sent;
  }

  ServerRecord& server() { return context_.CurrentServers[kSource]; }
  void MakeVersion9(ServerRecord& record) {
    record.Version = "9.00.5000.00";
    record.NumVersion = 9;
  }

  static std::vector<std::string> Column(const ListControl& list, int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < list.RowCount(); ++row)
      texts.push_back(list.Cell(row, column));
    return texts;
  }

  ScratchFolder folder_;
  RecordingUserInterface ui_;
  ManualClock clock_;
  ApplicationContext context_;
  std::shared_ptr<FakeBackend> backend_;
  std::map<std::pair<std::string, std::string>, CommandOutcome> answers_;
  std::vector<std::string> unexpected_;
};

// The controls of one side, kept in memory.
struct MemorySide {
  MemorySelector servers;
  MemoryListControl databases;
  MemorySelector owners;
  MemoryListControl objects;
  MemoryTextView structure;

  SideControls Controls() { return {databases, owners, objects, structure, &servers}; }
};

// A structure renderer that records what it was asked to show and writes the selected name
// (or fails, when told to).
struct RecordingRenderer {
  struct Call {
    std::string server;
    std::string database;
    ObjectType type;
    std::string selected;  // the list's current text when called
    bool list_busy;        // the list's tag was "OFF" while it ran
  };
  std::vector<Call> calls;
  std::string failure;  // when set, every call throws it after being recorded

  StructureTextRenderer Function() {
    return [this](ServerRecord& server, ListControl& objects, TextView& view, ObjectType type,
                  std::string_view database) {
      calls.push_back(
          {server.Name, std::string(database), type, objects.CurrentText(), objects.IsBusy()});
      if (!failure.empty())
        throw std::runtime_error(failure);
      view.SetText(objects.CurrentText().empty() ? "<<Nothing to show>>"
                                                 : "text of " + objects.CurrentText());
    };
  }
};

}  // namespace korvane::testing

#include "tools/attach_database.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "db/data_access.h"
#include "tools/embedded_tools_fixture.h"

namespace korvane::testing {
namespace {

class AttachDatabaseTest : public EmbeddedToolsTest {
 protected:
  AttachDatabaseTest() { std::filesystem::create_directories(files_); }

  std::string Touch(const std::string& name) {
    const std::filesystem::path path = files_ / name;
    std::ofstream(path) << "x";
    return path.string();
  }

  // Builds database `name` in a second server and hands back its file, ready to be attached.
  std::string DatabaseFile(std::string_view name) {
    const std::string other = "embedded:" + (folder_ / "other").string();
    const ScriptLoadResult loaded =
        LoadScript(context_.locations.servers_folder, other, name,
                   "CREATE TABLE Kept (id int NOT NULL)\nGO\nINSERT INTO Kept VALUES (7)\nGO\n");
    EXPECT_TRUE(loaded.ok) << loaded.message;
    for (const auto& entry : std::filesystem::directory_iterator(folder_ / "other")) {
      if (entry.path().stem() == name) {
        const std::filesystem::path copy = files_ / ("copy of " + std::string(name) + "'s.db");
        std::filesystem::copy_file(entry.path(), copy);
        return copy.string();
      }
    }
    ADD_FAILURE() << "no database file for " << name;
    return {};
  }

  AttachResult Attach(const AttachRequest& request) {
    return AttachDatabase(context_, context_.CurrentServers[kSource], request);
  }

  std::filesystem::path files_ = folder_ / "files";
};

TEST_F(AttachDatabaseTest, ValidationInOrderWithItsFieldAndNoConnection) {
  FakeBackend& fake = UseFakeServer();
  const std::string data = Touch("data.mdf");
  const std::string log = Touch("data.ldf");
  const std::string missing = (files_ / "missing.mdf").string();
  struct Case {
    AttachRequest request;
    std::string message;
    AttachField field;
  };
  const Case cases[] = {
      {{"  ", data, log, false}, "Please specify database name.", AttachField::kDatabaseName},
      {{"db", " ", log, false}, "Please specify database file.", AttachField::kDataFile},
      {{"db", data, "", false}, "Please specify log file.", AttachField::kLogFile},
      {{"db", missing, "", true}, "File " + missing + " doesn't exist.", AttachField::kDataFile},
      {{"db", " " + missing + " ", log, false},
       "File " + missing + " doesn't exist.",
       AttachField::kDataFile},
      {{"db", data, missing, false}, "File " + missing + " doesn't exist.", AttachField::kLogFile},
      {{"db", files_.string(), "", true},
       "File " + files_.string() + " doesn't exist.",
       AttachField::kDataFile},
  };
  for (const Case& c : cases) {
    ui_.messages.clear();
    const AttachResult result = Attach(c.request);
    EXPECT_EQ(result.outcome, AttachOutcome::kInvalid) << c.message;
    EXPECT_EQ(result.focus, c.field) << c.message;
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, c.message);
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
  }
  EXPECT_TRUE(fake.connections.empty());
}

TEST_F(AttachDatabaseTest, SendsTheTrimmedTextsAsTypedParametersOnMaster) {
  FakeBackend& fake = UseFakeServer();
  context_.settings.timeout = 77;
  const std::string data = Touch("it's data.mdf");
  const std::string log = Touch("log [1].ldf");
  const AttachResult result = Attach({" Sales'Db ", "  " + data, log + " ", false});
  EXPECT_EQ(result.outcome, AttachOutcome::kAttached);
  ASSERT_EQ(fake.commands.size(), 1u);
  const auto& [connection, command] = fake.commands[0];
  EXPECT_EQ(connection.database, "master");
  EXPECT_EQ(command.type, CommandType::kStoredProcedure);
  EXPECT_EQ(command.text, "sp_attach_db");
  EXPECT_EQ(command.timeout_seconds, 77);
  struct Expected {
    const char* name;
    int size;
    std::string value;
  };
  const Expected expected[] = {
      {"dbname", 256, "Sales'Db"}, {"filename1", 520, data}, {"filename2", 520, log}};
  std::vector<CommandParameter> inputs;
  for (const CommandParameter& parameter : command.parameters)
    if (parameter.direction == ParameterDirection::kInput)
      inputs.push_back(parameter);
  ASSERT_EQ(inputs.size(), 3u);
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    EXPECT_EQ(inputs[i].name, expected[i].name);
    EXPECT_EQ(inputs[i].type, ParameterType::kWideText);
    EXPECT_EQ(inputs[i].size, expected[i].size);
    EXPECT_EQ(inputs[i].value.AsText(), expected[i].value);
  }
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Attached Successfully"});
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kNone);
}

TEST_F(AttachDatabaseTest, SingleFileAcceptsAnEmptyLogAndSendsNoSecondFile) {
  FakeBackend& fake = UseFakeServer();
  const std::string data = Touch("one.mdf");
  EXPECT_EQ(Attach({"db", data, "ignored.ldf", true}).outcome, AttachOutcome::kAttached);
  ASSERT_EQ(fake.commands.size(), 1u);
  const CommandRequest& command = fake.commands[0].second;
  EXPECT_EQ(command.text, "sp_attach_single_file_db");
  for (const CommandParameter& parameter : command.parameters)
    EXPECT_NE(parameter.name, "filename2");
}

TEST_F(AttachDatabaseTest, ServerFailureShowsItsDescriptionCritical) {
  FakeBackend& fake = UseFakeServer();
  fake.responder = [](const ConnectionRequest&, const CommandRequest&) {
    return Failure(1801, "42000", "Database 'db' already exists.");
  };
  EXPECT_EQ(Attach({"db", Touch("a.mdf"), "", true}).outcome, AttachOutcome::kFailed);
  fake.refuse_databases = {"master"};
  EXPECT_EQ(Attach({"db", Touch("a.mdf"), "", true}).outcome, AttachOutcome::kFailed);
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].text, "Database 'db' already exists.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kCritical);
  EXPECT_EQ(ui_.messages[1].text, fake.refusal.text);
}

TEST_F(AttachDatabaseTest, EmbeddedServerAttachesOnceThenRefusesTheSameName) {
  Load("shop", "CREATE TABLE T (id int NOT NULL)\nGO\n");
  const std::string file = DatabaseFile("archive");
  EXPECT_EQ(Attach({"Archive 2026", file, "", true}).outcome, AttachOutcome::kAttached);
  const RunCommandResult rows =
      RunCommand(context_, context_.CurrentServers[kSource], CommandType::kText,
                 "SELECT id FROM Kept", "Archive 2026");
  ASSERT_FALSE(rows.failed());
  EXPECT_EQ(rows.recordset->Field(0).AsInteger(), 7);

  ui_.messages.clear();
  EXPECT_EQ(Attach({"archive 2026", file, "", true}).outcome, AttachOutcome::kFailed);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_NE(ui_.messages[0].text.find("already exists"), std::string::npos);
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kCritical);
}

TEST_F(AttachDatabaseTest, EmbeddedServerRefusesAFileThatIsNoDatabase) {
  Load("shop", "CREATE TABLE T (id int NOT NULL)\nGO\n");
  EXPECT_EQ(Attach({"junk", Touch("junk.db"), "", true}).outcome, AttachOutcome::kFailed);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kCritical);
  // Nothing half-attached: the name is still free.
  ui_.messages.clear();
  const RunCommandResult probe = RunCommand(context_, context_.CurrentServers[kSource],
                                            CommandType::kText, "SELECT 1", "junk");
  EXPECT_TRUE(probe.failed());
}

}  // namespace
}  // namespace korvane::testing

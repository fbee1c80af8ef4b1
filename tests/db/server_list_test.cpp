#include "db/server_list.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "app/application_context.h"
#include "app/settings.h"
#include "base/clock.h"
#include "base/files.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::RecordingUserInterface;
using testing::ScratchFolder;

class ServerListTest : public ::testing::Test {
 protected:
  ServerListTest()
      : context_(ComputeLocations(folder_ / "bin", folder_ / "p", Environment{}), ui_, clock_) {}

  AddServerOutcome Add(AddServerForm form, bool connects = true) {
    return AddServer(context_, form, [&](const ServerRecord& record) {
      tested_.push_back(record);
      return connects;
    });
  }
  static AddServerForm Form(std::string server, std::string login = "sa") {
    AddServerForm form;
    form.server = std::move(server);
    form.login = std::move(login);
    form.password = " secret ";
    return form;
  }
  SettingsStore& store() { return context_.settings_store; }

  ScratchFolder folder_;
  RecordingUserInterface ui_;
  ManualClock clock_;
  ApplicationContext context_;
  std::vector<ServerRecord> tested_;
};

TEST_F(ServerListTest, AddingWritesTheEntryAndCopiesTheFirstToBothSides) {
  ASSERT_TRUE(Add(Form("  alpha ")).added);
  ASSERT_TRUE(Add(Form("beta")).added);
  ASSERT_EQ(context_.servers.size(), 2u);
  EXPECT_EQ(store().GetNumber("Software\\KVN\\Servers", "Count", 0), 2u);
  EXPECT_EQ(store().GetString("Software\\KVN\\Servers\\Server1", "Name", ""), "alpha");
  EXPECT_EQ(store().GetString("Software\\KVN\\Servers\\Server1", "Pwd", ""), "secret");
  EXPECT_EQ(store().GetString("Software\\KVN\\Servers\\Server1", "MRUDb", ""), "master");
  EXPECT_EQ(store().GetNumber("Software\\KVN\\Servers\\Server2", "SQLAuth", 9), 1u);
  EXPECT_EQ(context_.servers[1].RegIndex, 2);
  EXPECT_EQ(context_.CurrentServers[kSource].Name, "alpha");
  EXPECT_EQ(context_.CurrentServers[kTarget].Name, "alpha");
  EXPECT_TRUE(ui_.messages.empty());
  ASSERT_EQ(tested_.size(), 2u);
  EXPECT_EQ(tested_[0].Password, "secret");
}

TEST_F(ServerListTest, ValidationMessagesInOrder) {
  struct Case {
    AddServerForm form;
    std::string message;
    AddServerField focus;
  };
  AddServerForm no_db = Form("x");
  no_db.database = "  ";
  const std::vector<Case> cases = {
      {Form("   "), "Please enter server name.", AddServerField::kServer},
      {no_db, "Please enter database name.", AddServerField::kDatabase},
      {Form("x", " "), "Please enter Login name.", AddServerField::kLogin},
  };
  for (const Case& c : cases) {
    ui_.messages.clear();
    const AddServerOutcome outcome = Add(c.form);
    EXPECT_FALSE(outcome.added);
    EXPECT_EQ(outcome.focus, c.focus);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, c.message);
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kNone);
    EXPECT_EQ(ui_.messages[0].title, "Korvane");
  }
  EXPECT_TRUE(tested_.empty());
  EXPECT_FALSE(store().KeyExists("Software\\KVN\\Servers"));
}

TEST_F(ServerListTest, DuplicateIgnoringCaseIsRefusedBeforeTheConnectionTest) {
  ASSERT_TRUE(Add(Form("Alpha")).added);
  tested_.clear();
  const AddServerOutcome outcome = Add(Form("ALPHA"));
  EXPECT_FALSE(outcome.added);
  EXPECT_EQ(outcome.focus, AddServerField::kServer);
  EXPECT_EQ(ui_.messages.back().text, "This server is already added to the list.");
  EXPECT_TRUE(tested_.empty());
}

TEST_F(ServerListTest, FailedConnectionTestAddsNothing) {
  const AddServerOutcome outcome = Add(Form("gamma"), /*connects=*/false);
  EXPECT_FALSE(outcome.added);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            "Cannot connect to the server - server does not exist or access denied.\r\n\r\n"
            "Please enter correct server data.");
  EXPECT_EQ(ui_.messages[0].title, "Cannot Connect To The Server");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
  EXPECT_EQ(CountServers(context_), 0);
}

TEST_F(ServerListTest, WindowsAuthenticationStoresNoLoginOrPassword) {
  AddServerForm form = Form("win", "someone");
  form.sql_auth = false;
  ASSERT_TRUE(Add(form).added);
  EXPECT_EQ(store().GetString("Software\\KVN\\Servers\\Server1", "LoginName", "x"), "");
  EXPECT_EQ(store().GetString("Software\\KVN\\Servers\\Server1", "Pwd", "x"), "");
  EXPECT_EQ(store().GetNumber("Software\\KVN\\Servers\\Server1", "SQLAuth", 9), 0u);
}

TEST_F(ServerListTest, RemovingRenumbersTheRestKeepingTheirValues) {
  for (const char* name : {"one", "two", "three"})
    ASSERT_TRUE(Add(Form(name)).added);
  store().SaveString(ServerKeyPath(3), "Version", "8.00.2039");
  store().SaveString(ServerKeyPath(3), "MRUDb", "Sales");
  RemoveServerByName(context_, "two");
  EXPECT_EQ(store().GetNumber("Software\\KVN\\Servers", "Count", 0), 2u);
  EXPECT_EQ(store().GetString(ServerKeyPath(2), "Name", ""), "three");
  EXPECT_EQ(store().GetString(ServerKeyPath(2), "Version", ""), "8.00.2039");
  EXPECT_EQ(store().GetString(ServerKeyPath(2), "MRUDb", ""), "Sales");
  EXPECT_FALSE(store().KeyExists(ServerKeyPath(3)));
  EXPECT_EQ(context_.servers[1].RegIndex, 2);
}

TEST_F(ServerListTest, RemovingTheOnlyEntryLeavesAnEmptyList) {
  ASSERT_TRUE(Add(Form("only")).added);
  ui_.answers = {Answer::kYes};
  EXPECT_TRUE(ConfirmAndRemoveServer(context_, std::string("only")));
  EXPECT_EQ(ui_.messages.back().text,
            "Are you sure that you want to remove\r\n\r\nonly\r\n\r\nfrom the list of servers?");
  EXPECT_EQ(ui_.messages.back().title, "Confirm Removing Server");
  EXPECT_TRUE(ui_.messages.back().is_question);
  EXPECT_EQ(store().GetNumber("Software\\KVN\\Servers", "Count", 9), 0u);
  EXPECT_TRUE(store().SubkeyNames("Software\\KVN\\Servers").empty());
  EXPECT_EQ(context_.CurrentServers[kSource], ServerRecord{});
  EXPECT_FALSE(CanOpenRemoveServerDialog(context_));
  EXPECT_EQ(ui_.messages.back().text, "There are no servers stored in the list.");
}

TEST_F(ServerListTest, RemoveAskedButDeclinedOrNothingSelected) {
  ASSERT_TRUE(Add(Form("keep")).added);
  EXPECT_FALSE(ConfirmAndRemoveServer(context_, std::nullopt));
  EXPECT_EQ(ui_.messages.back().text, "Please select the server to be removed from the list.");
  ui_.answers = {Answer::kNo};
  EXPECT_FALSE(ConfirmAndRemoveServer(context_, std::string("keep")));
  EXPECT_EQ(CountServers(context_), 1);
}

TEST_F(ServerListTest, LoadingReadsTheStoredKindsAndDefaults) {
  store().SaveNumber("Software\\KVN\\Servers", "Count", 3);
  store().SaveString(ServerKeyPath(1), "Name", "a");
  store().SaveNumber(ServerKeyPath(1), "SQLAuth", 2);  // not 1: Windows authentication
  store().SaveString(ServerKeyPath(3), "Name", "c");
  LoadServerList(context_);
  ASSERT_EQ(context_.servers.size(), 3u);
  EXPECT_FALSE(context_.servers[0].SQLAuth);
  EXPECT_EQ(context_.servers[1].Name, "");  // a missing key within the list reads as empty
  EXPECT_EQ(context_.servers[1].RegIndex, 2);
  EXPECT_EQ(context_.servers[2].Name, "c");
  store().SaveNumber("Software\\KVN\\Servers", "Count", 0xFFFFFFFF);  // -1
  EXPECT_EQ(CountServers(context_), 0);
}

TEST_F(ServerListTest, FindServerIsCaseSensitiveAndReportsAMissingName) {
  ASSERT_TRUE(Add(Form("Alpha")).added);
  ServerRecord record;
  record.Name = "Alpha";
  record.MRUDb = "stale";
  EXPECT_TRUE(FindServer(context_, record));
  EXPECT_EQ(record.RegIndex, 1);
  EXPECT_EQ(record.MRUDb, "master");
  ServerRecord missing;
  missing.Name = "alpha";
  missing.LoginName = "stale";
  EXPECT_FALSE(FindServer(context_, missing));
  EXPECT_EQ(ui_.messages.back().text, "Server 'alpha' not found.");
  EXPECT_EQ(ui_.messages.back().icon, MessageIcon::kExclamation);
  EXPECT_EQ(missing.LoginName, "");
  EXPECT_EQ(missing.Name, "alpha");
}

TEST_F(ServerListTest, MostRecentlyUsedDatabaseOnlyForListedServers) {
  ASSERT_TRUE(Add(Form("a")).added);
  ServerRecord& side = context_.CurrentServers[kTarget];
  UpdateMRUDb(context_, side, "Sales");
  EXPECT_EQ(side.MRUDb, "Sales");
  EXPECT_EQ(context_.servers[0].MRUDb, "Sales");
  EXPECT_EQ(store().GetString(ServerKeyPath(1), "MRUDb", ""), "Sales");
  ServerRecord unlisted;
  UpdateMRUDb(context_, unlisted, "Other");
  EXPECT_EQ(unlisted.MRUDb, "");
}

// Regression: a huge stored Count made start-up loop (and allocate) up to it, for ever at
// 0x7fffffff; adding a server then wrote Count + 1.
TEST_F(ServerListTest, StoredCountBeyondTheEntriesIsBoundedByTheSubkeys) {
  const struct {
    std::uint32_t count;
    int entries;
    bool notice;
  } cases[] = {{0x7fffffffu, 2, true}, {200000, 2, true}, {2, 2, false},
               {1, 1, false},          {0, 0, false},     {0xffffffffu, 0, false}};
  for (const auto& c : cases) {
    ScratchFolder folder;
    RecordingUserInterface ui;
    ApplicationContext context(ComputeLocations(folder / "bin", folder / "p", Environment{}), ui,
                               clock_);
    SettingsStore& store = context.settings_store;
    ASSERT_TRUE(store.SaveString(ServerKeyPath(1), "Name", "a"));
    ASSERT_TRUE(store.SaveString(ServerKeyPath(2), "Name", "b"));
    ASSERT_TRUE(store.SaveNumber("Software\\KVN\\Servers", "Count", c.count));
    LoadServerList(context);
    EXPECT_EQ(context.servers.size(), static_cast<std::size_t>(c.entries)) << c.count;
    LoadServerList(context);  // the notice comes once a run
    ASSERT_EQ(ui.messages.size(), c.notice ? 1u : 0u) << c.count;
    if (c.notice) {
      EXPECT_EQ(ui.messages[0].text, ServersCountNotice(static_cast<int>(c.count), 2));
      EXPECT_EQ(ui.messages[0].title, kServersCountTitle);
    }
    // Adding writes the count of the entries actually read, plus one.
    AddServerForm form;
    form.server = "c";
    form.sql_auth = false;
    ASSERT_TRUE(AddServer(context, form, [](const ServerRecord&) { return true; }).added);
    EXPECT_EQ(store.GetNumber("Software\\KVN\\Servers", "Count", 0),
              static_cast<std::uint32_t>(c.entries + 1));
    EXPECT_EQ(context.servers.back().Name, "c");
  }
}

// Regression: a failed store write was ignored, so the dialogs closed and the command line
// exited 0 while nothing had changed.
TEST_F(ServerListTest, StoreThatCannotBeWrittenIsReportedAndAddsOrRemovesNothing) {
  ASSERT_TRUE(Add(Form("keep")).added);
  std::string error;
  const auto other_run =
      FileLock::Acquire(store().file(), error, std::chrono::milliseconds(0));  // holds the lock
  ASSERT_TRUE(other_run.has_value());
  ::setenv("KORVANE_LOCK_TIMEOUT_MS", "0", 1);
  const AddServerOutcome added = Add(Form("new"));
  EXPECT_FALSE(added.added);
  EXPECT_TRUE(added.write_failed);
  ASSERT_FALSE(ui_.messages.empty());
  EXPECT_EQ(ui_.messages.back().title, kServerListNotSavedTitle);
  EXPECT_NE(ui_.messages.back().text.find("in use"), std::string::npos);
  EXPECT_FALSE(RemoveServerByName(context_, "keep"));
  EXPECT_EQ(ui_.messages.back().title, kServerListNotSavedTitle);
  ui_.answers = {Answer::kYes};
  EXPECT_FALSE(ConfirmAndRemoveServer(context_, std::string("keep")));
  ::unsetenv("KORVANE_LOCK_TIMEOUT_MS");
  ASSERT_EQ(CountServers(context_), 1);
  EXPECT_EQ(context_.servers[0].Name, "keep");
}

// Two runs adding at once: each adds after the entries stored when it writes, and a name the
// other run added meanwhile is not added twice.
TEST_F(ServerListTest, AddingKeepsWhatAnotherRunAddedMeanwhile) {
  ASSERT_TRUE(Add(Form("first")).added);
  SettingsStore other(store().file());
  ASSERT_TRUE(other.Update([](RegistryTree& tree) {
    tree.SetValue("Software\\KVN\\Servers", "Count", RegistryValue::Dword(2));
    tree.SetValue(ServerKeyPath(2), "Name", RegistryValue::String("second"));
  }));
  const SettingsStore::ReadScope stale(store());  // this run's copy still has one entry
  ASSERT_TRUE(Add(Form("third")).added);
  EXPECT_EQ(store().GetString(ServerKeyPath(2), "Name", ""), "second");
  EXPECT_EQ(SettingsStore(store().file()).GetString(ServerKeyPath(3), "Name", ""), "third");
  ServerRecord again;
  again.Name = "SECOND";
  EXPECT_EQ(AppendServer(context_, again), AppendServerOutcome::kAlreadyListed);
}

// Regression: loading the list looked at the settings file once per value read.
TEST_F(ServerListTest, LoadingTheListLooksAtTheFileOnce) {
  for (const char* name : {"one", "two", "three"})
    ASSERT_TRUE(Add(Form(name)).added);
  const std::uint64_t before = store().file_checks();
  LoadServerList(context_);
  EXPECT_EQ(store().file_checks() - before, 1u);
  ServerRecord record;
  record.Name = "three";
  const std::uint64_t find = store().file_checks();
  EXPECT_TRUE(FindServer(context_, record));
  EXPECT_EQ(store().file_checks() - find, 1u);
}

TEST(NumVersionTest, MajorNumberOfTheVersionText) {
  EXPECT_EQ(ComputeNumVersion("10.50.1600"), 10);
  EXPECT_EQ(ComputeNumVersion("8.00.2039"), 8);
  EXPECT_EQ(ComputeNumVersion(" 9.00.5000.00 "), 9);
  EXPECT_EQ(ComputeNumVersion("11"), 11);
  EXPECT_EQ(ComputeNumVersion(""), 0);
  EXPECT_EQ(ComputeNumVersion("abc"), 0);
}

TEST(NumVersionTest, CopyingAnEntryComputesItAndKeepsTheSchemaFlags) {
  ServerRecord entry;
  entry.Name = "s";
  entry.Version = "9.00.1399";
  ServerRecord side;
  side.SchemaCheckPerformed = true;
  side.AddSchema = true;
  CopyEntryToSide(entry, side);
  EXPECT_EQ(side.NumVersion, 9);
  EXPECT_TRUE(side.SchemaCheckPerformed);
  EXPECT_TRUE(side.AddSchema);
}

}  // namespace
}  // namespace korvane

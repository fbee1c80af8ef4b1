// The add-server and remove-server dialogs, driven as a person would.
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "db/server_list.h"
#include "dialog_test_support.h"
#include "ui/add_server_dialog.h"
#include "ui/remove_server_dialog.h"

namespace korvane {
namespace {

class ServerDialogTest : public testing::WindowTest {
 protected:
  // A connection test that records what it was asked and answers `connects_`.
  ConnectionTest FakeTest() {
    return [this](const ServerRecord& record) {
      tested_.push_back(record);
      return connects_;
    };
  }
  void AddListed(const char* name) {
    AddServerForm form;
    form.server = name;
    form.sql_auth = false;
    ASSERT_TRUE(AddServer(*context_, form, [](const ServerRecord&) { return true; }).added);
  }

  std::vector<ServerRecord> tested_;
  bool connects_ = true;
};

TEST_F(ServerDialogTest, AddServerFieldsAndDefaults) {
  AddServerDialog dialog(*context_, FakeTest());
  EXPECT_EQ(dialog.windowTitle(), "Add SQL Server");
  EXPECT_EQ(Find<QLineEdit>(dialog, "txtDatabase")->text(), "master");
  EXPECT_EQ(Find<QGroupBox>(dialog, "fraConnectUsing")->title(), "Connect using:");
  EXPECT_EQ(Find<QRadioButton>(dialog, "optSQLAuth")->text(), "SQL Server authentication");
  EXPECT_EQ(Find<QRadioButton>(dialog, "optWindowsAuth")->text(), "Windows authentication");
  EXPECT_TRUE(Find<QRadioButton>(dialog, "optSQLAuth")->isChecked());
  EXPECT_EQ(Find<QLineEdit>(dialog, "txtPassword")->echoMode(), QLineEdit::Password);
  Find<QLineEdit>(dialog, "txtServer")->setText("embedded:demo");
  testing::Screenshot(dialog, "frmAddServer");
}

TEST_F(ServerDialogTest, AddServerHelpOpensTheHelpPageAlsoOnF1) {
  AddServerDialog dialog(*context_, FakeTest());
  dialog.show();
  auto* help = Find<QPushButton>(dialog, "cmdHelp");
  EXPECT_EQ(help->text(), "&Help");
  Click(dialog, "cmdHelp");
  ASSERT_EQ(ui_.opened.size(), 1u);
  EXPECT_TRUE(ui_.opened[0].ends_with("main_window.html")) << ui_.opened[0];
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  QTest::keyClick(&dialog, Qt::Key_F1);
  EXPECT_EQ(ui_.opened.size(), 2u);
  EXPECT_TRUE(dialog.isVisible());
}

TEST_F(ServerDialogTest, StoreThatCannotBeWrittenKeepsTheDialogOpen) {
  std::filesystem::create_directories(context_->settings_store.file() / "in-the-way");
  AddServerDialog dialog(*context_, FakeTest());
  dialog.show();
  Retype(dialog, "txtServer", "alpha");
  Retype(dialog, "txtLogin", "sa");
  Click(dialog, "cmdOK");
  EXPECT_TRUE(dialog.isVisible());
  ASSERT_FALSE(ui_.messages.empty());
  EXPECT_NE(ui_.messages.back().text.find("cannot be read"), std::string::npos);
  EXPECT_EQ(CountServers(*context_), 0);
}

TEST_F(ServerDialogTest, WindowsAuthenticationEmptiesAndDisablesLoginAndPassword) {
  AddServerDialog dialog(*context_, FakeTest());
  dialog.show();
  Retype(dialog, "txtLogin", "sa");
  Retype(dialog, "txtPassword", "secret");
  Click(dialog, "optWindowsAuth");
  auto* login = Find<QLineEdit>(dialog, "txtLogin");
  auto* password = Find<QLineEdit>(dialog, "txtPassword");
  EXPECT_EQ(login->text(), "");
  EXPECT_EQ(password->text(), "");
  EXPECT_FALSE(login->isEnabled());
  EXPECT_FALSE(password->isEnabled());
  Click(dialog, "optSQLAuth");
  EXPECT_TRUE(login->isEnabled());
  EXPECT_TRUE(password->isEnabled());
}

TEST_F(ServerDialogTest, EachMissingFieldIsReportedWithTheFocusOnIt) {
  AddServerDialog dialog(*context_, FakeTest());
  dialog.show();
  Retype(dialog, "txtServer", "   ");
  Click(dialog, "cmdOK");
  EXPECT_EQ(dialog.focusWidget(), Find<QLineEdit>(dialog, "txtServer"));
  EXPECT_EQ(Find<QLineEdit>(dialog, "txtServer")->selectedText(), "   ");

  Retype(dialog, "txtServer", "sql01");
  Retype(dialog, "txtDatabase", "");
  Click(dialog, "cmdOK");
  EXPECT_EQ(dialog.focusWidget(), Find<QLineEdit>(dialog, "txtDatabase"));

  Retype(dialog, "txtDatabase", "Sales");
  Click(dialog, "cmdOK");
  EXPECT_EQ(dialog.focusWidget(), Find<QLineEdit>(dialog, "txtLogin"));

  EXPECT_EQ(MessageTexts(),
            (std::vector<std::string>{"Please enter server name.", "Please enter database name.",
                                      "Please enter Login name."}));
  for (const auto& message : ui_.messages) {
    EXPECT_EQ(message.icon, MessageIcon::kNone);
    EXPECT_EQ(message.title, "Korvane");
  }
  EXPECT_TRUE(tested_.empty());
  EXPECT_FALSE(dialog.added());
  EXPECT_TRUE(dialog.isVisible());
}

TEST_F(ServerDialogTest, OkTestsTheConnectionAndAddsTheTrimmedEntry) {
  AddServerDialog dialog(*context_, FakeTest());
  dialog.show();
  Retype(dialog, "txtServer", " sql01 ");
  Retype(dialog, "txtDatabase", "Sales ");
  Retype(dialog, "txtLogin", " sa");
  Retype(dialog, "txtPassword", " pass word ");
  Click(dialog, "cmdOK");
  ASSERT_EQ(tested_.size(), 1u);
  EXPECT_EQ(tested_[0].Name, "sql01");
  EXPECT_TRUE(dialog.added());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(ui_.messages.empty());

  const SettingsStore& store = context_->settings_store;
  EXPECT_EQ(store.GetNumber("Software\\KVN\\Servers", "Count", 0), 1u);
  EXPECT_EQ(store.GetString(ServerKeyPath(1), "Name", ""), "sql01");
  EXPECT_EQ(store.GetNumber(ServerKeyPath(1), "SQLAuth", 9), 1u);
  EXPECT_EQ(store.GetString(ServerKeyPath(1), "LoginName", ""), "sa");
  EXPECT_EQ(store.GetString(ServerKeyPath(1), "Pwd", ""), "pass word");
  EXPECT_EQ(store.GetString(ServerKeyPath(1), "MRUDb", ""), "Sales");
  EXPECT_EQ(context_->CurrentServers[kSource].Name, "sql01");
  EXPECT_EQ(context_->CurrentServers[kTarget].Name, "sql01");
}

TEST_F(ServerDialogTest, UnderWindowsAuthenticationNoLoginIsStored) {
  AddServerDialog dialog(*context_, FakeTest());
  dialog.show();
  Click(dialog, "optWindowsAuth");
  Retype(dialog, "txtServer", "sql02");
  Click(dialog, "cmdOK");
  ASSERT_TRUE(dialog.added());
  EXPECT_EQ(context_->settings_store.GetNumber(ServerKeyPath(1), "SQLAuth", 9), 0u);
  EXPECT_EQ(context_->settings_store.GetString(ServerKeyPath(1), "LoginName", "x"), "");
}

TEST_F(ServerDialogTest, FailedConnectionAddsNothingAndFocusesTheServer) {
  connects_ = false;
  AddServerDialog dialog(*context_, FakeTest());
  dialog.show();
  Retype(dialog, "txtServer", "nowhere");
  Retype(dialog, "txtLogin", "sa");
  Click(dialog, "cmdOK");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            "Cannot connect to the server - server does not exist or access denied.\r\n\r\n"
            "Please enter correct server data.");
  EXPECT_EQ(ui_.messages[0].title, "Cannot Connect To The Server");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
  EXPECT_EQ(dialog.focusWidget(), Find<QLineEdit>(dialog, "txtServer"));
  EXPECT_EQ(Find<QLineEdit>(dialog, "txtServer")->selectedText(), "nowhere");
  EXPECT_FALSE(dialog.added());
  EXPECT_EQ(context_->settings_store.GetNumber("Software\\KVN\\Servers", "Count", 0), 0u);
}

TEST_F(ServerDialogTest, NameDifferingOnlyInCaseIsADuplicate) {
  AddListed("SQL01");
  AddServerDialog dialog(*context_, FakeTest());
  dialog.show();
  Click(dialog, "optWindowsAuth");
  Retype(dialog, "txtServer", "sql01");
  Click(dialog, "cmdOK");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"This server is already added to the list."});
  EXPECT_TRUE(tested_.empty());
  EXPECT_FALSE(dialog.added());
}

TEST_F(ServerDialogTest, CancelAddsNothing) {
  AddServerDialog dialog(*context_, FakeTest());
  dialog.show();
  Retype(dialog, "txtServer", "sql01");
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(dialog.added());
  EXPECT_TRUE(tested_.empty());
}

TEST_F(ServerDialogTest, RemoveServerListsTheServersInOrder) {
  AddListed("alpha");
  AddListed("embedded:demo");
  RemoveServerDialog dialog(*context_);
  EXPECT_EQ(dialog.windowTitle(), "Remove Server");
  auto* list = Find<QListWidget>(dialog, "lstServers");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text(), "alpha");
  EXPECT_EQ(list->item(1)->text(), "embedded:demo");
  EXPECT_EQ(Find<QPushButton>(dialog, "cmdRemove")->text(), "&Remove");
  EXPECT_EQ(Find<QPushButton>(dialog, "cmdExit")->text(), "E&xit");
  testing::Screenshot(dialog, "frmDeleteServer");
}

TEST_F(ServerDialogTest, RemoveWithNothingSelectedAsksForASelection) {
  AddListed("alpha");
  RemoveServerDialog dialog(*context_);
  dialog.show();
  Click(dialog, "cmdRemove");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Please select the server to be removed from the list.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(dialog.focusWidget(), Find<QListWidget>(dialog, "lstServers"));
  EXPECT_FALSE(dialog.removed());
}

TEST_F(ServerDialogTest, RemoveAsksAndRemovesOnYesOnly) {
  AddListed("alpha");
  AddListed("beta");
  AddListed("gamma");
  RemoveServerDialog dialog(*context_);
  dialog.show();
  auto* list = Find<QListWidget>(dialog, "lstServers");
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(1)).center());
  ui_.answers = {Answer::kNo, Answer::kYes};
  Click(dialog, "cmdRemove");
  EXPECT_FALSE(dialog.removed());
  EXPECT_EQ(context_->servers.size(), 3u);
  Click(dialog, "cmdRemove");
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[1].text,
            "Are you sure that you want to remove\r\n\r\nbeta\r\n\r\nfrom the list of servers?");
  EXPECT_EQ(ui_.messages[1].title, "Confirm Removing Server");
  EXPECT_TRUE(ui_.messages[1].is_question);
  EXPECT_TRUE(dialog.removed());
  EXPECT_FALSE(dialog.isVisible());
  const SettingsStore& store = context_->settings_store;
  EXPECT_EQ(store.GetNumber("Software\\KVN\\Servers", "Count", 0), 2u);
  EXPECT_EQ(store.GetString(ServerKeyPath(2), "Name", ""), "gamma");
  EXPECT_FALSE(store.KeyExists(ServerKeyPath(3)));
}

}  // namespace
}  // namespace korvane

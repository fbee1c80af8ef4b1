#include "db/server_list.h"

#include "app/application_context.h"
#include "app/settings.h"
#include "app/text.h"
#include "app/user_interface.h"

namespace korvane {
namespace {

std::string ServersKey() {
  return SettingsKeyPath("Servers");
}

ServerRecord ReadEntry(const SettingsStore& store, int n) {
  const std::string key = ServerKeyPath(n);
  ServerRecord record;
  record.Name = store.GetString(key, "Name", "");
  record.SQLAuth = store.GetNumber(key, "SQLAuth", 0) == 1;
  record.LoginName = store.GetString(key, "LoginName", "");
  record.Password = store.GetString(key, "Pwd", "");
  record.MRUDb = store.GetString(key, "MRUDb", "");
  record.RegIndex = n;
  record.Version = store.GetString(key, "Version", "");
  return record;
}

// The stored count: a DWORD read as a signed 32-bit number, negative values as 0.
int StoredCount(const SettingsStore& store) {
  const auto count = static_cast<std::int32_t>(store.GetNumber(ServersKey(), "Count", 0));
  return count < 0 ? 0 : count;
}

void PutEntry(RegistryTree& tree, int n, const ServerRecord& record) {
  const std::string key = ServerKeyPath(n);
  tree.CreateKey(key);
  tree.SetValue(key, "Name", RegistryValue::String(record.Name));
  tree.SetValue(key, "SQLAuth", RegistryValue::Dword(record.SQLAuth ? 1 : 0));
  tree.SetValue(key, "LoginName", RegistryValue::String(record.LoginName));
  tree.SetValue(key, "Pwd", RegistryValue::String(record.Password));
  tree.SetValue(key, "MRUDb", RegistryValue::String(record.MRUDb));
  tree.SetValue(key, "Version", RegistryValue::String(record.Version));
}

}  // namespace

std::string ServerKeyPath(int n) {
  return ServersKey() + "\\Server" + std::to_string(n);
}

int ComputeNumVersion(std::string_view version) {
  const std::string_view trimmed = Trim(version);
  if (trimmed.empty())
    return 0;
  return RoundToInt32(LeadingNumber(trimmed.substr(0, trimmed.find('.')))).value_or(0);
}

void LoadServerList(ApplicationContext& context) {
  context.servers.clear();
  const int count = StoredCount(context.settings_store);
  for (int n = 1; n <= count; ++n)
    context.servers.push_back(ReadEntry(context.settings_store, n));
}

int CountServers(ApplicationContext& context) {
  LoadServerList(context);
  return static_cast<int>(context.servers.size());
}

bool FindServer(ApplicationContext& context, ServerRecord& record) {
  const std::string name = record.Name;
  record = ServerRecord{};
  record.Name = name;
  const int count = StoredCount(context.settings_store);
  for (int n = 1; n <= count; ++n) {
    if (context.settings_store.GetString(ServerKeyPath(n), "Name", "") == name) {
      record = ReadEntry(context.settings_store, n);
      return true;
    }
  }
  context.ui.ShowMessage("Server '" + name + "' not found.", MessageIcon::kExclamation);
  return false;
}

void CopyEntryToSide(const ServerRecord& entry, ServerRecord& side) {
  side.Name = entry.Name;
  side.SQLAuth = entry.SQLAuth;
  side.LoginName = entry.LoginName;
  side.Password = entry.Password;
  side.MRUDb = entry.MRUDb;
  side.RegIndex = entry.RegIndex;
  side.Version = entry.Version;
  side.NumVersion = ComputeNumVersion(entry.Version);
}

void CopyFirstServerToSides(ApplicationContext& context) {
  for (ServerRecord& side : context.CurrentServers) {
    if (context.servers.empty()) {
      side = ServerRecord{};
    } else {
      CopyEntryToSide(context.servers.front(), side);
    }
  }
}

void UpdateMRUDb(ApplicationContext& context, ServerRecord& side, std::string_view database) {
  if (side.RegIndex <= 0)
    return;
  side.MRUDb = database;
  const auto index = static_cast<std::size_t>(side.RegIndex - 1);
  if (index < context.servers.size())
    context.servers[index].MRUDb = database;
  context.settings_store.SaveString(ServerKeyPath(side.RegIndex), "MRUDb", database);
}

void SaveServerVersion(SettingsStore& store, int reg_index, std::string_view version) {
  store.SaveString(ServerKeyPath(reg_index), "Version", version);
}

AddServerOutcome AddServer(ApplicationContext& context, const AddServerForm& form,
                           const ConnectionTest& test_connection) {
  UserInterface& ui = context.ui;
  const std::string server(Trim(form.server));
  const std::string database(Trim(form.database));
  const std::string login(form.sql_auth ? Trim(form.login) : "");
  const std::string password(form.sql_auth ? Trim(form.password) : "");
  if (server.empty()) {
    ui.ShowMessage("Please enter server name.");
    return {false, AddServerField::kServer};
  }
  if (database.empty()) {
    ui.ShowMessage("Please enter database name.");
    return {false, AddServerField::kDatabase};
  }
  if (form.sql_auth && login.empty()) {
    ui.ShowMessage("Please enter Login name.");
    return {false, AddServerField::kLogin};
  }
  ServerRecord record;
  record.Name = server;
  record.SQLAuth = form.sql_auth;
  record.LoginName = login;
  record.Password = password;
  record.MRUDb = database;

  LoadServerList(context);
  for (const ServerRecord& entry : context.servers) {
    if (EqualsIgnoringCase(entry.Name, server)) {
      ui.ShowMessage("This server is already added to the list.");
      return {false, AddServerField::kServer};
    }
  }
  if (!test_connection(record)) {
    ui.ShowMessage(
        "Cannot connect to the server - server does not exist or access denied.\r\n\r\n"
        "Please enter correct server data.",
        MessageIcon::kExclamation, "Cannot Connect To The Server");
    return {false, AddServerField::kServer};
  }
  const int n = StoredCount(context.settings_store) + 1;
  context.settings_store.Update([&](RegistryTree& tree) {
    tree.SetValue(ServersKey(), "Count", RegistryValue::Dword(static_cast<std::uint32_t>(n)));
    PutEntry(tree, n, record);
  });
  LoadServerList(context);
  CopyFirstServerToSides(context);
  return {true, AddServerField::kNone};
}

void RemoveServerByName(ApplicationContext& context, std::string_view name) {
  const int count = CountServers(context);
  std::vector<ServerRecord> remaining;
  for (const ServerRecord& entry : context.servers) {
    if (entry.Name != name)
      remaining.push_back(entry);
  }
  context.settings_store.Update([&](RegistryTree& tree) {
    for (int n = 1; n <= count; ++n)
      tree.DeleteKey(ServerKeyPath(n));
    for (std::size_t i = 0; i < remaining.size(); ++i) {
      PutEntry(tree, static_cast<int>(i + 1), remaining[i]);
    }
    tree.SetValue(ServersKey(), "Count",
                  RegistryValue::Dword(static_cast<std::uint32_t>(remaining.size())));
  });
  LoadServerList(context);
  CopyFirstServerToSides(context);
}

bool ConfirmAndRemoveServer(ApplicationContext& context,
                            const std::optional<std::string>& selected_name) {
  if (!selected_name) {
    context.ui.ShowMessage("Please select the server to be removed from the list.",
                           MessageIcon::kInformation);
    return false;
  }
  const Answer answer = context.ui.Ask("Are you sure that you want to remove\r\n\r\n" +
                                           *selected_name + "\r\n\r\nfrom the list of servers?",
                                       "Confirm Removing Server", Answer::kYes);
  if (answer != Answer::kYes)
    return false;
  RemoveServerByName(context, *selected_name);
  return true;
}

bool CanOpenRemoveServerDialog(ApplicationContext& context) {
  if (CountServers(context) > 0)
    return true;
  context.ui.ShowMessage("There are no servers stored in the list.", MessageIcon::kInformation);
  return false;
}

}  // namespace korvane

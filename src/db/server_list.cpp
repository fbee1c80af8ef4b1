#include "db/server_list.h"

#include <algorithm>

#include "base/text.h"
#include "base/user_interface.h"
#include "db/data_access_context.h"

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

std::string TreeString(const RegistryTree& tree, const std::string& key, std::string_view name) {
  const RegistryValue* value = tree.FindValue(key, name);
  if (value == nullptr || value->kind != RegistryValue::Kind::kString)
    return {};
  return value->text.substr(0, value->text.find('\0'));
}

// The same entry read from a tree of paths relative to the hive, as a store change sees it.
ServerRecord ReadEntry(const RegistryTree& tree, int n) {
  const std::string key = ServerKeyPath(n);
  ServerRecord record;
  record.Name = TreeString(tree, key, "Name");
  const RegistryValue* auth = tree.FindValue(key, "SQLAuth");
  record.SQLAuth =
      auth != nullptr && auth->kind == RegistryValue::Kind::kDword && auth->number == 1;
  record.LoginName = TreeString(tree, key, "LoginName");
  record.Password = TreeString(tree, key, "Pwd");
  record.MRUDb = TreeString(tree, key, "MRUDb");
  record.RegIndex = n;
  record.Version = TreeString(tree, key, "Version");
  return record;
}

// The stored count: a DWORD read as a signed 32-bit number, negative values as 0.
int StoredCount(const SettingsStore& store) {
  const auto count = static_cast<std::int32_t>(store.GetNumber(ServersKey(), "Count", 0));
  return count < 0 ? 0 : count;
}

// The number N of a subkey named "Server" + N (N from 1, digits only); 0 for any other name.
int EntryNumber(std::string_view subkey) {
  constexpr std::string_view kPrefix = "server";
  if (subkey.size() <= kPrefix.size() || subkey.size() > kPrefix.size() + 9 ||
      !EqualsIgnoringCase(subkey.substr(0, kPrefix.size()), kPrefix)) {
    return 0;
  }
  int number = 0;
  for (const char c : subkey.substr(kPrefix.size())) {
    if (c < '0' || c > '9')
      return 0;
    number = number * 10 + (c - '0');
  }
  return number;
}

int HighestEntry(const std::vector<std::string>& subkeys) {
  int highest = 0;
  for (const std::string& name : subkeys)
    highest = std::max(highest, EntryNumber(name));
  return highest;
}

// How many entries the list has: the stored count, but never beyond the highest "ServerN"
// subkey that exists, so a damaged count cannot make the program loop or allocate by it.
struct EntryCount {
  int entries = 0;
  int stored = 0;
};
EntryCount CountEntries(const SettingsStore& store) {
  EntryCount count;
  count.stored = StoredCount(store);
  count.entries =
      count.stored == 0 ? 0 : std::min(count.stored, HighestEntry(store.SubkeyNames(ServersKey())));
  return count;
}

// The same on a tree of paths relative to the hive, as a store change sees it.
int CountEntries(const RegistryTree& tree) {
  const RegistryValue* value = tree.FindValue(ServersKey(), "Count");
  const auto stored = value != nullptr && value->kind == RegistryValue::Kind::kDword
                          ? static_cast<std::int32_t>(value->number)
                          : 0;
  if (stored <= 0)
    return 0;
  return std::min<int>(stored, HighestEntry(tree.SubkeyNames(ServersKey())));
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

void LoadServerList(DataAccessContext& context) {
  const SettingsStore::ReadScope one_read(context.settings_store);
  context.servers.clear();
  const EntryCount count = CountEntries(context.settings_store);
  if (count.stored > count.entries && !context.servers_count_notice_shown) {
    context.servers_count_notice_shown = true;
    context.ui.ShowMessage(ServersCountNotice(count.stored, count.entries),
                           MessageIcon::kExclamation, kServersCountTitle);
  }
  context.servers.reserve(static_cast<std::size_t>(count.entries));
  for (int n = 1; n <= count.entries; ++n)
    context.servers.push_back(ReadEntry(context.settings_store, n));
}

std::string ServersCountNotice(int stored, int entries) {
  return "The server list says it holds " + std::to_string(stored) + " servers, but only " +
         std::to_string(entries) + " are stored.\r\n\r\nThe program uses the " +
         std::to_string(entries) +
         " stored servers; the count is corrected at the next change "
         "of the list.";
}

int CountServers(DataAccessContext& context) {
  LoadServerList(context);
  return static_cast<int>(context.servers.size());
}

bool FindServer(DataAccessContext& context, ServerRecord& record) {
  const std::string name = record.Name;
  record = ServerRecord{};
  record.Name = name;
  const SettingsStore::ReadScope one_read(context.settings_store);
  const int count = CountEntries(context.settings_store).entries;
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

void CopyFirstServerToSides(DataAccessContext& context) {
  for (ServerRecord& side : context.CurrentServers) {
    if (context.servers.empty()) {
      side = ServerRecord{};
    } else {
      CopyEntryToSide(context.servers.front(), side);
    }
  }
}

bool UpdateMRUDb(DataAccessContext& context, ServerRecord& side, std::string_view database) {
  if (side.RegIndex <= 0)
    return true;
  side.MRUDb = database;
  const auto index = static_cast<std::size_t>(side.RegIndex - 1);
  if (index < context.servers.size())
    context.servers[index].MRUDb = database;
  return context.settings_store.SaveString(ServerKeyPath(side.RegIndex), "MRUDb", database);
}

void SaveServerVersion(SettingsStore& store, int reg_index, std::string_view version) {
  store.SaveString(ServerKeyPath(reg_index), "Version", version);
}

AddServerOutcome AddServer(DataAccessContext& context, const AddServerForm& form,
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
  switch (AppendServer(context, record)) {
    case AppendServerOutcome::kAdded:
      break;
    case AppendServerOutcome::kAlreadyListed:
      ui.ShowMessage("This server is already added to the list.");
      return {false, AddServerField::kServer};
    case AppendServerOutcome::kNotSaved:
      ui.ShowMessage(context.settings_store.last_error(), MessageIcon::kExclamation,
                     kServerListNotSavedTitle);
      return {false, AddServerField::kNone, true};
  }
  LoadServerList(context);
  CopyFirstServerToSides(context);
  return {true, AddServerField::kNone};
}

AppendServerOutcome AppendServer(DataAccessContext& context, const ServerRecord& record) {
  // The entry goes after the entries stored when the file is read again inside its lock, so a
  // server another run added meanwhile is kept (and a name it added is not added twice).
  bool listed = false;
  const bool written = context.settings_store.UpdateIf([&](RegistryTree& tree) {
    const int count = CountEntries(tree);
    for (int n = 1; n <= count; ++n) {
      if (EqualsIgnoringCase(TreeString(tree, ServerKeyPath(n), "Name"), record.Name)) {
        listed = true;
        return false;
      }
    }
    const int n = count + 1;
    tree.SetValue(ServersKey(), "Count", RegistryValue::Dword(static_cast<std::uint32_t>(n)));
    PutEntry(tree, n, record);
    return true;
  });
  LoadServerList(context);
  if (listed)
    return AppendServerOutcome::kAlreadyListed;
  return written ? AppendServerOutcome::kAdded : AppendServerOutcome::kNotSaved;
}

bool RemoveServerByName(DataAccessContext& context, std::string_view name) {
  // Read again inside the lock: entries another run added or removed meanwhile are kept as
  // they now are.
  const bool written = context.settings_store.Update([&](RegistryTree& tree) {
    const int count = CountEntries(tree);
    std::vector<ServerRecord> remaining;
    for (int n = 1; n <= count; ++n) {
      ServerRecord entry = ReadEntry(tree, n);
      if (entry.Name != name)
        remaining.push_back(std::move(entry));
    }
    for (int n = 1; n <= count; ++n)
      tree.DeleteKey(ServerKeyPath(n));
    for (std::size_t i = 0; i < remaining.size(); ++i)
      PutEntry(tree, static_cast<int>(i + 1), remaining[i]);
    tree.SetValue(ServersKey(), "Count",
                  RegistryValue::Dword(static_cast<std::uint32_t>(remaining.size())));
  });
  if (!written) {
    context.ui.ShowMessage(context.settings_store.last_error(), MessageIcon::kExclamation,
                           kServerListNotSavedTitle);
  }
  LoadServerList(context);
  CopyFirstServerToSides(context);
  return written;
}

bool ConfirmAndRemoveServer(DataAccessContext& context,
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
  return RemoveServerByName(context, *selected_name);
}

bool CanOpenRemoveServerDialog(DataAccessContext& context) {
  if (CountServers(context) > 0)
    return true;
  context.ui.ShowMessage("There are no servers stored in the list.", MessageIcon::kInformation);
  return false;
}

}  // namespace korvane

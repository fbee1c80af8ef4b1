// The list of servers the user keeps, stored under Software\KVN\Servers:
//
//   [...\Servers]          "Count"=dword:N
//   [...\Servers\Server1]  "Name", "SQLAuth" (1 SQL login, else Windows), "LoginName", "Pwd",
//                          "MRUDb", "Version"
//
// The store is the master copy; the in-memory list (DataAccessContext::servers) is rebuilt
// from it after every change. Adding and removing write the whole change as one store write,
// so a crash cannot leave a half-renumbered list.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "db/server_record.h"

namespace korvane {

struct DataAccessContext;
class SettingsStore;

// "Software\KVN\Servers\Server" + n.
std::string ServerKeyPath(int n);

// The major version: the leading number of Version's text before its first "." (all of it when
// there is none), after trimming; 0 for an empty or non-numeric text.
int ComputeNumVersion(std::string_view version);

inline constexpr std::string_view kServersCountTitle = "Server List";
inline constexpr std::string_view kServerListNotSavedTitle = "Server List Not Saved";

// Reads the list from the store into context.servers: entries 1 up to the stored "Count", but
// never beyond the highest "ServerN" subkey that exists. When the count claims more, says so
// once a run (ServersCountNotice, exclamation icon, title kServersCountTitle).
void LoadServerList(DataAccessContext& context);

// The notice for a stored count larger than the entries stored.
std::string ServersCountNotice(int stored, int entries);

// Loads the list and returns its number of entries (a negative stored count reads as 0).
int CountServers(DataAccessContext& context);

// Looks record.Name up in the stored list (exact, case-sensitive) and fills the record; when no
// entry matches, shows "Server '<name>' not found." and leaves only the name. True when found.
bool FindServer(DataAccessContext& context, ServerRecord& record);

// Copies entry 1 (Name to Version, NumVersion computed) into both sides, or empties both when the
// list is empty. The schema flags of the sides are left as they are.
void CopyFirstServerToSides(DataAccessContext& context);

// Copies one entry into a side record, as choosing a server for a side does.
void CopyEntryToSide(const ServerRecord& entry, ServerRecord& side);

// Records the database as the most recently used one of a listed server (RegIndex > 0): in the
// side record, the in-memory entry and the store. False when the store was not written.
bool UpdateMRUDb(DataAccessContext& context, ServerRecord& side, std::string_view database);

// Writes "Version" of the entry's key.
void SaveServerVersion(SettingsStore& store, int reg_index, std::string_view version);

// --- Add server ---------------------------------------------------------------------------------

struct AddServerForm {
  std::string server;
  std::string database = "master";
  bool sql_auth = true;
  std::string login;
  std::string password;
};

enum class AddServerField { kNone, kServer, kDatabase, kLogin };

struct AddServerOutcome {
  bool added = false;
  AddServerField focus = AddServerField::kNone;  // the field at fault when not added
  bool write_failed = false;  // the entry was valid but the store could not be written
};

// Tests that a new entry can connect; the data-access layer provides the real test.
using ConnectionTest = std::function<bool(const ServerRecord& record)>;

// The OK of the add-server dialog: validation in order, the duplicate test (ignoring case), the
// connection test, then the new entry appended (after the entries stored when the file is read
// again inside its lock; the duplicate test is repeated there), the list reloaded and the first
// entry copied to both sides. A store that cannot be written is reported (its reason, title
// kServerListNotSavedTitle) and nothing is added.
AddServerOutcome AddServer(DataAccessContext& context, const AddServerForm& form,
                           const ConnectionTest& test_connection);

enum class AppendServerOutcome { kAdded, kAlreadyListed, kNotSaved };

// Appends `record` as the last entry unless a stored entry has its name (in any letter case),
// reading the store again inside its lock; reloads the list. Shows nothing: kNotSaved leaves
// the reason in the store's last_error().
AppendServerOutcome AppendServer(DataAccessContext& context, const ServerRecord& record);

// --- Remove server ------------------------------------------------------------------------------

// Removes every entry named `name` (exact comparison) and renumbers the rest in order; reloads
// the list and copies the first entry to both sides. False, with the store's reason (title
// kServerListNotSavedTitle), when the store could not be written.
bool RemoveServerByName(DataAccessContext& context, std::string_view name);

// "&Remove" of the remove-server dialog with the first selected name (nothing when none is
// selected): the selection message, the confirmation, then the removal. True when removed
// (and written).
bool ConfirmAndRemoveServer(DataAccessContext& context,
                            const std::optional<std::string>& selected_name);

// The main window's "&Remove Server" check: false (with the message) when the list is empty.
bool CanOpenRemoveServerDialog(DataAccessContext& context);

}  // namespace korvane

// The embedded server on disk: a folder holding the server file (the product version the server
// reports) and one SQLite file per database, master listing them all in its sysdatabases.
//
//   <folder>/server.ini    ProductVersion=9.00.5000.00
//   <folder>/master.db     master (sysdatabases), also tempdb.db, model.db, msdb.db
//   <folder>/<name>.db     user databases
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::embedded {

class SqliteDatabase;

inline constexpr std::string_view kServerPrefix = "embedded:";
inline constexpr std::string_view kDefaultProductVersion = "9.00.5000.00";

// The folder an `embedded:<x>` server name denotes: a path when x contains "/", else the folder
// x under `servers_folder`. nullopt when the name is not an embedded server's. A name without the
// prefix is taken as x itself when `allow_bare` is set (the loader's API).
std::optional<std::filesystem::path> ResolveServerFolder(
    std::string_view server, const std::filesystem::path& servers_folder, bool allow_bare = false);

// The major version of a product version text: "8.00.2039" -> 8.
int MajorVersionOf(const std::string& product_version);

class ServerFolder {
 public:
  explicit ServerFolder(std::filesystem::path folder) : folder_(std::move(folder)) {}

  const std::filesystem::path& folder() const { return folder_; }
  // A server exists when its folder holds master.
  bool Exists() const;
  // Creates the folder, the server file and the system databases; false with `error` set.
  bool Create(std::string_view product_version, std::string* error);

  std::string ProductVersion() const;
  int MajorVersion() const;
  std::filesystem::path MasterFile() const { return folder_ / "master.db"; }
  std::filesystem::path ServerFile() const { return folder_ / "server.ini"; }

  // The file of a database (names compare as SQL Server compares them); nullopt when master
  // does not list it.
  std::optional<std::filesystem::path> DatabaseFile(const std::string& name) const;
  // The database names, in dbid order.
  std::vector<std::string> DatabaseNames() const;
  // Creates an empty user database; throws SqlError.
  std::filesystem::path CreateDatabase(const std::string& name);
  // Takes a database out of master's list and deletes its file (undoing CreateDatabase).
  void RemoveDatabase(const std::string& name);
  // sp_attach_db: lists an existing engine database file under a name; throws SqlError
  // (1801 name taken, 5120 missing file, 5172 not an engine database). With `session`, master
  // is read and changed through that connection (master attached to it as `master_schema`), so
  // the listing belongs to the session's open transaction and sees its earlier attachments.
  void Attach(const std::string& name, const std::vector<std::string>& files,
              SqliteDatabase* session = nullptr, const std::string& master_schema = "master");

 private:
  void Register(const std::string& name, const std::filesystem::path& file, int dbid,
                SqliteDatabase* session = nullptr, const std::string& master_schema = "master");

  std::filesystem::path folder_;
};

}  // namespace korvane::embedded

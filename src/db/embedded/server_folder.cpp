#include "db/embedded/server_folder.h"

#include "base/files.h"
#include "base/text.h"
#include "db/embedded/catalog_schema.h"
#include "db/embedded/sql_error.h"
#include "db/embedded/sql_functions.h"
#include "db/embedded/sqlite_database.h"

namespace korvane::embedded {
namespace fs = std::filesystem;
namespace {

constexpr const char* kServerFile = "server.ini";

void OpenMaster(SqliteDatabase& db, const fs::path& file) {
  std::string error;
  if (!db.Open(file, false, &error))
    throw SqlError(17, "SQL Server does not exist or access denied. (" + error + ")");
  RegisterCollation(db.handle());
}

std::string FileStem(const std::string& name) {
  std::string stem;
  for (unsigned char c : name)
    stem += (std::isalnum(c) || c == '_' || c == '-') ? static_cast<char>(c) : '_';
  return stem.empty() ? std::string("db") : stem;
}

void CreateDatabaseFile(const fs::path& file, int version, bool is_master) {
  SqliteDatabase db;
  std::string error;
  if (!db.Open(file, true, &error))
    throw SqlError(5123,
                   "CREATE FILE encountered operating system error while attempting to open "
                   "or create the physical file '" +
                       file.string() + "': " + error);
  RegisterCollation(db.handle());
  db.Exec("BEGIN");
  CreateSystemTables(db, version, is_master);
  db.Exec("COMMIT");
}

}  // namespace

std::optional<fs::path> ResolveServerFolder(std::string_view server, const fs::path& servers_folder,
                                            bool allow_bare) {
  std::string_view rest;
  if (server.size() >= kServerPrefix.size() &&
      EqualsIgnoringCase(server.substr(0, kServerPrefix.size()), kServerPrefix))
    rest = server.substr(kServerPrefix.size());
  else if (allow_bare)
    rest = server;
  else
    return std::nullopt;
  if (rest.empty() || rest == "." || rest == "..")
    return std::nullopt;
  if (rest.find('/') != std::string_view::npos)
    return fs::absolute(fs::path(std::string(rest))).lexically_normal();
  return servers_folder / std::string(rest);
}

bool ServerFolder::Exists() const {
  std::error_code error;
  return fs::is_regular_file(MasterFile(), error);
}

bool ServerFolder::Create(std::string_view product_version, std::string* error) {
  try {
    std::error_code code;
    fs::create_directories(folder_, code);
    if (code) {
      if (error)
        *error = "Cannot create the server folder " + folder_.string() + ": " + code.message();
      return false;
    }
    if (!WriteFileAtomically(folder_ / kServerFile,
                             "ProductVersion=" + std::string(product_version) + "\n")) {
      if (error)
        *error = "Cannot write the server file in " + folder_.string();
      return false;
    }
    const int version = MajorVersion();
    CreateDatabaseFile(MasterFile(), version, true);
    Register("master", MasterFile(), 1);
    const char* system[] = {"tempdb", "model", "msdb"};
    for (int i = 0; i < 3; ++i) {
      const fs::path file = folder_ / (std::string(system[i]) + ".db");
      CreateDatabaseFile(file, version, false);
      Register(system[i], file, i + 2);
    }
    return true;
  } catch (const SqlError& e) {
    if (error)
      *error = e.what();
    return false;
  }
}

std::string ServerFolder::ProductVersion() const {
  const auto text = ReadWholeFile(folder_ / kServerFile);
  if (text) {
    for (const auto& line : Split(*text, "\n")) {
      const std::string trimmed(Trim(ReplaceAll(line, "\r", "")));
      if (trimmed.rfind("ProductVersion=", 0) == 0 && trimmed.size() > 15)
        return trimmed.substr(15);
    }
  }
  return std::string(kDefaultProductVersion);
}

int MajorVersionOf(const std::string& version) {
  return static_cast<int>(LeadingNumber(version.substr(0, version.find('.'))));
}

int ServerFolder::MajorVersion() const {
  return MajorVersionOf(ProductVersion());
}

std::optional<fs::path> ServerFolder::DatabaseFile(const std::string& name) const {
  SqliteDatabase db;
  OpenMaster(db, MasterFile());
  auto stmt = db.Prepare("SELECT filename FROM sysdatabases WHERE name = ?");
  stmt.Bind(1, std::string_view(name));
  if (!stmt.Step())
    return std::nullopt;
  fs::path file = stmt.Text(0);
  if (file.is_relative())
    file = folder_ / file;
  return file;
}

std::vector<std::string> ServerFolder::DatabaseNames() const {
  SqliteDatabase db;
  OpenMaster(db, MasterFile());
  std::vector<std::string> names;
  auto stmt = db.Prepare("SELECT name FROM sysdatabases ORDER BY dbid");
  while (stmt.Step())
    names.push_back(stmt.Text(0));
  return names;
}

void ServerFolder::Register(const std::string& name, const fs::path& file, int dbid,
                            SqliteDatabase* session, const std::string& master_schema) {
  SqliteDatabase own;
  if (!session)
    OpenMaster(own, MasterFile());
  SqliteDatabase& db = session ? *session : own;
  const std::string table = session ? master_schema + ".sysdatabases" : "sysdatabases";
  const int version = MajorVersion();
  // Files inside the server folder are recorded by name, so the folder can move.
  std::error_code error;
  fs::path recorded = file;
  if (fs::equivalent(file.parent_path(), folder_, error))
    recorded = file.filename();
  auto stmt = db.Prepare("INSERT INTO " + table +
                         " (name, dbid, crdate, cmptlevel, filename, version, status, status2) "
                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
  stmt.Bind(1, std::string_view(name))
      .Bind(2, static_cast<std::int64_t>(dbid))
      .Bind(3, std::string_view(NowText()))
      .Bind(4, static_cast<std::int64_t>(version >= 9 ? 90 : 80))
      .Bind(5, std::string_view(recorded.string()))
      .Bind(6, static_cast<std::int64_t>(version >= 9 ? 611 : 539))
      .Bind(7, static_cast<std::int64_t>(dbid == 2 ? 8 : 16))
      .Bind(8, static_cast<std::int64_t>(1090519040));
  stmt.Step();
}

fs::path ServerFolder::CreateDatabase(const std::string& name) {
  if (name.empty() || Utf8Length(name) > 128)
    throw SqlError(102, "Incorrect syntax near '" + name + "'.");
  if (DatabaseFile(name))
    throw SqlError(1801, "Database '" + name + "' already exists.");
  SqliteDatabase master;
  OpenMaster(master, MasterFile());
  const int dbid =
      static_cast<int>(QueryInt(master, "SELECT max(dbid) + 1 FROM sysdatabases").value_or(5));
  master.Close();
  fs::path file = folder_ / (FileStem(name) + ".db");
  std::error_code error;
  if (fs::exists(file, error))
    file = folder_ / (FileStem(name) + "_" + std::to_string(dbid) + ".db");
  CreateDatabaseFile(file, MajorVersion(), false);
  Register(name, file, std::max(dbid, 5));
  return file;
}

void ServerFolder::RemoveDatabase(const std::string& name) {
  auto file = DatabaseFile(name);
  SqliteDatabase master;
  OpenMaster(master, MasterFile());
  auto stmt = master.Prepare("DELETE FROM sysdatabases WHERE name = ?");
  stmt.Bind(1, std::string_view(name));
  stmt.Step();
  if (file) {
    std::error_code error;
    fs::remove(*file, error);
    fs::remove(fs::path(file->string() + "-journal"), error);
  }
}

void ServerFolder::Attach(const std::string& name, const std::vector<std::string>& files,
                          SqliteDatabase* session, const std::string& master_schema) {
  const std::string table = session ? master_schema + ".sysdatabases" : "sysdatabases";
  bool taken = false;
  if (session) {
    auto names = session->Prepare("SELECT name FROM " + table);
    while (!taken && names.Step())
      taken = CompareNames(names.Text(0), name) == 0;
  } else {
    taken = DatabaseFile(name).has_value();
  }
  if (taken)
    throw SqlError(1801, "Database '" + name + "' already exists.");
  // The engine keeps no log file: the second file of sp_attach_db is not read.
  const fs::path file = fs::absolute(fs::path(files.at(0)));
  std::error_code error;
  if (!fs::is_regular_file(file, error))
    throw SqlError(5120, "Unable to open the physical file \"" + file.string() +
                             "\". Operating system error 2: \"2(The system cannot find the file "
                             "specified.)\".");
  // A file that backs a listed database (master's own included) is in use: attaching it a
  // second time would give two databases one storage.
  {
    SqliteDatabase own_master;
    if (!session)
      OpenMaster(own_master, MasterFile());
    std::vector<fs::path> in_use = {MasterFile()};
    auto files_listed = (session ? *session : own_master).Prepare("SELECT filename FROM " + table);
    while (files_listed.Step()) {
      fs::path listed = files_listed.Text(0);
      in_use.push_back(listed.is_relative() ? folder_ / listed : listed);
    }
    for (const auto& listed : in_use)
      if (fs::equivalent(file, listed, error))
        throw SqlError(5120, "Unable to open the physical file \"" + file.string() +
                                 "\". Operating system error 32: \"32(The process cannot access "
                                 "the file because it is being used by another process.)\".");
  }
  {
    SqliteDatabase db;
    std::string open_error;
    const bool opened = db.Open(file, false, &open_error);
    bool valid = false;
    if (opened) {
      RegisterCollation(db.handle());
      try {
        valid = QueryInt(db,
                         "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                         "('sysobjects', 'syscolumns', 'kvn_meta')")
                    .value_or(0) == 3;
      } catch (const SqlError&) {
        valid = false;
      }
    }
    if (!valid)
      throw SqlError(
          5172, "The header for file '" + file.string() + "' is not a valid database file header.");
  }
  SqliteDatabase own;
  if (!session)
    OpenMaster(own, MasterFile());
  const int dbid = static_cast<int>(
      QueryInt(session ? *session : own, "SELECT max(dbid) + 1 FROM " + table).value_or(5));
  own.Close();
  Register(name, file, std::max(dbid, 5), session, master_schema);
}

}  // namespace korvane::embedded

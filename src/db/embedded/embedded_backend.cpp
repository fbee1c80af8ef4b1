#include "db/embedded/embedded_backend.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "base/text.h"
#include "db/embedded/batch_executor.h"
#include "db/embedded/embedded_database.h"
#include "db/embedded/query_translator.h"
#include "db/embedded/server_folder.h"
#include "db/embedded/sql_error.h"
#include "db/embedded/value_conversion.h"

namespace korvane {
namespace {

using embedded::BatchExecutor;
using embedded::EmbeddedDatabase;
using embedded::MakeServerMessage;
using embedded::ServerFolder;
using embedded::SqlError;

// What identifies a file on disk: a replaced file (deleted and created anew, renamed over) has
// another identity even when its name, size and time are the same.
struct FileStamp {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t modified = 0;  // nanoseconds
  std::int64_t size = -1;
  bool operator==(const FileStamp&) const = default;
};

// The same file, though perhaps written since. An open file's identity cannot be reused.
bool SameFile(const FileStamp& a, const FileStamp& b) {
  return a.device == b.device && a.inode == b.inode;
}

std::optional<FileStamp> StampOf(const std::filesystem::path& file) {
  FileStamp stamp;
#ifndef _WIN32
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    return std::nullopt;
  stamp.device = static_cast<std::uint64_t>(info.st_dev);
  stamp.inode = static_cast<std::uint64_t>(info.st_ino);
  stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 +
                   static_cast<std::int64_t>(info.st_mtim.tv_nsec);
  stamp.size = static_cast<std::int64_t>(info.st_size);
#else
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error))
    return std::nullopt;
  stamp.modified = std::filesystem::last_write_time(file, error).time_since_epoch().count();
  stamp.size = static_cast<std::int64_t>(std::filesystem::file_size(file, error));
#endif
  return stamp;
}

// The stamps under which a pooled database may be handed out again: the server file unchanged,
// master and the database file the same files, and master's content unchanged (no database
// created, dropped or attached since) as SQLite's data version tells.
struct PoolStamps {
  FileStamp server_file;
  FileStamp master;
  FileStamp database;
  std::int64_t master_data_version = 0;
  bool versioned = false;  // master_data_version was read on this connection
};

std::optional<std::int64_t> MasterDataVersion(EmbeddedDatabase& database) {
  sqlite3_stmt* stmt = database.info().statements->Get(
      database.is_master() ? "PRAGMA main.data_version" : "PRAGMA master.data_version");
  if (!stmt || sqlite3_step(stmt) != SQLITE_ROW)
    return std::nullopt;
  const std::int64_t version = sqlite3_column_int64(stmt, 0);
  sqlite3_reset(stmt);
  return version;
}

// The current stamps of a server's files; nullopt when one of them is missing.
std::optional<PoolStamps> FileStampsOf(const ServerFolder& server,
                                       const std::filesystem::path& database_file) {
  auto server_file = StampOf(server.ServerFile());
  auto master = StampOf(server.MasterFile());
  auto database = StampOf(database_file);
  if (!server_file || !master || !database)
    return std::nullopt;
  return PoolStamps{*server_file, *master, *database, 0};
}

struct Deadline {
  std::optional<std::chrono::steady_clock::time_point> end;
  const std::atomic<bool>* cancel = nullptr;
  // A cursor's time-out bounds each move: the clock starts at the move's first check.
  std::optional<std::chrono::steady_clock::duration> per_step;
  bool step_started = false;
  bool expired = false;
  bool cancelled = false;
  void StartStep() { step_started = false; }
  static int Check(void* self) {
    auto* deadline = static_cast<Deadline*>(self);
    const auto now = std::chrono::steady_clock::now();
    if (deadline->per_step && !deadline->step_started) {
      deadline->step_started = true;
      deadline->end = now + *deadline->per_step;
    }
    if (deadline->end && now >= *deadline->end)
      deadline->expired = true;
    if (deadline->cancel && deadline->cancel->load())
      deadline->cancelled = true;
    return deadline->expired || deadline->cancelled ? 1 : 0;
  }
};

// What a client reports for a command ended by its cancel flag or its time-out.
std::optional<ServerMessage> DeadlineMessage(const Deadline& deadline) {
  ServerMessage message;
  message.number = 0;
  if (deadline.cancelled) {
    message.sqlstate = "HY008";
    message.text = "Operation canceled";
    return message;
  }
  if (deadline.expired) {
    message.sqlstate = "HYT00";
    message.text = "Timeout expired";
    return message;
  }
  return std::nullopt;
}

}  // namespace

// Databases whose sessions ended, kept open per (server folder, database) for the next Open.
// Shared with the sessions so that one outliving the backend simply closes its database.
struct EmbeddedBackend::Pool {
  static constexpr std::size_t kMaxIdle = 16;

  struct Idle {
    std::unique_ptr<EmbeddedDatabase> database;
    std::filesystem::path file;
    PoolStamps stamps;
  };
  std::mutex mutex;
  std::multimap<std::string, Idle> idle;

  // An idle database for the key whose stamps still hold, or nullopt. Stale ones are closed.
  std::optional<Idle> Take(const std::string& key, const ServerFolder& server) {
    for (;;) {
      Idle entry;
      {
        std::lock_guard lock(mutex);
        const auto it = idle.find(key);
        if (it == idle.end())
          return std::nullopt;
        entry = std::move(it->second);
        idle.erase(it);
      }
      const auto now = FileStampsOf(server, entry.file);
      if (!now || now->server_file != entry.stamps.server_file ||
          now->master != entry.stamps.master || now->database != entry.stamps.database) {
        continue;  // `entry` closes its database here
      }
      const auto version = MasterDataVersion(*entry.database);
      if (version && *version == entry.stamps.master_data_version)
        return entry;
    }
  }

  // Takes a database back after its session; it is closed instead when it cannot be reset or
  // when a file it was opened on was replaced meanwhile. The stamps are taken anew, so that the
  // session's own writes do not make the database look stale.
  // A session that wrote nothing hands back the stamps it was given: any change by others since
  // then still shows at the next Take.
  void Give(const std::string& key, std::unique_ptr<EmbeddedDatabase> database,
            const std::filesystem::path& folder, const std::filesystem::path& file,
            const PoolStamps& opened, bool wrote) {
    sqlite3* handle = database->db().handle();
    // A statement stepped but not finished keeps a read lock that would stall other writers.
    for (sqlite3_stmt* stmt = sqlite3_next_stmt(handle, nullptr); stmt;
         stmt = sqlite3_next_stmt(handle, stmt))
      sqlite3_reset(stmt);
    if (!sqlite3_get_autocommit(handle))
      sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
    if (!sqlite3_get_autocommit(handle))
      return;
    // The session's own settings and counters never reach the next user.
    embedded::SessionInfo& info = database->info();
    info.identity_insert_table = 0;
    info.last_identity = -1;
    info.row_count = 0;
    if (!wrote && opened.versioned) {
      Keep(key, Idle{std::move(database), file, opened});
      return;
    }
    // Master's version first: a change after it shows at the next Take.
    const auto version = MasterDataVersion(*database);
    const auto now = FileStampsOf(ServerFolder(folder), file);
    if (!version || !now || now->server_file != opened.server_file ||
        !SameFile(now->master, opened.master) || !SameFile(now->database, opened.database))
      return;
    Idle entry{std::move(database), file, *now};
    entry.stamps.master_data_version = *version;
    entry.stamps.versioned = true;
    Keep(key, std::move(entry));
  }

 private:
  void Keep(const std::string& key, Idle entry) {
    std::unique_ptr<EmbeddedDatabase> closed;  // closed outside the lock
    std::lock_guard lock(mutex);
    idle.emplace(key, std::move(entry));
    if (idle.size() > kMaxIdle) {
      closed = std::move(idle.begin()->second.database);
      idle.erase(idle.begin());
    }
  }
};

namespace {

// The rows of one SELECT read straight from sqlite3_step, inside a read transaction that lasts
// as long as the cursor, with the command's time-out (per move) and cancel flag watched by the
// connection's progress handler meanwhile.
class EmbeddedRowCursor final : public RowCursor {
 public:
  EmbeddedRowCursor(EmbeddedDatabase& database, embedded::PreparedSelect select,
                    std::unique_ptr<Deadline> deadline)
      : database_(database),
        select_(std::move(select)),
        deadline_(std::move(deadline)),
        scratch_(select_.columns.size()) {}
  ~EmbeddedRowCursor() override { End(); }
  EmbeddedRowCursor(const EmbeddedRowCursor&) = delete;
  EmbeddedRowCursor& operator=(const EmbeddedRowCursor&) = delete;

  const std::vector<ColumnInfo>& Columns() const override { return select_.columns; }

  bool Next() override {
    if (ended_)
      return false;
    deadline_->StartStep();
    const int code = sqlite3_step(select_.statement.handle());
    if (code == SQLITE_ROW) {
      ++rows_;
      return true;
    }
    if (code != SQLITE_DONE) {
      if (auto ended = DeadlineMessage(*deadline_)) {
        errors_.push_back(*ended);
      } else {
        errors_.push_back(embedded::TranslateSqliteError(sqlite3_errmsg(database_.db().handle()),
                                                         database_.MajorVersion()));
      }
    }
    End();
    return false;
  }

  FieldView Field(int index) const override {
    if (ended_ || rows_ == 0 || index < 0 ||
        static_cast<std::size_t>(index) >= select_.columns.size())
      return {};
    const auto column = static_cast<std::size_t>(index);
    const auto& type = select_.types[column];
    return embedded::ReadField(select_.statement.handle(), index, type ? &*type : nullptr,
                               scratch_[column]);
  }

  void Fields(std::span<FieldView> out) const override {
    const std::size_t count = std::min(out.size(), select_.columns.size());
    if (ended_ || rows_ == 0) {
      std::fill(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(count), FieldView{});
      return;
    }
    embedded::ReadFields(select_.statement.handle(), select_.types, scratch_, out.first(count));
  }

  const std::vector<ServerMessage>& Errors() const override { return errors_; }

 private:
  // Finishes the statement and the read transaction, and takes the progress handler off.
  void End() {
    if (ended_)
      return;
    ended_ = true;
    sqlite3* handle = database_.db().handle();
    sqlite3_reset(select_.statement.handle());
    sqlite3_progress_handler(handle, 0, nullptr, nullptr);
    sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
    if (!sqlite3_get_autocommit(handle))
      sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
    database_.info().row_count = rows_;
  }

  EmbeddedDatabase& database_;
  embedded::PreparedSelect select_;
  std::unique_ptr<Deadline> deadline_;
  mutable std::vector<std::string> scratch_;
  std::vector<ServerMessage> errors_;
  std::int64_t rows_ = 0;
  bool ended_ = false;
};

class EmbeddedSession final : public DatabaseSession {
 public:
  EmbeddedSession(std::filesystem::path folder, std::unique_ptr<EmbeddedDatabase> database,
                  std::weak_ptr<EmbeddedBackend::Pool> pool, std::string key,
                  std::filesystem::path file, const PoolStamps& stamps)
      : folder_(std::move(folder)),
        database_(std::move(database)),
        pool_(std::move(pool)),
        key_(std::move(key)),
        file_(std::move(file)),
        stamps_(stamps) {}
  ~EmbeddedSession() override {
    if (auto pool = pool_.lock())
      pool->Give(key_, std::move(database_), folder_, file_, stamps_, wrote_);
  }
  EmbeddedSession(const EmbeddedSession&) = delete;
  EmbeddedSession& operator=(const EmbeddedSession&) = delete;

  CommandOutcome Execute(const CommandRequest& request) override {
    CommandOutcome outcome;
    outcome.parameter_values.resize(request.parameters.size());
    // The command time-out (0: none) interrupts SQLite and reports what a client reports.
    Deadline deadline;
    deadline.cancel = request.cancel;
    if (request.timeout_seconds > 0)
      deadline.end =
          std::chrono::steady_clock::now() + std::chrono::seconds(request.timeout_seconds);
    if (deadline.end || deadline.cancel)
      sqlite3_progress_handler(database_->db().handle(), 10000, &Deadline::Check, &deadline);
    struct ClearHandler {
      sqlite3* db;
      ~ClearHandler() { sqlite3_progress_handler(db, 0, nullptr, nullptr); }
    } clear{database_->db().handle()};
    try {
      if (request.type == CommandType::kStoredProcedure) {
        wrote_ = true;  // attaching writes master
        RunProcedure(request, &outcome);
      } else {
        database_->db().Exec("BEGIN");
        try {
          BatchExecutor executor(*database_);
          executor.set_attach_handler(
              [this](const std::string& name, const std::vector<std::string>& files) {
                wrote_ = true;
                ServerFolder(folder_).Attach(name, files);
              });
          outcome.result_sets = executor.Run(request.text);
          NoteWrites();
          database_->db().Exec("COMMIT");
        } catch (...) {
          NoteWrites();
          sqlite3_exec(database_->db().handle(), "ROLLBACK", nullptr, nullptr, nullptr);
          throw;
        }
      }
      outcome.ok = true;
    } catch (const SqlError& error) {
      outcome.ok = false;
      outcome.result_sets.clear();
      outcome.errors.push_back(error.message());
      const int number = error.message().number;
      if (number == 515 || number == 547 || number == 2601 || number == 2627 || number == 8152) {
        // Statement-ending errors are followed by the informational 3621.
        ServerMessage terminated = MakeServerMessage(3621, "The statement has been terminated.");
        terminated.severity = 0;
        terminated.sqlstate = "01000";
        outcome.errors.push_back(terminated);
      }
      if (auto ended = DeadlineMessage(deadline))
        outcome.errors = {*ended};
    } catch (const std::exception& error) {
      outcome.ok = false;
      outcome.result_sets.clear();
      outcome.errors.push_back(
          MakeServerMessage(50000, std::string("Internal error: ") + error.what()));
    }
    return outcome;
  }

  // A batch that is one SELECT streams; anything else runs whole and is walked in memory.
  CursorOutcome OpenCursor(const CommandRequest& request) override {
    if (request.type != CommandType::kText)
      return DatabaseSession::OpenCursor(request);
    CursorOutcome outcome;
    sqlite3* handle = database_->db().handle();
    auto deadline = std::make_unique<Deadline>();
    deadline->cancel = request.cancel;
    if (request.timeout_seconds > 0)
      deadline->per_step = std::chrono::seconds(request.timeout_seconds);
    try {
      database_->db().Exec("BEGIN");
      std::optional<embedded::PreparedSelect> select = [&] {
        try {
          return BatchExecutor(*database_).PrepareSingleSelect(request.text);
        } catch (...) {
          sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
          throw;
        }
      }();
      if (!select) {
        sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
        return DatabaseSession::OpenCursor(request);
      }
      if (deadline->per_step || deadline->cancel)
        sqlite3_progress_handler(handle, 10000, &Deadline::Check, deadline.get());
      outcome.cursor =
          std::make_unique<EmbeddedRowCursor>(*database_, std::move(*select), std::move(deadline));
    } catch (const SqlError& error) {
      outcome.errors.push_back(error.message());
    } catch (const std::exception& error) {
      outcome.errors.push_back(
          MakeServerMessage(50000, std::string("Internal error: ") + error.what()));
    }
    return outcome;
  }

 private:
  void RunProcedure(const CommandRequest& request, CommandOutcome* outcome) {
    std::string name(Trim(request.text));
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
      name = name.substr(dot + 1);
    const bool attach = EqualsIgnoringCase(name, "sp_attach_db");
    const bool single = EqualsIgnoringCase(name, "sp_attach_single_file_db");
    if (!attach && !single)
      throw SqlError(2812, "Could not find stored procedure '" + request.text + "'.");
    std::vector<std::string> values;
    for (const auto& parameter : request.parameters) {
      if (parameter.direction == ParameterDirection::kReturnValue)
        continue;
      values.push_back(parameter.value.type() == ValueType::kText ? parameter.value.AsText()
                                                                  : NullText(parameter.value));
    }
    if (values.size() < 2)
      throw SqlError(201, "Procedure or function '" + name +
                              "' expects parameter '@filename1', which was not supplied.");
    ServerFolder(folder_).Attach(values[0],
                                 std::vector<std::string>(values.begin() + 1, values.end()));
    for (std::size_t i = 0; i < request.parameters.size(); ++i)
      if (request.parameters[i].direction == ParameterDirection::kReturnValue)
        outcome->parameter_values[i] = Value::Integer(0);
      else
        outcome->parameter_values[i] = request.parameters[i].value;
  }

  // Whether the batch's transaction wrote to any of the connection's databases.
  void NoteWrites() {
    if (sqlite3_txn_state(database_->db().handle(), nullptr) == SQLITE_TXN_WRITE)
      wrote_ = true;
  }

  std::filesystem::path folder_;
  std::unique_ptr<EmbeddedDatabase> database_;
  std::weak_ptr<EmbeddedBackend::Pool> pool_;
  bool wrote_ = false;
  std::string key_;
  std::filesystem::path file_;
  PoolStamps stamps_;
};

ServerMessage Unreachable(const std::string& detail) {
  ServerMessage message =
      MakeServerMessage(17, "SQL Server does not exist or access denied. (" + detail + ")");
  message.sqlstate = "08001";
  return message;
}

}  // namespace

EmbeddedBackend::EmbeddedBackend(std::filesystem::path servers_folder)
    : servers_folder_(std::move(servers_folder)), pool_(std::make_shared<Pool>()) {}

EmbeddedBackend::~EmbeddedBackend() = default;

std::size_t EmbeddedBackend::IdleSessions() const {
  std::lock_guard lock(pool_->mutex);
  return pool_->idle.size();
}

void EmbeddedBackend::CloseIdleSessions() {
  std::multimap<std::string, Pool::Idle> closed;
  std::lock_guard lock(pool_->mutex);
  closed.swap(pool_->idle);
}

OpenOutcome EmbeddedBackend::Open(const ConnectionRequest& request) {
  OpenOutcome outcome;
  const auto folder = embedded::ResolveServerFolder(request.server, servers_folder_);
  if (!folder) {
    outcome.errors.push_back(Unreachable(
        "'" + request.server + "' is not an embedded server name; use embedded:<folder>"));
    return outcome;
  }
  ServerFolder server(*folder);
  const std::string database_name =
      request.database.empty() ? std::string("master") : request.database;
  // Names are matched as given; another spelling of the same database simply pools apart.
  const std::string key = folder->string() + '\n' + database_name;
  if (auto pooled = pool_->Take(key, server)) {
    outcome.session = std::make_unique<EmbeddedSession>(*folder, std::move(pooled->database), pool_,
                                                        key, pooled->file, pooled->stamps);
    return outcome;
  }
  if (!server.Exists()) {
    outcome.errors.push_back(Unreachable("no embedded server in " + folder->string()));
    return outcome;
  }
  try {
    const std::string& database = database_name;
    const auto file = server.DatabaseFile(database);
    const std::string version = server.ProductVersion();
    const int major = embedded::MajorVersionOf(version);
    std::error_code error;
    if (!file || !std::filesystem::is_regular_file(*file, error)) {
      ServerMessage message = MakeServerMessage(
          4060, major >= 9
                    ? "Cannot open database \"" + database +
                          "\" requested by the login. The login failed."
                    : "Cannot open database requested in login '" + database + "'. Login fails.");
      outcome.errors.push_back(message);
      return outcome;
    }
    embedded::SessionInfo info;
    info.product_version = version;
    info.major_version = major;
    // OBJECT_SCHEMA_NAME arrived with 2005 Service Pack 2 (9.00.3042).
    info.has_object_schema_name =
        major > 9 ||
        (major == 9 && LeadingNumber(version.size() > 5 ? version.substr(5) : "") >= 3042);
    info.server_name = folder->filename().string();
    {
      // The database's own name as master lists it.
      for (const auto& name : server.DatabaseNames())
        if (embedded::CompareNames(name, database) == 0)
          info.database_name = name;
    }
    auto db = std::make_unique<EmbeddedDatabase>();
    std::string open_error;
    if (!db->Open(*file, server.MasterFile(), info, &open_error)) {
      outcome.errors.push_back(MakeServerMessage(
          4060, major >= 9 ? "Cannot open database \"" + database +
                                 "\" requested by the login. The login failed. (" + open_error + ")"
                           : "Cannot open database requested in login '" + database +
                                 "'. Login fails. (" + open_error + ")"));
      return outcome;
    }
    // Stamped after opening: a file replaced in between is caught by the next Open.
    const auto stamps = FileStampsOf(server, *file);
    if (stamps) {
      outcome.session =
          std::make_unique<EmbeddedSession>(*folder, std::move(db), pool_, key, *file, *stamps);
    } else {
      outcome.session = std::make_unique<EmbeddedSession>(
          *folder, std::move(db), std::weak_ptr<Pool>(), key, *file, PoolStamps{});
    }
  } catch (const SqlError& error) {
    outcome.errors.push_back(error.message());
  }
  return outcome;
}

}  // namespace korvane

#include "db/embedded/script_loader.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "db/embedded/batch_executor.h"
#include "db/embedded/batch_reader.h"
#include "db/embedded/embedded_database.h"
#include "db/embedded/server_folder.h"
#include "db/embedded/sql_error.h"
#include "db/embedded/sql_tokenizer.h"

namespace korvane {
namespace {

using embedded::SqlError;

// A batch longer than this many pieces runs a window of that size at a time.
constexpr std::size_t kWindowPieces = 4;

// True when the batch holds only blanks and comments (an unclosed comment is not blank: running
// it reports the error).
bool IsBlank(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (std::isspace(c) || c == 0) {
      ++i;
    } else if (text.substr(i, 2) == "--") {
      i = text.find('\n', i);
    } else if (text.substr(i, 2) == "/*") {
      i = embedded::BlockCommentEnd(text, i);
      if (i == std::string_view::npos)
        return false;
    } else {
      return false;
    }
  }
  return true;
}

ScriptLoadResult Failure(const ServerMessage& message, int line) {
  ScriptLoadResult result;
  result.ok = false;
  result.error = message;
  result.line = line;
  result.message = "Msg " + std::to_string(message.number) + ", Level " +
                   std::to_string(message.severity) + ", State " + std::to_string(message.state) +
                   ", Line " + std::to_string(line) + "\n" + message.text;
  return result;
}

}  // namespace

bool CreateEmbeddedServer(const std::filesystem::path& servers_folder, std::string_view server,
                          std::string_view product_version, std::string* error) {
  const auto folder = embedded::ResolveServerFolder(server, servers_folder, true);
  if (!folder) {
    if (error)
      *error = "Not an embedded server name: " + std::string(server);
    return false;
  }
  embedded::ServerFolder target(*folder);
  if (target.Exists()) {
    if (error)
      *error = "An embedded server already exists in " + folder->string();
    return false;
  }
  return target.Create(product_version, error);
}

namespace {

ScriptLoadResult Load(const std::filesystem::path& servers_folder, std::string_view server,
                      std::string_view database, embedded::ScriptSource& source,
                      std::size_t piece_size) {
  const auto folder = embedded::ResolveServerFolder(server, servers_folder, true);
  if (!folder)
    return Failure(
        embedded::MakeServerMessage(17, "Not an embedded server name: " + std::string(server)), 0);
  embedded::ServerFolder target(*folder);
  std::string error;
  std::error_code ignored;
  const bool folder_made = !std::filesystem::exists(*folder, ignored);
  if (!target.Exists() && !target.Create(embedded::kDefaultProductVersion, &error))
    return Failure(embedded::MakeServerMessage(17, error), 0);
  embedded::BatchReader reader(source, piece_size);
  // A bad GO count is found only when the reader comes to it; a server folder this load made
  // does not outlive it (nothing at all remains of such a script, as for any failing one).
  bool bad_go_count = false;
  const auto finish = [&](ScriptLoadResult result) {
    result.largest_buffer = reader.largest_buffer();
    if (!result.ok && bad_go_count && folder_made)
      std::filesystem::remove_all(*folder, ignored);
    return result;
  };
  const std::string name = database.empty() ? std::string("master") : std::string(database);
  bool created = false;
  try {
    auto file = target.DatabaseFile(name);
    if (!file) {
      file = target.CreateDatabase(name);
      created = true;
    }
    embedded::SessionInfo info;
    info.product_version = target.ProductVersion();
    info.major_version = target.MajorVersion();
    info.has_object_schema_name = true;
    info.server_name = folder->filename().string();
    info.database_name = name;
    for (const auto& listed : target.DatabaseNames())
      if (embedded::CompareNames(listed, name) == 0)
        info.database_name = listed;
    embedded::EmbeddedDatabase db;
    if (!db.Open(*file, target.MasterFile(), info, &error))
      throw SqlError(4060, "Cannot open database \"" + name + "\": " + error);
    db.db().Exec("BEGIN IMMEDIATE");
    int line = 0;
    try {
      embedded::BatchExecutor executor(db);
      executor.set_window_bytes(kWindowPieces * piece_size);
      // Through this connection, so that the listing is undone with the rest of a failed
      // script (another connection would also wait on this one's lock on master).
      executor.set_attach_handler([&](const std::string& n, const std::vector<std::string>& files) {
        target.Attach(n, files, &db.db(), db.is_master() ? "main" : "master");
      });
      embedded::ScriptBatch batch;
      for (;;) {
        try {
          if (!reader.Next(&batch))
            break;
        } catch (const SqlError& e) {
          line = e.line();
          bad_go_count = true;
          throw;
        }
        if (source.failed())
          break;  // a batch cut short by a read error does not run
        if (IsBlank(batch.text))
          continue;
        line = batch.first_line;
        try {
          for (int i = 0; i < batch.repeat; ++i)
            executor.Run(batch.text);
        } catch (SqlError& e) {
          line = batch.first_line + std::max(e.line(), 1) - 1;
          throw;
        }
      }
      if (source.failed())
        throw SqlError(50000, "The script could not be read to its end.");
      db.db().Exec("COMMIT");
    } catch (const SqlError& e) {
      sqlite3_exec(db.db().handle(), "ROLLBACK", nullptr, nullptr, nullptr);
      db.db().Close();
      if (created)
        target.RemoveDatabase(name);
      return finish(Failure(e.message(), line));
    } catch (const std::exception& e) {
      sqlite3_exec(db.db().handle(), "ROLLBACK", nullptr, nullptr, nullptr);
      db.db().Close();
      if (created)
        target.RemoveDatabase(name);
      return finish(Failure(
          embedded::MakeServerMessage(50000, std::string("Internal error: ") + e.what()), line));
    }
  } catch (const SqlError& e) {
    if (created)
      target.RemoveDatabase(name);
    return finish(Failure(e.message(), 0));
  } catch (const std::exception& e) {
    if (created)
      target.RemoveDatabase(name);
    return finish(
        Failure(embedded::MakeServerMessage(50000, std::string("Internal error: ") + e.what()), 0));
  }
  ScriptLoadResult result;
  result.ok = true;
  return finish(result);
}

}  // namespace

ScriptLoadResult LoadScript(const std::filesystem::path& servers_folder, std::string_view server,
                            std::string_view database, std::string_view script) {
  embedded::TextScriptSource source(script);
  return Load(servers_folder, server, database, source, kScriptPieceSize);
}

ScriptLoadResult LoadScript(const std::filesystem::path& servers_folder, std::string_view server,
                            std::string_view database, std::istream& script,
                            std::size_t piece_size) {
  embedded::StreamScriptSource source(script);
  return Load(servers_folder, server, database, source, piece_size);
}

}  // namespace korvane

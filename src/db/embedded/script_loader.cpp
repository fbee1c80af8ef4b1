#include "db/embedded/script_loader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/text.h"
#include "db/embedded/batch_executor.h"
#include "db/embedded/embedded_database.h"
#include "db/embedded/server_folder.h"
#include "db/embedded/sql_error.h"
#include "db/embedded/sql_tokenizer.h"

namespace korvane {
namespace {

using embedded::SqlError;

struct Batch {
  std::string text;
  int first_line = 1;
  int repeat = 1;
};

// The count of a "GO n" line, or nullopt when the line is no GO line. A count that is not a
// whole number of at most kMaxBatchRepeat fails the load, read without overflow however long it
// is (a count of 0 runs the batch once, as query tools do).
std::optional<int> GoLine(std::string_view line, int line_number) {
  std::string_view trimmed = line;
  while (!trimmed.empty() && std::isspace(static_cast<unsigned char>(trimmed.back())))
    trimmed.remove_suffix(1);
  while (!trimmed.empty() && std::isspace(static_cast<unsigned char>(trimmed.front())))
    trimmed.remove_prefix(1);
  const std::size_t comment = trimmed.find("--");
  if (comment != std::string_view::npos)
    trimmed = Trim(trimmed.substr(0, comment));
  if (trimmed.size() < 2 || !EqualsIgnoringCase(trimmed.substr(0, 2), "go") ||
      (trimmed.size() > 2 && !std::isspace(static_cast<unsigned char>(trimmed[2]))))
    return std::nullopt;
  std::string_view count = trimmed.substr(2);
  while (!count.empty() && std::isspace(static_cast<unsigned char>(count.front())))
    count.remove_prefix(1);
  if (count.empty())
    return 1;
  if (!IsNumeric(count))
    return std::nullopt;  // "GO x" is T-SQL of the batch, not a separator
  std::uint64_t repeat = 0;
  const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), repeat);
  if (error != std::errc() || end != count.data() + count.size() ||
      repeat > static_cast<std::uint64_t>(kMaxBatchRepeat)) {
    SqlError failure(50000, "The count after GO must be a whole number of at most " +
                                std::to_string(kMaxBatchRepeat) + "; '" + std::string(count) +
                                "' is not.");
    failure.set_line(line_number);
    throw failure;
  }
  return std::max<int>(1, static_cast<int>(repeat));
}

// Splits at lines holding only GO (any case, optionally a repeat count) that start outside
// strings, quoted names and comments, which are told apart by the tokenizer's own rules.
std::vector<Batch> SplitBatches(std::string_view script) {
  std::vector<Batch> batches;
  Batch current;
  int line = 1;
  std::size_t pos = 0;
  const std::size_t n = script.size();
  while (pos < n) {
    // One logical line: up to the first line break outside a string, name or block comment.
    std::size_t i = pos;
    while (i < n && script[i] != '\n') {
      const char c = script[i];
      const char d = i + 1 < n ? script[i + 1] : '\0';
      std::size_t skip_to = i + 1;
      if (c == '-' && d == '-') {
        skip_to = script.find('\n', i);
      } else if (c == '/' && d == '*') {
        skip_to = embedded::BlockCommentEnd(script, i);
      } else if (c == '\'' || c == '[' || c == '"') {
        skip_to = embedded::QuotedSpanEnd(script, i);
      }
      i = skip_to == std::string_view::npos ? n : skip_to;
    }
    const std::size_t next = i < n ? i + 1 : n;
    const std::string_view text = script.substr(pos, next - pos);
    const auto repeat = GoLine(text, line);
    if (repeat) {
      current.repeat = *repeat;
      batches.push_back(current);
      current = Batch();
      current.first_line = line + 1;
    } else {
      if (current.text.empty())
        current.first_line = line;
      current.text += text;
    }
    line += static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    pos = next;
  }
  if (!current.text.empty())
    batches.push_back(current);
  return batches;
}

bool IsBlank(std::string_view text) {
  try {
    return embedded::Tokenize(text).size() <= 1;
  } catch (const SqlError&) {
    return false;
  }
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

ScriptLoadResult LoadScript(const std::filesystem::path& servers_folder, std::string_view server,
                            std::string_view database, std::string_view script) {
  const auto folder = embedded::ResolveServerFolder(server, servers_folder, true);
  if (!folder)
    return Failure(
        embedded::MakeServerMessage(17, "Not an embedded server name: " + std::string(server)), 0);
  std::vector<Batch> batches;
  try {
    batches = SplitBatches(script);
  } catch (const SqlError& e) {
    return Failure(e.message(), e.line());
  }
  embedded::ServerFolder target(*folder);
  std::string error;
  if (!target.Exists() && !target.Create(embedded::kDefaultProductVersion, &error))
    return Failure(embedded::MakeServerMessage(17, error), 0);
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
      // Through this connection, so that the listing is undone with the rest of a failed
      // script (another connection would also wait on this one's lock on master).
      executor.set_attach_handler([&](const std::string& n, const std::vector<std::string>& files) {
        target.Attach(n, files, &db.db(), db.is_master() ? "main" : "master");
      });
      for (const auto& batch : batches) {
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
      db.db().Exec("COMMIT");
    } catch (const SqlError& e) {
      sqlite3_exec(db.db().handle(), "ROLLBACK", nullptr, nullptr, nullptr);
      db.db().Close();
      if (created)
        target.RemoveDatabase(name);
      return Failure(e.message(), line);
    } catch (const std::exception& e) {
      sqlite3_exec(db.db().handle(), "ROLLBACK", nullptr, nullptr, nullptr);
      db.db().Close();
      if (created)
        target.RemoveDatabase(name);
      return Failure(embedded::MakeServerMessage(50000, std::string("Internal error: ") + e.what()),
                     line);
    }
  } catch (const SqlError& e) {
    if (created)
      target.RemoveDatabase(name);
    return Failure(e.message(), 0);
  } catch (const std::exception& e) {
    if (created)
      target.RemoveDatabase(name);
    return Failure(embedded::MakeServerMessage(50000, std::string("Internal error: ") + e.what()),
                   0);
  }
  ScriptLoadResult result;
  result.ok = true;
  return result;
}

}  // namespace korvane

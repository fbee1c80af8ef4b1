// Script text -> a load into a scratch database of a scratch server. Every input must either
// load, or fail with a "Msg n, Level l, State s, Line k" message whose line lies inside the
// script and leave the database and the server's master exactly as they were; read in small
// pieces, it must load or fail the same way.
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>

#include "base/files.h"
#include "db/embedded/script_loader.h"

namespace {

namespace fs = std::filesystem;

// A small database for the scripts to change: tables with keys, a view, a procedure, rows.
constexpr std::string_view kBaseScript =
    "CREATE TABLE dbo.Customers (CustomerId int NOT NULL PRIMARY KEY, Name nvarchar(40) NOT NULL,\n"
    "  Region char(4) NULL DEFAULT ('N'), Balance decimal(12,2) NULL CHECK (Balance >= 0))\n"
    "GO\n"
    "CREATE TABLE dbo.Orders (OrderId int IDENTITY(1,1) NOT NULL CONSTRAINT PK_Orders PRIMARY "
    "KEY,\n"
    "  CustomerId int NOT NULL REFERENCES dbo.Customers (CustomerId), Placed datetime NOT NULL,\n"
    "  Shipped bit NOT NULL DEFAULT (0))\n"
    "CREATE INDEX IX_Orders_Placed ON dbo.Orders (Placed)\n"
    "GO\n"
    "CREATE VIEW dbo.OpenOrders AS SELECT OrderId, CustomerId FROM dbo.Orders WHERE Shipped = 0\n"
    "GO\n"
    "CREATE PROCEDURE dbo.GetOrder @id int AS SELECT * FROM dbo.Orders WHERE OrderId = @id\n"
    "GO\n"
    "INSERT INTO dbo.Customers (CustomerId, Name, Balance) VALUES (1, N'Ash', 10.5)\n"
    "INSERT INTO dbo.Orders (CustomerId, Placed) VALUES (1, '2024-01-02 10:00')\n"
    "GO\n";

struct Server {
  fs::path folder;
  fs::path database_file;
  std::string database;
  std::string master;
};

// Two servers, one per product version, under one scratch folder removed at exit.
struct Scratch {
  fs::path root;
  Server servers[2];

  Scratch() {
    const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    root = base / ("korvane_fuzz_loader_" + std::to_string(getpid()));
    fs::remove_all(root);
    const char* versions[2] = {"8.00.2039", "9.00.5000.00"};
    for (int k = 0; k < 2; ++k) {
      Server& server = servers[k];
      server.folder = root / ("srv" + std::to_string(k));
      std::string error;
      if (!korvane::CreateEmbeddedServer(root, server.folder.string(), versions[k], &error))
        std::abort();
      if (!korvane::LoadScript(root, server.folder.string(), "fuzz", kBaseScript).ok)
        std::abort();
      server.database_file = server.folder / "fuzz.db";
      server.database = Read(server.database_file);
      server.master = Read(server.folder / "master.db");
    }
  }
  ~Scratch() {
    std::error_code error;
    fs::remove_all(root, error);
  }

  // The file's bytes, read in one piece (this runs twice per input, so it must be cheap).
  static std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::error_code error;
    const auto size = fs::file_size(file, error);
    if (!in || error)
      std::abort();
    std::string content(static_cast<std::size_t>(size), '\0');
    if (!in.read(content.data(), static_cast<std::streamsize>(size)))
      std::abort();
    return content;
  }
  static void Restore(const Server& server) {
    if (!korvane::WriteFileAtomically(server.database_file, server.database) ||
        !korvane::WriteFileAtomically(server.folder / "master.db", server.master))
      std::abort();
  }
};

Scratch& TheScratch() {
  static Scratch scratch;
  return scratch;
}

int LineCount(std::string_view text) {
  int lines = 1;
  for (char c : text)
    lines += c == '\n';
  return lines;
}

// "GO 1000000" legitimately runs its batch a million times: scripts that repeat a batch 100 times
// or more are slow, not faulty, and are skipped.
bool RepeatsManyTimes(std::string_view script) {
  std::size_t pos = 0;
  while (pos < script.size()) {
    std::size_t end = script.find('\n', pos);
    if (end == std::string_view::npos)
      end = script.size();
    std::string_view line = script.substr(pos, end - pos);
    pos = end + 1;
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.front())))
      line.remove_prefix(1);
    if (line.size() < 3 || (line[0] | 0x20) != 'g' || (line[1] | 0x20) != 'o' ||
        !std::isspace(static_cast<unsigned char>(line[2])))
      continue;
    line.remove_prefix(3);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.front())))
      line.remove_prefix(1);
    std::size_t digits = 0;
    while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits])))
      ++digits;
    if (digits > 2)
      return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  TheScratch();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view script(reinterpret_cast<const char*>(data), size);
  if (RepeatsManyTimes(script))
    return 0;
  Scratch& scratch = TheScratch();
  const Server& server = scratch.servers[size % 2];
  const korvane::ScriptLoadResult result =
      korvane::LoadScript(scratch.root, server.folder.string(), "fuzz", script);
  if (result.ok) {
    Scratch::Restore(server);
  } else {
    if (result.message.rfind("Msg ", 0) != 0 || result.error.text.empty() || result.line < 0 ||
        result.line > LineCount(script))
      std::abort();
    // A failed load leaves nothing behind.
    if (Scratch::Read(server.database_file) != server.database ||
        Scratch::Read(server.folder / "master.db") != server.master) {
      Scratch::Restore(server);
      std::abort();
    }
    if (fs::exists(server.folder / "fuzz.db-journal"))
      std::abort();
  }
  // Read in small pieces (a long batch then runs a window at a time), the script loads alike.
  std::istringstream in{std::string(script)};
  const korvane::ScriptLoadResult pieces =
      korvane::LoadScript(scratch.root, server.folder.string(), "fuzz", in, size % 13 + 1);
  if (pieces.ok)
    Scratch::Restore(server);
  if (pieces.ok != result.ok || pieces.message != result.message || pieces.line != result.line)
    std::abort();
  return 0;
}

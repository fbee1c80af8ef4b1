// The served table the TDS benchmarks read: an embedded server with the table Big (1,000,000 rows
// of int, nvarchar, money and datetime) in database "bench", and a TDS listener serving it on a
// free loopback port (login "sa", password "x"). Made in a new folder under the
// temporary folder, its name starting with `folder_name`, removed again when the fixture ends. With
// `changed_copy`, also Big2: Big with every 100th row's name changed and every 200th row left out,
// for comparing the two.
#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "bench_support.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "db/tds/tds_listener.h"

namespace korvane::bench {

inline constexpr int kServedRows = 1000000;

struct ServedTableFixture {
  std::filesystem::path root;
  std::string server;
  EmbeddedBackend backend;
  std::unique_ptr<tds::TdsListener> listener;

  explicit ServedTableFixture(const std::string& folder_name, bool changed_copy = false)
      : root(ScratchFolder(folder_name)),
        server("embedded:" + (root / "srv").string()),
        backend(root / "servers") {
    std::string numbers = "CREATE TABLE Numbers (N int NOT NULL PRIMARY KEY)\nGO\n";
    for (int n = 0; n < 1000; ++n)
      numbers += "INSERT INTO Numbers VALUES (" + std::to_string(n) + ")\n";
    numbers +=
        "GO\nCREATE TABLE Big (Id int NOT NULL PRIMARY KEY, Name nvarchar(30) NULL, "
        "Amount money NULL, Made datetime NULL)\nGO\n"
        "INSERT INTO Big (Id, Name, Amount, Made) SELECT a.N * 1000 + b.N, N'name of a row', "
        "12.5, '2024-02-29 13:45:30' FROM Numbers a, Numbers b\nGO\n";
    if (changed_copy) {
      numbers +=
          "CREATE TABLE Big2 (Id int NOT NULL PRIMARY KEY, Name nvarchar(30) NULL, "
          "Amount money NULL, Made datetime NULL)\nGO\n"
          "INSERT INTO Big2 (Id, Name, Amount, Made) SELECT Id, CASE WHEN Id % 100 = 0 THEN "
          "N'changed' ELSE Name END, Amount, Made FROM Big WHERE Id % 200 <> 1\nGO\n";
    }
    const auto loaded = LoadScript(root / "servers", server, "bench", numbers);
    if (!loaded.ok)
      throw std::runtime_error(loaded.message);
    tds::ServerOptions options;
    options.port = 0;
    options.server = server;
    options.server_label = "bench";
    options.login = "sa";
    options.password = "x";
    listener = std::make_unique<tds::TdsListener>(backend, options);
    std::string error;
    if (!listener->Start(&error))
      throw std::runtime_error(error);
  }
  ~ServedTableFixture() {
    listener->Stop();
    std::filesystem::remove_all(root);
  }
};

}  // namespace korvane::bench

// Two tables of 8 columns (int key, varchar, int, float, varchar, datetime, int, varchar) on an
// embedded server in a temporary folder of their own, written straight into the engine's storage
// tables: the Target has 1% of the rows changed, 0.5% missing and 0.5% extra. Three ways to
// identify a record: the integer ID, the 20-character text Code, and the three columns Region
// (int), Customer (varchar) and Ordered (datetime), each unique in both tables. For sqldiff, the
// same rows can be copied into plain SQLite tables (ID the INTEGER PRIMARY KEY, plain column
// types, the datetime as the text the engine stores and shows, "YYYY-MM-DD HH:MM:SS.mmm").
#pragma once

#include <sqlite3.h>
#include <sys/resource.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/application_context.h"
#include "base/clock.h"
#include "base/user_interface.h"
#include "bench_support.h"
#include "datacomp/data_compare.h"
#include "db/embedded/script_loader.h"

namespace korvane::bench {

inline constexpr std::string_view kOrdersTable =
    "CREATE TABLE T (ID int NOT NULL, Customer varchar(40) NOT NULL, Qty int NULL, "
    "Price float NULL, Note varchar(40) NULL, Ordered datetime NOT NULL, Region int NOT NULL, "
    "Code varchar(20) NOT NULL)\r\nGO\r\n";

// Which rows of a Source of `rows` rows the Target changes, lacks, or adds after.
struct OrdersShape {
  static bool Changed(std::int64_t id) { return id % 100 == 3; }
  static bool Missing(std::int64_t id) { return id % 200 == 7; }
  static bool ExtraAfter(std::int64_t id) { return id % 200 == 11; }
};

// The counts a comparison by any of the unique keys must find.
struct OrdersCounts {
  std::int64_t source = 0;
  std::int64_t target = 0;
  std::int64_t changed = 0;
  std::int64_t missing = 0;
  std::int64_t extra = 0;
};

inline OrdersCounts ExpectedOrdersCounts(std::int64_t rows) {
  OrdersCounts counts;
  counts.source = rows;
  for (std::int64_t id = 1; id <= rows; ++id) {
    if (OrdersShape::Missing(id)) {
      ++counts.missing;
      continue;
    }
    if (OrdersShape::Changed(id))
      ++counts.changed;
    if (OrdersShape::ExtraAfter(id))
      ++counts.extra;
  }
  counts.target = rows - counts.missing + counts.extra;
  return counts;
}

// The fields of row `id` as the engine stores them. The Ordered time is unique per row (7
// seconds apart); Code is unique through the ID in its last 12 characters, and its first 8
// scramble the order so that it does not follow the ID's.
struct OrdersRow {
  std::int64_t id = 0;
  std::string customer;
  std::int64_t qty = 0;
  double price = 0;
  std::string note;  // empty: NULL
  std::string ordered;
  std::int64_t region = 0;
  std::string code;

  static OrdersRow Make(std::int64_t id, bool changed) {
    OrdersRow row;
    row.id = id;
    row.customer = "Customer " + std::to_string(id * 7 % 1000);
    row.qty = id % 50 + (changed ? 1 : 0);
    row.price = static_cast<double>(id * 31 % 997) / 4.0;
    if (id % 10 != 0)
      row.note = "note " + std::to_string(id);
    using namespace std::chrono;
    const auto moment = sys_days{year{2020} / January / 1} + seconds{id * 7};
    const auto day = floor<days>(moment);
    const year_month_day date{day};
    const hh_mm_ss time{moment - day};
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u %02d:%02d:%02d.000",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    row.ordered = buffer;
    row.region = id % 97;
    std::uint64_t mix = static_cast<std::uint64_t>(id) * 0x9E3779B97F4A7C15ULL;
    row.code.resize(8);
    for (char& c : row.code) {
      c = static_cast<char>('A' + mix % 26);
      mix /= 26;
    }
    std::snprintf(buffer, sizeof buffer, "%012lld", static_cast<long long>(id));
    row.code += buffer;
    return row;
  }
};

// An unattended comparison of table T of Src with table T of Tgt by `method`, identified by
// `key_columns` on both sides, counting the differing records without keeping them.
inline DataCompareRequest OrdersCompareRequest(std::int32_t method,
                                               const std::array<std::string, 3>& key_columns) {
  DataCompareRequest request;
  request.tables = {DataCompareTable{"Src", "T", 0}, DataCompareTable{"Tgt", "T", 0}};
  request.options.options.CompMethod = method;
  for (auto& side : request.options.options.sides)
    side.key_columns = key_columns;
  request.unattended = true;
  request.track_differences = false;
  return request;
}

// One embedded server with the databases Src and Tgt, removed with the object.
class OrdersTables {
 public:
  OrdersTables(const std::string& name, std::int64_t rows)
      : folder_(ScratchFolder("korvane-bench-orders-" + name)), rows_(rows) {
    server_ = "embedded:" + (folder_ / "srv").string();
    std::string error;
    ok_ = CreateEmbeddedServer(folder_ / "servers", server_, "9.00.5000.00", &error);
    for (const bool target : {false, true}) {
      const std::string database = target ? "Tgt" : "Src";
      ok_ = ok_ &&
            LoadScript(folder_ / "servers", server_, database, std::string(kOrdersTable)).ok &&
            Fill(database, target);
    }
  }
  ~OrdersTables() { std::filesystem::remove_all(folder_); }
  OrdersTables(const OrdersTables&) = delete;
  OrdersTables& operator=(const OrdersTables&) = delete;

  bool ok() const { return ok_; }
  std::int64_t rows() const { return rows_; }

  std::unique_ptr<ApplicationContext> Context(UserInterface& ui, const Clock& clock) const {
    return bench::EmbeddedServerContext(folder_, server_, ui, clock);
  }

  // The plain SQLite copy of `database`'s table T, written by the first call (false if that
  // fails); removed with the object.
  std::filesystem::path PlainFile(const std::string& database) const {
    return folder_ / (database + "-plain.db");
  }
  bool WritePlainCopy(const std::string& database) const {
    const std::filesystem::path file = PlainFile(database);
    if (std::filesystem::exists(file))
      return true;
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(file.c_str(), &db) == SQLITE_OK;
    const std::string attach = "ATTACH DATABASE '" + DatabaseFile(database).string() + "' AS e";
    ok = ok && sqlite3_exec(db, attach.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    const std::string table = ok ? StorageTable(db, "e.") : std::string();
    const std::string sql =
        "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; BEGIN; "
        "CREATE TABLE main.T (ID INTEGER PRIMARY KEY, Customer TEXT NOT NULL, Qty INTEGER, "
        "Price REAL, Note TEXT, Ordered TEXT NOT NULL, Region INTEGER NOT NULL, "
        "Code TEXT NOT NULL); "
        "INSERT INTO main.T SELECT ID, Customer, Qty, Price, Note, Ordered, Region, Code FROM e." +
        table + " ORDER BY ID; COMMIT";
    char* error = nullptr;
    ok = ok && !table.empty() &&
         sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK;
    if (error)
      std::fprintf(stderr, "plain copy of %s: %s\n", database.c_str(), error);
    sqlite3_free(error);
    sqlite3_close(db);
    if (!ok)
      std::filesystem::remove(file);
    return ok;
  }

 private:
  std::filesystem::path DatabaseFile(const std::string& database) const {
    return folder_ / "srv" / (database + ".db");
  }

  // The storage table of T in the database open as `schema` ("t" + its object id); empty if
  // there is none.
  static std::string StorageTable(sqlite3* db, const std::string& schema) {
    std::string table;
    sqlite3_stmt* statement = nullptr;
    const std::string sql =
        "SELECT id FROM " + schema + "sysobjects WHERE name = 'T' COLLATE BINARY";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
      table = "t" + std::to_string(sqlite3_column_int64(statement, 0));
    }
    sqlite3_finalize(statement);
    return table;
  }

  // Rows straight into the storage table of T, in one transaction.
  bool Fill(const std::string& database, bool target) const {
    sqlite3* db = nullptr;
    if (sqlite3_open(DatabaseFile(database).c_str(), &db) != SQLITE_OK) {
      sqlite3_close(db);
      return false;
    }
    const std::string table = StorageTable(db, "");
    bool ok = !table.empty() &&
              sqlite3_exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; BEGIN",
                           nullptr, nullptr, nullptr) == SQLITE_OK;
    const std::string sql = "INSERT INTO " + table +
                            " (ID, Customer, Qty, Price, Note, Ordered, Region, Code) VALUES "
                            "(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)";
    sqlite3_stmt* insert = nullptr;
    ok = ok && sqlite3_prepare_v2(db, sql.c_str(), -1, &insert, nullptr) == SQLITE_OK;
    const auto add = [&](std::int64_t id, bool changed) {
      const OrdersRow row = OrdersRow::Make(id, changed);
      sqlite3_bind_int64(insert, 1, row.id);
      sqlite3_bind_text(insert, 2, row.customer.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_int64(insert, 3, row.qty);
      sqlite3_bind_double(insert, 4, row.price);
      if (row.note.empty())
        sqlite3_bind_null(insert, 5);
      else
        sqlite3_bind_text(insert, 5, row.note.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(insert, 6, row.ordered.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_int64(insert, 7, row.region);
      sqlite3_bind_text(insert, 8, row.code.c_str(), -1, SQLITE_STATIC);
      ok = ok && sqlite3_step(insert) == SQLITE_DONE;
      sqlite3_reset(insert);
    };
    for (std::int64_t id = 1; ok && id <= rows_; ++id) {
      if (target && OrdersShape::Missing(id))
        continue;
      add(id, target && OrdersShape::Changed(id));
      if (target && OrdersShape::ExtraAfter(id))
        add(rows_ + id, false);
    }
    sqlite3_finalize(insert);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
  }

  std::filesystem::path folder_;
  std::int64_t rows_ = 0;
  std::string server_;
  bool ok_ = false;
};

// The process's peak resident set in megabytes. ResetPeakResident starts a new peak from the
// current resident set (Linux: writing 5 to clear_refs), so that PeakResidentMegabytes read
// afterwards covers only what ran in between; false when the kernel does not allow it, and the
// peak is then the whole process's.
inline bool ResetPeakResident() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

inline double PeakResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0)
      return std::stod(line.substr(6)) / 1024.0;  // kilobytes
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace korvane::bench

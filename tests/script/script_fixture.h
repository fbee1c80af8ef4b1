// The fixture of the scripting tests: an application context whose database answers are
// scripted per query text, with every command sent recorded, and helpers that shape catalogue
// rows as SQL Server returns them (syscolumns prec in characters, ident_seed as numeric...).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/application_context.h"
#include "base/clock.h"
#include "db/value.h"
#include "support/fake_backend.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane::testing {

// One syscolumns row as the column query returns it.
struct ColumnRow {
  ColumnRow(std::string name_in, std::string datatype_in, std::int64_t length_in = 4,
            std::int64_t prec_in = 10, std::optional<std::int64_t> scale_in = std::nullopt,
            bool nullable_in = true, bool identity_in = false,
            std::optional<std::string> seed_in = std::nullopt,
            std::optional<std::string> increment_in = std::nullopt)
      : name(std::move(name_in)),
        datatype(std::move(datatype_in)),
        length(length_in),
        prec(prec_in),
        scale(scale_in),
        nullable(nullable_in),
        identity(identity_in),
        seed(std::move(seed_in)),
        increment(std::move(increment_in)) {}

  std::string name;
  std::string datatype;
  std::int64_t length;
  std::int64_t prec;
  std::optional<std::int64_t> scale;  // Null for non-numeric types
  bool nullable;
  bool identity;
  // ident_seed / ident_incr of the table: numeric, Null for a table without identity.
  std::optional<std::string> seed;
  std::optional<std::string> increment;
};

inline CommandOutcome ColumnRows(const std::vector<ColumnRow>& columns) {
  std::vector<std::vector<Value>> rows;
  for (const ColumnRow& c : columns) {
    rows.push_back({Value::Text(c.name), Value::Binary({}), Value::Integer(c.nullable ? 1 : 0),
                    Value::Integer(c.length), Value::Integer(c.prec),
                    c.scale ? Value::Integer(*c.scale) : Value::Null(), Value::Text(c.datatype),
                    c.seed ? Value::Decimal(*c.seed) : Value::Null(),
                    c.increment ? Value::Decimal(*c.increment) : Value::Null(),
                    Value::Text(c.identity ? "Y" : "")});
  }
  return Rows({"column", "autoval", "isnullable", "length", "prec", "scale", "datatype",
               "identityseed", "identityincrement", "isID"},
              std::move(rows));
}

// One row of the index query: column, index name, indid (keyno follows the order given).
struct IndexRow {
  std::string column;
  std::string index;
  std::int64_t indid = 0;
};

inline CommandOutcome IndexRows(const std::vector<IndexRow>& keys) {
  std::vector<std::vector<Value>> rows;
  std::int64_t keyno = 0;
  std::int64_t last_indid = -1;
  for (const IndexRow& k : keys) {
    keyno = k.indid == last_indid ? keyno + 1 : 1;
    last_indid = k.indid;
    rows.push_back({Value::Text(k.column), Value::Text(k.index), Value::Integer(k.indid),
                    Value::Integer(keyno)});
  }
  return Rows({"column", "index", "indid", "keyno"}, std::move(rows));
}

inline CommandOutcome TextRows(const std::vector<std::string>& pieces) {
  std::vector<std::vector<Value>> rows;
  for (const std::string& piece : pieces)
    rows.push_back({Value::Text(piece)});
  return Rows({"text"}, std::move(rows));
}

inline CommandOutcome NoRows(std::vector<std::string> columns) {
  return Rows(std::move(columns), {});
}

inline CommandOutcome QueryFailure() {
  return Failure(208, "42S02", "Invalid object name 'sysreferences'.");
}

class ScriptTest : public ::testing::Test {
 protected:
  ScriptTest()
      : clock_(LocalDateTime{2026, 3, 7, 14, 5, 9}),
        context_(ComputeLocations(folder_ / "bin", folder_ / "p", Environment{}), ui_, clock_) {
    backend_ = std::make_shared<FakeBackend>();
    context_.backends.odbc = backend_;
    backend_->responder = [this](const ConnectionRequest&, const CommandRequest& command) {
      auto answer = answers_.find(command.text);
      if (answer != answers_.end())
        return answer->second;
      unexpected_.push_back(command.text);
      return Failure(102, "42000", "Unexpected query in test.");
    };
    ServerRecord& source = context_.CurrentServers[kSource];
    source.Name = "srv";
    source.Version = "8.00.2039";
    source.NumVersion = 8;
  }

  ~ScriptTest() override {
    EXPECT_TRUE(unexpected_.empty()) << "unexpected query: " << unexpected_.front();
  }

  void Respond(std::string_view query, CommandOutcome outcome) {
    answers_[std::string(query)] = std::move(outcome);
  }
  // Answers with an exception thrown from inside the data access (an unexpected failure).
  void Throw(std::string_view query) { throwing_.push_back(std::string(query)); }

  std::vector<std::string> Queries() const {
    std::vector<std::string> texts;
    for (const auto& [connection, command] : backend_->commands)
      texts.push_back(command.text);
    return texts;
  }
  std::vector<std::string> Databases() const {
    std::vector<std::string> names;
    for (const auto& [connection, command] : backend_->commands)
      names.push_back(connection.database);
    return names;
  }

  ServerRecord& server() { return context_.CurrentServers[kSource]; }
  void MakeVersion9() {
    server().Version = "9.00.5000.00";
    server().NumVersion = 9;
  }
  // Makes every command whose text is listed by Throw() throw std::runtime_error.
  void ArmThrowing() {
    auto previous = backend_->responder;
    backend_->responder = [this, previous](const ConnectionRequest& connection,
                                           const CommandRequest& command) {
      for (const std::string& text : throwing_)
        if (text == command.text)
          throw std::runtime_error("backend exploded");
      return previous(connection, command);
    };
  }

  ScratchFolder folder_;
  RecordingUserInterface ui_;
  ManualClock clock_;
  ApplicationContext context_;
  std::shared_ptr<FakeBackend> backend_;
  std::map<std::string, CommandOutcome> answers_;
  std::vector<std::string> throwing_;
  std::vector<std::string> unexpected_;
};

}  // namespace korvane::testing

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
#include "catalog/catalog_fixture.h"
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

// The catalogue queries the scripting module sends, as the server receives them.
inline std::string ModuleQuery(std::string_view literal_name) {
  return "SELECT text FROM syscomments sc INNER JOIN sysobjects so ON sc.id = so.id WHERE "
         "so.name = '" +
         std::string(literal_name) + "' ORDER BY sc.colid";
}
inline std::string ModuleQueryById(int id) {
  return "SELECT text FROM syscomments sc INNER JOIN sysobjects so ON sc.id = so.id WHERE "
         "so.id = " +
         std::to_string(id) + " ORDER BY sc.colid";
}
// The column query; the identity functions are asked for `identity_literal`, the table name
// when it is empty.
inline std::string ColumnQuery(std::string_view literal_name, std::string_view filter,
                               std::string_view identity_literal = {}) {
  const std::string identity(identity_literal.empty() ? literal_name : identity_literal);
  return "SELECT sco.[name] AS [column], sco.autoval, sco.isnullable, "
         "sco.length, sco.prec, sco.scale, sty.[name] AS datatype, "
         "ident_seed('" +
         identity + "') AS identityseed, ident_incr('" + identity +
         "') AS identityincrement, "
         "isID=case when sco.status&128=0 then '' else 'Y' end "
         "FROM sysobjects sob INNER JOIN syscolumns sco ON sob.id = sco.id "
         "INNER JOIN systypes sty ON sco.xtype = sty.xtype AND sco.xusertype = sty.xusertype " +
         std::string(filter) + "ORDER BY sco.colorder";
}
inline std::string ColumnQueryByName(std::string_view literal_name) {
  return ColumnQuery(literal_name, "WHERE sob.name = '" + std::string(literal_name) + "' ");
}
inline std::string ColumnQueryById(std::string_view literal_name, int id) {
  return ColumnQuery(literal_name, "WHERE sco.id = " + std::to_string(id) + " ");
}
// The index query by name, or by id when `id` is 1 or more.
inline std::string IndexQuery(std::string_view literal_name, bool clustered_only, int id = 0) {
  return "SELECT DISTINCT sc.name AS [column], si.name as [index], sk.indid, sk.keyno "
         "FROM sysindexkeys sk "
         "INNER JOIN sysindexes si ON sk.id = si.id AND sk.indid = si.indid "
         "INNER JOIN syscolumns sc ON sk.id = sc.id AND sk.colid = sc.colid "
         "INNER JOIN sysobjects so2 ON sk.id = so2.id " +
         (id >= 1 ? "WHERE so2.id = " + std::to_string(id)
                  : "WHERE so2.name = '" + std::string(literal_name) + "'") +
         " AND " + (clustered_only ? "si.indid = 1 AND " : "si.indid BETWEEN 1 AND 254 AND ") +
         "INDEXPROPERTY(si.id, si.name, 'IsStatistics') = 0 AND "
         "INDEXPROPERTY(si.id, si.name, 'IsHypothetical') = 0 "
         "ORDER BY sk.indid, sk.keyno";
}
inline std::string ViewIndexQuery(std::string_view literal_name) {
  return "SELECT si.name AS [index], sk.indid, sc.[name] AS [column] FROM sysindexkeys sk "
         "INNER JOIN sysindexes si ON sk.id = si.id AND sk.indid = si.indid "
         "INNER JOIN syscolumns sc ON sk.id = sc.id AND sk.colid = sc.colid "
         "INNER JOIN sysobjects so ON so.id = sk.id "
         "WHERE so.[name] = '" +
         std::string(literal_name) + "' ORDER BY sk.indid";
}
// The relationship query by name, or by id when `id` is 1 or more.
inline std::string RelationshipQuery(std::string_view literal_name, int id = 0) {
  return "SELECT so.name AS foreignkey, scf.name AS foreigncolumn, "
         "sor.name AS referencedtable, scr.name AS referencedcolumn, "
         "sof.name AS tablename, sfk.constid, sfk.keyno "
         "FROM sysforeignkeys sfk "
         "INNER JOIN sysobjects so ON sfk.constid = so.id "
         "INNER JOIN sysobjects sof ON sof.id = sfk.fkeyid "
         "INNER JOIN sysobjects sor ON sor.id = sfk.rkeyid "
         "INNER JOIN syscolumns scf ON scf.id = sof.id AND scf.colid = sfk.fkey "
         "INNER JOIN syscolumns scr ON scr.id = sor.id AND scr.colid = sfk.rkey " +
         (id >= 1 ? "WHERE so.id = " + std::to_string(id)
                  : "WHERE so.name = '" + std::string(literal_name) + "'") +
         " ORDER BY sfk.constid, sfk.keyno";
}
// Rows of the relationship query: foreignkey, foreigncolumn, referencedtable,
// referencedcolumn, tablename, then constid (keyno follows the order given within a constid).
inline CommandOutcome ForeignKeyRows(std::vector<std::vector<std::string>> rows) {
  std::vector<std::vector<Value>> values;
  std::string last_constid;
  std::int64_t keyno = 0;
  for (auto& row : rows) {
    if (row.size() < 6)
      row.push_back("1");
    keyno = row[5] == last_constid ? keyno + 1 : 1;
    last_constid = row[5];
    std::vector<Value> fields;
    for (std::size_t i = 0; i < 5; ++i)
      fields.push_back(Value::Text(row[i]));
    fields.push_back(Value::Integer(std::stoll(row[5])));
    fields.push_back(Value::Integer(keyno));
    values.push_back(std::move(fields));
  }
  return Rows({"foreignkey", "foreigncolumn", "referencedtable", "referencedcolumn", "tablename",
               "constid", "keyno"},
              std::move(values));
}

// The catalogue fixture at the scripting tests' fixed time, with helpers to make commands throw
// and to read the databases the commands went to.
class ScriptTest : public CatalogTest {
 protected:
  ScriptTest() { clock_.Set(LocalDateTime{2026, 3, 7, 14, 5, 9}); }

  // Answers with an exception thrown from inside the data access (an unexpected failure).
  void Throw(std::string_view query) { throwing_.push_back(std::string(query)); }

  std::vector<std::string> Databases() const {
    std::vector<std::string> names;
    for (const auto& [connection, command] : backend_->commands)
      names.push_back(connection.database);
    return names;
  }

  using CatalogTest::MakeVersion9;
  void MakeVersion9() { MakeVersion9(server()); }
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

  std::vector<std::string> throwing_;
};

}  // namespace korvane::testing

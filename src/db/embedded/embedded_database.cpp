#include "db/embedded/embedded_database.h"

#include <array>

#include "base/text.h"
#include "db/embedded/catalog_schema.h"
#include "db/embedded/sql_error.h"
#include "db/embedded/sql_tokenizer.h"

namespace korvane::embedded {
namespace {

constexpr std::array<std::string_view, 9> kSystemTables = {
    "sysobjects",    "syscolumns",  "systypes", "sysindexes",    "sysindexkeys",
    "sysreferences", "syscomments", "sysusers", "sysforeignkeys"};

constexpr std::array<std::string_view, 6> kInformationSchemaViews = {
    "TABLES", "VIEWS", "ROUTINES", "COLUMNS", "SCHEMATA", ""};

constexpr std::array<std::string_view, 9> kSysViews = {
    "objects", "schemas",     "tables",    "views",           "procedures",
    "columns", "sql_modules", "databases", "computed_columns"};

std::string JoinParts(const std::vector<std::string>& parts) {
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i)
      text += ".";
    text += parts[i];
  }
  return text;
}

}  // namespace

bool EmbeddedDatabase::Open(const std::filesystem::path& file,
                            const std::filesystem::path& master_file, SessionInfo info,
                            std::string* error) {
  info_ = std::move(info);
  info_.statements = std::make_shared<StatementCache>();  // this connection's own
  if (!db_.Open(file, false, error))
    return false;
  RegisterCollation(db_.handle());
  RegisterFunctions(db_.handle(), &info_);
  std::error_code same_error;
  is_master_ = std::filesystem::equivalent(file, master_file, same_error);
  try {
    if (!is_master_)
      db_.Exec("ATTACH DATABASE " + QuoteLiteral(master_file.string()) + " AS master");
    CreateSessionViews(db_, info_.major_version, is_master_ ? "main" : "master");
  } catch (const SqlError& e) {
    if (error)
      *error = e.what();
    return false;
  }
  return true;
}

ResolvedTable EmbeddedDatabase::ResolveTable(const std::vector<std::string>& parts) {
  const std::string written = JoinParts(parts);
  std::string database = parts.size() >= 3 ? parts[parts.size() - 3] : std::string();
  const std::string schema = parts.size() >= 2 ? parts[parts.size() - 2] : std::string();
  const std::string& name = parts.back();
  if (parts.size() > 3)
    ThrowUnsupported("four-part (linked server) names");
  const bool in_master = EqualsIgnoringCase(database, "master");
  if (!database.empty() && CompareNames(database, info_.database_name) != 0 && !in_master)
    ThrowUnsupported("queries across databases ('" + written + "')");
  const bool other_master = in_master && !is_master_;
  ResolvedTable result;
  if (EqualsIgnoringCase(schema, "INFORMATION_SCHEMA")) {
    for (auto view : kInformationSchemaViews)
      if (!view.empty() && EqualsIgnoringCase(view, name) && !other_master) {
        result.sqlite_name = QuoteName("INFORMATION_SCHEMA." + std::string(view));
        result.default_alias = std::string(view);
        return result;
      }
    ThrowInvalidObject(written);
  }
  const bool sys_schema = EqualsIgnoringCase(schema, "sys");
  if (sys_schema && info_.major_version < 9)
    ThrowInvalidObject(written);
  if (sys_schema && !other_master) {
    for (auto view : kSysViews)
      if (!view.empty() && EqualsIgnoringCase(view, name)) {
        result.sqlite_name = QuoteName("sys." + std::string(view));
        result.default_alias = std::string(view);
        return result;
      }
  }
  // The compatibility names: dbo.sysobjects, sys.sysobjects (2005), sysobjects.
  if (schema.empty() || EqualsIgnoringCase(schema, "dbo") || sys_schema) {
    if (EqualsIgnoringCase(name, "sysdatabases")) {
      // 2000 keeps sysdatabases in master only; 2005's sys.sysdatabases is visible everywhere.
      if (is_master_)
        return {"main.sysdatabases", "sysdatabases", {}};
      if (info_.major_version >= 9 || in_master)
        return {"master.sysdatabases", "sysdatabases", {}};
      ThrowInvalidObject(written);
    }
    for (auto table : kSystemTables)
      if (EqualsIgnoringCase(table, name))
        return {(other_master ? "master." : "main.") + std::string(table), std::string(table), {}};
  }
  if (sys_schema || other_master)
    ThrowInvalidObject(written);
  int schema_id = 1;
  if (!schema.empty()) {
    auto id = QueryInt(db_, "SELECT schema_id FROM kvn_schemas WHERE name = ?", {schema});
    if (!id)
      ThrowInvalidObject(written);
    schema_id = static_cast<int>(*id);
  }
  auto object = FindObject(schema_id, name);
  if (!object)
    ThrowInvalidObject(written);
  if (object->xtype == "IF" || object->xtype == "TF")
    ThrowUnsupported("table-valued functions in FROM");
  if (object->xtype != "U" && object->xtype != "V" && object->xtype != "S")
    ThrowInvalidObject(written);
  const bool view = object->xtype == "V";
  result.sqlite_name = StorageName(object->id, view);
  result.default_alias = name;
  if (view) {
    if (!QueryInt(db_, "SELECT 1 FROM sqlite_master WHERE type = 'view' AND name = ?",
                  {result.sqlite_name}))
      ThrowUnsupported("reading the view '" + name +
                       "', whose definition uses T-SQL the engine cannot run");
    return result;
  }
  for (const auto& index : Indexes(object->id)) {
    if (index.indid != 1)
      continue;
    const auto columns = Columns(object->id);
    for (int colid : index.colids)
      for (const auto& column : columns)
        if (column.colid == colid)
          result.clustered_key.push_back(column.name);
  }
  return result;
}

int EmbeddedDatabase::SchemaId(const std::string& schema) {
  if (schema.empty())
    return 1;
  auto id = QueryInt(db_, "SELECT schema_id FROM kvn_schemas WHERE name = ?", {schema});
  if (!id) {
    if (info_.major_version >= 9)
      throw SqlError(2760, "The specified schema name \"" + schema +
                               "\" either does not exist or you do not have permission to use it.");
    throw SqlError(2760, "The specified owner name '" + schema +
                             "' either does not exist or you do not have permission to use it.");
  }
  return static_cast<int>(*id);
}

std::string EmbeddedDatabase::SchemaName(int schema_id) {
  auto stmt = db_.PrepareCached("SELECT name FROM kvn_schemas WHERE schema_id = ?");
  stmt.Bind(1, static_cast<std::int64_t>(schema_id));
  return stmt.Step() ? stmt.Text(0) : std::string();
}

std::optional<ObjectRow> EmbeddedDatabase::FindObject(int schema_id, const std::string& name) {
  auto stmt = db_.PrepareCached(
      "SELECT id, name, rtrim(xtype), uid, parent_obj FROM sysobjects WHERE name = ? AND uid = ?");
  stmt.Bind(1, std::string_view(name)).Bind(2, static_cast<std::int64_t>(schema_id));
  if (!stmt.Step())
    return std::nullopt;
  return ObjectRow{stmt.Int(0), stmt.Text(1), stmt.Text(2), static_cast<int>(stmt.Int(3)),
                   stmt.Int(4)};
}

std::optional<ObjectRow> EmbeddedDatabase::FindObjectById(std::int64_t id) {
  auto stmt = db_.PrepareCached(
      "SELECT id, name, rtrim(xtype), uid, parent_obj FROM sysobjects WHERE id = ?");
  stmt.Bind(1, id);
  if (!stmt.Step())
    return std::nullopt;
  return ObjectRow{stmt.Int(0), stmt.Text(1), stmt.Text(2), static_cast<int>(stmt.Int(3)),
                   stmt.Int(4)};
}

std::optional<ObjectRow> EmbeddedDatabase::FindObject(const std::vector<std::string>& parts) {
  if (parts.size() >= 3 && !parts[parts.size() - 3].empty() &&
      CompareNames(parts[parts.size() - 3], info_.database_name) != 0)
    ThrowUnsupported("objects of another database ('" + JoinParts(parts) + "')");
  const std::string schema = parts.size() >= 2 ? parts[parts.size() - 2] : std::string();
  auto id = schema.empty()
                ? std::optional<std::int64_t>(1)
                : QueryInt(db_, "SELECT schema_id FROM kvn_schemas WHERE name = ?", {schema});
  if (!id)
    return std::nullopt;
  return FindObject(static_cast<int>(*id), parts.back());
}

ObjectRow EmbeddedDatabase::RequireTable(const std::vector<std::string>& parts) {
  auto object = FindObject(parts);
  if (!object || object->xtype != "U")
    ThrowInvalidObject(JoinParts(parts));
  return *object;
}

std::vector<TableColumn> EmbeddedDatabase::Columns(std::int64_t table_id) {
  std::vector<TableColumn> columns;
  auto stmt = db_.PrepareCached(
      "SELECT c.name, c.colid, t.name, c.xtype, c.xusertype, c.length, c.xprec, c.xscale, c.prec, "
      "c.scale, c.isnullable, c.status, c.cdefault, c.iscomputed FROM syscolumns c JOIN systypes t "
      "ON t.xusertype = c.xtype WHERE c.id = ? AND c.number = 0 AND c.colid > 0 "
      "ORDER BY c.colid");
  stmt.Bind(1, table_id);
  while (stmt.Step()) {
    TableColumn column;
    column.name = stmt.Text(0);
    column.colid = static_cast<int>(stmt.Int(1));
    column.type.name = stmt.Text(2);
    column.type.xtype = static_cast<int>(stmt.Int(3));
    column.type.xusertype = static_cast<int>(stmt.Int(4));
    column.type.length = static_cast<int>(stmt.Int(5));
    column.type.xprec = static_cast<int>(stmt.Int(6));
    column.type.xscale = static_cast<int>(stmt.Int(7));
    column.type.prec = static_cast<int>(stmt.Int(8));
    column.type.scale = stmt.IsNull(9) ? -1 : static_cast<int>(stmt.Int(9));
    column.type.is_max = column.type.length == -1 && column.type.name != "xml";
    const std::string& n = column.type.name;
    column.type.is_character = n == "char" || n == "varchar" || n == "nchar" || n == "nvarchar" ||
                               n == "text" || n == "ntext" || n == "sysname";
    column.nullable = stmt.Int(10) != 0;
    column.identity = (stmt.Int(11) & 0x80) != 0;
    column.default_id = stmt.Int(12);
    column.computed = stmt.Int(13) != 0;
    columns.push_back(std::move(column));
  }
  return columns;
}

std::vector<IndexRow> EmbeddedDatabase::Indexes(std::int64_t table_id) {
  std::vector<IndexRow> indexes;
  auto stmt = db_.PrepareCached(
      "SELECT indid, name, status FROM sysindexes WHERE id = ? AND indid BETWEEN 1 AND 250 "
      "ORDER BY indid");
  stmt.Bind(1, table_id);
  while (stmt.Step())
    indexes.push_back(
        {static_cast<int>(stmt.Int(0)), stmt.Text(1), static_cast<int>(stmt.Int(2)), {}});
  auto keys =
      db_.PrepareCached("SELECT colid FROM sysindexkeys WHERE id = ? AND indid = ? ORDER BY keyno");
  for (auto& index : indexes) {
    keys.Bind(1, table_id).Bind(2, static_cast<std::int64_t>(index.indid));
    while (keys.Step())
      index.colids.push_back(static_cast<int>(keys.Int(0)));
    keys.Reset();
  }
  return indexes;
}

std::optional<DeclaredType> EmbeddedDatabase::ResolveType(const std::string& name,
                                                          const std::vector<std::string>& args,
                                                          bool* allow_nulls) {
  if (allow_nulls)
    *allow_nulls = true;
  if (auto type = MakeDeclaredType(name, args, info_.major_version))
    return type;
  if (!args.empty())
    return std::nullopt;
  auto stmt = db_.Prepare(
      "SELECT b.name, u.xusertype, u.prec, u.scale, u.allownulls, u.length FROM systypes u JOIN "
      "systypes b ON b.xusertype = u.xtype WHERE u.name = ? AND u.xusertype > 256");
  stmt.Bind(1, std::string_view(name));
  if (!stmt.Step())
    return std::nullopt;
  const std::string base = stmt.Text(0);
  std::vector<std::string> base_args;
  if (base == "char" || base == "varchar" || base == "nchar" || base == "nvarchar" ||
      base == "binary" || base == "varbinary")
    base_args.push_back(stmt.Int(5) == -1 ? std::string("max") : std::to_string(stmt.Int(2)));
  else if (base == "decimal" || base == "numeric")
    base_args = {std::to_string(stmt.Int(2)), std::to_string(stmt.IsNull(3) ? 0 : stmt.Int(3))};
  auto type = MakeDeclaredType(base, base_args, info_.major_version);
  if (!type)
    return std::nullopt;
  type->xusertype = static_cast<int>(stmt.Int(1));
  if (allow_nulls)
    *allow_nulls = stmt.Int(4) != 0;
  return type;
}

void EmbeddedDatabase::AddUserType(const std::string& name, const std::string& base_text,
                                   bool allow_nulls, int schema_id) {
  if (QueryInt(db_, "SELECT 1 FROM systypes WHERE name = ?", {name}))
    throw SqlError(15180, "The type '" + name +
                              "' already exists, or you do not have permission "
                              "to create it.");
  const auto tokens = Tokenize(base_text);
  std::vector<std::string> args;
  std::string base;
  for (const auto& token : tokens) {
    if (token.kind == TokenKind::kEnd)
      break;
    if (base.empty() && token.IsName())
      base = token.text;
    else if (token.kind == TokenKind::kNumber || token.IsWord("max"))
      args.push_back(token.text);
  }
  auto type = MakeDeclaredType(base, args, info_.major_version);
  if (!type || type->name == "sysname")
    throw SqlError(15036, "The data type '" + base_text + "' does not exist.");
  const std::int64_t xusertype = std::max<std::int64_t>(
      257, QueryInt(db_, "SELECT max(xusertype) + 1 FROM systypes").value_or(257));
  auto stmt = db_.Prepare(
      "INSERT INTO systypes (name, xtype, xusertype, length, xprec, xscale, usertype, variable, "
      "allownulls, type, prec, scale, uid, collation, collationid) "
      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  stmt.Bind(1, std::string_view(name))
      .Bind(2, static_cast<std::int64_t>(type->xtype))
      .Bind(3, xusertype)
      .Bind(4, static_cast<std::int64_t>(type->length))
      .Bind(5, static_cast<std::int64_t>(type->xprec))
      .Bind(6, static_cast<std::int64_t>(type->xscale))
      .Bind(7, xusertype)
      .Bind(8, static_cast<std::int64_t>(type->name == "varchar" || type->name == "nvarchar" ||
                                                 type->name == "varbinary"
                                             ? 1
                                             : 0))
      .Bind(9, static_cast<std::int64_t>(allow_nulls ? 1 : 0))
      .Bind(10, static_cast<std::int64_t>(type->xtype))
      .Bind(11, static_cast<std::int64_t>(type->prec));
  if (type->scale < 0)
    stmt.BindNull(12);
  else
    stmt.Bind(12, static_cast<std::int64_t>(type->scale));
  stmt.Bind(13, static_cast<std::int64_t>(schema_id));
  if (type->is_character)
    stmt.Bind(14, std::string_view("SQL_Latin1_General_CP1_CI_AS"))
        .Bind(15, static_cast<std::int64_t>(872468488));
  else
    stmt.BindNull(14).BindNull(15);
  stmt.Step();
}

std::string EmbeddedDatabase::CommentText(std::int64_t id) {
  std::string text;
  auto stmt = db_.Prepare("SELECT text FROM syscomments WHERE id = ? ORDER BY number, colid");
  stmt.Bind(1, id);
  while (stmt.Step())
    text += stmt.Text(0);
  return text;
}

std::int64_t EmbeddedDatabase::NewObjectId() {
  // Ids look like a real server's (large, spread out) yet are reproducible: a fixed stride
  // from a fixed start, skipping any id in use.
  std::int64_t n =
      QueryInt(db_, "SELECT CAST(value AS INTEGER) FROM kvn_meta WHERE key = 'next_object'")
          .value_or(0);
  for (;;) {
    const std::int64_t id = (21575115 + n * 16000057) % 2147483647;
    ++n;
    if (id < 1000)
      continue;
    if (!QueryInt(db_, "SELECT 1 FROM sysobjects WHERE id = " + std::to_string(id))) {
      db_.Exec("UPDATE kvn_meta SET value = '" + std::to_string(n) + "' WHERE key = 'next_object'");
      return id;
    }
  }
}

std::int64_t EmbeddedDatabase::AddObject(const std::string& name, const std::string& xtype, int uid,
                                         std::int64_t parent, int info) {
  if (name.empty() || Utf8Length(name) > 128)
    throw SqlError(103, "The identifier that starts with '" + std::string(Utf8Left(name, 128)) +
                            "' is too long. Maximum length is 128.");
  if (FindObject(uid, name))
    ThrowObjectExists(name);
  const std::int64_t id = NewObjectId();
  std::string padded = xtype.size() == 1 ? xtype + " " : xtype;
  std::string type = xtype == "PK" || xtype == "UQ" ? std::string("K ") : padded;
  const std::string now = NowText();
  auto stmt = db_.Prepare(
      "INSERT INTO sysobjects (name, id, xtype, type, uid, parent_obj, info, crdate, refdate, "
      "status, sysstat) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 0, 0)");
  stmt.Bind(1, std::string_view(name))
      .Bind(2, id)
      .Bind(3, std::string_view(padded))
      .Bind(4, std::string_view(type))
      .Bind(5, static_cast<std::int64_t>(uid))
      .Bind(6, parent)
      .Bind(7, static_cast<std::int64_t>(info))
      .Bind(8, std::string_view(now))
      .Bind(9, std::string_view(now));
  stmt.Step();
  return id;
}

void EmbeddedDatabase::AddComment(std::int64_t id, int number, std::string_view text) {
  auto stmt = db_.Prepare(
      "INSERT INTO syscomments (id, number, colid, text, ctext) VALUES (?, ?, ?, ?, NULL)");
  int colid = 1;
  // Stored in 4000-character rows; a cut may fall anywhere, even inside a word.
  for (std::string_view chunk : Utf8Chunks(text, 4000)) {
    stmt.Bind(1, id)
        .Bind(2, static_cast<std::int64_t>(number))
        .Bind(3, static_cast<std::int64_t>(colid++))
        .Bind(4, chunk);
    stmt.Step();
    stmt.Reset();
  }
}

void EmbeddedDatabase::SetProperty(std::int64_t id, const std::string& property, int value) {
  auto stmt =
      db_.Prepare("INSERT OR REPLACE INTO kvn_objprops (id, property, value) VALUES (?, ?, ?)");
  stmt.Bind(1, id)
      .Bind(2, std::string_view(ToLowerAscii(property)))
      .Bind(3, static_cast<std::int64_t>(value));
  stmt.Step();
}

std::string EmbeddedDatabase::MessageName(const ObjectRow& object) {
  if (info_.major_version < 9)
    return object.name;
  return SchemaName(object.uid) + "." + object.name;
}

}  // namespace korvane::embedded

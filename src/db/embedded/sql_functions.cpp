#include "db/embedded/sql_functions.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <vector>

#include "base/text.h"
#include "base/unicode_case.h"
#include "db/embedded/catalog_schema.h"
#include "db/embedded/sql_error.h"
#include "db/embedded/sql_tokenizer.h"
#include "db/embedded/sql_types.h"
#include "db/embedded/value_conversion.h"

namespace korvane::embedded {
namespace {

std::string_view TrimTrailingBlanks(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ')
    --end;
  return text.substr(0, end);
}

int CollationCallback(void*, int a_len, const void* a, int b_len, const void* b) {
  return CompareNames(
      std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(a_len)),
      std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(b_len)));
}

SessionInfo* Info(sqlite3_context* context) {
  return static_cast<SessionInfo*>(sqlite3_user_data(context));
}

std::string ArgText(sqlite3_value* value) {
  const auto* text = sqlite3_value_text(value);
  return text ? std::string(reinterpret_cast<const char*>(text),
                            static_cast<std::size_t>(sqlite3_value_bytes(value)))
              : std::string();
}

// Runs a one-row query with integer/text bindings and returns the first column as text, or
// nullopt when there is no row or it is NULL.
struct Binding {
  bool is_text;
  std::int64_t number;
  std::string text;
};
Binding B(std::int64_t n) {
  return {false, n, {}};
}
Binding B(std::string t) {
  return {true, 0, std::move(t)};
}

sqlite3_stmt* Bound(StatementCache& cache, const char* sql, const std::vector<Binding>& args) {
  sqlite3_stmt* stmt = cache.Get(sql);
  if (!stmt)
    return nullptr;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i].is_text)
      sqlite3_bind_text(stmt, static_cast<int>(i + 1), args[i].text.c_str(), -1, SQLITE_TRANSIENT);
    else
      sqlite3_bind_int64(stmt, static_cast<int>(i + 1), args[i].number);
  }
  return stmt;
}

std::optional<std::int64_t> OneInt(StatementCache& cache, const char* sql,
                                   const std::vector<Binding>& args) {
  sqlite3_stmt* stmt = Bound(cache, sql, args);
  if (!stmt)
    return std::nullopt;
  std::optional<std::int64_t> result;
  if (sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_type(stmt, 0) != SQLITE_NULL)
    result = sqlite3_column_int64(stmt, 0);
  sqlite3_reset(stmt);
  return result;
}

std::optional<std::string> OneText(StatementCache& cache, const char* sql,
                                   const std::vector<Binding>& args) {
  sqlite3_stmt* stmt = Bound(cache, sql, args);
  if (!stmt)
    return std::nullopt;
  std::optional<std::string> result;
  if (sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_type(stmt, 0) != SQLITE_NULL)
    result = std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)),
                         static_cast<std::size_t>(sqlite3_column_bytes(stmt, 0)));
  sqlite3_reset(stmt);
  return result;
}

void ResultText(sqlite3_context* context, const std::string& text) {
  sqlite3_result_text(context, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void ResultOptionalInt(sqlite3_context* context, std::optional<std::int64_t> value) {
  if (value)
    sqlite3_result_int64(context, *value);
  else
    sqlite3_result_null(context);
}

void ResultBool(sqlite3_context* context, bool value) {
  sqlite3_result_int(context, value ? 1 : 0);
}

bool Exists(StatementCache& db, const char* sql, const std::vector<Binding>& args) {
  return OneInt(db, sql, args).has_value();
}

// --- OBJECTPROPERTY ------------------------------------------------------------------------

void ObjectPropertyFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  StatementCache& db = *Info(context)->statements;
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
    return sqlite3_result_null(context);
  const std::int64_t id = sqlite3_value_int64(argv[0]);
  const std::string property = ToLowerAscii(ArgText(argv[1]));
  sqlite3_stmt* stmt =
      db.Get("SELECT rtrim(xtype), parent_obj, uid, status FROM main.sysobjects WHERE id = ?");
  if (!stmt)
    return sqlite3_result_null(context);
  sqlite3_bind_int64(stmt, 1, id);
  if (sqlite3_step(stmt) != SQLITE_ROW) {
    sqlite3_reset(stmt);
    return sqlite3_result_null(context);
  }
  const std::string xtype(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
  const std::int64_t parent = sqlite3_column_int64(stmt, 1);
  const std::int64_t uid = sqlite3_column_int64(stmt, 2);
  const std::int64_t status = sqlite3_column_int64(stmt, 3);
  sqlite3_reset(stmt);

  // Properties recorded when the object was created (trigger events, cascades, options).
  if (auto stored = OneInt(db, "SELECT value FROM main.kvn_objprops WHERE id = ? AND property = ?",
                           {B(id), B(property)}))
    return sqlite3_result_int64(context, *stored);

  auto child = [&](const char* child_xtype) {
    return Exists(db, "SELECT 1 FROM main.sysobjects WHERE parent_obj = ? AND xtype = ?",
                  {B(id), B(std::string(child_xtype))});
  };
  auto child_trigger = [&](const char* event) {
    return OneInt(db,
                  "SELECT count(*) FROM main.sysobjects o JOIN main.kvn_objprops p ON p.id = o.id "
                  "WHERE o.parent_obj = ? AND o.xtype = 'TR' AND p.property = ? AND p.value = 1",
                  {B(id), B(std::string(event))})
        .value_or(0);
  };
  auto first_trigger = [&](const char* event) {
    return OneInt(db,
                  "SELECT min(o.id) FROM main.sysobjects o JOIN main.kvn_objprops p ON p.id = o.id "
                  "WHERE o.parent_obj = ? AND o.xtype = 'TR' AND p.property = ? AND p.value = 1",
                  {B(id), B(std::string(event))})
        .value_or(0);
  };
  const bool table = xtype == "U" || xtype == "S";
  const bool is_default = xtype == "D";
  if (property == "isusertable")
    return ResultBool(context, xtype == "U");
  if (property == "issystemtable")
    return ResultBool(context, xtype == "S");
  if (property == "istable")
    return ResultBool(context, table);
  if (property == "isview")
    return ResultBool(context, xtype == "V");
  if (property == "isprocedure")
    return ResultBool(context, xtype == "P");
  if (property == "isextendedproc")
    return ResultBool(context, xtype == "X");
  if (property == "isreplproc")
    return ResultBool(context, false);
  if (property == "istrigger")
    return ResultBool(context, xtype == "TR");
  if (property == "isscalarfunction")
    return ResultBool(context, xtype == "FN");
  if (property == "isinlinefunction")
    return ResultBool(context, xtype == "IF");
  // Whether IsTableFunction is 1 for inline functions too is not documented; both kinds return
  // tables, so both answer 1 here.
  if (property == "istablefunction")
    return ResultBool(context, xtype == "TF" || xtype == "IF");
  if (property == "isprimarykey")
    return ResultBool(context, xtype == "PK");
  if (property == "isforeignkey")
    return ResultBool(context, xtype == "F");
  if (property == "isuniquecnst")
    return ResultBool(context, xtype == "UQ");
  if (property == "ischeckcnst")
    return ResultBool(context, xtype == "C");
  if (property == "isdefaultcnst")
    return ResultBool(context, is_default && parent != 0);
  if (property == "isconstraint")
    return ResultBool(context, xtype == "PK" || xtype == "UQ" || xtype == "F" || xtype == "C" ||
                                   (is_default && parent != 0));
  if (property == "isdefault")
    return ResultBool(context, is_default && parent == 0);
  if (property == "isrule")
    return ResultBool(context, xtype == "R");
  if (property == "ismsshipped")
    return ResultBool(context, status < 0);
  if (property == "isencrypted" || property == "isschemabound" || property == "cnstisdisabled" ||
      property == "cnstisnotrepl" || property == "cnstisnottrusted" ||
      property == "cnstisdeletecascade" || property == "cnstisupdatecascade" ||
      property == "execistriggerdisabled" || property == "execistriggernotforrepl" ||
      property == "execisstartup" || property == "execisinserttrigger" ||
      property == "execisupdatetrigger" || property == "execisdeletetrigger" ||
      property == "execisinsteadoftrigger")
    return ResultBool(context, false);
  if (property == "execisaftertrigger")
    return ResultBool(context, xtype == "TR");
  if (property == "isansinullson" || property == "isquotedidenton" ||
      property == "execisansinullson" || property == "execisquotedidenton")
    return ResultBool(context, true);
  if (property == "isindexed")
    return ResultBool(context, Exists(db,
                                      "SELECT 1 FROM main.sysindexes WHERE id = ? AND indid "
                                      "BETWEEN 1 AND 250 AND status & 96 = 0",
                                      {B(id)}));
  if (property == "isindexable")
    return ResultBool(context, table || xtype == "V");
  if (property == "cnstisclustkey" || property == "cnstisnonclustkey") {
    auto clustered = OneInt(db,
                            "SELECT i.status & 16 FROM main.sysindexes i JOIN main.sysobjects o "
                            "ON o.name = i.name AND o.parent_obj = i.id WHERE o.id = ?",
                            {B(id)});
    if (!clustered)
      return ResultBool(context, false);
    return ResultBool(context, property == "cnstisclustkey" ? *clustered != 0 : *clustered == 0);
  }
  if (property == "cnstiscolumn")
    return ResultBool(context,
                      OneInt(db,
                             "SELECT count(*) FROM main.sysindexkeys k JOIN main.sysindexes i "
                             "ON i.id = k.id AND i.indid = k.indid JOIN main.sysobjects o "
                             "ON o.name = i.name AND o.parent_obj = i.id WHERE o.id = ?",
                             {B(id)})
                              .value_or(0) == 1);
  if (property == "tablehasidentity")
    return ResultBool(context,
                      table && Exists(db, "SELECT 1 FROM main.kvn_identity WHERE id = ?", {B(id)}));
  if (property == "tablehasprimarykey")
    return ResultBool(context, child("PK"));
  if (property == "tablehasforeignkey")
    return ResultBool(context, child("F "));
  if (property == "tablehasforeignref")
    return ResultBool(context,
                      Exists(db, "SELECT 1 FROM main.sysreferences WHERE rkeyid = ?", {B(id)}));
  if (property == "tablehascheckcnst")
    return ResultBool(context, child("C "));
  if (property == "tablehasdefaultcnst")
    return ResultBool(context, child("D "));
  if (property == "tablehasuniquecnst")
    return ResultBool(context, child("UQ"));
  if (property == "tablehasclustindex")
    return ResultBool(
        context, Exists(db, "SELECT 1 FROM main.sysindexes WHERE id = ? AND indid = 1", {B(id)}));
  if (property == "tablehasindex")
    return ResultBool(context, Exists(db,
                                      "SELECT 1 FROM main.sysindexes WHERE id = ? AND indid "
                                      "BETWEEN 1 AND 250 AND status & 96 = 0",
                                      {B(id)}));
  if (property == "tablehastextimage")
    return ResultBool(
        context, Exists(db, "SELECT 1 FROM main.syscolumns WHERE id = ? AND xtype IN (34, 35, 99)",
                        {B(id)}));
  if (property == "tablehastimestamp")
    return ResultBool(
        context, Exists(db, "SELECT 1 FROM main.syscolumns WHERE id = ? AND xtype = 189", {B(id)}));
  if (property == "tablehasrowguidcol")
    return ResultBool(context, false);
  if (property == "tablehasinserttrigger")
    return ResultBool(context, child_trigger("execisinserttrigger") > 0);
  if (property == "tablehasupdatetrigger")
    return ResultBool(context, child_trigger("execisupdatetrigger") > 0);
  if (property == "tablehasdeletetrigger")
    return ResultBool(context, child_trigger("execisdeletetrigger") > 0);
  if (property == "tableinserttriggercount")
    return sqlite3_result_int64(context, child_trigger("execisinserttrigger"));
  if (property == "tableupdatetriggercount")
    return sqlite3_result_int64(context, child_trigger("execisupdatetrigger"));
  if (property == "tabledeletetriggercount")
    return sqlite3_result_int64(context, child_trigger("execisdeletetrigger"));
  if (property == "tableinserttrigger")
    return sqlite3_result_int64(context, first_trigger("execisinserttrigger"));
  if (property == "tableupdatetrigger")
    return sqlite3_result_int64(context, first_trigger("execisupdatetrigger"));
  if (property == "tabledeletetrigger")
    return sqlite3_result_int64(context, first_trigger("execisdeletetrigger"));
  if (property == "ownerid") {
    if (parent != 0)
      return ResultOptionalInt(
          context, OneInt(db, "SELECT uid FROM main.sysobjects WHERE id = ?", {B(parent)}));
    return sqlite3_result_int64(context, uid);
  }
  if (property == "schemaid" && Info(context)->major_version >= 9)
    return sqlite3_result_int64(context, uid);
  sqlite3_result_null(context);
}

// --- INDEXPROPERTY -------------------------------------------------------------------------

void IndexPropertyFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  StatementCache& db = *Info(context)->statements;
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL ||
      sqlite3_value_type(argv[2]) == SQLITE_NULL)
    return sqlite3_result_null(context);
  sqlite3_stmt* stmt =
      db.Get("SELECT indid, status, OrigFillFactor FROM main.sysindexes WHERE id = ? AND name = ?");
  if (!stmt)
    return sqlite3_result_null(context);
  sqlite3_bind_int64(stmt, 1, sqlite3_value_int64(argv[0]));
  const std::string name = ArgText(argv[1]);
  sqlite3_bind_text(stmt, 2, name.c_str(), -1, SQLITE_TRANSIENT);
  if (sqlite3_step(stmt) != SQLITE_ROW) {
    sqlite3_reset(stmt);
    return sqlite3_result_null(context);
  }
  const std::int64_t indid = sqlite3_column_int64(stmt, 0);
  const std::int64_t status = sqlite3_column_int64(stmt, 1);
  const std::int64_t fill = sqlite3_column_int64(stmt, 2);
  sqlite3_reset(stmt);
  const std::string property = ToLowerAscii(ArgText(argv[2]));
  if (indid == 0 || indid == 255)
    return sqlite3_result_null(context);
  if (property == "isclustered")
    return ResultBool(context, (status & 16) != 0);
  if (property == "isunique")
    return ResultBool(context, (status & 2) != 0);
  if (property == "isstatistics")
    return ResultBool(context, (status & 64) != 0);
  if (property == "isautostatistics")
    return ResultBool(context, (status & 0x800000) != 0);
  if (property == "ishypothetical")
    return ResultBool(context, (status & 32) != 0);
  if (property == "ispadindex" || property == "isfulltextkey" ||
      property == "isrowlockdisallowed" || property == "ispagelockdisallowed")
    return ResultBool(context, false);
  if (property == "indexid")
    return sqlite3_result_int64(context, indid);
  if (property == "indexfillfactor")
    return sqlite3_result_int64(context, fill);
  if (property == "indexdepth")
    return sqlite3_result_int64(context, (status & 96) != 0 ? 0 : 1);
  sqlite3_result_null(context);
}

// --- LIKE ----------------------------------------------------------------------------------

std::vector<std::uint32_t> FoldedCodes(std::string_view text) {
  const std::u32string folded = FoldedCodePoints(text);
  return std::vector<std::uint32_t>(folded.begin(), folded.end());
}

// One element of a LIKE pattern: any run (%), any single character (_), a set ([a-c], [^x]) or
// one character.
struct PatternItem {
  enum class Kind { kAnyRun, kAnyOne, kSet, kChar } kind = Kind::kChar;
  std::uint32_t code = 0;
  bool negated = false;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges;

  bool Matches(std::uint32_t c) const {
    switch (kind) {
      case Kind::kAnyOne:
        return true;
      case Kind::kChar:
        return c == code;
      case Kind::kSet: {
        bool in = false;
        for (const auto& [low, high] : ranges)
          in = in || (c >= low && c <= high);
        return in != negated;
      }
      case Kind::kAnyRun:
        break;
    }
    return false;
  }
};

std::vector<PatternItem> ParsePattern(const std::vector<std::uint32_t>& p,
                                      std::optional<std::uint32_t> escape) {
  std::vector<PatternItem> items;
  for (std::size_t i = 0; i < p.size(); ++i) {
    PatternItem item;
    if (escape && p[i] == *escape && i + 1 < p.size()) {
      item.code = p[++i];
    } else if (p[i] == '%') {
      item.kind = PatternItem::Kind::kAnyRun;
    } else if (p[i] == '_') {
      item.kind = PatternItem::Kind::kAnyOne;
    } else if (p[i] == '[') {
      std::size_t close = i + 1;
      if (close < p.size() && p[close] == '^')
        ++close;
      if (close < p.size())
        ++close;  // a "]" right after "[" or "[^" is a member
      while (close < p.size() && p[close] != ']')
        ++close;
      if (close >= p.size()) {
        item.code = p[i];  // no closing bracket: a literal "["
      } else {
        item.kind = PatternItem::Kind::kSet;
        std::size_t k = i + 1;
        if (p[k] == '^') {
          item.negated = true;
          ++k;
        }
        for (; k < close; ++k) {
          if (k + 2 < close && p[k + 1] == '-')
            item.ranges.emplace_back(p[k], p[k + 2]), k += 2;
          else
            item.ranges.emplace_back(p[k], p[k]);
        }
        i = close;
      }
    } else {
      item.code = p[i];
    }
    items.push_back(std::move(item));
  }
  return items;
}

bool LikeMatches(const std::vector<PatternItem>& pattern, const std::vector<std::uint32_t>& text) {
  std::size_t p = 0;
  std::size_t t = 0;
  std::size_t star = std::string::npos;
  std::size_t star_text = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p].kind == PatternItem::Kind::kAnyRun) {
      star = p++;
      star_text = t;
    } else if (p < pattern.size() && pattern[p].Matches(text[t])) {
      ++p;
      ++t;
    } else if (star != std::string::npos) {
      p = star + 1;
      t = ++star_text;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p].kind == PatternItem::Kind::kAnyRun)
    ++p;
  return p == pattern.size();
}

// SQL Server's LIKE: case-insensitive as the collation, %, _, [set], [^set], ESCAPE; trailing
// blanks of the matched value are ignored, those of the pattern count.
void LikeFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
    return sqlite3_result_null(context);
  std::optional<std::uint32_t> escape;
  if (argc > 2 && sqlite3_value_type(argv[2]) != SQLITE_NULL) {
    const auto codes = FoldedCodes(ArgText(argv[2]));
    if (codes.size() != 1)
      return sqlite3_result_error(
          context, "kvn:506:The invalid escape character was specified in a LIKE predicate.", -1);
    escape = codes[0];
  }
  const auto pattern = ParsePattern(FoldedCodes(ArgText(argv[0])), escape);
  const std::string value = ArgText(argv[1]);
  ResultBool(context, LikeMatches(pattern, FoldedCodes(TrimTrailingBlanks(value))));
}

// --- COLUMNPROPERTY, INDEX_COL ---------------------------------------------------------------

void ColumnPropertyFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  StatementCache& db = *Info(context)->statements;
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
    return sqlite3_result_null(context);
  sqlite3_stmt* stmt = db.Get(
      "SELECT colid, isnullable, status, prec, scale, iscomputed, isoutparam "
      "FROM main.syscolumns WHERE id = ? AND name = ?");
  if (!stmt)
    return sqlite3_result_null(context);
  sqlite3_bind_int64(stmt, 1, sqlite3_value_int64(argv[0]));
  const std::string column = ArgText(argv[1]);
  sqlite3_bind_text(stmt, 2, column.c_str(), -1, SQLITE_TRANSIENT);
  if (sqlite3_step(stmt) != SQLITE_ROW) {
    sqlite3_reset(stmt);
    return sqlite3_result_null(context);
  }
  const std::string property = ToLowerAscii(ArgText(argv[2]));
  sqlite3_int64 result = 0;
  bool known = true;
  if (property == "columnid")
    result = sqlite3_column_int64(stmt, 0);
  else if (property == "allowsnull")
    result = sqlite3_column_int64(stmt, 1);
  else if (property == "isidentity")
    result = (sqlite3_column_int64(stmt, 2) & 0x80) ? 1 : 0;
  else if (property == "precision")
    result = sqlite3_column_int64(stmt, 3);
  else if (property == "scale" && sqlite3_column_type(stmt, 4) != SQLITE_NULL)
    result = sqlite3_column_int64(stmt, 4);
  else if (property == "iscomputed")
    result = sqlite3_column_int64(stmt, 5);
  else if (property == "isoutparam")
    result = sqlite3_column_int64(stmt, 6);
  else if (property == "isrowguidcol" || property == "isidnotforrepl")
    result = 0;
  else
    known = false;
  sqlite3_reset(stmt);
  if (!known)
    return sqlite3_result_null(context);
  sqlite3_result_int64(context, result);
}

void IndexColFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  StatementCache& db = *Info(context)->statements;
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
    return sqlite3_result_null(context);
  const std::int64_t id = ResolveObjectId(db, ArgText(argv[0]));
  auto name = OneText(db,
                      "SELECT c.name FROM main.sysindexkeys k JOIN main.syscolumns c ON c.id = "
                      "k.id AND c.colid = k.colid AND c.number = 0 WHERE k.id = ? AND k.indid = ? "
                      "AND k.keyno = ?",
                      {B(id), B(sqlite3_value_int64(argv[1])), B(sqlite3_value_int64(argv[2]))});
  if (!name)
    return sqlite3_result_null(context);
  ResultText(context, *name);
}

// --- names ---------------------------------------------------------------------------------

void ObjectIdFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
    return sqlite3_result_null(context);
  StatementCache& db = *Info(context)->statements;
  const std::int64_t id = ResolveObjectId(db, ArgText(argv[0]));
  if (id == 0)
    return sqlite3_result_null(context);
  if (argc > 1 && sqlite3_value_type(argv[1]) != SQLITE_NULL) {
    auto matches = OneInt(db, "SELECT 1 FROM main.sysobjects WHERE id = ? AND xtype = ?",
                          {B(id), B(ArgText(argv[1]))});
    if (!matches)
      return sqlite3_result_null(context);
  }
  sqlite3_result_int64(context, id);
}

void ObjectNameFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  StatementCache& db = *Info(context)->statements;
  auto name = OneText(db, "SELECT name FROM main.sysobjects WHERE id = ?",
                      {B(sqlite3_value_int64(argv[0]))});
  if (!name)
    return sqlite3_result_null(context);
  ResultText(context, *name);
}

void ObjectSchemaNameFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  StatementCache& db = *Info(context)->statements;
  auto name = OneText(db,
                      "SELECT s.name FROM main.sysobjects o JOIN main.kvn_schemas s "
                      "ON s.schema_id = o.uid WHERE o.id = ?",
                      {B(sqlite3_value_int64(argv[0]))});
  if (!name)
    return sqlite3_result_null(context);
  ResultText(context, *name);
}

void ObjectDefinitionFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  StatementCache& db = *Info(context)->statements;
  auto text = OneText(db,
                      "SELECT group_concat(text, '') FROM (SELECT text FROM main.syscomments "
                      "WHERE id = ? ORDER BY number, colid)",
                      {B(sqlite3_value_int64(argv[0]))});
  if (!text)
    return sqlite3_result_null(context);
  ResultText(context, *text);
}

void UserNameFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
  StatementCache& db = *Info(context)->statements;
  const std::int64_t uid = argc == 0 ? 1 : sqlite3_value_int64(argv[0]);
  if (argc > 0 && sqlite3_value_type(argv[0]) == SQLITE_NULL)
    return sqlite3_result_null(context);
  auto name = OneText(db, "SELECT name FROM main.sysusers WHERE uid = ?", {B(uid)});
  if (!name)
    return sqlite3_result_null(context);
  ResultText(context, *name);
}

void UserIdFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
  StatementCache& db = *Info(context)->statements;
  if (argc == 0)
    return sqlite3_result_int64(context, 1);
  ResultOptionalInt(
      context, OneInt(db, "SELECT uid FROM main.sysusers WHERE name = ?", {B(ArgText(argv[0]))}));
}

void SchemaNameFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
  StatementCache& db = *Info(context)->statements;
  const std::int64_t id = argc == 0 ? 1 : sqlite3_value_int64(argv[0]);
  auto name = OneText(db, "SELECT name FROM main.kvn_schemas WHERE schema_id = ?", {B(id)});
  if (!name)
    return sqlite3_result_null(context);
  ResultText(context, *name);
}

void SchemaIdFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
  StatementCache& db = *Info(context)->statements;
  if (argc == 0)
    return sqlite3_result_int64(context, 1);
  ResultOptionalInt(context, OneInt(db, "SELECT schema_id FROM main.kvn_schemas WHERE name = ?",
                                    {B(ArgText(argv[0]))}));
}

void DbNameFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (argc == 0)
    return ResultText(context, Info(context)->database_name);
  StatementCache& db = *Info(context)->statements;
  const char* sql =
      Info(context)->major_version > 0 && EqualsIgnoringCase(Info(context)->database_name, "master")
          ? "SELECT name FROM main.sysdatabases WHERE dbid = ?"
          : "SELECT name FROM master.sysdatabases WHERE dbid = ?";
  auto name = OneText(db, sql, {B(sqlite3_value_int64(argv[0]))});
  if (!name)
    return sqlite3_result_null(context);
  ResultText(context, *name);
}

// --- identity --------------------------------------------------------------------------------

// The answer of ident_seed / ident_incr for one table name.
struct IdentityAnswer {
  std::optional<std::string> text;
};

void ResultIdentity(sqlite3_context* context, const std::optional<std::string>& text) {
  if (!text)
    return sqlite3_result_null(context);
  // numeric results: integral seeds come back as integers.
  if (IsNumeric(*text) && text->find('.') == std::string::npos)
    return sqlite3_result_int64(context, std::strtoll(text->c_str(), nullptr, 10));
  ResultText(context, *text);
}

template <int kColumn>
void IdentityPart(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
    return sqlite3_result_null(context);
  // A seed or increment cannot change while one statement runs: with a constant name (the
  // column query's ident_seed('T')) it is looked up once per statement, not once per row.
  constexpr bool kStable = kColumn < 2;
  if (kStable) {
    if (const auto* cached = static_cast<IdentityAnswer*>(sqlite3_get_auxdata(context, 0)))
      return ResultIdentity(context, cached->text);
  }
  StatementCache& db = *Info(context)->statements;
  const std::int64_t id = ResolveObjectId(db, ArgText(argv[0]));
  static constexpr const char* kSql[] = {
      "SELECT seed FROM main.kvn_identity WHERE id = ?",
      "SELECT increment FROM main.kvn_identity WHERE id = ?",
      "SELECT coalesce(last_value, seed) FROM main.kvn_identity WHERE id = ?"};
  auto text = OneText(db, kSql[kColumn], {B(id)});
  ResultIdentity(context, text);
  if (kStable) {
    sqlite3_set_auxdata(context, 0, new IdentityAnswer{std::move(text)},
                        [](void* answer) { delete static_cast<IdentityAnswer*>(answer); });
  }
}

// --- server --------------------------------------------------------------------------------

std::string ProductLevel(const std::string& version) {
  const int build = static_cast<int>(LeadingNumber(version.size() > 5 ? version.substr(5) : ""));
  if (version.rfind("8.", 0) == 0)
    return build >= 2039  ? "SP4"
           : build >= 760 ? "SP3"
           : build >= 534 ? "SP2"
           : build >= 384 ? "SP1"
                          : "RTM";
  if (version.rfind("9.", 0) == 0)
    return build >= 5000   ? "SP4"
           : build >= 4035 ? "SP3"
           : build >= 3042 ? "SP2"
           : build >= 2047 ? "SP1"
                           : "RTM";
  return "RTM";
}

void ServerPropertyFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  const SessionInfo* info = Info(context);
  const std::string property = ToLowerAscii(ArgText(argv[0]));
  if (property == "productversion")
    return ResultText(context, info->product_version);
  if (property == "productlevel")
    return ResultText(context, ProductLevel(info->product_version));
  if (property == "edition")
    return ResultText(context, "Developer Edition");
  if (property == "engineedition")
    return sqlite3_result_int(context, 3);
  if (property == "collation")
    return ResultText(context, "SQL_Latin1_General_CP1_CI_AS");
  if (property == "machinename" || property == "servername")
    return ResultText(context, info->server_name);
  if (property == "isintegratedsecurityonly" || property == "issingleuser" ||
      property == "isclustered" || property == "isfulltextinstalled")
    return sqlite3_result_int(context, 0);
  sqlite3_result_null(context);
}

void VersionVariable(sqlite3_context* context, int, sqlite3_value** argv) {
  const SessionInfo* info = Info(context);
  const std::string name = ToLowerAscii(ArgText(argv[0]));
  if (name == "@@version") {
    const bool v8 = info->major_version < 9;
    return ResultText(context, std::string("Microsoft SQL Server ") + (v8 ? " 2000" : "2005") +
                                   " - " + info->product_version + " (Intel X86) \n\t" +
                                   (v8 ? "May  3 2005 23:18:38 \n\tCopyright (c) 1988-2003"
                                       : "Dec 10 2010 10:56:29 \n\tCopyright (c) 1988-2005") +
                                   " Microsoft Corporation\n\tDeveloper Edition on Windows NT 5.2 "
                                   "(Build 3790: Service Pack 2)\n");
  }
  if (name == "@@servername")
    return ResultText(context, info->server_name);
  if (name == "@@rowcount")
    return sqlite3_result_int64(context, info->row_count);
  if (name == "@@identity") {
    if (info->last_identity < 0)
      return sqlite3_result_null(context);
    return sqlite3_result_int64(context, info->last_identity);
  }
  if (name == "@@error" || name == "@@trancount")
    return sqlite3_result_int(context, 0);
  if (name == "@@spid")
    return sqlite3_result_int(context, 51);
  sqlite3_result_null(context);
}

// --- strings -------------------------------------------------------------------------------

void LenFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
    return sqlite3_result_null(context);
  sqlite3_result_int64(context,
                       static_cast<std::int64_t>(Utf8Length(TrimTrailingBlanks(ArgText(argv[0])))));
}

void DataLengthFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
    return sqlite3_result_null(context);
  sqlite3_result_int64(context, sqlite3_value_bytes(argv[0]));
}

void LeftFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
    return sqlite3_result_null(context);
  const std::int64_t n = std::max<std::int64_t>(0, sqlite3_value_int64(argv[1]));
  ResultText(context, std::string(Utf8Left(ArgText(argv[0]), static_cast<std::size_t>(n))));
}

void RightFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
    return sqlite3_result_null(context);
  const std::string text = ArgText(argv[0]);
  const std::size_t length = Utf8Length(text);
  const auto n = static_cast<std::size_t>(std::max<std::int64_t>(0, sqlite3_value_int64(argv[1])));
  ResultText(context, std::string(Utf8Mid(text, n >= length ? 0 : length - n)));
}

void CharIndexFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
    return sqlite3_result_null(context);
  const std::string needle = ArgText(argv[0]);
  const std::string haystack = ArgText(argv[1]);
  std::size_t start = 0;
  if (argc > 2 && sqlite3_value_int64(argv[2]) > 1)
    start = static_cast<std::size_t>(sqlite3_value_int64(argv[2]) - 1);
  const std::size_t byte_start = Utf8Left(haystack, start).size();
  const std::size_t found = FindIgnoringCase(haystack, needle, byte_start);
  if (found == std::string::npos || needle.empty())
    return sqlite3_result_int(context, 0);
  sqlite3_result_int64(context,
                       static_cast<std::int64_t>(Utf8Length(haystack.substr(0, found)) + 1));
}

// YEAR, MONTH, DAY of a stored datetime text ("YYYY-MM-DD ...").
template <int kField>
void DateFieldFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
    return sqlite3_result_null(context);
  const std::string text = ArgText(argv[0]);
  int fields[3] = {0, 0, 0};
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d", &fields[0], &fields[1], &fields[2]) != 3)
    return sqlite3_result_error(
        context, "kvn:241:Conversion failed when converting datetime from character string.", -1);
  sqlite3_result_int(context, fields[kField]);
}

void GetDateFunction(sqlite3_context* context, int, sqlite3_value**) {
  ResultText(context, NowText());
}

void NewIdFunction(sqlite3_context* context, int, sqlite3_value**) {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  char buffer[40];
  const std::uint64_t a = generator();
  const std::uint64_t b = generator();
  std::snprintf(buffer, sizeof buffer, "%08X-%04X-%04X-%04X-%012llX",
                static_cast<unsigned>(a >> 32), static_cast<unsigned>((a >> 16) & 0xFFFF),
                static_cast<unsigned>((a & 0x0FFF) | 0x4000),
                static_cast<unsigned>(((b >> 48) & 0x3FFF) | 0x8000),
                static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFull));
  ResultText(context, buffer);
}

// A stored datetime ("2024-01-02 13:05:09.120") as CONVERT's date style writes it; nullopt for
// a style without a date format (the value then keeps its stored form).
std::optional<std::string> DateStyleText(const std::string& stored, int style) {
  DateTimeValue v;
  if (stored.size() != 23 || !ParseStoredDateTime(stored, &v))
    return std::nullopt;
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const bool century = style >= 100 || style == 0 || style == 9 || style == 13 || style == 14 ||
                       style == 20 || style == 21;
  const int base = style >= 100 ? style - 100 : style;
  const int year = century ? v.year : v.year % 100;
  const int width = century ? 4 : 2;
  const int ms = v.nanosecond / 1000000;
  const char* month = kMonths[std::clamp(v.month, 1, 12) - 1];
  const int hour12 = v.hour % 12 == 0 ? 12 : v.hour % 12;
  const char* half = v.hour < 12 ? "AM" : "PM";
  char out[64];
  switch (base) {
    case 0:
      std::snprintf(out, sizeof out, "%s %2d %0*d %2d:%02d%s", month, v.day, width, year, hour12,
                    v.minute, half);
      break;
    case 1:
      std::snprintf(out, sizeof out, "%02d/%02d/%0*d", v.month, v.day, width, year);
      break;
    case 2:
      std::snprintf(out, sizeof out, "%0*d.%02d.%02d", width, year, v.month, v.day);
      break;
    case 3:
      std::snprintf(out, sizeof out, "%02d/%02d/%0*d", v.day, v.month, width, year);
      break;
    case 4:
      std::snprintf(out, sizeof out, "%02d.%02d.%0*d", v.day, v.month, width, year);
      break;
    case 5:
      std::snprintf(out, sizeof out, "%02d-%02d-%0*d", v.day, v.month, width, year);
      break;
    case 6:
      std::snprintf(out, sizeof out, "%02d %s %0*d", v.day, month, width, year);
      break;
    case 7:
      std::snprintf(out, sizeof out, "%s %02d, %0*d", month, v.day, width, year);
      break;
    case 8:
      std::snprintf(out, sizeof out, "%02d:%02d:%02d", v.hour, v.minute, v.second);
      break;
    case 9:
      std::snprintf(out, sizeof out, "%s %2d %0*d %2d:%02d:%02d:%03d%s", month, v.day, width, year,
                    hour12, v.minute, v.second, ms, half);
      break;
    case 10:
      std::snprintf(out, sizeof out, "%02d-%02d-%0*d", v.month, v.day, width, year);
      break;
    case 11:
      std::snprintf(out, sizeof out, "%0*d/%02d/%02d", width, year, v.month, v.day);
      break;
    case 12:
      std::snprintf(out, sizeof out, "%0*d%02d%02d", width, year, v.month, v.day);
      break;
    case 13:
      std::snprintf(out, sizeof out, "%02d %s %04d %02d:%02d:%02d:%03d", v.day, month, v.year,
                    v.hour, v.minute, v.second, ms);
      break;
    case 14:
      std::snprintf(out, sizeof out, "%02d:%02d:%02d:%03d", v.hour, v.minute, v.second, ms);
      break;
    case 20:
      std::snprintf(out, sizeof out, "%04d-%02d-%02d %02d:%02d:%02d", v.year, v.month, v.day,
                    v.hour, v.minute, v.second);
      break;
    case 21:
      return stored;
    case 26:
      if (style != 126)
        return std::nullopt;
      std::snprintf(out, sizeof out, "%04d-%02d-%02dT%02d:%02d:%02d", v.year, v.month, v.day,
                    v.hour, v.minute, v.second);
      if (ms != 0)
        return std::string(out) + stored.substr(19);
      break;
    default:
      return std::nullopt;
  }
  return std::string(out);
}

// kvn_convert(value, 'type' [, style]): CAST and CONVERT. Converts as storing into a column of
// the type would, except that character and binary targets cut the value to their length
// silently, as a conversion does. A style formats a datetime converted to characters; without
// one, and for styles of other types, a datetime keeps its stored form (the value alone does
// not tell a datetime from text that looks like one).
void ConvertFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
    return sqlite3_result_null(context);
  const std::string declaration = ArgText(argv[1]);
  const std::size_t paren = declaration.find('(');
  std::vector<std::string> args;
  if (paren != std::string::npos && declaration.back() == ')')
    args = Split(declaration.substr(paren + 1, declaration.size() - paren - 2), ",");
  const int version = Info(context)->major_version;
  try {
    auto type = MakeDeclaredType(declaration.substr(0, paren), args, version);
    if (!type)
      throw SqlError(243, "Type " + declaration + " is not a defined system type.");
    const bool binary = type->name == "binary" || type->name == "varbinary";
    DeclaredType target = *type;
    if (type->is_character || binary)
      target.is_max = true;  // cut below instead of failing with 8152
    StoredValue source = StoredFromSqlite(argv[0]);
    if (argc == 3 && type->is_character && source.kind == StoredValue::Kind::kText &&
        sqlite3_value_type(argv[2]) == SQLITE_INTEGER) {
      if (auto styled = DateStyleText(source.text, sqlite3_value_int(argv[2])))
        source.text = *styled;
    }
    StoredValue value = ConvertForColumn(source, target, version);
    const std::size_t limit = type->is_max ? 0 : static_cast<std::size_t>(std::max(type->prec, 0));
    if (limit > 0 && type->is_character && type->name != "text" && type->name != "ntext") {
      const std::size_t length = Utf8Length(value.text);
      if (length > limit)
        value.text = std::string(Utf8Left(value.text, limit));
      else if (type->name == "char" || type->name == "nchar")
        value.text.append(limit - length, ' ');
    }
    if (limit > 0 && binary && (value.blob.size() > limit || type->name == "binary"))
      value.blob.resize(limit, 0);
    switch (value.kind) {
      case StoredValue::Kind::kNull:
        return sqlite3_result_null(context);
      case StoredValue::Kind::kInteger:
        return sqlite3_result_int64(context, value.integer);
      case StoredValue::Kind::kReal:
        return sqlite3_result_double(context, value.real);
      case StoredValue::Kind::kText:
        return ResultText(context, value.text);
      case StoredValue::Kind::kBlob:
        if (value.blob.empty())
          return sqlite3_result_zeroblob(context, 0);
        return sqlite3_result_blob(context, value.blob.data(), static_cast<int>(value.blob.size()),
                                   SQLITE_TRANSIENT);
    }
  } catch (const SqlError& error) {
    const std::string text =
        "kvn:" + std::to_string(error.message().number) + ":" + error.message().text;
    sqlite3_result_error(context, text.c_str(), -1);
  }
}

void SpaceFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  const std::int64_t n = sqlite3_value_int64(argv[0]);
  if (n < 0)
    return sqlite3_result_null(context);
  ResultText(context, std::string(static_cast<std::size_t>(std::min<std::int64_t>(n, 8000)), ' '));
}

void ReplicateFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
    return sqlite3_result_null(context);
  const std::string piece = ArgText(argv[0]);
  const std::int64_t n = sqlite3_value_int64(argv[1]);
  if (n < 0)
    return sqlite3_result_null(context);
  // The result is cut at 8000 bytes, as for any value that is not (max); an empty piece gives
  // an empty text however large the count.
  std::string text;
  for (std::int64_t i = 0; i < n && !piece.empty() && text.size() < 8000; ++i)
    text += piece;
  if (text.size() > 8000) {
    std::size_t cut = 8000;  // not inside a character
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
      --cut;
    text.resize(cut);
  }
  ResultText(context, text);
}

}  // namespace

int CompareNames(std::string_view a, std::string_view b) {
  return CompareFoldingCase(TrimTrailingBlanks(a), TrimTrailingBlanks(b));
}

void RegisterCollation(sqlite3* db) {
  sqlite3_create_collation(db, kNameCollation, SQLITE_UTF8, nullptr, CollationCallback);
}

StatementCache::~StatementCache() {
  for (auto& [sql, stmt] : statements_)
    sqlite3_finalize(stmt);
}

sqlite3_stmt* StatementCache::Get(const char* sql) {
  auto it = statements_.find(sql);
  if (it != statements_.end()) {
    sqlite3_reset(it->second);
    sqlite3_clear_bindings(it->second);
    return it->second;
  }
  sqlite3_stmt* stmt = nullptr;
  if (!db_ || sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt);
    return nullptr;
  }
  statements_.emplace(sql, stmt);
  return stmt;
}

void RegisterFunctions(sqlite3* db, SessionInfo* info) {
  info->statements->set_db(db);
  struct Entry {
    const char* name;
    int args;
    void (*function)(sqlite3_context*, int, sqlite3_value**);
  };
  const Entry entries[] = {
      {"objectproperty", 2, ObjectPropertyFunction},
      {"indexproperty", 3, IndexPropertyFunction},
      {"columnproperty", 3, ColumnPropertyFunction},
      {"index_col", 3, IndexColFunction},
      {"object_id", 1, ObjectIdFunction},
      {"object_id", 2, ObjectIdFunction},
      {"object_name", 1, ObjectNameFunction},
      {"object_definition", 1, ObjectDefinitionFunction},
      {"user_name", 0, UserNameFunction},
      {"user_name", 1, UserNameFunction},
      {"user_id", 0, UserIdFunction},
      {"user_id", 1, UserIdFunction},
      {"db_name", 0, DbNameFunction},
      {"db_name", 1, DbNameFunction},
      {"ident_seed", 1, IdentityPart<0>},
      {"ident_incr", 1, IdentityPart<1>},
      {"ident_current", 1, IdentityPart<2>},
      {"serverproperty", 1, ServerPropertyFunction},
      {"kvn_variable", 1, VersionVariable},
      {"len", 1, LenFunction},
      {"datalength", 1, DataLengthFunction},
      {"kvn_left", 2, LeftFunction},
      {"kvn_right", 2, RightFunction},
      {"charindex", 2, CharIndexFunction},
      {"charindex", 3, CharIndexFunction},
      {"getdate", 0, GetDateFunction},
      {"year", 1, DateFieldFunction<0>},
      {"month", 1, DateFieldFunction<1>},
      {"day", 1, DateFieldFunction<2>},
      {"current_timestamp_", 0, GetDateFunction},
      {"newid", 0, NewIdFunction},
      {"space", 1, SpaceFunction},
      {"replicate", 2, ReplicateFunction},
      {"kvn_convert", 2, ConvertFunction},
      {"kvn_convert", 3, ConvertFunction},
  };
  sqlite3_create_function_v2(db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, info, LikeFunction,
                             nullptr, nullptr, nullptr);
  sqlite3_create_function_v2(db, "like", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, info, LikeFunction,
                             nullptr, nullptr, nullptr);
  // Functions of their arguments alone may serve computed columns, which SQLite allows only
  // for functions declared deterministic.
  static constexpr std::array<std::string_view, 11> kDeterministic = {
      "len",   "datalength", "kvn_left", "kvn_right", "charindex",  "year",
      "month", "day",        "space",    "replicate", "kvn_convert"};
  for (const auto& entry : entries) {
    const bool deterministic = std::find(kDeterministic.begin(), kDeterministic.end(),
                                         std::string_view(entry.name)) != kDeterministic.end();
    sqlite3_create_function_v2(db, entry.name, entry.args,
                               SQLITE_UTF8 | (deterministic ? SQLITE_DETERMINISTIC : 0), info,
                               entry.function, nullptr, nullptr, nullptr);
  }
  if (info->major_version >= 9) {
    sqlite3_create_function_v2(db, "schema_name", 0, SQLITE_UTF8, info, SchemaNameFunction, nullptr,
                               nullptr, nullptr);
    sqlite3_create_function_v2(db, "schema_name", 1, SQLITE_UTF8, info, SchemaNameFunction, nullptr,
                               nullptr, nullptr);
    sqlite3_create_function_v2(db, "schema_id", 0, SQLITE_UTF8, info, SchemaIdFunction, nullptr,
                               nullptr, nullptr);
    sqlite3_create_function_v2(db, "schema_id", 1, SQLITE_UTF8, info, SchemaIdFunction, nullptr,
                               nullptr, nullptr);
  }
  if (info->has_object_schema_name)
    sqlite3_create_function_v2(db, "object_schema_name", 1, SQLITE_UTF8, info,
                               ObjectSchemaNameFunction, nullptr, nullptr, nullptr);
}

namespace {

// The parts of a one- to three-part object name as OBJECT_ID reads it: split at the dots outside
// brackets and double quotes; a [bracketed] part doubles "]" inside, a "quoted" part doubles '"';
// a bare part is taken as written, blanks around it aside, so O'Brien names the table O'Brien.
// Nothing when a bracket or quote is left open.
std::optional<std::vector<std::string>> SplitObjectName(std::string_view name) {
  std::vector<std::string> parts(1);
  bool delimited = false;  // the current part was bracketed or quoted
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (c == '.') {
      if (!delimited)
        parts.back() = Trim(parts.back());
      parts.emplace_back();
      delimited = false;
    } else if ((c == '[' || c == '"') && Trim(parts.back()).empty() && !delimited) {
      const char close = c == '[' ? ']' : '"';
      std::string part;
      std::size_t j = i + 1;
      for (;; ++j) {
        if (j >= name.size())
          return std::nullopt;
        if (name[j] == close) {
          if (j + 1 < name.size() && name[j + 1] == close) {
            part += close;
            ++j;
            continue;
          }
          break;
        }
        part += name[j];
      }
      parts.back() = std::move(part);
      delimited = true;
      i = j;
      // Only blanks may follow the closing bracket before the next dot.
      while (i + 1 < name.size() && name[i + 1] == ' ')
        ++i;
      if (i + 1 < name.size() && name[i + 1] != '.')
        return std::nullopt;
    } else {
      parts.back() += c;
    }
  }
  if (!delimited)
    parts.back() = Trim(parts.back());
  return parts;
}

}  // namespace

std::int64_t ResolveObjectId(StatementCache& db, std::string_view qualified_name) {
  const std::optional<std::vector<std::string>> parsed = SplitObjectName(qualified_name);
  if (!parsed)
    return 0;
  const std::vector<std::string>& parts = *parsed;
  if (parts.empty() || parts.size() > 3)
    return 0;
  const std::string name = parts.back();
  if (!name.empty() && name[0] == '#')
    return 0;
  const std::string schema = parts.size() >= 2 ? parts[parts.size() - 2] : std::string();
  if (schema.empty()) {
    // Unqualified: the user's default schema (dbo), then system objects.
    if (auto id =
            OneInt(db, "SELECT id FROM main.sysobjects WHERE name = ? AND uid = 1", {B(name)}))
      return *id;
    return OneInt(db, "SELECT id FROM main.sysobjects WHERE name = ? AND xtype = 'S '", {B(name)})
        .value_or(0);
  }
  return OneInt(db,
                "SELECT o.id FROM main.sysobjects o JOIN main.kvn_schemas s ON s.schema_id = o.uid "
                "WHERE o.name = ? AND s.name = ?",
                {B(name), B(schema)})
      .value_or(0);
}

}  // namespace korvane::embedded

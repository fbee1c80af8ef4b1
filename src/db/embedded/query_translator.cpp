#include "db/embedded/query_translator.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>

#include "base/text.h"
#include "db/embedded/sql_error.h"
#include "db/embedded/sql_types.h"

namespace korvane::embedded {
namespace {

bool EndsSelectList(const Token& t) {
  return t.kind == TokenKind::kEnd || t.IsPunct(")") || t.IsPunct(";") || t.IsWord("FROM") ||
         t.IsWord("INTO") || t.IsWord("WHERE") || t.IsWord("GROUP") || t.IsWord("ORDER") ||
         t.IsWord("HAVING") || t.IsWord("UNION") || t.IsWord("EXCEPT") || t.IsWord("INTERSECT");
}

bool EndsTableReference(const Token& t) {
  return t.kind == TokenKind::kEnd || t.IsPunct(")") || t.IsPunct(";") || t.IsPunct(",") ||
         t.IsWord("WHERE") || t.IsWord("GROUP") || t.IsWord("ORDER") || t.IsWord("HAVING") ||
         t.IsWord("UNION") || t.IsWord("EXCEPT") || t.IsWord("INTERSECT") || t.IsWord("ON") ||
         t.IsWord("JOIN") || t.IsWord("INNER") || t.IsWord("LEFT") || t.IsWord("RIGHT") ||
         t.IsWord("FULL") || t.IsWord("CROSS") || t.IsWord("OUTER") || t.IsWord("SET") ||
         t.IsWord("WITH") || t.IsWord("OPTION") || t.IsWord("VALUES") || t.IsWord("SELECT") ||
         t.IsWord("OUTPUT") || t.IsWord("DEFAULT");
}

bool IsAggregate(const Token& t) {
  return t.IsWord("COUNT") || t.IsWord("SUM") || t.IsWord("MIN") || t.IsWord("MAX") ||
         t.IsWord("AVG") || t.IsWord("COUNT_BIG");
}

class Translator {
 public:
  Translator(const std::vector<Token>& tokens, std::size_t end, NameResolver& resolver)
      : tokens_(tokens), end_(end), resolver_(resolver) {}

  std::string Run(std::size_t begin) {
    std::size_t i = begin;
    std::string out = Scope(i, true);
    if (i < end_ && tokens_[i].kind != TokenKind::kEnd)
      Fail(tokens_[i]);
    return out;
  }

 private:
  struct SelectState {
    std::optional<std::string> limit;
    bool has_order = false;
    bool grouped = false;
    bool distinct = false;
    bool aggregate = false;
    int tables = 0;
    bool joined = false;
    ResolvedTable first_table;
    std::string first_alias;
    bool is_select = false;
  };

  [[noreturn]] void Fail(const Token& token) {
    // Past the statement's end the error is near its last token, on that token's line.
    const Token* last = end_ > 0 ? &tokens_[std::min(end_, tokens_.size()) - 1] : nullptr;
    const Token& at = token.kind == TokenKind::kEnd && last != nullptr ? *last : token;
    try {
      if (token.kind == TokenKind::kEnd)
        ThrowSyntaxNear(last != nullptr ? last->text : "");
      if (token.kind == TokenKind::kWord && IsReservedWord(token.text))
        ThrowSyntaxNearKeyword(ToUpperAscii(token.text));
      ThrowSyntaxNear(token.text);
    } catch (SqlError& error) {
      error.set_line(at.line);
      throw;
    }
  }

  const Token& At(std::size_t i) const {
    static const Token kEndToken;
    return i < end_ ? tokens_[i] : kEndToken;
  }

  // Translates until an unmatched ")" or the end; `i` stops at that token.
  std::string Scope(std::size_t& i, bool top_level) {
    // Nesting is bounded so that no input can exhaust the stack.
    if (++depth_ > kMaxNestingDepth)
      ThrowNestedTooDeeply(At(i).line);
    struct Leave {
      int& depth;
      ~Leave() { --depth; }
    } leave{depth_};
    std::string out;
    SelectState state;
    bool expect_table = false;
    bool in_from = false;
    auto finish_select = [&]() {
      if (!state.is_select)
        return;
      if (top_level && !state.has_order && !state.grouped && !state.distinct && !state.aggregate &&
          state.tables == 1 && !state.joined && !state.first_table.clustered_key.empty()) {
        // A scan of a table with a clustered index returns its rows in key order.
        out += " ORDER BY ";
        for (std::size_t k = 0; k < state.first_table.clustered_key.size(); ++k) {
          if (k)
            out += ", ";
          out += QuoteName(state.first_alias) + "." + QuoteName(state.first_table.clustered_key[k]);
        }
      }
      if (state.limit)
        out += " LIMIT " + *state.limit;
    };
    while (i < end_) {
      const Token& t = At(i);
      if (t.kind == TokenKind::kEnd || t.IsPunct(")"))
        break;
      if (t.IsPunct(";")) {
        ++i;
        continue;
      }
      if (expect_table) {
        expect_table = false;
        out += ' ';
        out += TableReference(i, state);
        if (in_from && At(i).IsPunct(",")) {
          out += ",";
          ++i;
          expect_table = true;
        }
        continue;
      }
      if (t.IsWord("SELECT")) {
        finish_select();
        state = SelectState();
        state.is_select = true;
        in_from = false;
        out += " SELECT";
        ++i;
        SelectHead(i, state, out);
        const bool record = top_level && column_types_ && !columns_recorded_;
        out += SelectList(i, state, record);
        columns_recorded_ = columns_recorded_ || record;
        continue;
      }
      if (t.IsWord("FROM")) {
        out += " FROM";
        ++i;
        in_from = true;
        expect_table = true;
        continue;
      }
      if (t.IsWord("JOIN")) {
        out += " JOIN";
        ++i;
        state.joined = true;
        expect_table = true;
        continue;
      }
      if (t.IsWord("UPDATE") && out.empty()) {
        out += "UPDATE";
        ++i;
        expect_table = true;
        continue;
      }
      if (t.IsWord("DELETE") && out.empty()) {
        out += "DELETE FROM";
        ++i;
        if (At(i).IsWord("FROM"))
          ++i;
        expect_table = true;
        continue;
      }
      if (t.IsWord("WHERE") || t.IsWord("HAVING")) {
        in_from = false;
      }
      if (t.IsWord("ORDER")) {
        state.has_order = true;
        in_from = false;
      }
      if (t.IsWord("GROUP")) {
        state.grouped = true;
        in_from = false;
      }
      if (t.IsWord("UNION") || t.IsWord("EXCEPT") || t.IsWord("INTERSECT")) {
        state.joined = true;  // no implicit order over a set operation
        state.limit.reset();
      }
      out += Expression(i);
    }
    finish_select();
    return out;
  }

  void SelectHead(std::size_t& i, SelectState& state, std::string& out) {
    if (At(i).IsWord("ALL")) {
      ++i;
    } else if (At(i).IsWord("DISTINCT")) {
      out += " DISTINCT";
      state.distinct = true;
      ++i;
    }
    if (At(i).IsWord("TOP")) {
      ++i;
      bool paren = false;
      if (At(i).IsPunct("(")) {
        paren = true;
        ++i;
      }
      if (At(i).kind != TokenKind::kNumber)
        Fail(At(i));
      std::string count = At(i).text;
      ++i;
      if (paren) {
        if (!At(i).IsPunct(")"))
          Fail(At(i));
        ++i;
      }
      if (At(i).IsWord("PERCENT"))
        ThrowUnsupported("TOP ... PERCENT");
      if (At(i).IsWord("WITH"))
        ThrowUnsupported("TOP ... WITH TIES");
      state.limit = count;
    }
  }

  // The select list up to FROM (or the end of the select): items split at top-level commas;
  // `alias = expr` becomes `expr AS alias`.
  std::string SelectList(std::size_t& i, SelectState& state, bool record) {
    std::string out;
    bool first = true;
    std::vector<std::string> types;
    bool star = false;
    while (true) {
      const Token& t = At(i);
      if (EndsSelectList(t)) {
        if (first)
          Fail(t);
        break;
      }
      if (!first)
        out += ",";
      first = false;
      std::string alias;
      if (t.IsName() && At(i + 1).IsPunct("=") &&
          !(t.kind == TokenKind::kWord && IsReservedWord(t.text))) {
        alias = t.text;
        i += 2;
      } else if (t.kind == TokenKind::kString && At(i + 1).IsPunct("=")) {
        alias = t.text;
        i += 2;
      }
      std::string item;
      const std::size_t item_begin = i;
      bool has_as = false;
      while (!EndsSelectList(At(i)) && !At(i).IsPunct(",")) {
        if (IsAggregate(At(i)) && At(i + 1).IsPunct("("))
          state.aggregate = true;
        if (At(i).IsWord("AS")) {
          item += " AS";
          has_as = true;
          ++i;
          continue;
        }
        item += Expression(i);
      }
      if (item.empty())
        Fail(At(i));
      if (record) {
        const std::size_t count = i - item_begin;
        star = star || (count == 1 && At(item_begin).IsPunct("*")) ||
               (count >= 2 && At(i - 1).IsPunct("*") && At(i - 2).IsPunct("."));
        types.push_back(ItemType(item_begin, i));
      }
      out += item;
      if (!alias.empty())
        out += " AS " + QuoteName(alias);
      else if (!has_as && !IsNamedItem(item_begin, i))
        out += " AS \"\"";  // SQL Server leaves an unnamed expression's column name empty
      if (At(i).IsPunct(","))
        ++i;
      else
        break;
    }
    if (At(i).IsWord("INTO"))
      ThrowUnsupported("SELECT ... INTO");
    if (record && !star)
      *column_types_ = std::move(types);
    return out;
  }

  // The target type of a select-list item that is one conversion (with or without an alias),
  // else empty.
  std::string ItemType(std::size_t begin, std::size_t end) const {
    auto found = conversions_.find(begin);
    if (found == conversions_.end())
      return {};
    const std::size_t after = found->second.end;
    const bool whole = after == end || (after + 1 == end && At(after).IsName()) ||
                       (after + 2 == end && At(after).IsWord("AS"));
    return whole ? found->second.declaration : std::string();
  }

  // A select-list item that names its column: a column reference, *, or an implicit alias.
  bool IsNamedItem(std::size_t begin, std::size_t end) const {
    const std::size_t count = end - begin;
    if (count == 0)
      return true;
    const Token& last = At(end - 1);
    if (count == 1)
      return last.IsName() || last.IsPunct("*");
    const Token& before = At(end - 2);
    if (before.IsPunct("."))
      return true;  // alias.column, alias.*
    const bool name =
        last.IsName() && !(last.kind == TokenKind::kWord && IsReservedWord(last.text));
    if (!name)
      return false;
    if (before.kind == TokenKind::kPunct && !before.IsPunct(")"))
      return false;
    return true;  // "expr alias"
  }

  // A multi-part object name starting at i: parts as written, empty for "a..b".
  std::vector<std::string> MultiPartName(std::size_t& i) {
    std::vector<std::string> parts;
    if (!At(i).IsName())
      Fail(At(i));
    parts.push_back(At(i).text);
    ++i;
    while (At(i).IsPunct(".")) {
      ++i;
      if (At(i).IsPunct(".")) {
        parts.emplace_back();
        continue;
      }
      if (!At(i).IsName())
        Fail(At(i));
      parts.push_back(At(i).text);
      ++i;
    }
    if (parts.size() > 4)
      Fail(At(i));
    return parts;
  }

  std::string TableReference(std::size_t& i, SelectState& state) {
    std::string out;
    ResolvedTable table;
    if (At(i).IsPunct("(")) {
      ++i;
      out = "(" + Scope(i, false);
      if (!At(i).IsPunct(")"))
        Fail(At(i));
      ++i;
      out += ")";
      state.joined = true;
    } else {
      const Token& first = At(i);
      if (first.kind == TokenKind::kWord && IsReservedWord(first.text))
        Fail(first);
      const std::size_t start = i;
      std::vector<std::string> parts = MultiPartName(i);
      if (At(i).IsPunct("("))
        ThrowUnsupported("table-valued functions in FROM");
      try {
        table = resolver_.ResolveTable(parts);
      } catch (SqlError& error) {
        error.set_line(At(start).line);
        throw;
      }
      out = table.sqlite_name;
    }
    std::string alias;
    if (At(i).IsWord("AS")) {
      ++i;
      if (!At(i).IsName() && At(i).kind != TokenKind::kString)
        Fail(At(i));
      alias = At(i).text;
      ++i;
    } else if ((At(i).kind == TokenKind::kWord && !IsReservedWord(At(i).text) &&
                !EndsTableReference(At(i))) ||
               At(i).kind == TokenKind::kQuotedName) {
      alias = At(i).text;
      ++i;
    }
    if (At(i).IsWord("WITH") && At(i + 1).IsPunct("(")) {
      // Table hints (NOLOCK, ...) do not change results here.
      i += 2;
      int depth = 1;
      while (depth > 0 && At(i).kind != TokenKind::kEnd) {
        if (At(i).IsPunct("("))
          ++depth;
        if (At(i).IsPunct(")"))
          --depth;
        ++i;
      }
    }
    if (alias.empty())
      alias = table.default_alias;
    if (!alias.empty() && alias != table.sqlite_name)
      out += " AS " + QuoteName(alias);
    if (state.tables == 0) {
      state.first_table = table;
      state.first_alias = alias.empty() ? table.sqlite_name : alias;
    }
    ++state.tables;
    return out;
  }

  // One token of an expression (with what it pulls along: a parenthesised group, a function
  // call's arguments); returns its SQLite text with a leading blank.
  std::string Expression(std::size_t& i) {
    const Token& t = At(i);
    switch (t.kind) {
      case TokenKind::kString:
        ++i;
        return " " + QuoteLiteral(t.text);
      case TokenKind::kQuotedName:
        ++i;
        return " " + QuoteName(t.text);
      case TokenKind::kNumber:
        ++i;
        if (t.text.size() >= 2 && (t.text[1] == 'x' || t.text[1] == 'X'))  // 0x: empty
          return " X'" + (t.text.size() % 2 ? "0" + t.text.substr(2) : t.text.substr(2)) + "'";
        return " " + t.text;
      case TokenKind::kVariable:
        ++i;
        if (t.text.rfind("@@", 0) == 0)
          return " kvn_variable(" + QuoteLiteral(t.text) + ")";
        {
          SqlError error(137, resolver_.MajorVersion() >= 9
                                  ? "Must declare the scalar variable \"" + t.text + "\"."
                                  : "Must declare the variable '" + t.text + "'.");
          error.set_line(t.line);
          throw error;
        }
      case TokenKind::kPunct:
        return Punctuation(i);
      case TokenKind::kWord:
        return Word(i);
      case TokenKind::kEnd:
        Fail(t);
    }
    Fail(t);
  }

  std::string Punctuation(std::size_t& i) {
    const Token& t = At(i);
    if (t.IsPunct("(")) {
      ++i;
      // "(max)" in a type inside CAST/CONVERT.
      if (At(i).IsWord("MAX") && At(i + 1).IsPunct(")")) {
        i += 2;
        return "(-1)";
      }
      std::string inner = Scope(i, false);
      if (!At(i).IsPunct(")"))
        Fail(At(i));
      ++i;
      return " (" + inner + ")";
    }
    if (t.IsPunct("+")) {
      ++i;
      const bool text_before =
          i >= 2 && (tokens_[i - 2].kind == TokenKind::kString || EndsStringCall(i - 2));
      const bool text_after = At(i).kind == TokenKind::kString || StartsStringCall(i);
      return text_before || text_after || t.joins_strings ? " ||" : " +";
    }
    if (t.IsPunct("!=") || t.IsPunct("<>")) {
      ++i;
      return " <>";
    }
    if (t.IsPunct("!<")) {
      ++i;
      return " >=";
    }
    if (t.IsPunct("!>")) {
      ++i;
      return " <=";
    }
    if (t.IsPunct("*") && At(i + 1).IsPunct("=")) {
      ThrowUnsupported("the old outer join operator *=");
    }
    if (t.IsPunct("{") || t.IsPunct("}") || t.IsPunct("`") || t.IsPunct("?") || t.IsPunct("$") ||
        t.IsPunct("\\") || t.IsPunct("==") || t.IsPunct("||") || t.IsPunct("::") ||
        t.IsPunct(":") || t.IsPunct("#"))
      Fail(t);
    ++i;
    return " " + t.text;
  }

  // A call of a function that returns a string starts at `k` ("CHAR(13)"): a + beside it joins
  // strings.
  bool StartsStringCall(std::size_t k) const {
    static constexpr std::array<std::string_view, 15> kStringFunctions = {
        "char",  "nchar",   "upper",     "lower",   "ltrim", "rtrim",     "left",     "right",
        "space", "replace", "replicate", "reverse", "stuff", "substring", "quotename"};
    const Token& t = At(k);
    if (t.kind != TokenKind::kWord || !At(k + 1).IsPunct("("))
      return false;
    return std::any_of(kStringFunctions.begin(), kStringFunctions.end(),
                       [&](std::string_view f) { return EqualsIgnoringCase(f, t.text); });
  }
  // The ")" at `k` closes such a call. The look back is bounded, so that a long run of + stays
  // linear; a longer argument list is simply not recognised.
  bool EndsStringCall(std::size_t k) const {
    if (!tokens_[k].IsPunct(")"))
      return false;
    int depth = 0;
    for (std::size_t j = k + 1, steps = 0; j-- > 0 && steps < 1000; ++steps) {
      if (tokens_[j].IsPunct(")"))
        ++depth;
      else if (tokens_[j].IsPunct("(") && --depth == 0)
        return j > 0 && StartsStringCall(j - 1);
    }
    return false;
  }

  // The argument ranges of a call whose "(" is at `open`; `i` ends after the ")".
  std::vector<std::pair<std::size_t, std::size_t>> Arguments(std::size_t open, std::size_t& i) {
    std::vector<std::pair<std::size_t, std::size_t>> args;
    std::size_t k = open + 1;
    std::size_t start = k;
    int depth = 0;
    while (true) {
      const Token& t = At(k);
      if (t.kind == TokenKind::kEnd)
        Fail(t);
      if (t.IsPunct("("))
        ++depth;
      if (t.IsPunct(")")) {
        if (depth == 0)
          break;
        --depth;
      }
      if (t.IsPunct(",") && depth == 0) {
        args.emplace_back(start, k);
        start = k + 1;
      }
      ++k;
    }
    if (k > start || !args.empty())
      args.emplace_back(start, k);
    i = k + 1;
    return args;
  }

  // DATEADD, DATEDIFF and DATEPART with their date part written as a bare word, computed with
  // SQLite's date functions on the stored "YYYY-MM-DD HH:MM:SS.mmm" texts.
  std::string DateFunction(const std::string& function, const std::string& part,
                           const std::vector<std::pair<std::size_t, std::size_t>>& args) {
    struct Part {
      std::vector<std::string_view> names;
      const char* unit;    // DATEADD modifier unit
      const char* format;  // DATEPART strftime format
      int factor;          // DATEADD multiplier of the unit
    };
    static const Part kParts[] = {
        {{"year", "yy", "yyyy"}, "years", "%Y", 1},  {{"quarter", "qq", "q"}, "months", nullptr, 3},
        {{"month", "mm", "m"}, "months", "%m", 1},   {{"dayofyear", "dy", "y"}, "days", "%j", 1},
        {{"day", "dd", "d"}, "days", "%d", 1},       {{"week", "wk", "ww"}, "days", "%W", 7},
        {{"weekday", "dw"}, "days", nullptr, 1},     {{"hour", "hh"}, "hours", "%H", 1},
        {{"minute", "mi", "n"}, "minutes", "%M", 1}, {{"second", "ss", "s"}, "seconds", "%S", 1},
    };
    const Part* found = nullptr;
    for (const auto& candidate : kParts)
      for (auto name : candidate.names)
        if (name == part)
          found = &candidate;
    if (!found)
      throw SqlError(155,
                     "'" + part + "' is not a recognized " + ToLowerAscii(function) + " option.");
    const std::string date = Sub(args.back());
    const std::string unit = found->names[0] == "quarter" ? "months" : found->unit;
    if (function == "DATEADD") {
      return "strftime('%Y-%m-%d %H:%M:%f', " + date + ", ((" + Sub(args[1]) + ") * " +
             std::to_string(found->factor) + ") || ' " + unit + "')";
    }
    if (function == "DATEPART") {
      if (found->names[0] == "quarter")
        return "((CAST(strftime('%m', " + date + ") AS INTEGER) + 2) / 3)";
      if (found->names[0] == "weekday")
        return "(CAST(strftime('%w', " + date + ") AS INTEGER) + 1)";
      return "CAST(strftime('" + std::string(found->format) + "', " + date + ") AS INTEGER)";
    }
    // DATEDIFF counts the boundaries crossed between the two dates.
    const std::string start = Sub(args[1]);
    auto months = [](const std::string& d) {
      return "(CAST(strftime('%Y', " + d + ") AS INTEGER) * 12 + CAST(strftime('%m', " + d +
             ") AS INTEGER))";
    };
    auto truncated = [](const std::string& d, const char* format) {
      return "julianday(strftime('" + std::string(format) + "', " + d + "))";
    };
    const std::string name(found->names[0]);
    if (name == "year")
      return "(CAST(strftime('%Y', " + date + ") AS INTEGER) - CAST(strftime('%Y', " + start +
             ") AS INTEGER))";
    if (name == "quarter")
      return "((" + months(date) + " - 1) / 3 - (" + months(start) + " - 1) / 3)";
    if (name == "month")
      return "(" + months(date) + " - " + months(start) + ")";
    if (name == "week")
      return "CAST((" + truncated(date, "%Y-%m-%d") + " - " + truncated(start, "%Y-%m-%d") +
             ") / 7 AS INTEGER)";
    if (name == "hour")
      return "CAST(round((" + truncated(date, "%Y-%m-%d %H:00:00") + " - " +
             truncated(start, "%Y-%m-%d %H:00:00") + ") * 24) AS INTEGER)";
    if (name == "minute")
      return "CAST(round((" + truncated(date, "%Y-%m-%d %H:%M:00") + " - " +
             truncated(start, "%Y-%m-%d %H:%M:00") + ") * 1440) AS INTEGER)";
    if (name == "second")
      return "CAST(round((" + truncated(date, "%Y-%m-%d %H:%M:%S") + " - " +
             truncated(start, "%Y-%m-%d %H:%M:%S") + ") * 86400) AS INTEGER)";
    return "CAST(round(" + truncated(date, "%Y-%m-%d") + " - " + truncated(start, "%Y-%m-%d") +
           ") AS INTEGER)";
  }

  std::string Sub(std::pair<std::size_t, std::size_t> range) {
    Translator inner(tokens_, range.second, resolver_);
    inner.depth_ = depth_;
    std::size_t j = range.first;
    std::string text = inner.Scope(j, false);
    if (j < range.second)
      inner.Fail(At(j));
    return text;
  }

  // CAST(expr AS type) and CONVERT(type, expr [, style]) become kvn_convert(expr, 'type'), which
  // converts as the server does (SQLite's own CAST would read '2024-01-02' AS datetime as the
  // number 2024). The type is checked here, so an unknown one fails before SQLite runs.
  std::string Conversion(std::size_t& i) {
    const Token& t = At(i);
    const std::size_t start = i;
    auto args = Arguments(i + 1, i);
    std::pair<std::size_t, std::size_t> value;
    std::pair<std::size_t, std::size_t> type;
    if (t.IsWord("CAST")) {
      if (args.size() != 1)
        Fail(args.size() > 1 ? At(args[1].first - 1) : At(i - 1));
      // The type follows the last AS outside parentheses.
      std::size_t as = args[0].second;
      int depth = 0;
      for (std::size_t k = args[0].first; k < args[0].second; ++k) {
        if (At(k).IsPunct("("))
          ++depth;
        else if (At(k).IsPunct(")"))
          --depth;
        else if (depth == 0 && At(k).IsWord("AS"))
          as = k;
      }
      if (as == args[0].second || as == args[0].first)
        Fail(At(as));
      value = {args[0].first, as};
      type = {as + 1, args[0].second};
    } else {
      if (args.size() < 2 || args.size() > 3)
        Fail(t);
      type = args[0];
      value = args[1];
    }
    const std::string declaration = TypeText(type);
    conversions_[start] = {i, declaration};
    std::string out = " kvn_convert(" + Sub(value) + ", " + QuoteLiteral(declaration);
    if (args.size() == 3)
      out += "," + Sub(args[2]);
    return out + ")";
  }

  // The declaration of the target type of a conversion: "decimal(5,2)", "varchar(30)".
  std::string TypeText(std::pair<std::size_t, std::size_t> range) {
    std::size_t k = range.first;
    if (k >= range.second || !At(k).IsName())
      Fail(At(k));
    const Token& name = At(k++);
    std::vector<std::string> args;
    if (k < range.second && At(k).IsPunct("(")) {
      ++k;
      while (true) {
        const Token& arg = At(k);
        if (k >= range.second || (arg.kind != TokenKind::kNumber && !arg.IsWord("MAX")))
          Fail(arg);
        args.push_back(arg.text);
        ++k;
        if (At(k).IsPunct(",") && k < range.second) {
          ++k;
          continue;
        }
        if (!At(k).IsPunct(")") || k >= range.second)
          Fail(At(k));
        ++k;
        break;
      }
    }
    if (k != range.second)
      Fail(At(k));
    const std::string lower = ToLowerAscii(name.text);
    // Character and binary targets without a length are 30 long in a conversion.
    if (args.empty() && (lower == "char" || lower == "varchar" || lower == "nchar" ||
                         lower == "nvarchar" || lower == "binary" || lower == "varbinary"))
      args.push_back("30");
    std::optional<DeclaredType> declared;
    try {
      declared = MakeDeclaredType(name.text, args, resolver_.MajorVersion());
    } catch (SqlError& error) {
      error.set_line(name.line);
      throw;
    }
    if (!declared) {
      SqlError error(243, "Type " + name.text + " is not a defined system type.");
      error.set_line(name.line);
      throw error;
    }
    return declared->SqlText();
  }

  std::string Word(std::size_t& i) {
    const Token& t = At(i);
    const bool call = At(i + 1).IsPunct("(");
    if (call && t.IsWord("ISNULL")) {
      i += 1;
      return " ifnull";
    }
    if (call && t.IsWord("LEFT")) {
      ++i;
      return " kvn_left";
    }
    if (call && t.IsWord("RIGHT")) {
      ++i;
      return " kvn_right";
    }
    if (call && t.IsWord("SUBSTRING")) {
      ++i;
      return " substr";
    }
    if (call && t.IsWord("CEILING")) {
      ++i;
      return " ceil";
    }
    if (call && t.IsWord("COUNT_BIG")) {
      ++i;
      return " count";
    }
    if (call && (t.IsWord("CAST") || t.IsWord("CONVERT")))
      return Conversion(i);
    if (call && (t.IsWord("DATEADD") || t.IsWord("DATEDIFF") || t.IsWord("DATEPART"))) {
      const std::string function = ToUpperAscii(t.text);
      auto args = Arguments(i + 1, i);
      const std::size_t expected = function == "DATEPART" ? 2 : 3;
      if (args.size() != expected || args[0].second != args[0].first + 1 ||
          !At(args[0].first).IsName())
        throw SqlError(174, "The " + ToLowerAscii(function) + " function requires " +
                                std::to_string(expected) + " argument(s).");
      return " " + DateFunction(function, ToLowerAscii(At(args[0].first).text), args);
    }
    if (t.IsWord("CURRENT_TIMESTAMP")) {
      ++i;
      return " getdate()";
    }
    if (t.IsWord("CASE") || t.IsWord("WHEN") || t.IsWord("THEN") || t.IsWord("ELSE") ||
        t.IsWord("END") || t.IsWord("AND") || t.IsWord("OR") || t.IsWord("NOT") || t.IsWord("IN") ||
        t.IsWord("LIKE") || t.IsWord("BETWEEN") || t.IsWord("IS") || t.IsWord("NULL") ||
        t.IsWord("EXISTS") || t.IsWord("ON") || t.IsWord("AS") || t.IsWord("ASC") ||
        t.IsWord("DESC") || t.IsWord("BY") || t.IsWord("ORDER") || t.IsWord("GROUP") ||
        t.IsWord("HAVING") || t.IsWord("WHERE") || t.IsWord("INNER") || t.IsWord("OUTER") ||
        t.IsWord("CROSS") || t.IsWord("UNION") || t.IsWord("ALL") || t.IsWord("DISTINCT") ||
        t.IsWord("SET") || t.IsWord("ESCAPE") || t.IsWord("EXCEPT") || t.IsWord("INTERSECT")) {
      ++i;
      return " " + ToUpperAscii(t.text);
    }
    if (t.IsWord("LEFT") || t.IsWord("RIGHT") || t.IsWord("FULL")) {
      ++i;
      return " " + ToUpperAscii(t.text);
    }
    if (t.kind == TokenKind::kWord && IsReservedWord(t.text) && !call)
      Fail(t);
    ++i;
    // Two-part column references (alias.column) and plain names pass as written.
    return " " + t.text;
  }

  struct ConversionInfo {
    std::size_t end;          // the token after the conversion's ")"
    std::string declaration;  // its target type
  };

  const std::vector<Token>& tokens_;
  std::size_t end_;
  NameResolver& resolver_;
  int depth_ = 0;
  // Conversions translated so far, by the index of their CAST/CONVERT token.
  std::map<std::size_t, ConversionInfo> conversions_;
  // The result column types of the outermost select list (see TranslateSql).
  std::vector<std::string>* column_types_ = nullptr;
  bool columns_recorded_ = false;

 public:
  void set_column_types(std::vector<std::string>* types) { column_types_ = types; }
};

}  // namespace

std::string QuoteLiteral(std::string_view text) {
  std::string quoted(1, '\'');
  quoted += ReplaceAll(text, "'", "''");
  quoted += '\'';
  return quoted;
}

std::string QuoteName(std::string_view name) {
  std::string quoted(1, '"');
  quoted += ReplaceAll(name, "\"", "\"\"");
  quoted += '"';
  return quoted;
}

std::string TranslateSql(const std::vector<Token>& tokens, std::size_t begin, std::size_t end,
                         NameResolver& resolver, std::vector<std::string>* column_types) {
  if (column_types)
    column_types->clear();
  end = std::min(end, tokens.size());
  std::size_t last = end;
  while (last > begin &&
         (tokens[last - 1].kind == TokenKind::kEnd || tokens[last - 1].IsPunct(";")))
    --last;
  if (last > begin) {
    // A statement cannot end in a keyword that needs something after it.
    const Token& t = tokens[last - 1];
    if (t.kind == TokenKind::kWord && IsReservedWord(t.text) && !t.IsWord("END") &&
        !t.IsWord("NULL") && !t.IsWord("ASC") && !t.IsWord("DESC")) {
      SqlError error(156, "Incorrect syntax near the keyword '" + ToUpperAscii(t.text) + "'.");
      error.set_line(t.line);
      throw error;
    }
  }
  Translator translator(tokens, end, resolver);
  translator.set_column_types(column_types);
  return translator.Run(begin);
}

ServerMessage TranslateSqliteError(const std::string& message, int major_version) {
  auto after = [&](std::string_view prefix) -> std::optional<std::string> {
    if (message.rfind(prefix, 0) == 0)
      return message.substr(prefix.size());
    return std::nullopt;
  };
  if (auto column = after("no such column: ")) {
    const std::size_t dot = column->rfind('.');
    std::string name = dot == std::string::npos ? *column : column->substr(dot + 1);
    if (dot != std::string::npos && major_version >= 9)
      return MakeServerMessage(4104,
                               "The multi-part identifier \"" + *column + "\" could not be bound.");
    return MakeServerMessage(207, "Invalid column name '" + name + "'.");
  }
  if (auto function = after("no such function: ")) {
    return MakeServerMessage(
        195, "'" + *function +
                 (major_version >= 9 ? "' is not a recognized built-in function name."
                                     : "' is not a recognized function name."));
  }
  if (auto function = after("wrong number of arguments to function ")) {
    std::string name = function->substr(0, function->find('('));
    return MakeServerMessage(174,
                             "The " + name + " function requires a different number of arguments.");
  }
  if (auto table = after("no such table: "))
    return MakeServerMessage(208, "Invalid object name '" + *table + "'.");
  if (auto column = after("ambiguous column name: "))
    return MakeServerMessage(209, "Ambiguous column name '" + *column + "'.");
  if (message.rfind("kvn:", 0) == 0) {
    // An error raised by one of the engine's functions: "kvn:<number>:<text>".
    const std::size_t colon = message.find(':', 4);
    if (colon != std::string::npos)
      return MakeServerMessage(static_cast<int>(LeadingNumber(message.substr(4, colon - 4))),
                               message.substr(colon + 1));
  }
  if (message == "parser stack overflow" || message.rfind("Expression tree is too large", 0) == 0)
    return MakeServerMessage(191,
                             "Some part of your SQL statement is nested too deeply. Rewrite the "
                             "query or break it up into smaller queries.");
  if (message == "incomplete input")
    return MakeServerMessage(102, "Incorrect syntax near ''.");
  if (message.rfind("near \"", 0) == 0) {
    const std::size_t close = message.find("\":", 6);
    return MakeServerMessage(102, "Incorrect syntax near '" + message.substr(6, close - 6) + "'.");
  }
  return MakeServerMessage(50000, "The embedded server could not run the statement: " + message);
}

}  // namespace korvane::embedded

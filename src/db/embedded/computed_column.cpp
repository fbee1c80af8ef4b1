#include "db/embedded/computed_column.h"

#include <algorithm>
#include <array>

#include "base/text.h"
#include "db/embedded/sql_error.h"
#include "db/embedded/token_cursor.h"

namespace korvane::embedded {
namespace {

// A type while it is being derived: characters for strings, bytes for binaries (-1: max).
struct Derived {
  std::string name;
  int prec = 0;
  int scale = 0;
  int length = 0;
  bool null = false;  // the NULL literal, which takes the type of its partner
};

constexpr int kMaxPrecision = 38;

// Type precedence, highest first, as the server ranks data types for implicit conversion.
int Rank(const std::string& name) {
  static constexpr std::array<std::string_view, 24> kOrder = {
      "datetime", "smalldatetime", "float",   "real",  "decimal",   "numeric",
      "money",    "smallmoney",    "bigint",  "int",   "smallint",  "tinyint",
      "bit",      "ntext",         "text",    "image", "timestamp", "uniqueidentifier",
      "nvarchar", "nchar",         "varchar", "char",  "varbinary", "binary"};
  for (std::size_t i = 0; i < kOrder.size(); ++i)
    if (kOrder[i] == name)
      return static_cast<int>(kOrder.size() - i);
  return 0;
}

bool IsString(const std::string& n) {
  return n == "char" || n == "varchar" || n == "nchar" || n == "nvarchar" || n == "text" ||
         n == "ntext";
}
bool IsUnicode(const std::string& n) {
  return n == "nchar" || n == "nvarchar" || n == "ntext";
}
bool IsInteger(const std::string& n) {
  return n == "tinyint" || n == "smallint" || n == "int" || n == "bigint" || n == "bit";
}
bool IsExact(const std::string& n) {
  return n == "decimal" || n == "numeric";
}
bool IsDate(const std::string& n) {
  return n == "datetime" || n == "smalldatetime";
}

// Precision and scale of an operand taking part in exact arithmetic; false when it cannot.
bool ExactDigits(const Derived& t, int* prec, int* scale) {
  *scale = 0;
  if (IsExact(t.name)) {
    *prec = t.prec;
    *scale = t.scale;
  } else if (t.name == "tinyint") {
    *prec = 3;
  } else if (t.name == "smallint") {
    *prec = 5;
  } else if (t.name == "int") {
    *prec = 10;
  } else if (t.name == "bigint") {
    *prec = 19;
  } else if (t.name == "bit") {
    *prec = 1;
  } else if (t.name == "money") {
    *prec = 19;
    *scale = 4;
  } else if (t.name == "smallmoney") {
    *prec = 10;
    *scale = 4;
  } else {
    return false;
  }
  return true;
}

// Above 38 digits the scale gives way so that the whole part keeps its digits, down to 6.
Derived ExactResult(const std::string& name, int prec, int scale) {
  if (prec > kMaxPrecision) {
    const int whole = prec - scale;
    scale = std::max(kMaxPrecision - whole, std::min(scale, 6));
    prec = kMaxPrecision;
  }
  Derived d;
  d.name = name;
  d.prec = prec;
  d.scale = std::max(0, std::min(scale, prec));
  return d;
}

Derived Varying(const Derived& t) {
  Derived d = t;
  if (t.name == "char")
    d.name = "varchar";
  else if (t.name == "nchar")
    d.name = "nvarchar";
  return d;
}

// A size argument as written; absurd sizes are left for the type's own check to refuse.
int SmallNumber(const std::string& text) {
  return static_cast<int>(std::min(LeadingNumber(text), 1e6));
}

class Deriver {
 public:
  Deriver(const std::vector<Token>& tokens, std::size_t begin, std::size_t end,
          const std::function<std::optional<DeclaredType>(const std::string&)>& column_type,
          const std::string& column_name)
      : tokens_(tokens),
        pos_(begin),
        end_(end),
        column_type_(column_type),
        column_name_(column_name) {}

  Derived Whole() {
    Derived t = Additive();
    if (pos_ != end_)
      FailAt(pos_);
    return t;
  }
  std::vector<std::size_t>& concatenations() { return concatenations_; }

 private:
  const Token& At(std::size_t i) const {
    static const Token kEnd;
    return i < end_ ? tokens_[i] : kEnd;
  }
  const Token& Peek() const { return At(pos_); }

  [[noreturn]] void FailAt(std::size_t i) const {
    const Token& t = At(i);
    SqlError error(102, "Incorrect syntax near '" + t.text + "'.");
    error.set_line(t.line);
    throw error;
  }
  void Expect(std::string_view punct) {
    if (!Peek().IsPunct(punct))
      FailAt(pos_);
    ++pos_;
  }
  // The tokens [from, to) as written, for messages.
  std::string Text(std::size_t from, std::size_t to) const {
    std::string text;
    for (std::size_t i = from; i < to && i < end_; ++i) {
      const Token& t = tokens_[i];
      std::string piece = t.kind == TokenKind::kString       ? QuoteText(t)
                          : t.kind == TokenKind::kQuotedName ? "[" + t.text + "]"
                                                             : t.text;
      if (!text.empty() && !t.IsPunct(")") && !t.IsPunct(",") && !t.IsPunct("(") &&
          !t.IsPunct(".") && !tokens_[i - 1].IsPunct("(") && !tokens_[i - 1].IsPunct("."))
        text += " ";
      text += piece;
    }
    return text;
  }
  static std::string QuoteText(const Token& t) {
    return (t.unicode ? "N'" : "'") + ReplaceAll(t.text, "'", "''") + "'";
  }
  [[noreturn]] void Unknown(std::size_t from, std::size_t to) const {
    throw SqlError(50000, "The embedded server cannot compute column '" + column_name_ +
                              "': the type of '" + Text(from, to) + "' is not known to it.");
  }

  Derived Additive() {
    Derived left = Multiplicative();
    for (;;) {
      const Token& t = Peek();
      if (!(t.IsPunct("+") || t.IsPunct("-") || t.IsPunct("&") || t.IsPunct("|") || t.IsPunct("^")))
        return left;
      const std::size_t op = pos_++;
      const std::size_t start = op;
      Derived right = Multiplicative();
      left = Combine(left, op, right, start);
    }
  }

  Derived Multiplicative() {
    Derived left = Unary();
    for (;;) {
      const Token& t = Peek();
      if (!(t.IsPunct("*") || t.IsPunct("/") || t.IsPunct("%")))
        return left;
      const std::size_t op = pos_++;
      Derived right = Unary();
      left = Combine(left, op, right, op);
    }
  }

  Derived Unary() {
    const std::size_t start = pos_;
    if (Peek().IsPunct("-") || Peek().IsPunct("+") || Peek().IsPunct("~")) {
      ++pos_;
      Derived t = Unary();
      if (!t.null && !IsInteger(t.name) && !IsExact(t.name) && t.name != "float" &&
          t.name != "real" && t.name != "money" && t.name != "smallmoney")
        Unknown(start, pos_);
      return t;
    }
    return Primary();
  }

  Derived Combine(const Derived& a, std::size_t op, const Derived& b, std::size_t start) {
    const Token& o = tokens_[op];
    if (a.null)
      return b;
    if (b.null)
      return a;
    if (o.IsPunct("+") && IsString(a.name) && IsString(b.name)) {
      if (a.name == "text" || a.name == "ntext" || b.name == "text" || b.name == "ntext")
        Unknown(start, pos_);
      concatenations_.push_back(op);
      Derived d;
      const bool unicode = IsUnicode(a.name) || IsUnicode(b.name);
      const bool fixed =
          (a.name == "char" || a.name == "nchar") && (b.name == "char" || b.name == "nchar");
      d.name = fixed ? (unicode ? "nchar" : "char") : (unicode ? "nvarchar" : "varchar");
      d.length = a.length < 0 || b.length < 0 ? -1 : a.length + b.length;
      return d;
    }
    const Derived& high = Rank(a.name) >= Rank(b.name) ? a : b;
    if (o.IsPunct("&") || o.IsPunct("|") || o.IsPunct("^")) {
      if (!IsInteger(a.name) || !IsInteger(b.name))
        Unknown(start, pos_);
      return high;
    }
    if (IsDate(high.name)) {
      if (!o.IsPunct("+") && !o.IsPunct("-"))
        Unknown(start, pos_);
      return high;
    }
    if (high.name == "float" || high.name == "real")
      return high;
    if (IsExact(high.name)) {
      int p1 = 0, s1 = 0, p2 = 0, s2 = 0;
      if (!ExactDigits(a, &p1, &s1) || !ExactDigits(b, &p2, &s2))
        Unknown(start, pos_);
      const std::string name = a.name == "decimal" || b.name == "decimal" ? "decimal" : "numeric";
      if (o.IsPunct("+") || o.IsPunct("-")) {
        const int scale = std::max(s1, s2);
        return ExactResult(name, scale + std::max(p1 - s1, p2 - s2) + 1, scale);
      }
      if (o.IsPunct("*"))
        return ExactResult(name, p1 + p2 + 1, s1 + s2);
      if (o.IsPunct("/")) {
        const int scale = std::max(6, s1 + p2 + 1);
        return ExactResult(name, p1 - s1 + s2 + scale, scale);
      }
      const int scale = std::max(s1, s2);  // %
      return ExactResult(name, std::min(p1 - s1, p2 - s2) + scale, scale);
    }
    if (high.name == "money" || high.name == "smallmoney")
      return high;
    if (IsInteger(high.name)) {
      if (high.name != "bit")
        return high;
      Derived d;
      d.name = "int";
      return d;
    }
    Unknown(start, pos_);
  }

  Derived Literal(const Token& t) {
    Derived d;
    if (t.kind == TokenKind::kString) {
      d.name = t.unicode ? "nvarchar" : "varchar";
      d.length = std::max<int>(1, static_cast<int>(Utf8Length(t.text)));
      return d;
    }
    const std::string& text = t.text;
    if (text.size() > 1 && (text[1] == 'x' || text[1] == 'X')) {
      d.name = "varbinary";
      d.length = std::max<int>(1, static_cast<int>((text.size() - 1) / 2));
      return d;
    }
    if (text.find_first_of("eE") != std::string::npos) {
      d.name = "float";
      return d;
    }
    const std::size_t point = text.find('.');
    std::string whole = text.substr(0, point);
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    const int fraction = point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
    if (point == std::string::npos &&
        (whole.size() < 10 || (whole.size() == 10 && whole <= "2147483647"))) {
      d.name = "int";
      return d;
    }
    d.name = "numeric";
    d.scale = fraction;
    d.prec = std::max(1, static_cast<int>(whole.size()) + fraction);
    if (d.prec > kMaxPrecision)
      Unknown(pos_ - 1, pos_);
    return d;
  }

  // A condition of CASE WHEN: its operands are read (for their + operators), its verdict has no
  // type. Stops before THEN, or before the ")" closing a group.
  void Condition() {
    for (;;) {
      const Token& t = Peek();
      if (t.kind == TokenKind::kEnd || t.IsWord("THEN") || t.IsPunct(")"))
        return;
      static constexpr std::array<std::string_view, 10> kWords = {
          "AND", "OR", "NOT", "IS", "NULL", "LIKE", "BETWEEN", "IN", "ESCAPE", "EXISTS"};
      bool skip = t.IsPunct(",") || t.IsPunct("=") || t.IsPunct("<>") || t.IsPunct("!=") ||
                  t.IsPunct("<") || t.IsPunct(">") || t.IsPunct("<=") || t.IsPunct(">=") ||
                  t.IsPunct("!<") || t.IsPunct("!>");
      for (auto word : kWords)
        skip = skip || t.IsWord(word);
      if (skip) {
        ++pos_;
      } else if (t.IsPunct("(")) {
        if (At(pos_ + 1).IsWord("SELECT"))
          Unknown(pos_, end_);
        ++pos_;
        Condition();
        Expect(")");
      } else {
        Additive();
      }
    }
  }

  // Results of CASE and COALESCE: the type of highest precedence; strings as long as the
  // longest, exact numbers wide enough for every result.
  static Derived Union(const Derived& a, const Derived& b) {
    if (a.null)
      return b;
    if (b.null)
      return a;
    if (IsString(a.name) && IsString(b.name)) {
      Derived d = Rank(a.name) >= Rank(b.name) ? a : b;
      const auto fixed = [](const std::string& n) { return n == "char" || n == "nchar"; };
      if (!fixed(a.name) || !fixed(b.name))
        d = Varying(d);
      if (IsUnicode(a.name) || IsUnicode(b.name))
        d.name = IsUnicode(d.name) ? d.name : d.name == "char" ? "nchar" : "nvarchar";
      d.length = a.length < 0 || b.length < 0 ? -1 : std::max(a.length, b.length);
      return d;
    }
    const Derived& high = Rank(a.name) >= Rank(b.name) ? a : b;
    int p1 = 0, s1 = 0, p2 = 0, s2 = 0;
    if (IsExact(high.name) && ExactDigits(a, &p1, &s1) && ExactDigits(b, &p2, &s2)) {
      const int scale = std::max(s1, s2);
      return ExactResult(high.name, scale + std::max(p1 - s1, p2 - s2), scale);
    }
    return high;
  }

  Derived Case(std::size_t start) {
    ++pos_;  // CASE
    if (!Peek().IsWord("WHEN"))
      Additive();  // simple CASE: the value compared
    Derived result;
    result.null = true;
    bool any = false;
    while (Peek().IsWord("WHEN")) {
      ++pos_;
      Condition();
      if (!Peek().IsWord("THEN"))
        FailAt(pos_);
      ++pos_;
      result = Union(result, Additive());
      any = true;
    }
    if (!any)
      FailAt(pos_);
    if (Peek().IsWord("ELSE")) {
      ++pos_;
      result = Union(result, Additive());
    }
    if (!Peek().IsWord("END"))
      FailAt(pos_);
    ++pos_;
    if (result.null)
      Unknown(start, pos_);
    return result;
  }

  // A type as written in CAST and CONVERT; varchar without a length is varchar(30) there.
  Derived WrittenType() {
    const Token& name = Peek();
    if (!name.IsName())
      FailAt(pos_);
    ++pos_;
    std::vector<std::string> args;
    if (Peek().IsPunct("(")) {
      ++pos_;
      for (;;) {
        const Token& arg = Peek();
        if (arg.kind != TokenKind::kNumber && !arg.IsWord("max"))
          FailAt(pos_);
        args.push_back(arg.text);
        ++pos_;
        if (!Peek().IsPunct(","))
          break;
        ++pos_;
      }
      Expect(")");
    }
    Derived d;
    d.name = ToLowerAscii(name.text);
    if (!FindBuiltInType(d.name))
      Unknown(pos_ - 1, pos_);
    const bool sized = IsString(d.name) || d.name == "binary" || d.name == "varbinary";
    if (sized && d.name != "text" && d.name != "ntext") {
      d.length = args.empty() ? 30 : EqualsIgnoringCase(args[0], "max") ? -1 : SmallNumber(args[0]);
    } else if (IsExact(d.name)) {
      d.prec = args.empty() ? 18 : SmallNumber(args[0]);
      d.scale = args.size() < 2 ? 0 : SmallNumber(args[1]);
    }
    return d;
  }

  std::vector<Derived> Arguments(bool skip_date_part) {
    std::vector<Derived> args;
    Expect("(");
    if (Peek().IsPunct(")")) {
      ++pos_;
      return args;
    }
    if (skip_date_part) {
      if (Peek().kind != TokenKind::kWord)
        FailAt(pos_);
      ++pos_;
      args.emplace_back();
      if (Peek().IsPunct(","))
        ++pos_;
    }
    for (;;) {
      args.push_back(Additive());
      if (!Peek().IsPunct(","))
        break;
      ++pos_;
    }
    Expect(")");
    return args;
  }

  Derived Call(std::size_t start) {
    const std::string name = ToLowerAscii(tokens_[pos_].text);
    ++pos_;
    if (name == "cast") {
      Expect("(");
      Additive();
      if (!Peek().IsWord("AS"))
        FailAt(pos_);
      ++pos_;
      Derived type = WrittenType();
      Expect(")");
      return type;
    }
    if (name == "convert") {
      Expect("(");
      Derived type = WrittenType();
      Expect(",");
      Additive();
      if (Peek().IsPunct(",")) {
        ++pos_;
        Additive();
      }
      Expect(")");
      return type;
    }
    const bool date_part =
        name == "dateadd" || name == "datediff" || name == "datepart" || name == "datename";
    const std::vector<Derived> args = Arguments(date_part);
    Derived d;
    auto first = [&]() -> const Derived& {
      if (args.empty())
        Unknown(start, pos_);
      return args[0];
    };
    static constexpr std::array<std::string_view, 11> kInt = {
        "len", "datalength", "charindex", "patindex", "year",   "month",
        "day", "datediff",   "datepart",  "ascii",    "unicode"};
    if (std::find(kInt.begin(), kInt.end(), name) != kInt.end()) {
      d.name = "int";
    } else if (name == "abs" || name == "sign" || name == "round") {
      d = first();
    } else if (name == "floor" || name == "ceiling") {
      d = first();
      d.scale = 0;
    } else if (name == "upper" || name == "lower" || name == "ltrim" || name == "rtrim" ||
               name == "reverse" || name == "left" || name == "right" || name == "substring") {
      if (!IsString(first().name) || first().name == "text" || first().name == "ntext")
        Unknown(start, pos_);
      d = Varying(first());
    } else if (name == "replace" || name == "space" || name == "replicate") {
      const bool unicode = !args.empty() && IsUnicode(args[0].name);
      d.name = unicode ? "nvarchar" : "varchar";
      d.length = unicode ? 4000 : 8000;
    } else if (name == "dateadd") {
      d.name = args.size() == 3 && args[2].name == "smalldatetime" ? "smalldatetime" : "datetime";
    } else if (name == "datename") {
      d.name = "nvarchar";
      d.length = 30;
    } else if (name == "getdate") {
      d.name = "datetime";
    } else if (name == "newid") {
      d.name = "uniqueidentifier";
    } else if (name == "isnull") {
      if (args.size() != 2)
        Unknown(start, pos_);
      d = args[0].null ? args[1] : args[0];
    } else if (name == "coalesce") {
      d.null = true;
      for (const auto& arg : args)
        d = Union(d, arg);
    } else {
      Unknown(start, pos_);
    }
    if (d.null && name != "coalesce")
      d.null = false;
    return d;
  }

  Derived Primary() {
    const std::size_t start = pos_;
    const Token& t = Peek();
    if (t.IsPunct("(")) {
      if (At(pos_ + 1).IsWord("SELECT"))
        Unknown(pos_, end_);
      ++pos_;
      Derived inner = Additive();
      Expect(")");
      return inner;
    }
    if (t.kind == TokenKind::kNumber || t.kind == TokenKind::kString) {
      ++pos_;
      return Literal(t);
    }
    if (t.IsWord("NULL")) {
      ++pos_;
      Derived d;
      d.name = "int";
      d.null = true;
      return d;
    }
    if (t.IsWord("CASE"))
      return Case(start);
    if (t.kind == TokenKind::kWord && At(pos_ + 1).IsPunct("("))
      return Call(start);
    if (t.IsName() && !(t.kind == TokenKind::kWord && IsReservedWord(t.text))) {
      ++pos_;
      if (Peek().IsPunct("."))
        Unknown(start, pos_ + 2);
      const auto type = column_type_(t.text);
      if (!type) {
        SqlError error(207, "Invalid column name '" + t.text + "'.");
        error.set_line(t.line);
        throw error;
      }
      Derived d;
      d.name = type->name;
      d.prec = type->prec;
      d.scale = std::max(0, type->scale);
      d.length = type->is_max ? -1 : type->prec;
      return d;
    }
    if (t.kind == TokenKind::kEnd || t.kind == TokenKind::kPunct)
      FailAt(pos_);
    Unknown(start, start + 1);
  }

  const std::vector<Token>& tokens_;
  std::size_t pos_;
  std::size_t end_;
  const std::function<std::optional<DeclaredType>(const std::string&)>& column_type_;
  const std::string& column_name_;
  std::vector<std::size_t> concatenations_;
};

DeclaredType ToDeclared(const Derived& d, int version) {
  std::vector<std::string> args;
  const bool sized = d.name == "char" || d.name == "varchar" || d.name == "nchar" ||
                     d.name == "nvarchar" || d.name == "binary" || d.name == "varbinary";
  if (sized) {
    const int limit = IsUnicode(d.name) ? 4000 : 8000;
    if (d.length < 0 || d.length > limit)
      args.push_back(version >= 9 ? "max" : std::to_string(limit));
    else
      args.push_back(std::to_string(std::max(1, d.length)));
  } else if (IsExact(d.name)) {
    args = {std::to_string(d.prec), std::to_string(d.scale)};
  }
  auto type = MakeDeclaredType(d.name, args, version);
  if (!type)
    throw SqlError(50000, "The embedded server has no type '" + d.name + "'.");
  if (IsExact(d.name) && args.empty())
    type->scale = 0;
  return *type;
}

}  // namespace

ComputedColumnType DeriveComputedColumnType(
    const std::vector<Token>& tokens, std::size_t begin, std::size_t end,
    const std::function<std::optional<DeclaredType>(const std::string&)>& column_type,
    int major_version, const std::string& column_name) {
  Deriver deriver(tokens, begin, end, column_type, column_name);
  const Derived derived = deriver.Whole();
  ComputedColumnType result;
  Derived typed = derived;
  if (typed.null)
    typed.null = false;  // NULL alone is an int column that is always NULL
  result.type = ToDeclared(typed, major_version);
  result.concatenations = std::move(deriver.concatenations());
  // ISNULL(expression, constant) around the whole expression can never be NULL.
  std::size_t b = begin;
  std::size_t e = end;
  while (e - b >= 2 && tokens[b].IsPunct("(") && tokens[e - 1].IsPunct(")")) {
    TokenCursor inner(tokens, b, e);
    if (inner.MatchingParen() != e)
      break;
    ++b;
    --e;
  }
  if (e - b >= 6 && tokens[b].IsWord("ISNULL") && tokens[e - 1].IsPunct(")") &&
      (tokens[e - 2].kind == TokenKind::kNumber || tokens[e - 2].kind == TokenKind::kString) &&
      tokens[e - 3].IsPunct(",")) {
    TokenCursor call(tokens, b + 1, e);
    result.nullable = call.MatchingParen() != e;
  }
  return result;
}

}  // namespace korvane::embedded

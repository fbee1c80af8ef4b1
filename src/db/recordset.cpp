#include "db/recordset.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "base/text.h"
#include "base/unicode_case.h"
#include "db/numeric_value.h"

namespace korvane {
namespace {

const Value kNullValue;

std::string FoldText(std::string_view text) {
  return SimpleCaseFold(TrimRight(text));
}

// `value` (0 to 99) as two digits.
char* PutPair(char* at, int value) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  at[0] = kPairs[2 * value];
  at[1] = kPairs[2 * value + 1];
  return at + 2;
}

bool IsPair(int value) {
  return value >= 0 && value <= 99;
}

}  // namespace

// "d" + year, month, day, hour, minute, second and nanoseconds as fixed-width digits (a time of
// day alone on 1900-01-01). Keys are made for every row of a data comparison, so the usual
// values are written two digits at a time; others as printf writes them.
void AppendDateKey(const DateTimeValue& v, std::string& out) {
  const int year = v.has_date ? v.year : 1900;
  const int month = v.has_date ? v.month : 1;
  const int day = v.has_date ? v.day : 1;
  if (year >= 0 && year <= 9999 && IsPair(month) && IsPair(day) && IsPair(v.hour) &&
      IsPair(v.minute) && IsPair(v.second) && v.nanosecond >= 0 && v.nanosecond <= 999999999) {
    char key[24];
    char* at = key;
    *at++ = 'd';
    at = PutPair(at, year / 100);
    at = PutPair(at, year % 100);
    for (const int part : {month, day, v.hour, v.minute, v.second})
      at = PutPair(at, part);
    int fraction = v.nanosecond;
    for (int k = 8; k >= 0; --k) {
      at[k] = static_cast<char>('0' + fraction % 10);
      fraction /= 10;
    }
    out.append(key, static_cast<std::size_t>(at + 9 - key));
    return;
  }
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "d%04d%02d%02d%02d%02d%02d%09d", year, month, day, v.hour,
                v.minute, v.second, v.nanosecond);
  out += buffer;
}

namespace {

std::string DateKey(const DateTimeValue& v) {
  std::string key;
  key.reserve(24);
  AppendDateKey(v, key);
  return key;
}

// "14:05:09" or "14:05:09.5" (any number of fraction digits) from `at` to the end of `text`,
// read as the scanning reader reads it; false for any other form.
bool ParseUsualTime(std::string_view text, std::size_t at, DateTimeValue& v, double& seconds) {
  const int hour = FixedDigits(text, at, 2);
  const int minute = FixedDigits(text, at + 3, 2);
  if (hour < 0 || minute < 0 || text[at + 2] != ':' || at + 5 >= text.size() ||
      text[at + 5] != ':' || FixedDigits(text, at + 6, 2) < 0)
    return false;
  const std::size_t seconds_at = at + 6;
  std::size_t end = seconds_at + 2;
  if (end < text.size()) {
    if (text[end] != '.' || end + 1 == text.size())
      return false;
    for (++end; end < text.size(); ++end)
      if (text[end] < '0' || text[end] > '9')
        return false;
  }
  // Correctly rounded, as the C library's reader is.
  const auto [used, error] = std::from_chars(text.data() + seconds_at, text.data() + end, seconds);
  if (error != std::errc() || used != text.data() + end)
    return false;
  v.hour = hour;
  v.minute = minute;
  return true;
}

// The forms a criterion usually takes, "2024-03-07", with " 14:05:09" or "T14:05:09" after it, or
// the time alone, read without scanning. False for any other text, which the scanning reader
// takes; for these forms both give the same value.
bool ParseUsualCriterionDateTime(std::string_view text, DateTimeValue& v, double& seconds) {
  if (text.size() >= 8 && text[2] == ':') {
    if (!ParseUsualTime(text, 0, v, seconds))
      return false;
    // A time alone has no date (its key is on 1900-01-01); the year keeps the hour, as the
    // scanning reader leaves it after trying the date form first.
    v.year = v.hour;
    v.has_date = false;
    return true;
  }
  const int year = FixedDigits(text, 0, 4);
  const int month = FixedDigits(text, 5, 2);
  const int day = FixedDigits(text, 8, 2);
  if (year < 0 || month < 0 || day < 0 || text[4] != '-' || text[7] != '-')
    return false;
  v.year = year;
  v.month = month;
  v.day = day;
  if (text.size() == 10) {
    v.has_time = false;
    return true;
  }
  if ((text[10] != ' ' && text[10] != 'T') || !ParseUsualTime(text, 11, v, seconds))
    return false;
  v.has_time = true;
  return true;
}

}  // namespace

std::optional<DateTimeValue> ParseCriterionDateTime(std::string_view text) {
  text = Trim(text);
  {
    DateTimeValue v;
    double seconds = 0;
    if (ParseUsualCriterionDateTime(text, v, seconds)) {
      v.second = static_cast<int>(seconds);
      v.nanosecond = static_cast<int>(std::llround((seconds - v.second) * 1e9));
      return v;
    }
  }
  DateTimeValue v;
  int consumed = 0;
  std::string s(text);
  double seconds = 0;
  if (std::sscanf(s.c_str(), "%4d-%2d-%2d%n", &v.year, &v.month, &v.day, &consumed) == 3) {
    v.has_time = false;
    std::string rest = s.substr(static_cast<std::size_t>(consumed));
    if (!rest.empty()) {
      if (rest[0] != ' ' && rest[0] != 'T')
        return std::nullopt;
      int used = 0;
      if (std::sscanf(rest.c_str() + 1, "%2d:%2d:%lf%n", &v.hour, &v.minute, &seconds, &used) !=
              3 ||
          static_cast<std::size_t>(used) + 1 != rest.size()) {
        return std::nullopt;
      }
      v.has_time = true;
    }
  } else if (std::sscanf(s.c_str(), "%2d:%2d:%lf%n", &v.hour, &v.minute, &seconds, &consumed) ==
                 3 &&
             static_cast<std::size_t>(consumed) == s.size()) {
    v.has_date = false;
  } else {
    return std::nullopt;
  }
  v.second = static_cast<int>(seconds);
  v.nanosecond = static_cast<int>(std::llround((seconds - v.second) * 1e9));
  return v;
}

bool CriterionMatches(const Value& field, std::string_view criterion) {
  if (field.is_null())
    return false;
  if (field.type() == ValueType::kBoolean) {
    if (EqualsIgnoringCase(Trim(criterion), "true"))
      return field.AsBoolean();
    if (EqualsIgnoringCase(Trim(criterion), "false"))
      return !field.AsBoolean();
  }
  if (const auto number = ExactNumberText(field)) {
    const auto wanted = ExactNumberText(criterion);
    return wanted && *wanted == *number;
  }
  if (field.type() == ValueType::kDateTime) {
    const auto wanted = ParseCriterionDateTime(criterion);
    return wanted && DateKey(*wanted) == DateKey(field.AsDateTime());
  }
  return FoldText(NullText(field)) == FoldText(criterion);
}

std::optional<std::string> MatchKey(const Value& value) {
  if (value.is_null())
    return std::nullopt;
  if (const auto number = ExactNumberText(value))
    return "n" + *number;
  if (value.type() == ValueType::kDateTime)
    return DateKey(value.AsDateTime());
  return "t" + FoldText(NullText(value));
}

Recordset::Recordset(ResultSet rows) {
  data_->columns = std::move(rows.columns);
  data_->rows = std::move(rows.rows);
  data_->deleted.assign(data_->rows.size(), false);
  Rebuild();
  position_ = 0;
}

void Recordset::Rebuild() const {
  const bool had_row = position_ >= 0 && position_ < static_cast<long>(visible_.size());
  const std::size_t row = had_row ? visible_[static_cast<std::size_t>(position_)] : 0;
  const bool at_bof = position_ < 0;
  visible_.clear();
  for (std::size_t i = 0; i < data_->rows.size(); ++i) {
    if (!data_->deleted[i] && RowMatches(i, filter_))
      visible_.push_back(i);
  }
  seen_generation_ = data_->generation;
  if (at_bof) {
    position_ = -1;
  } else if (had_row) {
    position_ = std::lower_bound(visible_.begin(), visible_.end(), row) - visible_.begin();
  } else {
    position_ = static_cast<long>(visible_.size());
  }
}

void Recordset::Sync() const {
  if (seen_generation_ != data_->generation)
    Rebuild();
}

bool Recordset::RowMatches(std::size_t row, const std::vector<Condition>& conditions) const {
  return std::all_of(conditions.begin(), conditions.end(), [&](const Condition& c) {
    return CriterionMatches(data_->rows[row][static_cast<std::size_t>(c.field)], c.value);
  });
}

int Recordset::FieldIndex(std::string_view name) const {
  for (std::size_t i = 0; i < data_->columns.size(); ++i) {
    if (EqualsIgnoringCase(data_->columns[i].name, name))
      return static_cast<int>(i);
  }
  return -1;
}

bool Recordset::HasCurrentRow() const {
  Sync();
  return open_ && position_ >= 0 && position_ < static_cast<long>(visible_.size());
}

const Value& Recordset::Field(int index) const {
  if (!HasCurrentRow() || index < 0 || index >= FieldCount())
    return kNullValue;
  return data_
      ->rows[visible_[static_cast<std::size_t>(position_)]][static_cast<std::size_t>(index)];
}

const Value& Recordset::Field(std::string_view name) const {
  return Field(FieldIndex(name));
}

bool Recordset::Bof() const {
  Sync();
  return visible_.empty() || position_ < 0;
}

bool Recordset::Eof() const {
  Sync();
  return visible_.empty() || position_ >= static_cast<long>(visible_.size());
}

long Recordset::RecordCount() const {
  Sync();
  return static_cast<long>(visible_.size());
}

long Recordset::AbsolutePosition() const {
  return HasCurrentRow() ? position_ + 1 : 0;
}

void Recordset::MoveFirst() {
  Sync();
  position_ = 0;
}

void Recordset::MoveLast() {
  Sync();
  position_ = static_cast<long>(visible_.size()) - 1;
}

void Recordset::MoveNext() {
  Sync();
  if (position_ < static_cast<long>(visible_.size()))
    ++position_;
}

void Recordset::MovePrevious() {
  Sync();
  if (position_ >= 0)
    --position_;
}

const std::vector<Value>* Recordset::RowAt(long position) const {
  Sync();
  if (position < 1 || static_cast<std::size_t>(position) > visible_.size())
    return nullptr;
  return &data_->rows[visible_[static_cast<std::size_t>(position - 1)]];
}

std::optional<Recordset::Bookmark> Recordset::CurrentBookmark() const {
  if (!HasCurrentRow())
    return std::nullopt;
  return visible_[static_cast<std::size_t>(position_)];
}

bool Recordset::MoveToBookmark(Bookmark bookmark) {
  Sync();
  const auto it = std::find(visible_.begin(), visible_.end(), bookmark);
  if (it == visible_.end())
    return false;
  position_ = it - visible_.begin();
  return true;
}

std::optional<std::vector<std::pair<std::string, std::string>>> Recordset::ParseCriteria(
    std::string_view text) {
  std::vector<std::pair<std::string, std::string>> criteria;
  std::size_t pos = 0;
  auto skip_blanks = [&] {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
      ++pos;
  };
  while (true) {
    skip_blanks();
    std::string column;
    if (pos < text.size() && text[pos] == '[') {
      const std::size_t close = text.find(']', pos);
      if (close == std::string_view::npos)
        return std::nullopt;
      column = std::string(text.substr(pos + 1, close - pos - 1));
      pos = close + 1;
    } else {
      const std::size_t start = pos;
      while (pos < text.size() && text[pos] != '=' && text[pos] != ' ')
        ++pos;
      column = std::string(text.substr(start, pos - start));
    }
    skip_blanks();
    if (column.empty() || pos >= text.size() || text[pos] != '=')
      return std::nullopt;
    ++pos;
    skip_blanks();
    std::string value;
    if (pos < text.size() && (text[pos] == '\'' || text[pos] == '#')) {
      const char quote = text[pos++];
      bool closed = false;
      while (pos < text.size()) {
        if (text[pos] == quote) {
          if (quote == '\'' && pos + 1 < text.size() && text[pos + 1] == '\'') {
            value.push_back('\'');
            pos += 2;
            continue;
          }
          ++pos;
          closed = true;
          break;
        }
        value.push_back(text[pos++]);
      }
      if (!closed)
        return std::nullopt;
    } else {
      const std::size_t start = pos;
      while (pos < text.size() && text[pos] != ' ')
        ++pos;
      value = std::string(text.substr(start, pos - start));
      if (value.empty() || !IsNumeric(value))
        return std::nullopt;
    }
    criteria.emplace_back(std::move(column), std::move(value));
    skip_blanks();
    if (pos >= text.size())
      return criteria;
    if (pos + 3 > text.size() || !EqualsIgnoringCase(text.substr(pos, 3), "and")) {
      return std::nullopt;
    }
    pos += 3;
  }
}

bool Recordset::Find(std::string_view criterion) {
  const auto parsed = ParseCriteria(criterion);
  if (!parsed || parsed->size() != 1)
    return false;
  const int field = FieldIndex((*parsed)[0].first);
  if (field < 0)
    return false;
  Sync();
  if (position_ < 0)
    position_ = 0;
  const std::vector<Condition> condition{{field, (*parsed)[0].second}};
  while (position_ < static_cast<long>(visible_.size()) &&
         !RowMatches(visible_[static_cast<std::size_t>(position_)], condition)) {
    ++position_;
  }
  return true;
}

Recordset Recordset::Clone() const {
  Recordset clone;
  clone.data_ = data_;
  clone.open_ = open_;
  clone.position_ = 0;
  clone.Rebuild();
  clone.position_ = 0;
  return clone;
}

bool Recordset::Filter(std::string_view criteria) {
  std::vector<Condition> conditions;
  if (!Trim(criteria).empty()) {
    const auto parsed = ParseCriteria(criteria);
    if (!parsed)
      return false;
    for (const auto& [column, value] : *parsed) {
      const int field = FieldIndex(column);
      if (field < 0)
        return false;
      conditions.push_back({field, value});
    }
  }
  filter_ = std::move(conditions);
  position_ = 0;
  Rebuild();
  position_ = 0;
  return true;
}

bool Recordset::Delete() {
  if (!HasCurrentRow())
    return false;
  data_->deleted[visible_[static_cast<std::size_t>(position_)]] = true;
  ++data_->generation;
  Rebuild();
  return true;
}

void Recordset::Close() {
  open_ = false;
  visible_.clear();
  position_ = 0;
}

}  // namespace korvane

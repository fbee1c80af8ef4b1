// A typed field or parameter value as the database hands it over, and its one text form.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace korvane {

// A date and/or time of day. SQL Server's datetime keeps both; date and time types keep one.
struct DateTimeValue {
  int year = 1900;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int nanosecond = 0;
  bool has_date = true;
  bool has_time = true;

  friend bool operator==(const DateTimeValue&, const DateTimeValue&) = default;
};

// Exact numbers (decimal, numeric, money) keep their digits as text, e.g. "-12.3400", so no
// digit is ever lost to floating point.
struct DecimalValue {
  std::string digits;
  friend bool operator==(const DecimalValue&, const DecimalValue&) = default;
};

// uniqueidentifier, as its canonical upper-case text "6F9619FF-8B86-D011-B42D-00C04FC964FF".
struct GuidValue {
  std::string text;
  friend bool operator==(const GuidValue&, const GuidValue&) = default;
};

struct BinaryValue {
  std::vector<std::uint8_t> bytes;
  friend bool operator==(const BinaryValue&, const BinaryValue&) = default;
};

enum class ValueType {
  kNull,
  kBoolean,
  kInteger,
  kFloat,
  kDecimal,
  kText,
  kDateTime,
  kBinary,
  kGuid
};

class Value {
 public:
  Value() = default;  // Null
  static Value Null() { return Value(); }
  static Value Boolean(bool value) { return Value(value); }
  static Value Integer(std::int64_t value) { return Value(value); }
  static Value Float(double value) { return Value(value); }
  static Value Decimal(std::string digits) { return Value(DecimalValue{std::move(digits)}); }
  static Value Text(std::string text) { return Value(std::move(text)); }
  static Value DateTime(DateTimeValue value) { return Value(value); }
  static Value Binary(std::vector<std::uint8_t> bytes) {
    return Value(BinaryValue{std::move(bytes)});
  }
  static Value Guid(std::string text) { return Value(GuidValue{std::move(text)}); }

  ValueType type() const { return static_cast<ValueType>(data_.index()); }
  bool is_null() const { return type() == ValueType::kNull; }

  bool AsBoolean() const { return std::get<bool>(data_); }
  std::int64_t AsInteger() const { return std::get<std::int64_t>(data_); }
  double AsFloat() const { return std::get<double>(data_); }
  const std::string& AsDecimalDigits() const { return std::get<DecimalValue>(data_).digits; }
  const std::string& AsText() const { return std::get<std::string>(data_); }
  const DateTimeValue& AsDateTime() const { return std::get<DateTimeValue>(data_); }
  const std::vector<std::uint8_t>& AsBytes() const { return std::get<BinaryValue>(data_).bytes; }
  const std::string& AsGuidText() const { return std::get<GuidValue>(data_).text; }

  friend bool operator==(const Value&, const Value&) = default;

 private:
  using Data = std::variant<std::monostate, bool, std::int64_t, double, DecimalValue, std::string,
                            DateTimeValue, BinaryValue, GuidValue>;
  template <typename T>
  explicit Value(T value) : data_(std::move(value)) {}
  Data data_;
};

// The text form of a value, shared by every reader so both sides of a comparison always
// convert alike:
//   Null                -> "Null" (so a Null equals a stored text "Null")
//   bit                 -> "True" / "False"
//   integers            -> decimal digits, "-" for negatives: "-42"
//   decimal, money      -> the digits as the server gives them: "12.3400"
//   float, real         -> shortest text that reads back as the same double: "0.1", "1E+20"
//   text                -> the text as stored (trailing blanks kept)
//   datetime            -> "2024-03-07 14:05:09" (".123" added when there are milliseconds);
//                          date only "2024-03-07"; time only "14:05:09"
//   binary, image       -> "0x" + upper-case hex digits: "0x0A1B"
//   uniqueidentifier    -> its canonical upper-case text
std::string NullText(const Value& value);

// A field of a cursor's current row seen without a Value of its own (see RowCursor in
// db/backend.h); the bytes it points at stay valid until the cursor moves.
struct FieldView {
  ValueType type = ValueType::kNull;
  std::int64_t integer = 0;  // kInteger; kBoolean as 1 or 0
  double real = 0;           // kFloat
  // kText (UTF-8), kDecimal (the digits), kGuid (the canonical text), kBinary (the bytes);
  // kDateTime: the date's NullText where the reader has it at hand, else empty (it is then
  // written from `datetime`).
  std::string_view bytes;
  DateTimeValue datetime;  // kDateTime
};

FieldView ViewOf(const Value& value);
Value ToValue(const FieldView& field);
// Appends NullText of the field to `out`, without building a Value.
void AppendNullText(const FieldView& field, std::string& out);
// The most bytes WriteNullText writes for the field.
constexpr std::size_t NullTextBound(const FieldView& field) {
  // Numbers, dates and the like, those with fields beyond their usual widths included.
  constexpr std::size_t kLongestFixedText = 96;
  switch (field.type) {
    case ValueType::kDecimal:
    case ValueType::kText:
    case ValueType::kGuid:
      return field.bytes.size();
    case ValueType::kBinary:
      return 2 + 2 * field.bytes.size();
    default:
      return kLongestFixedText;
  }
}
// Writes NullText of the field at `to`, which has room for NullTextBound bytes; the end of the
// text written.
char* WriteNullText(const FieldView& field, char* to);
// Whether NullText of the field is its `bytes` as they are (texts, decimals, GUIDs, and dates
// handed over with their text), which a caller may then take instead of a written copy.
constexpr bool NullTextIsBytes(const FieldView& field) {
  switch (field.type) {
    case ValueType::kDecimal:
    case ValueType::kText:
    case ValueType::kGuid:
      return true;
    case ValueType::kDateTime:
      return !field.bytes.empty() && field.bytes.size() < NullTextBound(field);
    default:
      return false;
  }
}

}  // namespace korvane

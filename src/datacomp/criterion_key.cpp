#include "datacomp/criterion_key.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "app/text.h"
#include "db/recordset.h"

namespace korvane {
namespace {

// The date and time forms a criterion may take, read as the matching rule reads them:
// "2024-03-07", "2024-03-07 14:05:09[.123]", "2024-03-07T14:05:09", "14:05:09".

// The key of a number, as MatchKey gives it, without formatting whole numbers of up to 2^53
// through printf (the common case of integer keys).
std::string NumberMatchKey(double number) {
  constexpr double kExactWhole = 9007199254740992.0;  // 2^53
  if (std::trunc(number) == number && std::fabs(number) <= kExactWhole)
    return "n" + std::to_string(static_cast<long long>(number));
  return *MatchKey(Value::Float(number));
}

}  // namespace

std::uint8_t MatchClassOf(const Value& value) {
  switch (value.type()) {
    case ValueType::kNull:
      return 0;
    case ValueType::kBoolean:
      return kMatchBit;
    case ValueType::kInteger:
    case ValueType::kFloat:
    case ValueType::kDecimal:
      return kMatchNumber;
    case ValueType::kDateTime:
      return kMatchDate;
    default:
      return kMatchText;
  }
}

std::optional<std::string> FieldMatchKey(const Value& value) {
  // A bit matches more criteria than the number it equals (True, False), so its keys are kept
  // apart from those of numbers.
  if (value.type() == ValueType::kBoolean)
    return std::string(value.AsBoolean() ? "b1" : "b0");
  if (value.type() == ValueType::kInteger)
    return NumberMatchKey(static_cast<double>(value.AsInteger()));
  return MatchKey(value);
}

std::vector<std::string> CriterionMatchKeys(std::string_view criterion, std::uint8_t classes) {
  std::vector<std::string> keys;
  const std::string_view trimmed = Trim(criterion);
  std::optional<std::string> number_key;
  if ((classes & (kMatchNumber | kMatchBit)) != 0 && IsNumeric(trimmed))
    number_key = NumberMatchKey(LeadingNumber(trimmed));
  if ((classes & kMatchNumber) != 0 && number_key)
    keys.push_back(*number_key);
  if ((classes & kMatchBit) != 0) {
    if (EqualsIgnoringCase(trimmed, "true") || number_key == "n1") {
      keys.emplace_back("b1");
    } else if (EqualsIgnoringCase(trimmed, "false") || number_key == "n0") {
      keys.emplace_back("b0");
    }
  }
  if ((classes & kMatchDate) != 0) {
    if (const auto moment = ParseCriterionDateTime(criterion))
      keys.push_back(*MatchKey(Value::DateTime(*moment)));
  }
  if ((classes & kMatchText) != 0)
    keys.push_back(*MatchKey(Value::Text(std::string(criterion))));
  return keys;
}

}  // namespace korvane

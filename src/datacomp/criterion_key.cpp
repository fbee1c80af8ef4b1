#include "datacomp/criterion_key.h"

#include <string>

#include "base/text.h"
#include "db/numeric_value.h"
#include "db/recordset.h"

namespace korvane {
namespace {

// The key of a criterion that reads as a number, as MatchKey gives the key of that number.
std::optional<std::string> NumberMatchKey(std::string_view criterion) {
  auto exact = ExactNumberText(criterion);
  if (!exact)
    return std::nullopt;
  exact->insert(0, 1, 'n');
  return exact;
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
  return MatchKey(value);
}

std::vector<std::string> CriterionMatchKeys(std::string_view criterion, std::uint8_t classes) {
  std::vector<std::string> keys;
  const std::string_view trimmed = Trim(criterion);
  std::optional<std::string> number_key;
  if ((classes & (kMatchNumber | kMatchBit)) != 0)
    number_key = NumberMatchKey(trimmed);
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

#include "script/catalog_fields.h"

#include "base/text.h"
#include "catalog/sql_names.h"
#include "db/numeric_value.h"

namespace korvane {

std::string JoinText(const Value& value) {
  return value.is_null() ? std::string() : NullText(value);
}

std::optional<double> NumberOf(const Value& value) {
  if (value.type() == ValueType::kText)
    return IsNumeric(value.AsText()) ? std::optional(LeadingNumber(value.AsText())) : std::nullopt;
  return NumericValue(value);
}

std::string Bracketed(std::string_view name, NameQuoting quoting) {
  if (quoting == NameQuoting::kEscaped)
    return QuoteName(name);
  std::string text = "[";
  text += name;
  text += "]";
  return text;
}

}  // namespace korvane

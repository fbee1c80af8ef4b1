#include "script/catalog_fields.h"

#include "app/text.h"
#include "catalog/sql_names.h"

namespace korvane {

std::string JoinText(const Value& value) {
  return value.is_null() ? std::string() : NullText(value);
}

std::optional<double> NumberOf(const Value& value) {
  switch (value.type()) {
    case ValueType::kBoolean:
      return value.AsBoolean() ? 1.0 : 0.0;
    case ValueType::kInteger:
      return static_cast<double>(value.AsInteger());
    case ValueType::kFloat:
      return value.AsFloat();
    case ValueType::kDecimal:
      return LeadingNumber(value.AsDecimalDigits());
    case ValueType::kText:
      if (IsNumeric(value.AsText()))
        return LeadingNumber(value.AsText());
      return std::nullopt;
    default:
      return std::nullopt;
  }
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

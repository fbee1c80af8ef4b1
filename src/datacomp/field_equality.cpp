#include "datacomp/field_equality.h"

#include <cmath>
#include <cstring>

#include "base/text.h"

namespace korvane {
namespace {

// Kinds whose text is their bytes as they are.
bool IsText(ValueType type) {
  return type == ValueType::kText || type == ValueType::kDecimal || type == ValueType::kGuid;
}

// What the values alone say of two fields of one kind.
enum class Verdict { kSame, kDifferent, kByText };

Verdict CompareValues(const FieldView& source, const FieldView& target) {
  switch (source.type) {
    case ValueType::kNull:
      return Verdict::kSame;
    case ValueType::kBoolean:
      return (source.integer != 0) == (target.integer != 0) ? Verdict::kSame : Verdict::kDifferent;
    case ValueType::kInteger:
      return source.integer == target.integer ? Verdict::kSame : Verdict::kDifferent;
    case ValueType::kFloat: {
      // The text is the shortest that reads back as the same double, so equal bits give equal
      // texts and unequal finite values unequal ones; -0 against 0, infinities and NaNs go by
      // their texts.
      if (std::memcmp(&source.real, &target.real, sizeof source.real) == 0)
        return Verdict::kSame;
      if (std::isfinite(source.real) && std::isfinite(target.real) && source.real != target.real)
        return Verdict::kDifferent;
      return Verdict::kByText;
    }
    case ValueType::kBinary:
      return source.bytes == target.bytes ? Verdict::kSame : Verdict::kDifferent;
    case ValueType::kDateTime:
      // Unequal fields may still write one text (a date alone ignores its time of day).
      return source.datetime == target.datetime ? Verdict::kSame : Verdict::kByText;
    default:
      return Verdict::kByText;
  }
}

}  // namespace

std::string_view FieldTextComparer::TextOf(const FieldView& field, std::string& buffer) {
  if (IsText(field.type))
    return field.bytes;
  buffer.clear();
  AppendNullText(field, buffer);
  return buffer;
}

bool FieldTextComparer::Same(const FieldView& source, const FieldView& target) {
  if (source.type == target.type && !IsText(source.type)) {
    const Verdict verdict = CompareValues(source, target);
    if (verdict != Verdict::kByText)
      return verdict == Verdict::kSame;
  }
  const std::string_view source_text = TextOf(source, source_text_);
  const std::string_view target_text = TextOf(target, target_text_);
  return source_text == target_text || Trim(source_text) == Trim(target_text);
}

bool FieldTextComparer::SameAsMissing(const FieldView& source) {
  return Trim(TextOf(source, source_text_)).empty();
}

bool FieldTextComparer::SameRecords(std::span<const FieldView> source,
                                    std::span<const FieldView> target) {
  for (std::size_t k = 0; k < source.size(); ++k) {
    if (!(k < target.size() ? Same(source[k], target[k]) : SameAsMissing(source[k])))
      return false;
  }
  return true;
}

std::vector<std::string> FieldTexts(std::span<const FieldView> fields) {
  std::vector<std::string> texts;
  texts.reserve(fields.size());
  for (const FieldView& field : fields)
    AppendNullText(field, texts.emplace_back());
  return texts;
}

}  // namespace korvane

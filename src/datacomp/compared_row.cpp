#include "datacomp/compared_row.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>

#include "base/text.h"
#include "base/unicode_case.h"
#include "datacomp/criterion_key.h"
#include "db/recordset.h"

namespace korvane {
namespace {

constexpr std::size_t kKeyHashAt = 0;
constexpr std::size_t kKeySizeAt = 8;
constexpr std::size_t kKeyStateAt = 12;
constexpr std::size_t kClassCountAt = 13;
constexpr std::size_t kHeaderSize = 14;

template <typename T>
void Put(std::string& out, std::size_t at, T value) {
  std::memcpy(out.data() + at, &value, sizeof value);
}

template <typename T>
T Get(std::string_view in, std::size_t at) {
  T value;
  std::memcpy(&value, in.data() + at, sizeof value);
  return value;
}

}  // namespace

bool WriteCommonKey(const FieldView& value, std::string& key) {
  if (value.type == ValueType::kInteger) {
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, value.integer).ptr;
    key.clear();
    key.push_back('n');
    key.append(digits, static_cast<std::size_t>(end - digits));
    return true;
  }
  if (value.type == ValueType::kText) {
    key.clear();
    key.push_back('t');
    AppendSimpleCaseFold(TrimRight(value.bytes), key);
    return true;
  }
  return false;
}

bool WriteDateKey(const DateTimeValue& value, std::string& key, std::string& scratch) {
  key.clear();
  AppendDateKey(value, key);
  // Whole seconds within the usual widths are written as "2024-03-07 14:05:09", "2024-03-07"
  // or "14:05:09", which read back as the same fields: the text need not be written and read.
  const auto pair = [](int part) { return part >= 0 && part <= 99; };
  if (value.nanosecond == 0 && value.year >= 0 && value.year <= 9999 && pair(value.month) &&
      pair(value.day) && pair(value.hour) && pair(value.minute) && pair(value.second)) {
    if (value.has_time)
      return true;
    // A date alone: its text leaves out the time, which must then be midnight.
    return value.has_date && value.hour == 0 && value.minute == 0 && value.second == 0;
  }
  FieldView field;
  field.type = ValueType::kDateTime;
  field.datetime = value;
  scratch.clear();
  AppendNullText(field, scratch);
  const std::optional<DateTimeValue> read = ParseCriterionDateTime(scratch);
  if (!read)
    return false;
  scratch.clear();
  AppendDateKey(*read, scratch);
  return scratch == key;
}

void AppendKeyPart(std::string& key, std::string_view part) {
  const auto size = static_cast<std::uint32_t>(part.size());
  key.append(reinterpret_cast<const char*>(&size), sizeof size);
  key.append(part);
}

void AppendPackedLength(std::string& out, std::size_t size) {
  while (size >= 0x80) {
    out.push_back(static_cast<char>((size & 0x7F) | 0x80));
    size >>= 7;
  }
  out.push_back(static_cast<char>(size));
}

std::size_t ReadPackedLength(std::string_view packed, std::size_t& at) {
  std::size_t size = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<std::uint8_t>(packed[at++]);
    size |= static_cast<std::size_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0)
      return size;
  }
}

ComparedRowPreparer::ComparedRowPreparer(ComparedRowLayout layout)
    : layout_(std::move(layout)), parts_(layout_.key_fields.size()) {}

void ComparedRowPreparer::Prepare(const RowCursor& row, std::string& out) {
  // Every field read once, in one call.
  values_.resize(row.Columns().size());
  row.Fields(values_);
  PrepareFields(values_, out);
}

void ComparedRowPreparer::PrepareRead(const RowCursor& row, std::span<const FieldView> fields,
                                      std::string& out) {
  if (fields.size() != row.Columns().size()) {
    Prepare(row, out);
    return;
  }
  PrepareFields(fields, out);
}

void ComparedRowPreparer::PrepareFields(std::span<const FieldView> values, std::string& out) {
  const std::size_t start = out.size();
  out.resize(start + kHeaderSize);
  // The key: first the class of each component read, then its bytes when all are common.
  const int fields = static_cast<int>(values.size());
  PreparedKey state = PreparedKey::kReady;
  std::uint8_t classes = 0;
  for (std::size_t c = 0; c < layout_.key_fields.size(); ++c) {
    const int field = layout_.key_fields[c];
    if (field < 0 || field >= fields) {
      state = PreparedKey::kFromFields;  // left to the fields' own path, as before
      break;
    }
    const FieldView& value = values[static_cast<std::size_t>(field)];
    if (value.type == ValueType::kNull) {
      state = PreparedKey::kNull;
      break;
    }
    std::uint8_t match_class = 0;
    if (WriteCommonKey(value, parts_[c]))
      match_class = value.type == ValueType::kInteger ? kMatchNumber : kMatchText;
    else if (value.type == ValueType::kDateTime && WriteDateKey(value.datetime, parts_[c], part_))
      match_class = kMatchDate;
    if (match_class == 0) {
      state = PreparedKey::kFromFields;
      break;
    }
    out.push_back(static_cast<char>(match_class));
    ++classes;
  }
  std::uint64_t key_hash = 0;
  std::uint32_t key_size = 0;
  if (state == PreparedKey::kReady && !layout_.key_fields.empty()) {
    const std::size_t key_at = out.size();
    if (parts_.size() == 1) {
      out.append(parts_[0]);
    } else {
      for (const std::string& part : parts_)
        AppendKeyPart(out, part);
    }
    key_size = static_cast<std::uint32_t>(out.size() - key_at);
    key_hash = layout_.key_hash(std::string_view(out).substr(key_at, key_size));
  }
  // The form, written in place (a buffer filled with zeros first would cost more than the
  // form itself), then added to `out` at once.
  const std::size_t bound = RowFormBound(values);
  if (form_.size() < bound)
    form_.resize(std::max(bound, 2 * form_.size()));
  const char* const end = WriteRowForm(values, form_.data());
  out.append(form_.data(), static_cast<std::size_t>(end - form_.data()));
  Put(out, start + kKeyHashAt, key_hash);
  Put(out, start + kKeySizeAt, key_size);
  out[start + kKeyStateAt] = static_cast<char>(state);
  out[start + kClassCountAt] = static_cast<char>(classes);
}

ComparedRow ComparedRow::Parse(std::string_view prepared) {
  ComparedRow row;
  row.key_hash = Get<std::uint64_t>(prepared, kKeyHashAt);
  const auto key_size = Get<std::uint32_t>(prepared, kKeySizeAt);
  row.key_state = static_cast<PreparedKey>(prepared[kKeyStateAt]);
  const auto classes = static_cast<std::uint8_t>(prepared[kClassCountAt]);
  row.classes = prepared.substr(kHeaderSize, classes);
  row.key = prepared.substr(kHeaderSize + classes, key_size);
  row.form = prepared.substr(kHeaderSize + classes + key_size);
  return row;
}

}  // namespace korvane

#include "datacomp/target_key_index.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <functional>

#include "base/text.h"
#include "base/unicode_case.h"
#include "datacomp/criterion_key.h"
#include "datacomp/data_compare_options.h"

namespace korvane {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The first field named exactly so (letter case counts); field 0 when there is none.
int FieldByExactName(const std::vector<ColumnInfo>& columns, const std::string& name) {
  for (std::size_t k = 0; k < columns.size(); ++k) {
    if (columns[k].name == name)
      return static_cast<int>(k);
  }
  return 0;
}

// The first field of this name ignoring case, as a criterion names it; -1 when there is none.
int FieldByName(const std::vector<ColumnInfo>& columns, std::string_view name) {
  for (std::size_t k = 0; k < columns.size(); ++k) {
    if (EqualsIgnoringCase(columns[k].name, name))
      return static_cast<int>(k);
  }
  return -1;
}

void AppendKeyPart(std::string& key, const std::string& part) {
  const auto size = static_cast<std::uint32_t>(part.size());
  key.append(reinterpret_cast<const char*>(&size), sizeof size);
  key.append(part);
}

// The key FieldMatchKey gives, for the common kinds of key values only (whole numbers and
// texts), written into `key` so that its buffer serves one row after another without
// allocating. False for any other value, whose key must come from FieldMatchKey.
bool WriteCommonKey(const FieldView& value, std::string& key) {
  if (value.type == ValueType::kInteger) {
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, value.integer).ptr;
    key.assign(1, 'n');
    key.append(digits, static_cast<std::size_t>(end - digits));
    return true;
  }
  if (value.type == ValueType::kText) {
    key.assign(1, 't');
    AppendSimpleCaseFold(TrimRight(value.bytes), key);
    return true;
  }
  return false;
}

std::uint8_t MatchClassOfField(const FieldView& value) {
  switch (value.type) {
    case ValueType::kNull:
      return 0;
    case ValueType::kInteger:
      return kMatchNumber;
    case ValueType::kText:
      return kMatchText;
    default:
      return MatchClassOf(ToValue(value));
  }
}

// Whether a Source value, as a criterion for a Target column holding only values of `classes`,
// has exactly the one key its own field key is: a whole number against numbers (its digits
// read back as the same number), a text against texts.
bool CriterionKeyIsFieldKey(const FieldView& value, std::uint8_t classes) {
  return (classes == kMatchNumber && value.type == ValueType::kInteger) ||
         (classes == kMatchText && value.type == ValueType::kText);
}

void AppendLength(std::string& out, std::size_t size) {
  while (size >= 0x80) {
    out.push_back(static_cast<char>((size & 0x7F) | 0x80));
    size >>= 7;
  }
  out.push_back(static_cast<char>(size));
}

std::size_t ReadLength(std::string_view packed, std::size_t& at) {
  std::size_t size = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<std::uint8_t>(packed[at++]);
    size |= static_cast<std::size_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0)
      return size;
  }
}

std::uint64_t Mix(std::uint64_t x) {
  x ^= x >> 32;
  x *= 0xD6E8FEB86659FD93u;
  x ^= x >> 32;
  x *= 0xD6E8FEB86659FD93u;
  x ^= x >> 32;
  return x;
}

}  // namespace

std::optional<std::string> CriterionColumnName(std::string_view name) {
  std::size_t pos = 0;
  while (pos < name.size() && IsBlank(name[pos]))
    ++pos;
  std::string column;
  if (pos < name.size() && name[pos] == '[') {
    const std::size_t close = name.find(']', pos);
    if (close == std::string_view::npos)
      return std::nullopt;
    column = std::string(name.substr(pos + 1, close - pos - 1));
    pos = close + 1;
  } else {
    const std::size_t start = pos;
    while (pos < name.size() && name[pos] != '=' && name[pos] != ' ')
      ++pos;
    column = std::string(name.substr(start, pos - start));
  }
  for (; pos < name.size(); ++pos) {
    if (!IsBlank(name[pos]))
      return std::nullopt;
  }
  if (column.empty())
    return std::nullopt;
  return column;
}

TargetKeyIndex::TargetKeyIndex(const std::vector<ColumnInfo>& source_columns,
                               const std::vector<ColumnInfo>& target_columns,
                               const std::array<std::string, 3>& source_keys,
                               const std::array<std::string, 3>& target_keys, KeyHash key_hash,
                               RowFingerprint fingerprint)
    : key_hash_(key_hash),
      fingerprint_(fingerprint),
      source_field_count_(static_cast<int>(source_columns.size())),
      target_field_count_(static_cast<int>(target_columns.size())) {
  const bool source_secondary_set = IsKeyColumnSet(source_keys[1]);
  std::array<int, 3> source_fields{FieldByExactName(source_columns, source_keys[0]), 0, 0};
  if (source_secondary_set) {
    source_fields[1] = FieldByExactName(source_columns, source_keys[1]);
    source_fields[2] = FieldByExactName(source_columns, source_keys[2]);
  }
  components_.push_back({source_fields[0], target_keys[0]});
  if (IsKeyColumnSet(target_keys[1])) {
    components_.push_back({source_fields[1], target_keys[1]});
    if (IsKeyColumnSet(source_keys[2]))
      components_.push_back({source_fields[2], target_keys[2]});
  }
  for (Component& component : components_) {
    const auto column = CriterionColumnName(component.target_name);
    component.target_field = column ? FieldByName(target_columns, *column) : -1;
    if (component.target_field < 0)
      valid_ = false;
  }
  key_parts_.resize(components_.size());
  parts_.resize(components_.size());
  candidates_.resize(components_.size());
  text_spans_.resize(static_cast<std::size_t>(source_field_count_));
  trimmed_.resize(static_cast<std::size_t>(source_field_count_));
}

std::uint64_t TargetKeyIndex::StandardRowFingerprint(std::span<const std::string_view> texts) {
  // One multiply per word and a full mix at the end: a fingerprint only has to tell most
  // differing rows apart, as equal ones are confirmed.
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
  std::uint64_t hash = kMultiplier;
  for (const std::string_view text : texts) {
    hash = (hash ^ text.size()) * kMultiplier;
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, text.data() + at, 8);
      hash = ((hash ^ word) * kMultiplier);
      hash ^= hash >> 29;
    }
    if (at < text.size()) {
      std::uint64_t word = 0;
      std::memcpy(&word, text.data() + at, text.size() - at);
      hash = ((hash ^ word) * kMultiplier);
      hash ^= hash >> 29;
    }
  }
  return Mix(hash);
}

void TargetKeyIndex::Reserve(std::size_t rows) {
  rows = std::min<std::size_t>(rows, std::size_t{1} << 27);
  expected_rows_ = rows;
  row_starts_.reserve(rows);
  fingerprints_.reserve(rows);
  matched_.reserve(rows);
  next_.reserve(rows);
  chains_.reserve(rows);
  std::size_t capacity = slots_.size();
  while (capacity < rows * 2)
    capacity *= 2;
  if (capacity > slots_.size() && chains_.empty())
    slots_.assign(capacity, Slot{});
}

void TargetKeyIndex::PackRow(const RowCursor& target) {
  row_starts_.push_back(packed_.size());
  // Each text goes straight into the buffer behind a one-byte length, widened in the rare case
  // of a text of 128 bytes or more.
  for (int k = 0; k < target_field_count_; ++k) {
    const std::size_t length_at = packed_.size();
    packed_.push_back('\0');
    AppendNullText(target.Field(k), packed_);
    const std::size_t size = packed_.size() - length_at - 1;
    if (size < 0x80) {
      packed_[length_at] = static_cast<char>(size);
    } else {
      text_.clear();
      AppendLength(text_, size);
      packed_.replace(length_at, 1, text_);
    }
    if (k < source_field_count_) {
      const std::size_t text_at = packed_.size() - size;
      text_spans_[static_cast<std::size_t>(k)] = {text_at, size};
    }
  }
  for (int k = 0; k < source_field_count_; ++k) {
    const auto& [at, size] = text_spans_[static_cast<std::size_t>(k)];
    trimmed_[static_cast<std::size_t>(k)] = k < target_field_count_
                                                ? Trim(std::string_view(packed_).substr(at, size))
                                                : std::string_view();
  }
  fingerprints_.push_back(fingerprint_(trimmed_));
  matched_.push_back(false);
  next_.push_back(kNoRow);
}

void TargetKeyIndex::AddTargetRow(const RowCursor& target) {
  const auto row = static_cast<std::uint32_t>(row_starts_.size());
  PackRow(target);
  // The first rows tell how much room the texts of the rows expected will take.
  constexpr std::uint32_t kSampleRows = 1024;
  if (row + 1 == kSampleRows && expected_rows_ > kSampleRows)
    packed_.reserve(packed_.size() / kSampleRows * expected_rows_ / 8 * 9);
  if (!valid_)
    return;
  for (std::size_t c = 0; c < components_.size(); ++c) {
    const FieldView value = target.Field(components_[c].target_field);
    if (value.type == ValueType::kNull)
      return;  // a NULL key matches nothing
    if (!WriteCommonKey(value, key_parts_[c]))
      key_parts_[c] = *FieldMatchKey(ToValue(value));
    components_[c].classes |= MatchClassOfField(value);
    parts_[c] = &key_parts_[c];
  }
  if (parts_.size() == 1) {
    AddRow(*parts_[0], row);
  } else {
    AddRow(CompositeKey(parts_), row);
  }
}

std::string_view TargetKeyIndex::TargetText(std::size_t row, int field) const {
  std::size_t at = row_starts_[row];
  for (int k = 0;; ++k) {
    const std::size_t size = ReadLength(packed_, at);
    if (k == field)
      return std::string_view(packed_).substr(at, size);
    at += size;
  }
}

std::vector<std::string> TargetKeyIndex::TargetTexts(std::size_t row) const {
  std::vector<std::string> texts;
  texts.reserve(static_cast<std::size_t>(target_field_count_));
  std::size_t at = row_starts_[row];
  for (int k = 0; k < target_field_count_; ++k) {
    const std::size_t size = ReadLength(packed_, at);
    texts.emplace_back(packed_, at, size);
    at += size;
  }
  return texts;
}

std::uint64_t TargetKeyIndex::SourceFingerprint(std::span<const std::string_view> texts) {
  for (std::size_t k = 0; k < trimmed_.size(); ++k)
    trimmed_[k] = k < texts.size() ? Trim(texts[k]) : std::string_view();
  return fingerprint_(trimmed_);
}

bool TargetKeyIndex::SameData(std::size_t row, std::span<const std::string_view> source_texts,
                              std::uint64_t source_fingerprint) const {
  if (fingerprints_[row] != source_fingerprint)
    return false;
  std::size_t at = row_starts_[row];
  for (std::size_t k = 0; k < source_texts.size(); ++k) {
    std::string_view target;
    if (k < static_cast<std::size_t>(target_field_count_)) {
      const std::size_t size = ReadLength(packed_, at);
      target = std::string_view(packed_).substr(at, size);
      at += size;
    }
    if (Trim(source_texts[k]) != Trim(target))
      return false;
  }
  return true;
}

std::string TargetKeyIndex::CompositeKey(const std::vector<const std::string*>& parts) const {
  if (parts.size() == 1)
    return *parts[0];
  std::string key;
  for (const std::string* part : parts)
    AppendKeyPart(key, *part);
  return key;
}

std::string_view TargetKeyIndex::KeyOf(const Chain& chain) const {
  if (chain.key_size <= kInlineKeySize)
    return std::string_view(chain.key, chain.key_size);
  std::size_t offset = 0;
  std::memcpy(&offset, chain.key, sizeof offset);
  return std::string_view(keys_).substr(offset, chain.key_size);
}

std::uint64_t TargetKeyIndex::StandardKeyHash(std::string_view key) {
  return std::hash<std::string_view>()(key);
}

TargetKeyIndex::Chain* TargetKeyIndex::FindChain(std::string_view key) {
  const std::uint64_t hash = key_hash_(key);
  const auto tag = static_cast<std::uint32_t>(hash >> 32);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const Slot& entry = slots_[slot];
    if (entry.chain == kNoChain)
      return nullptr;  // never used
    if (entry.tag != tag)
      continue;
    Chain& chain = chains_[entry.chain];
    if (chain.key_size == key.size() && KeyOf(chain) == key)
      return &chain;
  }
}

void TargetKeyIndex::AddRow(std::string_view key, std::uint32_t row) {
  if ((chains_.size() + 1) * 2 > slots_.size())
    Grow();
  const std::uint64_t hash = key_hash_(key);
  const auto tag = static_cast<std::uint32_t>(hash >> 32);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    Slot& entry = slots_[slot];
    if (entry.chain == kNoChain) {
      entry.tag = tag;
      entry.chain = static_cast<std::uint32_t>(chains_.size());
      Chain& chain = chains_.emplace_back();
      chain.key_size = static_cast<std::uint32_t>(key.size());
      chain.head = row;
      chain.tail = row;
      if (key.size() <= kInlineKeySize) {
        std::memcpy(chain.key, key.data(), key.size());
      } else {
        const std::size_t offset = keys_.size();
        std::memcpy(chain.key, &offset, sizeof offset);
        keys_.append(key);
      }
      return;
    }
    if (entry.tag != tag)
      continue;
    Chain& chain = chains_[entry.chain];
    if (chain.key_size == key.size() && KeyOf(chain) == key) {
      next_[chain.tail] = row;
      chain.tail = row;
      return;
    }
  }
}

void TargetKeyIndex::Grow() {
  std::vector<Slot> slots(slots_.size() * 2);
  const std::size_t mask = slots.size() - 1;
  for (std::uint32_t number = 0; number < chains_.size(); ++number) {
    const std::uint64_t hash = key_hash_(KeyOf(chains_[number]));
    std::size_t slot = hash & mask;
    while (slots[slot].chain != kNoChain)
      slot = (slot + 1) & mask;
    slots[slot] = Slot{static_cast<std::uint32_t>(hash >> 32), number};
  }
  slots_ = std::move(slots);
}

TargetKeyIndex::Match TargetKeyIndex::FindMatchingRecord(const RowCursor& source) {
  if (!valid_)
    return {Outcome::kSearchError, 0};
  for (std::size_t c = 0; c < components_.size(); ++c) {
    const FieldView value = source.Field(components_[c].source_field);
    std::vector<std::string>& keys = candidates_[c];
    if (CriterionKeyIsFieldKey(value, components_[c].classes)) {
      keys.resize(1);
      if (WriteCommonKey(value, keys[0]))
        continue;
    }
    text_.clear();
    AppendNullText(value, text_);
    keys = CriterionMatchKeys(text_, components_[c].classes);
    if (keys.empty())
      return {Outcome::kNotFound, 0};
  }
  // Every combination of one candidate per component; the earliest unmatched row wins.
  Chain* best = nullptr;
  choice_.assign(components_.size(), 0);
  while (true) {
    for (std::size_t c = 0; c < components_.size(); ++c)
      parts_[c] = &candidates_[c][choice_[c]];
    Chain* chain = parts_.size() == 1 ? FindChain(*parts_[0]) : FindChain(CompositeKey(parts_));
    if (chain != nullptr && chain->head != kNoRow && (best == nullptr || chain->head < best->head))
      best = chain;
    std::size_t c = 0;
    while (c < components_.size() && ++choice_[c] == candidates_[c].size())
      choice_[c++] = 0;
    if (c == components_.size())
      break;
  }
  if (best == nullptr)
    return {Outcome::kNotFound, 0};
  const std::uint32_t row = best->head;
  best->head = next_[row];
  matched_[row] = true;
  ++matched_count_;
  return {Outcome::kFound, row};
}

}  // namespace korvane

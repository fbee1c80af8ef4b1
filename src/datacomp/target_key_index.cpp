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
int SourceFieldByExactName(const Recordset& source, const std::string& name) {
  for (int k = 0; k < source.FieldCount(); ++k) {
    if (source.FieldName(k) == name)
      return k;
  }
  return 0;
}

void AppendKeyPart(std::string& key, const std::string& part) {
  const auto size = static_cast<std::uint32_t>(part.size());
  key.append(reinterpret_cast<const char*>(&size), sizeof size);
  key.append(part);
}

// The key FieldMatchKey gives, for the common kinds of key values only (whole numbers and
// texts), written into `key` so that its buffer serves one row after another without
// allocating. False for any other value, whose key must come from FieldMatchKey.
bool WriteCommonKey(const Value& value, std::string& key) {
  if (value.type() == ValueType::kInteger) {
    const std::int64_t number = value.AsInteger();
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    key.assign(1, 'n');
    key.append(digits, static_cast<std::size_t>(end - digits));
    return true;
  }
  if (value.type() == ValueType::kText) {
    key.assign(1, 't');
    AppendSimpleCaseFold(TrimRight(value.AsText()), key);
    return true;
  }
  return false;
}

// Whether a Source value, as a criterion for a Target column holding only values of `classes`,
// has exactly the one key its own field key is: a whole number against numbers (its digits
// read back as the same number), a text against texts.
bool CriterionKeyIsFieldKey(const Value& value, std::uint8_t classes) {
  return (classes == kMatchNumber && value.type() == ValueType::kInteger) ||
         (classes == kMatchText && value.type() == ValueType::kText);
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

TargetKeyIndex::TargetKeyIndex(const Recordset& source, Recordset& target,
                               const std::array<std::string, 3>& source_keys,
                               const std::array<std::string, 3>& target_keys, KeyHash key_hash)
    : target_(target), key_hash_(key_hash) {
  const bool source_secondary_set = IsKeyColumnSet(source_keys[1]);
  std::array<int, 3> source_fields{SourceFieldByExactName(source, source_keys[0]), 0, 0};
  if (source_secondary_set) {
    source_fields[1] = SourceFieldByExactName(source, source_keys[1]);
    source_fields[2] = SourceFieldByExactName(source, source_keys[2]);
  }
  components_.push_back({source_fields[0], target_keys[0]});
  if (IsKeyColumnSet(target_keys[1])) {
    components_.push_back({source_fields[1], target_keys[1]});
    if (IsKeyColumnSet(source_keys[2]))
      components_.push_back({source_fields[2], target_keys[2]});
  }
}

bool TargetKeyIndex::Prepare() {
  if (prepared_)
    return valid_;
  prepared_ = true;
  valid_ = true;
  for (Component& component : components_) {
    const auto column = CriterionColumnName(component.target_name);
    component.target_field = column ? target_.FieldIndex(*column) : -1;
    if (component.target_field < 0)
      valid_ = false;
  }
  return valid_;
}

void TargetKeyIndex::ReadTarget() {
  if (read_)
    return;
  read_ = true;
  target_field_count_ = target_.FieldCount();
  const long rows = target_.RecordCount();
  row_fields_.reserve(static_cast<std::size_t>(rows));
  static const Value kNoFields;
  for (target_.MoveFirst(); !target_.Eof(); target_.MoveNext()) {
    if (target_field_count_ == 0) {
      row_fields_.push_back(&kNoFields);
      continue;
    }
    // A row's fields lie side by side in the recordset; should they ever not, the row is
    // copied, so the index never depends on that layout for its answers.
    const Value* first = &target_.Field(0);
    if (&target_.Field(target_field_count_ - 1) == first + (target_field_count_ - 1)) {
      row_fields_.push_back(first);
    } else {
      std::vector<Value>& copy = copied_rows_.emplace_back();
      for (int k = 0; k < target_field_count_; ++k)
        copy.push_back(target_.Field(k));
      row_fields_.push_back(copy.data());
    }
  }
  matched_.assign(row_fields_.size(), false);
}

const Value& TargetKeyIndex::TargetField(std::size_t row, int field) const {
  return row_fields_[row][field];
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

void TargetKeyIndex::Build() {
  built_ = true;
  ReadTarget();
  next_.assign(row_fields_.size(), kNoRow);
  std::size_t capacity = 16;
  while (capacity < row_fields_.size() * 2)
    capacity *= 2;
  slots_.assign(capacity, Slot{});
  chains_.clear();
  chains_.reserve(row_fields_.size());
  std::vector<std::string> keys(components_.size());
  std::vector<const std::string*> parts(components_.size());
  for (std::size_t row = 0; row < row_fields_.size(); ++row) {
    bool has_key = true;
    for (std::size_t c = 0; c < components_.size() && has_key; ++c) {
      const Value& value = TargetField(row, components_[c].target_field);
      if (value.is_null()) {
        has_key = false;
        break;
      }
      if (!WriteCommonKey(value, keys[c]))
        keys[c] = *FieldMatchKey(value);
      components_[c].classes |= MatchClassOf(value);
      parts[c] = &keys[c];
    }
    if (!has_key)
      continue;  // a NULL key matches nothing
    const auto r = static_cast<std::uint32_t>(row);
    if (parts.size() == 1) {
      AddRow(*parts[0], r);
    } else {
      AddRow(CompositeKey(parts), r);
    }
  }
}

TargetKeyIndex::Match TargetKeyIndex::FindMatchingRecord(const Recordset& source) {
  if (!Prepare())
    return {Outcome::kSearchError, 0};
  if (!built_)
    Build();
  // The buffers live as long as the index: a search allocates no more than its keys.
  candidates_.resize(components_.size());
  for (std::size_t c = 0; c < components_.size(); ++c) {
    const Value& value = source.Field(components_[c].source_field);
    std::vector<std::string>& keys = candidates_[c];
    if (CriterionKeyIsFieldKey(value, components_[c].classes)) {
      keys.resize(1);
      if (WriteCommonKey(value, keys[0]))
        continue;
    }
    keys = CriterionMatchKeys(NullText(value), components_[c].classes);
    if (keys.empty())
      return {Outcome::kNotFound, 0};
  }
  // Every combination of one candidate per component; the earliest unmatched row wins.
  Chain* best = nullptr;
  choice_.assign(components_.size(), 0);
  parts_.resize(components_.size());
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

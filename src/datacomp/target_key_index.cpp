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
    // A key column is found by the name the Target gives it, blanks included ("Order ID"); only
    // a name that is no column is read as a criterion would name one ("[Order ID]").
    component.target_field = IsKeyColumnSet(component.target_name)
                                 ? FieldByName(target_columns, component.target_name)
                                 : -1;
    if (component.target_field < 0) {
      const auto column = CriterionColumnName(component.target_name);
      component.target_field = column ? FieldByName(target_columns, *column) : -1;
    }
    if (component.target_field < 0)
      valid_ = false;
  }
  key_parts_.resize(components_.size());
  parts_.resize(components_.size());
  candidates_.resize(components_.size());
  trimmed_.resize(static_cast<std::size_t>(source_field_count_));
}

ComparedRowLayout TargetKeyIndex::Layout(bool target) const {
  ComparedRowLayout layout;
  layout.compared_fields = source_field_count_;
  layout.fingerprint = fingerprint_;
  layout.key_hash = key_hash_;
  // Without a valid key no search is made, so no key is prepared.
  if (valid_) {
    for (const Component& component : components_)
      layout.key_fields.push_back(target ? component.target_field : component.source_field);
  }
  return layout;
}

std::vector<bool> TargetKeyIndex::KeyFields(bool target) const {
  std::vector<bool> fields(
      static_cast<std::size_t>(target ? target_field_count_ : source_field_count_));
  for (const int field : Layout(target).key_fields) {
    if (field >= 0 && static_cast<std::size_t>(field) < fields.size())
      fields[static_cast<std::size_t>(field)] = true;
  }
  return fields;
}

std::unique_ptr<RowPreparer> TargetKeyIndex::MakeTargetPreparer() const {
  return std::make_unique<ComparedRowPreparer>(Layout(true));
}

std::unique_ptr<RowPreparer> TargetKeyIndex::MakeSourcePreparer() const {
  return std::make_unique<ComparedRowPreparer>(Layout(false));
}

std::string_view TargetKeyIndex::PrepareHere(const RowCursor& row, bool target) {
  std::unique_ptr<RowPreparer>& preparer = target ? target_preparer_ : source_preparer_;
  if (!preparer)
    preparer = target ? MakeTargetPreparer() : MakeSourcePreparer();
  prepared_.clear();
  preparer->Prepare(row, prepared_);
  return prepared_;
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
      // The last bytes, low first (as a copy into the word would place them on this machine),
      // without a call to copy a few bytes.
      std::uint64_t word = 0;
      for (std::size_t k = text.size(); k-- > at;)
        word = (word << 8) | static_cast<std::uint8_t>(text[k]);
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

void TargetKeyIndex::AddTargetRow(const RowCursor& target) {
  AddTargetRow(target, PrepareHere(target, true));
}

void TargetKeyIndex::AddTargetRow(const RowCursor& target, std::string_view prepared) {
  const ComparedRow prepared_row = ComparedRow::Parse(prepared);
  const auto row = static_cast<std::uint32_t>(row_starts_.size());
  row_starts_.push_back(packed_.size());
  packed_.append(prepared_row.texts);
  fingerprints_.push_back(prepared_row.fingerprint);
  matched_.push_back(false);
  next_.push_back(kNoRow);
  // The first rows tell how much room the texts of the rows expected will take.
  constexpr std::uint32_t kSampleRows = 1024;
  if (row + 1 == kSampleRows && expected_rows_ > kSampleRows)
    packed_.reserve(packed_.size() / kSampleRows * expected_rows_ / 8 * 9);
  if (!valid_)
    return;
  switch (prepared_row.key_state) {
    case PreparedKey::kReady:
    case PreparedKey::kNull:
      // A NULL key matches nothing; the components before it still tell their classes.
      for (std::size_t c = 0; c < prepared_row.classes.size(); ++c)
        components_[c].classes |= static_cast<std::uint8_t>(prepared_row.classes[c]);
      if (prepared_row.key_state == PreparedKey::kReady)
        AddRow(prepared_row.key, prepared_row.key_hash, row);
      return;
    case PreparedKey::kFromFields:
      AddKeyFromFields(target, row);
      return;
  }
}

void TargetKeyIndex::AddKeyFromFields(const RowCursor& target, std::uint32_t row) {
  for (std::size_t c = 0; c < components_.size(); ++c) {
    const FieldView value = target.Field(components_[c].target_field);
    if (value.type == ValueType::kNull)
      return;  // a NULL key matches nothing
    if (!WriteCommonKey(value, key_parts_[c]))
      key_parts_[c] = *FieldMatchKey(ToValue(value));
    components_[c].classes |= MatchClassOfField(value);
    parts_[c] = &key_parts_[c];
  }
  const std::string key = parts_.size() == 1 ? *parts_[0] : CompositeKey(parts_);
  AddRow(key, key_hash_(key), row);
}

std::string_view TargetKeyIndex::TargetText(std::size_t row, int field) const {
  std::size_t at = row_starts_[row];
  for (int k = 0;; ++k) {
    const std::size_t size = ReadPackedLength(packed_, at);
    if (k == field)
      return std::string_view(packed_).substr(at, size);
    at += size;
  }
}

std::vector<std::string> TargetKeyIndex::TargetTexts(std::size_t row) const {
  return UnpackTexts(TargetPacked(row));
}

std::string_view TargetKeyIndex::TargetPacked(std::size_t row) const {
  const std::size_t start = row_starts_[row];
  const std::size_t end = row + 1 < row_starts_.size() ? row_starts_[row + 1] : packed_.size();
  return std::string_view(packed_).substr(start, end - start);
}

std::uint64_t TargetKeyIndex::SourceFingerprint(std::span<const std::string_view> texts) {
  for (std::size_t k = 0; k < trimmed_.size(); ++k)
    trimmed_[k] = k < texts.size() ? Trim(texts[k]) : std::string_view();
  return fingerprint_(trimmed_);
}

bool TargetKeyIndex::SamePreparedData(std::size_t row, std::string_view prepared) const {
  const ComparedRow source = ComparedRow::Parse(prepared);
  if (fingerprints_[row] != source.fingerprint)
    return false;
  return SamePackedTexts(source.texts, TargetPacked(row),
                         static_cast<std::size_t>(source_field_count_));
}

bool TargetKeyIndex::SameData(std::size_t row, std::span<const std::string_view> source_texts,
                              std::uint64_t source_fingerprint) const {
  if (fingerprints_[row] != source_fingerprint)
    return false;
  std::size_t at = row_starts_[row];
  for (std::size_t k = 0; k < source_texts.size(); ++k) {
    std::string_view target;
    if (k < static_cast<std::size_t>(target_field_count_)) {
      const std::size_t size = ReadPackedLength(packed_, at);
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

TargetKeyIndex::Chain* TargetKeyIndex::FindChain(std::string_view key, std::uint64_t hash) {
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

void TargetKeyIndex::AddRow(std::string_view key, std::uint64_t hash, std::uint32_t row) {
  if ((chains_.size() + 1) * 2 > slots_.size())
    Grow();
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
  return FindMatchingRecord(source, PrepareHere(source, false));
}

TargetKeyIndex::Match TargetKeyIndex::FindMatchingRecord(const RowCursor& source,
                                                         std::string_view prepared) {
  if (!valid_)
    return {Outcome::kSearchError, 0};
  // The common case: each component a whole number against a column of numbers only, or a
  // text against a column of texts only, has exactly its own key as its one candidate.
  const ComparedRow row = ComparedRow::Parse(prepared);
  bool own_keys = row.key_state == PreparedKey::kReady;
  for (std::size_t c = 0; own_keys && c < components_.size(); ++c)
    own_keys = components_[c].classes == static_cast<std::uint8_t>(row.classes[c]);
  if (own_keys) {
    Chain* chain = FindChain(row.key, row.key_hash);
    if (chain == nullptr || chain->head == kNoRow)
      return {Outcome::kNotFound, 0};
    return Take(chain);
  }
  return FindFromFields(source);
}

TargetKeyIndex::Match TargetKeyIndex::Take(Chain* chain) {
  const std::uint32_t row = chain->head;
  chain->head = next_[row];
  matched_[row] = true;
  ++matched_count_;
  return {Outcome::kFound, row};
}

TargetKeyIndex::Match TargetKeyIndex::FindFromFields(const RowCursor& source) {
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
  return Take(best);
}

}  // namespace korvane

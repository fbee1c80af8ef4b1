#include "datacomp/target_key_index.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <functional>

#include "base/text.h"
#include "base/unicode_case.h"
#include "datacomp/criterion_key.h"
#include "datacomp/data_compare_options.h"
#include "datacomp/field_equality.h"
#include "db/row_form.h"

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
                               const std::array<std::string, 3>& target_keys, KeyHash key_hash)
    : key_hash_(key_hash),
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
}

ComparedRowLayout TargetKeyIndex::Layout(bool target) const {
  ComparedRowLayout layout;
  layout.key_hash = key_hash_;
  // Without a valid key no search is made, so no key is prepared.
  if (valid_) {
    for (const Component& component : components_)
      layout.key_fields.push_back(target ? component.target_field : component.source_field);
  }
  return layout;
}

std::vector<bool> TargetKeyIndex::KeptFields(bool target) const {
  return std::vector<bool>(
      static_cast<std::size_t>(target ? target_field_count_ : source_field_count_), false);
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

std::uint64_t PackedBlocks::Append(std::string_view head, std::string_view tail) {
  const std::size_t row_size = head.size() + tail.size();
  // A row starts where its bytes can be read, so even an empty one needs a block.
  if (end_ + row_size > limit_ || end_ == limit_) {
    // The rest of the last block stays unused; the row starts a block of its own.
    end_ = limit_;
    const std::uint64_t blocks =
        std::max<std::uint64_t>(1, (row_size + kBlockSize - 1) / kBlockSize);
    const auto size = static_cast<std::size_t>(blocks * kBlockSize);
    memory_.push_back(std::unique_ptr<char[]>(new char[size]));
    const char* memory = memory_.back().get();
    for (std::uint64_t k = 0; k < blocks; ++k) {
      blocks_.push_back(memory + k * kBlockSize);
      ends_.push_back(memory + size);
    }
    limit_ += blocks * kBlockSize;
  }
  const std::uint64_t position = end_;
  const std::size_t block = static_cast<std::size_t>(position >> kBlockBits);
  char* const to = const_cast<char*>(blocks_[block]) + (position & (kBlockSize - 1));
  if (!head.empty())
    std::memcpy(to, head.data(), head.size());
  if (!tail.empty())
    std::memcpy(to + head.size(), tail.data(), tail.size());
  end_ += row_size;
  return position;
}

void RowStarts::PushBack(std::uint64_t position) {
  if (!wide_ && position > narrow_limit_) {
    wide_starts_.reserve(std::max(starts_.capacity(), starts_.size() + 1));
    wide_starts_.assign(starts_.begin(), starts_.end());
    starts_ = std::vector<std::uint32_t>();
    wide_ = true;
  }
  if (wide_)
    wide_starts_.push_back(position);
  else
    starts_.push_back(static_cast<std::uint32_t>(position));
}

namespace {

// A kept row: the kind of key it holds (one byte), the size of its form (ReadPackedLength), the
// key when kept, then the form. The kinds: none (a NULL key, or no valid key), one its fields
// give back (kFieldsKey: each component a whole number or a text), or one kept in the row behind
// its size (kKeptKey).
constexpr std::uint8_t kNoKey = 0;
constexpr std::uint8_t kFieldsKey = 0x40;
constexpr std::uint8_t kKeptKey = 0x80;
constexpr std::size_t kKindAt = 0;
constexpr std::size_t kRowHeaderSize = 1;

}  // namespace

void TargetKeyIndex::Reserve(std::size_t rows) {
  rows = std::min<std::size_t>(rows, std::size_t{1} << 27);
  starts_.Reserve(rows);
  matched_.reserve(rows);
  const std::size_t capacity = rows + rows / 4 + 16;
  if (capacity > slots_.size() && used_slots_ == 0)
    slots_.assign(capacity, Slot{});
}

void TargetKeyIndex::AddTargetRow(const RowCursor& target) {
  AddTargetRow(target, PrepareHere(target, true));
}

void TargetKeyIndex::AddTargetRow(const RowCursor& /*target*/, std::string_view prepared) {
  const ComparedRow prepared_row = ComparedRow::Parse(prepared);
  const auto row = static_cast<std::uint32_t>(starts_.size());
  std::uint8_t kind = kNoKey;
  std::string_view key;
  std::uint64_t hash = 0;
  if (valid_) {
    switch (prepared_row.key_state) {
      case PreparedKey::kReady:
      case PreparedKey::kNull:
        // A NULL key matches nothing; the components before it still tell their classes.
        for (std::size_t c = 0; c < prepared_row.classes.size(); ++c)
          components_[c].classes |= static_cast<std::uint8_t>(prepared_row.classes[c]);
        if (prepared_row.key_state == PreparedKey::kReady) {
          // Only whole numbers and texts are given back by the row's fields; a key with a date
          // is kept in the row.
          kind = kFieldsKey;
          for (const char match_class : prepared_row.classes) {
            if (match_class != kMatchText && match_class != kMatchNumber)
              kind = kKeptKey;
          }
          key = prepared_row.key;
          hash = prepared_row.key_hash;
        }
        break;
      case PreparedKey::kFromFields:
        if (KeyFromForm(prepared_row.form, from_fields_key_)) {
          kind = kKeptKey;
          key = from_fields_key_;
          hash = key_hash_(key);
        }
        break;
    }
  }
  row_.clear();
  row_.push_back(static_cast<char>(kind));
  AppendPackedLength(row_, prepared_row.form.size());
  if (kind == kKeptKey) {
    AppendPackedLength(row_, key.size());
    row_.append(key);
  }
  starts_.PushBack(rows_.Append(row_, prepared_row.form));
  matched_.push_back(false);
  if (kind != kNoKey)
    QueueRow(hash, row);
}

void TargetKeyIndex::QueueRow(std::uint64_t hash, std::uint32_t row) {
#if defined(__GNUC__)
  __builtin_prefetch(&slots_[Home(hash)], 1);
#endif
  queued_[queued_count_++] = QueuedRow{hash, row};
  if (queued_count_ == kQueuedRows)
    AddQueuedRows();
}

void TargetKeyIndex::AddQueuedRows() {
  for (std::size_t k = 0; k < queued_count_; ++k)
    AddRow(queued_[k].hash, queued_[k].row);
  queued_count_ = 0;
}

bool TargetKeyIndex::KeyFromForm(std::string_view form, std::string& key) {
  for (std::size_t c = 0; c < components_.size(); ++c) {
    const FieldView value =
        RowFormField(form, static_cast<std::size_t>(components_[c].target_field));
    if (value.type == ValueType::kNull)
      return false;  // a NULL key matches nothing
    if (!WriteCommonKey(value, key_parts_[c]))
      key_parts_[c] = *FieldMatchKey(ToValue(value));
    components_[c].classes |= MatchClassOfField(value);
    parts_[c] = &key_parts_[c];
  }
  key = parts_.size() == 1 ? *parts_[0] : CompositeKey(parts_);
  return true;
}

std::string_view TargetKeyIndex::RowBytes(std::size_t row) const {
  return rows_.From(starts_[row]);
}

std::string_view TargetKeyIndex::TargetForm(std::size_t row) const {
  const std::string_view bytes = RowBytes(row);
  std::size_t at = kRowHeaderSize;
  const std::size_t size = ReadPackedLength(bytes, at);
  if (static_cast<std::uint8_t>(bytes[kKindAt]) == kKeptKey)
    at += ReadPackedLength(bytes, at);
  return bytes.substr(at, size);
}

std::string_view TargetKeyIndex::RowKey(std::uint32_t row, std::string& buffer) {
  const std::string_view bytes = RowBytes(row);
  std::size_t at = kRowHeaderSize;
  const std::size_t form_size = ReadPackedLength(bytes, at);
  if (static_cast<std::uint8_t>(bytes[kKindAt]) == kKeptKey) {
    const std::size_t size = ReadPackedLength(bytes, at);
    return bytes.substr(at, size);
  }
  // Built as the preparer built it, from the key fields (whole numbers and texts).
  const std::string_view form = bytes.substr(at, form_size);
  buffer.clear();
  for (std::size_t c = 0; c < components_.size(); ++c) {
    const FieldView value =
        RowFormField(form, static_cast<std::size_t>(components_[c].target_field));
    if (components_.size() == 1) {
      WriteCommonKey(value, buffer);
    } else {
      WriteCommonKey(value, key_text_);
      AppendKeyPart(buffer, key_text_);
    }
  }
  return buffer;
}

std::string TargetKeyIndex::TargetText(std::size_t row, int field) const {
  std::string text;
  if (field >= 0)
    AppendNullText(RowFormField(TargetForm(row), static_cast<std::size_t>(field)), text);
  return text;
}

std::vector<std::string> TargetKeyIndex::TargetTexts(std::size_t row) const {
  std::vector<FieldView> fields;
  ReadRowForm(TargetForm(row), fields);
  return FieldTexts(fields);
}

std::vector<std::string> TargetKeyIndex::SourceTexts(std::string_view prepared) {
  std::vector<FieldView> fields;
  ReadRowForm(ComparedRow::Parse(prepared).form, fields);
  return FieldTexts(fields);
}

bool TargetKeyIndex::SamePreparedData(std::size_t row, std::string_view prepared) const {
  const std::string_view source = ComparedRow::Parse(prepared).form;
  const std::string_view target = TargetForm(row);
  // Each field's form tells its own end, so a Target form that starts with the Source's holds
  // the Source's fields, of equal types and values, at the Source's positions (and perhaps more
  // of its own, which a pair does not compare). Most pairs are settled so.
  if (target.size() >= source.size() &&
      std::memcmp(target.data(), source.data(), source.size()) == 0)
    return true;
  std::vector<FieldView> source_fields;
  std::vector<FieldView> target_fields;
  ReadRowForm(source, source_fields);
  ReadRowForm(target, target_fields);
  return FieldTextComparer().SameRecords(source_fields, target_fields);
}

std::string TargetKeyIndex::CompositeKey(const std::vector<const std::string*>& parts) const {
  if (parts.size() == 1)
    return *parts[0];
  std::string key;
  for (const std::string* part : parts)
    AppendKeyPart(key, *part);
  return key;
}

std::uint64_t TargetKeyIndex::StandardKeyHash(std::string_view key) {
  return std::hash<std::string_view>()(key);
}

TargetKeyIndex::Slot* TargetKeyIndex::FindSlot(std::string_view key, std::uint64_t hash) {
  const std::uint32_t tag = TagOf(hash);
  const std::size_t size = slots_.size();
  for (std::size_t slot = Home(hash);; slot = slot + 1 == size ? 0 : slot + 1) {
    Slot& entry = slots_[slot];
    if (entry.ref == kEmpty)
      return nullptr;  // never used
    if ((entry.tag & ~kGroup) == tag && RowKey(KeyRow(entry), key_) == key)
      return &entry;
  }
}

void TargetKeyIndex::AddRow(std::uint64_t hash, std::uint32_t row) {
  if ((used_slots_ + 1) * 5 > slots_.size() * 4)
    Grow();
  const std::uint32_t tag = TagOf(hash);
  const std::size_t size = slots_.size();
  for (std::size_t slot = Home(hash);; slot = slot + 1 == size ? 0 : slot + 1) {
    Slot& entry = slots_[slot];
    if (entry.ref == kEmpty) {
      entry = Slot{tag, row};
      ++used_slots_;
      return;
    }
    // The row's own key is read back only for a slot of its tag.
    if ((entry.tag & ~kGroup) != tag || RowKey(KeyRow(entry), key_) != RowKey(row, row_key_))
      continue;
    // Another row of the key: a key of one row becomes a group of two.
    const auto node = static_cast<std::uint32_t>(nodes_.size());
    if ((entry.tag & kGroup) == 0) {
      nodes_.push_back(Node{entry.ref, node + 1});
      nodes_.push_back(Node{row, kNoNode});
      entry.tag |= kGroup;
      entry.ref = static_cast<std::uint32_t>(groups_.size());
      // Searches may come between rows added: the key's one row may be matched already.
      const std::uint32_t head = matched_[nodes_[node].row] ? node + 1 : node;
      groups_.push_back(Group{nodes_[node].row, head, node + 1});
      return;
    }
    Group& group = groups_[entry.ref];
    nodes_.push_back(Node{row, kNoNode});
    if (group.head == kNoNode)
      group.head = node;
    else
      nodes_[group.tail].next = node;
    group.tail = node;
    return;
  }
}

void TargetKeyIndex::Grow() {
  std::vector<Slot> slots = std::move(slots_);
  slots_.assign(slots.size() * 2, Slot{});
  const std::size_t size = slots_.size();
  for (const Slot& entry : slots) {
    if (entry.ref == kEmpty)
      continue;
    const std::uint64_t hash = key_hash_(RowKey(KeyRow(entry), key_));
    std::size_t slot = Home(hash);
    while (slots_[slot].ref != kEmpty)
      slot = slot + 1 == size ? 0 : slot + 1;
    slots_[slot] = entry;
  }
}

std::uint32_t TargetKeyIndex::FirstUnmatched(const Slot& slot) const {
  if ((slot.tag & kGroup) == 0)
    return matched_[slot.ref] ? kNoRow : slot.ref;
  const Group& group = groups_[slot.ref];
  return group.head == kNoNode ? kNoRow : nodes_[group.head].row;
}

TargetKeyIndex::Match TargetKeyIndex::Take(Slot& slot) {
  const std::uint32_t row = FirstUnmatched(slot);
  if ((slot.tag & kGroup) != 0) {
    Group& group = groups_[slot.ref];
    group.head = nodes_[group.head].next;
  }
  matched_[row] = true;
  ++matched_count_;
  return {Outcome::kFound, row};
}

void TargetKeyIndex::Prefetch(std::string_view prepared, PrefetchStep step) const {
#if defined(__GNUC__)
  if (!valid_ || prepared.empty() || used_slots_ == 0)
    return;
  const ComparedRow row = ComparedRow::Parse(prepared);
  if (row.key_state != PreparedKey::kReady)
    return;
  const Slot& slot = slots_[Home(row.key_hash)];
  if (step == kPrefetchSlot) {
    __builtin_prefetch(&slot);
    return;
  }
  // Only the slot the key's probe starts at: most keys are found there.
  if (slot.ref == kEmpty || (slot.tag & ~kGroup) != TagOf(row.key_hash))
    return;
  const std::uint32_t target_row = KeyRow(slot);
  if (step == kPrefetchStart)
    __builtin_prefetch(starts_.Address(target_row));
  else
    __builtin_prefetch(rows_.From(starts_[target_row]).data());
#else
  static_cast<void>(prepared);
  static_cast<void>(step);
#endif
}

TargetKeyIndex::Match TargetKeyIndex::FindMatchingRecord(const RowCursor& source) {
  return FindMatchingRecord(source, PrepareHere(source, false));
}

TargetKeyIndex::Match TargetKeyIndex::FindMatchingRecord(const RowCursor& /*source*/,
                                                         std::string_view prepared) {
  if (!valid_)
    return {Outcome::kSearchError, 0};
  AddQueuedRows();
  // The common case: each component a whole number against a column of numbers only, or a
  // text against a column of texts only, has exactly its own key as its one candidate.
  const ComparedRow row = ComparedRow::Parse(prepared);
  bool own_keys = row.key_state == PreparedKey::kReady;
  for (std::size_t c = 0; own_keys && c < components_.size(); ++c)
    own_keys = components_[c].classes == static_cast<std::uint8_t>(row.classes[c]);
  if (own_keys) {
    Slot* slot = FindSlot(row.key, row.key_hash);
    if (slot == nullptr || FirstUnmatched(*slot) == kNoRow)
      return {Outcome::kNotFound, 0};
    return Take(*slot);
  }
  return FindFromForm(row.form);
}

TargetKeyIndex::Match TargetKeyIndex::FindFromForm(std::string_view form) {
  for (std::size_t c = 0; c < components_.size(); ++c) {
    const FieldView value =
        RowFormField(form, static_cast<std::size_t>(components_[c].source_field));
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
  Slot* best = nullptr;
  std::uint32_t best_row = kNoRow;
  choice_.assign(components_.size(), 0);
  while (true) {
    for (std::size_t c = 0; c < components_.size(); ++c)
      parts_[c] = &candidates_[c][choice_[c]];
    Slot* slot = parts_.size() == 1 ? FindSlot(*parts_[0]) : FindSlot(CompositeKey(parts_));
    const std::uint32_t row = slot != nullptr ? FirstUnmatched(*slot) : kNoRow;
    if (row != kNoRow && (best == nullptr || row < best_row)) {
      best = slot;
      best_row = row;
    }
    std::size_t c = 0;
    while (c < components_.size() && ++choice_[c] == candidates_[c].size())
      choice_[c++] = 0;
    if (c == components_.size())
      break;
  }
  if (best == nullptr)
    return {Outcome::kNotFound, 0};
  return Take(*best);
}

std::vector<std::string> TargetKeyIndex::AllClassCandidates(std::string_view prepared) {
  const std::string_view form = ComparedRow::Parse(prepared).form;
  std::vector<std::vector<std::string>> keys(components_.size());
  for (std::size_t c = 0; c < components_.size(); ++c) {
    text_.clear();
    AppendNullText(RowFormField(form, static_cast<std::size_t>(components_[c].source_field)),
                   text_);
    keys[c] = CriterionMatchKeys(text_, kMatchAllClasses);
    if (keys[c].empty())
      return {};
  }
  std::vector<std::string> combinations;
  std::vector<const std::string*> parts(components_.size());
  std::vector<std::size_t> choice(components_.size(), 0);
  while (true) {
    for (std::size_t c = 0; c < components_.size(); ++c)
      parts[c] = &keys[c][choice[c]];
    combinations.push_back(CompositeKey(parts));
    std::size_t c = 0;
    while (c < components_.size() && ++choice[c] == keys[c].size())
      choice[c++] = 0;
    if (c == components_.size())
      break;
  }
  return combinations;
}

bool TargetKeyIndex::IndexedKey(std::size_t row, std::string_view prepared, std::string& buffer,
                                std::string_view& key, std::uint64_t& hash) {
  // A key ready in the prepared row is the one the row was indexed under (when the key can be
  // searched at all).
  const ComparedRow prepared_row = ComparedRow::Parse(prepared);
  if (valid_ && prepared_row.key_state == PreparedKey::kReady) {
    key = prepared_row.key;
    hash = prepared_row.key_hash;
    return true;
  }
  if (static_cast<std::uint8_t>(RowBytes(row)[kKindAt]) == kNoKey)
    return false;
  key = RowKey(static_cast<std::uint32_t>(row), buffer);
  hash = key_hash_(key);
  return true;
}

bool TargetKeyIndex::TakeRow(std::size_t row) {
  AddQueuedRows();
  if (static_cast<std::uint8_t>(RowBytes(row)[kKindAt]) == kNoKey)
    return false;
  Slot* slot = FindSlot(RowKey(static_cast<std::uint32_t>(row), row_key_));
  if (slot == nullptr || FirstUnmatched(*slot) != row)
    return false;
  Take(*slot);
  return true;
}

}  // namespace korvane

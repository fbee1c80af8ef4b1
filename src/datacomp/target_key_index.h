// Pairing records by key: the Target's rows read once into a compact form, with a hash index of
// their key values that finds, for the current Source record, the same Target row as a forward
// Find from the Target's first record (one key) or a filtered clone (several keys) would, after
// every earlier match was deleted from the Target. Matched rows are flagged instead of deleted,
// so neither table is ever changed.
//
// Which keys take part, as the key method builds its search:
//   - the primary key always; several keys are used when the Target secondary key is set;
//   - the Source key values are the NullText of the Source fields found by exact name (a name
//     that is not a field gives field 0); the secondary's field is looked up only when the
//     Source secondary key is set, the tertiary's likewise only then, and the tertiary takes
//     part only when the Source tertiary key is set;
//   - each Source value is the criterion text for its Target key column, matched by the rule of
//     CriterionMatches (db/recordset.h): a NULL Target value matches nothing.
// A Target key name that a criterion cannot name (not a field of the Target, or not readable
// as a column name, such as "No Field") makes every search fail.
//
// Each Target row is kept in the compact form of its fields (db/row_form.h), one after another
// in blocks of memory (no Value and no vector per row). A pair whose forms are equal holds the
// same data; otherwise its fields are compared by their values, and by their texts only where
// the values do not settle it. A row's key is not kept beside it when its fields give it back
// (whole numbers and texts, the common kinds); keys of other kinds are kept in the row.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "datacomp/compared_row.h"
#include "db/backend.h"

namespace korvane {

// Rows of bytes kept one after another in blocks of 1 MiB, never moved once written (a row
// larger than a block gets blocks of its own), so that growing costs no copy of what is kept.
// A row is found by the position Append gave.
class PackedBlocks {
 public:
  std::uint64_t Append(std::string_view row) { return Append(row, {}); }
  // A row made of two parts, written one after the other.
  std::uint64_t Append(std::string_view head, std::string_view tail);
  // The bytes from `position` to the end of its block.
  std::string_view From(std::uint64_t position) const {
    const std::size_t block = static_cast<std::size_t>(position >> kBlockBits);
    const char* start = blocks_[block] + (position & (kBlockSize - 1));
    return std::string_view(start, static_cast<std::size_t>(ends_[block] - start));
  }
  std::uint64_t Size() const { return end_; }  // the positions used, gaps at block ends included

 private:
  static constexpr int kBlockBits = 20;
  static constexpr std::uint64_t kBlockSize = std::uint64_t{1} << kBlockBits;
  std::vector<std::unique_ptr<char[]>> memory_;
  std::vector<const char*> blocks_;  // by block number
  std::vector<const char*> ends_;    // where the memory of each block's allocation ends
  std::uint64_t end_ = 0;            // the next free position
  std::uint64_t limit_ = 0;          // the end of the blocks allocated
};

// The positions at which rows start, 4 bytes each while every position fits in 32 bits (that
// is, while the rows take up to 4 GiB); past that they are widened to 8 bytes.
class RowStarts {
 public:
  explicit RowStarts(std::uint64_t narrow_limit = 0xFFFFFFFFu) : narrow_limit_(narrow_limit) {}
  void Reserve(std::size_t rows) { wide_ ? wide_starts_.reserve(rows) : starts_.reserve(rows); }
  void PushBack(std::uint64_t position);
  std::uint64_t operator[](std::size_t row) const {
    return wide_ ? wide_starts_[row] : starts_[row];
  }
  std::size_t size() const { return wide_ ? wide_starts_.size() : starts_.size(); }
  bool Wide() const { return wide_; }
  const void* Address(std::size_t row) const {
    return wide_ ? static_cast<const void*>(&wide_starts_[row])
                 : static_cast<const void*>(&starts_[row]);
  }

 private:
  std::uint64_t narrow_limit_;
  bool wide_ = false;
  std::vector<std::uint32_t> starts_;
  std::vector<std::uint64_t> wide_starts_;
};

class TargetKeyIndex {
 public:
  enum class Outcome { kFound, kNotFound, kSearchError };
  struct Match {
    Outcome outcome = Outcome::kNotFound;
    std::size_t row = 0;  // the Target row (0-based, in reading order) when found
  };

  // The hash of a key's bytes. Any function pairs alike (equal hashes are always confirmed
  // against the key bytes); a poor one is only slower. Tests give a colliding one.
  using KeyHash = std::uint64_t (*)(std::string_view key);
  static std::uint64_t StandardKeyHash(std::string_view key);

  // The fields of both sides by name; the Source's field count is the number of fields a pair
  // compares.
  TargetKeyIndex(const std::vector<ColumnInfo>& source_columns,
                 const std::vector<ColumnInfo>& target_columns,
                 const std::array<std::string, 3>& source_keys,
                 const std::array<std::string, 3>& target_keys,
                 KeyHash key_hash = &StandardKeyHash);

  // Room for about this many Target rows (the counted ones), so that reading them moves no
  // row twice.
  void Reserve(std::size_t rows);
  // What the reader threads prepare of each row for the two calls below (ComparedRow): the
  // Target's, and the Source's.
  std::unique_ptr<RowPreparer> MakeTargetPreparer() const;
  std::unique_ptr<RowPreparer> MakeSourcePreparer() const;
  // Which fields of the Target's (or the Source's) rows a reader must keep beside what the
  // preparer makes (RowPreparation::kept_fields): none, as the prepared row holds every field.
  std::vector<bool> KeptFields(bool target) const;

  // Keeps the Target cursor's current row (the next row number) and indexes its key, from what
  // the Target preparer made of the row (`prepared`); the cursor's fields are not read. Every
  // Target row is added before the first search.
  void AddTargetRow(const RowCursor& target, std::string_view prepared);
  void AddTargetRow(const RowCursor& target);  // prepares the row here

  // FindMatchingRecord: the first unmatched Target row matching the Source cursor's current
  // record (`prepared` by the Source preparer; the cursor's fields are not read), flagged as
  // matched.
  Match FindMatchingRecord(const RowCursor& source, std::string_view prepared);
  Match FindMatchingRecord(const RowCursor& source);  // prepares the row here

  // Fetches into the cache what the search for a Source row (`prepared`) will read, some rows
  // before it is made, in steps: kPrefetchSlot its slot, then kPrefetchStart the start of the
  // slot's row, then kPrefetchRow the row's bytes. Each step reads what the one before fetched;
  // it changes nothing and any row, or none, may be passed.
  enum PrefetchStep { kPrefetchSlot, kPrefetchStart, kPrefetchRow };
  void Prefetch(std::string_view prepared, PrefetchStep step) const;

  // Whether a Source row, as the Source preparer made it, holds the same data as Target `row`:
  // the NullTexts of the Source's fields, field by field, trimmed, letter case counting, equal
  // to the Target's at their positions (a Target field beyond its own a blank text).
  bool SamePreparedData(std::size_t row, std::string_view prepared) const;

  std::size_t TargetRowCount() const { return starts_.size(); }
  int TargetFieldCount() const { return target_field_count_; }
  // The NullText of a Target field, and of all fields of a row.
  std::string TargetText(std::size_t row, int field) const;
  std::vector<std::string> TargetTexts(std::size_t row) const;
  // The NullTexts of the fields of a Source row as the Source preparer made it.
  static std::vector<std::string> SourceTexts(std::string_view prepared);
  // The form of a row's fields (ComparedRow's form).
  std::string_view TargetForm(std::size_t row) const;
  bool IsMatched(std::size_t row) const { return matched_[row]; }
  std::size_t MatchedCount() const { return matched_count_; }

 private:
  struct Component {
    int source_field = 0;
    std::string target_name;
    int target_field = -1;
    std::uint8_t classes = 0;  // MatchClass bits present in the Target column
  };
  // A slot of the open-addressing table, one per distinct key: 31 bits of the key's hash that
  // did not choose the slot, to pass over most other keys without reading their rows, and its
  // one row, or (kGroup set in the tag) the number of its group when the key has several rows.
  // At 8 bytes a slot and at most four in five slots used, the table costs 10 bytes a key.
  struct Slot {
    std::uint32_t tag = 0;
    std::uint32_t ref = kEmpty;
  };
  // The rows of a key of several rows, as a list of nodes in reading order; `head` is the
  // first not yet matched (kNoNode: none). The key is read from `first_row`.
  struct Group {
    std::uint32_t first_row = 0;
    std::uint32_t head = 0;
    std::uint32_t tail = 0;
  };
  struct Node {
    std::uint32_t row = 0;
    std::uint32_t next = 0;
  };
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
  static constexpr std::uint32_t kNoRow = 0xFFFFFFFFu;
  static constexpr std::uint32_t kNoNode = 0xFFFFFFFFu;
  static constexpr std::uint32_t kGroup = 0x80000000u;

  ComparedRowLayout Layout(bool target) const;
  std::string_view PrepareHere(const RowCursor& row, bool target);
  // The key of a row (the form of its fields) whose key is not of the common kinds, into `key`;
  // false when it is NULL.
  bool KeyFromForm(std::string_view form, std::string& key);
  Match FindFromForm(std::string_view form);

  // A row's bytes from its start to the end of its block; the row's kind of key and the size of
  // its form lead them.
  std::string_view RowBytes(std::size_t row) const;
  // The key a row was indexed under, built in `buffer` unless the row holds it.
  std::string_view RowKey(std::uint32_t row, std::string& buffer);
  std::uint32_t KeyRow(const Slot& slot) const {
    return (slot.tag & kGroup) != 0 ? groups_[slot.ref].first_row : slot.ref;
  }

  std::size_t Home(std::uint64_t hash) const {
    return static_cast<std::size_t>((hash >> 32) * slots_.size() >> 32);
  }
  static std::uint32_t TagOf(std::uint64_t hash) {
    return static_cast<std::uint32_t>(hash) & ~kGroup;
  }
  // The slot of a key (linear probing) of this hash; null when the key has none.
  Slot* FindSlot(std::string_view key, std::uint64_t hash);
  Slot* FindSlot(std::string_view key) { return FindSlot(key, key_hash_(key)); }
  // Rows are put in the table a few at a time, their slots fetched from memory meanwhile.
  void QueueRow(std::uint64_t hash, std::uint32_t row);
  void AddQueuedRows();
  void AddRow(std::uint64_t hash, std::uint32_t row);
  // Doubles the slot table once four in five slots are used.
  void Grow();
  // The slot's first row not yet matched (kNoRow: none), and flagging it as matched.
  std::uint32_t FirstUnmatched(const Slot& slot) const;
  Match Take(Slot& slot);
  std::string CompositeKey(const std::vector<const std::string*>& parts) const;

  KeyHash key_hash_;
  std::vector<Component> components_;
  bool valid_ = true;
  int source_field_count_ = 0;
  int target_field_count_ = 0;

  PackedBlocks rows_;
  RowStarts starts_;
  std::vector<bool> matched_;
  std::size_t matched_count_ = 0;

  std::vector<Slot> slots_ = std::vector<Slot>(16);  // at most four in five used
  std::size_t used_slots_ = 0;
  std::vector<Group> groups_;
  std::vector<Node> nodes_;
  struct QueuedRow {
    std::uint64_t hash = 0;
    std::uint32_t row = 0;
  };
  static constexpr std::size_t kQueuedRows = 16;
  std::array<QueuedRow, kQueuedRows> queued_{};
  std::size_t queued_count_ = 0;

  // Buffers reused from row to row.
  std::unique_ptr<RowPreparer> target_preparer_;  // for rows prepared here
  std::unique_ptr<RowPreparer> source_preparer_;
  std::string prepared_;
  std::string row_;
  std::string key_;
  std::string row_key_;  // of a row being added
  std::string key_text_;
  std::string from_fields_key_;
  std::string text_;
  std::vector<std::string> key_parts_;
  std::vector<const std::string*> parts_;
  std::vector<std::vector<std::string>> candidates_;
  std::vector<std::size_t> choice_;

 public:
  // Searches made while the Target is still being read (early_pairing.h): rows are then added
  // between searches.

  // Whether the key can be searched at all (FindMatchingRecord gives no kSearchError).
  bool KeyValid() const { return valid_; }
  // Every key, as the index keeps them, that a Target row must have to match a Source record
  // (`prepared` by the Source preparer) under some class of values, whichever classes the
  // Target's key columns come to hold; none when some component can match nothing.
  std::vector<std::string> AllClassCandidates(std::string_view prepared);
  // The key Target `row` (`prepared` as the Target preparer made it) was indexed under, built
  // in `buffer` unless the row holds it, and its hash; false when the row has no key (NULL).
  bool IndexedKey(std::size_t row, std::string_view prepared, std::string& buffer,
                  std::string_view& key, std::uint64_t& hash);
  // Flags Target `row` as matched, as a search that found it would; false (nothing changed)
  // unless it is the first unmatched row of its key.
  bool TakeRow(std::size_t row);
};

// The column a criterion "name = '...'" names, read as Find and Filter read it; nothing when
// the name cannot be read so (empty, holding a blank or "=", an unclosed bracket).
std::optional<std::string> CriterionColumnName(std::string_view name);

}  // namespace korvane

// Pairing records by key: the Target's rows read once into a packed form, with a hash index of
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
// Each Target row is kept as the NullText of its fields, one after another in one buffer (no
// Value and no vector per row), with a 64-bit fingerprint of the texts a pair compares (the
// first as many fields as the Source has, trimmed of blanks, a missing one as empty). A pair
// whose fingerprints differ differs; equal fingerprints are confirmed against the texts.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "datacomp/compared_row.h"
#include "db/backend.h"

namespace korvane {

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
  // The fingerprint of a row's compared texts (each trimmed). Likewise any function gives the
  // same verdicts, as equal fingerprints are confirmed.
  using RowFingerprint = std::uint64_t (*)(std::span<const std::string_view> texts);
  static std::uint64_t StandardRowFingerprint(std::span<const std::string_view> texts);

  // The fields of both sides by name; the Source's field count is the number of fields a pair
  // compares.
  TargetKeyIndex(const std::vector<ColumnInfo>& source_columns,
                 const std::vector<ColumnInfo>& target_columns,
                 const std::array<std::string, 3>& source_keys,
                 const std::array<std::string, 3>& target_keys, KeyHash key_hash = &StandardKeyHash,
                 RowFingerprint fingerprint = &StandardRowFingerprint);

  // Room for about this many Target rows (the counted ones), so that reading them moves no
  // row twice.
  void Reserve(std::size_t rows);
  // What the reader threads prepare of each row for the two calls below (ComparedRow): the
  // Target's, and the Source's.
  std::unique_ptr<RowPreparer> MakeTargetPreparer() const;
  std::unique_ptr<RowPreparer> MakeSourcePreparer() const;
  // Which fields of the Target's (or the Source's) rows the key is read from.
  std::vector<bool> KeyFields(bool target) const;

  // Keeps the Target cursor's current row (the next row number) and indexes its key, from what
  // the Target preparer made of the row (`prepared`) and, for keys of unusual kinds, from the
  // fields. Every Target row is added before the first search.
  void AddTargetRow(const RowCursor& target, std::string_view prepared);
  void AddTargetRow(const RowCursor& target);  // prepares the row here

  // FindMatchingRecord: the first unmatched Target row matching the Source cursor's current
  // record (`prepared` by the Source preparer), flagged as matched.
  Match FindMatchingRecord(const RowCursor& source, std::string_view prepared);
  Match FindMatchingRecord(const RowCursor& source);  // prepares the row here

  // SameData for a Source row as the Source preparer made it.
  bool SamePreparedData(std::size_t row, std::string_view prepared) const;

  // The fingerprint of a Source row whose compared fields have these texts (untrimmed).
  std::uint64_t SourceFingerprint(std::span<const std::string_view> texts);
  // Whether a Source row of these texts and fingerprint holds the same data as Target `row`:
  // field by field, trimmed, letter case counting, a Target field beyond its own a blank text.
  bool SameData(std::size_t row, std::span<const std::string_view> source_texts,
                std::uint64_t source_fingerprint) const;

  std::size_t TargetRowCount() const { return row_starts_.size(); }
  int TargetFieldCount() const { return target_field_count_; }
  // The NullText of a Target field, and of all fields of a row.
  std::string_view TargetText(std::size_t row, int field) const;
  std::vector<std::string> TargetTexts(std::size_t row) const;
  // The texts of a row packed (ComparedRow's form).
  std::string_view TargetPacked(std::size_t row) const;
  bool IsMatched(std::size_t row) const { return matched_[row]; }
  std::size_t MatchedCount() const { return matched_count_; }

 private:
  struct Component {
    int source_field = 0;
    std::string target_name;
    int target_field = -1;
    std::uint8_t classes = 0;  // MatchClass bits present in the Target column
  };
  // One distinct key: its bytes (kept in the chain when short, else in keys_ at the offset the
  // chain holds) and its rows not yet matched, in order. Chains are numbered in the order their
  // keys first appear, so a Source read in the Target's order visits them front to back.
  // 12 bytes keep a chain at 24 bytes and hold any whole-number key of up to 11 digits.
  static constexpr std::size_t kInlineKeySize = 12;
  struct Chain {
    std::uint32_t head = kNoRow;  // kNoRow: every row matched
    std::uint32_t tail = kNoRow;
    std::uint32_t key_size = 0;
    char key[kInlineKeySize] = {};
  };
  static_assert(kInlineKeySize >= sizeof(std::size_t), "a long key's offset fits in the chain");
  // A slot of the open-addressing table: the upper half of its key's hash, to pass over most
  // other keys without reading their chain, and its chain's number (kNoChain: never used). At 8
  // bytes a slot, the table of a million keys stays within a processor's last-level cache.
  struct Slot {
    std::uint32_t tag = 0;
    std::uint32_t chain = kNoChain;
  };
  static constexpr std::uint32_t kNoRow = 0xFFFFFFFFu;
  static constexpr std::uint32_t kNoChain = 0xFFFFFFFFu;

  ComparedRowLayout Layout(bool target) const;
  std::string_view PrepareHere(const RowCursor& row, bool target);
  // The paths for keys whose values are not all whole numbers or texts.
  void AddKeyFromFields(const RowCursor& target, std::uint32_t row);
  Match FindFromFields(const RowCursor& source);
  // Flags the chain's first row as matched.
  Match Take(Chain* chain);

  std::string_view KeyOf(const Chain& chain) const;
  // The chain of a key (linear probing) of this hash; null when the key has none.
  Chain* FindChain(std::string_view key, std::uint64_t hash);
  Chain* FindChain(std::string_view key) { return FindChain(key, key_hash_(key)); }
  void AddRow(std::string_view key, std::uint64_t hash, std::uint32_t row);
  // Doubles the slot table once it is half full.
  void Grow();
  std::string CompositeKey(const std::vector<const std::string*>& parts) const;

  KeyHash key_hash_;
  RowFingerprint fingerprint_;
  std::vector<Component> components_;
  bool valid_ = true;
  int source_field_count_ = 0;
  int target_field_count_ = 0;
  std::size_t expected_rows_ = 0;  // as Reserve was told

  // The packed rows: per field a length (7 bits a byte, low first) and the text's bytes.
  std::string packed_;
  std::vector<std::uint64_t> row_starts_;
  std::vector<std::uint64_t> fingerprints_;
  std::vector<bool> matched_;
  std::size_t matched_count_ = 0;

  std::vector<Slot> slots_ = std::vector<Slot>(16);  // a power of two, at most half full
  std::vector<Chain> chains_;
  std::string keys_;
  std::vector<std::uint32_t> next_;  // the next row of the same key, kNoRow at the end

  // Buffers reused from row to row.
  std::unique_ptr<RowPreparer> target_preparer_;  // for rows prepared here
  std::unique_ptr<RowPreparer> source_preparer_;
  std::string prepared_;
  std::string text_;
  std::vector<std::string_view> trimmed_;
  std::vector<std::string> key_parts_;
  std::vector<const std::string*> parts_;
  std::vector<std::vector<std::string>> candidates_;
  std::vector<std::size_t> choice_;
};

// The column a criterion "name = '...'" names, read as Find and Filter read it; nothing when
// the name cannot be read so (empty, holding a blank or "=", an unclosed bracket).
std::optional<std::string> CriterionColumnName(std::string_view name);

}  // namespace korvane

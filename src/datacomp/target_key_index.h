// Pairing records by key: a hash index of the Target's key values that finds, for the current
// Source record, the same Target row as a forward Find from the Target's first record (one key)
// or a filtered clone (several keys) would, after every earlier match was deleted from the
// Target. Matched rows are flagged instead of deleted, so neither recordset is ever changed.
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
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/recordset.h"

namespace korvane {

class TargetKeyIndex {
 public:
  enum class Outcome { kFound, kNotFound, kSearchError };
  struct Match {
    Outcome outcome = Outcome::kNotFound;
    std::size_t row = 0;  // the Target row (0-based, in recordset order) when found
  };

  // The hash of a key's bytes. Any function pairs alike (equal hashes are always confirmed
  // against the key bytes); a poor one is only slower. Tests give a colliding one.
  using KeyHash = std::uint64_t (*)(std::string_view key);
  static std::uint64_t StandardKeyHash(std::string_view key);

  // `target` is read once, on the first search; both recordsets must outlive the index and keep
  // their rows. The Source positions are taken from the Source's fields now.
  TargetKeyIndex(const Recordset& source, Recordset& target,
                 const std::array<std::string, 3>& source_keys,
                 const std::array<std::string, 3>& target_keys,
                 KeyHash key_hash = &StandardKeyHash);

  // FindMatchingRecord: the first unmatched Target row matching the Source's current record,
  // flagged as matched.
  Match FindMatchingRecord(const Recordset& source);

  std::size_t TargetRowCount() const { return row_fields_.size(); }
  int TargetFieldCount() const { return target_field_count_; }
  const Value& TargetField(std::size_t row, int field) const;
  bool IsMatched(std::size_t row) const { return matched_[row]; }
  std::size_t MatchedCount() const { return matched_count_; }

  // The Target's rows, read without searching (for a Target that is never searched).
  void ReadTarget();

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
  std::string_view KeyOf(const Chain& chain) const;
  static constexpr std::uint32_t kNoRow = 0xFFFFFFFFu;
  static constexpr std::uint32_t kNoChain = 0xFFFFFFFFu;

  // The chain of a key (linear probing); null when the key has none.
  Chain* FindChain(std::string_view key);
  void AddRow(std::string_view key, std::uint32_t row);

  bool Prepare();
  void Build();
  std::string CompositeKey(const std::vector<const std::string*>& parts) const;

  Recordset& target_;
  KeyHash key_hash_;
  std::vector<Component> components_;
  bool prepared_ = false;
  bool valid_ = false;
  bool read_ = false;
  bool built_ = false;
  int target_field_count_ = 0;
  // Each row's fields: a pointer to its first field, the others follow it.
  std::vector<const Value*> row_fields_;
  std::deque<std::vector<Value>> copied_rows_;
  std::vector<bool> matched_;
  std::size_t matched_count_ = 0;
  std::vector<Slot> slots_;  // a power of two in size, at most half full
  std::vector<Chain> chains_;
  std::string keys_;
  std::vector<std::uint32_t> next_;
  std::vector<std::vector<std::string>> candidates_;
  std::vector<std::size_t> choice_;
  std::vector<const std::string*> parts_;  // the next row of the same key, kNoRow at the end
};

// The column a criterion "name = '...'" names, read as Find and Filter read it; nothing when
// the name cannot be read so (empty, holding a blank or "=", an unclosed bracket).
std::optional<std::string> CriterionColumnName(std::string_view name);

}  // namespace korvane

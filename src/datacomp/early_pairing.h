// Pairing Source rows by key while the Target is still being read, so that both reads overlap
// whatever the tables' sizes. The record comparison (compare_records.cpp) takes Source rows in
// Source order while it indexes the Target, and searches the Target rows indexed so far (the
// prefix). EarlyPairing keeps what such rows came to, to be replayed after the Target is read,
// and the rows that found no match yet (pending), to which every later Target row is offered.
//
// Why the pairing is the one a search over the whole Target gives (each Source row, in order,
// takes the first unmatched Target row, in Target order, whose key matches it):
//   - A match found in the prefix is final: later Target rows come after it. The classes of the
//     Target's key columns only grow as rows arrive, a criterion's candidate keys are per class
//     and grow with the classes, and a prefix row's class is already among them.
//   - A Source row without a match in the prefix is pending: it remembers its candidate keys
//     under every class (a key of a class no Target row has never matches). Each Target row, as
//     it arrives and before any later Source row is searched, is offered to the pending rows: the
//     earliest pending row it matches takes it. That row would have taken it over the whole
//     Target too: every earlier Target row matching it was taken before (it found none unmatched
//     when it was searched, and each one arriving since went to it or to an earlier pending row).
//   - Invariant: no unmatched Target row of the prefix matches a pending row. So a later Source
//     row searched in the prefix finds only rows no earlier pending row could take, and a row
//     given on arrival is the first unmatched one of its key.
// When the Target ends, rows still pending are Source-only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace korvane {

// How many Source rows may wait for their match at once; past these no Source row is taken
// before the Target is read.
struct EarlyPairingLimits {
  std::size_t pending_rows = std::size_t{1} << 18;
  std::size_t pending_bytes = std::size_t{64} << 20;
  // Beyond this many, the pending rows may be at most a quarter of the Source rows taken: tables
  // in different orders then soon stop taking Source rows early instead of keeping them.
  std::size_t pending_floor = 4096;
  // What the outcomes kept for the comparing stage may take (a table where every row differs
  // keeps one per row): past this, no Source row is taken before the Target is read either.
  std::size_t entry_bytes = std::size_t{64} << 20;
};

class EarlyPairing {
 public:
  using KeyHash = std::uint64_t (*)(std::string_view key);

  enum class Kind : std::uint8_t {
    kPending,      // no match yet
    kSourceOnly,   // no match in the whole Target
    kDiffering,    // paired with `target_row`, and the pair differs
    kEqual,        // a pending row paired with an equal Target row: nothing to show
    kSearchError,  // the key search could not be made
  };
  // A Source row whose outcome is not a pair of equal rows (those get no entry).
  struct Entry {
    std::int64_t source_row = 0;  // 1-based, in Source order
    std::size_t target_row = 0;   // kDiffering: the Target row paired
    Kind kind = Kind::kPending;
    // The Source row as its preparer made it, while the differences grid may still show it (and
    // while pending); empty once it cannot.
    std::string prepared;
  };

  // `keep_texts`: whether the grid shows rows at all; it shows at most `max_rows` differing
  // ones. `key_hash` is the hash of the keys the Target index uses.
  EarlyPairing(bool keep_texts, std::int64_t max_rows, KeyHash key_hash,
               EarlyPairingLimits limits = {});

  // The outcome of the next Source row (one row per call, in Source order).
  void AddEqual() { ++source_rows_; }
  void AddDiffering(std::size_t target_row, std::string_view prepared);
  void AddSearchError();
  // A row without a match so far, with the keys (as the index keeps them) that a Target row
  // must have to match it under any class of values. No key: it can never match.
  void AddPending(std::string_view prepared, std::vector<std::string> candidates);

  // The Source rows taken so far.
  std::int64_t SourceRows() const { return source_rows_; }
  std::size_t PendingRows() const { return pending_.size(); }
  // Whether another Source row may be taken: the pending rows are under the limits, and no
  // search error was met.
  bool MayTakeSourceRow() const;

  // A Target row of this key (with its hash) has arrived: the earliest pending row it matches,
  // which Resolve must settle before the next call; nothing when none matches.
  std::optional<std::size_t> Claim(std::string_view key, std::uint64_t hash);
  // The prepared Source row of a claimed entry.
  std::string_view ClaimedPrepared(std::size_t entry) const { return entries_[entry].prepared; }
  // What a claimed row came to, paired with `target_row`.
  void Resolve(std::size_t entry, std::size_t target_row, bool same);
  // The Target has ended: the rows still pending are Source-only.
  void EndTarget();

  // The Source's own end while it was read early: rows after SourceRows() are none, and the
  // cursor's errors tell whether it failed.
  void SetSourceEnded() { source_ended_ = true; }
  bool SourceEnded() const { return source_ended_; }

  // The entries, in Source order.
  const std::deque<Entry>& Entries() const { return entries_; }

 private:
  struct Pending {
    std::size_t candidates = 0;
    std::int64_t definite_before = 0;  // differing and Source-only rows before it when it came
    std::size_t bytes = 0;
  };
  // The entries waiting for one key, earliest first, from `head` on. A row paired under another
  // of its keys stays listed (so that pairing one costs the same whatever the lists' lengths)
  // until it is passed over or the lists are compacted.
  struct WaitList {
    std::vector<std::size_t> entries;
    std::size_t head = 0;
  };
  // Whether the grid may show a row that comes after `definite_before` rows known to differ:
  // its number among the differing rows is at least one more.
  bool MayShow(std::int64_t definite_before) const {
    return keep_texts_ && definite_before < max_rows_;
  }
  std::size_t FilterBit(std::uint64_t hash) const {
    return static_cast<std::size_t>(hash >> (64 - filter_bits_));
  }
  void Mark(std::uint64_t hash) {
    filter_[FilterBit(hash) / 64] |= std::uint64_t{1} << (FilterBit(hash) & 63);
  }
  bool Marked(std::uint64_t hash) const {
    return (filter_[FilterBit(hash) / 64] >> (FilterBit(hash) & 63) & 1) != 0;
  }
  void Settle(std::size_t entry, Kind kind, std::size_t target_row);
  // Drops the rows no longer pending from every list, and makes the filter anew.
  void Compact();

  // The filter has at least 32 bits a key listed, from 2^16 to 2^22 bits: few Target rows then
  // pass it in vain, and it stays small enough to be found in the cache.
  static constexpr int kMinFilterBits = 16;
  static constexpr int kMaxFilterBits = 22;

  const bool keep_texts_;
  const std::int64_t max_rows_;
  const KeyHash key_hash_;
  const EarlyPairingLimits limits_;

  std::deque<Entry> entries_;  // grown without moving what it holds
  std::int64_t source_rows_ = 0;
  std::int64_t definite_ = 0;  // entries known to differ (not pending)
  bool search_error_ = false;
  bool source_ended_ = false;

  // The pending rows by entry, and the entries waiting for each candidate key. The filter has a
  // bit set for a part of the hash of every key waited for (and of some no longer waited for,
  // until it is made anew), so that most Target rows pass without a look-up.
  std::unordered_map<std::size_t, Pending> pending_;
  std::unordered_map<std::string, WaitList> waiting_;
  std::vector<std::uint64_t> filter_;
  int filter_bits_ = kMinFilterBits;
  std::size_t listed_ = 0;  // entries in the lists, from their heads on
  std::size_t live_ = 0;    // of which still pending
  std::size_t pending_bytes_ = 0;
  std::size_t entry_bytes_ = 0;  // of every entry made, with the bytes it kept then
  std::string key_;              // the key looked up, reused
};

}  // namespace korvane

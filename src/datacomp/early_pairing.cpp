#include "datacomp/early_pairing.h"

#include <algorithm>
#include <utility>

namespace korvane {
namespace {

// What a pending row's bookkeeping costs beside its bytes, per candidate key.
constexpr std::size_t kCandidateOverhead = 96;

}  // namespace

EarlyPairing::EarlyPairing(bool keep_texts, std::int64_t max_rows, KeyHash key_hash,
                           EarlyPairingLimits limits)
    : keep_texts_(keep_texts), max_rows_(max_rows), key_hash_(key_hash), limits_(limits) {}

void EarlyPairing::AddDiffering(std::size_t target_row, std::string_view prepared) {
  ++source_rows_;
  Entry& entry = entries_.emplace_back();
  entry.source_row = source_rows_;
  entry.target_row = target_row;
  entry.kind = Kind::kDiffering;
  if (MayShow(definite_))
    entry.prepared = prepared;
  entry_bytes_ += sizeof(Entry) + entry.prepared.size();
  ++definite_;
}

void EarlyPairing::AddSearchError() {
  ++source_rows_;
  Entry& entry = entries_.emplace_back();
  entry.source_row = source_rows_;
  entry.kind = Kind::kSearchError;
  search_error_ = true;
}

void EarlyPairing::AddPending(std::string_view prepared, std::vector<std::string> candidates) {
  ++source_rows_;
  const std::size_t index = entries_.size();
  Entry& entry = entries_.emplace_back();
  entry.source_row = source_rows_;
  entry.prepared = prepared;
  entry_bytes_ += sizeof(Entry) + entry.prepared.size();
  Pending pending;
  pending.definite_before = definite_;
  pending.bytes = prepared.size();
  // A key is listed once, even when two classes give it.
  std::sort(candidates.begin(), candidates.end());
  candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
  if (filter_.empty() && !candidates.empty())
    filter_.assign((std::size_t{1} << filter_bits_) / 64, 0);
  for (const std::string& key : candidates) {
    pending.bytes += key.size() + kCandidateOverhead;
    waiting_[key].entries.push_back(index);
    Mark(key_hash_(key));
  }
  pending.candidates = candidates.size();
  listed_ += candidates.size();
  live_ += candidates.size();
  if (live_ * 32 > (std::size_t{1} << filter_bits_) && filter_bits_ < kMaxFilterBits) {
    // A filter twice as large, its bits set anew (at a cost the keys listed since repay).
    ++filter_bits_;
    filter_.assign((std::size_t{1} << filter_bits_) / 64, 0);
    Compact();
  }
  pending_bytes_ += pending.bytes;
  pending_.emplace(index, std::move(pending));
}

bool EarlyPairing::MayTakeSourceRow() const {
  if (search_error_ || source_ended_)
    return false;
  const std::size_t rows = pending_.size();
  return rows < limits_.pending_rows && pending_bytes_ < limits_.pending_bytes &&
         entry_bytes_ < limits_.entry_bytes &&
         (rows < limits_.pending_floor || rows <= static_cast<std::size_t>(source_rows_ / 4));
}

std::optional<std::size_t> EarlyPairing::Claim(std::string_view key, std::uint64_t hash) {
  if (pending_.empty() || filter_.empty() || !Marked(hash))
    return std::nullopt;
  key_.assign(key);
  const auto found = waiting_.find(key_);
  if (found == waiting_.end())
    return std::nullopt;
  WaitList& list = found->second;
  std::optional<std::size_t> claimed;
  while (!claimed && list.head < list.entries.size()) {
    const std::size_t entry = list.entries[list.head++];
    --listed_;
    if (entries_[entry].kind == Kind::kPending)
      claimed = entry;
  }
  if (list.head == list.entries.size())
    waiting_.erase(found);
  return claimed;
}

void EarlyPairing::Compact() {
  for (auto list = waiting_.begin(); list != waiting_.end();) {
    std::vector<std::size_t>& entries = list->second.entries;
    entries.erase(entries.begin(),
                  entries.begin() + static_cast<std::ptrdiff_t>(list->second.head));
    list->second.head = 0;
    std::erase_if(entries,
                  [this](std::size_t entry) { return entries_[entry].kind != Kind::kPending; });
    list = entries.empty() ? waiting_.erase(list) : std::next(list);
  }
  std::fill(filter_.begin(), filter_.end(), 0);
  for (const auto& waited : waiting_)
    Mark(key_hash_(waited.first));
  listed_ = live_;
}

void EarlyPairing::Resolve(std::size_t entry, std::size_t target_row, bool same) {
  Settle(entry, same ? Kind::kEqual : Kind::kDiffering, target_row);
}

void EarlyPairing::Settle(std::size_t entry, Kind kind, std::size_t target_row) {
  const auto pending = pending_.find(entry);
  Entry& settled = entries_[entry];
  settled.kind = kind;
  settled.target_row = target_row;
  if (kind == Kind::kEqual || !MayShow(pending->second.definite_before))
    std::string().swap(settled.prepared);
  if (kind != Kind::kEqual)
    ++definite_;
  pending_bytes_ -= pending->second.bytes;
  live_ -= pending->second.candidates;
  pending_.erase(pending);
  // Rows paired stay listed under their other keys; once those are most of the lists, the
  // lists are compacted, which costs no more than the rows listed since.
  if (listed_ > 2 * live_ + 4096)
    Compact();
}

void EarlyPairing::EndTarget() {
  // No Target row comes any more: nothing is looked up again.
  waiting_.clear();
  filter_.clear();
  listed_ = 0;
  std::vector<std::size_t> left;
  left.reserve(pending_.size());
  for (const auto& [entry, pending] : pending_)
    left.push_back(entry);
  std::sort(left.begin(), left.end());
  for (const std::size_t entry : left)
    Settle(entry, Kind::kSourceOnly, 0);
}

}  // namespace korvane

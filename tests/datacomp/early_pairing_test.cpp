#include "datacomp/early_pairing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "datacomp/target_key_index.h"

namespace korvane {
namespace {

std::uint64_t OneHashForAll(std::string_view) {
  return 0x0123456789ABCDEFu;
}

using Kind = EarlyPairing::Kind;

constexpr EarlyPairing::KeyHash kStandardHash = &TargetKeyIndex::StandardKeyHash;

// The entry a Target row of `key` claims, its key hashed as the index does.
std::optional<std::size_t> ClaimKey(EarlyPairing& early, const std::string& key) {
  return early.Claim(key, kStandardHash(key));
}

struct ClaimCase {
  std::string name;
  std::vector<std::vector<std::string>> pending;  // each pending row's candidate keys
  std::vector<std::string> arrivals;              // the keys of the Target rows, in order
  std::string claims;                             // the entry each arrival went to ("-": none)
};

// Each Target row goes to the earliest waiting Source row it matches, and a row once paired
// waits under none of its keys any more.
TEST(EarlyPairingTest, EachTargetRowGoesToTheEarliestWaitingRowItMatches) {
  const std::vector<ClaimCase> cases = {
      {"earliest wins", {{"a"}, {"a"}, {"a"}}, {"a", "a", "a", "a"}, "012-"},
      {"a row paired under one key no longer waits under another",
       {{"a", "b"}, {"b"}},
       {"a", "b", "b"},
       "01-"},
      {"a later row of another key is not passed over", {{"x"}, {"y"}}, {"y", "x"}, "10"},
      {"candidates of several classes", {{"n5", "t5"}, {"t5"}}, {"t5", "n5", "t5"}, "0-1"},
      {"a key listed twice counts once", {{"a", "a"}, {"a"}}, {"a", "a"}, "01"},
      {"no candidates never match", {{}, {"a"}}, {"a", ""}, "1-"},
      {"unknown keys pass", {{"a"}}, {"b", "c", "a"}, "--0"},
      {"rows paired under another key are passed over",
       {{"b1", "ttrue"}, {"n1", "b1", "t1"}, {"n1", "b1", "t1"}},
       {"n1", "n1", "b1", "b1", "t1", "ttrue"},
       "120---"},
  };
  for (const bool colliding : {false, true}) {
    for (const ClaimCase& c : cases) {
      SCOPED_TRACE(c.name + (colliding ? ", colliding hashes" : ""));
      const EarlyPairing::KeyHash hash = colliding ? &OneHashForAll : kStandardHash;
      EarlyPairing early(true, 100, hash);
      for (std::size_t row = 0; row < c.pending.size(); ++row)
        early.AddPending("row " + std::to_string(row), c.pending[row]);
      std::string claims;
      for (std::size_t arrival = 0; arrival < c.arrivals.size(); ++arrival) {
        const std::string& key = c.arrivals[arrival];
        const std::optional<std::size_t> entry = early.Claim(key, hash(key));
        claims += entry ? std::to_string(*entry) : "-";
        if (!entry)
          continue;
        EXPECT_EQ(early.ClaimedPrepared(*entry), "row " + std::to_string(*entry));
        early.Resolve(*entry, arrival, false);
      }
      EXPECT_EQ(claims, c.claims);
      early.EndTarget();
      EXPECT_EQ(early.PendingRows(), 0u);
      // Every row is settled: paired with the arrival that claimed it, or Source-only.
      for (const EarlyPairing::Entry& entry : early.Entries()) {
        const std::size_t index = static_cast<std::size_t>(entry.source_row - 1);
        const std::size_t at = c.claims.find(std::to_string(index));
        EXPECT_EQ(entry.kind, at == std::string::npos ? Kind::kSourceOnly : Kind::kDiffering);
        if (at != std::string::npos) {
          EXPECT_EQ(entry.target_row, at);
        }
      }
    }
  }
}

// Thousands of rows paired one after another: the keys no longer waited for pass unnoticed,
// and those still waited for are found, however often the filter of keys is made anew.
TEST(EarlyPairingTest, KeysStillWaitedForAreFoundAfterManyRowsWerePaired) {
  constexpr int kRows = 5000;
  auto key = [](int row) { return "k" + std::to_string(row); };
  EarlyPairing early(false, 0, kStandardHash);
  for (int row = 0; row < kRows; ++row)
    early.AddPending("row", {key(row), "shared"});
  int claimed = 0;
  // Every second row by its own key first, then each by its own key again (only the others are
  // still waiting), then the shared key takes none: every row was paired.
  for (const int start : {0, 1}) {
    for (int row = start; row < kRows; row += 2) {
      const std::string own = key(row);
      const std::optional<std::size_t> entry = ClaimKey(early, own);
      ASSERT_TRUE(entry.has_value()) << row;
      EXPECT_EQ(*entry, static_cast<std::size_t>(row));
      early.Resolve(*entry, static_cast<std::size_t>(row), true);
      ++claimed;
    }
  }
  for (int row = 0; row < kRows; row += 97) {
    const std::string own = key(row);
    EXPECT_FALSE(ClaimKey(early, own).has_value()) << row;
  }
  EXPECT_FALSE(ClaimKey(early, "shared").has_value());
  EXPECT_EQ(claimed, kRows);
  EXPECT_EQ(early.PendingRows(), 0u);
  ASSERT_EQ(early.Entries().size(), static_cast<std::size_t>(kRows));
  EXPECT_TRUE(
      std::all_of(early.Entries().begin(), early.Entries().end(),
                  [](const EarlyPairing::Entry& entry) { return entry.kind == Kind::kEqual; }));
}

// Only the rows the grid may still show keep their texts: a row after `max_rows` rows known to
// differ never shows, whatever the rows still waiting come to.
TEST(EarlyPairingTest, SourceTextsAreKeptOnlyWhileTheGridMayShowTheRow) {
  struct Expected {
    std::int64_t source_row;
    Kind kind;
    bool kept;
  };
  for (const bool tracked : {true, false}) {
    SCOPED_TRACE(tracked ? "grid" : "no grid");
    EarlyPairing early(tracked, 2, kStandardHash);
    early.AddDiffering(4, "r1");    // 1st known to differ
    early.AddPending("r2", {"a"});  // after 1: may show
    early.AddEqual();               // row 3
    early.AddPending("r4", {"b"});  // after 1: may show
    early.AddDiffering(5, "r5");    // after 1: may show; 2nd known
    early.AddDiffering(6, "r6");    // after 2: never shows
    early.AddPending("r7", {"c"});  // after 3: never shows, kept while waiting
    EXPECT_EQ(early.SourceRows(), 7);
    std::optional<std::size_t> entry = ClaimKey(early, "a");
    ASSERT_TRUE(entry.has_value());
    early.Resolve(*entry, 9, true);
    entry = ClaimKey(early, "c");
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(early.ClaimedPrepared(*entry), "r7");
    early.Resolve(*entry, 10, false);
    early.EndTarget();
    const std::vector<Expected> expected = {
        {1, Kind::kDiffering, true}, {2, Kind::kEqual, false},     {4, Kind::kSourceOnly, true},
        {5, Kind::kDiffering, true}, {6, Kind::kDiffering, false}, {7, Kind::kDiffering, false}};
    ASSERT_EQ(early.Entries().size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
      SCOPED_TRACE(k);
      const EarlyPairing::Entry& entry = early.Entries()[k];
      EXPECT_EQ(entry.source_row, expected[k].source_row);
      EXPECT_EQ(entry.kind, expected[k].kind);
      EXPECT_EQ(!entry.prepared.empty(), tracked && expected[k].kept);
    }
  }
}

struct LimitCase {
  std::string name;
  EarlyPairingLimits limits;
  int equal_rows;    // taken first
  int pending_rows;  // then these, each waiting under a key of its own
  bool may_take;
  int differing_rows = 0;  // then these, each paired with a differing Target row
};

TEST(EarlyPairingTest, SourceRowsAreTakenOnlyWhileWaitingRowsAndKeptOutcomesStayUnderTheLimits) {
  const std::vector<LimitCase> cases = {
      {"none waiting", {1, 1000, 0}, 0, 0, true},
      {"rows reached", {2, 1 << 20, 100}, 0, 2, false},
      {"rows under", {3, 1 << 20, 100}, 0, 2, true},
      {"bytes reached", {100, 200, 100}, 0, 2, false},
      {"under the floor whatever the share", {100, 1 << 20, 3}, 0, 2, true},
      {"past the floor, over a quarter of the rows taken", {100, 1 << 20, 1}, 4, 2, false},
      {"past the floor, a quarter of the rows taken", {100, 1 << 20, 1}, 6, 2, true},
      {"outcomes kept reach their bytes, none waiting",
       {100, 1 << 20, 100, 4 * sizeof(EarlyPairing::Entry)},
       0,
       0,
       false,
       4},
      {"outcomes kept under their bytes",
       {100, 1 << 20, 100, 64 * sizeof(EarlyPairing::Entry)},
       0,
       0,
       true,
       4},
      {"a waiting row's outcome counts too",
       {100, 1 << 20, 100, sizeof(EarlyPairing::Entry)},
       0,
       1,
       false},
  };
  for (const LimitCase& c : cases) {
    SCOPED_TRACE(c.name);
    EarlyPairing early(true, 100, kStandardHash, c.limits);
    for (int row = 0; row < c.equal_rows; ++row)
      early.AddEqual();
    for (int row = 0; row < c.pending_rows; ++row)
      early.AddPending("row", {"key " + std::to_string(row)});
    for (int row = 0; row < c.differing_rows; ++row)
      early.AddDiffering(static_cast<std::size_t>(row), "row");
    EXPECT_EQ(early.MayTakeSourceRow(), c.may_take);
  }
}

TEST(EarlyPairingTest, ASearchErrorOrTheSourcesEndStopsTakingRows) {
  EarlyPairing failed(true, 100, kStandardHash);
  failed.AddEqual();
  failed.AddSearchError();
  EXPECT_FALSE(failed.MayTakeSourceRow());
  ASSERT_EQ(failed.Entries().size(), 1u);
  EXPECT_EQ(failed.Entries()[0].source_row, 2);
  EXPECT_EQ(failed.Entries()[0].kind, Kind::kSearchError);

  EarlyPairing ended(true, 100, kStandardHash);
  ended.AddEqual();
  EXPECT_TRUE(ended.MayTakeSourceRow());
  ended.SetSourceEnded();
  EXPECT_FALSE(ended.MayTakeSourceRow());
  EXPECT_TRUE(ended.SourceEnded());
  EXPECT_EQ(ended.SourceRows(), 1);
}

}  // namespace
}  // namespace korvane

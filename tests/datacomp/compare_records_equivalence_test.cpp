// The engine against the slow reference (compare_records_reference.h) over many generated
// pairs of tables: duplicate keys, NULL keys, "Null" texts, trailing blanks, letter case (also
// beyond ASCII), quotes in keys, numbers written differently, long texts, binary values, offsets,
// unequal lengths, stale record counts (tables that grew or shrank after counting), missing key
// columns, Target columns under other names, a small differences grid, key hashes that collide,
// many rows of one key, dates whose texts read back otherwise, values of different kinds with one
// text (record by record and by key, Targets with fewer or more fields), and Stop pressed at
// every point where the run lets events through.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>

#include "base/text.h"
#include "datacomp/compare_records_reference.h"
#include "datacomp/record_compare_fixture.h"

namespace korvane::testing {
namespace {

class Generator {
 public:
  explicit Generator(std::uint32_t seed) : random_(seed) {}

  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool Chance(int percent) { return Between(1, 100) <= percent; }
  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<std::size_t>(Between(0, static_cast<int>(items.size()) - 1))];
  }

  // Values of different kinds with one text, or nearly, group by group: what record by record
  // must settle by the texts when the values alone cannot.
  static const std::vector<std::vector<Value>>& OneTextGroups() {
    static const std::vector<std::vector<Value>> groups = {
        {Value::Integer(5), Value::Text("5"), Value::Text("5 "), Value::Decimal("5"),
         Value::Float(5.0), Value::Text(" 5"), Value::Decimal("5.0")},
        {Value::Float(1.5), Value::Decimal("1.5"), Value::Text("1.5 "), Value::Text("1.50")},
        {Value::Float(0.0), Value::Integer(0), Value::Text("0"), Value::Float(-0.0),
         Value::Text("-0")},
        {Value::Null(), Value::Text("Null"), Value::Text("Null "), Value::Text("null")},
        {Value::Boolean(true), Value::Text("True"), Value::Integer(1), Value::Text("true")},
        {Value::DateTime({2024, 3, 1, 12, 0, 0, 0, true, true}), Value::Text("2024-03-01 12:00:00"),
         Value::DateTime({2024, 3, 1, 12, 0, 0, 500000000, true, true}),
         Value::Text("2024-03-01 12:00:00.500")},
        {Value::DateTime({2024, 3, 1, 12, 0, 0, 0, true, false}),
         Value::DateTime({2024, 3, 1, 13, 0, 0, 0, true, false}), Value::Text("2024-03-01")},
        {Value::Binary({0x0A}), Value::Text("0x0A"), Value::Binary({0x0A, 0x00}), Value::Binary({}),
         Value::Text("0x")},
        {Value::Text(std::string(300, 'w')), Value::Text(std::string(300, 'w') + "  "),
         Value::Text(std::string(300, 'w') + "x")},
    };
    return groups;
  }
  Value FromGroup(int group) { return Pick(OneTextGroups()[static_cast<std::size_t>(group)]); }

  // A value of a column of the given kind; small pools, so keys repeat and pairs often agree.
  Value MakeValue(int kind) {
    if (Chance(8))
      return Value::Null();
    switch (kind) {
      case 0:
        return Value::Integer(Between(0, 5));
      case 1:
        return Value::Text(Pick<std::string>({"a", "A", "a ", " a", "b", "Null", "null ", "O'Brien",
                                              "o'brien  ", "'", "", "1", "1.0", "x''y", "True"}));
      case 2:
        return Value::Boolean(Chance(50));
      case 3:
        return Value::Float(Pick<double>({0.0, -0.0, 1.0, 1.5, -2.0, 0.1}));
      case 4:
        return Value::Decimal(Pick<std::string>({"1.00", "2.50", "0.00", "-2.00"}));
      case 5: {
        // Mostly whole seconds; sometimes a fraction (milliseconds, or nanoseconds a date's
        // text does not keep), a date or a time alone, a year beyond four digits, or a text
        // that reads as one of the dates.
        DateTimeValue moment{2024, 3, Between(1, 2), Between(0, 1) * 12, 0, 0, 0, true, true};
        if (Chance(30)) {
          moment.nanosecond = Pick<int>({500000000, 123000000, 1, 999999999, 100000000});
          moment.has_date = !Chance(20);
          moment.has_time = !moment.has_date || !Chance(20);
          if (Chance(10))
            moment.year = Pick<int>({12345, 0, -1});
        }
        if (Chance(10))
          return Value::Text(Pick<std::string>(
              {"2024-03-01", "2024-03-01 12:00:00", "2024-03-02T00:00:00.000", "12:00:00"}));
        return Value::DateTime(moment);
      }
      case 6:
        // Letter case beyond ASCII: keys pair ignoring it, fields differ by it.
        return Value::Text(Pick<std::string>({"\xC3\x84pfel", "\xC3\xA4pfel", "\xCE\xA3\xCE\xB1",
                                              "\xCF\x83\xCE\xB1", "\xCF\x82\xCE\xB1 ",
                                              "stra\xC3\x9F"
                                              "e",
                                              "STRASSE"}));
      case 7: {
        // Long texts differing only at their end or by a trailing blank.
        std::string text(static_cast<std::size_t>(Pick<int>({127, 128, 300, 5000})), 'w');
        text += Pick<std::string>({"", "x", "X", " "});
        return Value::Text(std::move(text));
      }
      case 8:
        return Value::Binary(Pick<std::vector<std::uint8_t>>({{}, {0x00}, {0x0A, 0xFF}, {0x20}}));
      case 10:
        return FromGroup(Between(0, static_cast<int>(OneTextGroups().size()) - 1));
      default:
        return MakeValue(Between(0, 8));  // a column of mixed kinds
    }
  }

 private:
  std::mt19937 random_;
};

// Key hashes that collide: every key on one slot with one tag, or on its own slot with one tag.
std::uint64_t OneKeyHashForAll(std::string_view) {
  return 0x0123456789ABCDEFu;
}
std::uint64_t OneKeyTagForAll(std::string_view key) {
  return (TargetKeyIndex::StandardKeyHash(key) & 0xFFFFFFFF00000000u) | 0x5A5Au;
}

struct Case {
  CompareRecordsInput input;
  ResultSet source;
  ResultSet target;
  bool target_takes_source_columns = true;
  std::uint32_t max_rows = 5000;
  int stop_at_pump = 0;
  bool read_ahead = false;  // the engine's cursors read ahead on threads of their own
  std::map<int, std::size_t> read_failures;  // a side's read fails after so many rows
};

// A row of `width` fields, each of its column's kind (the last kind for the columns beyond).
std::vector<Value> MakeRow(Generator& g, const std::vector<int>& kinds, std::size_t width) {
  std::vector<Value> row;
  for (std::size_t k = 0; k < width; ++k)
    row.push_back(g.MakeValue(kinds[std::min(k, kinds.size() - 1)]));
  return row;
}

Case MakeCase(Generator& g) {
  Case c;
  const std::vector<std::string> source_names = {"K", "K2", "A", "B"};
  const int columns = g.Between(1, 4);
  std::vector<std::string> names(source_names.begin(), source_names.begin() + columns);
  std::vector<int> kinds;
  for (int k = 0; k < columns; ++k)
    kinds.push_back(g.Between(0, 9));
  std::vector<std::string> target_names = names;
  if (g.Chance(15))
    target_names.push_back("Extra");
  if (g.Chance(10) && target_names.size() > 1)
    target_names.pop_back();
  if (g.Chance(10))
    target_names[0] = "k";  // another spelling: the Source's column list no longer fits
  c.target_takes_source_columns = target_names.size() >= names.size() &&
                                  std::equal(names.begin(), names.end(), target_names.begin());
  c.source = MakeTable(names, {});
  c.target = MakeTable(target_names, {});
  const int source_rows = g.Between(0, 12);
  const int target_rows = g.Between(0, 12);
  for (int r = 0; r < source_rows; ++r)
    c.source.rows.push_back(MakeRow(g, kinds, names.size()));
  for (int r = 0; r < target_rows; ++r) {
    if (g.Chance(40) && !c.source.rows.empty()) {
      // Often a Source row again, perhaps with one field changed or padded.
      std::vector<Value> row = g.Pick(c.source.rows);
      row.resize(target_names.size(), Value::Text("z"));
      if (g.Chance(40)) {
        const auto k = static_cast<std::size_t>(g.Between(0, static_cast<int>(row.size()) - 1));
        row[k] = g.MakeValue(kinds[std::min(k, kinds.size() - 1)]);
      }
      c.target.rows.push_back(row);
      continue;
    }
    c.target.rows.push_back(MakeRow(g, kinds, target_names.size()));
  }

  CompareRecordsInput& input = c.input;
  input.CompMethod = g.Chance(60) ? 1 : 0;
  input.track_differences = g.Chance(85);
  input.mark_differences = g.Chance(85);
  input.progress_interval = g.Between(1, 5);
  auto& s = input.sides[0];
  auto& t = input.sides[1];
  s.qualified_table = "[dbo].[S]";
  t.qualified_table = g.Chance(50) ? "[dbo].[T]" : "[sales].[T x]";
  s.columns = names;
  t.columns = target_names;
  if (g.Chance(10))
    s.columns.clear();  // no column list: SELECT *
  s.order_by = g.Chance(30) ? " ORDER BY [K] " : "";
  t.order_by = g.Chance(30) ? " ORDER BY [K] " : "";
  s.record_count = source_rows;
  t.record_count = target_rows;
  // Counts gone stale: a table that grew or shrank after it was counted.
  if (g.Chance(5))
    s.record_count = std::max(0, source_rows + g.Between(-3, 3));
  if (g.Chance(5))
    t.record_count = std::max(0, target_rows + g.Between(-3, 3));
  s.offset = g.Chance(25) ? g.Between(0, 5) : 0;
  t.offset = g.Chance(25) ? g.Between(0, 5) : 0;

  const std::vector<std::string> key_choices = {"K", "K2", "A", "No Field", "", "k", "Missing"};
  s.key_columns = {g.Chance(90) ? "K" : g.Pick(key_choices), "No Field", "No Field"};
  t.key_columns = {g.Chance(85) ? "K" : g.Pick(key_choices), "No Field", "No Field"};
  if (g.Chance(40)) {
    s.key_columns[1] = g.Chance(90) ? "K2" : g.Pick(key_choices);
    t.key_columns[1] = g.Chance(90) ? "K2" : g.Pick(key_choices);
    if (g.Chance(40)) {
      s.key_columns[2] = g.Chance(90) ? "A" : g.Pick(key_choices);
      t.key_columns[2] = g.Chance(90) ? "A" : g.Pick(key_choices);
    }
  }
  c.max_rows = static_cast<std::uint32_t>(g.Chance(30) ? g.Between(0, 6) : 5000);
  c.stop_at_pump = g.Chance(20) ? g.Between(1, 12) : 0;
  // Now and then dozens of rows more on each side, many of them of one key and others of keys
  // of their own, so that the key index grows and keeps long lists of rows of one key.
  if (g.Chance(6)) {
    const int extra = g.Between(20, 80);
    for (int side = 0; side < 2; ++side) {
      ResultSet& table = side == 0 ? c.source : c.target;
      for (int r = 0; r < extra; ++r) {
        std::vector<Value> row;
        for (std::size_t k = 0; k < table.columns.size(); ++k) {
          if (k == 0 && g.Chance(70)) {
            row.push_back(g.Chance(60) ? Value::Integer(3) : Value::Integer(100 + r));
            continue;
          }
          row.push_back(g.MakeValue(kinds[std::min(k, kinds.size() - 1)]));
        }
        table.rows.push_back(std::move(row));
      }
      input.sides[side].record_count += extra;
    }
  }
  if (g.Chance(15))
    input.key_hash = g.Chance(50) ? &OneKeyHashForAll : &OneKeyTagForAll;
  return c;
}

// Over columns whose values often share a text across kinds: the Target's rows are mostly the
// Source's with fields swapped for others of one text, and the Target has as many fields as the
// Source, or fewer (its missing ones count as empty texts), or more. By key, the first column
// numbers the rows of both sides alike and the Target's come in another order.
Case MakeOneTextCase(Generator& g, int method) {
  Case c = MakeCase(g);
  c.input.CompMethod = method;
  const std::size_t columns = c.source.columns.size();
  std::vector<std::string> names;
  for (const ColumnInfo& column : c.source.columns)
    names.push_back(column.name);
  const int target_columns = std::max(1, static_cast<int>(columns) + g.Between(-2, 1));
  std::vector<std::string> target_names = names;
  target_names.resize(static_cast<std::size_t>(target_columns), "Extra");
  for (std::size_t k = columns; k < target_names.size(); ++k)
    target_names[k] = "Extra" + std::to_string(k);
  const bool source_blank_tail = g.Chance(50);
  const int groups = static_cast<int>(Generator::OneTextGroups().size());
  const int source_rows = g.Chance(10) ? 0 : g.Between(1, 12);
  // Now and then a Target equal to the Source in every text, which only the texts can tell.
  const bool equal_texts = g.Chance(40);
  const int target_rows = equal_texts ? source_rows : g.Chance(10) ? 0 : g.Between(1, 12);
  c.source = MakeTable(names, {});
  c.target = MakeTable(target_names, {});
  // Each Source field comes from a group; the Target's field at its side mostly from the same.
  std::vector<std::vector<int>> source_groups;
  for (int r = 0; r < source_rows; ++r) {
    std::vector<Value> row;
    std::vector<int>& row_groups = source_groups.emplace_back();
    for (std::size_t k = 0; k < columns; ++k) {
      row_groups.push_back(g.Between(0, groups - 1));
      // The Source's fields the Target lacks are sometimes blank, equal to the missing texts.
      if (k >= target_names.size() && source_blank_tail)
        row.push_back(Value::Text(g.Chance(50) ? "" : "  "));
      else if (g.Chance(90))
        row.push_back(g.FromGroup(row_groups.back()));
      else
        row.push_back(g.MakeValue(g.Between(0, 9)));
    }
    c.source.rows.push_back(std::move(row));
  }
  for (int r = 0; r < target_rows; ++r) {
    std::vector<Value> row;
    const bool paired = r < source_rows && (equal_texts || g.Chance(85));
    for (std::size_t k = 0; k < target_names.size(); ++k) {
      if (!paired || k >= columns || (!equal_texts && g.Chance(10))) {
        row.push_back(g.MakeValue(10));
        continue;
      }
      const Value& source = c.source.rows[static_cast<std::size_t>(r)][k];
      std::vector<Value> choices = {source};
      for (const Value& other : Generator::OneTextGroups()[static_cast<std::size_t>(
               source_groups[static_cast<std::size_t>(r)][k])]) {
        if (!equal_texts || Trim(NullText(other)) == Trim(NullText(source)))
          choices.push_back(other);
      }
      row.push_back(g.Pick(choices));
    }
    c.target.rows.push_back(std::move(row));
  }
  c.input.sides[1].columns = target_names;
  c.target_takes_source_columns = target_names.size() >= names.size() && g.Chance(70);
  c.input.sides[0].record_count = source_rows;
  c.input.sides[1].record_count = target_rows;
  if (method == 1) {
    for (int side = 0; side < 2; ++side) {
      ResultSet& table = side == 0 ? c.source : c.target;
      for (std::size_t r = 0; r < table.rows.size(); ++r)
        table.rows[r][0] = Value::Integer(static_cast<std::int64_t>(r));
      c.input.sides[side].key_columns = {"K", "No Field", "No Field"};
    }
    for (std::size_t r = c.target.rows.size(); r > 1; --r)
      std::swap(c.target.rows[r - 1],
                c.target.rows[static_cast<std::size_t>(g.Between(0, static_cast<int>(r) - 1))]);
  }
  return c;
}

struct Outcome {
  CompareRecordsResult result;
  DiffGrid grid;
  std::vector<std::string> progress;
  std::string log;
  int pumps = 0;
  std::vector<bool> busy;
  std::vector<TableOpener::Call> opened;
  std::vector<std::string> reported;  // read failures shown
};

template <typename Compare>
Outcome RunCase(RecordCompareEnvironment& environment, const Case& c, Compare compare) {
  environment.Reset();
  environment.context().settings.max_rows_in_diff_table = c.max_rows;
  environment.ui().stop_at_pump = c.stop_at_pump;
  TableOpener opener;
  opener.read_ahead = c.read_ahead;
  opener.read_failures = c.read_failures;
  const auto& s = c.input.sides[0];
  const auto& t = c.input.sides[1];
  opener.results[{0, SourceRecordsQuery(s)}] = c.source;
  if (c.target_takes_source_columns)
    opener.results[{1, CandidateTargetQuery(s, t)}] = c.target;
  opener.results[{1, OwnTargetQuery(t)}] = c.target;
  RecordingProgress progress;
  Outcome outcome;
  outcome.result = compare(environment.context(), c.input, opener, progress, outcome.grid);
  outcome.progress = progress.calls;
  outcome.log = environment.Log();
  outcome.pumps = environment.ui().pumps;
  outcome.busy = environment.ui().busy_changes;
  outcome.reported = opener.reported;
  return outcome;
}

std::string Describe(const DiffGrid& grid) {
  std::string text;
  for (const std::string& cell : grid.header())
    text += cell + "|";
  text += "\n";
  for (const DiffGridRow& row : grid.rows()) {
    text += std::to_string(row.background.red) + "," + std::to_string(row.background.green) + "," +
            std::to_string(row.background.blue) + ": ";
    for (std::size_t k = 0; k < row.cells.size(); ++k)
      text += row.cells[k] + (row.text_colours[k] == kDifferentCellColour ? "(red)|" : "|");
    text += "\n";
  }
  for (const std::string& label : grid.statistics())
    text += label + ";";
  return text;
}

// Everything a run shows: its result, the grid (texts, then colours and widths), the progress
// calls, the log lines, the window-event pumps and the busy pointer.
void ExpectSameAsReference(const Outcome& engine, const Outcome& reference) {
  ASSERT_EQ(engine.result, reference.result);
  ASSERT_EQ(Describe(engine.grid), Describe(reference.grid));
  ASSERT_EQ(engine.grid, reference.grid) << "text colours or widths";
  ASSERT_EQ(engine.progress, reference.progress);
  ASSERT_EQ(engine.log, reference.log);
  ASSERT_EQ(engine.pumps, reference.pumps);
  ASSERT_EQ(engine.busy, reference.busy);
}

// The engine's outcome, once the reference's was seen to be the same; none after a fatal failure.
std::optional<Outcome> AgreedWithReference(RecordCompareEnvironment& environment, const Case& c) {
  Outcome engine = RunCase(environment, c, CompareRecords);
  ExpectSameAsReference(engine, RunCase(environment, c, ReferenceCompareRecords));
  if (::testing::Test::HasFatalFailure())
    return std::nullopt;
  return engine;
}

// Paces by key at which points Source rows are paired while the Target is read.
enum class Pace {
  kSourceFirst,   // every Source row before the first Target row
  kSourceBehind,  // a Source row once the Target is two rows further
  kSourceAhead,   // a Source row whenever the Target is at most three rows further
  kRandom,        // a Source row or a Target row by the toss of a coin
  kNever,         // the Target whole first
};

// A schedule that also counts the Source rows it let be taken while the Target was read.
std::function<bool(std::int64_t, std::int64_t)> Schedule(Pace pace, std::uint32_t seed,
                                                         std::shared_ptr<int> taken) {
  auto random = std::make_shared<std::mt19937>(seed);
  return [=](std::int64_t source_rows, std::int64_t target_rows) {
    bool take = false;
    switch (pace) {
      case Pace::kSourceFirst:
        take = true;
        break;
      case Pace::kSourceBehind:
        take = source_rows + 2 <= target_rows;
        break;
      case Pace::kSourceAhead:
        take = source_rows <= target_rows + 3;
        break;
      case Pace::kRandom:
        take = std::uniform_int_distribution<int>(0, 1)(*random) == 1;
        break;
      case Pace::kNever:
        break;
    }
    *taken += take;
    return take;
  };
}

// A Target in the Source's order, or backwards: most rows again (some changed), some left out,
// a few of its own.
void FollowSourceOrder(Generator& g, Case& c) {
  std::vector<std::vector<Value>> rows;
  const std::size_t width = c.target.columns.size();
  for (const std::vector<Value>& source : c.source.rows) {
    if (g.Chance(10))
      continue;
    std::vector<Value> row = source;
    row.resize(width, Value::Text("z"));
    if (g.Chance(20))
      row.back() = g.MakeValue(g.Between(0, 9));
    rows.push_back(std::move(row));
    if (g.Chance(10))
      rows.push_back(std::vector<Value>(width, g.MakeValue(0)));
  }
  if (g.Chance(30))
    std::reverse(rows.begin(), rows.end());
  c.target.rows = std::move(rows);
  c.input.sides[1].record_count = static_cast<std::int64_t>(c.target.rows.size());
}

TEST(CompareRecordsEquivalenceTest, EngineAgreesWithTheSlowReferenceOnGeneratedTables) {
  int completed = 0;
  int cancelled = 0;
  int failed = 0;
  int with_differences = 0;
  RecordCompareEnvironment environment;
  for (std::uint32_t seed = 1; seed <= 6000; ++seed) {
    Generator generator(seed);
    Case c = MakeCase(generator);
    c.read_ahead = seed % 2 == 0;
    SCOPED_TRACE("seed " + std::to_string(seed));
    const std::optional<Outcome> engine = AgreedWithReference(environment, c);
    if (!engine)
      return;
    completed += engine->result.status == CompareRecordsStatus::kCompleted;
    cancelled += engine->result.status == CompareRecordsStatus::kCancelled;
    failed += engine->result.status == CompareRecordsStatus::kFailed;
    with_differences += engine->result.different_records > 0;
  }
  // The generator reaches every kind of outcome, not only the easy one.
  EXPECT_GT(completed, 3000);
  EXPECT_GT(cancelled, 300);
  EXPECT_GT(failed, 75);
  EXPECT_GT(with_differences, 2250);
}

TEST(CompareRecordsEquivalenceTest, EitherMethodAgreesWithTheReferenceOnValuesOfOneText) {
  int identical = 0;
  int with_differences = 0;
  int equal_pairs_across_kinds = 0;
  RecordCompareEnvironment environment;
  for (std::uint32_t seed = 1; seed <= 3000; ++seed) {
    Generator generator(seed + 1000000);
    Case c = MakeOneTextCase(generator, seed % 4 < 2 ? 0 : 1);
    c.read_ahead = seed % 2 == 0;
    SCOPED_TRACE("seed " + std::to_string(seed) + ", method " + std::to_string(c.input.CompMethod));
    const std::optional<Outcome> engine = AgreedWithReference(environment, c);
    if (!engine)
      return;
    identical += engine->result.identical;
    with_differences += engine->result.different_records > 0;
    // Pairs the values alone would call different, that the texts make equal: by position, or
    // by the row number the key holds.
    for (const std::vector<Value>& target : c.target.rows) {
      const auto r = c.input.CompMethod == 1
                         ? static_cast<std::size_t>(target[0].AsInteger())
                         : static_cast<std::size_t>(&target - c.target.rows.data());
      if (r >= c.source.rows.size())
        continue;
      for (std::size_t k = 0; k < c.source.columns.size() && k < c.target.columns.size(); ++k) {
        const Value& s = c.source.rows[r][k];
        const Value& t = target[k];
        equal_pairs_across_kinds += s.type() != t.type() && Trim(NullText(s)) == Trim(NullText(t));
      }
    }
  }
  EXPECT_GT(identical, 500);
  EXPECT_GT(with_differences, 1500);
  EXPECT_GT(equal_pairs_across_kinds, 4000);
}

// By key, Source rows paired while the Target is still read, at every pace, with the readers'
// threads or without, give what the reference gives: tables in one order or another, duplicates,
// NULL keys, colliding hashes and fingerprints, a small grid, few rows let wait, and Stop.
TEST(CompareRecordsEquivalenceTest, PairingWhileTheTargetIsReadAgreesWithTheReference) {
  auto taken = std::make_shared<int>(0);
  int limited = 0;
  RecordCompareEnvironment environment;
  for (std::uint32_t seed = 1; seed <= 3000; ++seed) {
    Generator generator(seed + 2000000);
    Case c = MakeCase(generator);
    c.input.CompMethod = 1;
    c.read_ahead = seed % 2 == 0;
    if (generator.Chance(40))
      FollowSourceOrder(generator, c);
    const auto pace = static_cast<Pace>(seed % 5);
    c.input.early_schedule = Schedule(pace, seed, taken);
    if (generator.Chance(25)) {
      c.input.early_limits.pending_rows = static_cast<std::size_t>(generator.Between(1, 3));
      c.input.early_limits.pending_floor = static_cast<std::size_t>(generator.Between(0, 2));
      ++limited;
    }
    SCOPED_TRACE("seed " + std::to_string(seed) + ", pace " + std::to_string(seed % 5));
    if (!AgreedWithReference(environment, c))
      return;
  }
  EXPECT_GT(*taken, 6000);
  EXPECT_GT(limited, 500);
}

Case KeyCase(std::vector<std::vector<Value>> source, std::vector<std::vector<Value>> target) {
  Case c;
  c.source = MakeTable({"K", "V"}, std::move(source));
  c.target = MakeTable({"K", "V"}, std::move(target));
  c.input.CompMethod = 1;
  c.input.progress_interval = 2;
  for (int side = 0; side < 2; ++side) {
    c.input.sides[side].qualified_table = side == 0 ? "[dbo].[S]" : "[dbo].[T]";
    c.input.sides[side].columns = {"K", "V"};
    c.input.sides[side].key_columns = {"K", "No Field", "No Field"};
  }
  c.input.sides[0].record_count = static_cast<std::int64_t>(c.source.rows.size());
  c.input.sides[1].record_count = static_cast<std::int64_t>(c.target.rows.size());
  return c;
}

std::vector<std::vector<Value>> Numbered(int first, int last, const std::string& text) {
  std::vector<std::vector<Value>> rows;
  for (int n = first; n <= last; ++n)
    rows.push_back({Value::Integer(n), Value::Text(text + std::to_string(n % 3))});
  return rows;
}

// Rows of a key and a one-letter text: the keys given, the letters of `texts` in turn.
std::vector<std::vector<Value>> Keyed(std::vector<Value> keys, std::string_view texts) {
  std::vector<std::vector<Value>> rows;
  for (std::size_t r = 0; r < keys.size(); ++r)
    rows.push_back({keys[r], Value::Text(std::string(1, texts.at(r)))});
  return rows;
}

struct EarlyCase {
  std::string name;
  Case c;
};

std::vector<EarlyCase> EarlyCases() {
  std::vector<EarlyCase> cases;
  auto i = [](int n) { return Value::Integer(n); };
  auto t = [](const char* text) { return Value::Text(text); };
  // The Target's key column holds numbers, then a text '5' and NULLs: a Source row waiting since
  // the numbers must still find the text, and a number the earlier number.
  cases.push_back(
      {"a second class arrives late",
       KeyCase(
           Keyed({t("5"), i(5), t("5 "), Value::Null(), i(7), t("null"), i(5)}, "abcdefg"),
           Keyed({i(1), i(2), Value::Null(), t("5"), i(5), t("Null"), t("5"), i(5)}, "xbdabfcg"))});
  cases.push_back(
      {"duplicates on both sides", KeyCase(Keyed({i(1), i(1), i(2), i(1), i(2), i(1)}, "abcacz"),
                                           Keyed({i(2), i(1), i(1), i(1), i(3), i(2)}, "cbaaqx"))});
  Case every = KeyCase(Numbered(1, 20, "s"), Numbered(1, 20, "t"));
  every.max_rows = 3;
  cases.push_back({"every row differs, small grid", every});
  Case source_only = KeyCase(Numbered(100, 110, "s"), Numbered(1, 12, "s"));
  for (const auto& row : Numbered(1, 12, "s"))
    source_only.source.rows.push_back(row);
  source_only.input.sides[0].record_count = 23;
  source_only.input.early_limits.pending_rows = 2;
  source_only.input.early_limits.pending_floor = 0;
  cases.push_back({"the waiting rows reach their bound", source_only});
  Case reversed = KeyCase(Numbered(1, 15, "s"), Numbered(1, 15, "s"));
  std::reverse(reversed.target.rows.begin(), reversed.target.rows.end());
  reversed.max_rows = 4;
  reversed.target.rows[3][1] = t("changed");
  cases.push_back({"tables in opposite orders", reversed});
  return cases;
}

// Cases that each pin one of the rules, at every pace and with Stop at every event pump.
TEST(CompareRecordsEquivalenceTest, EarlyPairingCasesAgreeWithTheReferenceAtEveryStop) {
  auto taken = std::make_shared<int>(0);
  RecordCompareEnvironment environment;
  for (EarlyCase& early : EarlyCases()) {
    for (int pace = 0; pace <= static_cast<int>(Pace::kNever); ++pace) {
      for (const bool read_ahead : {false, true}) {
        Case& c = early.c;
        c.read_ahead = read_ahead;
        c.input.early_schedule = Schedule(static_cast<Pace>(pace), 7, taken);
        c.stop_at_pump = 0;
        const Outcome whole = RunCase(environment, c, CompareRecords);
        for (int stop = 0; stop <= whole.pumps; ++stop) {
          SCOPED_TRACE(early.name + ", pace " + std::to_string(pace) +
                       (read_ahead ? ", read ahead" : "") + ", stop at pump " +
                       std::to_string(stop));
          c.stop_at_pump = stop;
          if (!AgreedWithReference(environment, c))
            return;
        }
      }
    }
  }
  EXPECT_GT(*taken, 1000);
}

// A read that fails while Source rows are paired early ends the run as the whole Target read
// first would: a Source failure shown when the comparing stage reaches it (not at all after a
// Target failure), with the same rows, numbers and progress before it.
TEST(CompareRecordsEquivalenceTest, AReadFailureWhilePairingEarlyEndsTheRunAsBefore) {
  auto taken = std::make_shared<int>(0);
  RecordCompareEnvironment environment;
  Case base = KeyCase(Numbered(1, 9, "s"), Numbered(2, 10, "s"));
  base.source.rows[4][1] = Value::Text("changed");
  base.source.rows.push_back({Value::Integer(50), Value::Text("x")});
  base.input.sides[0].record_count = 10;
  for (const auto& [side, failures] : {std::pair{0, 10}, std::pair{1, 9}, std::pair{-1, 0}}) {
    for (std::size_t rows = 0; rows <= static_cast<std::size_t>(failures); ++rows) {
      for (int pace = 0; pace < static_cast<int>(Pace::kNever); ++pace) {
        for (const bool read_ahead : {false, true}) {
          Case c = base;
          c.read_ahead = read_ahead;
          if (side >= 0)
            c.read_failures[side] = rows;
          SCOPED_TRACE("side " + std::to_string(side) + " fails after " + std::to_string(rows) +
                       " rows, pace " + std::to_string(pace) + (read_ahead ? ", read ahead" : ""));
          // Without a schedule nor readers' threads, the Target is read whole first.
          const Outcome before = RunCase(environment, c, CompareRecords);
          c.input.early_schedule = Schedule(static_cast<Pace>(pace), 11, taken);
          const Outcome early = RunCase(environment, c, CompareRecords);
          ExpectSameAsReference(early, before);
          ASSERT_EQ(early.reported, before.reported);
          ASSERT_EQ(early.reported.size(), side >= 0 ? 1u : 0u);
        }
      }
    }
  }
  EXPECT_GT(*taken, 500);
}

// Tables large enough for the readers' own pace to pair Source rows while the Target is read
// (in one order, and in opposite orders, where few rows may wait) give what reading the Target
// whole first gives.
TEST(CompareRecordsEquivalenceTest, TheReadersOwnPaceAgreesWithReadingTheTargetFirst) {
  RecordCompareEnvironment environment;
  for (const bool reversed : {false, true}) {
    SCOPED_TRACE(reversed ? "opposite orders" : "one order");
    Case c = KeyCase(Numbered(1, 12000, "v"), Numbered(3, 12002, "v"));
    for (std::size_t row = 0; row < c.target.rows.size(); row += 37)
      c.target.rows[row][1] = Value::Text("changed");
    if (reversed)
      std::reverse(c.target.rows.begin(), c.target.rows.end());
    c.input.progress_interval = 500;
    c.max_rows = 40;
    c.read_ahead = false;
    const Outcome first = RunCase(environment, c, CompareRecords);
    c.read_ahead = true;
    ExpectSameAsReference(RunCase(environment, c, CompareRecords), first);
    EXPECT_EQ(first.result.different_records, 4 + 12000 / 37 + 1);
  }
}

// Stop pressed at each event pump in turn, on a run that passes every kind of point: Source-only
// records, refreshes between pairs and the Target-only range at the end.
TEST(CompareRecordsEquivalenceTest, StopAtEveryPointAgreesWithTheReference) {
  for (const auto& [method, read_ahead] :
       {std::pair{0, false}, std::pair{1, false}, std::pair{0, true}, std::pair{1, true}}) {
    std::vector<std::vector<Value>> source;
    std::vector<std::vector<Value>> target;
    for (int n = 1; n <= 12; ++n) {
      if (n % 4 != 0)
        source.push_back({Value::Integer(n), Value::Text(n % 3 == 0 ? "x" : "y")});
      if (n % 5 != 0)
        target.push_back({Value::Integer(n), Value::Text("y")});
    }
    for (int n = 20; n <= 22; ++n)
      target.push_back({Value::Integer(n), Value::Text("y")});
    Case c = KeyCase(std::move(source), std::move(target));
    c.read_ahead = read_ahead;
    c.input.CompMethod = method;
    RecordCompareEnvironment environment;
    const Outcome whole = RunCase(environment, c, CompareRecords);
    ASSERT_EQ(whole.result.status, CompareRecordsStatus::kCompleted);
    ASSERT_GT(whole.pumps, 8);
    for (int stop = 1; stop <= whole.pumps; ++stop) {
      SCOPED_TRACE("method " + std::to_string(method) + (read_ahead ? ", read ahead" : "") +
                   ", stop at pump " + std::to_string(stop));
      c.stop_at_pump = stop;
      const std::optional<Outcome> engine = AgreedWithReference(environment, c);
      if (!engine)
        return;
      EXPECT_EQ(engine->result.status, CompareRecordsStatus::kCancelled);
      EXPECT_FALSE(engine->result.identical);
      EXPECT_EQ(engine->pumps, stop);
    }
  }
}

}  // namespace
}  // namespace korvane::testing

// Cost of folding letter case for equality: the ASCII-only loop the key index used before
// (baseline) against the simple case folding on the same ASCII keys, and on keys with letters
// beyond ASCII; then the key index pairing 100k text keys (ASCII or not) and 100k bigint keys.
// Items processed = keys folded (or Source records paired).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/unicode_case.h"
#include "datacomp/target_key_index.h"

namespace korvane {
namespace {

constexpr int kKeys = 100000;

std::vector<std::string> Keys(bool beyond_ascii) {
  std::vector<std::string> keys;
  keys.reserve(kKeys);
  for (int i = 0; i < kKeys; ++i) {
    keys.push_back(beyond_ascii ? "Kundin Ärger-Σοφία " + std::to_string(i)
                                : "Customer Name " + std::to_string(i));
  }
  return keys;
}

// The fold the key index used before: ASCII letters only, written into a reused buffer.
void FoldAsciiOnly(std::string_view text, std::string& key) {
  key.assign(1, 't');
  key.append(TrimRight(text));
  for (std::size_t i = 1; i < key.size(); ++i) {
    if (key[i] >= 'A' && key[i] <= 'Z')
      key[i] = static_cast<char>(key[i] - 'A' + 'a');
  }
}

void FoldSimple(std::string_view text, std::string& key) {
  key.assign(1, 't');
  AppendSimpleCaseFold(TrimRight(text), key);
}

template <void (*Fold)(std::string_view, std::string&)>
void BM_Fold(benchmark::State& state) {
  const std::vector<std::string> keys = Keys(state.range(0) != 0);
  std::string key;
  for (auto _ : state) {
    for (const std::string& text : keys) {
      Fold(text, key);
      benchmark::DoNotOptimize(key.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * kKeys);
}
BENCHMARK(BM_Fold<FoldAsciiOnly>)->ArgName("beyond_ascii")->Arg(0);
BENCHMARK(BM_Fold<FoldSimple>)->ArgName("beyond_ascii")->Arg(0)->Arg(1);

ResultSet Column(std::vector<Value> values) {
  ResultSet set;
  set.columns = {{"K", ValueType::kText, "varchar"}};
  for (Value& value : values)
    set.rows.push_back({std::move(value)});
  return set;
}

// Target in a shuffled order, Source upper-cased: every Source key finds its Target row.
void BM_KeyIndex(benchmark::State& state) {
  const int kind = static_cast<int>(state.range(0));  // 0 ASCII text, 1 text beyond ASCII, 2 bigint
  std::vector<Value> source_values;
  std::vector<Value> target_values;
  if (kind == 2) {
    for (int i = 0; i < kKeys; ++i)
      target_values.push_back(Value::Integer((std::int64_t{1} << 60) + i));
  } else {
    for (const std::string& key : Keys(kind == 1))
      target_values.push_back(Value::Text(key));
  }
  std::shuffle(target_values.begin(), target_values.end(), std::mt19937(7));
  for (const Value& value : target_values) {
    source_values.push_back(
        value.type() == ValueType::kText ? Value::Text(SimpleUpperCase(value.AsText())) : value);
  }
  const ResultSet source_rows = Column(std::move(source_values));
  const ResultSet target_rows = Column(std::move(target_values));
  const std::array<std::string, 3> keys = {"K", "No Field", "No Field"};
  for (auto _ : state) {
    MaterialisedRowCursor source(source_rows);
    MaterialisedRowCursor target(target_rows);
    TargetKeyIndex index(source_rows.columns, target_rows.columns, keys, keys);
    while (target.Next())
      index.AddTargetRow(target);
    std::size_t found = 0;
    while (source.Next())
      found += index.FindMatchingRecord(source).outcome == TargetKeyIndex::Outcome::kFound;
    if (found != kKeys)
      state.SkipWithError("a key was not paired");
  }
  state.SetItemsProcessed(state.iterations() * kKeys);
}
BENCHMARK(BM_KeyIndex)->ArgName("kind")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvane

// The column-order comparison sorts in O(n log n) where the order of its exchange sort is certain
// and falls back to that sort otherwise. Randomised pairs of views, with many lines that differ
// only in letter case, must get the verdict a direct exchange sort gives.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "base/memory_text_view.h"
#include "base/text.h"
#include "base/unicode_case.h"
#include "compare/column_order_comparison.h"
#include "compare/comp_line.h"
#include "support/recording_user_interface.h"

namespace korvane {
namespace {

// The exchange sort as written down: each record against every later one, exchanged when the
// later one's upper-cased text sorts first; then the texts compared position by position.
bool ReferenceVerdict(const TextView& source, const TextView& target) {
  auto sorted = [](const TextView& view) {
    std::vector<CompLine> lines;
    bool error = false;
    TXText_ConvTextToArray(view, lines, error);
    std::vector<std::string> texts;
    for (const CompLine& line : lines)
      texts.push_back(line.text);
    for (std::size_t i = 0; i < texts.size(); ++i) {
      for (std::size_t j = i + 1; j < texts.size(); ++j) {
        if (SimpleUpperCase(texts[j]) < SimpleUpperCase(texts[i]))
          std::swap(texts[i], texts[j]);
      }
    }
    return texts;
  };
  return sorted(source) == sorted(target);
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i)
    text += (i > 0 ? "\r\n" : "") + lines[i];
  return text;
}

TEST(ColumnOrderSortTest, RandomisedViewsGetTheExchangeSortVerdict) {
  // Few, short texts from a tiny alphabet: equal keys, case-only twins and repeats are common.
  const std::vector<std::string> alphabets[] = {
      {"a", "A", "b", "B", "0", "_"}, {"a", "b", "c", "[", "]"}, {"x", "X"}};
  std::mt19937 random(20261206);
  int identical = 0;
  int differing = 0;
  for (int round = 0; round < 6000; ++round) {
    const std::vector<std::string>& alphabet = alphabets[round % 3];
    auto word = [&] {
      std::string text;
      const int length = 1 + static_cast<int>(random() % 3);
      for (int i = 0; i < length; ++i)
        text += alphabet[random() % alphabet.size()];
      return text;
    };
    const int count = static_cast<int>(random() % 9);
    std::vector<std::string> source;
    for (int i = 0; i < count; ++i)
      source.push_back(word());
    // The Target: the same lines shuffled, often with one line changed in letter case or
    // replaced.
    std::vector<std::string> target = source;
    std::shuffle(target.begin(), target.end(), random);
    if (!target.empty() && random() % 2 == 0) {
      std::string& line = target[random() % target.size()];
      if (random() % 2 == 0)
        line = ToLowerAscii(line) == line ? ToUpperAscii(line) : ToLowerAscii(line);
      else
        line = word();
    }
    MemoryTextView source_view(Joined(source));
    MemoryTextView target_view(Joined(target));
    testing::RecordingUserInterface ui;
    const bool expected = ReferenceVerdict(source_view, target_view);
    ASSERT_EQ(CompareProcs_IgnoreColumnsOrder(source_view, target_view, ui), expected)
        << "Source:\n"
        << Joined(source) << "\nTarget:\n"
        << Joined(target);
    EXPECT_TRUE(ui.messages.empty());
    (expected ? identical : differing) += 1;
  }
  // Both verdicts were exercised often.
  EXPECT_GT(identical, 1000);
  EXPECT_GT(differing, 1000);
}

TEST(ColumnOrderSortTest, CaseOnlyTwinsKeepTheExchangeSortsOrder) {
  // Sorted stably, both sides would read "0, A, a"; the exchange sort moves "0" to the front by
  // exchanging it with "A", which puts "A" behind "a" on the Source side only.
  MemoryTextView source("A\r\na\r\n0");
  MemoryTextView target("0\r\nA\r\na");
  testing::RecordingUserInterface ui;
  EXPECT_FALSE(CompareProcs_IgnoreColumnsOrder(source, target, ui));
  EXPECT_FALSE(ReferenceVerdict(source, target));
  // Letter case beyond ASCII makes twins as well.
  MemoryTextView accented_source("É\r\né\r\n0");
  MemoryTextView accented_target("0\r\nÉ\r\né");
  EXPECT_FALSE(CompareProcs_IgnoreColumnsOrder(accented_source, accented_target, ui));
  EXPECT_FALSE(ReferenceVerdict(accented_source, accented_target));
  // Without case-only twins, repeats and any order are identical.
  MemoryTextView many_source("b\r\na\r\nB1\r\na\r\n0");
  MemoryTextView many_target("a\r\n0\r\na\r\nB1\r\nb");
  EXPECT_TRUE(CompareProcs_IgnoreColumnsOrder(many_source, many_target, ui));
}

}  // namespace
}  // namespace korvane

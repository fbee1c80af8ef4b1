// Reading 1,000,000 rows of 8 columns (int key, varchar, int, float, varchar, datetime, int,
// varchar) from a cursor that does some work per row, while the caller does the same work per
// row: read directly (baseline) and through ReadAheadRowCursor, which overlaps the two sides.
// The work is what both sides of a comparison do with a row: the one text form of every field,
// hashed `work` times over (the cursor stands in for a driver converting what it fetched, the
// caller for the comparison's own). `work` 0 does neither, which leaves the decorator's
// own cost: the copies and the hand-over between threads. Wall-clock time, since the work is
// shared between two threads; items = rows.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/read_ahead_cursor.h"
#include "db/value.h"

namespace korvane {
namespace {

constexpr std::int64_t kRows = 1000000;

// One side's work on a row: the text form of every field, hashed `work` times over.
template <typename FieldAt>
std::uint64_t RowWork(int columns, FieldAt field_at, std::int64_t work, std::string& text,
                      std::uint64_t hash) {
  if (work == 0)
    return hash + static_cast<std::uint64_t>(field_at(0).integer);
  text.clear();
  for (int i = 0; i < columns; ++i) {
    AppendNullText(field_at(i), text);
    text += '\x1F';
  }
  for (std::int64_t round = 0; round < work; ++round) {
    for (const char byte : text) {
      hash ^= static_cast<unsigned char>(byte);
      hash *= 1099511628211ull;
    }
  }
  return hash;
}

class GeneratedCursor final : public RowCursor {
 public:
  GeneratedCursor(std::int64_t rows, std::int64_t work) : rows_(rows), work_(work) {
    columns_ = {
        {"ID", ValueType::kInteger, "int"},       {"Customer", ValueType::kText, "varchar"},
        {"Qty", ValueType::kInteger, "int"},      {"Price", ValueType::kFloat, "float"},
        {"Product", ValueType::kText, "varchar"}, {"Ordered", ValueType::kDateTime, "datetime"},
        {"Flag", ValueType::kInteger, "int"},     {"Note", ValueType::kText, "varchar"}};
    fields_.resize(columns_.size());
  }
  const std::vector<ColumnInfo>& Columns() const override { return columns_; }
  bool Next() override {
    if (row_ >= rows_)
      return false;
    ++row_;
    buffer_.clear();
    const std::size_t customer = Append("Customer ", row_ % 9973);
    const std::size_t product = Append("Product number ", row_ % 613);
    const std::size_t note = Append("A note about the order of row ", row_);
    fields_[0] = Integer(row_);
    fields_[1] = Text(0, customer);
    fields_[2] = Integer(row_ % 50);
    fields_[3].type = ValueType::kFloat;
    fields_[3].real = static_cast<double>(row_ % 100000) / 8.0;
    fields_[4] = Text(customer, product);
    fields_[5].type = ValueType::kDateTime;
    fields_[5].datetime = {2024,
                           1 + static_cast<int>(row_ % 12),
                           1 + static_cast<int>(row_ % 28),
                           static_cast<int>(row_ % 24),
                           5,
                           9,
                           0,
                           true,
                           true};
    fields_[6] = Integer(row_ % 2);
    fields_[7] = Text(product, note);
    checksum_ = RowWork(
        static_cast<int>(fields_.size()),
        [this](int i) { return fields_[static_cast<std::size_t>(i)]; }, work_, text_, checksum_);
    return true;
  }
  FieldView Field(int index) const override { return fields_[static_cast<std::size_t>(index)]; }
  const std::vector<ServerMessage>& Errors() const override { return errors_; }
  std::uint64_t checksum() const { return checksum_; }

 private:
  std::size_t Append(std::string_view prefix, std::int64_t number) {
    buffer_ += prefix;
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    buffer_.append(digits, end);
    return buffer_.size();
  }
  static FieldView Integer(std::int64_t value) {
    FieldView field;
    field.type = ValueType::kInteger;
    field.integer = value;
    return field;
  }
  FieldView Text(std::size_t from, std::size_t to) const {
    FieldView field;
    field.type = ValueType::kText;
    field.bytes = std::string_view(buffer_).substr(from, to - from);
    return field;
  }

  std::int64_t rows_;
  std::int64_t work_;
  std::int64_t row_ = 0;
  std::vector<ColumnInfo> columns_;
  std::vector<FieldView> fields_;
  std::string buffer_;
  std::string text_;
  std::uint64_t checksum_ = 14695981039346656037ull;
  std::vector<ServerMessage> errors_;
};

std::uint64_t Consume(RowCursor& cursor, std::int64_t work) {
  std::uint64_t hash = 14695981039346656037ull;
  std::string text;
  const int columns = static_cast<int>(cursor.Columns().size());
  while (cursor.Next())
    hash = RowWork(
        columns, [&cursor](int i) { return cursor.Field(i); }, work, text, hash);
  return hash;
}

void BM_ReadDirectly(benchmark::State& state) {
  for (auto _ : state) {
    GeneratedCursor cursor(kRows, state.range(0));
    benchmark::DoNotOptimize(Consume(cursor, state.range(0)));
    benchmark::DoNotOptimize(cursor.checksum());
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_ReadAhead(benchmark::State& state) {
  for (auto _ : state) {
    ReadAheadLimits limits;
    limits.batch_rows = static_cast<std::size_t>(state.range(1));
    limits.batch_count = static_cast<std::size_t>(state.range(2));
    ReadAheadRowCursor cursor(std::make_unique<GeneratedCursor>(kRows, state.range(0)), nullptr,
                              limits);
    benchmark::DoNotOptimize(Consume(cursor, state.range(0)));
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(BM_ReadDirectly)
    ->ArgName("work")
    ->Arg(0)
    ->Arg(1)
    ->Arg(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_ReadAhead)
    ->ArgNames({"work", "batch_rows", "batches"})
    ->ArgsProduct({{0, 1, 3}, {1000, 4000}, {3}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
}  // namespace korvane

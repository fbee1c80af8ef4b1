#include "db/read_ahead_cursor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "db/value.h"

namespace korvane {
namespace {

// Waits on a condition for at most this long; only a broken cursor ever gets near it, and then
// the test fails instead of hanging.
constexpr std::chrono::seconds kHangGuard{30};

// What a scripted cursor went through, kept by the test beyond the cursor's life.
struct CursorLog {
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t rows_given = 0;                // Next() calls that gave a row
  std::set<std::thread::id> moving_threads;  // threads that called Next() or Field()
  std::set<std::thread::id> other_threads;   // threads that called Columns() or Errors()
  std::size_t field_reads = 0;               // Field() calls, Fields() ones field by field
  int destructions = 0;
  std::thread::id destroyed_on;

  std::size_t RowsGiven() {
    std::lock_guard<std::mutex> lock(mutex);
    return rows_given;
  }
  bool WaitForRows(std::size_t rows) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, kHangGuard, [&] { return rows_given >= rows; });
  }
};

// Lets a producer pass move `index` only once the test allowed more than `index` moves.
class Gate {
 public:
  void Allow(std::size_t moves) {
    std::lock_guard<std::mutex> lock(mutex_);
    allowed_ = std::max(allowed_, moves);
    changed_.notify_all();
  }
  void Pass(std::size_t index) {
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_ = std::max(arrived_, index + 1);
    changed_.notify_all();
    changed_.wait(lock, [&] { return allowed_ > index; });
    passed_ = std::max(passed_, index + 1);
    changed_.notify_all();
  }
  // Until the producer waits at move `index` (or went beyond it).
  bool WaitArrived(std::size_t index) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, kHangGuard, [&] { return arrived_ > index; });
  }
  bool WaitPassed(std::size_t moves) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, kHangGuard, [&] { return passed_ >= moves; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t allowed_ = 0;
  std::size_t arrived_ = 0;
  std::size_t passed_ = 0;
};

struct Script {
  std::vector<ColumnInfo> columns;
  std::vector<std::vector<Value>> rows;
  std::optional<std::size_t> fail_after;  // the read fails once this many rows were given
  // Called at the start of every Next() with its 0-based number (the producer's pace).
  std::function<void(std::size_t)> before_move;
};

ServerMessage LinkFailure() {
  return {10054, 16, 1, "08S01", "Communication link failure"};
}

// A cursor over scripted rows that behaves like a streaming one: the bytes of the current row
// live in one buffer that the next move overwrites, so a reader that keeps views instead of
// copies sees other rows' bytes (or freed memory).
class ScriptedCursor final : public RowCursor {
 public:
  ScriptedCursor(std::shared_ptr<const Script> script, std::shared_ptr<CursorLog> log)
      : script_(std::move(script)), log_(std::move(log)) {}
  ~ScriptedCursor() override {
    std::lock_guard<std::mutex> lock(log_->mutex);
    ++log_->destructions;
    log_->destroyed_on = std::this_thread::get_id();
  }

  const std::vector<ColumnInfo>& Columns() const override {
    Note(log_->other_threads);
    return script_->columns;
  }
  bool Next() override {
    Note(log_->moving_threads);
    if (script_->before_move)
      script_->before_move(moves_);
    ++moves_;
    std::fill(buffer_.begin(), buffer_.end(), '#');
    views_.clear();
    const std::size_t limit =
        std::min(script_->rows.size(), script_->fail_after.value_or(SIZE_MAX));
    if (position_ >= limit) {
      if (script_->fail_after && position_ == *script_->fail_after)
        errors_ = {LinkFailure()};
      position_ = limit + 1;
      return false;
    }
    Load(script_->rows[position_++]);
    std::lock_guard<std::mutex> lock(log_->mutex);
    ++log_->rows_given;
    log_->changed.notify_all();
    return true;
  }
  FieldView Field(int index) const override {
    {
      std::lock_guard<std::mutex> lock(log_->mutex);
      log_->moving_threads.insert(std::this_thread::get_id());
      ++log_->field_reads;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= views_.size())
      return {};
    return views_[static_cast<std::size_t>(index)];
  }
  const std::vector<ServerMessage>& Errors() const override {
    Note(log_->other_threads);
    return errors_;
  }

 private:
  void Note(std::set<std::thread::id>& threads) const {
    std::lock_guard<std::mutex> lock(log_->mutex);
    threads.insert(std::this_thread::get_id());
  }
  void Load(const std::vector<Value>& row) {
    buffer_.clear();
    for (const Value& value : row)
      buffer_ += ViewOf(value).bytes;
    std::size_t offset = 0;
    for (const Value& value : row) {
      FieldView view = ViewOf(value);
      const std::size_t size = view.bytes.size();
      view.bytes = std::string_view(buffer_).substr(offset, size);
      offset += size;
      views_.push_back(view);
    }
  }

  std::shared_ptr<const Script> script_;
  std::shared_ptr<CursorLog> log_;
  std::size_t position_ = 0;
  std::size_t moves_ = 0;
  std::string buffer_;
  std::vector<FieldView> views_;
  std::vector<ServerMessage> errors_;
};

// A field as the caller saw it, copied out of the cursor for comparison.
struct FieldCopy {
  ValueType type = ValueType::kNull;
  std::int64_t integer = 0;
  std::uint64_t real_bits = 0;  // bits, so -0.0 and NaN compare exactly
  std::string bytes;
  DateTimeValue datetime;
  friend bool operator==(const FieldCopy&, const FieldCopy&) = default;
};

FieldCopy Copy(const FieldView& field) {
  FieldCopy copy;
  copy.type = field.type;
  switch (field.type) {
    case ValueType::kBoolean:
    case ValueType::kInteger:
      copy.integer = field.integer;
      break;
    case ValueType::kFloat:
      std::memcpy(&copy.real_bits, &field.real, sizeof field.real);
      break;
    case ValueType::kDateTime:
      copy.datetime = field.datetime;
      break;
    case ValueType::kNull:
      break;
    default:
      copy.bytes = std::string(field.bytes);
  }
  return copy;
}

std::string Describe(const ServerMessage& message) {
  return std::to_string(message.number) + "/" + std::to_string(message.severity) + "/" +
         message.sqlstate + "/" + message.text;
}

std::vector<std::string> Described(const std::vector<ServerMessage>& messages) {
  std::vector<std::string> texts;
  for (const ServerMessage& message : messages)
    texts.push_back(Describe(message));
  return texts;
}

// The current row's fields, read one by one.
std::vector<FieldCopy> CopyRow(const RowCursor& cursor) {
  std::vector<FieldCopy> row;
  for (int i = 0; i < static_cast<int>(cursor.Columns().size()); ++i)
    row.push_back(Copy(cursor.Field(i)));
  return row;
}

// Everything a caller can observe of a cursor read from start to end (or `limit` rows).
struct Walk {
  std::vector<std::string> columns;
  std::vector<std::vector<FieldCopy>> rows;
  std::vector<std::string> errors;
  bool errors_before_end = false;  // Errors() said something while rows still came
  bool stays_ended = true;         // Next() after the end is false again, fields are Null
  bool whole_rows_agree = true;    // Fields() gives each row as Field() does, field by field
  friend bool operator==(const Walk&, const Walk&) = default;
};

Walk Read(RowCursor& cursor, std::size_t limit = SIZE_MAX) {
  Walk walk;
  for (const ColumnInfo& column : cursor.Columns())
    walk.columns.push_back(column.name + ":" + column.type_name + ":" +
                           std::to_string(static_cast<int>(column.type)));
  const int columns = static_cast<int>(cursor.Columns().size());
  while (walk.rows.size() < limit && cursor.Next()) {
    walk.errors_before_end = walk.errors_before_end || !cursor.Errors().empty();
    const std::vector<FieldCopy>& row = walk.rows.emplace_back(CopyRow(cursor));
    std::vector<FieldView> whole(static_cast<std::size_t>(columns));
    cursor.Fields(whole);
    for (std::size_t i = 0; i < whole.size(); ++i)
      walk.whole_rows_agree = walk.whole_rows_agree && Copy(whole[i]) == row[i];
    // Out of range is Null, as for every cursor.
    walk.stays_ended = walk.stays_ended && cursor.Field(columns).type == ValueType::kNull;
  }
  if (walk.rows.size() < limit) {
    walk.errors = Described(cursor.Errors());
    walk.stays_ended = walk.stays_ended && !cursor.Next() &&
                       (columns == 0 || cursor.Field(0).type == ValueType::kNull);
  }
  return walk;
}

const std::vector<ColumnInfo>& EveryTypeColumns() {
  static const std::vector<ColumnInfo> columns = {
      {"flag", ValueType::kBoolean, "bit"},      {"id", ValueType::kInteger, "bigint"},
      {"ratio", ValueType::kFloat, "float"},     {"price", ValueType::kDecimal, "decimal"},
      {"name", ValueType::kText, "nvarchar"},    {"at", ValueType::kDateTime, "datetime"},
      {"blob", ValueType::kBinary, "varbinary"}, {"uid", ValueType::kGuid, "uniqueidentifier"},
  };
  return columns;
}

std::string RandomBytes(std::mt19937_64& random, std::size_t max_size, bool zeros) {
  std::string bytes(random() % (max_size + 1), '\0');
  for (char& byte : bytes)
    byte = static_cast<char>(zeros ? random() % 256 : 32 + random() % 95);
  if (!zeros && !bytes.empty() && random() % 4 == 0)
    bytes += "\xC3\xA4\xE2\x82\xAC";  // multi-byte UTF-8
  return bytes;
}

Value RandomValue(ValueType type, std::mt19937_64& random) {
  if (random() % 10 == 0)
    return Value::Null();
  switch (type) {
    case ValueType::kBoolean:
      return Value::Boolean(random() % 2 == 0);
    case ValueType::kInteger:
      return Value::Integer(static_cast<std::int64_t>(random()));
    case ValueType::kFloat: {
      static const double kSpecial[] = {0.0, -0.0, 1e300, 4.9e-324,
                                        std::numeric_limits<double>::quiet_NaN()};
      if (random() % 4 == 0)
        return Value::Float(kSpecial[random() % std::size(kSpecial)]);
      return Value::Float(std::uniform_real_distribution<double>(-1e9, 1e9)(random));
    }
    case ValueType::kDecimal:
      return Value::Decimal(std::to_string(static_cast<std::int32_t>(random())) + "." +
                            std::to_string(random() % 10000));
    case ValueType::kText:
      return Value::Text(RandomBytes(random, 40, false));
    case ValueType::kDateTime: {
      DateTimeValue at;
      at.year = 1753 + static_cast<int>(random() % 8000);
      at.month = 1 + static_cast<int>(random() % 12);
      at.day = 1 + static_cast<int>(random() % 28);
      at.hour = static_cast<int>(random() % 24);
      at.minute = static_cast<int>(random() % 60);
      at.second = static_cast<int>(random() % 60);
      at.nanosecond = static_cast<int>(random() % 1000000000);
      at.has_date = random() % 5 != 0;
      at.has_time = !at.has_date || random() % 5 != 0;
      return Value::DateTime(at);
    }
    case ValueType::kBinary: {
      const std::string bytes = RandomBytes(random, 32, true);
      return Value::Binary(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }
    case ValueType::kGuid: {
      char text[40];
      std::snprintf(
          text, sizeof text, "%08X-%04X-%04X-%04X-%012llX",
          static_cast<unsigned>(random() & 0xFFFFFFFF), static_cast<unsigned>(random() & 0xFFFF),
          static_cast<unsigned>(random() & 0xFFFF), static_cast<unsigned>(random() & 0xFFFF),
          static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
      return Value::Guid(text);
    }
    case ValueType::kNull:
      break;
  }
  return Value::Null();
}

std::vector<std::vector<Value>> RandomRows(std::size_t count, std::uint64_t seed) {
  std::mt19937_64 random(seed);
  std::vector<std::vector<Value>> rows(count);
  for (std::vector<Value>& row : rows)
    for (const ColumnInfo& column : EveryTypeColumns())
      row.push_back(RandomValue(column.type, random));
  return rows;
}

// Empty texts and binaries, zero bytes inside texts and binaries, and a Null in every column.
std::vector<std::vector<Value>> EdgeRows(std::size_t count, std::uint64_t seed) {
  std::vector<std::vector<Value>> rows = RandomRows(count, seed);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i][4] = Value::Text(i % 2 == 0 ? std::string() : std::string("a\0b\0", 4));
    rows[i][6] = Value::Binary(i % 2 == 0 ? std::vector<std::uint8_t>{}
                                          : std::vector<std::uint8_t>{0, 0, 7, 0});
    rows[i][i % rows[i].size()] = Value::Null();
  }
  return rows;
}

// Values at the edges of the forms a batch keeps them in: whole numbers around every byte
// boundary, texts and binaries around the size kept in the tag, and dates beyond the packed
// ranges (a year past 16 bits, a month past a byte, a negative fraction).
std::vector<std::vector<Value>> BoundaryRows(std::size_t count, std::uint64_t seed) {
  std::vector<std::int64_t> integers = {0, 1, -1, std::numeric_limits<std::int64_t>::min(),
                                        std::numeric_limits<std::int64_t>::max()};
  for (int bits = 7; bits < 63; bits += 8) {
    const std::int64_t edge = std::int64_t{1} << bits;
    integers.insert(integers.end(), {edge - 1, edge, -edge, -edge - 1});
  }
  const std::vector<DateTimeValue> dates = {
      {32767, 12, 31, 23, 59, 59, 999999999, true, true},
      {-32768, 0, 0, 0, 0, 0, 0, false, true},
      {40000, 1, 1, 0, 0, 0, 0, true, false},
      {2024, 300, 1, 0, 0, 0, 0, true, true},
      {2024, 1, 1, 0, 0, 0, -1, true, true},
      {-40000, 1, 1, 255, 255, 255, 0, false, false},
  };
  std::vector<std::vector<Value>> rows = RandomRows(count, seed);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::int64_t integer = integers[i % integers.size()];
    rows[i][0] = Value::Boolean(integer % 2 != 0);
    rows[i][1] = Value::Integer(integer);
    rows[i][3] = Value::Decimal(std::string(13 + i % 5, '7'));
    rows[i][4] = Value::Text(std::string(i % 20, 'x'));
    rows[i][5] = Value::DateTime(dates[i % dates.size()]);
    rows[i][6] = Value::Binary(std::vector<std::uint8_t>(13 + i % 5, 0xAB));
  }
  return rows;
}

// Rows with a 1 MB text and a 1 MB binary each, so one row is more than a batch may hold.
std::vector<std::vector<Value>> LongRows(std::size_t count, std::uint64_t seed) {
  std::vector<std::vector<Value>> rows = RandomRows(count, seed);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::string text(std::size_t{1} << 20, static_cast<char>('a' + i % 26));
    text.replace(0, 10, std::to_string(1000000000 + i));
    rows[i][4] = Value::Text(std::move(text));
    std::vector<std::uint8_t> bytes(std::size_t{1} << 20);
    for (std::size_t j = 0; j < bytes.size(); ++j)
      bytes[j] = static_cast<std::uint8_t>((j * 7 + i) % 256);
    rows[i][6] = Value::Binary(std::move(bytes));
  }
  return rows;
}

using RowMaker = std::vector<std::vector<Value>> (*)(std::size_t, std::uint64_t);

std::shared_ptr<Script> MakeScript(std::size_t rows, RowMaker maker = RandomRows,
                                   std::optional<std::size_t> fail_after = std::nullopt) {
  auto script = std::make_shared<Script>();
  script->columns = EveryTypeColumns();
  script->rows = maker(rows, 20261207 + rows);
  script->fail_after = fail_after;
  return script;
}

std::unique_ptr<ScriptedCursor> Inner(std::shared_ptr<const Script> script,
                                      std::shared_ptr<CursorLog> log = nullptr) {
  return std::make_unique<ScriptedCursor>(std::move(script),
                                          log ? std::move(log) : std::make_shared<CursorLog>());
}

// The most rows the reader may have taken from the inner cursor once the caller has seen
// `seen` rows: the batches given back, plus every batch that may be alive at once.
std::size_t ReadAheadBound(std::size_t seen, const ReadAheadLimits& limits, std::size_t total) {
  const std::size_t given_back = seen == 0 ? 0 : (seen - 1) / limits.batch_rows;
  return std::min(total, (given_back + limits.batch_count) * limits.batch_rows);
}

// Makes every move of the script's cursor wait for the gate.
std::shared_ptr<Gate> GateMoves(Script& script) {
  auto gate = std::make_shared<Gate>();
  script.before_move = [gate](std::size_t index) { gate->Pass(index); };
  return gate;
}

ReadAheadLimits Deferred(ReadAheadLimits limits) {
  limits.deferred_start = true;
  return limits;
}

struct SameAsInnerCase {
  std::string name;
  std::size_t rows;
  RowMaker maker;
  std::optional<std::size_t> fail_after;
  ReadAheadLimits limits;
  bool slow_producer = false;  // each move waits for another thread's word
};

// The caller sees exactly what the inner cursor gives, read directly: rows, types, bytes, dates,
// the end and the messages after the last good row. A producer slower than the caller makes the
// caller wait for rows, and still it gets every one, then the end or the failure.
TEST(ReadAheadRowCursorTest, GivesWhatTheInnerCursorGives) {
  const std::vector<SameAsInnerCase> cases = {
      {"random rows in tiny batches", 3000, RandomRows, std::nullopt, {7, 4096, 2}},
      {"random rows, default limits", 2500, RandomRows, std::nullopt, {}},
      {"batches closed by their bytes", 2000, RandomRows, std::nullopt, {1000, 512, 3}},
      {"one row per batch", 50, RandomRows, std::nullopt, {1, 1 << 20, 2}},
      {"limits below the least are raised", 40, RandomRows, std::nullopt, {0, 0, 0}},
      {"no rows", 0, RandomRows, std::nullopt, {}},
      {"empty texts, zero bytes, Nulls", 300, EdgeRows, std::nullopt, {16, 1 << 20, 3}},
      {"values at the edges of their kept forms", 400, BoundaryRows, std::nullopt, {}},
      {"texts and binaries of 1 MB", 6, LongRows, std::nullopt, {}},
      {"fails before the first row", 100, RandomRows, 0, {10, 1 << 20, 3}},
      {"fails inside a batch", 100, RandomRows, 37, {10, 1 << 20, 3}},
      {"fails on a batch boundary", 100, RandomRows, 40, {10, 1 << 20, 3}},
      {"fails after the last row", 50, RandomRows, 50, {10, 1 << 20, 3}},
      {"fails after long rows", 5, LongRows, 3, {}},
      {"slow producer, ends", 30, RandomRows, std::nullopt, {4, 1 << 20, 3}, true},
      {"slow producer fails inside a batch", 30, RandomRows, 13, {4, 1 << 20, 3}, true},
      {"slow producer, no rows", 0, RandomRows, std::nullopt, {4, 1 << 20, 3}, true},
  };
  for (const SameAsInnerCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto script = MakeScript(c.rows, c.maker, c.fail_after);
    const Walk expected = Read(*Inner(script));
    std::thread feeder;
    if (c.slow_producer) {
      auto gate = GateMoves(*script);
      const std::size_t moves = std::min(c.rows, c.fail_after.value_or(c.rows)) + 1;
      feeder = std::thread([gate, moves] {
        for (std::size_t move = 1; move <= moves; ++move) {
          gate->Allow(move);
          if (!gate->WaitPassed(move))
            return;
        }
      });
    }
    ReadAheadRowCursor cursor(Inner(script), nullptr, c.limits);
    const Walk seen = Read(cursor);
    if (feeder.joinable())
      feeder.join();
    EXPECT_EQ(seen.rows.size(), expected.rows.size());
    EXPECT_EQ(seen.errors, expected.errors);
    EXPECT_TRUE(seen.whole_rows_agree);
    EXPECT_TRUE(seen == expected);
    EXPECT_EQ(seen.errors.empty(), !c.fail_after.has_value());
  }
}

// A row's kept form is a function of its fields: rows read twice, from batches of different
// sizes, have equal forms exactly when their fields are equal; there is none before the first
// row or after the end.
TEST(ReadAheadRowCursorTest, RowFormsAreEqualExactlyForEqualRows) {
  auto script = std::make_shared<Script>();
  script->columns = EveryTypeColumns();
  for (RowMaker maker : {RandomRows, EdgeRows, BoundaryRows}) {
    const std::vector<std::vector<Value>> rows = maker(60, 7);
    // Each row twice, the second time among others, and once with one field changed.
    script->rows.insert(script->rows.end(), rows.begin(), rows.end());
    script->rows.insert(script->rows.end(), rows.rbegin(), rows.rend());
    for (std::size_t i = 0; i < rows.size(); i += 7) {
      std::vector<Value> changed = rows[i];
      changed[i % changed.size()] =
          changed[i % changed.size()].is_null() ? Value::Integer(0) : Value::Null();
      script->rows.push_back(std::move(changed));
    }
  }
  ReadAheadRowCursor cursor(Inner(script), nullptr, {13, 1 << 20, 2});
  EXPECT_TRUE(cursor.RowForm().empty());
  std::vector<std::string> forms;
  std::vector<std::vector<FieldCopy>> fields;
  while (cursor.Next()) {
    forms.emplace_back(cursor.RowForm());
    fields.push_back(CopyRow(cursor));
  }
  EXPECT_TRUE(cursor.RowForm().empty());
  ASSERT_EQ(forms.size(), script->rows.size());
  int equal_pairs = 0;
  for (std::size_t i = 0; i < forms.size(); ++i) {
    EXPECT_FALSE(forms[i].empty());
    for (std::size_t j = 0; j < forms.size(); ++j) {
      ASSERT_EQ(forms[i] == forms[j], fields[i] == fields[j]) << "rows " << i << " and " << j;
      equal_pairs += i != j && forms[i] == forms[j];
    }
  }
  EXPECT_GE(equal_pairs, 360);  // every row and its copy, both ways
}

// Only Next() and Field() (through Fields()) of the inner cursor run on the reader thread; the
// columns are there before the first row is, and the inner cursor ends on the thread that ends the
// decorator.
TEST(ReadAheadRowCursorTest, ReaderThreadOnlyMovesAndReadsTheInnerCursor) {
  auto script = MakeScript(120, RandomRows, 120);
  auto gate = GateMoves(*script);
  auto log = std::make_shared<CursorLog>();
  Walk seen;
  {
    ReadAheadRowCursor cursor(Inner(script, log), nullptr, {8, 1 << 20, 3});
    ASSERT_TRUE(gate->WaitArrived(0));
    ASSERT_EQ(cursor.Columns().size(), script->columns.size());
    for (std::size_t i = 0; i < script->columns.size(); ++i)
      EXPECT_EQ(cursor.Columns()[i].name, script->columns[i].name);
    EXPECT_EQ(log->RowsGiven(), 0u);
    gate->Allow(SIZE_MAX);
    seen = Read(cursor);
  }
  EXPECT_EQ(seen.rows.size(), 120u);
  std::lock_guard<std::mutex> lock(log->mutex);
  ASSERT_EQ(log->moving_threads.size(), 1u);
  EXPECT_NE(*log->moving_threads.begin(), std::this_thread::get_id());
  EXPECT_EQ(log->other_threads, std::set<std::thread::id>{std::this_thread::get_id()});
  EXPECT_EQ(log->destructions, 1);
  EXPECT_EQ(log->destroyed_on, std::this_thread::get_id());
}

// Ending the decorator after any number of rows, with the reader busy or waiting for room,
// stops the reader without a hang, never reads beyond the bound, and ends the inner cursor here.
TEST(ReadAheadRowCursorTest, EndedEarlyAtEveryPointStopsTheReader) {
  const ReadAheadLimits limits{5, 1 << 20, 3};
  const std::size_t total = 23;
  const auto script = MakeScript(total);
  for (const bool reader_fills_first : {false, true}) {
    for (std::size_t stop_after = 0; stop_after <= total + 1; ++stop_after) {
      SCOPED_TRACE((reader_fills_first ? "after the reader filled every batch, " : "at once, ") +
                   std::to_string(stop_after) + " rows");
      auto log = std::make_shared<CursorLog>();
      std::size_t seen = 0;
      {
        ReadAheadRowCursor cursor(Inner(script, log), nullptr, limits);
        while (seen < stop_after && cursor.Next())
          ++seen;
        if (reader_fills_first) {
          ASSERT_TRUE(log->WaitForRows(ReadAheadBound(seen, limits, total)));
        }
      }
      EXPECT_EQ(seen, std::min(stop_after, total));
      EXPECT_LE(log->RowsGiven(), ReadAheadBound(seen, limits, total));
      std::lock_guard<std::mutex> lock(log->mutex);
      EXPECT_EQ(log->destructions, 1);
      EXPECT_EQ(log->destroyed_on, std::this_thread::get_id());
    }
  }
}

// A caller slower than the reader: before every row the reader gets as far ahead as the
// batches allow, and never further.
TEST(ReadAheadRowCursorTest, SlowCallerLetsTheReaderFillEveryBatchAndNoMore) {
  const ReadAheadLimits limits{5, 1 << 20, 3};
  const std::size_t total = 42;
  const auto script = MakeScript(total, RandomRows, total);
  auto log = std::make_shared<CursorLog>();
  const Walk expected = Read(*Inner(script));
  ReadAheadRowCursor cursor(Inner(script, log), nullptr, limits);
  Walk seen;
  for (std::size_t row = 0; row < total; ++row) {
    const std::size_t bound = ReadAheadBound(row, limits, total);
    ASSERT_TRUE(log->WaitForRows(bound)) << row;
    EXPECT_LE(log->RowsGiven(), bound) << row;
    const Walk one = Read(cursor, 1);
    ASSERT_EQ(one.rows.size(), 1u) << row;
    seen.rows.push_back(one.rows.front());
  }
  const Walk rest = Read(cursor);
  EXPECT_TRUE(rest.rows.empty());
  EXPECT_EQ(rest.errors, expected.errors);
  EXPECT_EQ(seen.rows, expected.rows);
}

const std::vector<ServerMessage> kCancelled = {{0, 16, 1, "HY008", "Operation canceled"}};

// A cancel ends the walk at the next move, whatever the reader has buffered, and reports the
// cancel rather than a clean end.
TEST(ReadAheadRowCursorTest, CancelEndsTheWalkAtTheNextMove) {
  const ReadAheadLimits limits{5, 1 << 20, 3};
  const std::size_t total = 20;
  const auto script = MakeScript(total);
  const Walk expected = Read(*Inner(script));
  for (const std::size_t cancel_after : {0u, 1u, 4u, 5u, 6u, 12u, 20u}) {
    SCOPED_TRACE(cancel_after);
    std::atomic<bool> cancel{false};
    ReadAheadRowCursor cursor(Inner(script), &cancel, limits);
    const Walk before = Read(cursor, cancel_after);
    cancel = true;
    const Walk after = Read(cursor);
    ASSERT_EQ(before.rows.size(), cancel_after);
    EXPECT_TRUE(std::equal(before.rows.begin(), before.rows.end(), expected.rows.begin()));
    EXPECT_TRUE(after.rows.empty());
    EXPECT_EQ(after.errors, Described(kCancelled));
    EXPECT_TRUE(after.stays_ended);
  }
}

// The cancel flag stops the reader by itself, even while nobody takes its rows, and the caller
// then learns of the cancel, not of a clean end.
TEST(ReadAheadRowCursorTest, CancelStopsTheReaderWithoutTheCaller) {
  auto script = MakeScript(5000);
  std::atomic<bool> cancel{false};
  std::atomic<std::size_t> moves_after_cancel{0};
  script->before_move = [&](std::size_t index) {
    if (index == 100)
      cancel = true;
    else if (index > 100)
      ++moves_after_cancel;
  };
  auto log = std::make_shared<CursorLog>();
  {
    ReadAheadRowCursor cursor(Inner(script, log), &cancel, {1000000, std::size_t{1} << 30, 2});
    ASSERT_TRUE(log->WaitForRows(101));
    const Walk seen = Read(cursor);
    EXPECT_EQ(seen.errors, Described(kCancelled));
  }
  EXPECT_EQ(moves_after_cancel.load(), 0u);
}

// A cancel while the caller waits for a producer stuck in a long move ends the wait: the caller
// does not wait for that move (only the destructor does).
TEST(ReadAheadRowCursorTest, CancelEndsTheWaitForAStuckProducer) {
  auto script = MakeScript(50);
  auto gate = GateMoves(*script);
  gate->Allow(3);
  std::atomic<bool> cancel{false};
  bool producer_stuck = false;
  std::thread canceller([&] {
    producer_stuck = gate->WaitArrived(3);
    cancel = true;
  });
  const Walk expected = Read(*Inner(MakeScript(50)));
  ReadAheadRowCursor cursor(Inner(script), &cancel, {2, 1 << 20, 3});
  const Walk seen = Read(cursor);
  canceller.join();
  EXPECT_TRUE(producer_stuck);
  gate->Allow(SIZE_MAX);  // lets the stuck move return, so the destructor can join the reader
  EXPECT_LE(seen.rows.size(), 2u);
  EXPECT_TRUE(std::equal(seen.rows.begin(), seen.rows.end(), expected.rows.begin()));
  EXPECT_EQ(seen.errors, Described(kCancelled));
}

// An inner cursor that throws (a fault of its own) ends the walk with a failure after the rows
// it gave, instead of ending the program.
TEST(ReadAheadRowCursorTest, InnerCursorThatThrowsEndsWithAFailure) {
  auto script = MakeScript(60);
  const Walk expected = Read(*Inner(script));
  script->before_move = [](std::size_t index) {
    if (index == 25)
      throw std::runtime_error("driver fault");
  };
  ReadAheadRowCursor cursor(Inner(script), nullptr, {10, 1 << 20, 3});
  const Walk seen = Read(cursor);
  ASSERT_EQ(seen.rows.size(), 25u);
  EXPECT_TRUE(std::equal(seen.rows.begin(), seen.rows.end(), expected.rows.begin()));
  EXPECT_EQ(seen.errors, std::vector<std::string>{"0/16/HY000/driver fault"});
}

TEST(ReadAheadRowCursorTest, NoInnerCursorIsAnEmptyWalk) {
  ReadAheadRowCursor cursor(nullptr);
  const Walk seen = Read(cursor);
  EXPECT_TRUE(seen.columns.empty());
  EXPECT_TRUE(seen.rows.empty());
  EXPECT_TRUE(seen.errors.empty());
}

// A preparer writing each field's NullText behind a bar, noting its threads; one that takes
// the fields read writes them from the fields the reader has read instead of reading the row.
class TextsPreparer final : public RowPreparer {
 public:
  explicit TextsPreparer(std::shared_ptr<CursorLog> log, bool takes_fields_read = false)
      : log_(std::move(log)), takes_fields_read_(takes_fields_read) {}
  void Prepare(const RowCursor& row, std::string& out) override {
    Texts(row, out);
    Note();
  }
  void PrepareRead(const RowCursor& row, std::span<const FieldView> fields,
                   std::string& out) override {
    if (!takes_fields_read_)
      return Prepare(row, out);
    for (const FieldView& field : fields) {
      out += '|';
      AppendNullText(field, out);
    }
    Note();
  }
  static void Texts(const RowCursor& row, std::string& out) {
    for (int i = 0; i < static_cast<int>(row.Columns().size()); ++i) {
      out += '|';
      AppendNullText(row.Field(i), out);
    }
  }

 private:
  void Note() {
    std::lock_guard<std::mutex> lock(log_->mutex);
    log_->moving_threads.insert(std::this_thread::get_id());
  }

  std::shared_ptr<CursorLog> log_;
  bool takes_fields_read_;
};

// What TextsPreparer makes of each row, read from the inner cursor directly.
std::vector<std::string> DirectTexts(std::shared_ptr<const Script> script) {
  auto direct = Inner(std::move(script));
  std::vector<std::string> texts;
  while (direct->Next())
    TextsPreparer::Texts(*direct, texts.emplace_back());
  return texts;
}

// Field `i` as a cursor that copies only `kept_fields` (all when empty) gives it.
FieldCopy AsKept(const FieldCopy& field, const std::vector<bool>& kept_fields, std::size_t i) {
  const bool kept = kept_fields.empty() || (i < kept_fields.size() && kept_fields[i]);
  return kept ? field : FieldCopy{};
}

struct PreparationCase {
  std::string name;
  std::size_t rows;
  std::optional<std::size_t> fail_after;
  ReadAheadLimits limits;
  std::vector<bool> kept_fields;
  std::size_t batch_count = 0;
  std::size_t batch_rows = 0;
  bool takes_fields_read = false;  // then each field of a row is read once
};

// With a preparer taken before the first row, every row comes with what it made of that row,
// made on the reader thread; the fields kept read as the inner cursor gives them, the others
// as Null; the end and its messages are unchanged. A preparer that takes the fields read leaves
// each field of a row read once, whichever fields are kept.
TEST(ReadAheadRowCursorTest, PreparedRowsComeWithTheirRowsAndOnlyKeptFieldsAreCopied) {
  const std::vector<bool> none(EveryTypeColumns().size(), false);
  const std::vector<bool> some = {false, true, false, true, true, false, false, true};
  const std::vector<bool> key = {true, false, false, true, false, false, false, false};
  const std::vector<PreparationCase> cases = {
      {"every field kept, tiny batches", 500, std::nullopt, {7, 4096, 2}, {}},
      {"no field kept", 500, std::nullopt, {7, 4096, 2}, none},
      {"some fields kept, batches closed by bytes", 700, std::nullopt, {1000, 512, 3}, some},
      {"kept list shorter than the row", 300, std::nullopt, {16, 1 << 20, 3}, {true, false}},
      {"deeper read-ahead", 900, std::nullopt, {8, 1 << 20, 2}, some, 9, 40},
      {"fails inside a batch", 100, 37, {10, 1 << 20, 3}, some},
      {"no rows", 0, std::nullopt, {}, none},
      {"fields read taken, every field kept", 400, std::nullopt, {16, 1 << 20, 3}, {}, 0, 0, true},
      {"fields read taken, no field kept", 400, std::nullopt, {16, 1 << 20, 3}, none, 0, 0, true},
      {"fields read taken, the key fields kept",
       400,
       std::nullopt,
       {16, 1 << 20, 3},
       key,
       0,
       0,
       true},
  };
  for (const PreparationCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto script = MakeScript(c.rows, RandomRows, c.fail_after);
    // What is expected, read from the inner cursor directly.
    const std::vector<std::string> expected_prepared = DirectTexts(script);
    const Walk inner = Read(*Inner(script));

    auto log = std::make_shared<CursorLog>();
    auto owned =
        std::make_unique<ReadAheadRowCursor>(Inner(script, log), nullptr, Deferred(c.limits));
    ReadAheadRowCursor& cursor = *owned;
    RowPreparation preparation{std::make_unique<TextsPreparer>(log, c.takes_fields_read),
                               c.kept_fields, c.batch_count, c.batch_rows};
    ASSERT_TRUE(cursor.TakeRowPreparation(preparation));
    EXPECT_EQ(preparation.preparer, nullptr);
    std::vector<std::string> prepared;
    std::vector<std::vector<FieldCopy>> rows;
    // A look at the rows ahead: what each gives back, by row and distance.
    constexpr std::size_t kLooks = 10;
    std::vector<std::array<std::string, kLooks>> ahead;
    while (cursor.Next()) {
      std::array<std::string, kLooks>& looks = ahead.emplace_back();
      for (std::size_t k = 0; k < kLooks; ++k)
        looks[k] = cursor.PreparedAhead(k);
      prepared.emplace_back(cursor.Prepared());
      const std::vector<FieldCopy>& row = rows.emplace_back(CopyRow(cursor));
      // The whole row in one call reads as field by field, the fields not kept as Null.
      std::vector<FieldView> whole(script->columns.size());
      cursor.Fields(whole);
      for (std::size_t i = 0; i < whole.size(); ++i)
        EXPECT_EQ(Copy(whole[i]), row[i]) << "row " << rows.size() << " field " << i;
    }
    EXPECT_EQ(prepared, expected_prepared);
    // A look gives the row that many ahead, or nothing once the row is beyond the batch (and
    // then nothing further): never another row, never a row past the end.
    std::size_t rows_seen_ahead = 0;
    for (std::size_t r = 0; r < ahead.size(); ++r) {
      bool beyond = false;
      for (std::size_t k = 0; k < kLooks; ++k) {
        const std::string& look = ahead[r][k];
        if (look.empty()) {
          EXPECT_NE(k, 0u) << "row " << r << ": the current row is always at hand";
          beyond = true;
          continue;
        }
        EXPECT_FALSE(beyond) << "row " << r << " ahead " << k << ": rows of a batch are contiguous";
        ASSERT_LT(r + k, expected_prepared.size()) << "row " << r << " ahead " << k;
        EXPECT_EQ(look, expected_prepared[r + k]) << "row " << r << " ahead " << k;
        rows_seen_ahead += k > 0 ? 1 : 0;
      }
    }
    if (c.rows > 1 && c.limits.batch_rows > 1) {
      EXPECT_GT(rows_seen_ahead, 0u) << "rows of the current batch are seen ahead";
    }
    ASSERT_EQ(rows.size(), inner.rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
      for (std::size_t i = 0; i < rows[r].size(); ++i)
        EXPECT_EQ(rows[r][i], AsKept(inner.rows[r][i], c.kept_fields, i))
            << "row " << r << " field " << i;
    }
    EXPECT_EQ(Described(cursor.Errors()), inner.errors);
    EXPECT_TRUE(cursor.Prepared().empty()) << "nothing prepared past the end";
    EXPECT_TRUE(cursor.PreparedAhead(0).empty()) << "nothing ahead past the end";
    owned.reset();
    std::lock_guard<std::mutex> lock(log->mutex);
    if (c.takes_fields_read) {
      EXPECT_EQ(log->field_reads, expected_prepared.size() * script->columns.size());
    }
    if (c.rows > 0) {
      EXPECT_EQ(log->moving_threads.size(), 1u);
      EXPECT_EQ(log->moving_threads.count(std::this_thread::get_id()), 0u);
    }
  }
}

// A preparer comes too late once the reader has begun: it stays with the caller, and the
// rows come without anything prepared.
TEST(ReadAheadRowCursorTest, PreparationRefusedOnceReadingBegan) {
  const auto script = MakeScript(30);
  for (const bool deferred : {false, true}) {
    SCOPED_TRACE(deferred ? "deferred start, after the first row" : "started at once");
    ReadAheadLimits limits{4, 1 << 20, 2};
    limits.deferred_start = deferred;
    ReadAheadRowCursor cursor(Inner(script), nullptr, limits);
    if (deferred) {
      ASSERT_TRUE(cursor.Next());
    }
    RowPreparation preparation;
    preparation.preparer = std::make_unique<TextsPreparer>(std::make_shared<CursorLog>());
    EXPECT_FALSE(cursor.TakeRowPreparation(preparation));
    EXPECT_NE(preparation.preparer, nullptr);
    std::size_t rows = deferred ? 1 : 0;
    while (cursor.Next()) {
      EXPECT_TRUE(cursor.Prepared().empty());
      EXPECT_EQ(Copy(cursor.Field(1)), Copy(ViewOf(script->rows[rows][1])));
      ++rows;
    }
    EXPECT_EQ(rows, script->rows.size());
  }
}

// Whether Next() would wait is told without moving: a row left in the batch at hand, a batch
// handed over, or the end never waits; a reader still busy with the next batch does.
TEST(ReadAheadRowCursorTest, NextWouldWaitOnlyWhenNeitherARowNorTheEndIsAtHand) {
  auto script = MakeScript(4);
  auto gate = GateMoves(*script);
  ReadAheadRowCursor cursor(Inner(script), nullptr, Deferred({2, 1 << 20, 3}));
  EXPECT_TRUE(cursor.NextWouldWait());  // the first Next() starts the reader and waits for it
  RowPreparation none;
  ASSERT_TRUE(cursor.TakeRowPreparation(none));
  ASSERT_TRUE(gate->WaitArrived(0));
  EXPECT_TRUE(cursor.NextWouldWait());
  gate->Allow(2);
  ASSERT_TRUE(gate->WaitArrived(2));  // the first batch of two rows is handed over
  EXPECT_FALSE(cursor.NextWouldWait());
  ASSERT_TRUE(cursor.Next());
  EXPECT_FALSE(cursor.NextWouldWait());
  ASSERT_TRUE(cursor.Next());
  EXPECT_TRUE(cursor.NextWouldWait());  // the reader waits at the third row
  gate->Allow(5);
  ASSERT_TRUE(cursor.Next());
  ASSERT_TRUE(cursor.Next());
  EXPECT_FALSE(cursor.Next());
  EXPECT_FALSE(cursor.NextWouldWait());
}

}  // namespace
}  // namespace korvane

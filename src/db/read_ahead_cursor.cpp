#include "db/read_ahead_cursor.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstring>
#include <exception>
#include <limits>
#include <new>
#include <system_error>
#include <type_traits>

namespace korvane {

namespace {

static_assert(std::is_trivially_copyable_v<DateTimeValue>, "odd dates are copied as they are");

// A field kept in a batch: a tag byte, the ValueType in its low four bits and a detail in its
// high four, then the data:
//   Null                 nothing
//   boolean, integer     the detail's number (1 to 8) of low bytes of the two's complement,
//                        low first, sign-extended when read
//   float                the 8 bytes of the double
//   text, decimal, GUID, binary
//                        the size in the detail when below kLongSize, else kLongSize and the size
//                        in 4 bytes; then the bytes
//   datetime             detail 0: year in 2 bytes, month, day, hour, minute, second in one
//                        each, nanosecond in 4, then has_date and has_time as bits 0 and 1 of one
//                        byte; detail 1 (a field out of those ranges): the DateTimeValue as it is
constexpr unsigned kLongSize = 15;
constexpr std::size_t kPackedDateSize = 12;

// The fewest low bytes (1 to 8) whose sign extension gives `value` back.
unsigned IntegerBytes(std::int64_t value) {
  // The bits that differ from the sign bit, and the sign bit itself.
  const auto magnitude = static_cast<std::uint64_t>(value ^ (value >> 63));
  const int bits = 64 - std::countl_zero(magnitude) + 1;
  return static_cast<unsigned>((bits + 7) / 8);
}

bool FitsPackedDate(const DateTimeValue& v) {
  auto byte = [](int n) { return n >= 0 && n <= 255; };
  return v.year >= -32768 && v.year <= 32767 && byte(v.month) && byte(v.day) && byte(v.hour) &&
         byte(v.minute) && byte(v.second) && v.nanosecond >= 0;
}

// The most bytes WriteKeptField writes for a field, whatever its type: a tag, then either
// fixed data no longer than a DateTimeValue or a 4-byte size and the bytes.
std::size_t KeptFieldBound(const FieldView& field) {
  static_assert(sizeof(DateTimeValue) >= sizeof(std::uint64_t));
  return 1 + sizeof(DateTimeValue) + field.bytes.size();
}

// Writes `field` at `out`, which has room for KeptFieldBound(field) bytes, and returns where
// the next field goes.
char* WriteKeptField(const FieldView& field, char* out) {
  char* const tag = out++;
  unsigned detail = 0;
  switch (field.type) {
    case ValueType::kNull:
      break;
    case ValueType::kBoolean:
    case ValueType::kInteger: {
      // All 8 bytes are written (there is room), only the needed ones kept.
      detail = IntegerBytes(field.integer);
      const auto bits = static_cast<std::uint64_t>(field.integer);
      if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, &bits, sizeof bits);
      } else {
        for (int k = 0; k < 8; ++k)
          out[k] = static_cast<char>(bits >> (8 * k));
      }
      out += detail;
      break;
    }
    case ValueType::kFloat:
      std::memcpy(out, &field.real, sizeof field.real);
      out += sizeof field.real;
      break;
    case ValueType::kDecimal:
    case ValueType::kText:
    case ValueType::kBinary:
    case ValueType::kGuid: {
      const std::size_t size = field.bytes.size();
      if (size < kLongSize) {
        detail = static_cast<unsigned>(size);
      } else {
        if (size > std::numeric_limits<std::uint32_t>::max())
          throw std::bad_alloc();
        detail = kLongSize;
        const auto size32 = static_cast<std::uint32_t>(size);
        std::memcpy(out, &size32, sizeof size32);
        out += sizeof size32;
      }
      if (size > 0)
        std::memcpy(out, field.bytes.data(), size);
      out += size;
      break;
    }
    case ValueType::kDateTime: {
      const DateTimeValue& v = field.datetime;
      if (!FitsPackedDate(v)) {
        detail = 1;
        std::memcpy(out, &v, sizeof v);
        out += sizeof v;
        break;
      }
      const auto year = static_cast<std::int16_t>(v.year);
      const auto nanosecond = static_cast<std::uint32_t>(v.nanosecond);
      std::memcpy(out, &year, 2);
      out[2] = static_cast<char>(v.month);
      out[3] = static_cast<char>(v.day);
      out[4] = static_cast<char>(v.hour);
      out[5] = static_cast<char>(v.minute);
      out[6] = static_cast<char>(v.second);
      std::memcpy(out + 7, &nanosecond, 4);
      out[11] = static_cast<char>((v.has_date ? 1 : 0) | (v.has_time ? 2 : 0));
      out += kPackedDateSize;
      break;
    }
  }
  *tag = static_cast<char>(static_cast<unsigned>(field.type) | detail << 4);
  return out;
}

// Reads the field WriteKeptField wrote at `at` into `field` (whose other members are left as they
// are) and returns where the next one starts.
const char* ReadKeptField(const char* at, FieldView& field) {
  const auto tag = static_cast<unsigned char>(*at++);
  const unsigned detail = tag >> 4;
  field.type = static_cast<ValueType>(tag & 0x0F);
  switch (field.type) {
    case ValueType::kNull:
      return at;
    case ValueType::kBoolean:
    case ValueType::kInteger: {
      std::uint64_t bits = 0;
      for (unsigned k = 0; k < detail; ++k)
        bits |= static_cast<std::uint64_t>(static_cast<unsigned char>(at[k])) << (8 * k);
      if (detail > 0 && detail < 8 && (bits >> (8 * detail - 1)) != 0)
        bits |= ~std::uint64_t{0} << (8 * detail);
      field.integer = static_cast<std::int64_t>(bits);
      return at + detail;
    }
    case ValueType::kFloat:
      std::memcpy(&field.real, at, sizeof field.real);
      return at + sizeof field.real;
    case ValueType::kDecimal:
    case ValueType::kText:
    case ValueType::kBinary:
    case ValueType::kGuid: {
      std::size_t size = detail;
      if (detail == kLongSize) {
        std::uint32_t size32 = 0;
        std::memcpy(&size32, at, sizeof size32);
        size = size32;
        at += sizeof size32;
      }
      field.bytes = std::string_view(at, size);
      return at + size;
    }
    case ValueType::kDateTime: {
      if (detail == 1) {
        std::memcpy(&field.datetime, at, sizeof field.datetime);
        return at + sizeof field.datetime;
      }
      DateTimeValue& v = field.datetime;
      std::int16_t year = 0;
      std::uint32_t nanosecond = 0;
      std::memcpy(&year, at, 2);
      std::memcpy(&nanosecond, at + 7, 4);
      v.year = year;
      v.month = static_cast<unsigned char>(at[2]);
      v.day = static_cast<unsigned char>(at[3]);
      v.hour = static_cast<unsigned char>(at[4]);
      v.minute = static_cast<unsigned char>(at[5]);
      v.second = static_cast<unsigned char>(at[6]);
      v.nanosecond = static_cast<int>(nanosecond);
      v.has_date = (at[11] & 1) != 0;
      v.has_time = (at[11] & 2) != 0;
      return at + kPackedDateSize;
    }
  }
  return at;
}

// How often a caller waiting for rows looks at the cancel flag when the reader is busy in a
// long move of the inner cursor.
constexpr std::chrono::milliseconds kCancelPoll{50};

ServerMessage ReaderMessage(std::string sqlstate, std::string text) {
  ServerMessage message;
  message.number = 0;
  message.sqlstate = std::move(sqlstate);
  message.text = std::move(text);
  return message;
}

ServerMessage CancelledMessage() {
  return ReaderMessage("HY008", "Operation canceled");
}

ServerMessage OutOfMemoryMessage() {
  return ReaderMessage("HY001", "Memory allocation error");
}

ReadAheadLimits Sane(ReadAheadLimits limits) {
  limits.batch_rows = std::max<std::size_t>(limits.batch_rows, 1);
  limits.batch_bytes = std::max<std::size_t>(limits.batch_bytes, 1);
  limits.batch_count = std::max<std::size_t>(limits.batch_count, 2);
  return limits;
}

}  // namespace

void ReadAheadRowCursor::Batch::Clear() {
  rows = 0;
  rows_used = 0;
  row_at.assign(1, 0);
  prepared.clear();
  prepared_at.assign(1, 0);
}

ReadAheadRowCursor::ReadAheadRowCursor(std::unique_ptr<RowCursor> inner,
                                       const std::atomic<bool>* cancel, ReadAheadLimits limits)
    : inner_(std::move(inner)),
      cancel_(cancel),
      limits_(Sane(limits)),
      columns_(inner_ ? inner_->Columns() : std::vector<ColumnInfo>{}) {
  kept_count_ = columns_.size();
  batch_rows_ = limits_.batch_rows;
  for (std::size_t i = 0; i < columns_.size(); ++i)
    kept_at_.push_back(static_cast<int>(i));
  if (!inner_) {
    finished_ = true;
    return;
  }
  for (std::size_t i = 0; i < limits_.batch_count; ++i)
    free_.push_back(std::make_unique<Batch>());
  if (!limits_.deferred_start)
    StartReader();
}

void ReadAheadRowCursor::StartReader() {
  started_ = true;
  try {
    reader_ = std::thread([this] { ReadLoop(); });
  } catch (const std::system_error&) {
    // No thread to be had: read the inner cursor in place, which gives the same rows.
    direct_ = true;
  }
}

bool ReadAheadRowCursor::TakeRowPreparation(RowPreparation& preparation) {
  if (started_ || finished_)
    return false;
  preparer_ = std::move(preparation.preparer);
  if (!preparation.kept_fields.empty()) {
    kept_count_ = 0;
    for (std::size_t i = 0; i < kept_at_.size(); ++i) {
      const bool kept = i < preparation.kept_fields.size() && preparation.kept_fields[i];
      kept_at_[i] = kept ? static_cast<int>(kept_count_++) : -1;
    }
  }
  batch_rows_ = std::max(batch_rows_, preparation.batch_rows);
  while (free_.size() < preparation.batch_count)
    free_.push_back(std::make_unique<Batch>());
  StartReader();
  return true;
}

std::string_view ReadAheadRowCursor::Prepared() const {
  if (finished_ || !preparer_)
    return {};
  if (direct_)
    return direct_prepared_;
  if (!current_ || row_ == 0)
    return {};
  const std::size_t start = current_->prepared_at[row_ - 1];
  return std::string_view(current_->prepared).substr(start, current_->prepared_at[row_] - start);
}

std::string_view ReadAheadRowCursor::PreparedAhead(std::size_t ahead) const {
  if (finished_ || direct_ || !preparer_ || !current_ || row_ == 0 || ahead > current_->rows - row_)
    return {};
  const std::size_t start = current_->prepared_at[row_ - 1 + ahead];
  return std::string_view(current_->prepared)
      .substr(start, current_->prepared_at[row_ + ahead] - start);
}

std::string_view ReadAheadRowCursor::RowForm() const {
  if (finished_ || direct_ || !current_ || row_ == 0)
    return {};
  const std::size_t start = current_->row_at[row_ - 1];
  return std::string_view(current_->rows_data).substr(start, current_->row_at[row_] - start);
}

ReadAheadRowCursor::~ReadAheadRowCursor() {
  StopReader();
  current_.reset();
  inner_.reset();
}

void ReadAheadRowCursor::StopReader() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_.store(true);
  }
  changed_.notify_all();
  if (reader_.joinable())
    reader_.join();
}

bool ReadAheadRowCursor::Next() {
  if (finished_)
    return false;
  if (!started_)
    StartReader();
  if (cancel_ != nullptr && cancel_->load()) {
    Finish(true);
    return false;
  }
  if (direct_) {
    if (inner_->Next()) {
      if (preparer_) {
        direct_prepared_.clear();
        preparer_->Prepare(*inner_, direct_prepared_);
      }
      return true;
    }
    Finish(false);
    return false;
  }
  if (current_ && row_ < current_->rows) {
    ++row_;
    return true;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  if (current_) {
    free_.push_back(std::move(current_));
    changed_.notify_all();
  }
  const auto rows_or_end = [this] { return !ready_.empty() || reader_end_ != ReaderEnd::kRunning; };
  for (;;) {
    if (cancel_ != nullptr)
      changed_.wait_for(lock, kCancelPoll, rows_or_end);
    else
      changed_.wait(lock, rows_or_end);
    if (!ready_.empty()) {
      current_ = std::move(ready_.front());
      ready_.pop_front();
      row_ = 1;
      return true;
    }
    if (reader_end_ != ReaderEnd::kRunning)
      break;
    if (cancel_ != nullptr && cancel_->load()) {
      lock.unlock();
      Finish(true);
      return false;
    }
  }
  lock.unlock();
  Finish(false);
  return false;
}

void ReadAheadRowCursor::Finish(bool cancelled) {
  finished_ = true;
  current_.reset();
  if (cancelled) {
    // The reader may be in the middle of a long move of the inner cursor: tell it to stop and
    // leave the join to the destructor, so the caller does not wait for that move.
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_.store(true);
    }
    changed_.notify_all();
    errors_ = {CancelledMessage()};
    return;
  }
  if (direct_) {
    errors_ = inner_->Errors();
    return;
  }
  // The reader has ended and is only leaving: once joined, what it left is ours to read.
  StopReader();
  if (reader_end_ == ReaderEnd::kCancelled)
    errors_ = {CancelledMessage()};
  else if (reader_end_ == ReaderEnd::kFailed)
    errors_ = reader_errors_;
  else
    errors_ = inner_->Errors();
}

const char* ReadAheadRowCursor::RowData() const {
  return current_->rows_data.data() + current_->row_at[row_ - 1];
}

FieldView ReadAheadRowCursor::Field(int index) const {
  if (finished_ || index < 0 || static_cast<std::size_t>(index) >= columns_.size())
    return {};
  const int kept_at = kept_at_[static_cast<std::size_t>(index)];
  if (kept_at < 0)
    return {};
  if (direct_)
    return inner_->Field(index);
  if (!current_ || row_ == 0)
    return {};
  FieldView field;
  const char* at = RowData();
  for (int k = 0; k < kept_at; ++k)
    at = ReadKeptField(at, field);
  field = FieldView{};
  ReadKeptField(at, field);
  return field;
}

void ReadAheadRowCursor::Fields(std::span<FieldView> out) const {
  if (direct_ && !finished_ && kept_count_ == columns_.size()) {
    inner_->Fields(out);
    return;
  }
  if (finished_ || direct_ || !current_ || row_ == 0 || kept_count_ != columns_.size()) {
    RowCursor::Fields(out);
    return;
  }
  // Every field kept: the row's fields are there in order.
  const std::size_t count = std::min(out.size(), columns_.size());
  const char* at = RowData();
  for (std::size_t k = 0; k < count; ++k) {
    // Read straight into place: a copy of a view just written would wait for those writes.
    out[k] = FieldView{};
    at = ReadKeptField(at, out[k]);
  }
  for (std::size_t k = count; k < out.size(); ++k)
    out[k] = FieldView{};
}

bool ReadAheadRowCursor::CopyRow(Batch& batch) {
  const std::size_t data_before = batch.rows_used;
  const std::size_t prepared_before = batch.prepared.size();
  try {
    // With every field kept, or a preparer to hand the row to, the row is read once, in one
    // call, which cursors do faster than field by field; otherwise only the kept fields are read.
    const bool whole_row = kept_count_ == columns_.size() || preparer_ != nullptr;
    row_fields_.resize(columns_.size());
    if (whole_row) {
      inner_->Fields(row_fields_);
    } else {
      for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (kept_at_[i] >= 0)
          row_fields_[i] = inner_->Field(static_cast<int>(i));
      }
    }
    std::size_t bound = 0;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (kept_at_[i] >= 0)
        bound += KeptFieldBound(row_fields_[i]);
    }
    // rows_data only grows (doubling), so that rows are written in place without filling it
    // first, batch after batch.
    std::string& data = batch.rows_data;
    if (data.size() - data_before < bound)
      data.resize(std::max(data_before + bound, 2 * data.size()));
    char* out = data.data() + data_before;
    if (kept_count_ == columns_.size()) {
      for (const FieldView& field : row_fields_)
        out = WriteKeptField(field, out);
    } else {
      for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (kept_at_[i] >= 0)
          out = WriteKeptField(row_fields_[i], out);
      }
    }
    batch.rows_used = static_cast<std::size_t>(out - data.data());
    batch.row_at.push_back(batch.rows_used);
    if (preparer_) {
      preparer_->PrepareRead(*inner_, row_fields_, batch.prepared);
      batch.prepared_at.push_back(batch.prepared.size());
    }
  } catch (const std::bad_alloc&) {
    batch.rows_used = data_before;
    batch.row_at.resize(batch.rows + 1);
    batch.prepared.resize(prepared_before);
    batch.prepared_at.resize(batch.rows + 1);
    return false;
  }
  ++batch.rows;
  return true;
}

void ReadAheadRowCursor::ReadLoop() {
  ReaderEnd end = ReaderEnd::kRunning;
  std::vector<ServerMessage> failure;
  std::unique_ptr<Batch> batch;
  try {
    while (end == ReaderEnd::kRunning) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !free_.empty() || stop_.load(); });
        if (stop_.load()) {
          end = ReaderEnd::kStopped;
          break;
        }
        batch = std::move(free_.back());
        free_.pop_back();
      }
      batch->Clear();
      while (batch->rows < batch_rows_ && batch->Bytes() < limits_.batch_bytes) {
        if (stop_.load(std::memory_order_relaxed)) {
          end = ReaderEnd::kStopped;
          break;
        }
        if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) {
          end = ReaderEnd::kCancelled;
          break;
        }
        if (!inner_->Next()) {
          end = ReaderEnd::kInnerEnded;
          break;
        }
        if (!CopyRow(*batch)) {
          end = ReaderEnd::kFailed;
          failure = {OutOfMemoryMessage()};
          break;
        }
      }
      std::lock_guard<std::mutex> lock(mutex_);
      if (batch->rows > 0)
        ready_.push_back(std::move(batch));
      else
        free_.push_back(std::move(batch));
      if (end != ReaderEnd::kRunning) {
        reader_end_ = end;
        reader_errors_ = std::move(failure);
      }
      changed_.notify_all();
    }
  } catch (const std::bad_alloc&) {
    end = ReaderEnd::kFailed;
    failure = {OutOfMemoryMessage()};
  } catch (const std::exception& error) {
    end = ReaderEnd::kFailed;
    failure = {ReaderMessage("HY000", error.what())};
  } catch (...) {
    end = ReaderEnd::kFailed;
    failure = {ReaderMessage("HY000", "The rows could not be read")};
  }
  // Ends reached outside the filling of a batch: a stop while waiting for a free batch, or a
  // failure, after which the rows read so far still reach the caller before the messages.
  std::lock_guard<std::mutex> lock(mutex_);
  if (batch && batch->rows > 0) {
    try {
      ready_.push_back(std::move(batch));
    } catch (...) {
      // The caller gets the failure one batch early; the messages still tell it.
    }
  }
  if (reader_end_ == ReaderEnd::kRunning) {
    reader_end_ = end == ReaderEnd::kRunning ? ReaderEnd::kFailed : end;
    reader_errors_ = std::move(failure);
  }
  changed_.notify_all();
}

bool ReadAheadRowCursor::NextWouldWait() {
  if (finished_ || direct_ || (cancel_ != nullptr && cancel_->load()))
    return false;
  if (!started_)
    return true;
  if (current_ && row_ < current_->rows)
    return false;
  std::lock_guard<std::mutex> lock(mutex_);
  return ready_.empty() && reader_end_ == ReaderEnd::kRunning;
}

}  // namespace korvane

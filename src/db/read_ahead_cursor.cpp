#include "db/read_ahead_cursor.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <exception>
#include <new>
#include <system_error>

#include "db/row_form.h"

namespace korvane {

namespace {

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
    at = ReadRowFormField(at, field);
  field = FieldView{};
  ReadRowFormField(at, field);
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
    at = ReadRowFormField(at, out[k]);
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
    const bool all_kept = kept_count_ == columns_.size();
    std::size_t bound = 0;
    if (all_kept) {
      bound = RowFormBound(row_fields_);
    } else {
      for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (kept_at_[i] >= 0)
          bound += RowFormFieldBound(row_fields_[i]);
      }
    }
    // rows_data only grows (doubling), so that rows are written in place without filling it
    // first, batch after batch.
    std::string& data = batch.rows_data;
    if (data.size() - data_before < bound)
      data.resize(std::max(data_before + bound, 2 * data.size()));
    char* out = data.data() + data_before;
    if (all_kept) {
      out = WriteRowForm(row_fields_, out);
    } else {
      for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (kept_at_[i] >= 0)
          out = WriteRowFormField(row_fields_[i], out);
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

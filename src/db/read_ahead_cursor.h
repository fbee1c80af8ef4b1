// A row cursor that reads another one ahead on a thread of its own, so fetching the rows of one
// side overlaps with whatever the caller does with them (the data comparison reads both sides
// at once so).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "db/backend.h"

namespace korvane {

// How far the reader may run ahead: batches of at most `batch_rows` rows, closed once they hold
// `batch_bytes` bytes or more (a row is never split, so one long field can make a batch larger),
// and at most `batch_count` batches alive at once, the one the caller reads included. Memory
// therefore stays near batch_count * batch_bytes whatever the number of rows.
struct ReadAheadLimits {
  std::size_t batch_rows = 1000;
  std::size_t batch_bytes = std::size_t{1} << 20;
  std::size_t batch_count = 3;  // at least 2, so the reader can fill one while the caller reads one
  // The reader starts at the first Next() or TakeRowPreparation() instead of at once, so that a
  // preparer can be given before any row is read.
  bool deferred_start = false;
};

// Work done for each row on the reader thread, so that the caller finds it ready beside the
// row: Prepare appends to `out` what the caller wants of `row`'s current row. It is called on
// one thread at a time (the reader's, or the caller's when no thread could be started) and may
// keep buffers of its own.
class RowPreparer {
 public:
  virtual ~RowPreparer() = default;
  virtual void Prepare(const RowCursor& row, std::string& out) = 0;
  // Prepare, for a row whose fields the caller has just read, every one in order (`fields`
  // holds as many as `row` has columns): a preparer that needs the whole row takes it from
  // `fields` rather than reading `row` again. By default the row is read again.
  virtual void PrepareRead(const RowCursor& row, std::span<const FieldView> fields,
                           std::string& out) {
    static_cast<void>(fields);
    Prepare(row, out);
  }
};

// What a caller asks of the reader before it starts (TakeRowPreparation).
struct RowPreparation {
  std::unique_ptr<RowPreparer> preparer;
  // The fields still copied beside what is prepared; Field() gives NULL for the others. Empty:
  // every field.
  std::vector<bool> kept_fields;
  // Read further ahead than the limits say (0: as they say): more batches of more rows, for a
  // side that waits while the other is read whole, or for fewer hand-overs between the threads.
  // batch_bytes still closes each batch.
  std::size_t batch_count = 0;
  std::size_t batch_rows = 0;
};

// Takes an opened cursor and reads it on its own thread into bounded batches of copied fields;
// the caller sees the same rows, types, texts, bytes and dates through Next(), Field() and
// Fields(), then the end, with the inner cursor's Errors() once the last good row has been
// passed.
//
// Threads: the reader thread calls only the inner cursor's Next(), Field() and Fields() (and a
// preparer's Prepare with it). Everything else, and the inner cursor's destruction, happens on
// the thread that uses and destroys this object, so a pooled session behind the inner cursor
// goes back to its pool there. The reader waits while every batch is full; destroying this
// object early tells the reader to stop, waits for the inner move in progress to return, and
// joins it.
//
// Cancel: when `cancel` (may be null; must outlive this object) turns true, the reader stops
// reading and the next Next() returns false with the message "Operation canceled" (SQLSTATE
// HY008), as a cancelled command reports. That Next() does not wait for a move of the inner
// cursor in progress; the destructor does.
class ReadAheadRowCursor final : public RowCursor {
 public:
  explicit ReadAheadRowCursor(std::unique_ptr<RowCursor> inner,
                              const std::atomic<bool>* cancel = nullptr,
                              ReadAheadLimits limits = {});
  ~ReadAheadRowCursor() override;
  ReadAheadRowCursor(const ReadAheadRowCursor&) = delete;
  ReadAheadRowCursor& operator=(const ReadAheadRowCursor&) = delete;

  const std::vector<ColumnInfo>& Columns() const override { return columns_; }
  bool Next() override;
  FieldView Field(int index) const override;
  void Fields(std::span<FieldView> out) const override;
  const std::vector<ServerMessage>& Errors() const override { return errors_; }

  // Takes the preparation (leaving its preparer null) when no row has been read yet, so that
  // every row comes with what it prepares, and starts the reader; false, leaving it with the
  // caller, once reading has begun.
  bool TakeRowPreparation(RowPreparation& preparation);
  // What the preparer made of the current row; empty without a preparer.
  std::string_view Prepared() const;
  // What the preparer made of the row `ahead` rows after the current one, when that row is
  // already at hand in the current batch; empty otherwise (past the batch, read in place, or no
  // preparer). Only a look: the current row stays where it is.
  std::string_view PreparedAhead(std::size_t ahead) const;
  // The current row's kept fields in their compact form (db/row_form.h), as a batch keeps them,
  // when the row comes from a batch; empty otherwise (read in place, or no current row). Two
  // rows, of this cursor or another, whose forms are equal hold as many fields, of equal types
  // and values, field by field.
  std::string_view RowForm() const;
  // Whether Next() would now wait for the reader: false when it has the next row (or the end)
  // at hand, or reads in place. Only a look: nothing moves.
  bool NextWouldWait();

 private:
  // The rows of a batch are kept one after another in `rows_data`, each kept field in its compact
  // form (db/row_form.h) read back in order, so that a row takes few more bytes than its data: the
  // caller's thread reads what the reader's wrote, and every byte crosses between them.
  struct Batch {
    std::size_t rows = 0;
    std::string rows_data;  // used up to rows_used; the rest is room for the next rows
    std::size_t rows_used = 0;
    std::vector<std::size_t> row_at;       // where each row starts in rows_data, and the end
    std::string prepared;                  // what the preparer made of the rows, one after another
    std::vector<std::size_t> prepared_at;  // where each row's part starts, and the end
    void Clear();
    std::size_t Bytes() const {
      return rows_used + prepared.size() + 2 * rows * sizeof(std::size_t);
    }
  };
  // How the reader ended.
  enum class ReaderEnd { kRunning, kInnerEnded, kCancelled, kStopped, kFailed };

  // Starts the reader thread, or reads in place when none can be started.
  void StartReader();
  void ReadLoop();
  // Copies the inner cursor's current row into `batch`; false when a field is too large to hold.
  bool CopyRow(Batch& batch);
  // Where the current row's kept fields start in the current batch.
  const char* RowData() const;
  // Ends the walk on the caller's thread and takes the messages to report. After a cancel the
  // reader is only told to stop; otherwise it has ended and is joined.
  void Finish(bool cancelled);
  // Tells the reader to stop and joins it.
  void StopReader();

  std::unique_ptr<RowCursor> inner_;
  std::unique_ptr<RowPreparer> preparer_;  // used by the reader only, once it has started
  // Where each field is among a row's kept ones; -1 when the field is not kept.
  std::vector<int> kept_at_;
  std::size_t kept_count_ = 0;
  std::size_t batch_rows_ = 0;
  std::string direct_prepared_;        // the current row's, when read in place
  std::vector<FieldView> row_fields_;  // the reader's, of the row it copies
  const std::atomic<bool>* cancel_;
  const ReadAheadLimits limits_;
  const std::vector<ColumnInfo> columns_;
  std::vector<ServerMessage> errors_;

  // Shared with the reader, under mutex_.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::unique_ptr<Batch>> free_;  // empty batches for the reader
  std::deque<std::unique_ptr<Batch>> ready_;  // filled batches, oldest first
  ReaderEnd reader_end_ = ReaderEnd::kRunning;
  std::vector<ServerMessage> reader_errors_;  // when the reader failed on its own
  // Read by the reader at every row: kept off the cache line the caller writes at every row.
  alignas(64) std::atomic<bool> stop_{false};

  // The caller's side.
  alignas(64) std::unique_ptr<Batch> current_;
  std::size_t row_ = 0;  // of current_, 1-based; 0 before the first row of the batch
  bool finished_ = false;
  bool started_ = false;  // the reader has been started (or reading in place chosen)
  bool direct_ = false;   // no thread could be started: the inner cursor is read in place
  std::thread reader_;
};

}  // namespace korvane

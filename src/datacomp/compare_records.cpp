#include "datacomp/compare_records.h"

#include <algorithm>
#include <cassert>
#include <span>

#include "app/application_context.h"
#include "app/logs.h"
#include "base/free_memory.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "datacomp/field_equality.h"
#include "datacomp/order_by_clause.h"
#include "datacomp/target_key_index.h"
#include "db/read_ahead_cursor.h"

namespace korvane {
namespace {

// A cursor over a recordset's rows, for openers that only have recordsets.
class RecordsetRowCursor final : public RowCursor {
 public:
  explicit RecordsetRowCursor(Recordset records) : records_(std::move(records)) {
    for (int k = 0; k < records_.FieldCount(); ++k)
      columns_.push_back(records_.Column(k));
  }
  const std::vector<ColumnInfo>& Columns() const override { return columns_; }
  bool Next() override {
    if (!started_) {
      started_ = true;
      records_.MoveFirst();
    } else if (!records_.Eof()) {
      records_.MoveNext();
    }
    return !records_.Eof();
  }
  FieldView Field(int index) const override { return ViewOf(records_.Field(index)); }
  const std::vector<ServerMessage>& Errors() const override { return errors_; }

 private:
  Recordset records_;
  std::vector<ColumnInfo> columns_;
  std::vector<ServerMessage> errors_;
  bool started_ = false;
};

// Moves over the records a range of the grid is filled from.
class RecordSource {
 public:
  virtual ~RecordSource() = default;
  // To the next record (the first, on the first call); false at the end.
  virtual bool Move() = 0;
  virtual std::vector<std::string> Texts() const = 0;
};

// The Target rows a key search never matched, in reading order.
class UnmatchedTargetRows final : public RecordSource {
 public:
  explicit UnmatchedTargetRows(const TargetKeyIndex& index) : index_(index) {}
  bool Move() override {
    row_ = started_ ? row_ + 1 : 0;
    started_ = true;
    while (row_ < index_.TargetRowCount() && index_.IsMatched(row_))
      ++row_;
    return row_ < index_.TargetRowCount();
  }
  std::vector<std::string> Texts() const override { return index_.TargetTexts(row_); }

 private:
  const TargetKeyIndex& index_;
  std::size_t row_ = 0;
  bool started_ = false;
};

constexpr std::size_t kSourceReadAheadBatches = 64;
constexpr std::int64_t kReleaseMemoryFromRows = 100000;
constexpr std::size_t kSourceReadAheadRows = 8192;
// How many Source rows ahead of its search each step of fetching a row's match starts: far
// enough that each step's miss in memory is over before the next step reads what it fetched,
// with slot tables and row blocks of hundreds of megabytes too.
constexpr std::size_t kSlotAhead = 32;
constexpr std::size_t kStartAhead = 16;
constexpr std::size_t kRowAhead = 8;
// Record by record, both sides are read in step: batches of more rows than the default mean
// fewer hand-overs between the threads (batch_bytes still bounds each).
constexpr std::size_t kRecordReadAheadBatches = 4;
constexpr std::size_t kRecordReadAheadRows = 4096;
// By key, a Source row is taken while the Target is read only once the Target has been read
// this many rows further than the Source row's share of it: in tables of one key order its
// match has then mostly arrived, so few rows wait.
constexpr double kEarlyTargetLead = 2048;
// Source rows taken, once the Target has no row at hand, before it is asked again (asking takes
// its reader's lock): far fewer than its reader fills meanwhile.
constexpr std::size_t kEarlyBurst = 64;

int Percent(std::int64_t part, std::int64_t whole) {
  if (whole < 1)
    whole = 1;
  return static_cast<int>(std::clamp<std::int64_t>(part * 100 / whole, 0, 100));
}

class RecordComparison {
 public:
  RecordComparison(ApplicationContext& context, const CompareRecordsInput& input,
                   RecordsetOpener& opener, CompareProgress& progress, DiffGrid& grid)
      : context_(context),
        input_(input),
        opener_(opener),
        progress_(progress),
        grid_(grid),
        max_rows_(context.settings.max_rows_in_diff_table),
        interval_(std::max<std::int64_t>(1, input.progress_interval)) {}

  CompareRecordsResult Run();

 private:
  // One side's open query.
  struct Side {
    std::unique_ptr<RowCursor> rows;
    std::string query;
    int side = 0;
    int fields = 0;
    // The cursor when it reads ahead. By key, what each row needs is prepared by its reader
    // thread; otherwise `preparer` makes it here.
    const ReadAheadRowCursor* ahead = nullptr;
    std::unique_ptr<RowPreparer> preparer;
    std::string prepared;
  };
  // The rows of one cursor, moved on by a range of the grid.
  class SideRecords final : public RecordSource {
   public:
    SideRecords(RecordComparison& run, Side& side) : run_(run), side_(side) {}
    bool Move() override { return run_.Advance(side_); }
    std::vector<std::string> Texts() const override {
      std::vector<FieldView> fields(static_cast<std::size_t>(side_.fields));
      side_.rows->Fields(fields);
      return FieldTexts(fields);
    }

   private:
    RecordComparison& run_;
    Side& side_;
  };

  bool Cancelled() const { return context_.cancel_requested; }
  // Has the side's rows prepared as `preparation` says, on the reader thread when there is one.
  static void Prepare(Side& side, RowPreparation preparation);
  // What the preparer made of the side's current row.
  static std::string_view Prepared(Side& side);
  // Starts the side's reader, when it has one, with nothing to prepare: its fields are read.
  static void StartReading(Side& side);
  // Whether the current rows of both sides, with as many fields each, are kept by their readers
  // in equal forms: fields of equal types and values, so of equal texts. False when that cannot
  // be told so.
  bool SameRowForms() const;
  void Refresh(std::int64_t record, int percent);
  bool OpenSide(Side& side, int number, std::string query, bool probe);
  bool Open();
  // To a side's next row; false at its end. A failure to read ends the run as failed, shown
  // once (unless the run was stopped meanwhile).
  bool Advance(Side& side);
  // What Advance does at a side's end.
  void SideEnded(Side& side);
  // Reads the whole Target into the key index (no window events meanwhile, as a query is
  // read whole when it is opened). When it can, Source rows are paired meanwhile (early_),
  // their outcomes kept for the comparing stage; nothing shows until then.
  bool ReadTarget(TargetKeyIndex& index);
  // Whether the next step of the Target's read takes a Source row rather than a Target row.
  bool TakeSourceRowNow(std::int64_t target_rows);
  // Takes the Source's next row and pairs it with the Target rows read so far.
  void PairEarly(TargetKeyIndex& index);
  // Offers a Target row just added to the Source rows still waiting for a match.
  void OfferTargetRow(TargetKeyIndex& index, std::size_t row, std::string_view prepared);
  // Fetches into the cache what the searches of the Source rows a few ahead will read.
  void PrefetchAhead(const TargetKeyIndex& index) const;
  void CompareByKey();
  // What the key loop does for a Source row without a match (`prepared`: the row as its
  // preparer made it, needed only when the grid shows it), and for one paired with Target
  // `target_row`; false when the run ends there.
  bool CountSourceOnly(std::string_view prepared);
  bool CountPair(bool same, std::string_view prepared, std::size_t target_row);
  // On to the next Source record, unless a Stop was noticed (false).
  bool NextSourceRecord();
  // Goes through the Source rows paired while the Target was read, as the key loop would have
  // gone through them; false when the run ends there.
  bool ReplayEarlyRows();
  void CompareRecordByRecord();
  // Counts a differing pair, a Source row as its preparer made it and a Target row of the key
  // index, and shows it; false when the run was cancelled meanwhile.
  bool CountDifferingPair(std::string_view source_prepared, std::size_t target_row);
  // The same for a pair whose texts `texts(side)` makes, called only when the pair is shown.
  template <typename Texts>
  bool CountDifference(const Texts& texts);
  // Records start to end, read on from the source's position, numbered start upwards on
  // `background`. The grid grows by the range's size but never beyond MaxRowsInDiffTable data
  // rows; rows the source cannot fill stay empty. The progress display is refreshed for every
  // record, and a Stop ends the range.
  void AddMultipleRecordsToGrid(RecordSource& records, std::int64_t start, std::int64_t end,
                                Rgb background);
  void Finish();

  ApplicationContext& context_;
  const CompareRecordsInput& input_;
  RecordsetOpener& opener_;
  CompareProgress& progress_;
  DiffGrid& grid_;
  const std::int64_t max_rows_;
  const std::int64_t interval_;

  Side source_;
  Side target_;
  std::optional<TargetKeyIndex> index_;
  std::optional<EarlyPairing> early_;
  // The sides' readers, asked while the Target is read whether a row is at hand.
  ReadAheadRowCursor* source_reader_ = nullptr;
  ReadAheadRowCursor* target_reader_ = nullptr;
  std::size_t burst_left_ = 0;  // Source rows still to take before the Target is asked again
  std::string key_buffer_;

  std::int64_t index_rec_ = 0;  // the record index i, logged at the end
  std::int64_t different_ = 0;
  bool offset_used_ = false;
  bool cancelled_ = false;
  bool failed_ = false;
  bool identical_ = false;
};

void RecordComparison::Refresh(std::int64_t record, int percent) {
  progress_.ShowProgress(FormatNumber(record), percent);
  progress_.UpdateTimeElapsed();
  context_.ui.ProcessPendingEvents();
}

bool RecordComparison::OpenSide(Side& side, int number, std::string query, bool probe) {
  side.rows = opener_.OpenCursor(number, query, probe);
  side.side = number;
  side.query = std::move(query);
  side.fields = side.rows ? static_cast<int>(side.rows->Columns().size()) : 0;
  return side.rows != nullptr;
}

void RecordComparison::Prepare(Side& side, RowPreparation preparation) {
  auto* ahead = dynamic_cast<ReadAheadRowCursor*>(side.rows.get());
  if (ahead != nullptr && ahead->TakeRowPreparation(preparation))
    side.ahead = ahead;
  else
    side.preparer = std::move(preparation.preparer);
}

std::string_view RecordComparison::Prepared(Side& side) {
  if (side.ahead != nullptr)
    return side.ahead->Prepared();
  side.prepared.clear();
  side.preparer->Prepare(*side.rows, side.prepared);
  return side.prepared;
}

void RecordComparison::StartReading(Side& side) {
  if (auto* ahead = dynamic_cast<ReadAheadRowCursor*>(side.rows.get())) {
    RowPreparation none;
    none.batch_rows = kRecordReadAheadRows;
    none.batch_count = kRecordReadAheadBatches;
    ahead->TakeRowPreparation(none);
    side.ahead = ahead;
  }
}

bool RecordComparison::SameRowForms() const {
  if (source_.ahead == nullptr || target_.ahead == nullptr || source_.fields != target_.fields)
    return false;
  const std::string_view source_form = source_.ahead->RowForm();
  return !source_form.empty() && source_form == target_.ahead->RowForm();
}

bool RecordComparison::Advance(Side& side) {
  if (side.rows->Next())
    return true;
  SideEnded(side);
  return false;
}

void RecordComparison::SideEnded(Side& side) {
  if (!side.rows->Errors().empty() && !failed_) {
    failed_ = true;
    if (!Cancelled())
      opener_.ReportReadFailure(side.side, *side.rows, side.query);
  }
}

bool RecordComparison::ReadTarget(TargetKeyIndex& index) {
  const bool paced = source_.ahead != nullptr && target_.ahead != nullptr;
  if (!index.KeyValid() || (!paced && !input_.early_schedule)) {
    while (Advance(target_))
      index.AddTargetRow(*target_.rows, Prepared(target_));
    return !failed_;
  }
  early_.emplace(input_.track_differences, max_rows_, input_.key_hash, input_.early_limits);
  if (paced) {
    source_reader_ = dynamic_cast<ReadAheadRowCursor*>(source_.rows.get());
    target_reader_ = dynamic_cast<ReadAheadRowCursor*>(target_.rows.get());
  }
  std::int64_t target_rows = 0;
  while (true) {
    if (early_->MayTakeSourceRow() && TakeSourceRowNow(target_rows)) {
      PairEarly(index);
      continue;
    }
    if (!Advance(target_))
      break;
    const std::string_view prepared = Prepared(target_);
    index.AddTargetRow(*target_.rows, prepared);
    if (early_->PendingRows() > 0)
      OfferTargetRow(index, static_cast<std::size_t>(target_rows), prepared);
    ++target_rows;
  }
  if (failed_) {
    // Nothing was shown of the Source rows paired meanwhile, nor of a failure to read them.
    early_.reset();
    return false;
  }
  early_->EndTarget();
  return true;
}

bool RecordComparison::TakeSourceRowNow(std::int64_t target_rows) {
  if (input_.early_schedule)
    return input_.early_schedule(early_->SourceRows(), target_rows);
  // Target rows first whenever one is at hand (but for a burst of kEarlyBurst Source rows); a
  // Source row only when it is at hand too.
  if (burst_left_ == 0) {
    if (!target_reader_->NextWouldWait())
      return false;
    burst_left_ = kEarlyBurst;
  }
  if (source_reader_->NextWouldWait()) {
    burst_left_ = 0;
    return false;
  }
  // The counts may be stale (the tables changed meanwhile): then only the pace suffers.
  const double share =
      static_cast<double>(early_->SourceRows() + 1) /
      static_cast<double>(std::max<std::int64_t>(1, input_.sides[kSource].record_count));
  if (static_cast<double>(target_rows) <
      share * static_cast<double>(input_.sides[kTarget].record_count) + kEarlyTargetLead) {
    burst_left_ = 0;
    return false;
  }
  --burst_left_;
  return true;
}

void RecordComparison::PairEarly(TargetKeyIndex& index) {
  if (!source_.rows->Next()) {
    // A failure is shown when the comparing stage reaches it, as the key loop would show it.
    early_->SetSourceEnded();
    return;
  }
  PrefetchAhead(index);
  const std::string_view prepared = Prepared(source_);
  const TargetKeyIndex::Match match = index.FindMatchingRecord(*source_.rows, prepared);
  switch (match.outcome) {
    case TargetKeyIndex::Outcome::kFound:
      if (index.SamePreparedData(match.row, prepared))
        early_->AddEqual();
      else
        early_->AddDiffering(match.row, prepared);
      return;
    case TargetKeyIndex::Outcome::kNotFound:
      early_->AddPending(prepared, index.AllClassCandidates(prepared));
      return;
    case TargetKeyIndex::Outcome::kSearchError:
      early_->AddSearchError();
      return;
  }
}

void RecordComparison::OfferTargetRow(TargetKeyIndex& index, std::size_t row,
                                      std::string_view prepared) {
  std::string_view key;
  std::uint64_t hash = 0;
  if (!index.IndexedKey(row, prepared, key_buffer_, key, hash))
    return;
  const std::optional<std::size_t> entry = early_->Claim(key, hash);
  if (!entry)
    return;
  // No unmatched Target row read before matches a waiting Source row, so this one is the
  // first unmatched row of its key.
  [[maybe_unused]] const bool taken = index.TakeRow(row);
  assert(taken);
  early_->Resolve(*entry, row, index.SamePreparedData(row, early_->ClaimedPrepared(*entry)));
}

bool RecordComparison::Open() {
  const CompareRecordsSide& s = input_.sides[kSource];
  const CompareRecordsSide& t = input_.sides[kTarget];
  // The candidate's rows are kept when the probe works, so the Target is read only once.
  const bool candidate = OpenSide(target_, kTarget, CandidateTargetQuery(s, t), true);
  if (!OpenSide(source_, kSource, SourceRecordsQuery(s), false)) {
    failed_ = true;
    return false;
  }
  context_.ui.ProcessPendingEvents();
  if (Cancelled()) {
    cancelled_ = true;
    return false;
  }
  progress_.ShowStage(kReadingTargetStage);
  if (!candidate && !OpenSide(target_, kTarget, OwnTargetQuery(t), false)) {
    failed_ = true;
    return false;
  }
  if (input_.CompMethod == 1) {
    index_.emplace(source_.rows->Columns(), target_.rows->Columns(), s.key_columns, t.key_columns,
                   input_.key_hash);
    index_->Reserve(static_cast<std::size_t>(std::max<std::int64_t>(0, t.record_count)));
    // Both readers start now. What is prepared holds every field, so no field is kept beside
    // it. While the Target is read whole, the Source's reader runs ahead into a larger but
    // bounded store (kSourceReadAheadBatches of at most 1 MiB).
    RowPreparation target{index_->MakeTargetPreparer(), index_->KeptFields(true)};
    RowPreparation source{index_->MakeSourcePreparer(), index_->KeptFields(false)};
    source.batch_count = kSourceReadAheadBatches;
    source.batch_rows = kSourceReadAheadRows;
    Prepare(target_, std::move(target));
    Prepare(source_, std::move(source));
    if (!ReadTarget(*index_))
      return false;
  } else {
    // Record by record compares the Source's fields with the Target's by position, on this
    // thread: the readers only fetch the rows.
    StartReading(target_);
    StartReading(source_);
  }
  context_.ui.ProcessPendingEvents();
  if (Cancelled()) {
    cancelled_ = true;
    return false;
  }
  progress_.ShowStage(kComparingStage);
  return true;
}

bool RecordComparison::CountDifferingPair(std::string_view source_prepared,
                                          std::size_t target_row) {
  return CountDifference([&](int side) {
    return side == kSource ? index_->SourceTexts(source_prepared) : index_->TargetTexts(target_row);
  });
}

template <typename Texts>
bool RecordComparison::CountDifference(const Texts& texts) {
  ++different_;
  if (Cancelled())
    return false;
  if (input_.track_differences && different_ <= max_rows_) {
    if (input_.mark_differences) {
      grid_.AddRecordToGrid_MarkDiff(different_, texts(kSource), texts(kTarget), kSourceDiffColour,
                                     kTargetDiffColour);
    } else {
      grid_.AddRecordToGrid(different_, texts(kSource), kSourceDiffColour);
      grid_.AddRecordToGrid(different_, texts(kTarget), kTargetDiffColour);
    }
  }
  return true;
}

void RecordComparison::PrefetchAhead(const TargetKeyIndex& index) const {
  if (source_.ahead == nullptr)
    return;
  // The rows ahead in the reader's batch are prepared already: what their searches read is
  // fetched from memory a few rows early, in steps that each read what the last fetched.
  index.Prefetch(source_.ahead->PreparedAhead(kSlotAhead), TargetKeyIndex::kPrefetchSlot);
  index.Prefetch(source_.ahead->PreparedAhead(kStartAhead), TargetKeyIndex::kPrefetchStart);
  index.Prefetch(source_.ahead->PreparedAhead(kRowAhead), TargetKeyIndex::kPrefetchRow);
}

void RecordComparison::CompareByKey() {
  const CompareRecordsSide& s = input_.sides[kSource];
  const CompareRecordsSide& t = input_.sides[kTarget];
  TargetKeyIndex& index = *index_;
  const bool tracked = input_.track_differences;
  index_rec_ = 1;
  bool more = true;
  if (early_) {
    if (!ReplayEarlyRows())
      return;
    if (early_->SourceEnded()) {
      more = false;
      SideEnded(source_);
    }
    early_.reset();
  }
  while (more && Advance(source_)) {
    PrefetchAhead(index);
    const std::string_view prepared = Prepared(source_);
    const TargetKeyIndex::Match match = index.FindMatchingRecord(*source_.rows, prepared);
    if (match.outcome == TargetKeyIndex::Outcome::kSearchError) {
      failed_ = true;
      return;
    }
    if (match.outcome == TargetKeyIndex::Outcome::kNotFound) {
      if (!CountSourceOnly(prepared))
        return;
      continue;
    }
    if (!CountPair(index.SamePreparedData(match.row, prepared), prepared, match.row))
      return;
  }
  if (failed_)
    return;
  const std::int64_t target_only =
      static_cast<std::int64_t>(index.TargetRowCount() - index.MatchedCount());
  different_ += target_only;
  grid_.SetStatistics(s.record_count, t.record_count, different_);
  if (target_only > 0) {
    if (tracked) {
      UnmatchedTargetRows rows(index);
      AddMultipleRecordsToGrid(rows, 1, target_only, kTargetOnlyColour);
    }
    return;
  }
  identical_ = s.record_count == t.record_count && different_ < 1;
}

bool RecordComparison::CountSourceOnly(std::string_view prepared) {
  ++different_;
  if (input_.track_differences && different_ <= max_rows_)
    grid_.AddRecordToGrid(different_, TargetKeyIndex::SourceTexts(prepared), kSourceOnlyColour);
  Refresh(index_rec_, Percent(index_rec_, input_.sides[kSource].record_count));
  return NextSourceRecord();
}

bool RecordComparison::CountPair(bool same, std::string_view prepared, std::size_t target_row) {
  // Every field compared is a point where a Stop is noticed; none can come between them.
  if (source_.fields > 0 && Cancelled()) {
    cancelled_ = true;
    return false;
  }
  if (!same && !CountDifferingPair(prepared, target_row)) {
    cancelled_ = true;
    return false;
  }
  if (index_rec_ % interval_ != 0) {
    ++index_rec_;
    return true;
  }
  Refresh(index_rec_, Percent(index_rec_, input_.sides[kSource].record_count));
  return NextSourceRecord();
}

bool RecordComparison::NextSourceRecord() {
  if (Cancelled()) {
    cancelled_ = true;
    return false;
  }
  ++index_rec_;
  return true;
}

bool RecordComparison::ReplayEarlyRows() {
  using Kind = EarlyPairing::Kind;
  const std::deque<EarlyPairing::Entry>& entries = early_->Entries();
  auto next = entries.begin();
  for (std::int64_t row = 1; row <= early_->SourceRows(); ++row) {
    while (next != entries.end() && next->kind == Kind::kEqual)
      ++next;
    if (next == entries.end() || next->source_row != row) {
      // Paired with an equal row.
      if (!CountPair(true, {}, 0))
        return false;
      continue;
    }
    const EarlyPairing::Entry& entry = *next++;
    bool go_on = false;
    switch (entry.kind) {
      case Kind::kSourceOnly:
        go_on = CountSourceOnly(entry.prepared);
        break;
      case Kind::kDiffering:
        go_on = CountPair(false, entry.prepared, entry.target_row);
        break;
      case Kind::kSearchError:
      case Kind::kPending:  // none is left once the Target has ended
      case Kind::kEqual:
        failed_ = true;
        break;
    }
    if (!go_on)
      return false;
  }
  return true;
}

void RecordComparison::CompareRecordByRecord() {
  const CompareRecordsSide& s = input_.sides[kSource];
  const CompareRecordsSide& t = input_.sides[kTarget];
  const std::int64_t limit = std::min(s.record_count, t.record_count);
  // The fields of the current pair, read only when the readers' forms do not settle it.
  std::vector<FieldView> source_fields(static_cast<std::size_t>(source_.fields));
  std::vector<FieldView> target_fields(static_cast<std::size_t>(target_.fields));
  FieldTextComparer field_texts;
  index_rec_ = 1;
  while (index_rec_ <= limit) {
    bool source_row = Advance(source_);
    bool target_row = Advance(target_);
    if (index_rec_ == 1) {
      for (std::int64_t n = 1; n < s.offset && source_row; ++n)
        source_row = Advance(source_);
      for (std::int64_t n = 1; n < t.offset && target_row; ++n)
        target_row = Advance(target_);
      offset_used_ = s.offset > 1 || t.offset > 1;
    }
    if (failed_)
      return;
    // Past either end there is nothing left to pair (an offset beyond the end, or a table that
    // shrank after it was counted).
    if (!source_row || !target_row)
      break;
    if (source_.fields > 0 && Cancelled()) {
      cancelled_ = true;
      return;
    }
    // Field by field as SameFieldText compares them: their texts, trimmed, made only where
    // the values do not settle it, and for the grid only for the pairs it shows. Most pairs
    // are equal in every value, which the readers' forms of the rows tell at once.
    if (!SameRowForms()) {
      source_.rows->Fields(source_fields);
      target_.rows->Fields(target_fields);
      if (!field_texts.SameRecords(source_fields, target_fields) && !CountDifference([&](int side) {
            return FieldTexts(side == kSource ? source_fields : target_fields);
          })) {
        cancelled_ = true;
        return;
      }
    }
    if (index_rec_ % interval_ == 0) {
      Refresh(index_rec_, Percent(index_rec_, limit));
      if (Cancelled()) {
        cancelled_ = true;
        return;
      }
    }
    ++index_rec_;
  }
  auto remaining = [](std::int64_t count, std::int32_t offset) {
    return offset > 1 ? std::max<std::int64_t>(0, count - offset + 1) : count;
  };
  different_ += std::abs(remaining(s.record_count, s.offset) - remaining(t.record_count, t.offset));
  grid_.SetStatistics(s.record_count, t.record_count, different_);
  if (s.record_count != t.record_count) {
    if (!input_.track_differences)
      return;
    if (s.record_count < t.record_count) {
      SideRecords rows(*this, target_);
      AddMultipleRecordsToGrid(rows, limit + 1, t.record_count, kTargetOnlyColour);
    } else {
      SideRecords rows(*this, source_);
      AddMultipleRecordsToGrid(rows, limit + 1, s.record_count, kSourceOnlyColour);
    }
    return;
  }
  identical_ = different_ < 1;
}

void RecordComparison::AddMultipleRecordsToGrid(RecordSource& records, std::int64_t start,
                                                std::int64_t end, Rgb background) {
  if (end < start)
    return;
  const auto current = static_cast<std::int64_t>(grid_.RowCount());
  const std::int64_t room = std::max<std::int64_t>(0, max_rows_ - current);
  const std::int64_t added = std::min(end - start + 1, room);
  grid_.AddEmptyRows(static_cast<std::size_t>(added), background);
  std::int64_t filled = 0;
  for (std::int64_t r = start; r <= end; ++r) {
    Refresh(r, Percent(r - start + 1, end - start + 1));
    if (Cancelled()) {
      cancelled_ = true;
      return;
    }
    if (!records.Move() || filled >= added)
      return;
    grid_.FillRow(static_cast<std::size_t>(current + filled), r, records.Texts());
    ++filled;
  }
}

void RecordComparison::Finish() {
  WriteDataCompLog(context_.locations, context_.clock,
                   std::string(kExitingCompareRecordsLog) + std::to_string(index_rec_));
  if (offset_used_)
    grid_.RemoveTrailingUnnumberedRows();
  context_.ui.SetBusy(false);
}

CompareRecordsResult RecordComparison::Run() {
  const CompareRecordsSide& s = input_.sides[kSource];
  const CompareRecordsSide& t = input_.sides[kTarget];
  if (s.record_count == 0 && t.record_count == 0)
    return {CompareRecordsStatus::kCompleted, 0, true};
  context_.ui.SetBusy(true);
  WriteDataCompLog(context_.locations, context_.clock, kEnteringCompareRecordsLog);
  progress_.ResetGauge();
  progress_.ShowStage(kReadingSourceStage);
  if (Open()) {
    if (input_.track_differences) {
      std::vector<std::string> names;
      for (const ColumnInfo& column : source_.rows->Columns())
        names.push_back(column.name);
      grid_.LoadData(names);
    }
    if (input_.CompMethod == 1) {
      CompareByKey();
    } else {
      CompareRecordByRecord();
    }
  }
  if (Cancelled())
    cancelled_ = true;
  Finish();
  // The queries end (and their connections go back) before the run returns.
  early_.reset();
  index_.reset();
  source_.rows.reset();
  target_.rows.reset();
  // What the key index of a big Target held goes back to the system (a small one's is not
  // worth the walk over the allocator's free lists, in bulk runs of many small tables).
  if (input_.CompMethod == 1 && t.record_count >= kReleaseMemoryFromRows)
    ReleaseFreeMemory();
  CompareRecordsResult result;
  result.status = failed_      ? CompareRecordsStatus::kFailed
                  : cancelled_ ? CompareRecordsStatus::kCancelled
                               : CompareRecordsStatus::kCompleted;
  result.different_records =
      static_cast<std::int32_t>(std::min<std::int64_t>(different_, INT32_MAX));
  result.identical = result.status == CompareRecordsStatus::kCompleted && identical_;
  return result;
}

}  // namespace

std::string ColumnQueryPrefix(const std::vector<std::string>& columns) {
  if (columns.empty())
    return "SELECT * FROM";
  std::string prefix = "SELECT ";
  for (std::size_t k = 0; k < columns.size(); ++k) {
    if (k > 0)
      prefix += ",";
    prefix += BracketColumnName(columns[k]);
  }
  return prefix + " FROM";
}

std::string SourceRecordsQuery(const CompareRecordsSide& source) {
  std::string query = ColumnQueryPrefix(source.columns) + " " + source.qualified_table;
  if (!source.order_by.empty())
    query += " " + source.order_by;
  return query;
}

std::string CandidateTargetQuery(const CompareRecordsSide& source,
                                 const CompareRecordsSide& target) {
  std::string query = ColumnQueryPrefix(source.columns) + " " + target.qualified_table;
  if (!target.order_by.empty())
    query += " " + target.order_by;
  return query;
}

std::string OwnTargetQuery(const CompareRecordsSide& target) {
  return SourceRecordsQuery(target);
}

std::unique_ptr<RowCursor> RecordsetOpener::OpenCursor(int side, std::string_view query,
                                                       bool probe) {
  std::optional<Recordset> records = Open(side, query, probe);
  if (!records)
    return nullptr;
  return std::make_unique<RecordsetRowCursor>(std::move(*records));
}

void RecordsetOpener::ReportReadFailure(int, const RowCursor&, std::string_view) {}

CompareRecordsResult CompareRecords(ApplicationContext& context, const CompareRecordsInput& input,
                                    RecordsetOpener& opener, CompareProgress& progress,
                                    DiffGrid& grid) {
  RecordComparison comparison(context, input, opener, progress, grid);
  return comparison.Run();
}

std::vector<std::string> RecordTexts(const Recordset& records) {
  std::vector<std::string> texts;
  texts.reserve(static_cast<std::size_t>(records.FieldCount()));
  for (int k = 0; k < records.FieldCount(); ++k)
    texts.push_back(NullText(records.Field(k)));
  return texts;
}

bool SameFieldText(const Value& source, const Value& target) {
  return SameFieldText(ViewOf(source), ViewOf(target));
}

bool SameFieldText(const FieldView& source, const FieldView& target) {
  return FieldTextComparer().Same(source, target);
}

}  // namespace korvane

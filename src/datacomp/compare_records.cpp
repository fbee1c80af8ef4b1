#include "datacomp/compare_records.h"

#include <algorithm>

#include "app/application_context.h"
#include "app/logs.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "datacomp/order_by_clause.h"
#include "datacomp/target_key_index.h"

namespace korvane {
namespace {

// Moves a cursor over the records a range of the grid is filled from.
class RecordCursor {
 public:
  virtual ~RecordCursor() = default;
  // To the first record when `first`, else to the next; false at the end.
  virtual bool Move(bool first) = 0;
  virtual std::vector<std::string> Texts() const = 0;
};

class RecordsetCursor final : public RecordCursor {
 public:
  explicit RecordsetCursor(Recordset& records) : records_(records) {}
  bool Move(bool first) override {
    if (first) {
      records_.MoveFirst();
    } else {
      records_.MoveNext();
    }
    return !records_.Eof();
  }
  std::vector<std::string> Texts() const override { return RecordTexts(records_); }

 private:
  Recordset& records_;
};

// The Target rows a key search never matched, in recordset order.
class UnmatchedTargetCursor final : public RecordCursor {
 public:
  explicit UnmatchedTargetCursor(const TargetKeyIndex& index) : index_(index) {}
  bool Move(bool first) override {
    row_ = first ? 0 : row_ + 1;
    while (row_ < index_.TargetRowCount() && index_.IsMatched(row_))
      ++row_;
    return row_ < index_.TargetRowCount();
  }
  std::vector<std::string> Texts() const override {
    std::vector<std::string> texts;
    for (int k = 0; k < index_.TargetFieldCount(); ++k)
      texts.push_back(NullText(index_.TargetField(row_, k)));
    return texts;
  }

 private:
  const TargetKeyIndex& index_;
  std::size_t row_ = 0;
};

int Percent(std::int64_t part, std::int64_t whole) {
  if (whole < 1)
    whole = 1;
  return static_cast<int>(std::clamp<std::int64_t>(part * 100 / whole, 0, 100));
}

class RecordComparison {
 public:
  RecordComparison(ApplicationContext& context, const CompareRecordsInput& input,
                   CompareProgress& progress, DiffGrid& grid)
      : context_(context),
        input_(input),
        progress_(progress),
        grid_(grid),
        max_rows_(context.settings.max_rows_in_diff_table),
        interval_(std::max<std::int64_t>(1, input.progress_interval)) {}

  CompareRecordsResult Run(RecordsetOpener& opener);

 private:
  bool Cancelled() const { return context_.cancel_requested; }
  void Refresh(std::int64_t record, int percent);
  bool Open(RecordsetOpener& opener, Recordset& source, Recordset& target);
  void CompareByKey(Recordset& source, Recordset& target);
  void CompareRecordByRecord(Recordset& source, Recordset& target);
  // Compares the Source's current record with a Target record and counts and shows it when
  // they differ. False when the run was cancelled meanwhile.
  template <typename TargetField>
  bool ComparePair(const Recordset& source, int target_fields, const TargetField& target_field);
  // Records start to end, read on from the cursor's position (from the first record when start
  // is 1), numbered start upwards on `background`. The grid grows by the range's size but never
  // beyond MaxRowsInDiffTable data rows; rows the cursor cannot fill stay empty. The progress
  // display is refreshed for every record, and a Stop ends the range.
  void AddMultipleRecordsToGrid(RecordCursor& cursor, std::int64_t start, std::int64_t end,
                                Rgb background);
  void Finish();

  ApplicationContext& context_;
  const CompareRecordsInput& input_;
  CompareProgress& progress_;
  DiffGrid& grid_;
  const std::int64_t max_rows_;
  const std::int64_t interval_;

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

bool RecordComparison::Open(RecordsetOpener& opener, Recordset& source, Recordset& target) {
  const CompareRecordsSide& s = input_.sides[kSource];
  const CompareRecordsSide& t = input_.sides[kTarget];
  // The candidate's rows are kept when the probe works, so the Target is read only once.
  std::optional<Recordset> target_rows = opener.Open(kTarget, CandidateTargetQuery(s, t), true);
  std::optional<Recordset> source_rows = opener.Open(kSource, SourceRecordsQuery(s), false);
  if (!source_rows) {
    failed_ = true;
    return false;
  }
  source = std::move(*source_rows);
  context_.ui.ProcessPendingEvents();
  if (Cancelled()) {
    cancelled_ = true;
    return false;
  }
  progress_.ShowStage(kReadingTargetStage);
  if (!target_rows)
    target_rows = opener.Open(kTarget, OwnTargetQuery(t), false);
  if (!target_rows) {
    failed_ = true;
    return false;
  }
  target = std::move(*target_rows);
  context_.ui.ProcessPendingEvents();
  if (Cancelled()) {
    cancelled_ = true;
    return false;
  }
  progress_.ShowStage(kComparingStage);
  return true;
}

template <typename TargetField>
bool RecordComparison::ComparePair(const Recordset& source, int target_fields,
                                   const TargetField& target_field) {
  bool differs = false;
  static const Value kMissing = Value::Text("");
  for (int k = 0; k < source.FieldCount(); ++k) {
    if (Cancelled())
      return false;
    if (!SameFieldText(source.Field(k), k < target_fields ? target_field(k) : kMissing)) {
      differs = true;
      break;
    }
  }
  if (!differs)
    return true;
  ++different_;
  if (Cancelled())
    return false;
  if (input_.track_differences && different_ <= max_rows_) {
    std::vector<std::string> target_texts;
    for (int k = 0; k < target_fields; ++k)
      target_texts.push_back(NullText(target_field(k)));
    if (input_.mark_differences) {
      grid_.AddRecordToGrid_MarkDiff(different_, RecordTexts(source), target_texts,
                                     kSourceDiffColour, kTargetDiffColour);
    } else {
      grid_.AddRecordToGrid(different_, RecordTexts(source), kSourceDiffColour);
      grid_.AddRecordToGrid(different_, target_texts, kTargetDiffColour);
    }
  }
  return true;
}

void RecordComparison::CompareByKey(Recordset& source, Recordset& target) {
  const CompareRecordsSide& s = input_.sides[kSource];
  const CompareRecordsSide& t = input_.sides[kTarget];
  TargetKeyIndex index(source, target, s.key_columns, t.key_columns);
  const std::int64_t limit = s.record_count;
  index_rec_ = 1;
  for (source.MoveFirst(); !source.Eof(); source.MoveNext()) {
    const TargetKeyIndex::Match match = index.FindMatchingRecord(source);
    if (match.outcome == TargetKeyIndex::Outcome::kSearchError) {
      failed_ = true;
      return;
    }
    if (match.outcome == TargetKeyIndex::Outcome::kNotFound) {
      ++different_;
      if (input_.track_differences && different_ <= max_rows_)
        grid_.AddRecordToGrid(different_, RecordTexts(source), kSourceOnlyColour);
      Refresh(index_rec_, Percent(index_rec_, limit));
      if (Cancelled()) {
        cancelled_ = true;
        return;
      }
      ++index_rec_;
      continue;
    }
    const std::size_t row = match.row;
    if (!ComparePair(source, index.TargetFieldCount(),
                     [&](int k) -> const Value& { return index.TargetField(row, k); })) {
      cancelled_ = true;
      return;
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
  index.ReadTarget();
  const std::int64_t target_only =
      static_cast<std::int64_t>(index.TargetRowCount() - index.MatchedCount());
  different_ += target_only;
  grid_.SetStatistics(s.record_count, t.record_count, different_);
  if (target_only > 0) {
    if (input_.track_differences) {
      UnmatchedTargetCursor cursor(index);
      AddMultipleRecordsToGrid(cursor, 1, target_only, kTargetOnlyColour);
    }
    return;
  }
  identical_ = s.record_count == t.record_count && different_ < 1;
}

void RecordComparison::CompareRecordByRecord(Recordset& source, Recordset& target) {
  const CompareRecordsSide& s = input_.sides[kSource];
  const CompareRecordsSide& t = input_.sides[kTarget];
  const std::int64_t limit = std::min(s.record_count, t.record_count);
  index_rec_ = 1;
  while (index_rec_ <= limit) {
    if (index_rec_ == 1) {
      source.MoveFirst();
      target.MoveFirst();
      for (std::int64_t n = 1; n < s.offset && !source.Eof(); ++n)
        source.MoveNext();
      for (std::int64_t n = 1; n < t.offset && !target.Eof(); ++n)
        target.MoveNext();
      offset_used_ = s.offset > 1 || t.offset > 1;
    } else {
      source.MoveNext();
      target.MoveNext();
    }
    // Past either end there is nothing left to pair (an offset beyond the end, or a table that
    // shrank after it was counted).
    if (source.Eof() || target.Eof())
      break;
    if (!ComparePair(source, target.FieldCount(),
                     [&](int k) -> const Value& { return target.Field(k); })) {
      cancelled_ = true;
      return;
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
      RecordsetCursor cursor(target);
      AddMultipleRecordsToGrid(cursor, limit + 1, t.record_count, kTargetOnlyColour);
    } else {
      RecordsetCursor cursor(source);
      AddMultipleRecordsToGrid(cursor, limit + 1, s.record_count, kSourceOnlyColour);
    }
    return;
  }
  identical_ = different_ < 1;
}

void RecordComparison::AddMultipleRecordsToGrid(RecordCursor& cursor, std::int64_t start,
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
    if (!cursor.Move(r == start && start == 1) || filled >= added)
      return;
    grid_.FillRow(static_cast<std::size_t>(current + filled), r, cursor.Texts());
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

CompareRecordsResult RecordComparison::Run(RecordsetOpener& opener) {
  const CompareRecordsSide& s = input_.sides[kSource];
  const CompareRecordsSide& t = input_.sides[kTarget];
  if (s.record_count == 0 && t.record_count == 0)
    return {CompareRecordsStatus::kCompleted, 0, true};
  context_.ui.SetBusy(true);
  WriteDataCompLog(context_.locations, context_.clock, kEnteringCompareRecordsLog);
  progress_.ResetGauge();
  progress_.ShowStage(kReadingSourceStage);
  Recordset source;
  Recordset target;
  if (Open(opener, source, target)) {
    if (input_.track_differences) {
      std::vector<std::string> names;
      for (int k = 0; k < source.FieldCount(); ++k)
        names.push_back(source.FieldName(k));
      grid_.LoadData(names);
    }
    if (input_.CompMethod == 1) {
      CompareByKey(source, target);
    } else {
      CompareRecordByRecord(source, target);
    }
  }
  if (Cancelled())
    cancelled_ = true;
  Finish();
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

CompareRecordsResult CompareRecords(ApplicationContext& context, const CompareRecordsInput& input,
                                    RecordsetOpener& opener, CompareProgress& progress,
                                    DiffGrid& grid) {
  RecordComparison comparison(context, input, progress, grid);
  return comparison.Run(opener);
}

std::vector<std::string> RecordTexts(const Recordset& records) {
  std::vector<std::string> texts;
  texts.reserve(static_cast<std::size_t>(records.FieldCount()));
  for (int k = 0; k < records.FieldCount(); ++k)
    texts.push_back(NullText(records.Field(k)));
  return texts;
}

bool SameFieldText(const Value& source, const Value& target) {
  // The same value has the same text; but for -0 and 0, which are equal doubles with
  // different texts.
  if (source == target && source.type() != ValueType::kFloat)
    return true;
  if (source.type() == ValueType::kText && target.type() == ValueType::kText)
    return Trim(source.AsText()) == Trim(target.AsText());
  if (source.type() == ValueType::kInteger && target.type() == ValueType::kInteger)
    return source.AsInteger() == target.AsInteger();
  const std::string s = NullText(source);
  const std::string t = NullText(target);
  return Trim(s) == Trim(t);
}

}  // namespace korvane

#include "compare_records_reference.h"

#include <algorithm>

#include "app/application_context.h"
#include "app/logs.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "datacomp/data_compare_options.h"

namespace korvane::testing {
namespace {

std::string Quoted(std::string value) {
  return ReplaceAll(value, "'", "''");
}

int ExactPosition(const Recordset& records, const std::string& name) {
  for (int k = 0; k < records.FieldCount(); ++k) {
    if (records.FieldName(k) == name)
      return k;
  }
  return 0;
}

std::vector<std::string> Texts(const Recordset& records) {
  std::vector<std::string> texts;
  for (int k = 0; k < records.FieldCount(); ++k)
    texts.push_back(NullText(records.Field(k)));
  return texts;
}

struct Run {
  ApplicationContext& context;
  const CompareRecordsInput& input;
  CompareProgress& progress;
  DiffGrid& grid;
  std::int64_t max_rows = 0;
  std::int64_t i = 0;
  std::int64_t diff = 0;
  bool offset_used = false;
  bool cancelled = false;
  bool failed = false;
  bool identical = false;

  bool Cancelled() const { return context.cancel_requested; }

  void Refresh(std::int64_t label, std::int64_t part, std::int64_t whole) {
    progress.ShowProgress(FormatNumber(label),
                          static_cast<int>(std::clamp<std::int64_t>(
                              part * 100 / std::max<std::int64_t>(1, whole), 0, 100)));
    progress.UpdateTimeElapsed();
    context.ui.ProcessPendingEvents();
  }

  // Steps 15 and 16. False when cancelled.
  bool ComparePair(Recordset& source, Recordset& target) {
    const int n = source.FieldCount();
    const int m = target.FieldCount();
    bool differs = false;
    for (int k = 0; k < n; ++k) {
      if (Cancelled())
        return false;
      const std::string s(Trim(NullText(source.Field(k))));
      const std::string t = k < m ? std::string(Trim(NullText(target.Field(k)))) : "";
      if (s != t) {
        differs = true;
        break;
      }
    }
    if (!differs)
      return true;
    ++diff;
    if (Cancelled())
      return false;
    if (input.track_differences && diff <= max_rows) {
      if (input.mark_differences) {
        grid.AddRecordToGrid_MarkDiff(diff, Texts(source), Texts(target), kSourceDiffColour,
                                      kTargetDiffColour);
      } else {
        grid.AddRecordToGrid(diff, Texts(source), kSourceDiffColour);
        grid.AddRecordToGrid(diff, Texts(target), kTargetDiffColour);
      }
    }
    return true;
  }

  void AddMultipleRecordsToGrid(Recordset& records, std::int64_t start, std::int64_t end,
                                Rgb colour) {
    if (end < start)
      return;
    const auto first_row = static_cast<std::int64_t>(grid.RowCount());
    const std::int64_t rows = std::min(first_row + end - start + 1, std::max(max_rows, first_row));
    grid.AddEmptyRows(static_cast<std::size_t>(rows - first_row), colour);
    std::int64_t row = first_row;
    for (std::int64_t r = start; r <= end; ++r) {
      Refresh(r, r - start + 1, end - start + 1);
      if (Cancelled()) {
        cancelled = true;
        return;
      }
      if (r == start && start == 1) {
        records.MoveFirst();
      } else {
        records.MoveNext();
      }
      if (records.Eof() || row >= rows)
        return;
      grid.FillRow(static_cast<std::size_t>(row), r, Texts(records));
      ++row;
    }
  }

  enum class Found { kYes, kNo, kError };

  Found FindMatchingRecord(Recordset& source, Recordset& target, const std::array<int, 3>& pos) {
    const auto& skeys = input.sides[0].key_columns;
    const auto& tkeys = input.sides[1].key_columns;
    const std::string criterion = tkeys[0] + " = '" + Quoted(NullText(source.Field(pos[0]))) + "'";
    if (!IsKeyColumnSet(tkeys[1])) {
      if (!target.Find(criterion))
        return Found::kError;
      return target.Eof() ? Found::kNo : Found::kYes;
    }
    std::string filter =
        criterion + " AND " + tkeys[1] + " = '" + Quoted(NullText(source.Field(pos[1]))) + "'";
    if (IsKeyColumnSet(skeys[2]))
      filter += " AND " + tkeys[2] + " = '" + Quoted(NullText(source.Field(pos[2]))) + "'";
    Recordset clone = target.Clone();
    if (!clone.Filter(filter))
      return Found::kError;
    Found found = Found::kYes;
    if (clone.Bof() || clone.Eof()) {
      target.MoveLast();
      target.MoveNext();
      found = Found::kNo;
    } else if (!target.MoveToBookmark(*clone.CurrentBookmark())) {
      found = Found::kError;
    }
    clone.Close();
    return found;
  }

  void ByKey(Recordset& source, Recordset& target) {
    const auto& s = input.sides[0];
    const auto& t = input.sides[1];
    std::array<int, 3> pos{};
    i = 1;
    bool first = true;
    while (true) {
      target.MoveFirst();
      if (first) {
        source.MoveFirst();
        pos[0] = ExactPosition(source, s.key_columns[0]);
        if (IsKeyColumnSet(s.key_columns[1])) {
          pos[1] = ExactPosition(source, s.key_columns[1]);
          pos[2] = ExactPosition(source, s.key_columns[2]);
        }
        first = false;
      } else {
        source.MoveNext();
      }
      if (source.Eof())
        break;
      const Found found = FindMatchingRecord(source, target, pos);
      if (found == Found::kError) {
        failed = true;
        return;
      }
      if (found == Found::kNo) {
        ++diff;
        if (input.track_differences && diff <= max_rows)
          grid.AddRecordToGrid(diff, Texts(source), kSourceOnlyColour);
        target.MoveFirst();
        Refresh(i, i, s.record_count);
        if (Cancelled()) {
          cancelled = true;
          return;
        }
        ++i;
        continue;
      }
      if (!ComparePair(source, target)) {
        cancelled = true;
        return;
      }
      target.Delete();
      if (i % input.progress_interval == 0) {
        Refresh(i, i, s.record_count);
        if (Cancelled()) {
          cancelled = true;
          return;
        }
      }
      ++i;
    }
    const std::int64_t left = target.RecordCount();
    diff += left;
    grid.SetStatistics(s.record_count, t.record_count, diff);
    if (left > 0) {
      if (input.track_differences)
        AddMultipleRecordsToGrid(target, 1, left, kTargetOnlyColour);
      return;
    }
    if (s.record_count != t.record_count)
      return;
    identical = diff < 1;
  }

  void RecordByRecord(Recordset& source, Recordset& target) {
    const auto& s = input.sides[0];
    const auto& t = input.sides[1];
    const std::int64_t limit = std::min(s.record_count, t.record_count);
    for (i = 1; i <= limit; ++i) {
      if (i == 1) {
        source.MoveFirst();
        target.MoveFirst();
        if (s.offset > 1) {
          for (int n = 0; n < s.offset - 1 && !source.Eof(); ++n)
            source.MoveNext();
        }
        if (t.offset > 1) {
          for (int n = 0; n < t.offset - 1 && !target.Eof(); ++n)
            target.MoveNext();
        }
        offset_used = s.offset > 1 || t.offset > 1;
      } else {
        source.MoveNext();
        target.MoveNext();
      }
      if (source.Eof() || target.Eof())
        break;
      if (!ComparePair(source, target)) {
        cancelled = true;
        return;
      }
      if (i % input.progress_interval == 0) {
        Refresh(i, i, limit);
        if (Cancelled()) {
          cancelled = true;
          return;
        }
      }
    }
    const std::int64_t a =
        s.offset > 1 ? std::max<std::int64_t>(0, s.record_count - s.offset + 1) : s.record_count;
    const std::int64_t b =
        t.offset > 1 ? std::max<std::int64_t>(0, t.record_count - t.offset + 1) : t.record_count;
    diff += a > b ? a - b : b - a;
    grid.SetStatistics(s.record_count, t.record_count, diff);
    if (s.record_count != t.record_count) {
      if (!input.track_differences)
        return;
      if (s.record_count < t.record_count) {
        AddMultipleRecordsToGrid(target, limit + 1, t.record_count, kTargetOnlyColour);
      } else {
        AddMultipleRecordsToGrid(source, limit + 1, s.record_count, kSourceOnlyColour);
      }
      return;
    }
    if (diff < 1)
      identical = true;
  }

  // Steps 20 and the result.
  CompareRecordsResult Finish() {
    WriteDataCompLog(context.locations, context.clock,
                     "Exiting CompareRecords, llngIndexRec = " + std::to_string(i));
    if (offset_used)
      grid.RemoveTrailingUnnumberedRows();
    context.ui.SetBusy(false);
    if (Cancelled())
      cancelled = true;
    CompareRecordsResult result;
    result.status = failed      ? CompareRecordsStatus::kFailed
                    : cancelled ? CompareRecordsStatus::kCancelled
                                : CompareRecordsStatus::kCompleted;
    result.different_records = static_cast<std::int32_t>(diff);
    result.identical = result.status == CompareRecordsStatus::kCompleted && identical;
    return result;
  }
};

}  // namespace

CompareRecordsResult ReferenceCompareRecords(ApplicationContext& context,
                                             const CompareRecordsInput& input,
                                             RecordsetOpener& opener, CompareProgress& progress,
                                             DiffGrid& grid) {
  const auto& s = input.sides[0];
  const auto& t = input.sides[1];
  if (s.record_count == 0 && t.record_count == 0)
    return {CompareRecordsStatus::kCompleted, 0, true};
  Run run{context, input, progress, grid};
  run.max_rows = context.settings.max_rows_in_diff_table;
  context.ui.SetBusy(true);
  WriteDataCompLog(context.locations, context.clock, "Entering CompareRecords");
  progress.ResetGauge();
  progress.ShowStage(3);

  std::string prefix = "SELECT * FROM";
  if (!s.columns.empty()) {
    prefix = "SELECT ";
    for (std::size_t k = 0; k < s.columns.size(); ++k)
      prefix += (k > 0 ? ",[" : "[") + ReplaceAll(s.columns[k], "]", "]]") + "]";
    prefix += " FROM";
  }
  std::string target_query = prefix + " " + t.qualified_table;
  if (!t.order_by.empty())
    target_query += " " + t.order_by;
  if (!opener.Open(1, target_query, true)) {
    target_query = t.columns.empty() ? "SELECT * FROM" : "SELECT ";
    for (std::size_t k = 0; k < t.columns.size(); ++k)
      target_query += (k > 0 ? ",[" : "[") + ReplaceAll(t.columns[k], "]", "]]") + "]";
    target_query += (t.columns.empty() ? " " : " FROM ") + t.qualified_table;
    if (!t.order_by.empty())
      target_query += " " + t.order_by;
  }
  std::string source_query = prefix + " " + s.qualified_table;
  if (!s.order_by.empty())
    source_query += " " + s.order_by;

  std::optional<Recordset> source = opener.Open(0, source_query, false);
  if (!source) {
    run.failed = true;
    return run.Finish();
  }
  context.ui.ProcessPendingEvents();
  if (context.cancel_requested)
    return run.Finish();
  progress.ShowStage(4);
  std::optional<Recordset> target = opener.Open(1, target_query, false);
  if (!target) {
    run.failed = true;
    return run.Finish();
  }
  context.ui.ProcessPendingEvents();
  if (context.cancel_requested)
    return run.Finish();
  progress.ShowStage(5);
  if (input.track_differences) {
    std::vector<std::string> names;
    for (int k = 0; k < source->FieldCount(); ++k)
      names.push_back(source->FieldName(k));
    grid.LoadData(names);
  }
  if (input.CompMethod == 1) {
    run.ByKey(*source, *target);
  } else {
    run.RecordByRecord(*source, *target);
  }
  return run.Finish();
}

}  // namespace korvane::testing

// CompareRecords: the record comparison engine of a data comparison. Reads the rows of a Source
// and a Target table, pairs them by position (record by record) or by key, compares each pair
// field by field, counts the differing records and, when the run tracks differences, fills the
// differences grid. It never changes either table.
//
// Both sides are read row by row through cursors, so the memory a run takes does not grow with
// the Source. Record by record reads the two cursors side by side. By key, the Target is read
// once into a packed form with a hash index of its key values (TargetKeyIndex) and the Source
// streams past it, so a run costs one pass over each side whatever their sizes; matched Target
// rows are flagged, and those never matched are the Target-only records. Every Source record
// is visited, and the number of differing records is the changed pairs plus the Source-only
// plus the Target-only records, each counted once. While the Target is still being read, Source
// rows are already paired with the Target rows read so far (early_pairing.h), so both reads
// overlap; what they came to is shown, row by row and with every Stop point of the key loop,
// only once the Target has been read, as if it had been read first.
//
// The run polls ApplicationContext::cancel_requested after each query is opened, for every
// field compared, after each difference and on every progress refresh, and lets pending window
// events run on every refresh (UserInterface::ProcessPendingEvents), so a Stop button works.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "datacomp/compare_progress.h"
#include "datacomp/diff_grid.h"
#include "datacomp/early_pairing.h"
#include "datacomp/target_key_index.h"
#include "db/backend.h"
#include "db/recordset.h"

namespace korvane {

struct ApplicationContext;

inline constexpr std::string_view kEnteringCompareRecordsLog = "Entering CompareRecords";
inline constexpr std::string_view kExitingCompareRecordsLog =
    "Exiting CompareRecords, llngIndexRec = ";

// One side of a comparison, as the run prepares it.
struct CompareRecordsSide {
  std::string qualified_table;  // owner-qualified and bracketed: "[dbo].[Orders]"
  // The columns compared, in table order, with the side's ignored columns left out; empty when
  // the column list could not be read (the query then selects every column).
  std::vector<std::string> columns;
  std::int64_t record_count = 0;  // counted beforehand
  std::string order_by;           // " ORDER BY [..] " or empty
  std::int32_t offset = 0;        // record by record: first record compared (0 or 1: the first)
  std::array<std::string, 3> key_columns;  // "No Field" or empty: not used
};

struct CompareRecordsInput {
  std::array<CompareRecordsSide, 2> sides;  // 0 Source, 1 Target
  std::int32_t CompMethod = 0;              // 0 record by record, 1 by key
  bool track_differences = true;            // fill the differences grid
  bool mark_differences = true;             // pairs as two rows with their differing cells red
  // A progress refresh every this many records (at least 1), besides the refresh after every
  // Source record without a match and every record added as a range.
  std::int64_t progress_interval = 1000;
  // The hash of a key under the key method (tests give colliding ones).
  TargetKeyIndex::KeyHash key_hash = &TargetKeyIndex::StandardKeyHash;
  // By key, Source rows are paired while the Target is still read when both sides read ahead:
  // a Source row is taken when one is at hand, the Target is not, and the Target has been read
  // about as far. Tests pace it instead: with a schedule, a Source row is taken (read on the
  // spot) whenever it says so, given the Source rows taken and the Target rows read so far.
  std::function<bool(std::int64_t source_rows, std::int64_t target_rows)> early_schedule;
  EarlyPairingLimits early_limits;
};

enum class CompareRecordsStatus {
  kCompleted,
  kCancelled,
  kFailed,  // a query could not be opened or read, or the key search could not be made
};

struct CompareRecordsResult {
  CompareRecordsStatus status = CompareRecordsStatus::kCompleted;
  std::int32_t different_records = 0;
  bool identical = false;  // only for a completed run in which nothing differs

  friend bool operator==(const CompareRecordsResult&, const CompareRecordsResult&) = default;
};

// Opens the rows of a query on one side's connection. A probing open shows no failure message.
class RecordsetOpener {
 public:
  virtual ~RecordsetOpener() = default;
  // The rows whole, as a recordset.
  virtual std::optional<Recordset> Open(int side, std::string_view query, bool probe) = 0;
  // The rows read one by one (what the engine uses); null when the query cannot be opened. By
  // default a cursor over the recordset Open gives.
  virtual std::unique_ptr<RowCursor> OpenCursor(int side, std::string_view query, bool probe);
  // Shows the failure a cursor met while reading (its Errors()), as a failed open would.
  virtual void ReportReadFailure(int side, const RowCursor& cursor, std::string_view query);
};

// "SELECT [a],[b] FROM", or "SELECT * FROM" without columns; "]" in names is doubled.
std::string ColumnQueryPrefix(const std::vector<std::string>& columns);
// The Source query: prefix, table and the ORDER BY, each joined by a blank.
std::string SourceRecordsQuery(const CompareRecordsSide& source);
// The Target query tried first, with the Source's columns: it works when the Target has all of
// them under the same names.
std::string CandidateTargetQuery(const CompareRecordsSide& source,
                                 const CompareRecordsSide& target);
// The Target query with the Target's own columns, compared with the Source's by position.
std::string OwnTargetQuery(const CompareRecordsSide& target);

// The whole run: two empty tables are identical without opening anything; otherwise the
// queries are opened (the candidate Target query as a probe first, its rows kept when it
// works), the progress dialog goes through stages 3 to 5, the records are compared and the
// grid's statistics set. Writes kEnteringCompareRecordsLog and kExitingCompareRecordsLog + the
// final record index to the data comparison log, with the busy pointer on in between.
//
// A query that fails while it is read ends the run as failed, its failure shown once.
// A cancelled or failed run returns what it counted so far, never identical; the grid keeps
// the rows added before, without the Target-only or Source-only rows of the end and without
// statistics. Record by record, after an offset, trailing grid rows left without a number are
// removed.
CompareRecordsResult CompareRecords(ApplicationContext& context, const CompareRecordsInput& input,
                                    RecordsetOpener& opener, CompareProgress& progress,
                                    DiffGrid& grid);

// The text of every field of the current record (NullText).
std::vector<std::string> RecordTexts(const Recordset& records);

// Whether two fields hold the same data for the comparison: their NullText, trimmed of
// blanks, equal letter case included ("abc " equals "abc", a Null equals the text "Null").
bool SameFieldText(const Value& source, const Value& target);
bool SameFieldText(const FieldView& source, const FieldView& target);

}  // namespace korvane

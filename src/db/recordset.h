// An in-memory recordset with the operations the program's readers use: a static cursor over
// the rows a command returned (Bof/Eof, moves, record count), fields by name or position, Find,
// Filter on a clone, bookmarks and a local Delete. Clones share the rows, so a row deleted
// through one is gone for all, while each clone keeps its own position and filter.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/backend.h"
#include "db/value.h"

namespace korvane {

// The one matching rule of Find, Filter and the data comparison's key index, following SQL
// Server's default collation:
//   - a NULL field matches nothing (not even the criterion 'Null');
//   - texts are equal ignoring letter case (the simple case folding of base/unicode_case.h:
//     'Äpfel' matches 'äPFEL') and trailing blanks ('abc ' matches 'ABC');
//   - a numeric field (integer, decimal, float, bit) matches a criterion that reads as the same
//     exact number ('12.0' matches 12, 9007199254740993 only itself; bit: 1/0, True/False; a
//     float is the number of its shortest text, ExactNumberText in db/numeric_value.h);
//   - a date field matches a criterion that reads as the same date and time;
//   - anything else compares its text form (NullText) as a text.
bool CriterionMatches(const Value& field, std::string_view criterion);

// A criterion's date text: "2024-03-07", "2024-03-07 14:05:09[.123]" (or with "T"), "14:05:09".
std::optional<DateTimeValue> ParseCriterionDateTime(std::string_view text);

// A canonical key of a value under the same rule: two non-NULL values match exactly when their
// keys are equal (NULL gives no key). For hashing large numbers of keys.
std::optional<std::string> MatchKey(const Value& value);
// Appends the key MatchKey gives a date and time to `out`.
void AppendDateKey(const DateTimeValue& value, std::string& out);

class Recordset {
 public:
  Recordset() = default;
  explicit Recordset(ResultSet rows);

  // --- fields
  int FieldCount() const { return static_cast<int>(data_->columns.size()); }
  const std::string& FieldName(int index) const { return data_->columns.at(index).name; }
  const ColumnInfo& Column(int index) const { return data_->columns.at(index); }
  // Position of the field with this name (ignoring case), -1 when there is none.
  int FieldIndex(std::string_view name) const;
  // Values of the current row. Asking for a field that does not exist, or reading at BOF or EOF,
  // gives Null; HasCurrentRow() tells whether there is a row.
  const Value& Field(int index) const;
  const Value& Field(std::string_view name) const;
  bool HasCurrentRow() const;

  // --- cursor
  bool Bof() const;
  bool Eof() const;
  void MoveFirst();
  void MoveLast();
  void MoveNext();
  void MovePrevious();
  // Rows visible through this recordset (after its filter, without deleted rows).
  long RecordCount() const;
  // 1-based position of the current row; 0 at BOF or EOF.
  long AbsolutePosition() const;
  // The values of the visible row at 1-based `position`, without moving the cursor; null when
  // there is no such row. For views that show rows at random without copying them.
  const std::vector<Value>* RowAt(long position) const;

  // Bookmarks name a row for as long as the recordset and its clones live.
  using Bookmark = std::size_t;
  std::optional<Bookmark> CurrentBookmark() const;
  // Moves to the bookmarked row; false (position unchanged) when it is not visible here.
  bool MoveToBookmark(Bookmark bookmark);

  // Find "Column = 'value'" or "Column = number" (also [Column]), searching forward from the
  // current row (included). Leaves the cursor on the first match, or at EOF. False when the
  // criterion cannot be read or names no field (the cursor is then unchanged).
  bool Find(std::string_view criterion);

  // A second cursor over the same rows.
  Recordset Clone() const;

  // Keeps only the rows matching every "Column = value" criterion joined by AND; an empty text
  // removes the filter. False (filter unchanged) when the text cannot be read.
  bool Filter(std::string_view criteria);

  // Deletes the current row from the rows shared with every clone; the cursor then stands on the
  // row that followed it.
  bool Delete();

  void Close();
  bool IsOpen() const { return open_; }

 private:
  struct Shared {
    std::vector<ColumnInfo> columns;
    std::vector<std::vector<Value>> rows;
    std::vector<bool> deleted;
    std::uint64_t generation = 0;  // counts deletes, so every clone notices them
  };
  struct Condition {
    int field;
    std::string value;
  };
  static std::optional<std::vector<std::pair<std::string, std::string>>> ParseCriteria(
      std::string_view text);
  // Recomputes the visible rows after a filter change or a delete through any clone, keeping
  // the cursor on the same row, or on the next visible one when that row is gone.
  void Rebuild() const;
  void Sync() const;
  bool RowMatches(std::size_t row, const std::vector<Condition>& conditions) const;

  std::shared_ptr<Shared> data_ = std::make_shared<Shared>();
  std::vector<Condition> filter_;
  mutable std::vector<std::size_t> visible_;  // row numbers visible through this cursor
  mutable long position_ = 0;                 // index into visible_; -1 BOF, size() EOF
  mutable std::uint64_t seen_generation_ = 0;
  bool open_ = true;
};

}  // namespace korvane
